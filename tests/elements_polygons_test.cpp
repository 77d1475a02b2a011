// Polygons assembled from their arc lists by the fast reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "builder/ElementRecords.h"
#include "core/File.h"
#include "support/ElementReading.h"
#include "terrix/ResultCodes.h"

using namespace elements_test;
using Terrix::core::FileSeam;
using Terrix::Result::BadArcList;
using Terrix::Result::IoError;
using Terrix::Result::NoMemory;
using Terrix::Result::NotInUse;
using Terrix::Result::Success;

namespace {

using Points = std::vector<tb::XY>;

// The polygon's vertices, part by part, as the container holds them.
std::vector<Points> Rings(const Terrix::Geometry& g) {
  std::vector<Points> rings;
  for (int k = 0; k < g.partCount; ++k) {
    const int end = k + 1 < g.partCount ? g.partStart[k + 1] : g.vertexCount;
    Points ring;
    for (int j = g.partStart[k]; j < end; ++j) ring.push_back({g.x[j], g.y[j]});
    rings.push_back(ring);
  }
  return rings;
}

Points Reversed(Points p) {
  return Points(p.rbegin(), p.rend());
}
Points Join(const Points& a, const Points& b) {
  Points out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

// The container's rings equal `want`, ring by ring and point by point.
::testing::AssertionResult HasRings(const Terrix::Geometry& g, const std::vector<Points>& want) {
  const std::vector<Points> got = Rings(g);
  bool same = got.size() == want.size();
  for (std::size_t k = 0; same && k < got.size(); ++k) {
    same = got[k].size() == want[k].size();
    for (std::size_t j = 0; same && j < got[k].size(); ++j)
      same = got[k][j].x == want[k][j].x && got[k][j].y == want[k][j].y;
  }
  if (same) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "rings:";
  for (const Points& ring : got) {
    failure << " [";
    for (const tb::XY& p : ring) failure << " (" << p.x << ", " << p.y << ")";
    failure << " ]";
  }
  return failure;
}

class PolygonsTest : public ::testing::Test {
 protected:
  void TearDown() override { FileSeam::Reset(); }

  // Arcs of 3, 4, 5 and 2 points; the second is odd- and the third even-sized
  // reversal material, the fourth the smallest.
  void AddArcs() {
    a1 = file.AddArc(arc1);
    a2 = file.AddArc(arc2);
    a3 = file.AddArc(arc3);
    a4 = file.AddArc(arc4);
    dead = file.AddArc({{90, 90}, {91, 91}}, 0);
  }
  void Open() { ASSERT_EQ(OpenBuilt(reader, dir, file.Build()), Success); }
  std::int32_t Read(int index) {
    Terrix::EmptyGeometry(g.get());
    return reader.ReadPolygonInfo(index, nullptr, g.get());
  }

  tb::TempDir dir;
  Reader reader;
  tb::ElementFile file{tb::kRegion};
  Terrix::GeometryHolder g = Terrix::MakeGeometry();
  const Points arc1 = {{0, 0}, {10, 0}, {10, 10}};
  const Points arc2 = {{10, 10}, {0, 10}, {-1, 5}, {0, 0}};
  const Points arc3 = {{2, 2}, {3, 2}, {3, 3}, {2, 3}, {2, 2}};
  const Points arc4 = {{7, 7}, {8, 8}};
  int a1 = 0, a2 = 0, a3 = 0, a4 = 0, dead = 0;
};

TEST_F(PolygonsTest, RingsFollowTheSeparators) {
  AddArcs();
  const int twoRings = file.AddPolygon({a1, 0, -a3});
  const int endSeparators = file.AddPolygon({0, a1, a2, 0});
  const int emptyMiddle = file.AddPolygon({a1, 0, 0, a4});
  const int doubledEnds = file.AddPolygon({0, 0, a4, 0, 0});
  const int reversedOddEven = file.AddPolygon({-a2, -a3});
  Open();

  Terrix::TERRIX_RegInfo info{};
  ASSERT_EQ(reader.ReadPolygonInfo(twoRings - 1, &info, g.get()), Success);
  const tb::Bytes record = tb::RegionRecord(1, 4, info.listOffset, tb::ElementFile::kDisplayFill);
  EXPECT_EQ(std::memcmp(&info, record.data(), record.size()), 0);
  EXPECT_EQ(g->type, 5);
  EXPECT_EQ(g->id, -1);
  ASSERT_EQ(g->partCount, 2);
  EXPECT_EQ(g->partType[0], 5);
  EXPECT_EQ(g->partType[1], 3);
  EXPECT_EQ(g->partStart[1], 3);
  EXPECT_TRUE(HasRings(*g, {arc1, Reversed(arc3)}));
  EXPECT_EQ(g->z[7], 0.0);
  EXPECT_EQ(g->m[0], 0.0);
  EXPECT_EQ(g->minX, 0);
  EXPECT_EQ(g->maxX, 10);
  EXPECT_EQ(g->maxY, 10);

  ASSERT_EQ(Read(endSeparators - 1), Success);
  EXPECT_TRUE(HasRings(*g, {Join(arc1, arc2)}));

  ASSERT_EQ(Read(emptyMiddle - 1), Success);
  EXPECT_TRUE(HasRings(*g, {arc1, Points{}, arc4}));
  EXPECT_EQ(g->partType[2], 3);

  // Only the outermost separator at each end is passed over: the inner ones
  // of a doubled pair open (empty) rings.
  ASSERT_EQ(Read(doubledEnds - 1), Success);
  EXPECT_TRUE(HasRings(*g, {Points{}, arc4, Points{}}));

  ASSERT_EQ(Read(reversedOddEven - 1), Success);
  EXPECT_TRUE(HasRings(*g, {Join(Reversed(arc2), Reversed(arc3))}));
}

TEST_F(PolygonsTest, TotalPromisingMorePointsLeavesZeroPoints) {
  const int a = file.AddArc({{5, 6}, {7, 8}, {5, 6}});
  file.AddPolygonList(3 + 3, {a});
  Open();
  ASSERT_EQ(Read(0), Success);
  ASSERT_EQ(g->vertexCount, 5);
  EXPECT_TRUE(HasRings(*g, {Points{{5, 6}, {7, 8}, {5, 6}, {0, 0}, {0, 0}}}));
  EXPECT_EQ(g->minX, 0);  // the unfilled points take part in the bounds
  EXPECT_EQ(g->minY, 0);
  EXPECT_EQ(g->maxY, 8);
}

TEST_F(PolygonsTest, AnArcListedOverAndOverIsHonoured) {
  // More vertices than the whole file could hold as coordinates, all backed
  // by the listed arcs: the vertex bound must not refuse it.
  Points long_arc;
  for (int j = 0; j < 50; ++j) long_arc.push_back({static_cast<double>(j), 1.0});
  const int a = file.AddArc(long_arc);
  file.AddPolygon({a, -a, a, -a, a, -a});
  Open();
  ASSERT_EQ(Read(0), Success);
  ASSERT_EQ(g->vertexCount, 300);
  EXPECT_EQ(g->x[99], 0.0);
  EXPECT_EQ(g->x[100], 0.0);
  EXPECT_EQ(g->x[149], 49.0);
}

TEST_F(PolygonsTest, AnArcListedTensOfThousandsOfTimesIsRefusedBeforeAnyRoomIsTaken) {
  // 160 KB of file asking for 100 million vertices (about 5 GB of arrays),
  // all "backed" by one long arc: refused with -9999, nothing allocated.
  Points long_arc;
  for (int j = 0; j < 5000; ++j) long_arc.push_back({static_cast<double>(j), 1.0});
  const int a = file.AddArc(long_arc);
  file.AddPolygon(std::vector<std::int32_t>(20000, a));
  Open();
  ASSERT_EQ(Read(0), NoMemory);
  EXPECT_EQ(g->x, nullptr);
}

TEST_F(PolygonsTest, ArcsGivingMorePointsThanTheVertexCountNeverOverflow) {
  AddArcs();
  file.AddPolygonList(1 + 4, {a1, a4});  // room for 4: arc1 (3) fits, arc4 (2) does not
  file.AddPolygonList(1 + 2, {a3});      // room for 2: the first arc does not fit
  Open();
  ASSERT_EQ(Read(0), IoError);
  EXPECT_TRUE(HasRings(*g, {Join(arc1, Points{{0, 0}})}));
  ASSERT_EQ(Read(1), IoError);
  EXPECT_TRUE(HasRings(*g, {Points{{0, 0}, {0, 0}}}));

  // The protected arc read answers the same room check, with the count told.
  std::int32_t count = -1;
  double room[2 * 5] = {};
  EXPECT_EQ(reader.ReadPolyArc(-a3, &count, room, 4), IoError);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(room[0], 0.0);
  EXPECT_EQ(reader.ReadPolyArc(-a3, &count, room, 5), Success);
  EXPECT_EQ(room[0], 2.0);
  EXPECT_EQ(room[2], 2.0);
  EXPECT_EQ(room[3], 3.0);  // reversed: the fourth stored point comes second
  count = -1;
  EXPECT_EQ(reader.ReadPolyArc(a2, &count, nullptr, 0), Success);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(reader.ReadPolyArc(dead, &count, room, 5), NotInUse);
}

TEST_F(PolygonsTest, DeletedArcsAreLeftOut) {
  AddArcs();
  const int first = file.AddPolygon({dead, a1, a4});
  const int middle = file.AddPolygon({a1, dead, a4});
  const int last = file.AddPolygon({a1, a4, dead});
  const int deadThenSeparator = file.AddPolygon({a1, dead, 0, a4});
  Open();
  const Points filled = Join(Join(arc1, arc4), Points{{0, 0}, {0, 0}});

  ASSERT_EQ(Read(first - 1), Success);
  EXPECT_TRUE(HasRings(*g, {filled}));
  ASSERT_EQ(Read(middle - 1), Success);
  EXPECT_TRUE(HasRings(*g, {filled}));
  // No arc is read after the deleted one: its answer stands, geometry filled.
  ASSERT_EQ(Read(last - 1), NotInUse);
  EXPECT_TRUE(HasRings(*g, {filled}));
  ASSERT_EQ(Read(deadThenSeparator - 1), Success);
  EXPECT_TRUE(HasRings(*g, {arc1, Join(arc4, Points{{0, 0}, {0, 0}})}));
}

TEST_F(PolygonsTest, BadRecordsAndListsAnswerWithoutGuessing) {
  AddArcs();
  const std::int32_t arcRecords = dead + 1;
  const int pastTable = file.AddPolygonList(3 + 1, {a1, arcRecords});
  const int deleted = file.AddPolygon({a1}, 0);
  const int noList = file.AddPolygonRecord(1, 0, 2);
  const int negative = file.AddPolygonList(-1, {a1});
  const int onlyTotal = file.AddPolygonList(1, {});
  const int onlySeparator = file.AddPolygon({0});
  const int hugeList = file.AddPolygonRecord(1, 0x7FFFFFFF, 2);
  const int hugeTotal = file.AddPolygonList(0x7FFFFFFF, {a1, a2});
  const int belowZero = file.AddPolygonList(0, {a1});
  Open();
  const int polygons = belowZero;

  EXPECT_EQ(Read(pastTable - 1), IoError);  // arc number equal to the record count
  EXPECT_TRUE(HasRings(*g, {arc1}));

  ASSERT_EQ(reader.ReadPolygonInfo(0, nullptr, nullptr), Success);  // tables loaded
  FileSeam::Reset();
  Terrix::TERRIX_RegInfo info{};
  EXPECT_EQ(reader.ReadPolygonInfo(deleted - 1, &info, g.get()), NotInUse);
  EXPECT_EQ(reader.ReadPolygonInfo(noList - 1, &info, g.get()), BadArcList);
  EXPECT_EQ(FileSeam::ReadCount(), 0);  // refused before the arc list is read
  EXPECT_EQ(Read(negative - 1), BadArcList);
  EXPECT_EQ(g->vertexCount, 0);

  ASSERT_EQ(Read(onlyTotal - 1), Success);
  EXPECT_EQ(g->partCount, 1);
  EXPECT_EQ(g->vertexCount, 0);
  // A lone separator is the first entry, not also the last: still one ring.
  ASSERT_EQ(Read(onlySeparator - 1), Success);
  EXPECT_TRUE(HasRings(*g, {Points{}}));

  // Counts that no file of this size can back are refused before any room is made.
  EXPECT_EQ(reader.ReadPolygonInfo(hugeList - 1, &info, g.get()), NoMemory);
  EXPECT_EQ(Value(info.listCount), 0x7FFFFFFF);
  EXPECT_EQ(Read(hugeTotal - 1), NoMemory);
  EXPECT_EQ(g->x, nullptr);
  EXPECT_EQ(Read(belowZero - 1), NoMemory);

  EXPECT_EQ(Read(polygons), IoError);
  EXPECT_EQ(Read(-1), IoError);
}

TEST_F(PolygonsTest, FailedReadsAnswerIoError) {
  AddArcs();
  file.AddPolygon({a1, 0, a2});
  Open();
  ASSERT_EQ(reader.ReadPolygonInfo(0, nullptr, nullptr), Success);
  for (long failing = 1; failing <= 4; ++failing) {  // total, entries, arc 1, arc 2
    FileSeam::Reset();
    FileSeam::FailReadAt(failing);
    EXPECT_EQ(Read(0), IoError) << failing;
  }
  FileSeam::Reset();
  FileSeam::FailReadAt(4);
  ASSERT_EQ(Read(0), IoError);
  // The walk stopped at the second arc; what was placed stays.
  EXPECT_TRUE(HasRings(*g, {arc1, Points(4, {0, 0})}));
}

TEST_F(PolygonsTest, EachPolygonCostsTwoReadsAndOnePerArc) {
  AddArcs();
  file.AddPolygon({a1, a2});
  file.AddPolygon({a1, 0, -a3, 0, a4});
  file.AddPolygon({0, -a2, 0});
  Open();
  ASSERT_EQ(Read(0), Success);

  FileSeam::Reset();
  ASSERT_EQ(Read(1), Success);
  EXPECT_EQ(FileSeam::ReadCount(), 2 + 3);
  FileSeam::Reset();
  ASSERT_EQ(Read(2), Success);
  EXPECT_EQ(FileSeam::ReadCount(), 2 + 1);
  FileSeam::Reset();
  ASSERT_EQ(Read(0), Success);
  EXPECT_EQ(FileSeam::ReadCount(), 2 + 2);
}

TEST_F(PolygonsTest, WellKnownBinaryCountsTheRings) {
  AddArcs();
  const int one = file.AddPolygon({a1, a2});
  const int three = file.AddPolygon({a1, 0, a2, 0, a3});
  const int two = file.AddPolygon({0, a1, 0, a2});
  const int negative = file.AddPolygonList(-5, {a1});
  const int noList = file.AddPolygonRecord(1, 0, 2);
  const int onlyTotal = file.AddPolygonList(1, {});
  const int onlySeparator = file.AddPolygon({0});
  const int deleted = file.AddPolygon({a1}, 0);
  const int hugeList = file.AddPolygonRecord(1, 0x7FFFFFFF, 2);
  Open();

  Terrix::LinearRing callerRings[1] = {};
  Terrix::WKBPolygon wkb{};
  wkb.rings = callerRings;
  Terrix::TERRIX_RegInfo info{};
  ASSERT_EQ(reader.ReadPolygonWKB(one - 1, &info, &wkb), Success);
  EXPECT_EQ(Value(wkb.byteOrder), 0);
  EXPECT_EQ(Value(wkb.wkbType), 3u);
  EXPECT_EQ(Value(wkb.numRings), 1u);
  EXPECT_EQ(Value(wkb.rings), callerRings);
  EXPECT_EQ(Value(info.listCount), 3);
  ASSERT_EQ(reader.ReadPolygonWKB(three - 1, nullptr, &wkb), Success);
  EXPECT_EQ(Value(wkb.numRings), 3u);
  ASSERT_EQ(reader.ReadPolygonWKB(two - 1, nullptr, &wkb), Success);
  EXPECT_EQ(Value(wkb.numRings), 2u);
  ASSERT_EQ(reader.ReadPolygonWKB(onlyTotal - 1, nullptr, &wkb), Success);
  EXPECT_EQ(Value(wkb.numRings), 1u);
  ASSERT_EQ(reader.ReadPolygonWKB(onlySeparator - 1, nullptr, &wkb), Success);
  EXPECT_EQ(Value(wkb.numRings), 1u);

  wkb.numRings = 77;
  EXPECT_EQ(reader.ReadPolygonWKB(negative - 1, &info, &wkb), BadArcList);
  EXPECT_EQ(Value(info.listCount), 2);  // copied before the list was read
  EXPECT_EQ(reader.ReadPolygonWKB(noList - 1, nullptr, &wkb), BadArcList);
  EXPECT_EQ(reader.ReadPolygonWKB(deleted - 1, nullptr, &wkb), NotInUse);
  EXPECT_EQ(reader.ReadPolygonWKB(hugeList - 1, nullptr, &wkb), NoMemory);
  EXPECT_EQ(reader.ReadPolygonWKB(hugeList, nullptr, &wkb), IoError);
  EXPECT_EQ(Value(wkb.numRings), 77u);
  EXPECT_EQ(reader.ReadPolygonWKB(negative - 1, nullptr, nullptr), Success);

  FileSeam::Reset();
  FileSeam::FailReadAt(2);  // the entries
  EXPECT_EQ(reader.ReadPolygonWKB(three - 1, nullptr, &wkb), IoError);
}

}  // namespace
