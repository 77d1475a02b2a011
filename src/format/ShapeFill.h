// Filling a Geometry container with the shapes the readers hand out: a point,
// a line (one part of kind 5) and the vertex arrays of a polygon. Arrays come
// from calloc, as the host releases them with free.
#pragma once

#include <cstdint>
#include <vector>

#include "core/File.h"
#include "format/Coordinates.h"
#include "terrix/Geometry.h"

namespace Terrix::format {

/// Zero-filled array of `count` entries; an empty array is a valid (possibly
/// null) pointer. False only when memory for a non-empty array is missing.
bool AllocateZeroed(std::size_t count, std::size_t size, void*& out);

/// Allocates x, y, z and m with `count` entries each into the container;
/// arrays obtained before a failure stay in it. False when one is missing.
bool AllocateVertexArrays(Geometry* g, std::int32_t count);

/// The x and y bounds before the first vertex narrows them.
void StartXYBounds(Geometry* g);
/// Narrows the x and y bounds by one vertex: a maximum is replaced when it is
/// smaller, a minimum when it is greater (a NaN replaces neither).
inline void NarrowXYBounds(Geometry* g, double x, double y) {
  if (g->maxX < x) g->maxX = x;
  if (g->maxY < y) g->maxY = y;
  if (g->minX > x) g->minX = x;
  if (g->minY > y) g->minY = y;
}
/// Copies `count` x, y pairs into the vertex arrays, narrowing the bounds.
void CopyPointsNarrowing(Geometry* g, const double* xy, std::int64_t count);

/// A point shape: type 1, one vertex, z and m 0.0, every bound set from the
/// vertex (z and m bounds 0.0); partStart and partType are not touched.
/// Result::NoMemory when an array cannot be obtained.
std::int32_t FillPointShape(Geometry* g, double x, double y);

/// A line shape of `count` points read at file position `position`: one part
/// of kind 5 starting at 0, z and m 0.0, x and y bounds from the points.
/// WholeRun reads into `scratch` (kept by the caller between calls) and then
/// copies; ValueByValue reads straight into the arrays and keeps what it read
/// before a failure. Result::NoMemory, Result::IoError or Result::Success.
std::int32_t FillLineShape(Geometry* g, core::File& file, std::uint64_t position, std::int32_t count,
                           PointReads how, std::vector<double>& scratch);

}  // namespace Terrix::format
