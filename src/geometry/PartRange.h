// The part range rule shared by every geometry operation that walks parts: part k
// covers the vertices from partStart[k] up to, not including, partStart[k + 1];
// the last part ends at vertexCount.
#pragma once

#include <cstdint>

#include "terrix/Geometry.h"

namespace Terrix::detail {

/// The vertices [start, end) of one part, widened to 64 bits so that arithmetic
/// on hostile part tables cannot overflow.
struct PartRange {
  std::int64_t start;
  std::int64_t end;

  std::int64_t Count() const { return end - start; }
  bool IsEmpty() const { return end <= start; }
};

/// Number of vertices whose x and y can be read: vertexCount, or 0 when the count
/// is negative or an x or y array is missing.
inline std::int32_t ReadableVertexCount(const Geometry& g) {
  if (g.x == nullptr || g.y == nullptr || g.vertexCount < 0) return 0;
  return g.vertexCount;
}

/// Number of parts whose table entries can be read: partCount, or 0 when the
/// count is negative or the start table is missing.
inline std::int32_t ReadablePartCount(const Geometry& g) {
  if (g.partStart == nullptr || g.partCount < 0) return 0;
  return g.partCount;
}

/// Range of part k (0 <= k < ReadablePartCount) as the table gives it, unchecked.
inline PartRange PartRangeOf(const Geometry& g, std::int32_t k) {
  const std::int64_t end = (k + 1 < g.partCount) ? g.partStart[k + 1] : g.vertexCount;
  return {g.partStart[k], end};
}

/// True when the part's first vertex is a vertex of the arrays and its end lies
/// past one of them: start in [0, n) and end in [1, n]. Every index from start to
/// end - 1 (and from end - 1 to start) is then inside the arrays. A well-formed
/// table fails this only for empty parts at the very end, which contribute nothing.
inline bool LiesInArrays(const PartRange& r, std::int32_t vertexCount) {
  return r.start >= 0 && r.start < vertexCount && r.end >= 1 && r.end <= vertexCount;
}

/// Calls visit(range) for each part in order while its range lies in the vertex
/// arrays; stops at the first part that does not, or when visit returns false.
template <class Visit>
void ForEachPartInArrays(const Geometry& g, Visit visit) {
  const std::int32_t vertices = ReadableVertexCount(g);
  const std::int32_t parts = ReadablePartCount(g);
  for (std::int32_t k = 0; k < parts; ++k) {
    const PartRange range = PartRangeOf(g, k);
    if (!LiesInArrays(range, vertices)) return;
    if (!visit(k, range)) return;
  }
}

}  // namespace Terrix::detail
