// Signed area of one ring, shared by the measures and the ring-order checks and repairs.
#pragma once

#include <cstdint>

namespace Terrix::detail {

/// Signed area of the ring formed by `count` vertices from index `start`, closed
/// from its last vertex back to its first: positive counter-clockwise, negative
/// clockwise. A count below 1 gives 0.0. The caller keeps the range inside x and y.
double GetRingArea(const double* x, const double* y, std::int64_t start, std::int64_t count);

}  // namespace Terrix::detail
