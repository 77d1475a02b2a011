// Rescaling and offsetting of geometry containers in place.

#include <gtest/gtest.h>

#include "GeometryHelpers.h"
#include "terrix/Functions.h"

using namespace testing_geometry;

namespace {

// The line (1, 1)-(3, 2) with its bounds; z, m and their bounds set apart.
Terrix::GeometryHolder TwoPointLine() {
  auto g = MakeGeometry(Terrix::ShapeType::Line, {{1, 1}, {3, 2}}, {0});
  g->minX = 1, g->maxX = 3, g->minY = 1, g->maxY = 2;
  g->minZ = -5, g->maxZ = 5, g->minM = -6, g->maxM = 6;
  return g;
}

// Vertices and x, y bounds as expected; z, m, their bounds, parts and counts untouched.
void Expect(const Terrix::Geometry& g, const std::vector<XY>& vertices, double minX, double maxX, double minY,
            double maxY) {
  EXPECT_EQ(VerticesOf(g), vertices);
  EXPECT_EQ(g.minX, minX);
  EXPECT_EQ(g.maxX, maxX);
  EXPECT_EQ(g.minY, minY);
  EXPECT_EQ(g.maxY, maxY);
  EXPECT_EQ(g.partCount, 1);
  EXPECT_EQ(g.partStart[0], 0);
  EXPECT_EQ(g.z[1], 1001.0);
  EXPECT_EQ(g.m[1], 2001.0);
  EXPECT_EQ((std::vector<double>{g.minZ, g.maxZ, g.minM, g.maxM}), (std::vector<double>{-5, 5, -6, 6}));
}

}  // namespace

TEST(Transform, RescaleAndOffset) {
  auto g = TwoPointLine();
  Terrix::ReScaleGeometry(g.get(), 2.0);
  Expect(*g, {{2, 2}, {6, 4}}, 2, 6, 2, 4);
  // A negative factor mirrors through the origin and leaves the bounds unordered.
  g = TwoPointLine();
  Terrix::ReScaleGeometry(g.get(), -1.0);
  Expect(*g, {{-1, -1}, {-3, -2}}, -1, -3, -1, -2);

  g = TwoPointLine();
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{10, 20, 1});
  Expect(*g, {{11, 21}, {13, 22}}, 11, 13, 21, 22);
  g = TwoPointLine();
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{10, 20, 0});
  Expect(*g, {{10, 20}, {10, 20}}, 10, 10, 20, 20);
  g = TwoPointLine();
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{1, 1, -2});
  Expect(*g, {{-1, -1}, {-5, -3}}, -1, -5, -1, -3);

  Terrix::ReScaleGeometry(nullptr, 3.0);
  Terrix::OffsetGeometry(nullptr, Terrix::D_3DOT{1, 2, 3});
}

TEST(Transform, OffsetRoundsTheProductBeforeTheShift) {
  // 0.1 * 3 rounds to 0.30000000000000004; adding -0.3 then leaves 2^-54. A fused
  // multiply-add would keep the exact product and give another value.
  auto g = MakeGeometry(Terrix::ShapeType::Point, {{0.1, 0.1}}, {});
  g->minX = g->maxX = g->minY = g->maxY = 0.1;
  volatile double product = 0.1 * 3.0;
  const double expected = product + -0.3;
  ASSERT_NE(expected, 0.0);
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{-0.3, -0.3, 3.0});
  EXPECT_EQ(g->x[0], expected);
  EXPECT_EQ(g->y[0], expected);
  EXPECT_EQ(g->minX, expected);
}

TEST(Transform, NoVerticesChangesOnlyTheBounds) {
  auto g = MakeGeometry(Terrix::ShapeType::Line, {}, {});
  g->minX = 1, g->maxX = 2, g->minY = 3, g->maxY = 4;
  Terrix::ReScaleGeometry(g.get(), 10.0);
  EXPECT_EQ(g->minX, 10.0);
  EXPECT_EQ(g->maxY, 40.0);
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{1, 2, 0.5});
  EXPECT_EQ(g->minX, 6.0);
  EXPECT_EQ(g->maxX, 11.0);
  EXPECT_EQ(g->minY, 17.0);
  EXPECT_EQ(g->maxY, 22.0);
  // A vertex count without coordinate arrays is not followed.
  g->vertexCount = 5;
  Terrix::ReScaleGeometry(g.get(), 2.0);
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{1, 1, 1});
  g->vertexCount = 0;
}
