// The code-page conversions, unit scales, angle conversions and GBK font and style names.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <tuple>

#include "TerrixLib.h"
#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "core/Text.h"

using namespace Terrix;
using core::File;
using core::OpenMode;

namespace {

// GBK is the default code page of every thread; paths go to the system in UTF-8.
TEST(CodePage, GbkRoundTripsReplacementsAndUtf8) {
  const char gbk[] = "\xD7\xD6\xB6\xCE\xC3\xFB";  // 字段名
  EXPECT_EQ(core::CodePageToWide(gbk, 6), L"字段名");
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"字段名")), std::string(gbk));
  // A lone lead byte does not decode; a character GBK lacks does not encode.
  EXPECT_EQ(core::CodePageToWide("a\xD7", 2), std::wstring(L"a\uFFFD"));
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"x\u0E01y")), "x?y");
  EXPECT_EQ(core::CodePageToWide(nullptr, 3) + core::CodePageToWide("a", 1), L"a");
  ASSERT_EQ(SetThreadCodePage(65001), Result::Success);
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"é")), "\xC3\xA9");
  EXPECT_EQ(SetThreadCodePage(123456789), Result::NotHandled);
  EXPECT_EQ(GetThreadCodePage(), 65001u) << "a refused code page leaves the previous one";
  ASSERT_EQ(SetThreadCodePage(DefaultCodePage), Result::Success);
  EXPECT_EQ(core::CodePageToWide(gbk, 6), L"字段名");
  // One to four bytes; the last code point is kept, surrogates and beyond are replaced.
  const wchar_t text[] = {L'a', L'é', L'一', 0x1F600, 0x10FFFF, 0xD800, 0x110000, 0};
  EXPECT_EQ(core::WideToUtf8(text),
            "a\xC3\xA9\xE4\xB8\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBD\xEF\xBF\xBD");
  tb::TempDir dir;
  tb::WriteFile(dir.Path("\xC3\xA9t\xC3\xA9"), tb::Bytes{1});
  File f;
  ASSERT_TRUE(f.Open((tb::Widen(dir.Path("")) + L"été").c_str(), OpenMode::Read));
  // A buffered read that meets the end transfers what is there, and nothing after it.
  std::uint8_t out[4] = {7, 7, 7, 7};
  std::size_t got[2] = {9, 9};
  ASSERT_TRUE(f.Read(out, 4, got[0]) && f.Read(out + 1, 2, got[1]));
  EXPECT_EQ((std::vector<std::size_t>{got[0], got[1], out[0], out[1]}),
            (std::vector<std::size_t>{1, 0, 1, 7}));
  File moved = std::move(f);
  EXPECT_TRUE(moved.IsOpen() && !f.IsOpen()) << "a moved-from file holds no descriptor";
}

TEST(Units, ScalesAnglesAndPackedDegrees) {
  // clang-format off
  const double scales[] = {0.001, 0.001, 1.0, 4.84813681109536e-06, 0.0174532925199433, 174.533, 0.3048,
                           0.0002908882086657216, 1.0, 0.015707963267948967, 1000.0, 0.1, 0.01, 0.0254, 0.9144,
                           1852.00001, 1609.34721869444, 1.0, 1.0, 1.0};
  const std::int32_t codes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, -1, INT32_MIN};
  // Packed DDDMMSS.ss, truncated toward zero, 60 minutes or more kept, exact beyond 32 bits.
  const double dms[][2] = {{1203000, 120.5}, {-1203000, -120.5}, {453030, 45.5 + 30.0 / 3600.0}, {1207500, 121.25},
                           {0, 0}, {10101.5, (1.0 + 1.0 / 60.0) + 1.5 / 3600.0}, {12345673030.0, 1234567.5 + 30.0 / 3600.0},
                           {-12345673030.0, -(1234567.5 + 30.0 / 3600.0)}};
  // Arithmetic angles to graphic and geographic ones; whole turns fall away exactly.
  const double far = 360.0 * 5e9 + 45.0;
  const double angles[][3] = {
      {45, 315, 45}, {90, 360, 0}, {91, 1, 359}, {180, 90, 270}, {270, 180, 180}, {360, 270, 90}, {-90, 180, 180},
      {405.5, 315.5, 44.5}, {0, 0, 0}, {720, 0, 0}, {-360, 0, 0}, {-720, 0, 0}, {-405.5, 224.5, 135.5},
      {361, 271, 89}, {-361, 269, 91}, {1e-300, 270, 90}, {far, 315, 45}, {-far, 225, 135},
      {3000000000.5, 30.5, 329.5}, {NAN, 0, 0}, {INFINITY, 0, 0}, {-INFINITY, 0, 0}, {1e300, 0, 0}};
  // clang-format on
  for (int i = 0; i < 20; ++i) EXPECT_EQ(QueryUnitScale(codes[i]), scales[i]) << codes[i];
  for (const auto& c : dms) EXPECT_EQ(DMS2Degree(c[0]), c[1]) << c[0];
  EXPECT_TRUE(std::isnan(DMS2Degree(NAN)));
  for (const auto& c : angles) {
    EXPECT_EQ(Arithmetic2Graphic(c[0]), c[1]) << c[0];
    EXPECT_EQ(Arithmetic2Geographic(c[0]), c[2]) << c[0];
  }
}

// Names into a buffer of the documented size, nothing behind their zero; others: the default.
TEST(Fonts, GbkNamesOfFontAndStyleCodes) {
  const std::tuple<int (*)(int, char*), std::size_t, int, const wchar_t*> cases[] = {
      // clang-format off
      {GetFontName, 7, 0, L"单线"}, {GetFontName, 7, 1, L"宋体"}, {GetFontName, 7, 16, L"繁单线"},
      {GetFontName, 7, 28, L"繁综艺"}, {GetFontName, 7, 29, L"仿宋"}, {GetFontName, 7, -1, L"仿宋"},
      {GetFontName, 7, INT_MAX, L"仿宋"}, {GetFontStyle, 9, 0, L"正体"}, {GetFontStyle, 9, 4, L"左耸肩"},
      {GetFontStyle, 9, 9, L"左耸阴影"}, {GetFontStyle, 9, 10, L"正体"}, {GetFontStyle, 9, INT_MIN, L"正体"}};
  // clang-format on
  for (const auto& [get, size, code, name] : cases) {
    std::vector<char> out(size, 'x');
    EXPECT_EQ(get(code, out.data()), code);
    ASSERT_NE(std::memchr(out.data(), '\0', out.size()), nullptr) << code;
    const std::size_t length = std::strlen(out.data());
    EXPECT_EQ(core::DecodeToWide(out.data(), length, "GBK"), name) << code;
    EXPECT_TRUE(length + 1 == size || out[length + 1] == 'x') << code;
  }
  EXPECT_EQ(GetFontName(3, nullptr) + GetFontStyle(3, nullptr), 6);
}

}  // namespace
