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
