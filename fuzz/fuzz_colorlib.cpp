// The colour library over any input: load, then every colour number in RGB
// and CMYK, with the out-of-range neighbours, also through a copy.
#include "FuzzInput.h"
#include "terrix/ColorLib.h"

void FuzzOne(const fuzz::Input& in) {
  Terrix::Terrix_ColorLib colors;
  fuzz::CheckShort(colors.LoadColors(in.path), "LoadColors");  // the stored count
  const std::int32_t held = colors.GetColorNum();
  for (std::int32_t n = -2; n < std::min(held, 300) + 2; ++n) colors.GetRGB(n), colors.GetCMYK(n);
  Terrix::Terrix_ColorLib copy(colors);
  copy.GetCMYK(held);
}
