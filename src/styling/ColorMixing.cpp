#include "styling/ColorMixing.h"

#include "styling/StyleLayout.h"

namespace Terrix::styling {

namespace {

std::uint8_t AddShare(std::uint8_t channel, std::uint8_t inkChannel, std::uint8_t amount) {
  const int sum = channel + inkChannel * amount / 255;
  return static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
}

std::uint8_t Percent(std::uint8_t channel) {
  return static_cast<std::uint8_t>(channel * 100 / 255);
}

}  // namespace

CMYKQUAD MixColor(const TERRIX_Color& color, const COLORLIB_HEAD& head) {
  CMYKQUAD mixed = color.base;
  const int inks = head.inkCount < kColorInkRoom ? head.inkCount : kColorInkRoom;
  for (int j = 0; j < inks; ++j) {
    const CMYKQUAD& ink = head.inks[j];
    const std::uint8_t amount = color.inkAmount[j];
    mixed.cmykBlack = AddShare(mixed.cmykBlack, ink.cmykBlack, amount);
    mixed.cmykCyan = AddShare(mixed.cmykCyan, ink.cmykCyan, amount);
    mixed.cmykMagenta = AddShare(mixed.cmykMagenta, ink.cmykMagenta, amount);
    mixed.cmykYellow = AddShare(mixed.cmykYellow, ink.cmykYellow, amount);
  }
  return mixed;
}

CMYKQUAD ToPercent(const CMYKQUAD& cmyk) {
  return CMYKQUAD{Percent(cmyk.cmykBlack), Percent(cmyk.cmykCyan), Percent(cmyk.cmykMagenta),
                  Percent(cmyk.cmykYellow)};
}

}  // namespace Terrix::styling
