// The geometry container and its measures, transforms, checks and ring repairs,
// on well-formed containers and on part tables that leave the vertex arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GeometryHelpers.h"
#include "geometry/RingArea.h"
#include "terrix/Functions.h"

using namespace testing_geometry;
using Terrix::ShapeType::Line;
using Terrix::ShapeType::Polygon;

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::vector<double> Centroid(Terrix::Geometry* g) {
  const Vec2d c = Terrix::GetGeoCentroid(g);
  return {c[0], c[1]};
}

TEST(GeometryContainer, CreatedEmptyEmptiedSafelyAndIndexedByTwo) {
  Terrix::EmptyGeometry(nullptr);
  Terrix::DestroyGeometry(nullptr);
  Terrix::Geometry* g = Terrix::CreateGeometry();
  EXPECT_EQ((std::vector<std::int64_t>{g->partCount, g->vertexCount, g->type}),
            (std::vector<std::int64_t>{0, 0, 0}));
  EXPECT_TRUE(g->partStart == nullptr && g->partType == nullptr && g->x == nullptr && g->m == nullptr);
  g->vertexCount = g->partCount = 1;
  g->x = static_cast<double*>(std::calloc(1, sizeof(double)));
  g->partStart = static_cast<std::int32_t*>(std::calloc(1, sizeof(std::int32_t)));
  g->id = -1;
  Terrix::EmptyGeometry(g);
  EXPECT_TRUE(g->vertexCount == 0 && g->partCount == 0 && g->x == nullptr && g->partStart == nullptr);
  EXPECT_EQ(g->id, -1);      // id and bounds keep their values
  Terrix::EmptyGeometry(g);  // twice: releases nothing twice (the sanitizer build checks)
  Terrix::DestroyGeometry(g);

  // Any index but 0 and 1 throws the int 0; negative ones wrap to large unsigned values.
  Vec2d p(1.5, -2.5);
  p[1] = 7.0;
  const Vec2d& cp = p;
  EXPECT_EQ((std::vector<double>{cp[0], cp[1], Vec2d()[1]}), (std::vector<double>{1.5, 7.0, 0.0}));
  for (short bad : {short(2), short(-1), short(-32768), short(32767)}) {
    try {
      (void)p[bad];
      ADD_FAILURE() << "no throw for " << bad;
    } catch (int e) {
      EXPECT_EQ(e, 0);
    }
    EXPECT_THROW((void)cp[bad], int);
    EXPECT_THROW((void)Vec2f()[bad], int);
  }
}

TEST(Measures, RingsHolesJumpsAndDegenerateContainers) {
  auto clockwise = MakeGeometry(Polygon, ClockwiseSquare(0, 0, 1), {0});
  EXPECT_EQ(Terrix::GetGeoArea(clockwise.get()), -1.0);
  EXPECT_EQ(Centroid(clockwise.get()), (std::vector<double>{0.5, 0.5}));
  // An open ring: area and centroid wrap to the first vertex, the lengths add no closing edge.
  auto open = MakeGeometry(Polygon, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {0});
  EXPECT_EQ(Terrix::GetGeoArea(open.get()), 4.0);
  EXPECT_EQ(Terrix::GetGeoLength(open.get()), 6.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(open.get()), 6.0);
  EXPECT_EQ(Centroid(open.get()), (std::vector<double>{1.0, 1.0}));
  // Two parts: the length counts the jump between them, the perimeter does not.
  auto line = MakeGeometry(Line, {{0, 0}, {1, 0}, {5, 0}, {6, 0}}, {0, 2});
  EXPECT_EQ(Terrix::GetGeoLength(line.get()), 6.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(line.get()), 2.0);
  // A hole running opposite to its outer ring is subtracted.
  auto holed =
      MakeGeometry(Polygon, Concat({ClockwiseSquare(0, 0, 4), CounterClockwiseSquare(1, 1, 2)}), {0, 5});
  EXPECT_EQ(Terrix::GetGeoArea(holed.get()), -12.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(holed.get()), 24.0);
  EXPECT_EQ(Terrix::GetGeoLength(holed.get()), 24.0 + std::sqrt(2.0));
  EXPECT_EQ(Terrix::detail::GetRingArea(holed->x, holed->y, 5, 5), 4.0);  // wraps within the part

  EXPECT_EQ(Terrix::GetGeoLength(nullptr) + Terrix::GetGeoPerimeter(nullptr) + Terrix::GetGeoArea(nullptr),
            0.0);
  EXPECT_EQ(Centroid(nullptr), (std::vector<double>{0.0, 0.0}));
  // A point, no vertices, or vertices without arrays: zero; the centroid's unguarded
  // division gives NaN (0/0), and an infinity for a bow tie whose lobes cancel.
  auto point = MakePoint(3, 4);
  auto empty = MakeGeometry(Polygon, {}, {});
  auto noArrays = MakeGeometry(Polygon, {}, {0});
  noArrays->vertexCount = 10;
  for (Terrix::Geometry* g : {point.get(), empty.get(), noArrays.get()}) {
    EXPECT_EQ(Terrix::GetGeoLength(g) + Terrix::GetGeoPerimeter(g) + Terrix::GetGeoArea(g), 0.0);
    EXPECT_TRUE(std::isnan(Centroid(g)[0]) && std::isnan(Centroid(g)[1]));
  }
  auto bowTie = MakeGeometry(Polygon, {{0, 0}, {1, 1}, {1, 0}, {0, 1}}, {0});
  EXPECT_EQ(Terrix::GetGeoArea(bowTie.get()), 0.0);
  EXPECT_EQ(Centroid(bowTie.get())[0], -std::numeric_limits<double>::infinity());
}

TEST(Measures, PerimeterWalkStopsAtPartsOutsideTheArrays) {
  const auto pts = Concat({ClockwiseSquare(0, 0, 1), ClockwiseSquare(5, 5, 1)});
  const struct {
    std::vector<std::int32_t> starts;
    double perimeter;
  } cases[] = {
      {{0, 5, 400}, 4.0},     // a start beyond the vertices ends the walk
      {{0, 5, 400, 5}, 4.0},  // ... also before a well-formed part
      {{-7, 5}, 0.0},
      {{0, 8, 5}, 4.0 + std::sqrt(50.0) + 2.0 + 4.0},  // descending: an empty part, no walk back
      {{kMin, 3, kMax}, 0.0},                          // no 32-bit overflow
      {{}, 0.0},
  };
  for (const auto& c : cases) {
    auto g = MakeGeometry(Polygon, pts, c.starts);
    g->partCount = std::max<std::int32_t>(g->partCount, 1);  // parts announced without a table
    EXPECT_DOUBLE_EQ(Terrix::GetGeoPerimeter(g.get()), c.perimeter) << c.starts.size();
  }
}

// Area and centroid add their products in a fixed order: on these vertices adding
// x[i]*y[j] and then subtracting x[j]*y[i] rounds differently from adding the difference.
TEST(Measures, OperationOrderIsBitExact) {
  const std::vector<XY> pts = {{-52.407, -2600896.669},
                               {2.514, 2111990.603},
                               {-481.292, -6165117.92},
                               {819477.713, -20.573},
                               {-53.616, 736090.614}};
  auto g = MakeGeometry(Polygon, pts, {0});
  double inOrder = 0.0, byDifference = 0.0, cx = 0.0, cy = 0.0, s = 0.0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const XY& a = pts[i];
    const XY& b = pts[(i + 1) % pts.size()];
    volatile double p1 = a.x * b.y, p2 = b.x * a.y;
    inOrder += p1;
    inOrder -= p2;
    byDifference += p1 - p2;
    volatile double c = p1 - p2, wx = (a.x + b.x) * c, wy = (a.y + b.y) * c;
    cx += wx;
    cy += wy;
    s += c;
  }
  ASSERT_NE(inOrder, byDifference);
  EXPECT_EQ(Terrix::GetGeoArea(g.get()), inOrder * 0.5);
  EXPECT_EQ(Centroid(g.get()), (std::vector<double>{cx / (s * 0.5 * 6.0), cy / (s * 0.5 * 6.0)}));
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 0, 5), inOrder * 0.5);
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 3, 0), 0.0);
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 3, -2), 0.0);
}

// Rescaling and offsetting change x, y and their bounds only; the bounds are not reordered.
TEST(Transform, RescaleAndOffsetInPlace) {
  const struct {
    double scale;
    Terrix::D_3DOT shift;  // z is the factor; no shift means ReScaleGeometry
    bool offset;
    std::vector<XY> vertices;
  } cases[] = {
      {2.0, {}, false, {{2, 2}, {6, 4}}},           {-1.0, {}, false, {{-1, -1}, {-3, -2}}},
      {0, {10, 20, 1}, true, {{11, 21}, {13, 22}}}, {0, {10, 20, 0}, true, {{10, 20}, {10, 20}}},
      {0, {1, 1, -2}, true, {{-1, -1}, {-5, -3}}},
  };
  for (const auto& c : cases) {
    auto g = MakeGeometry(Line, {{1, 1}, {3, 2}}, {0});
    g->minX = 1, g->maxX = 3, g->minY = 1, g->maxY = 2, g->minZ = -5, g->maxM = 6;
    c.offset ? Terrix::OffsetGeometry(g.get(), c.shift) : Terrix::ReScaleGeometry(g.get(), c.scale);
    EXPECT_EQ(VerticesOf(*g), c.vertices);
    EXPECT_EQ((std::vector<double>{g->minX, g->maxX, g->minY, g->maxY}),
              (std::vector<double>{c.vertices[0].x, c.vertices[1].x, c.vertices[0].y, c.vertices[1].y}));
    EXPECT_EQ((std::vector<double>{g->z[1], g->m[1], g->minZ, g->maxM}),
              (std::vector<double>{1001, 2001, -5, 6}));
  }
  Terrix::ReScaleGeometry(nullptr, 3.0);
  Terrix::OffsetGeometry(nullptr, Terrix::D_3DOT{1, 2, 3});

  // Each product is rounded before the shift: 0.1 * 3 rounds to 0.30000000000000004,
  // adding -0.3 leaves 2^-54, where a fused multiply-add would give another value.
  auto p = MakePoint(0.1, 0.1);
  volatile double product = 0.1 * 3.0;
  const double expected = product + -0.3;
  Terrix::OffsetGeometry(p.get(), Terrix::D_3DOT{-0.3, -0.3, 3.0});
  EXPECT_EQ((std::vector<double>{p->x[0], p->y[0], p->minX}), (std::vector<double>(3, expected)));

  // Without vertices only the bounds change; a count without arrays is not followed.
  auto g = MakeGeometry(Line, {}, {});
  g->minX = 1, g->maxX = 2, g->minY = 3, g->maxY = 4, g->vertexCount = 5;
  Terrix::ReScaleGeometry(g.get(), 10.0);
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{1, 2, 0.5});
  EXPECT_EQ((std::vector<double>{g->minX, g->maxX, g->minY, g->maxY}), (std::vector<double>{6, 11, 17, 22}));
  g->vertexCount = 0;
}

TEST(Validation, EmptyContainersAndEmptyParts) {
  EXPECT_TRUE(Terrix::CheckEmptyGeo(nullptr));
  EXPECT_FALSE(Terrix::CheckEmptyParts(nullptr));
  // A point has one vertex but no parts: empty as a geometry, no empty part.
  EXPECT_TRUE(Terrix::CheckEmptyGeo(MakePoint(1, 2).get()));
  EXPECT_FALSE(Terrix::CheckEmptyParts(MakePoint(1, 2).get()));
  auto square = MakeGeometry(Polygon, {{0, 0}}, {0});
  EXPECT_FALSE(Terrix::CheckEmptyGeo(square.get()));
  square->type = Terrix::ShapeType::None;
  EXPECT_TRUE(Terrix::CheckEmptyGeo(square.get()));
  EXPECT_TRUE(Terrix::CheckEmptyGeo(MakeGeometry(Polygon, {}, {0}).get()));

  const struct {
    std::vector<std::int32_t> starts;
    bool empty;
  } cases[] = {{{0, 4, 4}, true}, {{0, 4, 7}, false}, {{0, 8}, true}, {{0, 6, 2}, true}, {{kMin, 5}, false}};
  for (const auto& c : cases)
    EXPECT_EQ(Terrix::CheckEmptyParts(MakeGeometry(Line, std::vector<XY>(8), c.starts).get()), c.empty);
  // Self-intersections and short segments are not reported.
  auto bowTie = MakeGeometry(Polygon, {{0, 0}, {1, 1}, {1, 1}, {1, 0}, {0, 1}, {0, 0}}, {0});
  EXPECT_FALSE(Terrix::CheckSelfIntersect(bowTie.get()) || Terrix::CheckShortSegment(bowTie.get(), 10.0));
}

// Outer rings run clockwise, inner rings counter-clockwise; FixGeoTopo reverses the others.
TEST(Validation, RingOrderAndItsRepair) {
  EXPECT_FALSE(Terrix::CheckUnRingOrder(nullptr) || Terrix::CheckUnRingOrder(MakePoint(0, 0).get()));
  Terrix::FixGeoTopo(nullptr);
  const auto inOrder = Concat({ClockwiseSquare(0, 0, 4), CounterClockwiseSquare(1, 1, 1)});
  const std::vector<XY> zeroArea = {{0, 0}, {1, 1}, {2, 2}, {0, 0}, {5, 5}, {6, 6}};
  const struct {
    std::vector<XY> pts;
    std::vector<std::int32_t> starts;
    bool outOfOrder;
    std::vector<XY> fixed;
  } cases[] = {
      {CounterClockwiseSquare(0, 0, 1), {0}, true, ClockwiseSquare(0, 0, 1)},
      {inOrder, {0, 5}, false, inOrder},
      {Concat({ClockwiseSquare(0, 0, 4), ClockwiseSquare(1, 1, 1)}), {0, 5}, true, inOrder},
      {zeroArea, {0, 3}, false, zeroArea},
      // Behind a part that leaves the arrays, at a negative start, or without a part table: untouched.
      {Concat({ClockwiseSquare(0, 0, 4), ClockwiseSquare(1, 1, 1)}), {0, 5, 99, 5}, false, {}},
      {CounterClockwiseSquare(0, 0, 1), {-1}, false, {}},
      {CounterClockwiseSquare(0, 0, 1), {}, false, {}},
  };
  for (const auto& c : cases) {
    auto g = MakeGeometry(Polygon, c.pts, c.starts);
    g->partCount = std::max<std::int32_t>(g->partCount, 1);
    EXPECT_EQ(Terrix::CheckUnRingOrder(g.get()), c.outOfOrder) << c.pts.size();
    Terrix::FixGeoTopo(g.get());
    EXPECT_EQ(VerticesOf(*g), c.fixed.empty() ? c.pts : c.fixed) << c.pts.size();
  }

  // Part 0: an open counter-clockwise ring of four; part 1: a closed clockwise ring of
  // five. z and m (1000 + i, 2000 + i) travel with their vertices; an odd ring's middle stays.
  auto g =
      MakeGeometry(Polygon, Concat({{{0, 0}, {3, 0}, {3, 3}, {0, 3}}, ClockwiseSquare(1, 1, 1)}), {0, 4});
  Terrix::FixGeoTopo(g.get());
  EXPECT_EQ(VerticesOf(*g), Concat({{{0, 3}, {3, 3}, {3, 0}, {0, 0}}, CounterClockwiseSquare(1, 1, 1)}));
  const int from[] = {3, 2, 1, 0, 8, 7, 6, 5, 4};
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ((std::vector<double>{g->z[i], g->m[i]}),
              (std::vector<double>{1000.0 + from[i], 2000.0 + from[i]}))
        << i;
  // Without z and m arrays only x and y move.
  auto bare = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 2), {0});
  std::free(bare->z), std::free(bare->m);
  bare->z = bare->m = nullptr;
  Terrix::FixGeoTopo(bare.get());
  EXPECT_EQ(VerticesOf(*bare), ClockwiseSquare(0, 0, 2));
}

TEST(Validation, UnclosedRingsCountedWithInclusiveToleranceAndClosed) {
  EXPECT_EQ(Terrix::CheckUnclosedRing(nullptr, 0.0) + Terrix::CheckUnclosedRing(MakePoint(1, 1).get(), 0.0),
            0);
  // A difference exactly equal to the tolerance, in x (part 0) and in y (part 1), is closed.
  auto exact = MakeGeometry(Line, {{0, 0}, {5, 5}, {0.25, 0}, {1, 1}, {5, 5}, {1, 1.5}}, {0, 3});
  for (const auto& [tolerance, unclosed] : {std::pair{0.5, 0}, {0.25, 1}, {0.125, 2}})
    EXPECT_EQ(Terrix::CheckUnclosedRing(exact.get(), tolerance), unclosed) << tolerance;
  // The count stops at the first part that leaves the arrays.
  const std::vector<XY> diagonal = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
  const std::pair<std::vector<std::int32_t>, std::int32_t> cases[] = {
      {{0, 2, 4}, 3}, {{0, 2, 60, 4}, 1}, {{-2, 2, 4}, 0}, {{0, 6}, 1}};
  for (const auto& [starts, unclosed] : cases)
    EXPECT_EQ(Terrix::CheckUnclosedRing(MakeGeometry(Line, diagonal, starts).get(), 0.0), unclosed);

  Terrix::FixUnclosedRing(nullptr);
  auto ring = MakeGeometry(Polygon, {{0, 0}, {1, 0}, {1, 1}, {0, 0.0005}}, {0});
  EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.001), 0);
  EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.0001), 1);
  Terrix::FixUnclosedRing(ring.get());
  EXPECT_EQ(VerticesOf(*ring), (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}}));
  EXPECT_EQ((std::vector<double>{ring->z[3], ring->m[3]}), (std::vector<double>{1000, 2000}));
  // An empty part 1 is left alone (closing it would overwrite part 0's last vertex);
  // repairs before a part that leaves the arrays stay, the parts after it are untouched.
  const std::vector<XY> pts = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {5, 5}, {6, 5}, {6, 6}, {5, 6}};
  auto g = MakeGeometry(Polygon, pts, {0, 4, 4});
  Terrix::FixUnclosedRing(g.get());
  EXPECT_EQ(VerticesOf(*g),
            (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 5}}));
  auto bad = MakeGeometry(Polygon, pts, {0, 4, 9, 4});
  Terrix::FixUnclosedRing(bad.get());
  EXPECT_EQ(VerticesOf(*bad),
            (std::vector<XY>{{0, 0}, {1, 0}, {1, 1}, {0, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 6}}));
}

}  // namespace
