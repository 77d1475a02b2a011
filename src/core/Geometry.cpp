#include "terrix/Geometry.h"

#include <cstdlib>

namespace {

// The index is taken as an unsigned 16-bit value, so negative indices fail too.
bool IsValidIndex(short index) { return static_cast<unsigned short>(index) <= 1; }

}  // namespace

double& Vec2d::operator[](short index) {
  if (!IsValidIndex(index)) throw 0;
  return v_[index];
}
const double& Vec2d::operator[](short index) const {
  if (!IsValidIndex(index)) throw 0;
  return v_[index];
}
float& Vec2f::operator[](short index) {
  if (!IsValidIndex(index)) throw 0;
  return v_[index];
}
const float& Vec2f::operator[](short index) const {
  if (!IsValidIndex(index)) throw 0;
  return v_[index];
}

namespace Terrix {

Geometry* CreateGeometry() {
  // new throws std::bad_alloc when the heap is exhausted; it never returns null.
  Geometry* g = new Geometry();
  g->type = 0;
  g->id = 0;
  g->partCount = 0;
  g->partStart = nullptr;
  g->partType = nullptr;
  g->vertexCount = 0;
  g->x = g->y = g->z = g->m = nullptr;
  g->minX = g->minY = g->minZ = g->minM = 0.0;
  g->maxX = g->maxY = g->maxZ = g->maxM = 0.0;
  return g;
}

void EmptyGeometry(Geometry* g) {
  if (g == nullptr) return;
  g->vertexCount = 0;
  std::free(g->x);
  std::free(g->y);
  std::free(g->z);
  std::free(g->m);
  g->x = g->y = g->z = g->m = nullptr;
  g->partCount = 0;
  std::free(g->partStart);
  std::free(g->partType);
  g->partStart = nullptr;
  g->partType = nullptr;
}

void DestroyGeometry(Geometry* g) {
  if (g == nullptr) return;
  EmptyGeometry(g);
  delete g;
}

}  // namespace Terrix
