// The geometry container and the small vector records.
#include <gtest/gtest.h>

#include <cstdlib>

#include "terrix/Geometry.h"

using namespace Terrix;

TEST(Vec, DefaultsAndIndexRule) {
  Vec2d d;
  Vec2f f;
  EXPECT_EQ(d[0], 0.0);
  EXPECT_EQ(d[1], 0.0);
  EXPECT_EQ(f[0], 0.0f);
  EXPECT_EQ(f[1], 0.0f);

  Vec2d p(1.5, -2.5);
  p[1] = 7.0;
  const Vec2d& cp = p;
  EXPECT_EQ(cp[0], 1.5);
  EXPECT_EQ(cp[1], 7.0);

  // Any index but 0 and 1 throws the int 0; negative ones wrap to large unsigned values.
  for (short bad : {short(2), short(-1), short(-32768), short(32767)}) {
    try {
      (void)p[bad];
      ADD_FAILURE() << "no throw for " << bad;
    } catch (int e) {
      EXPECT_EQ(e, 0);
    }
    EXPECT_THROW((void)cp[bad], int);
    EXPECT_THROW((void)f[bad], int);
  }
}

TEST(GeometryContainer, CreatedEmptyAndEmptiedSafely) {
  EmptyGeometry(nullptr);
  DestroyGeometry(nullptr);

  Geometry* g = CreateGeometry();
  EXPECT_EQ(g->partCount, 0);
  EXPECT_EQ(g->vertexCount, 0);
  EXPECT_EQ(g->partStart, nullptr);
  EXPECT_EQ(g->partType, nullptr);
  EXPECT_EQ(g->x, nullptr);
  EXPECT_EQ(g->m, nullptr);

  EmptyGeometry(g);  // nothing to release
  g->vertexCount = 3;
  g->partCount = 1;
  g->x = static_cast<double*>(std::calloc(3, sizeof(double)));
  g->y = static_cast<double*>(std::calloc(3, sizeof(double)));
  g->partStart = static_cast<std::int32_t*>(std::calloc(1, sizeof(std::int32_t)));
  g->type = 3;
  g->id = -1;
  g->minX = 4.0;
  EmptyGeometry(g);
  EXPECT_EQ(g->vertexCount, 0);
  EXPECT_EQ(g->partCount, 0);
  EXPECT_EQ(g->x, nullptr);
  EXPECT_EQ(g->y, nullptr);
  EXPECT_EQ(g->partStart, nullptr);
  // Type, id and bounds keep their values.
  EXPECT_EQ(g->type, 3);
  EXPECT_EQ(g->id, -1);
  EXPECT_EQ(g->minX, 4.0);
  EmptyGeometry(g);    // twice: releases nothing twice (the sanitizer build checks)
  DestroyGeometry(g);  // after emptying: likewise
}

TEST(GeometryContainer, CopySharesArrays) {
  Geometry* a = CreateGeometry();
  Geometry* b = CreateGeometry();
  a->vertexCount = 2;
  a->x = static_cast<double*>(std::calloc(2, sizeof(double)));
  a->y = static_cast<double*>(std::calloc(2, sizeof(double)));
  a->maxY = 9.0;
  *b = *a;
  EXPECT_EQ(b->x, a->x);
  EXPECT_EQ(b->maxY, 9.0);
  b->x[1] = 42.0;  // a change through one shows in the other
  EXPECT_EQ(a->x[1], 42.0);
  DestroyGeometry(a);  // only one of the two may release the arrays
  b->x = b->y = nullptr;
  DestroyGeometry(b);
}
