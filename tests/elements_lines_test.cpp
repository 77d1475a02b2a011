// Lines and arcs read by the fast reader, as geometries and as well-known binary.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "builder/ElementRecords.h"
#include "core/File.h"
#include "support/ElementReading.h"
#include "terrix/ResultCodes.h"

using namespace elements_test;
using Terrix::core::FileSeam;
using Terrix::Result::IoError;
using Terrix::Result::NotInUse;
using Terrix::Result::Success;

namespace {

constexpr double kStart = 1.79769313486232e307;

class LinesTest : public ::testing::Test {
 protected:
  void TearDown() override { FileSeam::Reset(); }
  tb::TempDir dir;
  Reader reader;
};

TEST_F(LinesTest, LineGeometryHoldsThePointsInStoredOrder) {
  const std::vector<tb::XY> pts = {{1, 5}, {-2, 7}, {4, -3}, {0.5, 0.25}};
  tb::ElementFile file(tb::kLine);
  file.AddArc(pts);
  file.AddArc({});
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);

  Terrix::TERRIX_LineInfo info{};
  auto g = Terrix::MakeGeometry();
  g->minZ = 42.0;
  ASSERT_EQ(reader.ReadArcInfo(0, &info, g.get()), Success);
  const tb::Bytes expected = tb::LineRecord(1, 4, 2, tb::ElementFile::kDisplayFill);
  EXPECT_EQ(std::memcmp(&info, expected.data(), expected.size()), 0);
  EXPECT_EQ(g->type, 3);
  EXPECT_EQ(g->id, -1);
  ASSERT_EQ(g->partCount, 1);
  EXPECT_EQ(g->partStart[0], 0);
  EXPECT_EQ(g->partType[0], 5);
  ASSERT_EQ(g->vertexCount, 4);
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(g->x[j], pts[j].x);
    EXPECT_EQ(g->y[j], pts[j].y);
    EXPECT_EQ(g->z[j], 0.0);
    EXPECT_EQ(g->m[j], 0.0);
  }
  EXPECT_EQ(g->minX, -2);
  EXPECT_EQ(g->maxX, 4);
  EXPECT_EQ(g->minY, -3);
  EXPECT_EQ(g->maxY, 7);
  EXPECT_EQ(g->minZ, 42.0);  // z and measure bounds are not touched

  auto empty = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadArcInfo(1, nullptr, empty.get()), Success);
  EXPECT_EQ(empty->partCount, 1);
  EXPECT_EQ(empty->vertexCount, 0);
  EXPECT_EQ(empty->minX, kStart);
  EXPECT_EQ(empty->maxY, -kStart);
}

// The fast reader refuses a line of more points than the coordinate
// section's length (as the directory gives it) can contain; a count that
// passes but that the file cannot back, or a negative one, gets no room; a
// line within the length that runs past the end of a cut file reads with the
// missing points 0.0.
TEST_F(LinesTest, PointCountChecks) {
  tb::ElementFile file(tb::kLine);
  file.AddArc({{1, 1}, {2, 2}});
  const std::uint32_t tail = file.Coordinates().Points({{3, 4}, {5, 6}});
  file.AddArcRecord(1, 1000, tail);        // runs past the section
  file.AddArcRecord(1, -4, tail);          // 2
  file.AddArcRecord(1, 7, tail);           // 3
  file.AddArcRecord(1, 0x0FFFFFF0, tail);  // 4
  file.AddArcRecord(1, 0x7FFFFFFF, tail);  // 5
  file.AddArcRecord(0, 1, tail);           // deleted
  tb::MapFileBuilder built = file.Build();
  ASSERT_EQ(OpenBuilt(reader, dir, built), Success);

  // The section holds 2 + 4 x 16 bytes: four whole points.
  auto g = Terrix::MakeGeometry();
  Terrix::TERRIX_LineInfo info{};
  EXPECT_EQ(reader.ReadArcInfo(1, &info, g.get()), IoError);
  EXPECT_EQ(Value(info.pointCount), 1000);  // the record was copied before the check
  EXPECT_EQ(g->x, nullptr);
  EXPECT_EQ(reader.ReadArcInfo(1, &info, nullptr), Success);
  EXPECT_EQ(reader.ReadArcInfo(6, &info, g.get()), NotInUse);
  EXPECT_EQ(reader.ReadArcInfo(7, &info, g.get()), IoError);
  Terrix::WKBLineString wkb{};
  EXPECT_EQ(reader.ReadArcWKB(1, nullptr, &wkb), IoError);
  EXPECT_EQ(Value(wkb.points), nullptr);
  EXPECT_EQ(reader.ReadArcWKB(1, &info, nullptr), Success);

  // A section that the directory makes nearly 4 GB long, in a smaller file.
  built.OverrideEntry(1, built.SectionOffset(1), 0xFFFFFFF0u);
  ASSERT_EQ(OpenBuilt(reader, dir, built, "long.tmf"), Success);
  ASSERT_EQ(reader.ReadArcInfo(3, nullptr, g.get()), Success);
  ASSERT_EQ(g->vertexCount, 7);
  EXPECT_EQ(g->x[1], 5.0);
  EXPECT_EQ(g->y[6], 0.0);
  ASSERT_EQ(reader.ReadArcWKB(3, nullptr, &wkb), Success);
  EXPECT_EQ(Value(wkb.numPoints), 7u);
  EXPECT_EQ(wkb.points[6].x, 0.0);
  std::free(wkb.points);
  for (int index : {2, 4}) {
    SCOPED_TRACE(index);
    Terrix::EmptyGeometry(g.get());
    EXPECT_EQ(reader.ReadArcInfo(index, nullptr, g.get()), Terrix::Result::NoMemory);
    EXPECT_EQ(g->x, nullptr);
    Terrix::WKBLineString none{};
    EXPECT_EQ(reader.ReadArcWKB(index, nullptr, &none), Terrix::Result::NoMemory);
    EXPECT_EQ(Value(none.points), nullptr);
  }
  EXPECT_EQ(reader.ReadArcInfo(5, nullptr, g.get()), IoError) << "beyond the section's length";
  Terrix::EmptyGeometry(g.get());
}

TEST_F(LinesTest, FailedCoordinateReadLeavesTheArrays) {
  tb::ElementFile file(tb::kLine);
  file.AddArc({{1, 1}, {2, 2}, {3, 3}});
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);
  ASSERT_EQ(reader.ReadArcInfo(0, nullptr, nullptr), Success);  // tables loaded

  FileSeam::Reset();
  FileSeam::FailReadAt(1);
  auto g = Terrix::MakeGeometry();
  Terrix::TERRIX_LineInfo info{};
  EXPECT_EQ(reader.ReadArcInfo(0, &info, g.get()), IoError);
  EXPECT_EQ(Value(info.pointCount), 3);
  ASSERT_EQ(g->vertexCount, 3);
  ASSERT_NE(g->x, nullptr);  // allocated, released by the caller
  EXPECT_EQ(g->x[2], 0.0);

  FileSeam::Reset();
  FileSeam::FailReadAt(1);
  Terrix::WKBLineString wkb{};
  EXPECT_EQ(reader.ReadArcWKB(0, nullptr, &wkb), IoError);
  ASSERT_NE(Value(wkb.points), nullptr);  // the array stays with the record
  EXPECT_EQ(Value(wkb.numPoints), 3u);
  std::free(wkb.points);
}

TEST_F(LinesTest, WellKnownBinaryPointsAreTheStoredDoubles) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<tb::XY> pts = {{-0.0, nan}, {1e300, -7.125}, {3, 4}};
  tb::ElementFile file(tb::kRegion);
  file.AddArc(pts);
  file.AddArc({});
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);

  Terrix::WKBLineString wkb{};
  Terrix::TERRIX_LineInfo info{};
  ASSERT_EQ(reader.ReadArcWKB(0, &info, &wkb), Success);
  EXPECT_EQ(Value(info.pointCount), 3);
  EXPECT_EQ(Value(wkb.byteOrder), 0);
  EXPECT_EQ(Value(wkb.wkbType), 2u);
  ASSERT_EQ(Value(wkb.numPoints), 3u);
  for (std::size_t j = 0; j < pts.size(); ++j) {
    EXPECT_TRUE(SameBits(wkb.points[j].x, pts[j].x)) << j;
    EXPECT_TRUE(SameBits(wkb.points[j].y, pts[j].y)) << j;
  }
  std::free(wkb.points);

  ASSERT_EQ(reader.ReadArcWKB(1, nullptr, &wkb), Success);
  EXPECT_EQ(Value(wkb.numPoints), 0u);
  std::free(wkb.points);
}

TEST_F(LinesTest, EachLineCostsOneReadAfterTheFirst) {
  tb::ElementFile file(tb::kLine);
  std::vector<tb::XY> pts;
  for (int n = 0; n < 50; ++n) {
    pts.push_back({static_cast<double>(n), static_cast<double>(-n)});
    file.AddArc(pts);
  }
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);
  auto g = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadArcInfo(0, nullptr, g.get()), Success);
  Terrix::EmptyGeometry(g.get());

  FileSeam::Reset();
  for (int i = 1; i < 50; ++i) {
    ASSERT_EQ(reader.ReadArcInfo(i, nullptr, g.get()), Success);
    ASSERT_EQ(g->vertexCount, i + 1);
    EXPECT_EQ(g->x[i], i);
    Terrix::EmptyGeometry(g.get());
  }
  EXPECT_EQ(FileSeam::ReadCount(), 49);

  FileSeam::Reset();
  for (int i = 0; i < 50; ++i) {
    Terrix::WKBLineString wkb{};
    ASSERT_EQ(reader.ReadArcWKB(i, nullptr, &wkb), Success);
    std::free(wkb.points);
  }
  EXPECT_EQ(FileSeam::ReadCount(), 50);
}

}  // namespace
