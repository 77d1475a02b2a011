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
  EXPECT_TRUE(Terrix::CheckEmptyGeo(MakeGeometry(Polygon, {}, {0}).get()));

  const std::vector<XY> eight(8, XY{0, 0});
  const struct {
    std::vector<std::int32_t> starts;
    bool empty;
  } cases[] = {
      {{0, 4, 4}, true},
      {{0, 4, 7}, false},
      {{0, 8}, true},     // the last part starts at vertexCount
      {{0, 6, 2}, true},  // descending: a negative count
      {{std::numeric_limits<std::int32_t>::min(), 5}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Terrix::CheckEmptyParts(MakeGeometry(Line, eight, c.starts).get()), c.empty);

  // A bow tie crosses itself and has a zero-length segment; neither is reported.
  auto bowTie = MakeGeometry(Polygon, {{0, 0}, {1, 1}, {1, 1}, {1, 0}, {0, 1}, {0, 0}}, {0});
  EXPECT_FALSE(Terrix::CheckSelfIntersect(bowTie.get()));
  EXPECT_FALSE(Terrix::CheckShortSegment(bowTie.get(), 10.0));
}

TEST(RingOrder, OuterClockwiseInnerCounterClockwise) {
  EXPECT_FALSE(Terrix::CheckUnRingOrder(nullptr));
  EXPECT_FALSE(Terrix::CheckUnRingOrder(MakePoint(0, 0).get()));
  Terrix::FixGeoTopo(nullptr);

  auto outerWrong = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {0});
  EXPECT_TRUE(Terrix::CheckUnRingOrder(outerWrong.get()));
  Terrix::FixGeoTopo(outerWrong.get());
  EXPECT_EQ(VerticesOf(*outerWrong), (std::vector<XY>{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}));
  EXPECT_FALSE(Terrix::CheckUnRingOrder(outerWrong.get()));

  // A counter-clockwise hole behind a clockwise outer ring is in order and stays;
  // a clockwise hole is reversed.
  const auto inOrder = Concat({ClockwiseSquare(0, 0, 4), CounterClockwiseSquare(1, 1, 1)});
  for (const auto& pts : {inOrder, Concat({ClockwiseSquare(0, 0, 4), ClockwiseSquare(1, 1, 1)})}) {
    auto g = MakeGeometry(Polygon, pts, {0, 5});
    EXPECT_EQ(Terrix::CheckUnRingOrder(g.get()), pts != inOrder);
    Terrix::FixGeoTopo(g.get());
    EXPECT_EQ(VerticesOf(*g), inOrder);
  }
  // Zero-area rings are in order in either position.
  EXPECT_FALSE(Terrix::CheckUnRingOrder(
      MakeGeometry(Polygon, {{0, 0}, {1, 1}, {2, 2}, {0, 0}, {5, 5}, {6, 6}}, {0, 3}).get()));
}

TEST(RingOrder, ReversalOfOddAndEvenRingsMovesZAndM) {
  // Part 0: an open counter-clockwise ring of four vertices; part 1: a closed
  // clockwise ring of five from index 4.
  auto g =
      MakeGeometry(Polygon, Concat({{{0, 0}, {3, 0}, {3, 3}, {0, 3}}, ClockwiseSquare(1, 1, 1)}), {0, 4});
  Terrix::FixGeoTopo(g.get());
  EXPECT_EQ(VerticesOf(*g), Concat({{{0, 3}, {3, 3}, {3, 0}, {0, 0}}, CounterClockwiseSquare(1, 1, 1)}));
  // z and m (1000 + i, 2000 + i) travel with their vertices; the middle of the odd ring stays.
  const int from[] = {3, 2, 1, 0, 8, 7, 6, 5, 4};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(g->z[i], 1000.0 + from[i]) << i;
    EXPECT_EQ(g->m[i], 2000.0 + from[i]) << i;
  }
  // Without z and m arrays only x and y move.
  auto bare = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 2), {0});
  std::free(bare->z);
  std::free(bare->m);
  bare->z = bare->m = nullptr;
  Terrix::FixGeoTopo(bare.get());
  EXPECT_EQ(VerticesOf(*bare), ClockwiseSquare(0, 0, 2));
}

TEST(RingOrder, MalformedTablesStopTheWalk) {
  // Wrongly oriented rings behind a part that leaves the arrays, at a negative
  // start, or without a part table: nothing is reported or changed.
  const auto pts = Concat({ClockwiseSquare(0, 0, 4), ClockwiseSquare(1, 1, 1)});
  auto beyond = MakeGeometry(Polygon, pts, {0, 5, 99, 5});
  auto negative = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {-1});
  auto noTable = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {});
  noTable->partCount = 2;
  for (Terrix::Geometry* g : {beyond.get(), negative.get(), noTable.get()}) {
    const auto before = VerticesOf(*g);
    EXPECT_FALSE(Terrix::CheckUnRingOrder(g));
    Terrix::FixGeoTopo(g);
    EXPECT_EQ(VerticesOf(*g), before);
  }
}

TEST(UnclosedRing, CountWithInclusiveToleranceAndBadRanges) {
  EXPECT_EQ(Terrix::CheckUnclosedRing(nullptr, 0.0), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakePoint(1, 1).get(), 0.0), 0);
  auto ring = MakeGeometry(Polygon, {{0, 0}, {1, 0}, {1, 1}, {0, 0.0005}}, {0});
  EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.001), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.0001), 1);
  // A difference exactly equal to the tolerance, in x (part 0) and in y (part 1), is closed.
  auto exact = MakeGeometry(Line, {{0, 0}, {5, 5}, {0.25, 0}, {1, 1}, {5, 5}, {1, 1.5}}, {0, 3});
  EXPECT_EQ(Terrix::CheckUnclosedRing(exact.get(), 0.5), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(exact.get(), 0.25), 1);
  EXPECT_EQ(Terrix::CheckUnclosedRing(exact.get(), 0.125), 2);

  // The count stops at the first part that leaves the arrays.
  const std::vector<XY> diagonal = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
  const struct {
    std::vector<std::int32_t> starts;
    std::int32_t unclosed;
  } cases[] = {{{0, 2, 4}, 3}, {{0, 2, 60, 4}, 1}, {{-2, 2, 4}, 0}, {{0, 6}, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, diagonal, c.starts).get(), 0.0), c.unclosed);
  EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, {}, {0}).get(), 0.0), 0);
}

TEST(UnclosedRing, FixCopiesTheFirstVertexOntoTheLast) {
  Terrix::FixUnclosedRing(nullptr);
  auto ring = MakeGeometry(Polygon, {{0, 0}, {1, 0}, {1, 1}, {0, 0.0005}}, {0});
  Terrix::FixUnclosedRing(ring.get());
  EXPECT_EQ(VerticesOf(*ring), (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}}));
  EXPECT_EQ(ring->z[3], 1000.0);
  EXPECT_EQ(ring->m[3], 2000.0);
  EXPECT_EQ(ring->vertexCount, 4);

  // Part 1 is empty: closing it would overwrite part 0's last vertex with part 2's
  // first, so it is left alone while parts 0 and 2 are closed.
  const std::vector<XY> pts = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {5, 5}, {6, 5}, {6, 6}, {5, 6}};
  auto g = MakeGeometry(Polygon, pts, {0, 4, 4});
  Terrix::FixUnclosedRing(g.get());
  EXPECT_EQ(VerticesOf(*g),
            (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 5}}));
  // Repairs before a part that leaves the arrays stay; the parts after it are untouched.
  auto bad = MakeGeometry(Polygon, pts, {0, 4, 9, 4});
  Terrix::FixUnclosedRing(bad.get());
  EXPECT_EQ(VerticesOf(*bad),
            (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 6}}));
}
