// The colour library over any input: load, then every colour number in RGB
// and CMYK, with the out-of-range neighbours, also through a copy.
#include "FuzzInput.h"
#include "terrix/ColorLib.h"

TERRIX_FUZZ_FILE(path, data, size) {
  Terrix::Terrix_ColorLib colors;
  fuzz::CheckRange(colors.LoadColors(path), INT16_MIN, INT16_MAX, "LoadColors");  // the stored count
  const std::int32_t held = colors.GetColorNum();
  for (std::int32_t n = -2; n < std::min(held, 300) + 2; ++n) {
    colors.GetRGB(n);
    colors.GetCMYK(n);
  }
  Terrix::Terrix_ColorLib copy(colors);
  copy.GetCMYK(held);
}
