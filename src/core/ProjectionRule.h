// The projection as every reader of the library hands it out: vector map
// files and project files apply the same rule.
#pragma once

#include <cstring>

#include "terrix/Records.h"

namespace Terrix::core {

/// Returns the projection type; with `out`, copies the projection into it and
/// sets the copy's coefficient to 1.0 when the type is 0 or the coefficient is
/// below 0.001 (exactly 0.001 stays; NaN compares false and stays).
inline char HandOutProjection(const MAP_PARAstruct& projection, MAP_PARAstruct* out) {
  const char type = static_cast<char>(projection.type);
  if (out == nullptr) return type;
  std::memcpy(out, &projection, sizeof projection);
  if (projection.type == 0 || projection.coefficient < 0.001) out->coefficient = 1.0;
  return type;
}

}  // namespace Terrix::core
