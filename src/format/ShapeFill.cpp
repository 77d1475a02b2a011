#include "format/ShapeFill.h"

#include <cstdlib>
#include <new>

#include "format/Layout.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

bool AllocateZeroed(std::size_t count, std::size_t size, void*& out) {
  out = std::calloc(count, size);
  return out != nullptr || count == 0;
}

namespace {

template <typename T>
bool AllocateInto(std::size_t count, T*& field) {
  void* p = nullptr;
  const bool ok = AllocateZeroed(count, sizeof(T), p);
  field = static_cast<T*>(p);
  return ok;
}

}  // namespace

bool AllocateVertexArrays(Geometry* g, std::int32_t count) {
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  return AllocateInto(n, g->x) && AllocateInto(n, g->y) && AllocateInto(n, g->z) && AllocateInto(n, g->m);
}

void StartXYBounds(Geometry* g) {
  g->minX = g->minY = kBoundsStart;
  g->maxX = g->maxY = -kBoundsStart;
}

void CopyPointsNarrowing(Geometry* g, const double* xy, std::int64_t count) {
  for (std::int64_t j = 0; j < count; ++j) {
    const double x = xy[2 * j];
    const double y = xy[2 * j + 1];
    g->x[j] = x;
    g->y[j] = y;
    NarrowXYBounds(g, x, y);
  }
}

std::int32_t FillPointShape(Geometry* g, double x, double y) {
  g->type = ShapeType::Point;
  g->id = -1;
  g->partCount = 0;
  g->vertexCount = 1;
  if (!AllocateVertexArrays(g, 1)) return Result::NoMemory;
  g->x[0] = x;
  g->y[0] = y;
  g->minX = g->maxX = x;
  g->minY = g->maxY = y;
  g->minZ = g->maxZ = g->minM = g->maxM = 0.0;
  return Result::Success;
}

std::int32_t FillLineShape(Geometry* g, core::File& file, std::uint64_t position, std::int32_t count,
                           PointReads how, std::vector<double>& scratch) {
  const std::int32_t n = count > 0 ? count : 0;
  g->type = ShapeType::Line;
  g->id = -1;
  g->partCount = 1;
  g->vertexCount = n;
  if (!AllocateVertexArrays(g, n) || !AllocateInto(1, g->partStart) || !AllocateInto(1, g->partType))
    return Result::NoMemory;
  g->partStart[0] = 0;
  g->partType[0] = PartKind::Ring;
  StartXYBounds(g);

  if (how == PointReads::ValueByValue) {
    file.Seek(position);
    for (std::int32_t j = 0; j < n; ++j) {
      if (!file.Read(&g->x[j], sizeof(double)) || !file.Read(&g->y[j], sizeof(double)))
        return Result::IoError;
      NarrowXYBounds(g, g->x[j], g->y[j]);
    }
    return Result::Success;
  }

  // Points missing at the end of the file stay 0.0, as in the zero-filled arrays.
  try {
    scratch.assign(2 * static_cast<std::size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    return Result::NoMemory;
  }
  if (!ReadPointRun(file, position, n, scratch.data(), PointReads::WholeRun)) return Result::IoError;
  CopyPointsNarrowing(g, scratch.data(), n);
  return Result::Success;
}

}  // namespace Terrix::format
