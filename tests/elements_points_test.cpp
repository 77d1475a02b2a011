// Points, notes and network nodes read as points by the fast reader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "builder/ElementRecords.h"
#include "core/File.h"
#include "support/ElementReading.h"
#include "terrix/ResultCodes.h"

using namespace elements_test;
using Terrix::Result::IoError;
using Terrix::Result::NotHandled;
using Terrix::Result::NotInUse;
using Terrix::Result::Success;

namespace {

class PointsTest : public ::testing::Test {
 protected:
  tb::TempDir dir;
  Reader reader;
};

TEST_F(PointsTest, PointRecordAndGeometry) {
  tb::ElementFile file(tb::kPoint);
  file.AddPoint(10.5, -3.25, "");
  file.AddPoint(7.0, 8.0, "", 0);  // deleted
  file.AddPoint(-1.0, 2.0, "ab");
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);

  Terrix::TERRIX_PntInfo info{};
  auto g = Terrix::MakeGeometry();
  int* sentinel = static_cast<int*>(std::calloc(1, sizeof(int)));
  g->partStart = sentinel;
  ASSERT_EQ(reader.ReadPointInfo(0, &info, g.get()), Success);
  const tb::Bytes expected = tb::PointRecord(1, 0, 0, 10.5, -3.25, tb::ElementFile::kDisplayFill);
  EXPECT_EQ(std::memcmp(&info, expected.data(), expected.size()), 0);
  EXPECT_EQ(g->type, 1);
  EXPECT_EQ(g->id, -1);
  EXPECT_EQ(g->partCount, 0);
  EXPECT_EQ(g->partStart, sentinel);  // a point read leaves the part arrays alone
  ASSERT_EQ(g->vertexCount, 1);
  EXPECT_EQ(g->x[0], 10.5);
  EXPECT_EQ(g->y[0], -3.25);
  EXPECT_EQ(g->z[0], 0.0);
  EXPECT_EQ(g->m[0], 0.0);
  EXPECT_EQ(g->minX, 10.5);
  EXPECT_EQ(g->maxX, 10.5);
  EXPECT_EQ(g->minY, -3.25);
  EXPECT_EQ(g->maxY, -3.25);
  EXPECT_EQ(g->minZ, 0.0);
  EXPECT_EQ(g->maxM, 0.0);

  EXPECT_EQ(reader.ReadPointInfo(1, &info, nullptr), NotInUse);
  EXPECT_EQ(reader.ReadPointInfo(2, nullptr, nullptr), Success);
  EXPECT_EQ(reader.ReadPointInfo(3, nullptr, nullptr), IoError);  // index == point count
  EXPECT_EQ(reader.ReadPointInfo(-1, nullptr, nullptr), IoError);

  Terrix::WKBPoint wkb{};
  Terrix::TERRIX_PntInfo wkbInfo{};
  ASSERT_EQ(reader.ReadPointWKB(2, &wkbInfo, &wkb), Success);
  EXPECT_EQ(Value(wkb.byteOrder), 0);
  EXPECT_EQ(Value(wkb.wkbType), 1u);
  EXPECT_EQ(Value(wkb.point.x), -1.0);
  EXPECT_EQ(Value(wkb.point.y), 2.0);
  EXPECT_EQ(Value(wkbInfo.noteLength), 2);
  EXPECT_EQ(reader.ReadPointWKB(1, nullptr, &wkb), NotInUse);
  EXPECT_EQ(reader.ReadPointWKB(3, nullptr, &wkb), IoError);
}

TEST_F(PointsTest, NotesAreCutAt259BytesAndTerminated) {
  const std::string note259(259, 'n');
  std::string note300;
  for (int i = 0; i < 300; ++i) note300 += static_cast<char>('A' + i % 26);
  tb::ElementFile file(tb::kPoint);
  file.AddPoint(0, 0, "");
  file.AddPoint(0, 0, note259);
  file.AddPoint(0, 0, note300);
  file.AddPoint(0, 0, "gone", 0);  // the state byte is not looked at
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);

  char buffer[400];
  std::memset(buffer, 'Q', sizeof buffer);
  EXPECT_EQ(reader.GetNoteInfo(0, buffer), Success);
  EXPECT_EQ(buffer[0], 'Q');  // no note: the buffer is left as it was

  ASSERT_EQ(reader.GetNoteInfo(1, buffer), Success);
  EXPECT_EQ(std::string(buffer), note259);

  std::memset(buffer, 'Q', sizeof buffer);
  ASSERT_EQ(reader.GetNoteInfo(2, buffer), Success);
  EXPECT_EQ(std::string(buffer), note300.substr(0, 259));
  EXPECT_EQ(buffer[260], 'Q');  // exactly 260 bytes written

  ASSERT_EQ(reader.GetNoteInfo(3, buffer), Success);
  EXPECT_EQ(std::string(buffer), "gone");
  EXPECT_EQ(reader.GetNoteInfo(1, nullptr), Success);
  EXPECT_EQ(reader.GetNoteInfo(4, buffer), IoError);

  Terrix::core::FileSeam::Reset();
  Terrix::core::FileSeam::FailReadAt(1);
  EXPECT_EQ(reader.GetNoteInfo(1, buffer), IoError);
  Terrix::core::FileSeam::Reset();
}

TEST_F(PointsTest, NetworkNodesArePointsBuiltFromTheirStyleBlocks) {
  tb::Bytes style(tb::kNodeStyleBytes);
  for (std::size_t i = 0; i < style.size(); ++i) style[i] = static_cast<std::uint8_t>(i + 1);
  tb::ElementFile file(tb::kNetwork);
  file.AddArc({{0, 0}, {1, 1}});
  file.AddNode(3.5, 4.5, style);
  file.AddNode(-2.0, 9.0, tb::Bytes(tb::kNodeStyleBytes, 0xEE), 0);
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);

  int count = -7;
  EXPECT_EQ(reader.GetPointCount(&count), 2);
  EXPECT_EQ(count, 2);

  Terrix::TERRIX_PntInfo info{};
  auto g = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadPointInfo(0, &info, g.get()), Success);
  tb::ByteWriter want;
  want.u8(1).i16(1).u32(0).f64(3.5).f64(4.5).f64(0.0);
  want.raw(style.data(), 62);
  ASSERT_EQ(want.size(), tb::kPointRecordBytes);
  EXPECT_EQ(std::memcmp(&info, want.data().data(), tb::kPointRecordBytes), 0);
  EXPECT_EQ(g->x[0], 3.5);
  EXPECT_EQ(g->y[0], 4.5);

  // The built record carries state 1 whatever the node's own state byte says.
  ASSERT_EQ(reader.ReadPointInfo(1, &info, nullptr), Success);
  EXPECT_EQ(Value(info.x), -2.0);
  EXPECT_EQ(static_cast<std::uint8_t>(reinterpret_cast<const unsigned char*>(&info)[31]), 0xEE);
  EXPECT_EQ(reader.ReadPointInfo(2, &info, nullptr), IoError);

  // The arcs of a network file are read as lines; notes belong to point files.
  Terrix::EmptyGeometry(g.get());
  EXPECT_EQ(reader.ReadArcInfo(0, nullptr, g.get()), Success);
  char note[260] = {};
  EXPECT_EQ(reader.GetNoteInfo(0, note), IoError);
}

TEST_F(PointsTest, HostileNodeCountCostsOnlyTheStoredNodes) {
  tb::ElementFile file(tb::kNetwork);
  file.AddNode(1.0, 2.0, tb::Bytes(tb::kNodeStyleBytes, 7));
  tb::MapFileBuilder built = file.Build();
  built.Count(3, 0x7FFFFFFF);  // node records claimed far beyond the file
  ASSERT_EQ(OpenBuilt(reader, dir, built), Success);

  Terrix::core::FileSeam::Reset();
  Terrix::TERRIX_PntInfo info{};
  ASSERT_EQ(reader.ReadPointInfo(0, &info, nullptr), Success);
  EXPECT_EQ(Value(info.x), 1.0);
  // Node records, two style blocks (reserved record and node 1), arc records.
  EXPECT_EQ(Terrix::core::FileSeam::ReadCount(), 4);
  // A node the file never stored is not in use.
  EXPECT_EQ(reader.ReadPointInfo(1000000, &info, nullptr), NotInUse);
}

TEST_F(PointsTest, KindsWithoutTheTableReadNothing) {
  tb::ElementFile points(tb::kPoint);
  points.AddPoint(1, 1, "");
  ASSERT_EQ(OpenBuilt(reader, dir, points.Build(), "p.tmf"), Success);
  auto g = Terrix::MakeGeometry();
  Terrix::core::FileSeam::Reset();
  EXPECT_EQ(reader.ReadArcInfo(0, nullptr, g.get()), IoError);
  EXPECT_EQ(reader.ReadPolygonInfo(0, nullptr, g.get()), IoError);
  Terrix::WKBLineString line{};
  EXPECT_EQ(reader.ReadArcWKB(0, nullptr, &line), IoError);
  std::int32_t n = 0;
  double room[4];
  EXPECT_EQ(reader.ReadPolyArc(1, &n, room, 2), IoError);
  EXPECT_EQ(Terrix::core::FileSeam::ReadCount(), 0);

  // A line file that claims polygon records still has no polygon table.
  tb::ElementFile lines(tb::kLine);
  lines.AddArc({{0, 0}});
  tb::MapFileBuilder lineFile = lines.Build();
  lineFile.Count(5, 10);
  ASSERT_EQ(OpenBuilt(reader, dir, lineFile, "l.tmf"), Success);
  Terrix::core::FileSeam::Reset();
  EXPECT_EQ(reader.ReadPolygonInfo(0, nullptr, g.get()), IoError);
  EXPECT_EQ(reader.ReadPointInfo(0, nullptr, g.get()), IoError);
  EXPECT_EQ(Terrix::core::FileSeam::ReadCount(), 0);

  tb::MapFileBuilder table(tb::kTable);
  table.Count(1, 5);
  ASSERT_EQ(OpenBuilt(reader, dir, table, "t.tmf"), Success);
  EXPECT_EQ(reader.ReadGeomInfo(), NotHandled);
  EXPECT_EQ(reader.ReadArcInfo(0, nullptr, nullptr), IoError);
}

TEST_F(PointsTest, FailedTableLoadReadsNothingOutsideTheTables) {
  tb::ElementFile file(tb::kPoint);
  file.AddPoint(1, 1, "note");
  file.AddPoint(2, 2, "");
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success);
  Terrix::core::FileSeam::Reset();
  Terrix::core::FileSeam::FailReadAt(1);  // the point table load
  Terrix::TERRIX_PntInfo info{};
  EXPECT_NE(reader.ReadPointInfo(0, &info, nullptr), Success);
  Terrix::core::FileSeam::Reset();
  // The load is not tried again; the records it did not bring are unknown,
  // so neither the point nor its note is handed out as empty.
  EXPECT_EQ(reader.ReadPointInfo(1, &info, nullptr), IoError);
  char note[260];
  std::memset(note, 'Q', sizeof note);
  EXPECT_EQ(reader.GetNoteInfo(0, note), IoError);
  EXPECT_EQ(note[0], 'Q');
  EXPECT_EQ(Terrix::core::FileSeam::ReadCount(), 0);

  // Close forgets the tables: the next file loads its own.
  reader.Close();
  ASSERT_EQ(OpenBuilt(reader, dir, file.Build(), "again.tmf"), Success);
  EXPECT_EQ(reader.ReadPointInfo(1, &info, nullptr), Success);
  EXPECT_EQ(Value(info.x), 2.0);
}

}  // namespace
