/// @file
/// The library's free functions over geometries and coded values.
///
/// They keep no state: separate calls may run on separate threads, as long as
/// no container is used by two threads at a time. The geometry functions take
/// a container filled by a reader or by the host; they read x and y through
/// vertexCount and the part table through partCount, and never allocate,
/// resize or release anything. A vertex count below 0, or a missing x or y
/// array, counts as no vertices; a part count below 0, or a missing partStart,
/// as no parts.
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
///
/// Only x and y take part; the container is not changed.
/// @param geometry The container, or null.
/// @return The length; 0.0 without a container or with fewer than two vertices.
TERRIX_API double GetGeoLength(Geometry* geometry);
/// Sum of the lengths of the parts, each taken by itself (no closing edge is added).
///
/// Only x and y take part. A part whose range leaves the vertex arrays ends
/// the walk over the parts.
/// @param geometry The container, or null.
/// @return The sum; 0.0 without a container.
TERRIX_API double GetGeoPerimeter(Geometry* geometry);
/// Signed area of the whole vertex sequence taken as one closed ring: positive
/// counter-clockwise, negative clockwise; parts are not consulted.
///
/// @param geometry The container, or null.
/// @return The signed area; 0.0 without a container.
TERRIX_API double GetGeoArea(Geometry* geometry);
/// Centroid of the whole vertex sequence taken as one closed polygon. A sequence
/// of zero area gives the quotients as they fall (NaN or infinity).
///
/// @param geometry The container, or null.
/// @return The centroid (x, y); (0.0, 0.0) without a container.
TERRIX_API Vec2d GetGeoCentroid(Geometry* geometry);

// Validation and repair.
//
// Part 0 is the outer ring and must run clockwise (negative signed area), every
// further part counter-clockwise. None of these functions allocates or resizes.
// A part whose range leaves the vertex arrays ends the walk over the parts.

/// True when there is no container, or type is 0, or it has no vertices or no parts.
///
/// A point as the readers fill it has no parts, and so counts as empty here.
/// @param geometry The container, or null.
/// @return Whether the container holds no shape.
TERRIX_API bool CheckEmptyGeo(Geometry* geometry);
/// True when some part has no vertices.
///
/// Every part of the part table is looked at, also one whose range leaves the
/// vertex arrays.
/// @param geometry The container, or null.
/// @return Whether a part is empty; false without a container.
TERRIX_API bool CheckEmptyParts(Geometry* geometry);
/// Always false.
/// @param geometry Not used.
/// @return false.
TERRIX_API bool CheckSelfIntersect(Geometry* geometry);
/// Always false; the tolerance is not used.
/// @param geometry  Not used.
/// @param tolerance Not used.
/// @return false.
TERRIX_API bool CheckShortSegment(Geometry* geometry, double tolerance);
/// True when some ring runs against the orientation rule above.
///
/// The rule: part 0 is the outer ring and runs clockwise (negative signed
/// area), every further part runs counter-clockwise. A ring of zero area
/// satisfies either direction. A part whose range leaves the vertex arrays
/// ends the walk over the parts.
/// @param geometry The container, or null.
/// @return Whether a ring runs against the rule; false without a container.
TERRIX_API bool CheckUnRingOrder(Geometry* geometry);
/// Number of parts whose first and last vertex differ in x or y by more than the tolerance.
///
/// A difference equal to the tolerance counts as closed. A part whose range
/// leaves the vertex arrays ends the walk over the parts.
/// @param geometry  The container, or null.
/// @param tolerance The largest difference in x and in y that still counts as closed.
/// @return The number of unclosed parts; 0 without a container.
TERRIX_API std::int32_t CheckUnclosedRing(Geometry* geometry, double tolerance);
/// Closes every part by copying the x, y, z and m of its first vertex onto its last.
/// A part without vertices is left alone.
///
/// z and m are copied only when their arrays exist. Nothing is allocated: the
/// last vertex is overwritten, not appended. A part whose range leaves the
/// vertex arrays ends the walk over the parts.
/// @param geometry The container; null does nothing.
TERRIX_API void FixUnclosedRing(Geometry* geometry);
/// Reverses every ring that runs against the orientation rule; z and m move with
/// their vertices.
///
/// The rule is that of CheckUnRingOrder: part 0 clockwise, every further part
/// counter-clockwise. A part whose range leaves the vertex arrays ends the
/// walk over the parts.
/// @param geometry The container; null does nothing.
TERRIX_API void FixGeoTopo(Geometry* geometry);

// Rescaling and offsetting.
//
// Both change x, y and the x and y bounds in place; z, m, their bounds, the parts and
// the counts stay. The bounds are not reordered when the factor is negative.

/// Multiplies the bounds and every vertex by the factor.
///
/// Only x, y, minX, minY, maxX and maxY change. The bounds are not reordered
/// when the factor is negative.
/// @param geometry The container; null does nothing.
/// @param factor   The factor.
TERRIX_API void ReScaleGeometry(Geometry* geometry, double factor);
/// Multiplies by shift.z, then adds shift.x to x and shift.y to y.
///
/// Applies to every vertex and to the x and y bounds; z, m, their bounds, the
/// parts and the counts stay. The bounds are not reordered when the factor is
/// negative.
/// @param geometry The container; null does nothing.
/// @param shift    x and y: the shift; z: the factor.
TERRIX_API void OffsetGeometry(Geometry* geometry, D_3DOT shift);

// Colour conversions.

/// CMYK of an RGB colour: black 0, each ink 255 minus its channel.
/// @param rgb The colour.
/// @return Cyan 255 - red, magenta 255 - green, yellow 255 - blue, black 0.
TERRIX_API CMYKQUAD RGB2CMYK(tagRGBTRIPLE rgb);
/// As RGB2CMYK; the reserved byte is ignored.
/// @param rgba The colour.
/// @return Cyan 255 - red, magenta 255 - green, yellow 255 - blue, black 0.
TERRIX_API CMYKQUAD RGBA2CMYK(tagRGBQUAD rgba);
/// RGB of a CMYK colour: (255 - ink) x (255 - black) / 255 per channel, truncated.
/// @param cmyk The colour, 0 to 255 per channel.
/// @return Red from cyan, green from magenta, blue from yellow.
TERRIX_API tagRGBTRIPLE CMYK2RGB(CMYKQUAD cmyk);
/// As CMYK2RGB, with 255 in the reserved byte.
/// @param cmyk The colour, 0 to 255 per channel.
/// @return The colour with rgbReserved 255.
TERRIX_API tagRGBQUAD CMYK2RGBA(CMYKQUAD cmyk);
/// RGB of a colour record mixed under the inks of a colour library head; for a
/// colour of a loaded library and its head, the value GetRGB gives.
///
/// Mixing adds, per channel, ink channel x amount / 255 of each ink in use
/// (at most 28) to the colour's base, capped at 255; the mixed CMYK colour is
/// then converted as CMYK2RGB converts it.
/// @param color The colour record.
/// @param head  The colour library head with the inks.
/// @return The RGB colour.
TERRIX_API tagRGBTRIPLE TERRIXCLR2RGB(TERRIX_Color color, COLORLIB_HEAD head);

// Units, angles and fonts.

/// Scale factor of a unit code (0 to 16); any other code gives 1.0.
///
/// Linear units are given in metres, angular units in radians: 0 and 1
/// millimetre, 2 metre, 3 second of arc, 4 degree, 5 (174.533), 6 foot,
/// 7 minute of arc, 8 radian, 9 grad, 10 kilometre, 11 decimetre,
/// 12 centimetre, 13 inch, 14 yard, 15 nautical mile, 16 mile.
/// @param code The unit code.
/// @return The factor.
TERRIX_API double QueryUnitScale(std::int32_t code);
/// Decimal degrees of an angle packed as DDDMMSS.s.
///
/// Degrees and minutes are truncated toward zero, so a negative packed angle
/// gives negative components.
/// @param packed The angle, degrees x 10000 + minutes x 100 + seconds.
/// @return The angle in decimal degrees.
TERRIX_API double DMS2Degree(double packed);
/// A mathematical angle in degrees converted to the graphic convention.
///
/// The angle is first brought within one turn (a negative one gets a turn
/// added); then an angle a in (0, 90] gives a + 270, one in (90, 360] gives
/// a - 90, and 0 or NaN gives 0.0.
/// @param angle The angle in degrees, counter-clockwise from east.
/// @return The converted angle in degrees.
TERRIX_API double Arithmetic2Graphic(double angle);
/// A mathematical angle in degrees converted to the geographic (azimuth) convention.
///
/// The angle is first brought within one turn (a negative one gets a turn
/// added); then an angle a in (0, 90] gives 90 - a, one in (90, 360] gives
/// 450 - a, and 0 or NaN gives 0.0.
/// @param angle The angle in degrees, counter-clockwise from east.
/// @return The azimuth in degrees, clockwise from north.
TERRIX_API double Arithmetic2Geographic(double angle);
/// Writes the GBK font name of `code` with a terminating zero (out holds at least
/// 7 bytes) and returns `code`. Unknown codes give the name of code 2.
///
/// Codes 0 to 28 have names. The name is GBK text whatever the thread's code page.
/// @param code The font code.
/// @param out  The caller's buffer of at least 7 bytes; null writes nothing.
/// @return `code`, unchanged.
TERRIX_API int GetFontName(int code, char* out);
/// Writes the GBK text style name of `code` with a terminating zero (out holds at
/// least 9 bytes) and returns `code`. Unknown codes give the name of code 0.
///
/// Codes 0 to 9 have names. The name is GBK text whatever the thread's code page.
/// @param code The style code.
/// @param out  The caller's buffer of at least 9 bytes; null writes nothing.
/// @return `code`, unchanged.
TERRIX_API int GetFontStyle(int code, char* out);

}  // namespace Terrix
