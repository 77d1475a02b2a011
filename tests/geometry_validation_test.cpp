// Ring checks (emptiness, empty parts, order, closure) and the two ring repairs.

#include <gtest/gtest.h>

#include <limits>

#include "GeometryHelpers.h"
#include "terrix/Functions.h"

using namespace testing_geometry;
using Terrix::ShapeType::Line;
using Terrix::ShapeType::Polygon;

TEST(CheckEmpty, ContainersAndParts) {
  EXPECT_TRUE(Terrix::CheckEmptyGeo(nullptr));
  EXPECT_FALSE(Terrix::CheckEmptyParts(nullptr));

  // A point has one vertex but no parts: empty as a geometry, no empty part.
  auto point = MakePoint(1, 2);
  EXPECT_TRUE(Terrix::CheckEmptyGeo(point.get()));
  EXPECT_FALSE(Terrix::CheckEmptyParts(point.get()));

  auto square = MakeGeometry(Polygon, ClockwiseSquare(0, 0, 1), {0});
  EXPECT_FALSE(Terrix::CheckEmptyGeo(square.get()));
  square->type = Terrix::ShapeType::None;
  EXPECT_TRUE(Terrix::CheckEmptyGeo(square.get()));

  auto noVertices = MakeGeometry(Polygon, {}, {0});
  EXPECT_TRUE(Terrix::CheckEmptyGeo(noVertices.get()));
  EXPECT_TRUE(Terrix::CheckEmptyParts(noVertices.get()));

  const std::vector<XY> eight(8, XY{0, 0});
  EXPECT_TRUE(Terrix::CheckEmptyParts(MakeGeometry(Line, eight, {0, 4, 4}).get()));
  EXPECT_FALSE(Terrix::CheckEmptyParts(MakeGeometry(Line, eight, {0, 4, 7}).get()));
  // An empty last part: it starts at vertexCount.
  EXPECT_TRUE(Terrix::CheckEmptyParts(MakeGeometry(Line, eight, {0, 8}).get()));
  // Descending starts leave a part with a negative count.
  EXPECT_TRUE(Terrix::CheckEmptyParts(MakeGeometry(Line, eight, {0, 6, 2}).get()));
  // Extreme entries do not overflow the count.
  EXPECT_FALSE(Terrix::CheckEmptyParts(
      MakeGeometry(Line, eight, {std::numeric_limits<std::int32_t>::min(), 5}).get()));
}

TEST(CheckEmpty, SelfIntersectionAndShortSegmentsAreNeverReported) {
  // A bow tie crosses itself and has a segment of zero length; neither is reported.
  auto bowTie = MakeGeometry(Polygon, {{0, 0}, {1, 1}, {1, 1}, {1, 0}, {0, 1}, {0, 0}}, {0});
  EXPECT_FALSE(Terrix::CheckSelfIntersect(bowTie.get()));
  EXPECT_FALSE(Terrix::CheckShortSegment(bowTie.get(), 10.0));
  EXPECT_FALSE(Terrix::CheckSelfIntersect(nullptr));
  EXPECT_FALSE(Terrix::CheckShortSegment(nullptr, 0.0));
}

TEST(RingOrder, OuterClockwiseInnerCounterClockwise) {
  EXPECT_FALSE(Terrix::CheckUnRingOrder(nullptr));
  EXPECT_FALSE(Terrix::CheckUnRingOrder(MakePoint(0, 0).get()));

  auto outerWrong = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {0});
  EXPECT_TRUE(Terrix::CheckUnRingOrder(outerWrong.get()));
  Terrix::FixGeoTopo(outerWrong.get());
  EXPECT_EQ(VerticesOf(*outerWrong), (std::vector<XY>{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}));
  EXPECT_FALSE(Terrix::CheckUnRingOrder(outerWrong.get()));

  // A counter-clockwise square as part 1 behind a clockwise part 0 is in order.
  const auto inOrderPoints = Concat({ClockwiseSquare(0, 0, 4), CounterClockwiseSquare(1, 1, 1)});
  auto inOrder = MakeGeometry(Polygon, inOrderPoints, {0, 5});
  EXPECT_FALSE(Terrix::CheckUnRingOrder(inOrder.get()));
  Terrix::FixGeoTopo(inOrder.get());
  EXPECT_EQ(VerticesOf(*inOrder), inOrderPoints);

  // A clockwise hole is reversed; the outer ring is left alone.
  auto holeWrong =
      MakeGeometry(Polygon, Concat({ClockwiseSquare(0, 0, 4), ClockwiseSquare(1, 1, 1)}), {0, 5});
  EXPECT_TRUE(Terrix::CheckUnRingOrder(holeWrong.get()));
  Terrix::FixGeoTopo(holeWrong.get());
  EXPECT_EQ(VerticesOf(*holeWrong), inOrderPoints);
  EXPECT_FALSE(Terrix::CheckUnRingOrder(holeWrong.get()));

  // Zero-area rings count as in order in either position.
  auto flat = MakeGeometry(Polygon, {{0, 0}, {1, 1}, {2, 2}, {0, 0}, {5, 5}, {6, 6}}, {0, 3});
  EXPECT_FALSE(Terrix::CheckUnRingOrder(flat.get()));
}

TEST(RingOrder, ReversalOfOddAndEvenRingsMovesZAndM) {
  // Part 0: an open counter-clockwise ring of four vertices (even) at index 0.
  // Part 1: a closed clockwise ring of five vertices (odd) starting at index 4.
  auto g =
      MakeGeometry(Polygon, Concat({{{0, 0}, {3, 0}, {3, 3}, {0, 3}}, ClockwiseSquare(1, 1, 1)}), {0, 4});
  Terrix::FixGeoTopo(g.get());
  EXPECT_EQ(VerticesOf(*g), Concat({{{0, 3}, {3, 3}, {3, 0}, {0, 0}}, CounterClockwiseSquare(1, 1, 1)}));
  // z and m were 1000 + i and 2000 + i; each travelled with its vertex, and the
  // middle vertex of the odd ring (index 6) stayed in place.
  const std::vector<int> from = {3, 2, 1, 0, 8, 7, 6, 5, 4};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(g->z[i], 1000.0 + from[i]) << i;
    EXPECT_EQ(g->m[i], 2000.0 + from[i]) << i;
  }
  EXPECT_FALSE(Terrix::CheckUnRingOrder(g.get()));

  // Without z and m arrays only x and y move.
  auto bare = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 2), {0});
  std::free(bare->z);
  std::free(bare->m);
  bare->z = bare->m = nullptr;
  Terrix::FixGeoTopo(bare.get());
  EXPECT_EQ(VerticesOf(*bare), ClockwiseSquare(0, 0, 2));
}

TEST(RingOrder, MalformedTablesStopTheWalk) {
  const auto pts = Concat({ClockwiseSquare(0, 0, 4), ClockwiseSquare(1, 1, 1)});
  // The wrongly oriented hole sits behind a part that leaves the arrays.
  auto g = MakeGeometry(Polygon, pts, {0, 5, 99, 5});
  EXPECT_FALSE(Terrix::CheckUnRingOrder(g.get()));
  Terrix::FixGeoTopo(g.get());
  EXPECT_EQ(VerticesOf(*g), pts);

  auto negative = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {-1});
  EXPECT_FALSE(Terrix::CheckUnRingOrder(negative.get()));
  Terrix::FixGeoTopo(negative.get());
  EXPECT_EQ(VerticesOf(*negative), CounterClockwiseSquare(0, 0, 1));

  auto noTable = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {});
  noTable->partCount = 2;
  EXPECT_FALSE(Terrix::CheckUnRingOrder(noTable.get()));
  Terrix::FixGeoTopo(noTable.get());
  Terrix::FixGeoTopo(nullptr);
}

TEST(UnclosedRing, ToleranceIsInclusive) {
  EXPECT_EQ(Terrix::CheckUnclosedRing(nullptr, 0.0), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakePoint(1, 1).get(), 0.0), 0);

  auto ring = MakeGeometry(Polygon, {{0, 0}, {1, 0}, {1, 1}, {0, 0.0005}}, {0});
  EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.001), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.0001), 1);

  // A difference exactly equal to the tolerance, in x and in y, is closed.
  auto exact = MakeGeometry(Line, {{0, 0}, {5, 5}, {0.25, 0}, {1, 1}, {5, 5}, {1, 1.5}}, {0, 3});
  EXPECT_EQ(Terrix::CheckUnclosedRing(exact.get(), 0.5), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(exact.get(), 0.25), 1);
  EXPECT_EQ(Terrix::CheckUnclosedRing(exact.get(), 0.125), 2);
}

TEST(UnclosedRing, CountStopsAtThePartThatLeavesTheArrays) {
  const std::vector<XY> pts = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, pts, {0, 2, 4}).get(), 0.0), 3);
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, pts, {0, 2, 60, 4}).get(), 0.0), 1);
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, pts, {-2, 2, 4}).get(), 0.0), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, pts, {0, 6}).get(), 0.0), 1);
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, {}, {0}).get(), 0.0), 0);
}

TEST(UnclosedRing, FixCopiesTheFirstVertexOntoTheLast) {
  auto ring = MakeGeometry(Polygon, {{0, 0}, {1, 0}, {1, 1}, {0, 0.0005}}, {0});
  Terrix::FixUnclosedRing(ring.get());
  EXPECT_EQ(VerticesOf(*ring), (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}}));
  EXPECT_EQ(ring->z[3], 1000.0);
  EXPECT_EQ(ring->m[3], 2000.0);
  EXPECT_EQ(ring->vertexCount, 4);
  EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.0), 0);

  // A ring that already closes is unchanged; the open one behind it is closed.
  auto two = MakeGeometry(Polygon, Concat({ClockwiseSquare(0, 0, 1), {{7, 7}, {8, 7}, {8, 8}}}), {0, 5});
  Terrix::FixUnclosedRing(two.get());
  EXPECT_EQ(VerticesOf(*two), Concat({ClockwiseSquare(0, 0, 1), {{7, 7}, {8, 7}, {7, 7}}}));
  Terrix::FixUnclosedRing(nullptr);
}

TEST(UnclosedRing, FixLeavesEmptyPartsAndStopsAtBadRanges) {
  // Part 1 is empty: closing it would overwrite part 0's last vertex with part 2's first.
  const std::vector<XY> pts = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {5, 5}, {6, 5}, {6, 6}, {5, 6}};
  auto g = MakeGeometry(Polygon, pts, {0, 4, 4});
  Terrix::FixUnclosedRing(g.get());
  EXPECT_EQ(VerticesOf(*g),
            (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 5}}));
  EXPECT_EQ(g->z[3], 1000.0);

  // Repairs made before a part that leaves the arrays stay; the parts after it are untouched.
  auto bad = MakeGeometry(Polygon, pts, {0, 4, 9, 4});
  Terrix::FixUnclosedRing(bad.get());
  EXPECT_EQ(VerticesOf(*bad),
            (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 6}}));

  auto none = MakeGeometry(Polygon, {}, {0, 0});
  Terrix::FixUnclosedRing(none.get());
  EXPECT_EQ(none->vertexCount, 0);
}
