// The library's free functions over geometries and coded values.
#pragma once

#include <cstdint>

#include "terrix/Export.h"
#include "terrix/Geometry.h"

namespace Terrix {

// Measures.

// Validation and repair.

// Rescaling and offsetting.

// Colour conversions.

// Units, angles and fonts.

}  // namespace Terrix
