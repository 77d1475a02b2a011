// Geometry containers for tests: calloc'ed arrays, in the library's own holder.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <new>
#include <vector>

#include "builder/ByteWriter.h"
#include "terrix/Geometry.h"
#include "terrix/GeometryHolder.h"

namespace testing_geometry {

using XY = tb::XY;

template <class T>
T* CallocCopy(const std::vector<T>& values) {
  if (values.empty()) return nullptr;
  T* out = static_cast<T*>(std::calloc(values.size(), sizeof(T)));
  if (out == nullptr) throw std::bad_alloc();
  std::copy(values.begin(), values.end(), out);
  return out;
}

/// A container whose part table is `starts`, taken as given (malformed ones too); z and m
/// get 1000 + i and 2000 + i so that their movement can be followed.
inline Terrix::GeometryHolder MakeGeometry(std::int32_t type, const std::vector<XY>& points,
                                           const std::vector<std::int32_t>& starts) {
  Terrix::GeometryHolder g = Terrix::MakeGeometry();
  std::vector<double> x, y, z, m;
  for (const XY& p : points) {
    x.push_back(p.x), y.push_back(p.y);
    z.push_back(1000.0 + static_cast<double>(z.size())), m.push_back(2000.0 + static_cast<double>(m.size()));
  }
  std::vector<std::int32_t> kinds(starts.size(), Terrix::PartKind::InnerRing);
  if (!kinds.empty()) kinds[0] = Terrix::PartKind::Ring;
  g->type = type, g->id = -1;
  g->vertexCount = static_cast<std::int32_t>(points.size()),
  g->partCount = static_cast<std::int32_t>(starts.size());
  g->x = CallocCopy(x), g->y = CallocCopy(y), g->z = CallocCopy(z), g->m = CallocCopy(m);
  g->partStart = CallocCopy(starts), g->partType = CallocCopy(kinds);
  return g;
}

inline std::vector<XY> VerticesOf(const Terrix::Geometry& g) {
  std::vector<XY> out;
  for (std::int32_t i = 0; i < g.vertexCount; ++i) out.push_back({g.x[i], g.y[i]});
  return out;
}

// Closed squares of side `side` with their lower-left corner at (x0, y0).
inline std::vector<XY> ClockwiseSquare(double x0, double y0, double side) {
  return {{x0, y0}, {x0, y0 + side}, {x0 + side, y0 + side}, {x0 + side, y0}, {x0, y0}};
}
inline std::vector<XY> CounterClockwiseSquare(double x0, double y0, double side) {
  return {{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}, {x0, y0}};
}

inline std::vector<XY> Concat(std::initializer_list<std::vector<XY>> rings) {
  std::vector<XY> out;
  for (const auto& r : rings) out.insert(out.end(), r.begin(), r.end());
  return out;
}

}  // namespace testing_geometry
