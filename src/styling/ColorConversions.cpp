// The free colour conversions between the Windows RGB records and CMYK.
#include "styling/ColorMixing.h"
#include "terrix/Functions.h"

namespace Terrix {

namespace {

// 255 - ink under (255 - black), truncated.
std::uint8_t Channel(std::uint8_t ink, std::uint8_t black) {
  return static_cast<std::uint8_t>((255 - ink) * (255 - black) / 255);
}

std::uint8_t Inverse(std::uint8_t channel) {
  return static_cast<std::uint8_t>(255 - channel);
}

}  // namespace

// No black is generated. A colour with a zero channel takes the same formula,
// so black (0, 0, 0) gives full cyan, magenta and yellow.
CMYKQUAD RGB2CMYK(tagRGBTRIPLE rgb) {
  return CMYKQUAD{0, Inverse(rgb.rgbtRed), Inverse(rgb.rgbtGreen), Inverse(rgb.rgbtBlue)};
}

CMYKQUAD RGBA2CMYK(tagRGBQUAD rgba) {
  return CMYKQUAD{0, Inverse(rgba.rgbRed), Inverse(rgba.rgbGreen), Inverse(rgba.rgbBlue)};
}

tagRGBTRIPLE CMYK2RGB(CMYKQUAD cmyk) {
  tagRGBTRIPLE rgb{};
  rgb.rgbtRed = Channel(cmyk.cmykCyan, cmyk.cmykBlack);
  rgb.rgbtGreen = Channel(cmyk.cmykMagenta, cmyk.cmykBlack);
  rgb.rgbtBlue = Channel(cmyk.cmykYellow, cmyk.cmykBlack);
  return rgb;
}

tagRGBQUAD CMYK2RGBA(CMYKQUAD cmyk) {
  const tagRGBTRIPLE rgb = CMYK2RGB(cmyk);
  return tagRGBQUAD{rgb.rgbtBlue, rgb.rgbtGreen, rgb.rgbtRed, 255};
}

// The cyan-derived value goes to the red field, as GetRGB gives it.
tagRGBTRIPLE TERRIXCLR2RGB(TERRIX_Color color, COLORLIB_HEAD head) {
  return CMYK2RGB(styling::MixColor(color, head));
}

}  // namespace Terrix
