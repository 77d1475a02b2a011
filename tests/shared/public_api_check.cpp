// Links against the shared library as a host does: only exported symbols are
// reachable, so a missing export fails this build.
#include <TerrixLib.h>
#include <gtest/gtest.h>

using namespace Terrix;

TEST(PublicInterface, ExportedSymbolsAreReachable) {
  DestroyGeometry(CreateGeometry());
  EXPECT_EQ(MakeGeometry()->vertexCount, 0);
  EXPECT_EQ(Terrix_FastReader().Open(L"/nonexistent/file"), Result::CannotOpen);
  EXPECT_STREQ(ResultMessage(Result::Success), "success");
  EXPECT_EQ(GetThreadCodePage(), DefaultCodePage);
  EXPECT_THROW(Vec2d()[2], int);
  static const FileHooks none{};
  EXPECT_EQ(SetThreadFileHooks(&none), nullptr);
  EXPECT_EQ(SetThreadFileHooks(nullptr), &none);
  EXPECT_STREQ(FileKindName(FileKind::Network), "network file");
  // A magic names its file and kind; fewer than eight bytes identify nothing.
  EXPECT_EQ(IdentifyFile("PCOLOR 3", kMagicLength).format, FileFormat::ColorLibrary);
  EXPECT_EQ(IdentifyFile("WMAP`D25", kMagicLength).kind, FileKind::Network);
  EXPECT_EQ(IdentifyFile("WMAP`D2>", 7).format, FileFormat::Unknown);
}
