// Unit scale factors, packed-angle and angle-convention conversions, and the GBK
// font and style names.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/Text.h"
#include "terrix/Functions.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(Units, EveryCodeAndTheDefault) {
  // clang-format off
  const double expected[17] = {0.001, 0.001, 1.0, 4.84813681109536e-06, 0.0174532925199433, 174.533, 0.3048,
                               0.0002908882086657216, 1.0, 0.015707963267948967, 1000.0, 0.1, 0.01, 0.0254,
                               0.9144, 1852.00001, 1609.34721869444};
  // clang-format on
  for (std::int32_t code = 0; code < 17; ++code)
    EXPECT_EQ(Terrix::QueryUnitScale(code), expected[code]) << code;
  // The angular factors are what they claim to be (a radian per second, degree, minute, grad).
  EXPECT_NEAR(Terrix::QueryUnitScale(3), kPi / 648000.0, 1e-20);
  EXPECT_NEAR(Terrix::QueryUnitScale(4), kPi / 180.0, 1e-16);
  EXPECT_NEAR(Terrix::QueryUnitScale(7), kPi / 10800.0, 1e-18);
  EXPECT_NEAR(Terrix::QueryUnitScale(9), kPi / 200.0, 1e-17);
  for (std::int32_t code :
       {17, -1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()})
    EXPECT_EQ(Terrix::QueryUnitScale(code), 1.0) << code;
}

TEST(Angles, PackedDegreesMinutesSeconds) {
  EXPECT_EQ(Terrix::DMS2Degree(1203000), 120.5);
  EXPECT_EQ(Terrix::DMS2Degree(-1203000), -120.5);
  EXPECT_EQ(Terrix::DMS2Degree(453030), (45.0 + 30.0 / 60.0) + 30.0 / 3600.0);
  EXPECT_NEAR(Terrix::DMS2Degree(453030), 45.508333333333333, 1e-12);
  EXPECT_EQ(Terrix::DMS2Degree(0.5), 0.5 / 3600.0);
  // Minutes and seconds of 60 or more are not rejected.
  EXPECT_EQ(Terrix::DMS2Degree(1207500), 121.25);
  EXPECT_EQ(Terrix::DMS2Degree(0), 0.0);
  // Fractional seconds are kept.
  EXPECT_EQ(Terrix::DMS2Degree(10101.5), (1.0 + 1.0 / 60.0) + 1.5 / 3600.0);
  // Beyond the 32-bit range the integer parts stay exact.
  EXPECT_EQ(Terrix::DMS2Degree(12345673030.0), (1234567.0 + 30.0 / 60.0) + 30.0 / 3600.0);
  EXPECT_EQ(Terrix::DMS2Degree(-12345673030.0), -((1234567.0 + 30.0 / 60.0) + 30.0 / 3600.0));
  EXPECT_TRUE(std::isnan(Terrix::DMS2Degree(kNaN)));
}

TEST(Angles, ArithmeticToGraphicAndGeographic) {
  const struct {
    double angle, graphic, geographic;
  } cases[] = {
      {45, 315, 45},     {90, 360, 0},    {91, 1, 359},           {180, 90, 270}, {270, 180, 180},
      {360, 270, 90},    {-90, 180, 180}, {405.5, 315.5, 44.5},   {0, 0, 0},      {720, 0, 0},
      {-360, 0, 0},      {-720, 0, 0},    {-405.5, 224.5, 135.5}, {361, 271, 89}, {-361, 269, 91},
      {1e-300, 270, 90},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Terrix::Arithmetic2Graphic(c.angle), c.graphic) << c.angle;
    EXPECT_EQ(Terrix::Arithmetic2Geographic(c.angle), c.geographic) << c.angle;
  }
}

TEST(Angles, BeyondTheIntegerRangeAndNotANumber) {
  // Whole turns far beyond 32 bits fall away exactly.
  const double far = 360.0 * 5e9 + 45.0;
  EXPECT_EQ(Terrix::Arithmetic2Graphic(far), 315.0);
  EXPECT_EQ(Terrix::Arithmetic2Geographic(far), 45.0);
  EXPECT_EQ(Terrix::Arithmetic2Graphic(-far), 225.0);
  EXPECT_EQ(Terrix::Arithmetic2Geographic(-far), 135.0);
  EXPECT_EQ(Terrix::Arithmetic2Graphic(3000000000.5), 30.5);
  EXPECT_EQ(Terrix::Arithmetic2Geographic(3000000000.5), 329.5);
  for (double odd : {kNaN, kInf, -kInf, 1e300, -1e300}) {
    EXPECT_EQ(Terrix::Arithmetic2Graphic(odd), 0.0) << odd;
    EXPECT_EQ(Terrix::Arithmetic2Geographic(odd), 0.0) << odd;
  }
}

namespace {

// Decodes a GBK result independently of the library's own tables.
std::wstring FromGbk(const char* bytes) {
  return Terrix::core::DecodeToWide(bytes, std::strlen(bytes), "GBK");
}

// Every code, then codes outside the table, into a heap buffer of exactly the
// documented size (so the sanitizer catches a byte written past it).
void ExpectNames(int (*get)(int, char*), std::size_t size, const std::vector<std::wstring>& names,
                 const std::wstring& fallback) {
  std::vector<int> codes = {static_cast<int>(names.size()), 99, -1, std::numeric_limits<int>::min(),
                            std::numeric_limits<int>::max()};
  for (int code = 0; code < static_cast<int>(names.size()); ++code) codes.push_back(code);
  for (int code : codes) {
    std::vector<char> out(size, 'x');
    EXPECT_EQ(get(code, out.data()), code);
    ASSERT_NE(std::memchr(out.data(), '\0', out.size()), nullptr) << code;
    const bool known = code >= 0 && code < static_cast<int>(names.size());
    EXPECT_EQ(FromGbk(out.data()), known ? names[static_cast<std::size_t>(code)] : fallback) << code;
  }
}

}  // namespace

TEST(Fonts, EveryFontAndStyleCode) {
  ExpectNames(Terrix::GetFontName, 7,
              {L"单线",   L"宋体",   L"仿宋",   L"黑体",   L"楷体",   L"隶书",   L"大黑",   L"行楷",
               L"魏碑",   L"姚体",   L"美黑",   L"隶变",   L"标宋",   L"细圆",   L"粗圆",   L"仿宋",
               L"繁单线", L"繁宋体", L"繁仿宋", L"繁黑体", L"繁楷体", L"繁隶变", L"繁大黑", L"繁行楷",
               L"繁魏碑", L"繁细圆", L"繁粗圆", L"繁美黑", L"繁综艺"},
              L"仿宋");
  ExpectNames(Terrix::GetFontStyle, 9,
              {L"正体", L"左斜体", L"右斜体", L"右耸肩", L"左耸肩", L"正体阴影", L"左斜阴影", L"右斜阴影",
               L"右耸阴影", L"左耸阴影"},
              L"正体");
  // Only the name and its terminating zero are written.
  char wide[16];
  std::memset(wide, 'x', sizeof wide);
  Terrix::GetFontName(1, wide);
  EXPECT_EQ(wide[4], '\0');
  EXPECT_EQ(wide[5], 'x');
}
