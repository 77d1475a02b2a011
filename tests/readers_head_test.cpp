// The head area through the three readers: shape types and counts per kind,
// control points, topology, short files, failed reads, and what Close and
// copies leave. (Extent and projection as written are the writer model's.) (Open's refusals are in the damaged-file
// table of robustness_test.)
#include <gtest/gtest.h>

#include <cstring>

#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "support/FileTest.h"
#include "terrix/FastReader.h"
#include "terrix/MemReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using tb::MapFileBuilder;

namespace {

class HeadTest : public support::FileTest {
 protected:
  template <class Reader = Terrix_FastReader>
  std::int32_t Open(const MapFileBuilder& b, Reader& r) {
    b.WriteTo(dir.Path("f"));
    return r.Open(dir.WidePath("f").c_str());
  }
  std::int32_t Open(const MapFileBuilder& b) { return Open(b, reader); }
  Terrix_FastReader reader;
};

// Element counts in words 0..5: 10/11 section 0, 20/21 nodes, 30/31 polygons.
MapFileBuilder Counted(int kind) {
  return MapFileBuilder(kind).Count(0, 10).Count(1, 11).Count(2, 20).Count(3, 21).Count(4, 30).Count(5, 31);
}

// Tics 0..n-1 after `skip` bytes: tic i is (i, i + 0.5, -i, 100 + i).
tb::Bytes Tics(int n, std::size_t skip = 0) {
  tb::ByteWriter w;
  w.zeros(skip);
  for (int i = 0; i < n; ++i) w.f64(i).f64(i + 0.5).f64(-i).f64(100.0 + i);
  return w.take();
}

TEST_F(HeadTest, ShapeTypesAndCountsPerKindInEachReader) {
  // -1: the count does not apply (NotApplicable) and the caller's value stays.
  struct Case {
    int kind, fastPoints, fastArcs, fastPolygons, memShape, editResult, editShape;
  };
  for (Case k : {Case{tb::kPoint, 10, -1, -1, 1, 10, 1}, Case{tb::kLine, -1, 10, -1, 3, 10, 3},
                 Case{tb::kRegion, -1, 10, 30, 5, 30, 5}, Case{tb::kNetwork, 20, 10, -1, 3, 0, -7},
                 Case{tb::kTable, -1, -1, -1, -1, 10, -7}}) {
    SCOPED_TRACE(k.kind);
    ASSERT_EQ(Open(Counted(k.kind).Tics(70000, 0)), Result::Success);
    EXPECT_EQ(reader.GetShapeType(), k.kind);
    using Count = int (Terrix_FastReader::*)(int*);
    for (auto [count, want] : {std::pair<Count, int>{&Terrix_FastReader::GetPointCount, k.fastPoints},
                               {&Terrix_FastReader::GetArcCount, k.fastArcs},
                               {&Terrix_FastReader::GetPolygonCount, k.fastPolygons}}) {
      int c = -5;
      EXPECT_EQ((reader.*count)(&c), want < 0 ? Result::NotApplicable : want);
      EXPECT_EQ(c, want < 0 ? -5 : want);
    }
    EXPECT_EQ(reader.GetTicCount(), 70000 - 65536) << "the low 16 bits of the tic count";

    Terrix_MemReader mem;  // its counts do not look at the kind
    ASSERT_EQ(Open(Counted(k.kind), mem), Result::Success);
    EXPECT_EQ(mem.GetShapeType(), k.memShape);
    int n[4] = {};
    EXPECT_EQ(std::make_tuple(mem.GetPntCount(&n[0]), mem.GetArcCount(&n[1]), mem.GetNetPntCount(&n[2]),
                              mem.GetRegCount(&n[3]), mem.GetArcCount(nullptr)),
              std::make_tuple(10, 10, 20, 30, 10));
    EXPECT_EQ(std::vector<int>(n, n + 4), (std::vector<int>{10, 10, 20, 30}));

    Terrix_Reader edit;
    Open(Counted(k.kind).Tics(70000, 0), edit);
    int count = -1, shape = -7, tics = -1;
    EXPECT_EQ(edit.GetInfo(&count, &shape, &tics), k.editResult);
    // A table file leaves the caller's shape type; the whole tic count is told.
    EXPECT_EQ(std::make_tuple(count, shape, tics),
              std::make_tuple(k.editResult, k.editShape, k.editResult ? 70000 : 0));
  }
  // Record counts of 1 (the reserved record only) and 0 both give 0; a
  // negative one never gives a negative count.
  for (std::int32_t records : {1, 0, -4}) {
    ASSERT_EQ(Open(MapFileBuilder(tb::kPoint).Count(0, 3).Count(1, records)), Result::Success);
    int c = 99;
    EXPECT_EQ(reader.GetPointCount(&c), 3);
    EXPECT_EQ(c, 0) << records;
  }
  ASSERT_EQ(Open(MapFileBuilder(tb::kPoint).Tics(0xFFFF, 0)), Result::Success);
  EXPECT_EQ(reader.GetTicCount(), -1);

  // A region file read as a line file, until the next Open.
  Terrix_MemReader mem;
  ASSERT_EQ(Open(MapFileBuilder(tb::kRegion).Count(1, 0), mem), Result::Success);
  int c = -1;
  mem.GetArcCount(&c);
  EXPECT_EQ(c, 0);
  mem.ReadAsPolyArc();
  EXPECT_EQ(mem.GetShapeType(), 3);
  ASSERT_EQ(mem.Open(dir.WidePath("f").c_str()), Result::Success);
  EXPECT_EQ(mem.GetShapeType(), 5);
}

TEST_F(HeadTest, FailedOpenLeavesTheEditingReaderWithoutCounts) {
  Terrix_Reader r;
  int count = -1, shape = 0;
  EXPECT_EQ(Open(Counted(tb::kRegion).RefusalFlag(2), r), Result::Refused);
  EXPECT_EQ(r.GetInfo(&count, nullptr, nullptr), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Open(Counted(tb::kRegion).DirectoryCount(2000), r), Result::CannotOpen);
  EXPECT_EQ(r.GetInfo(nullptr, nullptr, nullptr), 0);
  // A magic that does not match keeps the head read before the check, not the counts.
  EXPECT_EQ(Open(Counted(tb::kRegion).Magic("WMAP`D21"), r), Result::BadMagic);
  EXPECT_EQ(r.GetInfo(nullptr, &shape, nullptr), 0);
  EXPECT_EQ(shape, 5);
  EXPECT_EQ(reader.Open(dir.WidePath("none").c_str()), Result::CannotOpen);
  EXPECT_EQ(reader.GetShapeType(), 0) << "a failed open leaves the fast reader as constructed";
}

TEST_F(HeadTest, TicsAndTopologyAreReadWithinTheirTables) {
  MapFileBuilder b(tb::kLine);
  tb::ByteWriter topo;
  for (int v = 0; v < 18; ++v) topo.i32(v / 6 * 10 + v % 6);  // record r: r*10 .. r*10+5
  b.Section(1, Tics(3, 10)).Tics(3, 10).Count(0, 2).Count(1, 3).Section(3, topo.take());
  ASSERT_EQ(Open(b), Result::Success);
  EXPECT_EQ(reader.GetTicCount(), 3);
  TERRIX_Tic_Info tic{};
  EXPECT_EQ(reader.GetTicInfo(3, &tic), Result::IoError) << "index equal to the count";
  EXPECT_EQ(reader.GetTicInfo(-1, &tic), Result::IoError);
  EXPECT_EQ(reader.GetTicInfo(1, nullptr), Result::Success) << "loads the table, copies nothing";
  ASSERT_EQ(reader.GetTicInfo(2, &tic), Result::Success);
  double values[4];
  std::memcpy(values, tic.data, sizeof values);
  EXPECT_EQ(values[0], 2.0);
  EXPECT_EQ(values[3], 102.0);

  TERRIX_Topology t{};
  ASSERT_EQ(reader.GetTopoInfo(2, &t), Result::Success);
  EXPECT_EQ(t.values[0], 20);
  EXPECT_EQ(t.values[5], 25);
  EXPECT_EQ(reader.GetTopoInfo(3, &t), Result::IoError) << "beyond the arc records";
  EXPECT_EQ(reader.GetTopoInfo(-1, &t), Result::IoError);
  EXPECT_EQ(reader.GetTopoInfo(1, nullptr), Result::IoError);

  // A hostile tic count costs no memory beyond the file: tics past the end read as zeros.
  ASSERT_EQ(Open(b.Tics(0x7FFFFFFF, 10)), Result::Success);
  std::memset(&tic, 0xAA, sizeof tic);
  ASSERT_EQ(reader.GetTicInfo(2000000000, &tic), Result::Success);
  EXPECT_EQ(std::vector<std::uint8_t>(tic.data, tic.data + sizeof tic.data), tb::Bytes(sizeof tic.data, 0));
  ASSERT_EQ(reader.GetTicInfo(1, &tic), Result::Success);
  std::memcpy(values, tic.data, sizeof values);
  EXPECT_EQ(values[3], 101.0);
  ASSERT_EQ(Open(b.Tics(1, 1u << 30)), Result::Success);
  EXPECT_EQ(reader.GetTicInfo(0, &tic), Result::Success) << "a table wholly past the end of the file";

  // A file cut inside the element counts reads as far as it goes.
  tb::Bytes head = MapFileBuilder(tb::kPoint).Count(0, 5).Count(1, 6).Build();
  head.resize(264);
  tb::WriteFile(dir.Path("cut"), head);
  ASSERT_EQ(reader.Open(dir.WidePath("cut").c_str()), Result::Success);
  int count = -7;
  EXPECT_EQ(reader.GetPointCount(&count), 5);
  EXPECT_EQ(count, 0) << "the record count was cut off and reads as 0";
  EXPECT_EQ(reader.GetTicInfo(0, nullptr), Result::IoError);
  // A short directory is not read past (a negative count is in the damaged-file table).
  ASSERT_EQ(Open(MapFileBuilder(tb::kLine).DirectoryCount(3).Count(1, 2)), Result::Success);
  EXPECT_EQ(reader.GetTopoInfo(1, &t), Result::IoError) << "entry 3 is beyond a 3-entry directory";
}

TEST_F(HeadTest, OpenTakesSixReadsAndAFailedTableLoadIsNotRepeated) {
  MapFileBuilder b(tb::kLine);
  ASSERT_EQ(Open(b.Section(1, Tics(2)).Tics(2, 0).Count(1, 2).Section(3, tb::Bytes(48, 1))), Result::Success);
  EXPECT_EQ(core::FileSeam::ReadCount(), 6) << "head, projection, counts, extent, tics, directory";
  // A failed table load answers IoError once; the table is not read again.
  core::FileSeam::FailReadAt(1);
  TERRIX_Tic_Info tic{};
  EXPECT_EQ(reader.GetTicInfo(0, &tic), Result::IoError);
  const long reads = core::FileSeam::ReadCount();
  EXPECT_EQ(reader.GetTicInfo(0, &tic), Result::Success);
  EXPECT_EQ(core::FileSeam::ReadCount(), reads);
  core::FileSeam::FailReadAt(1);
  TERRIX_Topology t{};
  EXPECT_EQ(reader.GetTopoInfo(0, &t), Result::IoError);
}

// The path is opened by its UTF-8 bytes, characters beyond the basic plane
// and the last code point included.
TEST_F(HeadTest, WidePathsAreOpenedByTheirUtf8Bytes) {
  MapFileBuilder(tb::kPoint).WriteTo(dir.Path("\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF.tmf"));
  EXPECT_EQ(reader.Open((dir.WidePath("") + L"\U0001F600\U0010FFFF.tmf").c_str()), Result::Success);
}

}  // namespace
