// The colour library over any input: load, then every colour number in RGB
// and CMYK, with the out-of-range neighbours, also through a copy.
#include "FuzzInput.h"
#include "terrix/ColorLib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputFile input(data, size);
  if (!input.Ok()) return 0;
  Terrix::Terrix_ColorLib colors;
  fuzz::CheckStoredOr(colors.LoadColors(input.Path()), INT16_MIN, INT16_MAX,
                      "LoadColors");  // the stored count
  const std::int32_t held = colors.GetColorNum();
  for (std::int32_t n = -2; n < std::min(held, 300) + 2; ++n) {
    colors.GetRGB(n);
    colors.GetCMYK(n);
  }
  Terrix::Terrix_ColorLib copy(colors);
  copy.GetCMYK(held);
  return 0;
}
