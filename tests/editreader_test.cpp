// What the editing reader adds to the shared mechanics: changed element
// records written back in place, polygon labels, per-coordinate arc reads,
// polygons that stop at an arc not in use, and attribute records read one at
// a time from the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "support/ElementReading.h"
#include "terrix/FastReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using elements_test::Value;

namespace {

class EditReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { core::FileSeam::Reset(); }
  void TearDown() override { core::FileSeam::Reset(); }

  std::int32_t OpenBuilt(const tb::MapFileBuilder& file) {
    file.WriteTo(dir.Path("map.tmf"));
    return Reopen();
  }
  std::int32_t Reopen() { return reader.Open(dir.WidePath("map.tmf").c_str()); }
  tb::Bytes FileBytes() const { return tb::ReadFile(dir.Path("map.tmf")); }

  tb::TempDir dir;
  Terrix_Reader reader;
};

// Two square regions over four arcs, the second arc listed reversed.
tb::ElementFile TwoRegions() {
  tb::ElementFile file(tb::kRegion);
  file.AddArc({{0, 0}, {0, 1}, {1, 1}});
  file.AddArc({{0, 0}, {1, 0}, {1, 1}});
  file.AddArc({{5, 5}, {5, 6}, {6, 6}, {5, 5}});
  file.AddArc({{9, 9}, {9, 8}});
  file.AddPolygon({1, -2});
  file.AddPolygon({3});
  return file;
}

template <typename Record>
tb::Bytes BytesOf(const Record& r) {
  tb::Bytes b(sizeof r);
  std::memcpy(b.data(), &r, sizeof r);
  return b;
}

tb::Bytes Slice(const tb::Bytes& bytes, std::size_t at, std::size_t size) {
  return tb::Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                   bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
}

TEST_F(EditReaderTest, ChangedPolygonIsWrittenBackAndReadAfterReopening) {
  const tb::MapFileBuilder built = TwoRegions().Build();
  ASSERT_EQ(OpenBuilt(built), Result::Success);
  TERRIX_RegInfo region{};
  ASSERT_EQ(reader.ReadPolygonInfo(1, &region, nullptr), Result::Success);
  auto* bytes = reinterpret_cast<std::uint8_t*>(&region);
  for (std::size_t i = 9; i < sizeof region; ++i) bytes[i] = static_cast<std::uint8_t>(i);  // display bytes

  EXPECT_EQ(reader.SetPolygonInfo(2, region), Result::IoError) << "index == region count";
  EXPECT_EQ(reader.SetPolygonInfo(-1, region), Result::IoError);
  ASSERT_EQ(reader.SetPolygonInfo(1, region), Result::Success);
  const tb::Bytes before = FileBytes();
  TERRIX_RegInfo read{};
  ASSERT_EQ(reader.ReadPolygonInfo(1, &read, nullptr), Result::Success);
  EXPECT_EQ(BytesOf(read), BytesOf(region)) << "the change is read back from memory";
  EXPECT_EQ(FileBytes(), before) << "Set writes nothing";

  ASSERT_EQ(reader.WriteGeomInfo(), Result::Success);
  reader.Close();
  // The file is as before but for record 2 of the region section.
  tb::Bytes expected = before;
  const tb::Bytes record = BytesOf(region);
  std::copy(
      record.begin(), record.end(),
      expected.begin() + static_cast<std::ptrdiff_t>(built.SectionOffset(8) + 2 * tb::kRegionRecordBytes));
  EXPECT_EQ(FileBytes(), expected);

  ASSERT_EQ(Reopen(), Result::Success);
  auto g = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadPolygonInfo(1, &read, g.get()), Result::Success);
  EXPECT_EQ(BytesOf(read), BytesOf(region));
  EXPECT_EQ(g->vertexCount, 4);
  ASSERT_EQ(reader.ReadPolygonInfo(0, &read, nullptr), Result::Success);
  EXPECT_EQ(read.display[0], tb::ElementFile::kDisplayFill) << "the other region kept its record";
}

TEST_F(EditReaderTest, RegionFilesWriteOnlyTheirRegionRecords) {
  ASSERT_EQ(OpenBuilt(TwoRegions().Build()), Result::Success);
  const tb::Bytes original = FileBytes();
  TERRIX_LineInfo arc{};
  ASSERT_EQ(reader.ReadArcInfo(0, &arc, nullptr), Result::Success);
  arc.pointCount = 2;
  ASSERT_EQ(reader.SetArcInfo(0, arc), Result::Success);
  auto g = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadArcInfo(0, nullptr, g.get()), Result::Success);
  EXPECT_EQ(g->vertexCount, 2) << "the changed arc in memory";

  ASSERT_EQ(reader.WriteGeomInfo(), Result::Success);
  EXPECT_EQ(FileBytes(), original) << "the arcs stay as they are in the file";
  ASSERT_EQ(Reopen(), Result::Success);
  ASSERT_EQ(reader.ReadArcInfo(0, &arc, nullptr), Result::Success);
  EXPECT_EQ(Value(arc.pointCount), 3);
}

TEST_F(EditReaderTest, PointWithStateZeroBecomesUnreadableInMemoryAndInTheFile) {
  tb::ElementFile file(tb::kPoint);
  file.AddPoint(1.0, 2.0, "");
  file.AddPoint(3.0, 4.0, "abc");
  ASSERT_EQ(OpenBuilt(file.Build()), Result::Success);
  // The element records are loaded by the Set operation itself.
  TERRIX_PntInfo point{};
  point.state = 0;
  point.x = 7.0;
  EXPECT_EQ(reader.SetPointInfo(2, point), Result::IoError);
  EXPECT_EQ(reader.SetArcInfo(0, TERRIX_LineInfo{}), Result::IoError) << "a point file has no arcs";
  ASSERT_EQ(reader.SetPointInfo(0, point), Result::Success);
  EXPECT_EQ(reader.ReadPointInfo(0, nullptr, nullptr), Result::NotInUse);
  ASSERT_EQ(reader.WriteGeomInfo(), Result::Success);
  ASSERT_EQ(Reopen(), Result::Success);
  EXPECT_EQ(reader.ReadPointInfo(0, nullptr, nullptr), Result::NotInUse);
  point.state = 1;
  ASSERT_EQ(reader.SetPointInfo(0, point), Result::Success);
  TERRIX_PntInfo read{};
  ASSERT_EQ(reader.ReadPointInfo(0, &read, nullptr), Result::Success);
  EXPECT_EQ(Value(read.x), 7.0);
  char note[260] = {};
  ASSERT_EQ(reader.GetNoteInfo(1, note), Result::Success);
  EXPECT_STREQ(note, "abc");
}

TEST_F(EditReaderTest, HostileRecordCountMakesNoChangeBeyondTheFile) {
  tb::ElementFile file(tb::kLine);
  file.AddArc({{0, 0}, {1, 1}});
  ASSERT_EQ(OpenBuilt(file.Build().Count(1, 0x7FFFFFF0)), Result::Success);
  const tb::Bytes original = FileBytes();
  TERRIX_LineInfo arc{};
  arc.state = 1;
  EXPECT_EQ(reader.SetArcInfo(0x7FFFFF00, arc), Result::IoError) << "a record the file does not hold";
  ASSERT_EQ(reader.SetArcInfo(0, arc), Result::Success);
  ASSERT_EQ(reader.WriteGeomInfo(), Result::Success);
  EXPECT_EQ(FileBytes().size(), original.size()) << "only the records the file held are written";
}

TEST_F(EditReaderTest, FailedWriteIsMinus9982) {
  tb::ElementFile file(tb::kLine);
  file.AddArc({{0, 0}, {1, 1}});
  ASSERT_EQ(OpenBuilt(file.Build()), Result::Success);
  TERRIX_LineInfo arc{};
  ASSERT_EQ(reader.ReadArcInfo(0, &arc, nullptr), Result::Success);
  arc.display1[0] = 0x42;
  ASSERT_EQ(reader.SetArcInfo(0, arc), Result::Success);
  core::FileSeam::FailWriteAt(1);
  EXPECT_EQ(reader.WriteGeomInfo(), Result::WriteBackFailed);
  core::FileSeam::Reset();
  const long writes = core::FileSeam::WriteCount();
  EXPECT_EQ(reader.WriteGeomInfo(), Result::Success);
  EXPECT_EQ(core::FileSeam::WriteCount(), writes + 1) << "one write for the whole array";

  tb::MapFileBuilder table(tb::kTable);
  table.Section(0, tb::AttributeSection().Field("A", 0, 4).Elements(1).Build()).Section(1, tb::Bytes(2, 0));
  ASSERT_EQ(OpenBuilt(table), Result::Success);
  core::FileSeam::FailWriteAt(1);
  EXPECT_EQ(reader.WriteGeomInfo(), Result::Success) << "a table file writes nothing";
}

TEST_F(EditReaderTest, PolygonLabelsStayBelowTheRegionAndTheArcCount) {
  tb::ElementFile file = TwoRegions();
  file.AddPolygon({4});
  file.AddPolygon({4});
  file.AddPolygon({4});  // six regions over four arcs: five arc records with the reserved one
  file.AddPolygon({4});
  const tb::MapFileBuilder built = file.Build();
  ASSERT_EQ(OpenBuilt(built), Result::Success);
  const tb::Bytes bytes = FileBytes();
  TERRIX_RegExt label{};
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(reader.GetPolyLab(i, &label), Result::Success) << i;
    EXPECT_EQ(BytesOf(label), Slice(bytes, built.SectionOffset(0) + 16u * static_cast<unsigned>(i), 16)) << i;
  }
  EXPECT_EQ(reader.GetPolyLab(5, &label), Result::IoError)
      << "below the region count, not below the arc records";
  EXPECT_EQ(reader.GetPolyLab(0, nullptr), Result::Success);

  tb::ElementFile line(tb::kLine);
  line.AddArc({{0, 0}, {1, 1}});
  ASSERT_EQ(OpenBuilt(line.Build()), Result::Success);
  EXPECT_EQ(reader.GetPolyLab(0, &label), Result::IoError);
}

TEST_F(EditReaderTest, ArcsAreReadOneCoordinateAtATimeAndMayRunPastTheEnd) {
  tb::ElementFile file(tb::kLine);
  file.AddArc({{1, -2}, {3, 4}, {5, 6}});
  // The last item of the file: two points stored, seven claimed.
  const std::uint32_t tail = file.Coordinates().Points({{7, 8}, {9, 10}});
  file.AddArcRecord(1, 7, tail);
  file.AddArcRecord(1, 0x7FFFFFFF, tail);
  file.AddArcRecord(1, -3, tail);
  ASSERT_EQ(OpenBuilt(file.Build()), Result::Success);
  ASSERT_EQ(reader.ReadArcInfo(0, nullptr, nullptr), Result::Success);  // tables loaded

  auto g = Terrix::MakeGeometry();
  core::FileSeam::Reset();
  ASSERT_EQ(reader.ReadArcInfo(0, nullptr, g.get()), Result::Success);
  EXPECT_EQ(core::FileSeam::ReadCount(), 6) << "x then y, point after point";
  EXPECT_EQ(g->y[2], 6.0);

  Terrix::EmptyGeometry(g.get());
  core::FileSeam::Reset();
  core::FileSeam::FailReadAt(4);  // y of the second point
  EXPECT_EQ(reader.ReadArcInfo(0, nullptr, g.get()), Result::IoError);
  ASSERT_EQ(g->vertexCount, 3) << "arrays stay allocated";
  EXPECT_EQ(g->x[0], 1.0);
  EXPECT_EQ(g->y[0], -2.0);
  EXPECT_EQ(g->x[1], 3.0);
  EXPECT_EQ(g->y[1], 0.0);
  core::FileSeam::Reset();

  Terrix::EmptyGeometry(g.get());
  ASSERT_EQ(reader.ReadArcInfo(1, nullptr, g.get()), Result::Success);
  ASSERT_EQ(g->vertexCount, 7);
  EXPECT_EQ(g->x[1], 9.0);
  EXPECT_EQ(g->x[6], 0.0);
  EXPECT_EQ(g->y[6], 0.0);
  EXPECT_EQ(g->minX, 0.0) << "the missing points take part in the bounds";
  EXPECT_EQ(g->maxY, 10.0);

  Terrix::EmptyGeometry(g.get());
  EXPECT_EQ(reader.ReadArcInfo(2, nullptr, g.get()), Result::NoMemory)
      << "no room for more points than the file holds";
  EXPECT_EQ(reader.ReadArcInfo(3, nullptr, g.get()), Result::NoMemory) << "nor for a negative count";

  // The fast reader refuses the arc that runs past the coordinate section.
  Terrix_FastReader fast;
  ASSERT_EQ(fast.Open(dir.WidePath("map.tmf").c_str()), Result::Success);
  Terrix::EmptyGeometry(g.get());
  EXPECT_EQ(fast.ReadArcInfo(1, nullptr, g.get()), Result::IoError);
}

TEST_F(EditReaderTest, PolygonStopsAtAnArcNotInUseAndReadsOneValueAtATime) {
  tb::ElementFile file(tb::kRegion);
  file.AddArc({{0, 0}, {0, 1}});
  file.AddArc({{1, 1}, {1, 0}}, 0);  // not in use
  file.AddArc({{2, 2}, {0, 0}});
  file.AddPolygon({1, 2, 3});
  file.AddPolygon({1, 0, -3});
  ASSERT_EQ(OpenBuilt(file.Build()), Result::Success);
  ASSERT_EQ(reader.ReadPolygonInfo(0, nullptr, nullptr), Result::Success);  // tables loaded
  auto g = Terrix::MakeGeometry();
  core::FileSeam::Reset();
  EXPECT_EQ(reader.ReadPolygonInfo(0, nullptr, g.get()), Result::NotInUse);
  EXPECT_EQ(core::FileSeam::ReadCount(), 2 + 4) << "list total, entries, then x and y of each point";
  ASSERT_EQ(g->vertexCount, 6);
  EXPECT_EQ(g->y[1], 1.0);
  EXPECT_EQ(g->x[2], 0.0) << "nothing gathered after the arc not in use";
  EXPECT_EQ(g->x[4], 0.0);

  Terrix::EmptyGeometry(g.get());
  ASSERT_EQ(reader.ReadPolygonInfo(1, nullptr, g.get()), Result::Success);
  ASSERT_EQ(g->partCount, 2);
  EXPECT_EQ(g->partStart[1], 2);
  EXPECT_EQ(g->x[3], 2.0) << "the reversed arc, turned round after its values were read";

  Terrix_FastReader fast;
  ASSERT_EQ(fast.Open(dir.WidePath("map.tmf").c_str()), Result::Success);
  auto f = Terrix::MakeGeometry();
  EXPECT_EQ(fast.ReadPolygonInfo(0, nullptr, f.get()), Result::Success) << "the fast reader leaves it out";
  EXPECT_EQ(f->x[2], 2.0);
}

TEST_F(EditReaderTest, AttributeRecordsAreReadFromTheFileOneAtATime) {
  tb::AttributeSection t;
  t.Field("ID", 2, 4).Field("CODE", 1, 2, -5, -1).Elements(2);
  t.Put<std::int32_t>(0, 0, 100).Put<std::int16_t>(0, 1, 7).Put<std::int32_t>(1, 0, 200);
  tb::ElementFile file(tb::kPoint);
  file.AddPoint(0, 0, "");
  file.AddPoint(1, 1, "");
  ASSERT_EQ(OpenBuilt(file.Build().Section(2, t.Build())), Result::Success);
  ASSERT_EQ(reader.GetFieldCount(), 2);
  ASSERT_EQ(reader.GetRecordCount(), 2);
  int aux = 0, auxByte = 0;
  EXPECT_EQ(reader.GetFieldInfo(1, nullptr, nullptr, &aux, &auxByte), 1);
  EXPECT_EQ(aux, -5) << "negative values unchecked, as the memory reader's";
  EXPECT_EQ(auxByte, -1);
  EXPECT_EQ(reader.GetFieldIndex(L"code"), 1);

  core::FileSeam::Reset();
  EXPECT_EQ(reader.ReadLongAttribute(0, 0), 100);
  EXPECT_EQ(reader.ReadShortAttribute(0, 1), 7);
  EXPECT_EQ(core::FileSeam::ReadCount(), 1) << "two values of one record: one read";
  EXPECT_EQ(reader.ReadLongAttribute(1, 0), 200);
  EXPECT_EQ(reader.ReadLongAttribute(0, 0), 100);
  EXPECT_EQ(reader.ReadLongAttribute(1, 0), 200);
  EXPECT_EQ(core::FileSeam::ReadCount(), 4) << "alternating records: one read each time";

  core::FileSeam::FailReadAt(1);
  EXPECT_EQ(reader.ReadLongAttribute(0, 0), 0) << "a failed record read gives no value";
  EXPECT_EQ(reader.ReadStringAttribute(1, 0), std::string("\xC8")) << "the next record is read again";
  EXPECT_EQ(reader.ReadLongAttribute(2, 0), 0) << "a record beyond the table";

  // A million records of 2 GB each: a record far beyond the end of the file
  // reads as zero bytes, and no room of its size is made.
  t.RecordCount(1000000).RecordLength(0x7FFFFFFF);
  ASSERT_EQ(OpenBuilt(file.Build().Section(2, t.Build())), Result::Success);
  ASSERT_EQ(reader.GetRecordCount(), 999999);
  const auto* far = static_cast<const std::uint8_t*>(reader.ReadBinareyAttribute(499999, 0));
  ASSERT_NE(far, nullptr);
  EXPECT_EQ(tb::Bytes(far, far + 5), tb::Bytes(5, 0));
}

}  // namespace
