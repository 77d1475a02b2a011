// Links against the shared library as a host does: only exported symbols are
// reachable, so a missing export fails this build.
#include <TerrixLib.h>
#include <gtest/gtest.h>

TEST(PublicInterface, ExportedSymbolsAreReachable) {
  Terrix::Geometry* g = Terrix::CreateGeometry();
  Terrix::EmptyGeometry(g);
  Terrix::DestroyGeometry(g);
  Terrix::Terrix_FastReader reader;
  EXPECT_EQ(reader.Open(L"/nonexistent/file"), Terrix::Result::CannotOpen);
  EXPECT_STREQ(Terrix::ResultMessage(Terrix::Result::Success), "success");
  EXPECT_EQ(Terrix::GetThreadCodePage(), Terrix::DefaultCodePage);
  EXPECT_THROW(Vec2d()[2], int);
}

// Every magic of the format names its file; a kind field is not consulted, and
// fewer than eight bytes identify nothing.
TEST(PublicInterface, FilesIdentifiedByMagic) {
  struct Case {
    const char* bytes;
    Terrix::FileFormat format;
    Terrix::FileKind kind;
  };
  const Case cases[] = {
      {"WMAP`D21", Terrix::FileFormat::VectorMap, Terrix::FileKind::Line},
      {"WMAP`D22", Terrix::FileFormat::VectorMap, Terrix::FileKind::Point},
      {"WMAP`D23", Terrix::FileFormat::VectorMap, Terrix::FileKind::Region},
      {"WMAP`D25", Terrix::FileFormat::VectorMap, Terrix::FileKind::Network},
      {"WMAP`D28", Terrix::FileFormat::VectorMap, Terrix::FileKind::Table},
      {"WMAP`D2:", Terrix::FileFormat::Project, Terrix::FileKind::Line},
      {"PCOLOR 3", Terrix::FileFormat::ColorLibrary, Terrix::FileKind::Line},
      {"WMAP`D2>", Terrix::FileFormat::Legend, Terrix::FileKind::Line},
      {"WMAP`D24", Terrix::FileFormat::Unknown, Terrix::FileKind::Line},
  };
  for (const Case& c : cases) {
    const Terrix::FileIdentity id = Terrix::IdentifyFile(c.bytes, Terrix::kMagicLength);
    EXPECT_EQ(id.format, c.format) << c.bytes;
    if (c.format == Terrix::FileFormat::VectorMap) EXPECT_EQ(id.kind, c.kind) << c.bytes;
  }
  EXPECT_EQ(Terrix::IdentifyFile("WMAP`D2", 7).format, Terrix::FileFormat::Unknown);
  EXPECT_EQ(Terrix::IdentifyFile(nullptr, 8).format, Terrix::FileFormat::Unknown);
  EXPECT_STREQ(Terrix::FileKindName(Terrix::FileKind::Network), "network file");
  EXPECT_STREQ(Terrix::FileKindName(static_cast<Terrix::FileKind>(3)), "unknown kind");

  Terrix::GeometryHolder g = Terrix::MakeGeometry();
  EXPECT_EQ(g->vertexCount, 0);
}

TEST(PublicInterface, FileHooksAreReachable) {
  EXPECT_EQ(Terrix::GetThreadFileHooks(), nullptr);
  static const Terrix::FileHooks none{};
  EXPECT_EQ(Terrix::SetThreadFileHooks(&none), nullptr);
  EXPECT_EQ(Terrix::SetThreadFileHooks(nullptr), &none);
}
