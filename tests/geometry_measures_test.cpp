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

namespace {

void ExpectCentroid(Terrix::Geometry* g, double x, double y) {
  const Vec2d c = Terrix::GetGeoCentroid(g);
  EXPECT_EQ(c[0], x);
  EXPECT_EQ(c[1], y);
}

}  // namespace

TEST(Measures, RingsHolesAndJumps) {
  auto clockwise = MakeGeometry(Polygon, ClockwiseSquare(0, 0, 1), {0});
  EXPECT_EQ(Terrix::GetGeoLength(clockwise.get()), 4.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(clockwise.get()), 4.0);
  EXPECT_EQ(Terrix::GetGeoArea(clockwise.get()), -1.0);
  ExpectCentroid(clockwise.get(), 0.5, 0.5);
  auto counter = MakeGeometry(Polygon, CounterClockwiseSquare(0, 0, 1), {0});
  EXPECT_EQ(Terrix::GetGeoArea(counter.get()), 1.0);
  ExpectCentroid(counter.get(), 0.5, 0.5);

  // An open ring: area and centroid wrap to the first vertex, the lengths add no closing edge.
  auto open = MakeGeometry(Polygon, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {0});
  EXPECT_EQ(Terrix::GetGeoArea(open.get()), 4.0);
  EXPECT_EQ(Terrix::GetGeoLength(open.get()), 6.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(open.get()), 6.0);
  ExpectCentroid(open.get(), 1.0, 1.0);

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
  // The ring area of one part wraps within that part.
  EXPECT_EQ(Terrix::detail::GetRingArea(holed->x, holed->y, 5, 5), 4.0);
}

TEST(Measures, DegenerateContainers) {
  EXPECT_EQ(Terrix::GetGeoLength(nullptr), 0.0);
  EXPECT_EQ(Terrix::GetGeoPerimeter(nullptr), 0.0);
  EXPECT_EQ(Terrix::GetGeoArea(nullptr), 0.0);
  ExpectCentroid(nullptr, 0.0, 0.0);

  // A point, no vertices: zero length and area; the centroid's unguarded division
  // gives NaN (0/0) there, and an infinity for a bow tie whose lobes cancel.
  auto point = MakePoint(3, 4);
  auto empty = MakeGeometry(Polygon, {}, {});
  for (Terrix::Geometry* g : {point.get(), empty.get()}) {
    EXPECT_EQ(Terrix::GetGeoLength(g), 0.0);
    EXPECT_EQ(Terrix::GetGeoPerimeter(g), 0.0);
    EXPECT_EQ(Terrix::GetGeoArea(g), 0.0);
    const Vec2d c = Terrix::GetGeoCentroid(g);
    EXPECT_TRUE(std::isnan(c[0]) && std::isnan(c[1]));
  }
  auto bowTie = MakeGeometry(Polygon, {{0, 0}, {1, 1}, {1, 0}, {0, 1}}, {0});
  EXPECT_EQ(Terrix::GetGeoArea(bowTie.get()), 0.0);
  EXPECT_EQ(Terrix::GetGeoCentroid(bowTie.get())[0], -std::numeric_limits<double>::infinity());
}

TEST(Measures, MalformedPartTablesAreNotFollowedOutOfTheArrays) {
  const auto pts = Concat({ClockwiseSquare(0, 0, 1), ClockwiseSquare(5, 5, 1)});
  const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  const struct {
    std::vector<std::int32_t> starts;
    double perimeter;
  } cases[] = {
      {{0, 5, 400}, 4.0},     // a start beyond the vertices ends the walk
      {{0, 5, 400, 5}, 4.0},  // ... also before a well-formed part
      {{-7, 5}, 0.0},
      {{0, 8, 5}, 4.0 + std::sqrt(50.0) + 2.0 + 4.0},  // descending: an empty part, no walk back
      {{lo, 3, hi}, 0.0},                              // no 32-bit overflow
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(Terrix::GetGeoPerimeter(MakeGeometry(Polygon, pts, c.starts).get()), c.perimeter);

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
  ExpectCentroid(g.get(), cx / (s * 0.5 * 6.0), cy / (s * 0.5 * 6.0));
  // No count, no area.
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 0, 5), inOrder * 0.5);
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 3, 0), 0.0);
  EXPECT_EQ(Terrix::detail::GetRingArea(g->x, g->y, 3, -2), 0.0);
}
