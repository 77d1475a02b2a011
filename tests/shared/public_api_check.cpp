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
  // Every magic of the format names its file; fewer than eight bytes identify nothing.
  // clang-format off
  const char* magics[] = {"WMAP`D21", "WMAP`D22", "WMAP`D23", "WMAP`D25", "WMAP`D28", "WMAP`D2:", "PCOLOR 3",
                          "WMAP`D2>", "WMAP`D24"};
  const FileIdentity expected[] = {{FileFormat::VectorMap, FileKind::Line}, {FileFormat::VectorMap, FileKind::Point},
      {FileFormat::VectorMap, FileKind::Region}, {FileFormat::VectorMap, FileKind::Network},
      {FileFormat::VectorMap, FileKind::Table}, {FileFormat::Project}, {FileFormat::ColorLibrary},
      {FileFormat::Legend}, {FileFormat::Unknown}};
  // clang-format on
  for (int i = 0; i < 9; ++i) {
    const FileIdentity id = IdentifyFile(magics[i], kMagicLength);
    EXPECT_TRUE(id.format == expected[i].format &&
                (id.format != FileFormat::VectorMap || id.kind == expected[i].kind))
        << magics[i];
  }
  EXPECT_EQ(IdentifyFile("WMAP`D2", 7).format, FileFormat::Unknown);
  EXPECT_EQ(IdentifyFile(nullptr, 8).format, FileFormat::Unknown);
}
