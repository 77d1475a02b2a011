// The library's free functions over geometries and coded values.
#pragma once

#include <cstdint>

#include "terrix/Export.h"
#include "terrix/Geometry.h"
#include "terrix/StyleRecords.h"

namespace Terrix {

// Measures.
//
// Only x and y take part; none of the measures changes the container or consults
// type, id or the bounds. Given no container they return 0.0 or (0.0, 0.0).

/// Length of the whole vertex sequence as one path: the step from the last vertex
/// of one part to the first of the next counts too.
TERRIX_API double GetGeoLength(Geometry* geometry);
/// Sum of the lengths of the parts, each taken by itself (no closing edge is added).
TERRIX_API double GetGeoPerimeter(Geometry* geometry);
/// Signed area of the whole vertex sequence taken as one closed ring: positive
/// counter-clockwise, negative clockwise; parts are not consulted.
TERRIX_API double GetGeoArea(Geometry* geometry);
/// Centroid of the whole vertex sequence taken as one closed polygon. A sequence
/// of zero area gives the quotients as they fall (NaN or infinity).
TERRIX_API Vec2d GetGeoCentroid(Geometry* geometry);

// Validation and repair.
//
// Part 0 is the outer ring and must run clockwise (negative signed area), every
// further part counter-clockwise. None of these functions allocates or resizes.
// A part whose range leaves the vertex arrays ends the walk over the parts.

/// True when there is no container, or type is 0, or it has no vertices or no parts.
TERRIX_API bool CheckEmptyGeo(Geometry* geometry);
/// True when some part has no vertices.
TERRIX_API bool CheckEmptyParts(Geometry* geometry);
/// Always false.
TERRIX_API bool CheckSelfIntersect(Geometry* geometry);
/// Always false; the tolerance is not used.
TERRIX_API bool CheckShortSegment(Geometry* geometry, double tolerance);
/// True when some ring runs against the orientation rule above.
TERRIX_API bool CheckUnRingOrder(Geometry* geometry);
/// Number of parts whose first and last vertex differ in x or y by more than the tolerance.
TERRIX_API std::int32_t CheckUnclosedRing(Geometry* geometry, double tolerance);
/// Closes every part by copying the x, y, z and m of its first vertex onto its last.
/// A part without vertices is left alone.
TERRIX_API void FixUnclosedRing(Geometry* geometry);
/// Reverses every ring that runs against the orientation rule; z and m move with
/// their vertices.
TERRIX_API void FixGeoTopo(Geometry* geometry);

// Rescaling and offsetting.
//
// Both change x, y and the x and y bounds in place; z, m, their bounds, the parts and
// the counts stay. The bounds are not reordered when the factor is negative.

/// Multiplies the bounds and every vertex by the factor.
TERRIX_API void ReScaleGeometry(Geometry* geometry, double factor);
/// Multiplies by shift.z, then adds shift.x to x and shift.y to y.
TERRIX_API void OffsetGeometry(Geometry* geometry, D_3DOT shift);

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

/// Scale factor of a unit code (0 to 16); any other code gives 1.0.
TERRIX_API double QueryUnitScale(std::int32_t code);
/// Decimal degrees of an angle packed as DDDMMSS.s.
TERRIX_API double DMS2Degree(double packed);
/// A mathematical angle in degrees converted to the graphic convention.
TERRIX_API double Arithmetic2Graphic(double angle);
/// A mathematical angle in degrees converted to the geographic (azimuth) convention.
TERRIX_API double Arithmetic2Geographic(double angle);
/// Writes the GBK font name of `code` with a terminating zero (out holds at least
/// 7 bytes) and returns `code`. Unknown codes give the name of code 2.
TERRIX_API int GetFontName(int code, char* out);
/// Writes the GBK text style name of `code` with a terminating zero (out holds at
/// least 9 bytes) and returns `code`. Unknown codes give the name of code 0.
TERRIX_API int GetFontStyle(int code, char* out);

}  // namespace Terrix
