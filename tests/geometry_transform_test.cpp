// Rescaling and offsetting of geometry containers in place.

#include <gtest/gtest.h>

#include "GeometryHelpers.h"
#include "terrix/Functions.h"

using namespace testing_geometry;

namespace {

GeometryPtr TwoPointLine() {
  auto g = MakeGeometry(Terrix::ShapeType::Line, {{1, 1}, {3, 2}}, {0});
  g->minX = 1;
  g->maxX = 3;
  g->minY = 1;
  g->maxY = 2;
  g->minZ = -5;
  g->maxZ = 5;
  g->minM = -6;
  g->maxM = 6;
  return g;
}

// z, m, their bounds, the parts and the counts are never touched.
void ExpectOnlyXYChanged(const Terrix::Geometry& g) {
  EXPECT_EQ(g.vertexCount, 2);
  EXPECT_EQ(g.partCount, 1);
  EXPECT_EQ(g.partStart[0], 0);
  EXPECT_EQ(g.z[0], 1000.0);
  EXPECT_EQ(g.z[1], 1001.0);
  EXPECT_EQ(g.m[1], 2001.0);
  EXPECT_EQ(g.minZ, -5.0);
  EXPECT_EQ(g.maxZ, 5.0);
  EXPECT_EQ(g.minM, -6.0);
  EXPECT_EQ(g.maxM, 6.0);
}

}  // namespace

TEST(Rescale, PositiveNegativeAndZeroFactors) {
  auto g = TwoPointLine();
  Terrix::ReScaleGeometry(g.get(), 2.0);
  EXPECT_EQ(VerticesOf(*g), (std::vector<XY>{{2, 2}, {6, 4}}));
  EXPECT_EQ(g->minX, 2.0);
  EXPECT_EQ(g->maxX, 6.0);
  EXPECT_EQ(g->minY, 2.0);
  EXPECT_EQ(g->maxY, 4.0);
  ExpectOnlyXYChanged(*g);

  // A negative factor mirrors through the origin and leaves the bounds unordered.
  auto mirrored = TwoPointLine();
  Terrix::ReScaleGeometry(mirrored.get(), -1.0);
  EXPECT_EQ(VerticesOf(*mirrored), (std::vector<XY>{{-1, -1}, {-3, -2}}));
  EXPECT_EQ(mirrored->minX, -1.0);
  EXPECT_EQ(mirrored->maxX, -3.0);
  EXPECT_GT(mirrored->minX, mirrored->maxX);
  ExpectOnlyXYChanged(*mirrored);

  auto collapsed = TwoPointLine();
  Terrix::ReScaleGeometry(collapsed.get(), 0.0);
  EXPECT_EQ(VerticesOf(*collapsed), (std::vector<XY>{{0, 0}, {0, 0}}));
  EXPECT_EQ(collapsed->maxY, 0.0);
  ExpectOnlyXYChanged(*collapsed);

  Terrix::ReScaleGeometry(nullptr, 3.0);
}

TEST(Offset, ScaleThenShift) {
  auto g = TwoPointLine();
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{10, 20, 1});
  EXPECT_EQ(VerticesOf(*g), (std::vector<XY>{{11, 21}, {13, 22}}));
  EXPECT_EQ(g->minX, 11.0);
  EXPECT_EQ(g->maxX, 13.0);
  EXPECT_EQ(g->minY, 21.0);
  EXPECT_EQ(g->maxY, 22.0);
  ExpectOnlyXYChanged(*g);

  auto collapsed = TwoPointLine();
  Terrix::OffsetGeometry(collapsed.get(), Terrix::D_3DOT{10, 20, 0});
  EXPECT_EQ(VerticesOf(*collapsed), (std::vector<XY>{{10, 20}, {10, 20}}));
  ExpectOnlyXYChanged(*collapsed);

  auto mirrored = TwoPointLine();
  Terrix::OffsetGeometry(mirrored.get(), Terrix::D_3DOT{1, 1, -2});
  EXPECT_EQ(VerticesOf(*mirrored), (std::vector<XY>{{-1, -1}, {-5, -3}}));
  EXPECT_EQ(mirrored->minX, -1.0);
  EXPECT_EQ(mirrored->maxX, -5.0);

  Terrix::OffsetGeometry(nullptr, Terrix::D_3DOT{1, 2, 3});
}

TEST(Offset, ProductIsRoundedBeforeTheShift) {
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
  EXPECT_EQ(g->maxY, expected);
}

TEST(Transform, NoVerticesChangesOnlyTheBounds) {
  auto g = MakeGeometry(Terrix::ShapeType::Line, {}, {});
  g->minX = 1;
  g->maxX = 2;
  g->minY = 3;
  g->maxY = 4;
  Terrix::ReScaleGeometry(g.get(), 10.0);
  EXPECT_EQ(g->minX, 10.0);
  EXPECT_EQ(g->maxY, 40.0);
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{1, 2, 0.5});
  EXPECT_EQ(g->minX, 6.0);
  EXPECT_EQ(g->maxX, 11.0);
  EXPECT_EQ(g->minY, 17.0);
  EXPECT_EQ(g->maxY, 22.0);
  EXPECT_EQ(g->vertexCount, 0);
  EXPECT_EQ(g->x, nullptr);

  // A vertex count without coordinate arrays is not followed.
  g->vertexCount = 5;
  Terrix::ReScaleGeometry(g.get(), 2.0);
  Terrix::OffsetGeometry(g.get(), Terrix::D_3DOT{1, 1, 1});
  g->vertexCount = 0;
}
