// Points, lines and polygons written by Terrix_Writer and read back: the
// records as given (display parameters kept, the writer's own fields as it sets
// them), coordinates bit for bit, ring structure, counts, extent and projection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/RoundTrip.h"
#include "terrix/MemReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using roundtrip::Pattern;
using roundtrip::Points;
using roundtrip::SameRecord;
using roundtrip::SameVertices;

namespace {

class RoundTripElements : public roundtrip::WriteThenRead {
 protected:
  std::array<double, 4> ReadExtent() {
    std::array<double, 4> box{};
    reader.GetExtentInfo(&box[0], &box[1], &box[2], &box[3]);
    return box;
  }
};

TEST_F(RoundTripElements, PointsWithAndWithoutNotes) {
  Create(1);
  const std::string longNote(300, 'n');
  const Points where = roundtrip::AwkwardPoints();
  const char* const notes[] = {"ab", "", longNote.c_str(), "\xD6\xD0\xCE\xC4 note" /* 中文 */, nullptr};
  std::vector<TERRIX_PntInfo> given;
  for (std::size_t i = 0; i < where.size(); ++i) {
    given.push_back(Pattern<TERRIX_PntInfo>(static_cast<std::uint8_t>(i)));
    given[i].x = where[i].first;
    given[i].y = where[i].second;
    EXPECT_EQ(writer.AddPointInfo(given[i], *none, notes[i]), Result::Success);
  }
  FlushAndOpen();

  int count = -5;
  EXPECT_EQ(reader.GetPointCount(&count), static_cast<int>(given.size()));
  EXPECT_EQ(count, static_cast<int>(given.size()));
  std::uint32_t noteAt = 2;  // notes follow each other from offset 2 of the coordinate section
  for (std::size_t i = 0; i < given.size(); ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    const std::size_t n = notes[i] != nullptr ? std::strlen(notes[i]) : 0;
    TERRIX_PntInfo expected = given[i];
    expected.noteLength = static_cast<std::int16_t>(n);
    expected.noteOffset = noteAt;
    expected.pointKind = n > 0 ? 0 : 1;
    noteAt += n > 0 ? static_cast<std::uint32_t>(n) : 1;  // a point without note reserves one byte

    TERRIX_PntInfo read{};
    Terrix::GeometryHolder g = Terrix::MakeGeometry();
    ASSERT_EQ(reader.ReadPointInfo(static_cast<int>(i), &read, g.get()), Result::Success);
    EXPECT_TRUE(SameRecord(expected, read));
    EXPECT_EQ(g->type, ShapeType::Point);
    EXPECT_TRUE(SameVertices(*g, 0, {where[i]}));

    char note[300];
    std::memset(note, '#', sizeof note);
    ASSERT_EQ(reader.GetNoteInfo(static_cast<int>(i), note), Result::Success);
    const std::size_t kept = n < 259 ? n : 259;  // notes are cut at 259 bytes and terminated
    EXPECT_EQ(std::string(note, kept), std::string(n > 0 ? notes[i] : "", kept));
    EXPECT_EQ(note[kept], n == 0 ? '#' : '\0') << "a point without note leaves the buffer as it was";
  }
  EXPECT_EQ(reader.ReadPointInfo(static_cast<int>(given.size()), nullptr, nullptr), Result::IoError);
}

TEST_F(RoundTripElements, MultiPartLineWrittenOneLinePerPart) {
  Create(0);
  const std::vector<Points> lines = {writer_support::Ramp(4, 10.5), roundtrip::AwkwardPoints(),
                                     writer_support::Ramp(2, -7.25), writer_support::Ramp(3, 100.0)};
  const auto multi = roundtrip::PartsGeometry({lines[0], lines[1], lines[2]}, {5, 5, 5});
  const auto single = roundtrip::PartsGeometry({lines[3]}, {5});
  std::vector<TERRIX_LineInfo> records;
  for (int i = 0; i < 4; ++i) {
    records.push_back(Pattern<TERRIX_LineInfo>(static_cast<std::uint8_t>(40 + i)));
    EXPECT_EQ(writer.AddArcInfo(records.back(), i < 3 ? *multi : *single, i < 3 ? i : 0),
              i < 3 ? Result::PartSkipped : Result::Success);
  }
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
    Terrix::GeometryHolder g = Terrix::MakeGeometry();
    ASSERT_EQ(reader.ReadArcInfo(static_cast<int>(i), &read, g.get()), Result::Success);
    EXPECT_TRUE(SameRecord(expected, read));
    EXPECT_EQ(g->type, ShapeType::Line);
    ASSERT_EQ(g->partCount, 1);
    EXPECT_EQ(g->partStart[0], 0);
    ASSERT_EQ(g->vertexCount, static_cast<std::int32_t>(lines[i].size()));
    EXPECT_TRUE(SameVertices(*g, 0, lines[i]));
    const std::array<double, 4> b = roundtrip::BoundsOf(lines[i]);
    EXPECT_TRUE(roundtrip::SameBits(g->minX, b[0]) && roundtrip::SameBits(g->minY, b[1]));
    EXPECT_TRUE(roundtrip::SameBits(g->maxX, b[2]) && roundtrip::SameBits(g->maxY, b[3]));
  }
}

// One polygon as the writer is given it and as the readers must give it back.
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
  std::uint32_t listValues = 0;  // list values of the polygons before
  std::int32_t arcs = 0;
  Points written;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const PolygonCase& c = cases[i];
    records.push_back(Pattern<TERRIX_RegInfo>(static_cast<std::uint8_t>(70 + i)));
    // A container with vertices but no part table makes no arc.
    const auto geometry = c.parts.empty() ? writer_support::Geo(writer_support::Ramp(4, 3000.0), {})
                                          : roundtrip::PartsGeometry(c.parts, c.kinds);
    EXPECT_EQ(writer.AddPolygonInfo(records.back(), *geometry), c.addResult) << c.name;
    // The list: the total, the first ring's arc, then a separator per further
    // part and an arc per part written. Its offset is fixed after the loop.
    std::int32_t values = c.parts.empty() ? 1 : 2;
    for (std::size_t p = 0; p < c.parts.size(); ++p) {
      const bool skipped = p > 0 && c.kinds[p] == PartKind::OuterRing;
      if (p > 0) values += skipped ? 1 : 2;
      if (skipped) continue;
      ++arcs;
      written.insert(written.end(), c.parts[p].begin(), c.parts[p].end());
    }
    records.back().listCount = values;
    records.back().listOffset = 4 * listValues;
    listValues += static_cast<std::uint32_t>(values);
  }
  FlushAndOpen();
  Terrix_MemReader mem;
  Terrix_Reader edit;
  ASSERT_EQ(mem.Open(dir.WidePath("map.tmf").c_str()), Result::Success);
  ASSERT_EQ(edit.Open(dir.WidePath("map.tmf").c_str()), Result::Success);

  int count = -5;
  EXPECT_EQ(reader.GetPolygonCount(&count), static_cast<int>(cases.size()));
  EXPECT_EQ(count, static_cast<int>(cases.size()));
  EXPECT_EQ(reader.GetArcCount(&count), arcs);
  EXPECT_EQ(count, arcs);
  EXPECT_EQ(ReadExtent(), roundtrip::BoundsOf(written));

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const PolygonCase& c = cases[i];
    SCOPED_TRACE(c.name);
    TERRIX_RegInfo expected = records[i];
    expected.listOffset += 2 + 16 * static_cast<std::uint32_t>(written.size());  // behind all ring points
    const auto index = static_cast<int>(i);
    TERRIX_RegInfo read[3] = {};
    Terrix::GeometryHolder g[3] = {Terrix::MakeGeometry(), Terrix::MakeGeometry(), Terrix::MakeGeometry()};
    ASSERT_EQ(reader.ReadPolygonInfo(index, &read[0], g[0].get()), Result::Success);
    ASSERT_EQ(mem.ReadPolygonInfo(index, &read[1], g[1].get()), Result::Success);
    ASSERT_EQ(edit.ReadPolygonInfo(index, &read[2], g[2].get()), Result::Success);
    EXPECT_EQ(g[0]->type, ShapeType::Polygon);
    for (int r = 0; r < 3; ++r) {  // the same through every reader
      SCOPED_TRACE("reader " + std::to_string(r));
      EXPECT_TRUE(SameRecord(expected, read[r]));
      ASSERT_EQ(g[r]->partCount, static_cast<std::int32_t>(c.rings.size()));
      ASSERT_EQ(g[r]->vertexCount, static_cast<std::int32_t>(roundtrip::Concat(c.rings).size()));
      std::int32_t start = 0;
      for (std::size_t ring = 0; ring < c.rings.size(); ++ring) {
        EXPECT_EQ(g[r]->partStart[ring], start) << "ring " << ring;
        EXPECT_EQ(g[r]->partType[ring], ring == 0 ? PartKind::Ring : PartKind::InnerRing) << "ring " << ring;
        EXPECT_TRUE(SameVertices(*g[r], start, c.rings[ring])) << "ring " << ring;
        start += static_cast<std::int32_t>(c.rings[ring].size());
      }
    }
  }
}

}  // namespace
