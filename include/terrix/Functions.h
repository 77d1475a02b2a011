// The library's free functions over geometries and coded values.
#pragma once

#include <cstdint>

#include "terrix/Export.h"
#include "terrix/Geometry.h"
#include "terrix/StyleRecords.h"

namespace Terrix {

// Measures.

// Validation and repair.

// Rescaling and offsetting.

// Colour conversions.

/// CMYK of an RGB colour: black 0, each ink 255 minus its channel.
TERRIX_API CMYKQUAD RGB2CMYK(tagRGBTRIPLE rgb);
/// As RGB2CMYK; the reserved byte is ignored.
TERRIX_API CMYKQUAD RGBA2CMYK(tagRGBQUAD rgba);
/// RGB of a CMYK colour: (255 - ink) x (255 - black) / 255 per channel, truncated.
TERRIX_API tagRGBTRIPLE CMYK2RGB(CMYKQUAD cmyk);
/// As CMYK2RGB, with 255 in the reserved byte.
TERRIX_API tagRGBQUAD CMYK2RGBA(CMYKQUAD cmyk);
/// RGB of a colour record mixed under the inks of a colour library head; for a
/// colour of a loaded library and its head, the value GetRGB gives.
TERRIX_API tagRGBTRIPLE TERRIXCLR2RGB(TERRIX_Color color, COLORLIB_HEAD head);

// Units, angles and fonts.

}  // namespace Terrix
