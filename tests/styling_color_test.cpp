// Colour conversions and colour libraries.
#include <gtest/gtest.h>

#include <cstring>

#include "builder/MapFileBuilder.h"
#include "builder/StyleFileBuilder.h"
#include "core/File.h"
#include "support/FileTest.h"
#include "terrix/ColorLib.h"
#include "terrix/Functions.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using tb::ColorLibBuilder;

namespace {

CMYKQUAD Cmyk(int k, int c, int m, int y) {
  return CMYKQUAD{static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(m),
                  static_cast<std::uint8_t>(y)};
}

tagRGBTRIPLE Rgb(int r, int g, int b) {
  return tagRGBTRIPLE{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                      static_cast<std::uint8_t>(r)};
}

#define EXPECT_RGB(rgb, r, g, b)                                                                       \
  do {                                                                                                 \
    const tagRGBTRIPLE t_ = (rgb);                                                                     \
    EXPECT_EQ((std::vector<int>{t_.rgbtRed, t_.rgbtGreen, t_.rgbtBlue}), (std::vector<int>{r, g, b})); \
  } while (0)

#define EXPECT_CMYK(q, k, c, m, y)                                                          \
  do {                                                                                      \
    const CMYKQUAD q_ = (q);                                                                \
    EXPECT_EQ((std::vector<int>{q_.cmykBlack, q_.cmykCyan, q_.cmykMagenta, q_.cmykYellow}), \
              (std::vector<int>{k, c, m, y}));                                              \
  } while (0)

TEST(ColorConversion, CmykAndRgb) {
  EXPECT_RGB(CMYK2RGB(Cmyk(0, 0, 0, 0)), 255, 255, 255);
  EXPECT_RGB(CMYK2RGB(Cmyk(255, 17, 200, 3)), 0, 0, 0);
  EXPECT_RGB(CMYK2RGB(Cmyk(0, 255, 0, 0)), 0, 255, 255);
  EXPECT_RGB(CMYK2RGB(Cmyk(128, 0, 0, 0)), 127, 127, 127);
  EXPECT_RGB(CMYK2RGB(Cmyk(0, 10, 20, 30)), 245, 235, 225);  // each ink to its own channel
  const tagRGBQUAD quad = CMYK2RGBA(Cmyk(128, 255, 0, 100));
  EXPECT_EQ((std::vector<int>{quad.rgbRed, quad.rgbGreen, quad.rgbBlue, quad.rgbReserved}),
            (std::vector<int>{0, 127, 155 * 127 / 255, 255}));
  // (255 - ink) x ((255 - black) x 255) / 65025, truncated, over every pair.
  for (int k = 0; k < 256; ++k) {
    for (int c = 0; c < 256; ++c) {
      const tagRGBTRIPLE rgb = CMYK2RGB(Cmyk(k, c, 255 - c, c / 2));
      ASSERT_EQ(rgb.rgbtRed, static_cast<int>((255 - c) * ((255.0 - k) * 255.0) / 65025.0)) << k << " " << c;
      ASSERT_EQ(rgb.rgbtGreen, static_cast<int>(c * ((255.0 - k) * 255.0) / 65025.0));
      const tagRGBQUAD q = CMYK2RGBA(Cmyk(k, c, 255 - c, c / 2));
      ASSERT_TRUE(q.rgbBlue == rgb.rgbtBlue && q.rgbRed == rgb.rgbtRed);
    }
  }

  EXPECT_CMYK(RGB2CMYK(Rgb(200, 100, 50)), 0, 55, 155, 205);
  EXPECT_CMYK(RGBA2CMYK(tagRGBQUAD{50, 100, 200, 77}), 0, 55, 155, 205);  // reserved byte ignored
  // A zero channel takes the same formula.
  EXPECT_CMYK(RGB2CMYK(Rgb(0, 0, 0)), 0, 255, 255, 255);
  EXPECT_CMYK(RGBA2CMYK(tagRGBQUAD{0, 255, 1, 0}), 0, 254, 0, 255);
  // Without black the round trip gives every colour back.
  for (int v = 0; v < 256; ++v) {
    const tagRGBTRIPLE rgb = Rgb(v, 255 - v, (v * 7) & 255);
    const tagRGBTRIPLE back = CMYK2RGB(RGB2CMYK(rgb));
    ASSERT_EQ(std::memcmp(&rgb, &back, sizeof rgb), 0) << v;
  }
}

class ColorLibTest : public support::FileTest {
 protected:
  /// A record as a host holds it, taken from the built bytes.
  template <typename Record>
  static Record As(const tb::Bytes& bytes) {
    Record r;
    std::memcpy(&r, bytes.data(), sizeof r);
    return r;
  }
};

ColorLibBuilder MixingLibrary() {
  ColorLibBuilder b;
  b.InkCount(5).Ink(0, 0, 100, 0, 0).Ink(1, 0, 0, 255, 0).Ink(2, 10, 0, 200, 100);
  b.Ink(3, 0, 0, 200, 0).Ink(4, 0, 0, 200, 0);
  b.AddColor(0, 200, 0, 0, {255});              // cyan 200 + 100 saturates at 255
  b.AddColor(0, 0, 0, 0, {0, 128});             // magenta share 255 x 128 / 255 = 128
  b.AddColor(0, 0, 0, 0, {0, 0, 255});          // black 10, magenta 200, yellow 100
  b.AddColor(0, 0, 0, 0, {100, 0, 100});        // 100 x 100 / 255 = 39.2 -> 39
  b.AddColor(255, 128, 1, 0);                   // no ink: the base as it stands
  b.AddColor(250, 0, 0, 0, {0, 0, 255});        // black 250 + 10 saturates
  b.AddColor(0, 0, 0, 0, {0, 0, 0, 255, 255});  // two inks of magenta 200 saturate
  return b;
}

TEST_F(ColorLibTest, MixesInksIntoTheBase) {
  const ColorLibBuilder b = MixingLibrary();
  Terrix_ColorLib lib;
  EXPECT_EQ(lib.GetColorNum(), 0);
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 7);
  EXPECT_EQ(lib.GetColorNum(), 7);

  EXPECT_CMYK(lib.GetCMYK(1), 0, 100, 0, 0);
  EXPECT_RGB(lib.GetRGB(1), 0, 255, 255);
  EXPECT_RGB(lib.GetRGB(2), 255, 127, 255);
  EXPECT_CMYK(lib.GetCMYK(2), 0, 0, 50, 0);
  EXPECT_RGB(lib.GetRGB(3), 245, 55 * 245 / 255, 155 * 245 / 255);
  EXPECT_CMYK(lib.GetCMYK(4), 1, 15, 30, 15);  // (3, 39, 78, 39) in percent
  EXPECT_RGB(lib.GetRGB(4), 213, 174, 213);
  EXPECT_CMYK(lib.GetCMYK(5), 100, 50, 0, 0);   // (255, 128, 1, 0)
  EXPECT_CMYK(lib.GetCMYK(6), 100, 0, 78, 39);  // (255, 0, 200, 100)
  EXPECT_RGB(lib.GetRGB(6), 0, 0, 0);
  EXPECT_CMYK(lib.GetCMYK(7), 0, 0, 100, 0);

  // A host's own colour records under the head mix the same, cyan into red.
  for (std::size_t i = 0; i < 7; ++i) {
    const tagRGBTRIPLE fromLib = lib.GetRGB(static_cast<std::int32_t>(i + 1));
    const tagRGBTRIPLE fromRecord = TERRIXCLR2RGB(As<TERRIX_Color>(b.Color(i)), lib.GetHead());
    EXPECT_EQ(std::memcmp(&fromLib, &fromRecord, sizeof fromLib), 0) << "colour " << i + 1;
  }
  TERRIX_Color cyan{};
  cyan.base = Cmyk(0, 255, 0, 0);
  EXPECT_RGB(TERRIXCLR2RGB(cyan, COLORLIB_HEAD{}), 0, 255, 255);

  // Numbers outside 1 .. count, and a library not loaded.
  for (std::int32_t number : {0, 8, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_RGB(lib.GetRGB(number), 0, 0, 0);
    EXPECT_CMYK(lib.GetCMYK(number), 0, 0, 0, 0);
  }
  EXPECT_RGB(Terrix_ColorLib().GetRGB(1), 0, 0, 0);
  EXPECT_CMYK(Terrix_ColorLib().GetCMYK(1), 0, 0, 0, 0);
}

TEST_F(ColorLibTest, InkCountsBeyondTheRoomAreClamped) {
  ColorLibBuilder b;
  b.InkCount(36);
  for (int j = 0; j < 36; ++j) b.Ink(j, 0, 0, 0, 10);
  b.Ink(27, 0, 0, 0, 0).Ink(28, 255, 255, 255, 255);  // ink 28 is beyond what a colour can name
  b.AddColor(0, 0, 0, 0, std::vector<std::uint8_t>(28, 255));
  b.AddColor(200, 200, 200, 200);  // right behind colour 1's last amount
  Terrix_ColorLib lib;
  for (std::int16_t inks : {36, 32767}) {
    b.InkCount(inks);
    ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 2);
    EXPECT_RGB(lib.GetRGB(1), 255, 255, 0);  // 27 inks of yellow 10: 270 saturates; no black
  }
  b.InkCount(-5);
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 2);
  EXPECT_RGB(lib.GetRGB(1), 255, 255, 255);  // the base unchanged
  EXPECT_RGB(TERRIXCLR2RGB(As<TERRIX_Color>(b.Color(0)), As<COLORLIB_HEAD>(b.Head())), 255, 255, 255);
}

TEST_F(ColorLibTest, RefusalsShortFilesAndFailedReads) {
  const int files = tb::OpenFileCount();
  Terrix_ColorLib lib;
  ColorLibBuilder wrong = MixingLibrary();
  wrong.Magic("PCOLOR 2");
  EXPECT_EQ(lib.LoadColors(Write("w.lib", wrong.Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(lib.LoadColors(Write("e.lib", {}).c_str()), Result::BadMagic);
  EXPECT_EQ(lib.LoadColors(dir.WidePath("missing.lib").c_str()), Result::CannotOpen);

  const std::wstring path = Write("c.lib", MixingLibrary().Build());
  for (long n = 1; n <= 8; ++n) {  // the head, then one read per colour
    core::FileSeam::Reset();
    core::FileSeam::FailReadAt(n);
    EXPECT_EQ(lib.LoadColors(path.c_str()), Result::IoError) << "read " << n;
    EXPECT_RGB(lib.GetRGB(1), 0, 0, 0);
  }
  EXPECT_EQ(tb::OpenFileCount(), files);

  // Colours beyond the end of the file read as zeros (white); a negative count loads nothing.
  ColorLibBuilder big = MixingLibrary();
  big.ColorCountField(32000);
  EXPECT_EQ(lib.LoadColors(Write("big.lib", big.Build()).c_str()), 32000);
  EXPECT_RGB(lib.GetRGB(2), 255, 127, 255);
  EXPECT_RGB(lib.GetRGB(32000), 255, 255, 255);
  EXPECT_RGB(lib.GetRGB(32001), 0, 0, 0);
  ColorLibBuilder negative = MixingLibrary();
  negative.ColorCountField(-3);
  EXPECT_EQ(lib.LoadColors(Write("neg.lib", negative.Build()).c_str()), -3);
  EXPECT_RGB(lib.GetRGB(1), 0, 0, 0);
  // A file cut inside colour 6 loads it with zeros for the missing bytes.
  tb::Bytes cut = MixingLibrary().Build();
  cut.resize(ColorLibBuilder::kHeadSize + 5 * ColorLibBuilder::kColorSize + 2);
  ASSERT_EQ(lib.LoadColors(Write("cut.lib", cut).c_str()), 7);
  EXPECT_CMYK(lib.GetCMYK(6), 98, 0, 0, 0);  // 250 of black, no ink amounts
  EXPECT_EQ(tb::OpenFileCount(), files);
}

TEST_F(ColorLibTest, CopiesKeepTheirColours) {
  Terrix_ColorLib lib;
  ASSERT_EQ(lib.LoadColors(Write("c.lib", MixingLibrary().Build()).c_str()), 7);
  Terrix_ColorLib copy(lib);
  Terrix_ColorLib assigned;
  assigned = lib;
  ColorLibBuilder other;
  other.AddColor(255, 0, 0, 0);
  ASSERT_EQ(lib.LoadColors(Write("o.lib", other.Build()).c_str()), 1);
  EXPECT_RGB(lib.GetRGB(1), 0, 0, 0);
  EXPECT_EQ(copy.GetColorNum(), 7);
  EXPECT_RGB(copy.GetRGB(1), 0, 255, 255);
  EXPECT_RGB(assigned.GetRGB(2), 255, 127, 255);
}

}  // namespace
