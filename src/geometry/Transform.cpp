// Rescaling and offsetting of a geometry container in place. Only x, y and their
// bounds change; the bounds are not reordered, so a negative factor leaves minX
// above maxX until the caller recomputes them.

#include "geometry/PartRange.h"
#include "terrix/Functions.h"

namespace Terrix {

void ReScaleGeometry(Geometry* geometry, double factor) {
  if (geometry == nullptr) return;
  Geometry& g = *geometry;
  g.minX *= factor;
  g.minY *= factor;
  g.maxX *= factor;
  g.maxY *= factor;
  const std::int32_t n = detail::ReadableVertexCount(g);
  for (std::int32_t i = 0; i < n; ++i) {
    g.x[i] *= factor;
    g.y[i] *= factor;
  }
}

void OffsetGeometry(Geometry* geometry, D_3DOT shift) {
  if (geometry == nullptr) return;
  Geometry& g = *geometry;
  // shift.z is the factor; x and y are the shift applied after the scaling.
  const double f = shift.z;
  g.minX = g.minX * f + shift.x;
  g.minY = g.minY * f + shift.y;
  g.maxX = g.maxX * f + shift.x;
  g.maxY = g.maxY * f + shift.y;
  const std::int32_t n = detail::ReadableVertexCount(g);
  for (std::int32_t i = 0; i < n; ++i) {
    // Each product is stored, and so rounded to a double, before the shift is added.
    g.x[i] = g.x[i] * f;
    g.x[i] = g.x[i] + shift.x;
    g.y[i] = g.y[i] * f;
    g.y[i] = g.y[i] + shift.y;
  }
}

}  // namespace Terrix
