// Length, perimeter, signed area and centroid of a geometry container.
//
// The order of the floating-point operations is fixed so that results agree bit for
// bit with every other implementation of these measures over the same vertices.

#include <cmath>

#include "geometry/PartRange.h"
#include "geometry/RingArea.h"
#include "terrix/Functions.h"

namespace Terrix {

namespace {

double SegmentLength(const double* x, const double* y, std::int64_t i, std::int64_t j) {
  const double dx = x[j] - x[i];
  const double dy = y[j] - y[i];
  return std::sqrt(dx * dx + dy * dy);
}

// Sum of the segments (first, first + 1) ... (last - 1, last), added in order.
double PathLength(const double* x, const double* y, std::int64_t first, std::int64_t last) {
  double total = 0.0;
  for (std::int64_t i = first; i < last; ++i) total += SegmentLength(x, y, i, i + 1);
  return total;
}

}  // namespace

namespace detail {

double GetRingArea(const double* x, const double* y, std::int64_t start, std::int64_t count) {
  const std::int64_t end = start + count;
  double sum = 0.0;
  for (std::int64_t i = start; i < end; ++i) {
    const std::int64_t j = (i + 1 < end) ? i + 1 : start;
    sum += x[i] * y[j];
    sum -= x[j] * y[i];
  }
  return sum * 0.5;
}

}  // namespace detail

double GetGeoLength(Geometry* geometry) {
  if (geometry == nullptr) return 0.0;
  const std::int32_t n = detail::ReadableVertexCount(*geometry);
  if (n < 2) return 0.0;
  // Parts are not consulted: the jump from one part to the next counts as a segment.
  return PathLength(geometry->x, geometry->y, 0, n - 1);
}

double GetGeoPerimeter(Geometry* geometry) {
  if (geometry == nullptr) return 0.0;
  double total = 0.0;
  detail::ForEachPartInArrays(*geometry, [&](std::int32_t, const detail::PartRange& part) {
    // A part of fewer than two vertices adds nothing; no closing edge is added.
    total += PathLength(geometry->x, geometry->y, part.start, part.end - 1);
    return true;
  });
  return total;
}

double GetGeoArea(Geometry* geometry) {
  if (geometry == nullptr) return 0.0;
  // The whole vertex sequence is one cyclic ring, whatever its parts.
  return detail::GetRingArea(geometry->x, geometry->y, 0, detail::ReadableVertexCount(*geometry));
}

Vec2d GetGeoCentroid(Geometry* geometry) {
  if (geometry == nullptr) return Vec2d(0.0, 0.0);
  const double* x = geometry->x;
  const double* y = geometry->y;
  const std::int32_t n = detail::ReadableVertexCount(*geometry);
  double cx = 0.0;
  double cy = 0.0;
  double s = 0.0;
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t j = (i + 1 < n) ? i + 1 : 0;
    const double c = x[i] * y[j] - x[j] * y[i];
    cx += (x[i] + x[j]) * c;
    cy += (y[i] + y[j]) * c;
    s += c;
  }
  const double area = s * 0.5;
  const double divisor = area * 6.0;
  // No guard on the divisor: a sequence of zero area gives NaN or an infinity.
  return Vec2d(cx / divisor, cy / divisor);
}

}  // namespace Terrix
