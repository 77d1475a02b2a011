// Unit scale factors and the angle conversions of text and symbol annotations.

#include <cmath>
#include <cstdint>

#include "terrix/Functions.h"

namespace Terrix {

namespace {

// Linear units to metres, angular units to radians, indexed by unit code. The
// values are those of the format, to the digit (a nautical mile is 1852.00001).
constexpr double kUnitScales[] = {
    0.001,                  // 0 millimetre
    0.001,                  // 1 millimetre
    1.0,                    // 2 metre
    4.84813681109536e-06,   // 3 second of arc
    0.0174532925199433,     // 4 degree
    174.533,                // 5
    0.3048,                 // 6 foot
    0.0002908882086657216,  // 7 minute of arc
    1.0,                    // 8 radian
    0.015707963267948967,   // 9 grad
    1000.0,                 // 10 kilometre
    0.1,                    // 11 decimetre
    0.01,                   // 12 centimetre
    0.0254,                 // 13 inch
    0.9144,                 // 14 yard
    1852.00001,             // 15 nautical mile
    1609.34721869444,       // 16 mile
};
constexpr std::int32_t kUnitCodeCount = static_cast<std::int32_t>(sizeof(kUnitScales) / sizeof(double));
static_assert(kUnitCodeCount == 17);

// Brings an angle beyond one full turn (either way) back within it: a - 360 * q with
// q = trunc(a) / 360 in integer division. fmod computes exactly that value (it is
// exact, and a - 360 * q is representable whenever q is), without converting the
// angle to an integer, which would fail beyond the 32-bit range. An angle of exactly
// 360 or -360 stays; a negative angle then gets one turn added.
double NormaliseTurn(double a) {
  if (a > 360.0 || a < -360.0) a = std::fmod(a, 360.0);
  if (a < 0.0) a = a + 360.0;
  return a;
}

}  // namespace

double QueryUnitScale(std::int32_t code) {
  if (code < 0 || code >= kUnitCodeCount) return 1.0;
  return kUnitScales[code];
}

double DMS2Degree(double packed) {
  // Degrees, minutes and seconds are truncated toward zero, so a negative packed
  // angle gives negative components. std::trunc keeps the integer parts exact in a
  // double (up to 2^53), where a conversion to a 32-bit integer would overflow.
  const double degrees = std::trunc(packed / 10000.0);
  const double minutes = std::trunc(packed / 100.0) - degrees * 100.0;
  const double seconds = packed - 10000.0 * degrees - 100.0 * minutes;
  return (degrees + minutes / 60.0) + seconds / 3600.0;
}

double Arithmetic2Graphic(double angle) {
  const double a = NormaliseTurn(angle);
  if (a > 0.0 && a <= 90.0) return a + 270.0;
  if (a > 90.0 && a <= 360.0) return a - 90.0;
  return 0.0;  // zero, or not a number
}

double Arithmetic2Geographic(double angle) {
  const double a = NormaliseTurn(angle);
  if (a > 0.0 && a <= 90.0) return 90.0 - a;
  if (a > 90.0 && a <= 360.0) return 450.0 - a;
  return 0.0;  // zero, or not a number
}

}  // namespace Terrix
