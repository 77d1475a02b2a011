// Links against the shared library as a host does: only exported symbols are
// reachable, so a missing export fails this build.
#include <TerrixLib.h>
#include <gtest/gtest.h>

using namespace Terrix;

TEST(PublicInterface, ExportedSymbolsAreReachable) {
  DestroyGeometry(CreateGeometry());
  EXPECT_EQ(MakeGeometry()->vertexCount, 0);
  Terrix_FastReader reader;
  EXPECT_EQ(reader.Open(L"/nonexistent/file"), Result::CannotOpen);
  EXPECT_STREQ(ResultMessage(Result::Success), "success");
  EXPECT_EQ(GetThreadCodePage(), DefaultCodePage);
  EXPECT_THROW(Vec2d()[2], int);
  static const FileHooks none{};
  EXPECT_EQ(SetThreadFileHooks(&none), nullptr);
  EXPECT_EQ(SetThreadFileHooks(nullptr), &none);
  EXPECT_STREQ(FileKindName(FileKind::Network), "network file");
  EXPECT_STREQ(FileKindName(static_cast<FileKind>(3)), "unknown kind");
}

// Every magic of the format names its file; fewer than eight bytes identify nothing.
TEST(PublicInterface, FilesIdentifiedByMagic) {
  const std::pair<const char*, FileIdentity> cases[] = {
      {"WMAP`D21", {FileFormat::VectorMap, FileKind::Line}},
      {"WMAP`D22", {FileFormat::VectorMap, FileKind::Point}},
      {"WMAP`D23", {FileFormat::VectorMap, FileKind::Region}},
      {"WMAP`D25", {FileFormat::VectorMap, FileKind::Network}},
      {"WMAP`D28", {FileFormat::VectorMap, FileKind::Table}},
      {"WMAP`D2:", {FileFormat::Project, {}}},
      {"PCOLOR 3", {FileFormat::ColorLibrary, {}}},
      {"WMAP`D2>", {FileFormat::Legend, {}}},
      {"WMAP`D24", {FileFormat::Unknown, {}}}};
  for (const auto& [bytes, expected] : cases) {
    const FileIdentity id = IdentifyFile(bytes, kMagicLength);
    EXPECT_EQ(id.format, expected.format) << bytes;
    EXPECT_TRUE(id.format != FileFormat::VectorMap || id.kind == expected.kind) << bytes;
  }
  EXPECT_EQ(IdentifyFile("WMAP`D2", 7).format, FileFormat::Unknown);
  EXPECT_EQ(IdentifyFile(nullptr, 8).format, FileFormat::Unknown);
}
