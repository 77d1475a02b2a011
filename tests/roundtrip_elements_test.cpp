// Points, lines and polygons written by Terrix_Writer and read back through
// Terrix_FastReader: the records as given (display parameters kept, the
// writer's own fields as it sets them), coordinates bit for bit, ring
// structure, counts, extent and projection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/RoundTrip.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using elements_test::GeometryPtr;
using elements_test::NewGeometry;
using elements_test::Value;
using roundtrip::Points;
using roundtrip::SameRecord;
using roundtrip::SameVertices;

namespace {

class RoundTripElements : public ::testing::Test {
 protected:
  tb::TempDir dir;
  Terrix_Writer writer;
  Terrix_FastReader reader;
  wt::OwnedGeometry none{{}, {}};

  void Create(int kind) { ASSERT_EQ(writer.Create(dir.WidePath("map.wt").c_str(), kind), Result::Success); }
  void FlushAndOpen() {
    writer.Flush();
    writer.Close();
    ASSERT_EQ(reader.Open(dir.WidePath("map.wt").c_str()), Result::Success);
  }
};

/// The arc record the writer gives every ring: in use, fixed display
/// parameters, then the point count and offset of the ring.
TERRIX_LineInfo ExpectedRingArc(std::int32_t points, std::uint32_t offset) {
  std::uint8_t b[57] = {};
  b[0] = 1;
  const std::uint16_t one16 = 1;
  const std::uint32_t one32 = 1;
  const float tenth = 0.1f;
  const float unit = 1.0f;
  std::memcpy(b + 22, &one16, 2);
  b[25] = 1;
  std::memcpy(b + 26, &one32, 4);
  std::memcpy(b + 30, &tenth, 4);
  std::memcpy(b + 35, &unit, 4);
  std::memcpy(b + 39, &unit, 4);
  std::memcpy(b + 43, &one32, 4);
  std::memcpy(b + 10, &points, 4);
  std::memcpy(b + 14, &offset, 4);
  TERRIX_LineInfo r;
  std::memcpy(&r, b, sizeof r);
  return r;
}

TEST_F(RoundTripElements, PointsWithAndWithoutNotes) {
  Create(1);
  const std::string longNote(300, 'n');
  const char* gbkNote = "\xD6\xD0\xCE\xC4 note";  // 中文 note
  struct Given {
    TERRIX_PntInfo record;
    const char* note;
  };
  const Points where = roundtrip::AwkwardPoints();
  std::vector<Given> given;
  for (std::size_t i = 0; i < where.size(); ++i) {
    TERRIX_PntInfo r = roundtrip::Patterned<TERRIX_PntInfo>(static_cast<std::uint8_t>(i));
    r.x = where[i].first;
    r.y = where[i].second;
    static const char* const notes[] = {"ab", "", nullptr, nullptr, "cde"};
    given.push_back({r, notes[i]});
  }
  given[2].note = longNote.c_str();
  given[3].note = gbkNote;
  for (const Given& g : given) EXPECT_EQ(writer.AddPointInfo(g.record, *none, g.note), Result::Success);
  FlushAndOpen();

  int count = -5;
  // The writer's element count and the record count agree.
  EXPECT_EQ(reader.GetPointCount(&count), static_cast<int>(given.size()));
  EXPECT_EQ(count, static_cast<int>(given.size()));
  std::uint32_t noteAt = 2;  // notes follow each other from offset 2 of the coordinate section
  for (std::size_t i = 0; i < given.size(); ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    const std::size_t n = given[i].note != nullptr ? std::strlen(given[i].note) : 0;
    TERRIX_PntInfo expected = given[i].record;
    expected.noteLength = static_cast<std::int16_t>(n);
    expected.noteOffset = noteAt;
    expected.pointKind = n > 0 ? 0 : 1;
    noteAt += n > 0 ? static_cast<std::uint32_t>(n) : 1;  // a point without note reserves one byte

    TERRIX_PntInfo read{};
    GeometryPtr g = NewGeometry();
    ASSERT_EQ(reader.ReadPointInfo(static_cast<int>(i), &read, g.get()), Result::Success);
    EXPECT_TRUE(SameRecord(expected, read));
    EXPECT_EQ(g->type, ShapeType::Point);
    EXPECT_EQ(g->partCount, 0);
    EXPECT_TRUE(SameVertices(*g, 0, {where[i]}));

    char note[300];
    std::memset(note, '#', sizeof note);
    ASSERT_EQ(reader.GetNoteInfo(static_cast<int>(i), note), Result::Success);
    if (n == 0) {
      EXPECT_EQ(note[0], '#') << "a point without note leaves the buffer as it was";
    } else {
      const std::size_t kept = n < 259 ? n : 259;  // notes are cut at 259 bytes and terminated
      EXPECT_EQ(std::string(note, kept), std::string(given[i].note, kept));
      EXPECT_EQ(note[kept], '\0');
      EXPECT_EQ(note[kept + 1], '#');
    }
  }
  EXPECT_EQ(reader.ReadPointInfo(static_cast<int>(given.size()), nullptr, nullptr), Result::IoError);
}

TEST_F(RoundTripElements, MultiPartLineWrittenOneLinePerPart) {
  Create(0);
  const Points awkward = roundtrip::AwkwardPoints();
  const roundtrip::PartsGeometry multi({wt::Ramp(4, 10.5), awkward, wt::Ramp(2, -7.25)}, {5, 5, 5});
  const roundtrip::PartsGeometry single({wt::Ramp(3, 100.0)}, {5});
  std::vector<TERRIX_LineInfo> records;
  std::vector<Points> lines;
  for (int part = 0; part < 3; ++part) {
    records.push_back(roundtrip::Patterned<TERRIX_LineInfo>(static_cast<std::uint8_t>(40 + part)));
    EXPECT_EQ(writer.AddArcInfo(records.back(), *multi.geometry, part), Result::PartSkipped);
    lines.push_back(multi.parts[static_cast<std::size_t>(part)]);
  }
  records.push_back(roundtrip::Patterned<TERRIX_LineInfo>(99));
  EXPECT_EQ(writer.AddArcInfo(records.back(), *single.geometry, 0), Result::Success);
  lines.push_back(single.parts[0]);
  FlushAndOpen();

  int count = -5;
  EXPECT_EQ(reader.GetArcCount(&count), 4);
  EXPECT_EQ(count, 4);
  std::uint32_t pointsBefore = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    TERRIX_LineInfo expected = records[i];
    expected.pointCount = static_cast<std::int32_t>(lines[i].size());
    expected.pointOffset = 16 * pointsBefore + 2;
    pointsBefore += static_cast<std::uint32_t>(lines[i].size());

    TERRIX_LineInfo read{};
    GeometryPtr g = NewGeometry();
    ASSERT_EQ(reader.ReadArcInfo(static_cast<int>(i), &read, g.get()), Result::Success);
    EXPECT_TRUE(SameRecord(expected, read));
    EXPECT_EQ(g->type, ShapeType::Line);
    ASSERT_EQ(g->partCount, 1);
    EXPECT_EQ(g->partStart[0], 0);
    EXPECT_EQ(g->partType[0], PartKind::Ring);
    ASSERT_EQ(g->vertexCount, static_cast<std::int32_t>(lines[i].size()));
    EXPECT_TRUE(SameVertices(*g, 0, lines[i]));
    for (std::int32_t v = 0; v < g->vertexCount; ++v) EXPECT_TRUE(g->z[v] == 0.0 && g->m[v] == 0.0);
    roundtrip::Bounds b;
    b.Add(lines[i]);
    EXPECT_TRUE(roundtrip::SameBits(g->minX, b.minX) && roundtrip::SameBits(g->maxX, b.maxX));
    EXPECT_TRUE(roundtrip::SameBits(g->minY, b.minY) && roundtrip::SameBits(g->maxY, b.maxY));
  }
}

// One polygon as the writer is given it and as the reader must give it back.
struct PolygonCase {
  std::string name;
  std::vector<Points> parts;
  std::vector<std::int32_t> kinds;
  std::int32_t addResult;
  /// The rings read back: a skipped part that is not the last leaves an empty
  /// ring (its separator stays in the list), a skipped last part leaves none.
  std::vector<Points> rings;
};

TEST_F(RoundTripElements, PolygonsWithHolesSkippedPartsAndNoParts) {
  Create(2);
  const Points outer = {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
  const Points hole1 = {{1, 1}, {2, 1}, {2, 2}, {1, 1}};
  const Points hole2 = {{5, 5}, {6, 5}, {6, 6}, {5, 5}};
  const Points far = {{-500, -500}, {-500, 500}, {500, 500}, {-500, -500}};
  const Points awkward = roundtrip::AwkwardPoints();
  const std::vector<PolygonCase> cases = {
      {"outer with two holes", {outer, hole1, hole2}, {5, 3, 3}, Result::Success, {outer, hole1, hole2}},
      {"one ring of awkward values", {awkward}, {5}, Result::Success, {awkward}},
      {"skipped middle part", {outer, far, hole2}, {5, 2, 3}, Result::PartSkipped, {outer, {}, hole2}},
      {"no parts at all", {}, {}, Result::Success, {{}}},
      {"skipped last part", {hole1, hole2, far}, {5, 3, 2}, Result::PartSkipped, {hole1, hole2}},
  };

  std::vector<TERRIX_RegInfo> records;
  std::vector<std::int32_t> listCounts;
  std::vector<std::uint32_t> listPositions;  // values of all arc lists before this one
  std::uint32_t listValues = 0;
  std::uint32_t ringPoints = 0;
  std::int32_t arcs = 0;
  roundtrip::Bounds extent;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const PolygonCase& c = cases[i];
    records.push_back(roundtrip::Patterned<TERRIX_RegInfo>(static_cast<std::uint8_t>(70 + i)));
    const roundtrip::PartsGeometry geometry(c.parts, c.kinds);
    if (c.parts.empty()) {
      // A container with vertices but no part table makes no arc.
      wt::OwnedGeometry noParts(wt::Ramp(4, 3000.0), {});
      EXPECT_EQ(writer.AddPolygonInfo(records.back(), *noParts), c.addResult) << c.name;
    } else {
      EXPECT_EQ(writer.AddPolygonInfo(records.back(), *geometry.geometry), c.addResult) << c.name;
    }
    // The list: the total, the first ring's arc, then a separator per further
    // part and an arc per part written.
    std::int32_t values = c.parts.empty() ? 1 : 2;
    for (std::size_t p = 0; p < c.parts.size(); ++p) {
      const bool skipped = p > 0 && c.kinds[p] == PartKind::OuterRing;
      if (p > 0) values += skipped ? 1 : 2;
      if (skipped) continue;
      ++arcs;
      ringPoints += static_cast<std::uint32_t>(c.parts[p].size());
      extent.Add(c.parts[p]);
    }
    listCounts.push_back(values);
    listPositions.push_back(listValues);
    listValues += static_cast<std::uint32_t>(values);
  }
  FlushAndOpen();

  int count = -5;
  EXPECT_EQ(reader.GetPolygonCount(&count), static_cast<int>(cases.size()));
  EXPECT_EQ(count, static_cast<int>(cases.size()));
  EXPECT_EQ(reader.GetArcCount(&count), arcs);
  EXPECT_EQ(count, arcs);
  double box[4];
  reader.GetExtentInfo(&box[0], &box[1], &box[2], &box[3]);
  EXPECT_EQ(box[0], extent.minX);
  EXPECT_EQ(box[1], extent.minY);
  EXPECT_EQ(box[2], extent.maxX);
  EXPECT_EQ(box[3], extent.maxY);

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const PolygonCase& c = cases[i];
    SCOPED_TRACE(c.name);
    TERRIX_RegInfo expected = records[i];
    expected.listCount = listCounts[i];
    // Arc lists lie behind all the ring points of the coordinate section.
    expected.listOffset = 2 + 16 * ringPoints + 4 * listPositions[i];

    TERRIX_RegInfo read{};
    GeometryPtr g = NewGeometry();
    ASSERT_EQ(reader.ReadPolygonInfo(static_cast<int>(i), &read, g.get()), Result::Success);
    EXPECT_TRUE(SameRecord(expected, read));
    EXPECT_EQ(g->type, ShapeType::Polygon);
    ASSERT_EQ(g->partCount, static_cast<std::int32_t>(c.rings.size()));
    ASSERT_EQ(g->vertexCount, static_cast<std::int32_t>(roundtrip::Concat(c.rings).size()));
    std::int32_t start = 0;
    for (std::size_t r = 0; r < c.rings.size(); ++r) {
      EXPECT_EQ(g->partStart[r], start) << "ring " << r;
      EXPECT_EQ(g->partType[r], r == 0 ? PartKind::Ring : PartKind::InnerRing) << "ring " << r;
      EXPECT_TRUE(SameVertices(*g, start, c.rings[r])) << "ring " << r;
      start += static_cast<std::int32_t>(c.rings[r].size());
    }
  }

  // Every written ring is an arc of its own, with the writer's arc record.
  std::uint32_t pointsBefore = 0;
  std::int32_t arc = 0;
  for (const PolygonCase& c : cases) {
    for (std::size_t p = 0; p < c.parts.size(); ++p) {
      if (p > 0 && c.kinds[p] == PartKind::OuterRing) continue;
      SCOPED_TRACE("arc " + std::to_string(arc));
      const auto n = static_cast<std::int32_t>(c.parts[p].size());
      TERRIX_LineInfo read{};
      GeometryPtr g = NewGeometry();
      ASSERT_EQ(reader.ReadArcInfo(arc, &read, g.get()), Result::Success);
      EXPECT_TRUE(SameRecord(ExpectedRingArc(n, 16 * pointsBefore + 2), read));
      EXPECT_TRUE(SameVertices(*g, 0, c.parts[p]));
      pointsBefore += static_cast<std::uint32_t>(n);
      ++arc;
    }
  }
}

TEST_F(RoundTripElements, CountsExtentAndProjectionOfEachKind) {
  MAP_PARAstruct projection = roundtrip::Pattern<MAP_PARAstruct>(5);
  projection.type = 3;
  projection.coefficient = 2.5;
  struct KindCase {
    int kind;
    int points, arcs, polygons;  // -1: the count does not apply
  };
  for (const KindCase k : {KindCase{1, 3, -1, -1}, KindCase{0, -1, 3, -1}, KindCase{2, -1, 3, 3}}) {
    SCOPED_TRACE("kind " + std::to_string(k.kind));
    Create(k.kind);
    writer.WriteProjection(&projection);
    const std::vector<Points> shapes = {{{3, -2}, {4, 8}, {3, 1}, {3, -2}},
                                        {{-1.5, 0}, {0, 0.5}, {2, 2}, {-1.5, 0}},
                                        {{7, 7}, {7, 9}, {8, 9}, {7, 7}}};
    roundtrip::Bounds b;
    for (const Points& s : shapes) {
      const roundtrip::PartsGeometry g({s}, {5});
      if (k.kind == 1) {
        EXPECT_EQ(writer.AddPointInfo(wt::InUsePoint(s[0].first, s[0].second), *none, ""), Result::Success);
        b.Add({s[0]});
      } else if (k.kind == 0) {
        EXPECT_EQ(writer.AddArcInfo(wt::InUseLine(), *g.geometry, 0), Result::Success);
        b.Add(s);
      } else {
        EXPECT_EQ(writer.AddPolygonInfo(wt::InUseRegion(), *g.geometry), Result::Success);
        b.Add(s);
      }
    }
    FlushAndOpen();
    EXPECT_EQ(reader.GetShapeType(), k.kind);
    int n = -7;
    EXPECT_EQ(reader.GetPointCount(&n), k.points >= 0 ? k.points : -1);
    EXPECT_EQ(n, k.points >= 0 ? k.points : -7);
    n = -7;
    EXPECT_EQ(reader.GetArcCount(&n), k.arcs >= 0 ? k.arcs : -1);
    EXPECT_EQ(n, k.arcs >= 0 ? k.arcs : -7);
    n = -7;
    EXPECT_EQ(reader.GetPolygonCount(&n), k.polygons >= 0 ? k.polygons : -1);
    EXPECT_EQ(n, k.polygons >= 0 ? k.polygons : -7);
    double box[4];
    reader.GetExtentInfo(&box[0], &box[1], &box[2], &box[3]);
    EXPECT_EQ(box[0], b.minX);
    EXPECT_EQ(box[1], b.minY);
    EXPECT_EQ(box[2], b.maxX);
    EXPECT_EQ(box[3], b.maxY);
    MAP_PARAstruct read{};
    EXPECT_EQ(reader.GetProjectionInfo(&read), 3);
    EXPECT_TRUE(SameRecord(projection, read));
    EXPECT_EQ(reader.GetTicCount(), 0);
    reader.Close();
  }
}

}  // namespace
