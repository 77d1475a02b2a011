// The geometry container, its measures, transforms, checks and ring repairs, also on malformed parts.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>

#include "GeometryHelpers.h"
#include "terrix/Functions.h"

using namespace testing_geometry;
using namespace Terrix;
using Terrix::ShapeType::Line;
using Terrix::ShapeType::Polygon;

namespace {

std::string Num(double v) {
  char s[32];
  std::snprintf(s, sizeof s, "%.15g", v);
  return std::isnan(v) ? "nan" : s;
}

// Length, perimeter, area, (centroid), rings out of order, unclosed rings, empty geometry, empty parts.
std::string Describe(Geometry* g) {
  const Vec2d c = GetGeoCentroid(g);
  return Num(GetGeoLength(g)) + " " + Num(GetGeoPerimeter(g)) + " " + Num(GetGeoArea(g)) + " (" + Num(c[0]) +
         " " + Num(c[1]) + ") " + std::to_string(CheckUnRingOrder(g)) + " " +
         std::to_string(CheckUnclosedRing(g, 0.0)) + " " + std::to_string(CheckEmptyGeo(g)) +
         std::to_string(CheckEmptyParts(g));
}

TEST(Geometry, MeasuresAndChecksOfWellFormedAndMalformedContainers) {
  const auto two = Concat({ClockwiseSquare(0, 0, 1), ClockwiseSquare(5, 5, 1)});
  const auto holed = Concat({ClockwiseSquare(0, 0, 4), CounterClockwiseSquare(1, 1, 2)});
  const auto wrongHole = Concat({ClockwiseSquare(0, 0, 4), ClockwiseSquare(1, 1, 2)});
  const std::tuple<std::int32_t, std::vector<XY>, std::vector<std::int32_t>, std::string> cases[] = {
      // clang-format off
      // Outer rings run clockwise (negative area), inner rings counter-clockwise.
      {Polygon, ClockwiseSquare(0, 0, 1), {0}, "4 4 -1 (0.5 0.5) 0 0 00"},
      {Polygon, CounterClockwiseSquare(0, 0, 1), {0}, "4 4 1 (0.5 0.5) 1 0 00"},
      // An open ring: area and centroid wrap to the first vertex, the lengths add no closing edge.
      {Polygon, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {0}, "6 6 4 (1 1) 1 1 00"},
      // Two parts: the length counts the jump between them, the perimeter does not.
      {Line, {{0, 0}, {1, 0}, {5, 0}, {6, 0}}, {0, 2}, "6 2 0 (nan nan) 0 2 00"},
      // A hole running opposite to its outer ring is subtracted; one running along it is out of order.
      {Polygon, holed, {0, 5}, "25.4142135623731 24 -12 (2 2) 0 0 00"},
      {Polygon, wrongHole, {0, 5}, "25.4142135623731 24 -20 (2 2) 1 0 00"},
      // A point (no parts), parts without vertices: the centroid's unguarded division gives
      // NaN, and an infinity for a bow tie whose lobes cancel.
      {ShapeType::Point, {{3, 4}}, {}, "0 0 0 (nan nan) 0 0 10"},
      {Polygon, {}, {0}, "0 0 0 (nan nan) 0 0 11"},
      {Polygon, {{0, 0}, {1, 1}, {1, 0}, {0, 1}}, {0}, "3.82842712474619 3.82842712474619 0 (-inf nan) 0 1 00"},
      // Part tables that leave the arrays end the walks there, even before a well-formed
      // part; descending starts make an empty part. Length and area take every vertex.
      {Polygon, two, {0, 5, 400, 5}, "15.0710678118655 4 -2 (3 3) 0 0 01"},
      {Polygon, two, {0, 8, 5}, "15.0710678118655 17.0710678118655 -2 (3 3) 1 2 01"},
      {Polygon, two, {INT32_MIN, 3, INT32_MAX}, "15.0710678118655 0 -2 (3 3) 0 0 01"},
      // clang-format on
  };
  for (const auto& [type, pts, starts, expected] : cases)
    EXPECT_EQ(Describe(MakeGeometry(type, pts, starts).get()), expected);
  EXPECT_EQ(Describe(nullptr), "0 0 0 (0 0) 0 0 10");
  // Parts announced without a part table, vertices without coordinate arrays.
  auto noTable = MakeGeometry(Polygon, two, {});
  noTable->partCount = 3;
  EXPECT_EQ(Describe(noTable.get()), "15.0710678118655 0 -2 (3 3) 0 0 00");
  auto noArrays = MakeGeometry(Polygon, {}, {0});
  noArrays->vertexCount = 10;
  EXPECT_EQ(Describe(noArrays.get()), "0 0 0 (nan nan) 0 0 00");
}

TEST(Geometry, RingRepairsReverseAndCloseInPlace) {
  // Part 0: an open counter-clockwise ring of four; part 1: a closed clockwise ring of five.
  // z and m (1000 + i, 2000 + i) travel with their vertices; an odd ring's middle stays.
  auto g =
      MakeGeometry(Polygon, Concat({{{0, 0}, {3, 0}, {3, 3}, {0, 3}}, ClockwiseSquare(1, 1, 1)}), {0, 4});
  FixGeoTopo(g.get()), FixGeoTopo(nullptr);
  EXPECT_EQ(VerticesOf(*g), Concat({{{0, 3}, {3, 3}, {3, 0}, {0, 0}}, CounterClockwiseSquare(1, 1, 1)}));
  const int from[] = {3, 2, 1, 0, 8, 7, 6, 5, 4};
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(g->z[i] == 1000 + from[i] && g->m[i] == 2000 + from[i]) << i;
  // A difference equal to the tolerance, in x (part 0) and in y (part 1), still closes.
  auto exact = MakeGeometry(Line, {{0, 0}, {5, 5}, {0.25, 0}, {1, 1}, {5, 5}, {1, 1.5}}, {0, 3});
  for (const auto& [tolerance, unclosed] : {std::pair{0.5, 0}, {0.25, 1}, {0.125, 2}})
    EXPECT_EQ(CheckUnclosedRing(exact.get(), tolerance), unclosed) << tolerance;
  // FixUnclosedRing copies the first vertex onto the last. An empty part 1 is left alone (its
  // last vertex is part 0's); repairs before a part that leaves the arrays stay, none after it.
  std::vector<XY> pts = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {5, 5}, {6, 5}, {6, 6}, {5, 6}};
  auto closed = MakeGeometry(Polygon, pts, {0, 4, 4});
  auto bad = MakeGeometry(Polygon, pts, {0, 4, 9, 4});
  FixUnclosedRing(closed.get()), FixUnclosedRing(bad.get()), FixUnclosedRing(nullptr);
  pts[3] = {0, 0};
  EXPECT_EQ(VerticesOf(*bad), pts);
  pts[7] = {5, 5};
  EXPECT_EQ(VerticesOf(*closed), pts);
  EXPECT_EQ((std::vector<double>{closed->z[3], closed->m[3], closed->z[7]}),
            (std::vector<double>{1000, 2000, 1004}));
}

// Rescaling and offsetting change x, y and their bounds only; the bounds are not reordered.
// Without vertices only the bounds change; a count without arrays is not followed.
TEST(Geometry, RescaleAndOffsetInPlace) {
  // clang-format off
  const std::pair<D_3DOT, std::vector<XY>> cases[] = {  // z is the factor; without x, ReScaleGeometry by z
      {{0, 0, 2}, {{2, 2}, {6, 4}}}, {{0, 0, -1}, {{-1, -1}, {-3, -2}}}, {{10, 20, 1}, {{11, 21}, {13, 22}}},
      {{10, 20, 0}, {{10, 20}, {10, 20}}}, {{1, 1, -2}, {{-1, -1}, {-5, -3}}}};
  // clang-format on
  for (const auto& [shift, v] : cases) {
    auto g = MakeGeometry(Line, {{1, 1}, {3, 2}}, {0});
    g->minX = 1, g->maxX = 3, g->minY = 1, g->maxY = 2, g->minZ = -5, g->maxM = 6;
    shift.x == 0 ? ReScaleGeometry(g.get(), shift.z) : OffsetGeometry(g.get(), shift);
    EXPECT_EQ(VerticesOf(*g), v);
    EXPECT_EQ((std::vector<double>{g->minX, g->maxX, g->minY, g->maxY, g->z[1], g->m[1], g->minZ, g->maxM}),
              (std::vector<double>{v[0].x, v[1].x, v[0].y, v[1].y, 1001, 2001, -5, 6}));
  }
  ReScaleGeometry(nullptr, 3.0), OffsetGeometry(nullptr, D_3DOT{1, 2, 3});
  auto g = MakeGeometry(Line, {}, {});
  g->minX = 1, g->maxX = 2, g->minY = 3, g->maxY = 4, g->vertexCount = 5;
  ReScaleGeometry(g.get(), 10.0);
  OffsetGeometry(g.get(), D_3DOT{1, 2, 0.5});
  EXPECT_EQ((std::vector<double>{g->minX, g->maxX, g->minY, g->maxY}), (std::vector<double>{6, 11, 17, 22}));
  g->vertexCount = 0;
}

TEST(Geometry, ContainerCreatedEmptyEmptiedSafelyAndIndexedByTwo) {
  EmptyGeometry(nullptr), DestroyGeometry(nullptr);
  Geometry* g = CreateGeometry();
  EXPECT_TRUE(g->partCount == 0 && g->vertexCount == 0 && g->partStart == nullptr && g->x == nullptr);
  g->vertexCount = g->partCount = g->id = 1;
  g->x = static_cast<double*>(std::calloc(1, sizeof(double)));
  g->partStart = static_cast<std::int32_t*>(std::calloc(1, sizeof(std::int32_t)));
  EmptyGeometry(g);
  EXPECT_TRUE(g->vertexCount == 0 && g->partCount == 0 && g->x == nullptr && g->partStart == nullptr &&
              g->id);
  EmptyGeometry(g);  // twice: releases nothing twice (the sanitizer build checks)
  DestroyGeometry(g);
  // Any index but 0 and 1 throws the int 0; negative ones wrap to large unsigned values.
  Vec2d p(1.5, -2.5);
  Vec2f f;
  const Vec2d& cp = p;
  const Vec2f& cf = f;
  p[1] = 7.0;
  EXPECT_EQ(p[0] + cp[1] + f[0] + cf[1], 8.5);
  for (short bad : {2, -1, -32768, 32767}) {
    for (int which = 0; which < 4; ++which) {
      try {
        (void)(which == 0 ? p[bad] : which == 1 ? cp[bad] : which == 2 ? f[bad] : cf[bad]);
        ADD_FAILURE() << "no throw for " << bad;
      } catch (int e) {
        EXPECT_EQ(e, 0) << which;
      }
    }
  }
}

}  // namespace
