// Points, lines, polygons and their arcs as Terrix_Writer stores them, checked
// on the written bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "WriterTestSupport.h"
#include "terrix/ResultCodes.h"
#include "writer/ArcCoordinates.h"

using namespace Terrix;
using writer_support::FileView;
using Counts = std::vector<std::int32_t>;
using Extent = std::array<double, 4>;

namespace {

class WriterElements : public ::testing::Test {
 protected:
  tb::TempDir dir;
  Terrix_Writer w;
  Terrix::GeometryHolder none = writer_support::Geo({}, {});
  const TERRIX_LineInfo line = writer_support::InUse<TERRIX_LineInfo>();
  const TERRIX_RegInfo region = writer_support::InUse<TERRIX_RegInfo>();

  FileView Finish(const std::string& name) {
    w.Flush();
    w.Close();
    return FileView(dir.Path(name));
  }
  /// `count` i32 values of section 1 from `offset`.
  static Counts Values(const FileView& f, std::uint32_t offset, int count) {
    Counts v;
    for (int i = 0; i < count; ++i) v.push_back(f.At<std::int32_t>(f.Offset(1) + offset + 4 * i));
    return v;
  }
  /// The list count and list offset of polygon record `record`.
  static std::pair<std::int32_t, std::uint32_t> List(const FileView& f, int record) {
    return {f.At<std::int32_t>(f.Offset(8) + 40 * record + 1),
            f.At<std::uint32_t>(f.Offset(8) + 40 * record + 5)};
  }
  /// The point count and coordinate offset of line or arc record `record`.
  static std::pair<std::int32_t, std::uint32_t> Points(const FileView& f, int record) {
    return {f.At<std::int32_t>(f.Offset(0) + 57 * record + 10),
            f.At<std::uint32_t>(f.Offset(0) + 57 * record + 14)};
  }
};

TEST_F(WriterElements, NoteTextsKindsAndOffsets) {
  ASSERT_EQ(w.Create(dir.WidePath("p.tmf").c_str(), 1), Result::Success);
  TERRIX_PntInfo shown = writer_support::InUsePoint(1, 5);
  std::memset(shown.display0, 0xA5, sizeof shown.display0);
  std::memset(shown.display1, 0x5A, sizeof shown.display1);
  shown.noteLength = 99;  // set by the writer
  shown.pointKind = 7;    // set by the writer
  EXPECT_EQ(w.AddPointInfo(shown, *none, "ab"), Result::Success);
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(2, 3), *none, ""), Result::Success);
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(1.5, 4), *none, "cde"), Result::Success);
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(1.5, 4), *none, nullptr), Result::Success);
  const FileView f = Finish("p.tmf");

  // The host's bytes but for the note length, note offset and point kind; the
  // other points' three fields are read back in the round trip.
  shown.noteLength = 2;
  shown.noteOffset = 2;
  shown.pointKind = 0;
  EXPECT_EQ(std::memcmp(f.bytes.data() + f.Offset(0) + 93, &shown, sizeof shown), 0);
  EXPECT_EQ(f.At<std::uint8_t>(f.Offset(0) + 2 * 93 + 31), 1);  // no note
  // Two leading bytes, "ab", a reserved byte, "cde", a reserved byte.
  EXPECT_EQ(f.Slice(f.Offset(1), 9),
            tb::ByteWriter().zeros(2).raw("ab", 2).zeros(1).raw("cde", 3).zeros(1).data());
  EXPECT_EQ(f.Length(1), 9u);

  EXPECT_EQ(f.Counts(), (Counts{4, 5, 0, 0, 0, 0, 0, 5, 0, 1, 0}));
  const Extent extent = {1, 3, 2, 5};
  EXPECT_EQ(f.Extent(), extent);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(f.Extent(f.Offset(3) + 32 * k), extent) << k;
}

TEST_F(WriterElements, FirstPointSetsTheWholeExtentAndLongNotesFit) {
  ASSERT_EQ(w.Create(dir.WidePath("p.tmf").c_str(), 1), Result::Success);
  const std::string longNote(10000, 'q');
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(-7, 8), *none, longNote.c_str()), Result::Success);
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(-7, 8), *none, "z"), Result::Success);
  const FileView f = Finish("p.tmf");
  EXPECT_EQ(f.Extent(), (Extent{-7, 8, -7, 8}));
  EXPECT_EQ(f.Length(1), 2u + 10000u + 1u);
  const tb::Bytes notes = f.Slice(f.Offset(1) + 2, 10001);
  EXPECT_EQ(std::string(notes.begin(), notes.end()), longNote + "z");
  EXPECT_EQ(f.At<std::int16_t>(f.Offset(0) + 93 + 1), 10000);
  EXPECT_EQ(f.At<std::uint32_t>(f.Offset(0) + 2 * 93 + 3), 10002u);
}

TEST_F(WriterElements, LinesTakeTheirPartsVertexRanges) {
  ASSERT_EQ(w.Create(dir.WidePath("l.tmf").c_str(), 0), Result::Success);
  const Terrix::GeometryHolder four = writer_support::Geo(writer_support::Ramp(4), {0});
  const Terrix::GeometryHolder two =
      writer_support::Geo(writer_support::Ramp(2, 100), {});  // no part table: all vertices
  const Terrix::GeometryHolder parts = writer_support::Geo(writer_support::Ramp(12, 10), {0, 5, 9});
  TERRIX_LineInfo shown = line;
  std::memset(shown.display1, 0x33, sizeof shown.display1);
  shown.pointCount = 1234;  // set by the writer
  EXPECT_EQ(w.AddArcInfo(shown, *four, 0), Result::Success);
  EXPECT_EQ(w.AddArcInfo(line, *two, 0), Result::Success);
  for (int part : {1, 2, 7, -3}) EXPECT_EQ(w.AddArcInfo(line, *parts, part), Result::PartSkipped);
  const FileView f = Finish("l.tmf");

  const std::int32_t counts[6] = {4, 2, 4, 3, 12, 12};
  const double firstX[6] = {0, 100, 15, 19, 10, 10};
  std::uint32_t offset = 2;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Points(f, i + 1), std::make_pair(counts[i], offset)) << i;
    EXPECT_EQ(f.At<double>(f.Offset(1) + offset), firstX[i]) << i;
    offset += 16 * counts[i];
  }
  EXPECT_EQ(f.Length(1), offset);
  EXPECT_EQ(std::memcmp(f.bytes.data() + f.Offset(0) + 57 + 18, shown.display1, 39), 0);
  EXPECT_EQ(f.Counts(), (Counts{6, 7, 0, 1, 0, 0, 0, 7, 0, 1, 0}));
  EXPECT_EQ(f.Extent(), (Extent{0, 0, 101, 102}));
}

TEST_F(WriterElements, MalformedGeometriesStayInsideTheirArrays) {
  ASSERT_EQ(w.Create(dir.WidePath("l.tmf").c_str(), 0), Result::Success);
  const Terrix::GeometryHolder wild =
      writer_support::Geo(writer_support::Ramp(5), {0, 9, 3, -4});  // starts beyond and before the vertices
  EXPECT_EQ(w.AddArcInfo(line, *wild, 1), Result::PartSkipped);     // [9, 3) -> empty
  EXPECT_EQ(w.AddArcInfo(line, *wild, 2), Result::PartSkipped);     // [3, -4) -> empty
  EXPECT_EQ(w.AddArcInfo(line, *wild, 3), Result::PartSkipped);     // [-4, 5) -> 0..4
  const Terrix::GeometryHolder noArrays = writer_support::Geo({}, {});
  noArrays->vertexCount = 50;  // no x and y arrays behind it
  EXPECT_EQ(w.AddArcInfo(line, *noArrays, 0), Result::Success);
  noArrays->partCount = -2;  // only 0 and 1 are one-part geometries
  EXPECT_EQ(w.AddArcInfo(line, *noArrays, 0), Result::PartSkipped);
  const FileView f = Finish("l.tmf");
  const std::int32_t counts[5] = {0, 0, 5, 0, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Points(f, i + 1).first, counts[i]) << i;
  EXPECT_EQ(f.Length(1), 2u + 16u * 5u);
}

TEST_F(WriterElements, ElementsOfAnotherKindAreRefused) {
  const Terrix::GeometryHolder ring = writer_support::Geo(writer_support::Ramp(4), {0});
  ASSERT_EQ(w.Create(dir.WidePath("l.tmf").c_str(), 0), Result::Success);
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(1, 1), *none, "x"), Result::NotHandled);
  EXPECT_EQ(w.AddPolygonInfo(region, *ring), Result::NotHandled);
  EXPECT_EQ(w.AddPolyArcInfo(line, *ring, 0), Result::NotHandled);
  ASSERT_EQ(w.Create(dir.WidePath("p.tmf").c_str(), 1), Result::Success);
  EXPECT_EQ(w.AddArcInfo(line, *ring, 0), Result::NotHandled);
  ASSERT_EQ(w.Create(dir.WidePath("t.tmf").c_str(), 7), Result::Success);
  EXPECT_EQ(w.AddArcInfo(line, *ring, 0), Result::NotHandled);
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(1, 1), *none, "x"), Result::NotHandled);
  // Nothing is added once the file is written.
  ASSERT_EQ(w.Create(dir.WidePath("q.tmf").c_str(), 1), Result::Success);
  w.Flush();
  EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(1, 1), *none, "x"), Result::NotHandled);
  const FileView f = Finish("q.tmf");
  EXPECT_EQ(f.bytes.size(), 1297u);
  EXPECT_EQ(f.Counts(), Counts(11, 0));
}

TEST_F(WriterElements, PolygonsArcsAndLists) {
  ASSERT_EQ(w.Create(dir.WidePath("r.tmf").c_str(), 2), Result::Success);
  const Terrix::GeometryHolder threeRings =
      writer_support::Geo(writer_support::Ramp(13), {0, 5, 9}, {5, 3, 3});
  const Terrix::GeometryHolder oneRing = writer_support::Geo(writer_support::Ramp(4, 50), {0});
  TERRIX_RegInfo shown = region;
  std::memset(shown.display, 0x77, sizeof shown.display);
  EXPECT_EQ(w.AddPolygonInfo(shown, *threeRings), Result::Success);
  EXPECT_EQ(w.AddPolygonInfo(region, *oneRing), Result::Success);
  const FileView f = Finish("r.tmf");

  // The lists lie behind the coordinates: [V + k, arcs with separators].
  const std::uint32_t coordinatePart = 2 + 16 * 17;
  EXPECT_EQ(f.Length(1), coordinatePart + 4 * (6 + 2));
  EXPECT_EQ(List(f, 1), std::make_pair(6, coordinatePart));
  EXPECT_EQ(List(f, 2), std::make_pair(2, coordinatePart + 24));
  EXPECT_EQ(Values(f, coordinatePart, 8), (Counts{13 + 3, 1, 0, 2, 0, 3, 4 + 1, 4}));
  EXPECT_EQ(std::memcmp(f.bytes.data() + f.Offset(8) + 40 + 9, shown.display, 31), 0);
  const std::int32_t points[4] = {5, 4, 4, 4};
  const std::uint32_t offsets[4] = {2, 2 + 16 * 5, 2 + 16 * 9, 2 + 16 * 13};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Points(f, i + 1), std::make_pair(points[i], offsets[i])) << i;

  // Every ring's arc carries the writer's fixed display parameters.
  tb::ByteWriter arc;
  arc.u8(1).zeros(9).i32(4).u32(2 + 16 * 13).zeros(4).u16(1).zeros(1).u8(1).u32(1).u32(0x3DCCCCCD);
  arc.zeros(1).f32(1.0f).f32(1.0f).u32(1).zeros(10);
  EXPECT_EQ(f.Slice(f.Offset(0) + 4 * 57, 57), arc.data());
  EXPECT_EQ(f.Counts(), (Counts{4, 5, 0, 1, 2, 3, 0, 5, 0, 1, 0}));
  EXPECT_EQ(f.Length(3), 24u * 5u);
}

TEST_F(WriterElements, SkippedOuterRingsAndEmptyPolygons) {
  ASSERT_EQ(w.Create(dir.WidePath("r.tmf").c_str(), 2), Result::Success);
  std::vector<std::pair<double, double>> pts = writer_support::Ramp(5);
  for (const auto& more : {writer_support::Ramp(4, 1000), writer_support::Ramp(4, -1)})
    pts.insert(pts.end(), more.begin(), more.end());
  const Terrix::GeometryHolder withOuter =
      writer_support::Geo(pts, {0, 5, 9}, {5, 2, 3});  // the part at 1000 would widen the extent
  EXPECT_EQ(w.AddPolygonInfo(region, *withOuter), Result::PartSkipped);
  const Terrix::GeometryHolder noParts = writer_support::Geo(writer_support::Ramp(3), {});
  EXPECT_EQ(w.AddPolygonInfo(region, *noParts), Result::Success);
  const FileView f = Finish("r.tmf");

  EXPECT_EQ(f.Counts()[0], 2);  // arcs for parts 0 and 2 only
  const std::uint32_t coordinatePart = 2 + 16 * 9;
  // The list count is the number of values written; a polygon without parts
  // has its total only.
  EXPECT_EQ(List(f, 1), std::make_pair(5, coordinatePart));
  EXPECT_EQ(List(f, 2), std::make_pair(1, coordinatePart + 20));
  EXPECT_EQ(Values(f, coordinatePart, 6), (Counts{9 + 1 + 2, 1, 0, 0, 2, 1}));
  EXPECT_EQ(f.At<double>(f.Offset(1) + Points(f, 2).second), -1.0);
  EXPECT_EQ(f.Extent(), (Extent{-1, -1, 4, 8}));
}

TEST_F(WriterElements, PolyArcAddsOneArcAndCountsOnlyArcs) {
  ASSERT_EQ(w.Create(dir.WidePath("r.tmf").c_str(), 2), Result::Success);
  const Terrix::GeometryHolder parts = writer_support::Geo(writer_support::Ramp(12), {0, 5, 9});
  EXPECT_EQ(w.AddPolyArcInfo(line, *parts, 1), Result::Success);
  const FileView f = Finish("r.tmf");
  EXPECT_EQ(Points(f, 1), std::make_pair(4, 2u));
  EXPECT_EQ(f.Counts(), (Counts{1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(f.Length(8), 40u);  // only the reserved polygon record
}

}  // namespace

// The coordinates of the arcs grow in blocks: an arc larger than a block gets
// one of its own, values come back in order, and a refused element's values
// are dropped across block ends.
TEST(ArcCoordinates, BlocksKeepOrderAndDropTheLastValues) {
  Terrix::detail::ArcCoordinates c;
  std::vector<double> expected;
  for (std::size_t n : {std::size_t{3}, std::size_t{1} << 20, std::size_t{5}, (std::size_t{1} << 21) + 7}) {
    double* at = c.Append(n);
    for (std::size_t i = 0; i < n; ++i) at[i] = static_cast<double>(expected.size() + i);
    for (std::size_t i = 0; i < n; ++i) expected.push_back(static_cast<double>(expected.size()));
  }
  ASSERT_EQ(c.size(), expected.size());
  c.Truncate(expected.size() - ((std::size_t{1} << 21) + 7) - 2);
  expected.resize(c.size());
  std::vector<double> got;
  int blocks = 0;
  EXPECT_TRUE(c.ForEachBlock([&](const double* v, std::size_t n) {
    ++blocks;
    got.insert(got.end(), v, v + n);
    return true;
  }));
  EXPECT_EQ(got, expected);
  EXPECT_EQ(blocks, 3) << "the oversized arc's block went with it, the one before keeps 3 of its 5";
  EXPECT_FALSE(c.ForEachBlock([](const double*, std::size_t) { return false; }));
  c.Release();
  EXPECT_TRUE(c.empty());
}
