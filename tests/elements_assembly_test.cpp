// The shared polygon assembly and point reads under the options the other
// readers use: stopping at an arc not in use, and value-by-value reads.
#include <gtest/gtest.h>

#include <vector>

#include "builder/ElementRecords.h"
#include "core/File.h"
#include "format/Coordinates.h"
#include "format/ElementTables.h"
#include "format/OpenedMap.h"
#include "format/PolygonAssembly.h"
#include "format/ShapeFill.h"
#include "support/ElementReading.h"
#include "terrix/ResultCodes.h"

using namespace elements_test;
using namespace Terrix;
using core::FileSeam;

namespace {

class AssemblyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    arc1 = file.AddArc({{1, 1}, {2, 1}, {2, 2}});
    arc2 = file.AddArc({{5, 5}, {6, 6}});
    dead = file.AddArc({{9, 9}}, 0);
  }
  void TearDown() override { FileSeam::Reset(); }

  // Opens the file as an editing reader would (for update) and loads its tables.
  void Open() {
    file.Build().WriteTo(dir.Path("r.wt"));
    ASSERT_EQ(map.Open(dir.WidePath("r.wt").c_str(), core::OpenMode::Update, format::KindPolicy::Editable),
              Result::Success);
    ASSERT_EQ(format::LoadElementTables(map, map.Kind(), format::NetworkNodes::Skip, tables),
              Result::Success);
    coordinates = format::LocateCoordinates(map.head, map.file.Size());
  }
  format::ArcSource Source() const {
    return format::ArcSource{const_cast<core::File&>(map.file), coordinates, tables.lines,
                             map.head.counts.elementRecordCount};
  }
  TERRIX_RegInfo Region(int record) const {
    TERRIX_RegInfo r{};
    tables.regions.CopyRecord(record, &r);
    return r;
  }

  tb::TempDir dir;
  tb::ElementFile file{tb::kRegion};
  format::OpenedMap map;
  format::ElementTables tables;
  format::CoordinateSection coordinates;
  GeometryPtr g = NewGeometry();
  int arc1 = 0, arc2 = 0, dead = 0;
};

TEST_F(AssemblyTest, StoppingAtAnArcNotInUse) {
  const int polygon = file.AddPolygon({arc1, dead, arc2});
  Open();
  const format::PolygonReadOptions stop{format::InactiveArc::Stop, format::PointReads::WholeRun};
  EXPECT_EQ(format::AssemblePolygon(Source(), Region(polygon), g.get(), stop, tables.scratch),
            Result::NotInUse);
  ASSERT_EQ(g->vertexCount, 6);
  EXPECT_EQ(g->x[2], 2.0);
  EXPECT_EQ(g->x[3], 0.0);  // arc2 was not gathered

  EmptyGeometry(g.get());
  EXPECT_EQ(format::AssemblePolygon(Source(), Region(polygon), g.get(), format::PolygonReadOptions{},
                                    tables.scratch),
            Result::Success);
  EXPECT_EQ(g->x[3], 5.0);
}

TEST_F(AssemblyTest, ValueByValueReadsStopAtTheFirstFailure) {
  const int polygon = file.AddPolygon({arc1, 0, -arc2});
  Open();
  const format::PolygonReadOptions editing{format::InactiveArc::Stop, format::PointReads::ValueByValue};

  FileSeam::Reset();
  ASSERT_EQ(format::AssemblePolygon(Source(), Region(polygon), g.get(), editing, tables.scratch),
            Result::Success);
  EXPECT_EQ(FileSeam::ReadCount(), 2 + 2 * 3 + 2 * 2);  // list total, entries, one read per value
  ASSERT_EQ(g->partCount, 2);
  EXPECT_EQ(g->partStart[1], 3);
  EXPECT_EQ(g->x[3], 6.0);  // reversed after the values were read
  EXPECT_EQ(g->y[4], 5.0);

  // The fifth value read (y of arc1's second point) fails: the first point
  // and the x before the failure were read, the rest of the arc was not.
  EmptyGeometry(g.get());
  FileSeam::Reset();
  FileSeam::FailReadAt(2 + 4);
  ASSERT_EQ(format::AssemblePolygon(Source(), Region(polygon), g.get(), editing, tables.scratch),
            Result::IoError);
  EXPECT_EQ(g->x[0], 1.0);
  EXPECT_EQ(g->y[0], 1.0);
  EXPECT_EQ(g->x[1], 2.0);
  EXPECT_EQ(g->y[1], 0.0);
  EXPECT_EQ(g->x[2], 0.0);
}

TEST_F(AssemblyTest, LineValueByValueKeepsWhatItReadBeforeAFailure) {
  Open();
  TERRIX_LineInfo line{};
  tables.lines.CopyRecord(arc1, &line);
  FileSeam::Reset();
  FileSeam::FailReadAt(4);  // y of the second point
  EXPECT_EQ(format::FillLineShape(g.get(), map.file, coordinates.At(line.pointOffset), line.pointCount,
                                  format::PointReads::ValueByValue, tables.scratch.points),
            Result::IoError);
  ASSERT_EQ(g->vertexCount, 3);
  EXPECT_EQ(g->x[1], 2.0);
  EXPECT_EQ(g->y[1], 0.0);
  EXPECT_EQ(g->maxX, 1.0);  // only the complete first point narrowed the bounds
}

TEST(ArcListShape, RingsAndVertices) {
  const std::vector<std::int32_t> middle = {3, 0, -5};
  const format::ArcListShape a = format::MeasureArcList(10, middle.data(), 3);
  EXPECT_EQ(a.ringCount, 2);
  EXPECT_EQ(a.vertexCount, 8);
  const std::vector<std::int32_t> ends = {0, 4, 7, 0};
  EXPECT_EQ(format::MeasureArcList(9, ends.data(), 4).ringCount, 1);
  EXPECT_EQ(format::MeasureArcList(9, ends.data(), 4).vertexCount, 6);
  const std::vector<std::int32_t> lone = {0};
  EXPECT_EQ(format::MeasureArcList(2, lone.data(), 1).ringCount, 1);
  EXPECT_EQ(format::MeasureArcList(0, nullptr, 0).vertexCount, -1);
}

}  // namespace
