// Points, lines, polygons and their arcs as Terrix_Writer stores them, checked
// on the written bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "WriterTestSupport.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using wt::FileView;

namespace {

class WriterElements : public ::testing::Test {
 protected:
  tb::TempDir dir;
  Terrix_Writer w;
  wt::OwnedGeometry none{{}, {}};

  FileView Finish(const std::string& name) {
    w.Flush();
    w.Close();
    return FileView(dir.Path(name));
  }
  std::int32_t ListValue(const FileView& f, std::uint32_t listOffset, int i) {
    return f.At<std::int32_t>(f.Offset(1) + listOffset + 4 * i);
  }
  std::uint32_t PolygonListOffset(const FileView& f, int record) {
    return f.At<std::uint32_t>(f.Offset(8) + 40 * record + 5);
  }
  std::int32_t PolygonListCount(const FileView& f, int record) {
    return f.At<std::int32_t>(f.Offset(8) + 40 * record + 1);
  }
  std::int32_t ArcPointCount(const FileView& f, int record) {
    return f.At<std::int32_t>(f.Offset(0) + 57 * record + 10);
  }
  std::uint32_t ArcPointOffset(const FileView& f, int record) {
    return f.At<std::uint32_t>(f.Offset(0) + 57 * record + 14);
  }
};

TEST_F(WriterElements, NoteTextsKindsAndOffsets) {
  ASSERT_EQ(w.Create(dir.WidePath("p.wt").c_str(), 1), Result::Success);
  TERRIX_PntInfo shown = wt::InUsePoint(1, 5);
  std::memset(shown.display0, 0xA5, sizeof shown.display0);
  std::memset(shown.display1, 0x5A, sizeof shown.display1);
  shown.noteLength = 99;  // set by the writer
  shown.pointKind = 7;    // set by the writer
  EXPECT_EQ(w.AddPointInfo(shown, *none, "ab"), Result::Success);
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(2, 3), *none, ""), Result::Success);
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(1.5, 4), *none, "cde"), Result::Success);
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(1.5, 4), *none, nullptr), Result::Success);
  const FileView f = Finish("p.wt");

  const std::uint32_t s0 = f.Offset(0);
  const std::int16_t lengths[4] = {2, 0, 3, 0};
  const std::uint32_t offsets[4] = {2, 4, 5, 8};
  const std::uint8_t kinds[4] = {0, 1, 0, 1};
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t rec = s0 + 93 * (i + 1);
    EXPECT_EQ(f.At<std::int16_t>(rec + 1), lengths[i]) << i;
    EXPECT_EQ(f.At<std::uint32_t>(rec + 3), offsets[i]) << i;
    EXPECT_EQ(f.At<std::uint8_t>(rec + 31), kinds[i]) << i;
  }
  // The host's bytes pass through: state, position and display parameters.
  TERRIX_PntInfo stored;
  std::memcpy(&stored, f.bytes.data() + s0 + 93, sizeof stored);
  EXPECT_EQ(stored.state, 1);
  const double storedX = stored.x;  // packed: copied out before comparing
  EXPECT_EQ(storedX, 1.0);
  EXPECT_EQ(std::memcmp(stored.display0, shown.display0, sizeof stored.display0), 0);
  EXPECT_EQ(std::memcmp(stored.display1, shown.display1, sizeof stored.display1), 0);

  EXPECT_EQ(f.Length(1), 9u);  // 2 + "ab" + reserved + "cde" + reserved
  const char section1[9] = {0, 0, 'a', 'b', 0, 'c', 'd', 'e', 0};
  EXPECT_EQ(std::memcmp(f.bytes.data() + f.Offset(1), section1, 9), 0);

  const std::vector<std::int32_t> counts = {4, 5, 0, 0, 0, 0, 0, 5, 0, 1, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(f.Count(i), counts[i]) << "word " << i;
  const double extent[4] = {1, 3, 2, 5};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.ExtentWord(i), extent[i]);
  // Every per-point extent record holds the whole file's extent.
  for (int k = 0; k < 5; ++k)
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.At<double>(f.Offset(3) + 32 * k + 8 * i), extent[i]);
}

TEST_F(WriterElements, FirstPointSetsTheWholeExtentAndLongNotesFit) {
  ASSERT_EQ(w.Create(dir.WidePath("p.wt").c_str(), 1), Result::Success);
  const std::string longNote(10000, 'q');
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(-7, 8), *none, longNote.c_str()), Result::Success);
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(-7, 8), *none, "z"), Result::Success);
  const FileView f = Finish("p.wt");
  const double extent[4] = {-7, 8, -7, 8};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.ExtentWord(i), extent[i]);
  EXPECT_EQ(f.Length(1), 2u + 10000u + 1u);
  EXPECT_EQ(std::string(f.bytes.begin() + f.Offset(1) + 2, f.bytes.begin() + f.Offset(1) + 10003),
            longNote + "z");
  EXPECT_EQ(f.At<std::int16_t>(f.Offset(0) + 93 + 1), 10000);
  EXPECT_EQ(f.At<std::uint32_t>(f.Offset(0) + 2 * 93 + 3), 10002u);
}

TEST_F(WriterElements, LinesTakeTheirPartsVertexRanges) {
  ASSERT_EQ(w.Create(dir.WidePath("l.wt").c_str(), 0), Result::Success);
  wt::OwnedGeometry four(wt::Ramp(4), {0});
  wt::OwnedGeometry two(wt::Ramp(2, 100), {});  // no part table: all vertices
  wt::OwnedGeometry parts(wt::Ramp(12, 10), {0, 5, 9});
  TERRIX_LineInfo shown = wt::InUseLine();
  std::memset(shown.display1, 0x33, sizeof shown.display1);
  shown.pointCount = 1234;  // set by the writer
  EXPECT_EQ(w.AddArcInfo(shown, *four, 0), Result::Success);
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *two, 0), Result::Success);
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *parts, 1), Result::PartSkipped);
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *parts, 2), Result::PartSkipped);
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *parts, 7), Result::PartSkipped);
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *parts, -3), Result::PartSkipped);
  const FileView f = Finish("l.wt");

  const std::int32_t counts[6] = {4, 2, 4, 3, 12, 12};
  const std::int32_t firstX[6] = {0, 100, 15, 19, 10, 10};
  std::uint32_t expectedOffset = 2;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ArcPointCount(f, i + 1), counts[i]) << i;
    EXPECT_EQ(ArcPointOffset(f, i + 1), expectedOffset) << i;
    EXPECT_EQ(f.At<double>(f.Offset(1) + expectedOffset), firstX[i]) << i;
    expectedOffset += 16 * counts[i];
  }
  EXPECT_EQ(f.Length(1), expectedOffset);
  EXPECT_EQ(std::memcmp(f.bytes.data() + f.Offset(0) + 57 + 18, shown.display1, 39), 0);
  EXPECT_EQ(f.Count(0), 6);
  EXPECT_EQ(f.Count(1), 7);
  const double extent[4] = {0, 0, 101, 102};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.ExtentWord(i), extent[i]);
}

TEST_F(WriterElements, MalformedGeometriesStayInsideTheirArrays) {
  ASSERT_EQ(w.Create(dir.WidePath("l.wt").c_str(), 0), Result::Success);
  wt::OwnedGeometry wild(wt::Ramp(5), {0, 9, 3, -4});  // starts beyond and before the vertices
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *wild, 1), Result::PartSkipped);  // [9, 3) -> empty
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *wild, 2), Result::PartSkipped);  // [3, -4) -> empty
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *wild, 3), Result::PartSkipped);  // [-4, 5) -> 0..4
  wt::OwnedGeometry noArrays({}, {});
  std::free(noArrays.get()->x);
  std::free(noArrays.get()->y);
  noArrays.get()->x = noArrays.get()->y = nullptr;
  noArrays.get()->vertexCount = 50;  // no x and y arrays behind it
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *noArrays, 0), Result::Success);
  noArrays.get()->partCount = -2;  // only 0 and 1 are one-part geometries
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *noArrays, 0), Result::PartSkipped);
  const FileView f = Finish("l.wt");
  EXPECT_EQ(ArcPointCount(f, 1), 0);
  EXPECT_EQ(ArcPointCount(f, 2), 0);
  EXPECT_EQ(ArcPointCount(f, 3), 5);
  EXPECT_EQ(ArcPointCount(f, 4), 0);
  EXPECT_EQ(f.Length(1), 2u + 16u * 5u);
}

TEST_F(WriterElements, ElementsOfAnotherKindAreRefused) {
  wt::OwnedGeometry ring(wt::Ramp(4), {0});
  ASSERT_EQ(w.Create(dir.WidePath("l.wt").c_str(), 0), Result::Success);
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(1, 1), *none, "x"), Result::NotHandled);
  EXPECT_EQ(w.AddPolygonInfo(wt::InUseRegion(), *ring), Result::NotHandled);
  EXPECT_EQ(w.AddPolyArcInfo(wt::InUseLine(), *ring, 0), Result::NotHandled);
  ASSERT_EQ(w.Create(dir.WidePath("p.wt").c_str(), 1), Result::Success);
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *ring, 0), Result::NotHandled);
  ASSERT_EQ(w.Create(dir.WidePath("t.wt").c_str(), 7), Result::Success);
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *ring, 0), Result::NotHandled);
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(1, 1), *none, "x"), Result::NotHandled);
  // Nothing is added once the file is written.
  ASSERT_EQ(w.Create(dir.WidePath("q.wt").c_str(), 1), Result::Success);
  w.Flush();
  EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(1, 1), *none, "x"), Result::NotHandled);
  const FileView f = Finish("q.wt");
  EXPECT_EQ(f.bytes.size(), 1297u);
  EXPECT_EQ(f.Count(0), 0);
}

TEST_F(WriterElements, PolygonsArcsAndLists) {
  ASSERT_EQ(w.Create(dir.WidePath("r.wt").c_str(), 2), Result::Success);
  wt::OwnedGeometry threeRings(wt::Ramp(13), {0, 5, 9}, {5, 3, 3});
  wt::OwnedGeometry oneRing(wt::Ramp(4, 50), {0});
  TERRIX_RegInfo shown = wt::InUseRegion();
  std::memset(shown.display, 0x77, sizeof shown.display);
  EXPECT_EQ(w.AddPolygonInfo(shown, *threeRings), Result::Success);
  EXPECT_EQ(w.AddPolygonInfo(wt::InUseRegion(), *oneRing), Result::Success);
  const FileView f = Finish("r.wt");

  const std::uint32_t coordinatePart = 2 + 16 * 17;
  EXPECT_EQ(f.Length(1), coordinatePart + 4 * (6 + 2));
  EXPECT_EQ(PolygonListCount(f, 1), 6);
  EXPECT_EQ(PolygonListOffset(f, 1), coordinatePart);
  EXPECT_EQ(PolygonListCount(f, 2), 2);
  EXPECT_EQ(PolygonListOffset(f, 2), coordinatePart + 24);
  const std::int32_t first[6] = {13 + 3, 1, 0, 2, 0, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ListValue(f, coordinatePart, i), first[i]) << i;
  EXPECT_EQ(ListValue(f, coordinatePart + 24, 0), 4 + 1);
  EXPECT_EQ(ListValue(f, coordinatePart + 24, 1), 4);
  EXPECT_EQ(std::memcmp(f.bytes.data() + f.Offset(8) + 40 + 9, shown.display, 31), 0);

  const std::int32_t points[4] = {5, 4, 4, 4};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ArcPointCount(f, i + 1), points[i]);
  EXPECT_EQ(ArcPointOffset(f, 4), 2u + 16u * 13u);

  // Every ring's arc carries the writer's fixed display parameters.
  tb::ByteWriter arc;
  arc.u8(1).zeros(9).i32(4).u32(2 + 16 * 13).zeros(4).u16(1).zeros(1).u8(1).u32(1).u32(0x3DCCCCCD);
  arc.zeros(1).f32(1.0f).f32(1.0f).u32(1).zeros(10);
  ASSERT_EQ(arc.size(), 57u);
  EXPECT_EQ(tb::Bytes(f.bytes.begin() + f.Offset(0) + 4 * 57, f.bytes.begin() + f.Offset(0) + 5 * 57),
            arc.data());

  const std::vector<std::int32_t> counts = {4, 5, 0, 1, 2, 3, 0, 5, 0, 1, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(f.Count(i), counts[i]) << "word " << i;
  EXPECT_EQ(f.Length(3), 24u * 5u);
}

TEST_F(WriterElements, SkippedOuterRingsAndEmptyPolygons) {
  ASSERT_EQ(w.Create(dir.WidePath("r.wt").c_str(), 2), Result::Success);
  std::vector<std::pair<double, double>> pts = wt::Ramp(5);
  const auto skippedPart = wt::Ramp(4, 1000);  // would widen the extent if written
  pts.insert(pts.end(), skippedPart.begin(), skippedPart.end());
  const auto third = wt::Ramp(4, -1);
  pts.insert(pts.end(), third.begin(), third.end());
  wt::OwnedGeometry withOuter(pts, {0, 5, 9}, {5, 2, 3});
  EXPECT_EQ(w.AddPolygonInfo(wt::InUseRegion(), *withOuter), Result::PartSkipped);
  wt::OwnedGeometry noParts(wt::Ramp(3), {});
  EXPECT_EQ(w.AddPolygonInfo(wt::InUseRegion(), *noParts), Result::Success);
  const FileView f = Finish("r.wt");

  EXPECT_EQ(f.Count(0), 2);  // arcs for parts 0 and 2 only
  const std::uint32_t coordinatePart = 2 + 16 * 9;
  EXPECT_EQ(PolygonListCount(f, 1), 5);  // the values actually written
  const std::int32_t list[5] = {9 + 1 + 2, 1, 0, 0, 2};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ListValue(f, coordinatePart, i), list[i]) << i;
  EXPECT_EQ(f.At<double>(f.Offset(1) + ArcPointOffset(f, 2)), -1.0);
  // A polygon without parts: only its total, no arc.
  EXPECT_EQ(PolygonListCount(f, 2), 1);
  EXPECT_EQ(PolygonListOffset(f, 2), coordinatePart + 20);
  EXPECT_EQ(ListValue(f, coordinatePart + 20, 0), 1);
  const double extent[4] = {-1, -1, 4, 8};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.ExtentWord(i), extent[i]);
}

TEST_F(WriterElements, PolyArcAddsOneArcAndCountsOnlyArcs) {
  ASSERT_EQ(w.Create(dir.WidePath("r.wt").c_str(), 2), Result::Success);
  wt::OwnedGeometry parts(wt::Ramp(12), {0, 5, 9});
  EXPECT_EQ(w.AddPolyArcInfo(wt::InUseLine(), *parts, 1), Result::Success);
  const FileView f = Finish("r.wt");
  EXPECT_EQ(ArcPointCount(f, 1), 4);
  const std::vector<std::int32_t> counts = {1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(f.Count(i), counts[i]) << "word " << i;
  EXPECT_EQ(f.Length(8), 40u);  // only the reserved polygon record
}

}  // namespace
