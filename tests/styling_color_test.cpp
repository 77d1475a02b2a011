// Colour conversions and colour libraries.
#include <gtest/gtest.h>

#include <cstring>

#include "builder/MapFileBuilder.h"
#include "builder/StyleFileBuilder.h"
#include "core/File.h"
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
  tagRGBTRIPLE t{};
  t.rgbtRed = static_cast<std::uint8_t>(r);
  t.rgbtGreen = static_cast<std::uint8_t>(g);
  t.rgbtBlue = static_cast<std::uint8_t>(b);
  return t;
}

#define EXPECT_RGB(rgb, r, g, b)   \
  do {                             \
    const tagRGBTRIPLE t_ = (rgb); \
    EXPECT_EQ(t_.rgbtRed, r);      \
    EXPECT_EQ(t_.rgbtGreen, g);    \
    EXPECT_EQ(t_.rgbtBlue, b);     \
  } while (0)

#define EXPECT_CMYK(q, k, c, m, y) \
  do {                             \
    const CMYKQUAD q_ = (q);       \
    EXPECT_EQ(q_.cmykBlack, k);    \
    EXPECT_EQ(q_.cmykCyan, c);     \
    EXPECT_EQ(q_.cmykMagenta, m);  \
    EXPECT_EQ(q_.cmykYellow, y);   \
  } while (0)

TEST(ColorConversion, CmykToRgbExamples) {
  EXPECT_RGB(CMYK2RGB(Cmyk(0, 0, 0, 0)), 255, 255, 255);
  EXPECT_RGB(CMYK2RGB(Cmyk(255, 17, 200, 3)), 0, 0, 0);
  EXPECT_RGB(CMYK2RGB(Cmyk(0, 255, 0, 0)), 0, 255, 255);
  EXPECT_RGB(CMYK2RGB(Cmyk(128, 0, 0, 0)), 127, 127, 127);
  EXPECT_RGB(CMYK2RGB(Cmyk(0, 10, 20, 30)), 245, 235, 225);  // each ink to its own channel

  const tagRGBQUAD quad = CMYK2RGBA(Cmyk(128, 255, 0, 100));
  EXPECT_EQ(quad.rgbRed, 0);
  EXPECT_EQ(quad.rgbGreen, 127);
  EXPECT_EQ(quad.rgbBlue, 155 * 127 / 255);
  EXPECT_EQ(quad.rgbReserved, 255);
}

TEST(ColorConversion, CmykToRgbMatchesTheDoubleFormulaEverywhere) {
  // (255 - ink) x ((255 - black) x 255) / 65025, truncated, over every pair.
  for (int k = 0; k < 256; ++k) {
    for (int c = 0; c < 256; ++c) {
      const int expected = static_cast<int>((255 - c) * ((255.0 - k) * 255.0) / 65025.0);
      const tagRGBTRIPLE rgb = CMYK2RGB(Cmyk(k, c, 255 - c, c / 2));
      ASSERT_EQ(rgb.rgbtRed, expected) << "black " << k << " cyan " << c;
      ASSERT_EQ(rgb.rgbtGreen, static_cast<int>(c * ((255.0 - k) * 255.0) / 65025.0));
      const tagRGBQUAD quad = CMYK2RGBA(Cmyk(k, c, 255 - c, c / 2));
      ASSERT_EQ(quad.rgbBlue, rgb.rgbtBlue);
      ASSERT_EQ(quad.rgbRed, rgb.rgbtRed);
    }
  }
}

TEST(ColorConversion, RgbToCmyk) {
  EXPECT_CMYK(RGB2CMYK(Rgb(200, 100, 50)), 0, 55, 155, 205);
  EXPECT_RGB(CMYK2RGB(RGB2CMYK(Rgb(200, 100, 50))), 200, 100, 50);
  tagRGBQUAD quad{50, 100, 200, 77};  // blue, green, red, reserved
  EXPECT_CMYK(RGBA2CMYK(quad), 0, 55, 155, 205);
  quad.rgbReserved = 0;
  EXPECT_CMYK(RGBA2CMYK(quad), 0, 55, 155, 205);
  // A zero channel takes the same formula.
  EXPECT_CMYK(RGB2CMYK(Rgb(0, 0, 0)), 0, 255, 255, 255);
  EXPECT_CMYK(RGB2CMYK(Rgb(255, 0, 0)), 0, 0, 255, 255);
  EXPECT_CMYK(RGBA2CMYK(tagRGBQUAD{0, 255, 1, 0}), 0, 254, 0, 255);
  // Without black the round trip gives every colour back.
  for (int v = 0; v < 256; ++v) {
    const tagRGBTRIPLE rgb = Rgb(v, 255 - v, (v * 7) & 255);
    const tagRGBTRIPLE back = CMYK2RGB(RGB2CMYK(rgb));
    ASSERT_EQ(std::memcmp(&rgb, &back, sizeof rgb), 0) << v;
  }
}

class ColorLibTest : public ::testing::Test {
 protected:
  void SetUp() override { core::FileSeam::Reset(); }
  void TearDown() override { core::FileSeam::Reset(); }

  std::wstring Write(const std::string& name, const tb::Bytes& bytes) {
    tb::WriteFile(dir.Path(name), bytes);
    return dir.WidePath(name);
  }

  /// Records as a host holds them, taken from the built bytes.
  static COLORLIB_HEAD HeadOf(const ColorLibBuilder& b) {
    COLORLIB_HEAD head;
    const tb::Bytes bytes = b.Head();
    std::memcpy(&head, bytes.data(), sizeof head);
    return head;
  }
  static TERRIX_Color ColorOf(const ColorLibBuilder& b, std::size_t i) {
    TERRIX_Color color;
    const tb::Bytes bytes = b.Color(i);
    std::memcpy(&color, bytes.data(), sizeof color);
    return color;
  }

  tb::TempDir dir;
};

ColorLibBuilder MixingLibrary() {
  ColorLibBuilder b;
  b.InkCount(3).Ink(0, 0, 100, 0, 0).Ink(1, 0, 0, 255, 0).Ink(2, 10, 0, 200, 100);
  b.AddColor(0, 200, 0, 0, {255});        // cyan 200 + 100 saturates at 255
  b.AddColor(0, 0, 0, 0, {0, 128});       // magenta share 255 x 128 / 255 = 128
  b.AddColor(0, 0, 0, 0, {0, 0, 255});    // one ink of magenta 200 at full
  b.AddColor(0, 0, 0, 0, {100, 0, 100});  // 100 x 100 / 255 = 39.2 -> 39
  b.AddColor(255, 128, 1, 0);             // no ink: the base as it stands
  b.AddColor(250, 0, 0, 0, {0, 0, 255});  // black 250 + 10 saturates
  return b;
}

TEST_F(ColorLibTest, MixesInksIntoTheBase) {
  const ColorLibBuilder b = MixingLibrary();
  Terrix_ColorLib lib;
  EXPECT_EQ(lib.GetColorNum(), 0);
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 6);
  EXPECT_EQ(lib.GetColorNum(), 6);

  EXPECT_CMYK(lib.GetCMYK(1), 0, 100, 0, 0);  // cyan 255
  EXPECT_RGB(lib.GetRGB(1), 0, 255, 255);
  EXPECT_RGB(lib.GetRGB(2), 255, 127, 255);  // magenta 128
  EXPECT_CMYK(lib.GetCMYK(2), 0, 0, 50, 0);
  EXPECT_RGB(lib.GetRGB(3), 245 * 255 / 255, 55 * 245 / 255,
             155 * 245 / 255);                  // black 10, magenta 200, yellow 100
  EXPECT_CMYK(lib.GetCMYK(4), 1, 15, 30, 15);   // (3, 39, 78, 39) in percent
  EXPECT_CMYK(lib.GetCMYK(5), 100, 50, 0, 0);   // (255, 128, 1, 0)
  EXPECT_CMYK(lib.GetCMYK(6), 100, 0, 78, 39);  // (255, 0, 200, 100)
  EXPECT_RGB(lib.GetRGB(6), 0, 0, 0);
}

TEST_F(ColorLibTest, TwoFullInksSaturate) {
  ColorLibBuilder b;
  b.InkCount(2).Ink(0, 0, 0, 200, 0).Ink(1, 0, 0, 200, 0).AddColor(0, 0, 0, 0, {255, 255});
  Terrix_ColorLib lib;
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 1);
  EXPECT_CMYK(lib.GetCMYK(1), 0, 0, 100, 0);
  EXPECT_RGB(lib.GetRGB(1), 255, 0, 255);
}

TEST_F(ColorLibTest, ColourRecordsHeldByTheHostMixTheSame) {
  const ColorLibBuilder b = MixingLibrary();
  Terrix_ColorLib lib;
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 6);
  const COLORLIB_HEAD head = HeadOf(b);
  for (std::size_t i = 0; i < 6; ++i) {
    const tagRGBTRIPLE fromLib = lib.GetRGB(static_cast<std::int32_t>(i + 1));
    const tagRGBTRIPLE fromRecord = TERRIXCLR2RGB(ColorOf(b, i), head);
    EXPECT_EQ(std::memcmp(&fromLib, &fromRecord, sizeof fromLib), 0) << "colour " << i + 1;
    const tagRGBTRIPLE fromLibHead = TERRIXCLR2RGB(ColorOf(b, i), lib.GetHead());
    EXPECT_EQ(std::memcmp(&fromLib, &fromLibHead, sizeof fromLib), 0);
  }
  // Cyan lands in red: a pure cyan base gives red 0.
  TERRIX_Color cyan{};
  cyan.base = Cmyk(0, 255, 0, 0);
  EXPECT_RGB(TERRIXCLR2RGB(cyan, COLORLIB_HEAD{}), 0, 255, 255);
}

TEST_F(ColorLibTest, InkCountsBeyondTheRoomAreClamped) {
  ColorLibBuilder b;
  b.InkCount(36);
  for (int j = 0; j < 36; ++j) b.Ink(j, 0, 0, 0, 10);
  b.Ink(27, 0, 0, 0, 0).Ink(28, 255, 255, 255, 255);  // ink 28 is beyond what a colour can name
  b.AddColor(0, 0, 0, 0, std::vector<std::uint8_t>(28, 255));
  b.AddColor(200, 200, 200, 200);  // right behind colour 1's last amount
  Terrix_ColorLib lib;
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 2);
  EXPECT_CMYK(lib.GetCMYK(1), 0, 0, 0, 100);  // 27 inks of yellow 10: 270 saturates; no black
  EXPECT_RGB(lib.GetRGB(1), 255, 255, 0);

  b.InkCount(32767);
  ASSERT_EQ(lib.LoadColors(Write("c2.lib", b.Build()).c_str()), 2);
  EXPECT_RGB(lib.GetRGB(1), 255, 255, 0);

  b.InkCount(-5);
  ASSERT_EQ(lib.LoadColors(Write("c3.lib", b.Build()).c_str()), 2);
  EXPECT_RGB(lib.GetRGB(1), 255, 255, 255);  // the base unchanged
  EXPECT_RGB(TERRIXCLR2RGB(ColorOf(b, 0), HeadOf(b)), 255, 255, 255);
}

TEST_F(ColorLibTest, NumbersOutsideTheLibrary) {
  Terrix_ColorLib lib;
  EXPECT_RGB(lib.GetRGB(1), 0, 0, 0);
  EXPECT_CMYK(lib.GetCMYK(1), 0, 0, 0, 0);
  ColorLibBuilder b;
  b.AddColor(0, 0, 0, 0).AddColor(0, 0, 0, 0);  // white
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 2);
  EXPECT_RGB(lib.GetRGB(2), 255, 255, 255);
  for (std::int32_t number : {0, 3, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_RGB(lib.GetRGB(number), 0, 0, 0);
    EXPECT_CMYK(lib.GetCMYK(number), 0, 0, 0, 0);
  }
}

TEST_F(ColorLibTest, RefusalsAndFailedReads) {
  const int files = tb::OpenFileCount();
  Terrix_ColorLib lib;
  ColorLibBuilder wrong = MixingLibrary();
  wrong.Magic("PCOLOR 2");
  EXPECT_EQ(lib.LoadColors(Write("w.lib", wrong.Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(lib.LoadColors(Write("e.lib", {}).c_str()), Result::BadMagic);
  EXPECT_EQ(lib.LoadColors(dir.WidePath("missing.lib").c_str()), Result::CannotOpen);

  const std::wstring path = Write("c.lib", MixingLibrary().Build());
  for (long n = 1; n <= 7; ++n) {  // the head, then one read per colour
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
  EXPECT_EQ(tb::OpenFileCount(), files);

  // A file cut inside the last colour loads it with zeros for the missing bytes.
  tb::Bytes cut = MixingLibrary().Build();
  cut.resize(ColorLibBuilder::kHeadSize + 5 * ColorLibBuilder::kColorSize + 2);  // black and cyan of colour 6
  ASSERT_EQ(lib.LoadColors(Write("cut.lib", cut).c_str()), 6);
  EXPECT_CMYK(lib.GetCMYK(6), 98, 0, 0, 0);  // 250 of black, no ink amounts
}

TEST_F(ColorLibTest, CopiesKeepTheirColours) {
  Terrix_ColorLib lib;
  ASSERT_EQ(lib.LoadColors(Write("c.lib", MixingLibrary().Build()).c_str()), 6);
  Terrix_ColorLib copy(lib);
  Terrix_ColorLib assigned;
  assigned = lib;
  ColorLibBuilder other;
  other.AddColor(255, 0, 0, 0);
  ASSERT_EQ(lib.LoadColors(Write("o.lib", other.Build()).c_str()), 1);
  EXPECT_RGB(lib.GetRGB(1), 0, 0, 0);
  EXPECT_EQ(copy.GetColorNum(), 6);
  EXPECT_RGB(copy.GetRGB(1), 0, 255, 255);
  EXPECT_RGB(assigned.GetRGB(2), 255, 127, 255);
}

}  // namespace
