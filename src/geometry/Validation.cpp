// Checks of a geometry container (emptiness, empty parts, ring order, unclosed
// rings) and the repairs of unclosed and wrongly oriented rings. Nothing here
// allocates, releases or resizes: counts and arrays stay as they are.

#include <cmath>
#include <utility>

#include "geometry/PartRange.h"
#include "geometry/RingArea.h"
#include "terrix/Functions.h"

namespace Terrix {

namespace {

// Part 0 is the outer ring and runs clockwise (area below zero); every further
// part is an inner ring and runs counter-clockwise. Zero area counts as either.
bool RunsAgainstOrder(const Geometry& g, std::int32_t k, const detail::PartRange& part) {
  const double area = detail::GetRingArea(g.x, g.y, part.start, part.Count());
  return k == 0 ? area > 0.0 : area < 0.0;
}

template <class T>
void SwapIfPresent(T* values, std::int64_t i, std::int64_t j) {
  if (values != nullptr) std::swap(values[i], values[j]);
}

// Reverses the vertices of [start, end): vertex i trades places with start + last - i
// up to the middle; the middle vertex of an odd ring stays in place.
void ReverseRing(Geometry& g, const detail::PartRange& part) {
  const std::int64_t last = part.end - 1;
  const std::int64_t mid = (part.start + last) / 2;
  for (std::int64_t i = part.start; i <= mid; ++i) {
    const std::int64_t mirror = part.start + last - i;
    std::swap(g.x[i], g.x[mirror]);
    std::swap(g.y[i], g.y[mirror]);
    // z and m belong to their vertices and move with them.
    SwapIfPresent(g.z, i, mirror);
    SwapIfPresent(g.m, i, mirror);
  }
}

}  // namespace

bool CheckEmptyGeo(Geometry* geometry) {
  return geometry == nullptr || geometry->type == ShapeType::None || geometry->vertexCount < 1 ||
         geometry->partCount < 1;
}

bool CheckEmptyParts(Geometry* geometry) {
  if (geometry == nullptr) return false;
  // Only the part table is read here, so every part is looked at, even one whose
  // range leaves the vertex arrays.
  const std::int32_t parts = detail::ReadablePartCount(*geometry);
  for (std::int32_t k = 0; k < parts; ++k) {
    if (detail::PartRangeOf(*geometry, k).Count() < 1) return true;
  }
  return false;
}

bool CheckSelfIntersect(Geometry*) {
  return false;
}

bool CheckShortSegment(Geometry*, double) {
  return false;
}

bool CheckUnRingOrder(Geometry* geometry) {
  if (geometry == nullptr) return false;
  bool outOfOrder = false;
  detail::ForEachPartInArrays(*geometry, [&](std::int32_t k, const detail::PartRange& part) {
    outOfOrder = RunsAgainstOrder(*geometry, k, part);
    return !outOfOrder;
  });
  return outOfOrder;
}

std::int32_t CheckUnclosedRing(Geometry* geometry, double tolerance) {
  if (geometry == nullptr) return 0;
  const double* x = geometry->x;
  const double* y = geometry->y;
  std::int32_t unclosed = 0;
  detail::ForEachPartInArrays(*geometry, [&](std::int32_t, const detail::PartRange& part) {
    const std::int64_t first = part.start;
    const std::int64_t last = part.end - 1;
    // A difference equal to the tolerance still counts as closed.
    if (std::fabs(x[first] - x[last]) > tolerance || std::fabs(y[first] - y[last]) > tolerance) {
      ++unclosed;
    }
    return true;
  });
  return unclosed;
}

void FixUnclosedRing(Geometry* geometry) {
  if (geometry == nullptr) return;
  Geometry& g = *geometry;
  detail::ForEachPartInArrays(g, [&](std::int32_t, const detail::PartRange& part) {
    // A part without vertices has no last vertex of its own: the one before its end
    // belongs to the previous part, so it is left alone.
    if (part.IsEmpty()) return true;
    const std::int64_t first = part.start;
    const std::int64_t last = part.end - 1;
    g.x[last] = g.x[first];
    g.y[last] = g.y[first];
    if (g.z != nullptr) g.z[last] = g.z[first];
    if (g.m != nullptr) g.m[last] = g.m[first];
    return true;
  });
}

void FixGeoTopo(Geometry* geometry) {
  if (geometry == nullptr) return;
  Geometry& g = *geometry;
  detail::ForEachPartInArrays(g, [&](std::int32_t k, const detail::PartRange& part) {
    if (RunsAgainstOrder(g, k, part)) ReverseRing(g, part);
    return true;
  });
}

}  // namespace Terrix
