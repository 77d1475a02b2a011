// Points, notes, network nodes, lines and polygons through the three readers,
// as records, Geometry containers and well-known binary, and what each read
// costs in file reads. (Damaged records are in robustness_test's table.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "builder/ElementRecords.h"
#include "core/File.h"
#include "support/FileTest.h"
#include "terrix/FastReader.h"
#include "terrix/GeometryHolder.h"
#include "terrix/MemReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using core::FileSeam;
using Points = std::vector<tb::XY>;
using tb::BytesOf;

namespace {

// The fast reader with its protected element helpers reachable.
class Reader : public Terrix_FastReader {
 public:
  using Terrix_FastReader::ReadGeomInfo;
  using Terrix_FastReader::ReadPolyArc;
  using Terrix_FastReader::ReadPolyTopo;
};

// A copy of a packed record's field: the assertion macros bind references,
// which a packed (misaligned) field cannot give.
template <typename T>
T Value(T field) {
  return field;
}

// Bitwise equality of doubles, so that a NaN or -0.0 compares as stored.
bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}


class ElementsTest : public support::FileTest {
 protected:
  std::wstring Write(const tb::MapFileBuilder& file) {
    file.WriteTo(dir.Path("map.tmf"));
    return dir.WidePath("map.tmf");
  }
  template <class R = Reader>
  void Open(const tb::MapFileBuilder& file, R& r) {
    ASSERT_EQ(r.Open(Write(file).c_str()), Result::Success);
  }
  void Open(const tb::ElementFile& file) { Open(file.Build(), fast); }
  Reader fast;
  GeometryHolder g = MakeGeometry();
};

// The container's parts, point by point.
std::vector<Points> Rings(const Geometry& g) {
  std::vector<Points> rings;
  for (int k = 0; k < g.partCount; ++k) {
    rings.emplace_back();
    for (int j = g.partStart[k]; j < (k + 1 < g.partCount ? g.partStart[k + 1] : g.vertexCount); ++j)
      rings.back().push_back({g.x[j], g.y[j]});
  }
  return rings;
}
Points Join(Points a, const Points& b, bool reverseB = false) {
  a.insert(a.end(), b.begin(), b.end());
  if (reverseB) std::reverse(a.end() - static_cast<std::ptrdiff_t>(b.size()), a.end());
  return a;
}

// Records, positions and notes as written (and the note buffer's bounds) are
// the writer model's; here the container fields beyond them, WKB, and the note
// of a point not in use.
TEST_F(ElementsTest, PointShapesWkbAndNoteBuffers) {
  tb::ElementFile file(tb::kPoint);
  file.AddPoint(10.5, -3.25, "");
  file.AddPoint(-1.0, 2.0, "ab", 0);  // not in use: its note is read all the same
  Open(file);

  TERRIX_PntInfo info{};
  g->partStart = static_cast<int*>(std::calloc(1, sizeof(int)));
  int* const parts = g->partStart;
  ASSERT_EQ(fast.ReadPointInfo(0, &info, g.get()), Result::Success);
  EXPECT_EQ(BytesOf(info), tb::PointRecord(1, 0, 0, 10.5, -3.25, tb::ElementFile::kDisplayFill));
  EXPECT_EQ(g->partStart, parts) << "a point read leaves the part arrays alone";
  EXPECT_EQ(std::make_tuple(g->type, g->id, g->partCount, g->vertexCount), std::make_tuple(1, -1, 0, 1));
  EXPECT_EQ(std::vector<double>({g->z[0], g->m[0], g->minX, g->maxX, g->minY, g->maxY}),
            std::vector<double>({0, 0, 10.5, 10.5, -3.25, -3.25}));
  WKBPoint wkb{};
  EXPECT_EQ(fast.ReadPointWKB(1, nullptr, &wkb), Result::NotInUse);
  ASSERT_EQ(fast.ReadPointWKB(0, &info, &wkb), Result::Success);
  EXPECT_EQ(std::make_tuple(Value(wkb.byteOrder), Value(wkb.wkbType), Value(wkb.point.x), Value(wkb.point.y)),
            std::make_tuple(std::uint8_t{0}, 1u, 10.5, -3.25));
  EXPECT_EQ(fast.ReadPointWKB(2, nullptr, &wkb), Result::IoError);

  char buffer[260];
  EXPECT_EQ(fast.GetNoteInfo(1, nullptr), Result::Success);
  ASSERT_EQ(fast.GetNoteInfo(1, buffer), Result::Success);
  EXPECT_STREQ(buffer, "ab");
}

TEST_F(ElementsTest, NetworkNodesArePointsOfTheFastReaderAndNetPointsOfTheMemoryReader) {
  tb::Bytes style(tb::kNodeStyleBytes);
  for (std::size_t i = 0; i < style.size(); ++i) style[i] = static_cast<std::uint8_t>(0x80 + i);
  tb::ElementFile file(tb::kNetwork);
  file.AddArc({{0, 0}, {1, 1}});
  file.AddNode(3.5, -4.5, style);
  file.AddNode(7.0, 8.0, tb::Bytes(tb::kNodeStyleBytes, 0xEE), 0);
  Open(file);
  int count = -7;
  EXPECT_EQ(fast.GetPointCount(&count), 2);
  EXPECT_EQ(count, 2);
  // The fast reader's record: state 1, note length 1, x, y, 0.0, then style bytes 0-61.
  tb::Bytes want = tb::ByteWriter().u8(1).u16(1).u32(0).f64(3.5).f64(-4.5).f64(0).take();
  TERRIX_PntInfo info{};
  ASSERT_EQ(fast.ReadPointInfo(0, &info, g.get()), Result::Success);
  EXPECT_EQ(BytesOf(info), tb::ByteWriter().bytes(want).raw(style.data(), 62).take());
  EXPECT_EQ(std::make_tuple(g->x[0], g->y[0]), std::make_tuple(3.5, -4.5));
  ASSERT_EQ(fast.ReadPointInfo(1, &info, nullptr), Result::Success) << "whatever the node's own state";
  EXPECT_EQ(BytesOf(info)[31], 0xEE);
  EXPECT_EQ(fast.ReadPointInfo(2, &info, nullptr), Result::IoError);

  // The memory reader's network point keeps bytes 57-66 of the caller's record.
  Terrix_MemReader mem;
  Open(file.Build(), mem);
  EXPECT_EQ(mem.GetNetPntCount(&count), 2);
  std::memset(&info, 0xCC, sizeof info);
  EmptyGeometry(g.get());
  ASSERT_EQ(mem.ReadNetPointInfo(0, &info, g.get()), Result::Success);
  EXPECT_EQ(BytesOf(info), tb::ByteWriter()
                               .bytes(want)
                               .raw(style.data(), 26)
                               .fill(10, 0xCC)
                               .raw(style.data() + 36, 18)
                               .zeros(8)
                               .take());
  EXPECT_EQ(std::make_tuple(g->type, g->vertexCount, g->x[0], g->minY), std::make_tuple(1, 1, 3.5, -4.5));
  std::memset(&info, 0x11, sizeof info);
  EXPECT_EQ(mem.ReadNetPointInfo(1, &info, nullptr), Result::NotInUse);
  EXPECT_EQ(BytesOf(info)[0], 0x11) << "a refused network point leaves the record alone";
  EXPECT_EQ(mem.ReadNetPointInfo(2, &info, nullptr), Result::IoError);
  EXPECT_EQ(mem.ReadNetPointInfo(-1, &info, nullptr), Result::IoError);
  ASSERT_EQ(mem.ReadNetPointInfo(0, nullptr, nullptr), Result::Success);
  FileSeam::Reset();
  FileSeam::FailReadAt(1);
  EXPECT_EQ(mem.ReadNetPointInfo(0, &info, nullptr), Result::IoError) << "the style block cannot be read";
}

TEST_F(ElementsTest, HostileNodeCountCostsOnlyTheStoredNodes) {
  tb::ElementFile file(tb::kNetwork);
  file.AddNode(1.0, 2.0, tb::Bytes(tb::kNodeStyleBytes, 7));
  Open(file.Build().Count(3, 0x7FFFFFFF), fast);
  FileSeam::Reset();
  TERRIX_PntInfo info{};
  ASSERT_EQ(fast.ReadPointInfo(0, &info, nullptr), Result::Success);
  EXPECT_EQ(Value(info.x), 1.0);
  EXPECT_EQ(FileSeam::ReadCount(), 4) << "node records, two style blocks, arc records";
  EXPECT_EQ(fast.ReadPointInfo(1000000, &info, nullptr), Result::NotInUse) << "a node never stored";
}

TEST_F(ElementsTest, LinesHoldTheStoredDoubles) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Points pts = {{0.0, nan}, {-0.0, -7.125}, {1e300, 7}, {4, -3}};  // +0 before -0: the minimum stays +0
  tb::ElementFile file(tb::kRegion);
  file.AddArc(pts);
  file.AddArc({});
  Open(file);
  g->minZ = 42.0;
  TERRIX_LineInfo info{};
  ASSERT_EQ(fast.ReadArcInfo(0, &info, g.get()), Result::Success);
  EXPECT_EQ(BytesOf(info), tb::LineRecord(1, 4, 2, tb::ElementFile::kDisplayFill));
  EXPECT_EQ(std::make_tuple(g->type, g->id, g->partCount, g->partStart[0], g->partType[0], g->vertexCount),
            std::make_tuple(3, -1, 1, 0, 5, 4));
  EXPECT_TRUE(SameBits(g->minX, 0.0) && g->maxX == 1e300 && g->minY == -7.125 && g->maxY == 7 &&
              g->minZ == 42)
      << "z and measure bounds are not touched";
  WKBLineString wkb{};
  ASSERT_EQ(fast.ReadArcWKB(0, &info, &wkb), Result::Success);
  EXPECT_EQ(std::make_tuple(Value(wkb.byteOrder), Value(wkb.wkbType), Value(wkb.numPoints)),
            std::make_tuple(std::uint8_t{0}, 2u, 4u));
  for (std::size_t j = 0; j < pts.size(); ++j) {
    EXPECT_TRUE(SameBits(wkb.points[j].x, pts[j].x) && SameBits(wkb.points[j].y, pts[j].y)) << j;
    EXPECT_TRUE(SameBits(g->x[j], pts[j].x) && SameBits(g->y[j], pts[j].y) && g->z[j] == 0 && g->m[j] == 0);
  }
  std::free(wkb.points);
  ASSERT_EQ(fast.ReadArcWKB(1, nullptr, &wkb), Result::Success);
  EXPECT_EQ(Value(wkb.numPoints), 0u);
  std::free(wkb.points);
  EmptyGeometry(g.get());
  EXPECT_EQ(fast.ReadArcInfo(1, nullptr, g.get()), Result::Success);
  const double start = 1.79769313486232e307;  // bounds of a container without points
  EXPECT_EQ(std::make_tuple(g->partCount, g->vertexCount, g->minX, g->maxY),
            std::make_tuple(1, 0, start, -start));
}

class PolygonsTest : public ElementsTest {
 protected:
  // Arcs of 3, 4, 5 and 2 points (odd and even reversal material) and one not in use.
  void SetUp() override {
    for (const Points& arc : {arc1, arc2, arc3, arc4}) file.AddArc(arc);
    file.AddArc({{90, 90}, {91, 91}}, 0);
  }
  tb::ElementFile file{tb::kRegion};
  const Points arc1 = {{0, 0}, {10, 0}, {10, 10}}, arc2 = {{10, 10}, {0, 10}, {-1, 5}, {0, 0}},
               arc3 = {{2, 2}, {3, 2}, {3, 3}, {2, 3}, {2, 2}}, arc4 = {{7, 7}, {8, 8}};
  const int dead = 5;
};

TEST_F(PolygonsTest, RingsFollowTheSeparatorsInEachReader) {
  const Points zeros2 = {{0, 0}, {0, 0}};
  struct Case {
    std::vector<std::int32_t> entries;
    std::int32_t extraTotal;  // added to the total a writer stores
    std::vector<Points> rings;
    std::int32_t edit = Result::Success;  // the editing reader stops at an arc not in use
  };
  const Case cases[] = {
      {{1, 0, -3}, 0, {arc1, Join({}, arc3, true)}},
      {{0, 1, 2, 0}, 0, {Join(arc1, arc2)}},
      {{1, 0, 0, 4}, 0, {arc1, {}, arc4}},
      // Only the outermost separator at each end is passed over.
      {{0, 0, 4, 0, 0}, 0, {{}, arc4, {}}},
      {{-2, -3}, 0, {Join(Join({}, arc2, true), arc3, true)}},
      {{0}, 0, {{}}},
      {{}, 0, {{}}},
      // A total promising more points leaves them 0.0.
      {{4}, 3, {Join(arc4, Points(3, {0, 0}))}},
      {{1, -1, 1, -1}, 0, {Join(Join(arc1, arc1, true), Join(arc1, arc1, true))}},
      // Arcs not in use are left out (the editing reader stops there): their points stay 0.0.
      {{dead, 1, 4}, 0, {Join(Join(arc1, arc4), zeros2)}, Result::NotInUse},
      {{1, dead, 0, 4}, 0, {arc1, Join(arc4, zeros2)}, Result::NotInUse},
  };
  for (const Case& c : cases) {
    std::int32_t total = 1 + c.extraTotal;  // what a writer stores, plus the extra
    for (std::int32_t e : c.entries)
      total += e == 0 ? 1 : static_cast<std::int32_t>(file.ArcPoints(std::abs(e)).size());
    file.AddPolygonList(total, c.entries);
  }
  Open(file);
  Terrix_MemReader mem;
  Terrix_Reader edit;
  Open(file.Build(), mem);
  Open(file.Build(), edit);
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    SCOPED_TRACE(i);
    EmptyGeometry(g.get());
    ASSERT_EQ(fast.ReadPolygonInfo(i, nullptr, g.get()), Result::Success);
    EXPECT_EQ(Rings(*g), cases[i].rings);
    EXPECT_EQ(std::make_tuple(g->type, g->id, g->partType[0]), std::make_tuple(5, -1, 5));
    for (int k = 1; k < g->partCount; ++k) EXPECT_EQ(g->partType[k], 3);
    double b[4] = {1.79769313486232e307, -1.79769313486232e307, 1.79769313486232e307, -1.79769313486232e307};
    for (const Points& ring : cases[i].rings)
      for (const tb::XY& p : ring)
        b[0] = std::min(b[0], p.x), b[1] = std::max(b[1], p.x), b[2] = std::min(b[2], p.y),
        b[3] = std::max(b[3], p.y);
    EXPECT_EQ(std::vector<double>({g->minX, g->maxX, g->minY, g->maxY}), std::vector<double>(b, b + 4))
        << "bounds";
    EmptyGeometry(g.get());
    ASSERT_EQ(mem.ReadPolygonInfo(i, nullptr, g.get()), Result::Success);
    EXPECT_EQ(Rings(*g), cases[i].rings);
    EmptyGeometry(g.get());
    EXPECT_EQ(edit.ReadPolygonInfo(i, nullptr, g.get()), cases[i].edit);
    if (cases[i].edit == Result::Success) {
      EXPECT_EQ(Rings(*g), cases[i].rings);
    }
    WKBPolygon wkb{};
    ASSERT_EQ(fast.ReadPolygonWKB(i, nullptr, &wkb), Result::Success);
    EXPECT_EQ(Value(wkb.numRings), cases[i].rings.size());
  }
}

TEST_F(PolygonsTest, ArcsGivingMorePointsThanTheRoomNeverOverflow) {
  file.AddPolygonList(1 + 4, {1, 4});  // room for 4: arc 1 (3) fits, arc 4 (2) does not
  file.AddPolygonList(1 + 2, {3});     // room for 2: the first arc does not fit
  Open(file);
  ASSERT_EQ(fast.ReadPolygonInfo(0, nullptr, g.get()), Result::IoError);
  EXPECT_EQ(Rings(*g), (std::vector<Points>{Join(arc1, {{0, 0}})}));
  EmptyGeometry(g.get());
  ASSERT_EQ(fast.ReadPolygonInfo(1, nullptr, g.get()), Result::IoError);
  EXPECT_EQ(Rings(*g), (std::vector<Points>{{{0, 0}, {0, 0}}}));

  // The protected arc read answers the same room check, with the count told.
  std::int32_t count = -1;
  double room[2 * 5] = {};
  EXPECT_EQ(fast.ReadPolyArc(-3, &count, room, 4), Result::IoError);
  EXPECT_EQ(std::make_tuple(count, room[0]), std::make_tuple(5, 0.0));
  EXPECT_EQ(fast.ReadPolyArc(-3, &count, room, 5), Result::Success);
  EXPECT_EQ(std::vector<double>(room, room + 4), (std::vector<double>{2, 2, 2, 3})) << "reversed";
  count = -1;
  EXPECT_EQ(fast.ReadPolyArc(2, &count, nullptr, 0), Result::Success);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(fast.ReadPolyArc(dead, &count, room, 5), Result::NotInUse);
  // The arc list is read only when both places are given.
  TERRIX_RegInfo region{};
  std::int32_t list[3] = {};
  ASSERT_EQ(fast.ReadPolygonInfo(0, &region, nullptr), Result::Success);
  EXPECT_EQ(fast.ReadPolyTopo(region, nullptr, list), Result::Success);
  EXPECT_EQ(fast.ReadPolyTopo(region, &count, nullptr), Result::Success);
  EXPECT_EQ(list[0], 0);
  ASSERT_EQ(fast.ReadPolyTopo(region, &count, list), Result::Success);
  EXPECT_EQ(std::make_tuple(count, list[0], list[1]), std::make_tuple(1 + 4, 1, 4));
  EXPECT_EQ(fast.ReadPolyArc(6, &count, room, 5), Result::IoError);
  EXPECT_EQ(fast.ReadPolyArc(0, &count, room, 5), Result::IoError);

  // A polygon file of 160 KB asking for 100 million vertices, all "backed"
  // by one long arc: refused before any room is taken.
  tb::ElementFile many(tb::kRegion);
  Points longArc;
  for (int j = 0; j < 5000; ++j) longArc.push_back({static_cast<double>(j), 1.0});
  many.AddArc(longArc);
  many.AddPolygon(std::vector<std::int32_t>(20000, 1));
  Open(many);
  EmptyGeometry(g.get());
  EXPECT_EQ(fast.ReadPolygonInfo(0, nullptr, g.get()), Result::NoMemory);
  EXPECT_EQ(g->x, nullptr);
  // An arc read in a point file is a damaged-file case (robustness_test); a table file has no geometry.
  Open(tb::MapFileBuilder(tb::kTable).Count(1, 5), fast);
  EXPECT_EQ(fast.ReadGeomInfo(), Result::NotHandled);
}

TEST_F(PolygonsTest, ReadsCostTwoAndOnePerArcAndFailuresKeepWhatWasPlaced) {
  file.AddPolygon({1, 2});
  file.AddPolygon({1, 0, -3, 0, 4});
  file.AddPolygon({1, 0, 2});
  Open(file);
  ASSERT_EQ(fast.ReadPolygonInfo(0, nullptr, nullptr), Result::Success);  // tables loaded
  for (auto [index, reads] : {std::pair{1, 2 + 3}, {2, 2 + 2}, {0, 2 + 2}}) {
    FileSeam::Reset();
    EmptyGeometry(g.get());
    ASSERT_EQ(fast.ReadPolygonInfo(index, nullptr, g.get()), Result::Success);
    EXPECT_EQ(FileSeam::ReadCount(), reads) << index;
  }
  FileSeam::Reset();
  FileSeam::FailReadAt(4);  // total, entries, arc 1, then arc 2 fails
  EmptyGeometry(g.get());
  EXPECT_EQ(fast.ReadPolygonInfo(2, nullptr, g.get()), Result::IoError);
  EXPECT_EQ(Rings(*g), (std::vector<Points>{arc1, Points(4, {0, 0})})) << "the walk stopped at arc 2";
  FileSeam::Reset();
  FileSeam::FailReadAt(2);  // the entries
  WKBPolygon wkb{};
  EXPECT_EQ(fast.ReadPolygonWKB(1, nullptr, &wkb), Result::IoError);
  // The editing reader reads the list, then x and y of each point.
  Terrix_Reader edit;
  Open(file.Build(), edit);
  ASSERT_EQ(edit.ReadPolygonInfo(0, nullptr, nullptr), Result::Success);
  FileSeam::Reset();
  EmptyGeometry(g.get());
  ASSERT_EQ(edit.ReadPolygonInfo(0, nullptr, g.get()), Result::Success);
  EXPECT_EQ(FileSeam::ReadCount(), 2 + 2 * 7);
  EXPECT_EQ(Rings(*g), (std::vector<Points>{Join(arc1, arc2)}));
}

TEST_F(ElementsTest, FailedTableLoadHandsOutNothingItDidNotRead) {
  tb::ElementFile file(tb::kPoint);
  file.AddPoint(1, 1, "note");
  file.AddPoint(2, 2, "");
  Open(file);
  FileSeam::Reset();
  FileSeam::FailReadAt(1);  // the point table load
  TERRIX_PntInfo info{};
  EXPECT_NE(fast.ReadPointInfo(0, &info, nullptr), Result::Success);
  FileSeam::Reset();
  // The load is not tried again, and neither the point nor its note is handed out as empty.
  EXPECT_EQ(fast.ReadPointInfo(1, &info, nullptr), Result::IoError);
  char note[260] = "Q";
  EXPECT_EQ(fast.GetNoteInfo(0, note), Result::IoError);
  EXPECT_EQ(std::make_tuple(note[0], FileSeam::ReadCount()), std::make_tuple('Q', 0L));
  fast.Close();  // the next file loads its own tables
  Open(file);
  EXPECT_EQ(fast.ReadPointInfo(1, &info, nullptr), Result::Success);
  EXPECT_EQ(Value(info.x), 2.0);
}

// The editing reader's changes: Set changes the record in memory, WriteGeomInfo
// writes the changed table back in place (a region file its region records only).
TEST_F(PolygonsTest, EditingReaderWritesChangedRecordsBackInPlace) {
  file.AddPolygon({1, -2});
  file.AddPolygon({3});
  for (int i = 0; i < 3; ++i) file.AddPolygon({4});  // five regions over five arcs
  const tb::MapFileBuilder built = file.Build();
  Terrix_Reader edit;
  Open(built, edit);
  const tb::Bytes original = tb::ReadFile(dir.Path("map.tmf"));
  TERRIX_RegExt label{};
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(edit.GetPolyLab(i, &label), Result::Success) << i;
    const auto at = original.begin() + built.SectionOffset(0) + 16 * i;
    EXPECT_EQ(BytesOf(label), tb::Bytes(at, at + 16)) << i;
  }
  EXPECT_EQ(edit.GetPolyLab(5, &label), Result::IoError) << "below the region count";
  EXPECT_EQ(edit.GetPolyLab(0, nullptr), Result::Success);

  TERRIX_RegInfo region{}, read{};
  TERRIX_LineInfo arc{};
  ASSERT_EQ(edit.ReadPolygonInfo(1, &region, nullptr), Result::Success);
  for (std::size_t i = 9; i < sizeof region; ++i)
    reinterpret_cast<std::uint8_t*>(&region)[i] = std::uint8_t(i);
  EXPECT_EQ(edit.SetPolygonInfo(5, region), Result::IoError) << "index equal to the region count";
  EXPECT_EQ(edit.SetPolygonInfo(-1, region), Result::IoError);
  ASSERT_EQ(edit.SetPolygonInfo(1, region), Result::Success);
  ASSERT_EQ(edit.ReadArcInfo(0, &arc, nullptr), Result::Success);
  arc.pointCount = 2;
  ASSERT_EQ(edit.SetArcInfo(0, arc), Result::Success);
  ASSERT_EQ(edit.ReadPolygonInfo(1, &read, nullptr), Result::Success);
  EXPECT_EQ(BytesOf(read), BytesOf(region)) << "the change is read back from memory";
  ASSERT_EQ(edit.ReadArcInfo(0, nullptr, g.get()), Result::Success);
  EXPECT_EQ(g->vertexCount, 2);
  EXPECT_EQ(tb::ReadFile(dir.Path("map.tmf")), original) << "Set writes nothing";

  FileSeam::FailWriteAt(1);
  EXPECT_EQ(edit.WriteGeomInfo(), Result::WriteBackFailed);
  FileSeam::Reset();
  ASSERT_EQ(edit.WriteGeomInfo(), Result::Success);
  EXPECT_EQ(FileSeam::WriteCount(), 1) << "one write for the whole table";
  edit.Close();
  tb::Bytes expected = original;
  const tb::Bytes record = BytesOf(region);
  std::copy(record.begin(), record.end(),
            expected.begin() + built.SectionOffset(8) + 2 * tb::kRegionRecordBytes);
  EXPECT_EQ(tb::ReadFile(dir.Path("map.tmf")), expected) << "only region record 2 changed";
}

}  // namespace
