// Length, perimeter, signed area and centroid of geometry containers.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GeometryHelpers.h"
#include "geometry/RingArea.h"
#include "terrix/Functions.h"

using namespace testing_geometry;
using Terrix::ShapeType::Line;
using Terrix::ShapeType::Polygon;

TEST(Measures, UnitSquareInBothOrientations) {
  auto clockwise = MakeGeometry(Polygon, ClockwiseSquare(0, 0, 1), {0});
  EXPECT_EQ(Terrix::GetGeoLength(clockwise.get()), 4.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(clockwise.get()), 4.0);
  EXPECT_EQ(Terrix::GetGeoArea(clockwise.get()), -1.0);
  Vec2d c = Terrix::GetGeoCentroid(clockwise.get());
  EXPECT_EQ(c[0], 0.5);
  EXPECT_EQ(c[1], 0.5);

  auto counter = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {0});
  EXPECT_EQ(Terrix::GetGeoArea(counter.get()), 1.0);
  c = Terrix::GetGeoCentroid(counter.get());
  EXPECT_EQ(c[0], 0.5);
  EXPECT_EQ(c[1], 0.5);
}

TEST(Measures, OpenRingIsClosedByTheAreaButNotByTheLengths) {
  // The square without its repeated first vertex: the area and centroid wrap from
  // the last vertex to the first, the lengths add no closing edge.
  auto open = MakeGeometry(Polygon, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {0});
  EXPECT_EQ(Terrix::GetGeoArea(open.get()), 4.0);
  EXPECT_EQ(Terrix::GetGeoLength(open.get()), 6.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(open.get()), 6.0);
  const Vec2d c = Terrix::GetGeoCentroid(open.get());
  EXPECT_EQ(c[0], 1.0);
  EXPECT_EQ(c[1], 1.0);
}

TEST(Measures, MultiPartLengthCountsTheJumpPerimeterDoesNot) {
  auto line = MakeGeometry(Line, {{0, 0}, {1, 0}, {5, 0}, {6, 0}}, {0, 2});
  EXPECT_EQ(Terrix::GetGeoLength(line.get()), 6.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(line.get()), 2.0);
}

TEST(Measures, HoleRunningOppositeIsSubtracted) {
  auto shape =
      MakeGeometry(Polygon, Concat({ClockwiseSquare(0, 0, 4), CounterClockwiseSquare(1, 1, 2)}), {0, 5});
  EXPECT_EQ(Terrix::GetGeoArea(shape.get()), -12.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(shape.get()), 16.0 + 8.0);
  // The jump from (0,0) to (1,1) between the rings counts in the length.
  EXPECT_EQ(Terrix::GetGeoLength(shape.get()), 24.0 + std::sqrt(2.0));
}

TEST(Measures, DegenerateContainers) {
  EXPECT_EQ(Terrix::GetGeoLength(nullptr), 0.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(nullptr), 0.0);
  EXPECT_EQ(Terrix::GetGeoArea(nullptr), 0.0);
  Vec2d none = Terrix::GetGeoCentroid(nullptr);
  EXPECT_EQ(none[0], 0.0);
  EXPECT_EQ(none[1], 0.0);

  auto point = MakePoint(3, 4);
  EXPECT_EQ(Terrix::GetGeoLength(point.get()), 0.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(point.get()), 0.0);
  EXPECT_EQ(Terrix::GetGeoArea(point.get()), 0.0);
  Vec2d c = Terrix::GetGeoCentroid(point.get());
  EXPECT_TRUE(std::isnan(c[0]));
  EXPECT_TRUE(std::isnan(c[1]));

  auto empty = MakeGeometry(Polygon, {}, {});
  EXPECT_EQ(Terrix::GetGeoLength(empty.get()), 0.0);
  EXPECT_EQ(Terrix::GetGeoArea(empty.get()), 0.0);
  c = Terrix::GetGeoCentroid(empty.get());
  EXPECT_TRUE(std::isnan(c[0]));

  // Collinear vertices: zero area, a non-zero numerator over zero.
  auto flat = MakeGeometry(Line, {{1, 1}, {2, 2}, {3, 3}}, {0});
  EXPECT_EQ(Terrix::GetGeoArea(flat.get()), 0.0);
  c = Terrix::GetGeoCentroid(flat.get());
  EXPECT_FALSE(std::isfinite(c[0]));
}

TEST(Measures, MalformedPartTablesAreNotFollowedOutOfTheArrays) {
  const auto pts = Concat({ClockwiseSquare(0, 0, 1), ClockwiseSquare(5, 5, 1)});
  // A start beyond the vertices ends the walk; the parts before it count, the
  // ones after it (even well-formed ones) do not.
  auto beyond = MakeGeometry(Polygon, pts, {0, 5, 400});
  EXPECT_EQ(Terrix::GetGeoPerimeter(beyond.get()), 4.0);
  auto stopped = MakeGeometry(Polygon, pts, {0, 5, 400, 5});
  EXPECT_EQ(Terrix::GetGeoPerimeter(stopped.get()), 4.0);
  auto negative = MakeGeometry(Polygon, pts, {-7, 5});
  EXPECT_EQ(Terrix::GetGeoPerimeter(negative.get()), 0.0);
  // Descending starts give an empty part, not a walk backwards.
  auto descending = MakeGeometry(Polygon, pts, {0, 8, 5});
  EXPECT_DOUBLE_EQ(Terrix::GetGeoPerimeter(descending.get()), 4.0 + std::sqrt(50.0) + 2.0 + 4.0);
  // Extreme entries that would overflow a 32-bit difference.
  auto extreme = MakeGeometry(
      Polygon, pts, {std::numeric_limits<std::int32_t>::min(), 3, std::numeric_limits<std::int32_t>::max()});
  EXPECT_EQ(Terrix::GetGeoPerimeter(extreme.get()), 0.0);
  // Parts announced without a part table, or vertices without coordinate arrays.
  auto noTable = MakeGeometry(Polygon, pts, {});
  noTable->partCount = 3;
  EXPECT_EQ(Terrix::GetGeoPerimeter(noTable.get()), 0.0);
  auto noArrays = MakeGeometry(Polygon, {}, {0});
  noArrays->vertexCount = 10;
  EXPECT_EQ(Terrix::GetGeoLength(noArrays.get()), 0.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(noArrays.get()), 0.0);
  EXPECT_EQ(Terrix::GetGeoArea(noArrays.get()), 0.0);
}

// The area and centroid add their products in a fixed order; a different but
// algebraically equal formula gives other bits on coordinates far from the origin.
TEST(Measures, OperationOrderIsBitExact) {
  std::vector<XY> pts;
  for (int i = 0; i < 40; ++i) {
    const double t = i * 0.157;
    pts.push_back({512345.678 + 1000.1 * std::cos(t) + 0.013 * i, 3412345.9 + 997.3 * std::sin(t)});
  }
  auto g = MakeGeometry(Polygon, pts, {0});
  const std::size_t n = pts.size();
  double sum = 0.0, cx = 0.0, cy = 0.0, s = 0.0, length = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const XY& a = pts[i];
    const XY& b = pts[(i + 1) % n];
    volatile double p1 = a.x * b.y;
    volatile double p2 = b.x * a.y;
    sum += p1;
    sum -= p2;
    volatile double c = p1 - p2;
    volatile double wx = (a.x + b.x) * c;
    volatile double wy = (a.y + b.y) * c;
    cx += wx;
    cy += wy;
    s += c;
    if (i + 1 < n) length += std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
  }
  EXPECT_EQ(Terrix::GetGeoArea(g.get()), sum * 0.5);
  EXPECT_EQ(Terrix::GetGeoLength(g.get()), length);
  EXPECT_EQ(Terrix::GetGeoPerimeter(g.get()), length);
  const Vec2d c = Terrix::GetGeoCentroid(g.get());
  EXPECT_EQ(c[0], cx / (s * 0.5 * 6.0));
  EXPECT_EQ(c[1], cy / (s * 0.5 * 6.0));
  // The ring area over a sub-range wraps within that range only.
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 0, static_cast<std::int64_t>(n)), sum * 0.5);
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 3, 0), 0.0);
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 3, -2), 0.0);

  // Adding x[i]*y[j] and then subtracting x[j]*y[i] rounds differently from adding
  // their difference on these vertices.
  auto mixed = MakeGeometry(Polygon,
                            {{-52.407, -2600896.669},
                             {2.514, 2111990.603},
                             {-481.292, -6165117.92},
                             {819477.713, -20.573},
                             {-53.616, 736090.614}},
                            {0});
  double inOrder = 0.0, byDifference = 0.0;
  for (std::int32_t i = 0; i < 5; ++i) {
    const std::int32_t j = (i + 1) % 5;
    volatile double p1 = mixed->x[i] * mixed->y[j];
    volatile double p2 = mixed->x[j] * mixed->y[i];
    inOrder += p1;
    inOrder -= p2;
    byDifference += p1 - p2;
  }
  ASSERT_NE(inOrder, byDifference);
  EXPECT_EQ(Terrix::GetGeoArea(mixed.get()), inOrder * 0.5);
}
