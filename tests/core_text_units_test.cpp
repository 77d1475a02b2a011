// The file layer (modes, short reads, the read-through buffer, the test seam), the
// code-page conversions, unit scales, angle conversions and GBK font and style names.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "core/Text.h"
#include "terrix/CodePage.h"
#include "terrix/Functions.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using core::File;
using core::OpenMode;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(File, OpenModesShortReadsAndTheSeam) {
  tb::TempDir dir;
  File f;
  EXPECT_FALSE(f.Open(dir.WidePath("missing").c_str(), OpenMode::Read) ||
               f.Open(dir.WidePath("missing").c_str(), OpenMode::Update) || f.Open(nullptr, OpenMode::Read));
  EXPECT_FALSE(f.Open(tb::Widen(dir.Path("")).c_str(), OpenMode::Read)) << "a directory is no file";
  EXPECT_FALSE(f.IsOpen());
  tb::WriteFile(dir.Path("a"), tb::Bytes(100, 0xAB));
  ASSERT_TRUE(f.Open(dir.WidePath("a").c_str(), OpenMode::Create));  // empties it
  EXPECT_EQ(f.Size(), 0u);
  std::uint8_t out[8];
  EXPECT_FALSE(f.Read(out, 1)) << "created files are write-only";
  f.Seek(10);
  ASSERT_TRUE(f.Write("xy", 2));
  File moved = std::move(f);
  EXPECT_FALSE(f.IsOpen()) << "a moved-from file holds no descriptor";
  moved.Close();
  EXPECT_EQ(tb::ReadFile(dir.Path("a")), (tb::Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'x', 'y'}));

  for (OpenMode mode : {OpenMode::Update, OpenMode::Read}) {
    ASSERT_TRUE(f.Open(dir.WidePath("a").c_str(), mode));
    EXPECT_EQ(f.Write("Q", 1), mode == OpenMode::Update) << "read-only files refuse writes";
    // A read that meets the end transfers what is there; the rest of `out` stays.
    std::memset(out, 0xEE, sizeof out);
    f.Seek(9);
    std::size_t got = 99;
    ASSERT_TRUE(f.Read(out, sizeof out, got));
    EXPECT_EQ(tb::Bytes(out, out + 4), (tb::Bytes{0, 'x', 'y', 0xEE}));
    EXPECT_EQ(got, 3u);
    f.Seek(1u << 31);
    ASSERT_TRUE(f.Read(out, 4, got));
    EXPECT_EQ(got, 0u);
  }
  EXPECT_EQ(tb::ReadFile(dir.Path("a"))[0], 'Q');

  // The seam counts reads and writes and fails the n-th one.
  ASSERT_TRUE(f.Open(dir.WidePath("a").c_str(), OpenMode::Update));
  core::FileSeam::Reset();
  core::FileSeam::FailReadAt(2);
  core::FileSeam::FailWriteAt(1);
  EXPECT_EQ(
      (std::vector<bool>{f.Read(out, 4), f.Read(out, 4), f.Read(out, 4), f.Write(out, 4), f.Write(out, 4)}),
      (std::vector<bool>{true, false, true, false, true}));
  EXPECT_EQ((std::vector<long>{core::FileSeam::ReadCount(), core::FileSeam::WriteCount()}),
            (std::vector<long>{3, 2}));
  core::FileSeam::Reset();
  EXPECT_EQ(core::FileSeam::ReadCount(), 0);
}

// Positioned reads through the read-through buffer give the bytes the file
// holds: random small reads, reads across block edges and large reads, mixed
// with sequential runs in three distant parts of the file read in turn (a
// polygon's arc list behind all coordinates, then its points), which keep
// their own blocks, also after the file has been moved.
TEST(File, BufferedReadsMatchTheFile) {
  tb::TempDir dir;
  tb::Bytes content(400000);
  for (std::size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<std::uint8_t>((i * 131u + 7u) >> 3);
  tb::WriteFile(dir.Path("big"), content);
  File f;
  ASSERT_TRUE(f.Open(dir.WidePath("big").c_str(), OpenMode::Read));
  std::mt19937 rng(7);
  std::size_t runs[3] = {10, 200003, 399000};  // the last run meets the end
  std::vector<std::uint8_t> out;
  for (int i = 0; i < 3000; ++i) {
    const bool random = i % 2 == 0;
    std::size_t& run = runs[(i / 2) % 3];
    const std::size_t pos = random ? rng() % (content.size() + 100) : run;
    const std::size_t len = !random ? 37 : (i % 50 == 0) ? 70000 + rng() % 10000 : rng() % 300;
    if (!random) run += len;
    if (i % 7 == 0) {
      File moved = std::move(f);  // the blocks travel with the file
      f = std::move(moved);
    }
    out.assign(len, 0x5A);
    f.Seek(pos);
    std::size_t got = 0;
    ASSERT_TRUE(f.Read(out.data(), len, got));
    const std::size_t expect = pos >= content.size() ? 0 : std::min(len, content.size() - pos);
    ASSERT_EQ(got, expect) << pos << "+" << len;
    ASSERT_EQ(std::memcmp(out.data(), content.data() + std::min(pos, content.size()), got), 0) << pos;
    EXPECT_TRUE(got == len || out[got] == 0x5A) << "bytes beyond the end are left as they were";
    EXPECT_EQ(f.Position(), pos + got);
  }
}

// GBK is the default code page of every thread; UTF-8 for paths.
TEST(CodePage, GbkRoundTripsReplacementsAndUtf8Paths) {
  EXPECT_EQ(GetThreadCodePage(), DefaultCodePage);
  const char gbk[] = "\xD7\xD6\xB6\xCE\xC3\xFB";  // 字段名
  EXPECT_EQ(core::CodePageToWide(gbk, 6), L"字段名");
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"字段名")), std::string(gbk));
  // A lone lead byte does not decode; a character GBK lacks does not encode.
  EXPECT_EQ(core::CodePageToWide("a\xD7", 2), std::wstring(L"a\uFFFD"));
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"x\u0E01y")), "x?y");
  EXPECT_EQ(core::CodePageToWide(nullptr, 3), L"");
  ASSERT_EQ(SetThreadCodePage(65001), Result::Success);
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"é")), "\xC3\xA9");
  EXPECT_EQ(SetThreadCodePage(123456789), Result::NotHandled);
  EXPECT_EQ(GetThreadCodePage(), 65001u) << "a refused code page leaves the previous one";
  ASSERT_EQ(SetThreadCodePage(DefaultCodePage), Result::Success);
  EXPECT_EQ(core::CodePageToWide(gbk, 6), L"字段名");

  // One to four bytes; the last code point is kept, surrogates and beyond are replaced.
  EXPECT_EQ(core::WideToUtf8(L"a/é/字/\U0001F600/\U0010FFFF"),
            "a/\xC3\xA9/\xE5\xAD\x97/\xF0\x9F\x98\x80/\xF4\x8F\xBF\xBF");
  const wchar_t odd[] = {0xD800, 0x110000, 0};
  EXPECT_EQ(core::WideToUtf8(odd), "\xEF\xBF\xBD\xEF\xBF\xBD");
  tb::TempDir dir;
  tb::WriteFile(dir.Path("\xC3\xA9t\xC3\xA9"), tb::Bytes{1});
  File f;
  EXPECT_TRUE(f.Open((tb::Widen(dir.Path("")) + L"été").c_str(), OpenMode::Read));
}

TEST(Units, EveryCodeAndTheDefault) {
  const double expected[17] = {0.001,
                               0.001,
                               1.0,
                               4.84813681109536e-06,
                               0.0174532925199433,
                               174.533,
                               0.3048,
                               0.0002908882086657216,
                               1.0,
                               0.015707963267948967,
                               1000.0,
                               0.1,
                               0.01,
                               0.0254,
                               0.9144,
                               1852.00001,
                               1609.34721869444};
  for (std::int32_t code = 0; code < 17; ++code) EXPECT_EQ(QueryUnitScale(code), expected[code]) << code;
  for (std::int32_t code : {17, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(QueryUnitScale(code), 1.0) << code;
}

TEST(Angles, PackedDegreesMinutesSeconds) {
  const std::pair<double, double> cases[] = {
      {1203000, 120.5},
      {-1203000, -120.5},
      {453030, (45.0 + 30.0 / 60.0) + 30.0 / 3600.0},
      {0.5, 0.5 / 3600.0},
      {1207500, 121.25},  // minutes and seconds of 60 or more are not rejected
      {0, 0.0},
      {10101.5, (1.0 + 1.0 / 60.0) + 1.5 / 3600.0},
      // Beyond the 32-bit range the integer parts stay exact.
      {12345673030.0, (1234567.0 + 30.0 / 60.0) + 30.0 / 3600.0},
      {-12345673030.0, -((1234567.0 + 30.0 / 60.0) + 30.0 / 3600.0)}};
  for (const auto& [packed, degrees] : cases) EXPECT_EQ(DMS2Degree(packed), degrees) << packed;
  EXPECT_TRUE(std::isnan(DMS2Degree(kNaN)));
}

TEST(Angles, ArithmeticToGraphicAndGeographic) {
  const double far = 360.0 * 5e9 + 45.0;  // whole turns far beyond 32 bits fall away exactly
  const struct {
    double angle, graphic, geographic;
  } cases[] = {
      {45, 315, 45},
      {90, 360, 0},
      {91, 1, 359},
      {180, 90, 270},
      {270, 180, 180},
      {360, 270, 90},
      {-90, 180, 180},
      {405.5, 315.5, 44.5},
      {0, 0, 0},
      {720, 0, 0},
      {-360, 0, 0},
      {-720, 0, 0},
      {-405.5, 224.5, 135.5},
      {361, 271, 89},
      {-361, 269, 91},
      {1e-300, 270, 90},
      {far, 315, 45},
      {-far, 225, 135},
      {3000000000.5, 30.5, 329.5},
      {kNaN, 0, 0},
      {kInf, 0, 0},
      {-kInf, 0, 0},
      {1e300, 0, 0},
      {-1e300, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Arithmetic2Graphic(c.angle), c.graphic) << c.angle;
    EXPECT_EQ(Arithmetic2Geographic(c.angle), c.geographic) << c.angle;
  }
}

// Every code, then codes outside the table, into a heap buffer of exactly the
// documented size (so the sanitizer catches a byte written past it); decoded
// independently of the library's own tables.
void ExpectNames(int (*get)(int, char*), std::size_t size, const std::vector<std::wstring>& names,
                 const std::wstring& fallback) {
  std::vector<int> codes = {static_cast<int>(names.size()), 99, -1, INT_MIN, INT_MAX};
  for (int code = 0; code < static_cast<int>(names.size()); ++code) codes.push_back(code);
  for (int code : codes) {
    std::vector<char> out(size, 'x');
    EXPECT_EQ(get(code, out.data()), code);
    ASSERT_NE(std::memchr(out.data(), '\0', out.size()), nullptr) << code;
    const std::size_t written = std::strlen(out.data()) + 1;  // the name and its zero, nothing more
    EXPECT_TRUE(written == size || out[written] == 'x') << code;
    const bool known = code >= 0 && code < static_cast<int>(names.size());
    EXPECT_EQ(core::DecodeToWide(out.data(), std::strlen(out.data()), "GBK"),
              known ? names[static_cast<std::size_t>(code)] : fallback)
        << code;
  }
  EXPECT_EQ(get(0, nullptr), 0);
}

TEST(Fonts, EveryFontAndStyleCode) {
  ExpectNames(GetFontName, 7,
              {L"单线",   L"宋体",   L"仿宋",   L"黑体",   L"楷体",   L"隶书",   L"大黑",   L"行楷",
               L"魏碑",   L"姚体",   L"美黑",   L"隶变",   L"标宋",   L"细圆",   L"粗圆",   L"仿宋",
               L"繁单线", L"繁宋体", L"繁仿宋", L"繁黑体", L"繁楷体", L"繁隶变", L"繁大黑", L"繁行楷",
               L"繁魏碑", L"繁细圆", L"繁粗圆", L"繁美黑", L"繁综艺"},
              L"仿宋");
  ExpectNames(GetFontStyle, 9,
              {L"正体", L"左斜体", L"右斜体", L"右耸肩", L"左耸肩", L"正体阴影", L"左斜阴影", L"右斜阴影",
               L"右耸阴影", L"左耸阴影"},
              L"正体");
}

}  // namespace
