// Colour conversions and libraries, legends, symbol library heads and map project
// files, read from files built byte by byte (builder/StyleFileBuilder.h).
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "builder/StyleFileBuilder.h"
#include "core/File.h"
#include "support/FileTest.h"
#include "terrix/ColorLib.h"
#include "terrix/Functions.h"
#include "terrix/Legend.h"
#include "terrix/Prj.h"
#include "terrix/ResultCodes.h"
#include "terrix/Symbol.h"

using namespace Terrix;
using tb::Bytes;

namespace {

CMYKQUAD Cmyk(int k, int c, int m, int y) {
  return CMYKQUAD{std::uint8_t(k), std::uint8_t(c), std::uint8_t(m), std::uint8_t(y)};
}
std::vector<int> Of(const tagRGBTRIPLE& t) {
  return {t.rgbtRed, t.rgbtGreen, t.rgbtBlue};
}
std::vector<int> Of(const CMYKQUAD& q) {
  return {q.cmykBlack, q.cmykCyan, q.cmykMagenta, q.cmykYellow};
}
template <typename Record>
Bytes BytesOf(const Record& r) {
  return Bytes(reinterpret_cast<const std::uint8_t*>(&r), reinterpret_cast<const std::uint8_t*>(&r + 1));
}
template <typename Record>
Record Filled(std::uint8_t value) {
  Record r;
  std::memset(&r, value, sizeof r);
  return r;
}

class Styling : public support::FileTest {};

TEST(ColorConversion, CmykAndRgbOverEveryInkAndBlack) {
  // (255 - ink) x ((255 - black) x 255) / 65025, truncated; cyan to red, magenta to green.
  const auto channel = [](int ink, int k) { return int((255 - ink) * ((255.0 - k) * 255.0) / 65025.0); };
  for (int k = 0; k < 256; ++k) {
    for (int c = 0; c < 256; ++c) {
      const tagRGBTRIPLE rgb = CMYK2RGB(Cmyk(k, c, 255 - c, c / 2));
      ASSERT_EQ(Of(rgb), (std::vector<int>{channel(c, k), channel(255 - c, k), channel(c / 2, k)})) << k;
      const tagRGBQUAD q = CMYK2RGBA(Cmyk(k, c, 255 - c, c / 2));
      ASSERT_EQ((std::vector<int>{q.rgbRed, q.rgbGreen, q.rgbBlue, q.rgbReserved}),
                (std::vector<int>{rgb.rgbtRed, rgb.rgbtGreen, rgb.rgbtBlue, 255}));
    }
  }
  // No black is generated; the reserved byte is ignored.
  EXPECT_EQ(Of(RGB2CMYK(tagRGBTRIPLE{50, 100, 200})), (std::vector<int>{0, 55, 155, 205}));
  EXPECT_EQ(Of(RGBA2CMYK(tagRGBQUAD{50, 100, 200, 77})), (std::vector<int>{0, 55, 155, 205}));
}

tb::ColorLibBuilder MixingLibrary() {
  tb::ColorLibBuilder b;
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

TEST_F(Styling, ColorLibraryMixesInksIntoTheBase) {
  const tb::ColorLibBuilder b = MixingLibrary();
  Terrix_ColorLib lib;
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 7);
  EXPECT_EQ(lib.GetColorNum(), 7);
  // GetCMYK in percent of the mixed values, GetRGB converted from them.
  const std::vector<int> expected[][2] = {
      {{0, 100, 0, 0}, {0, 255, 255}},    {{0, 0, 50, 0}, {255, 127, 255}}, {{3, 0, 78, 39}, {245, 52, 148}},
      {{1, 15, 30, 15}, {213, 174, 213}}, {{100, 50, 0, 0}, {0, 0, 0}},     {{100, 0, 78, 39}, {0, 0, 0}},
      {{0, 0, 100, 0}, {255, 0, 255}},
  };
  for (std::int32_t n = 1; n <= 7; ++n) {
    EXPECT_EQ(Of(lib.GetCMYK(n)), expected[n - 1][0]) << "colour " << n;
    EXPECT_EQ(Of(lib.GetRGB(n)), expected[n - 1][1]) << "colour " << n;
    // A host's own colour record under the head mixes the same.
    COLORLIB_HEAD head = lib.GetHead();
    TERRIX_Color color;
    std::memcpy(&color, b.Color(std::size_t(n - 1)).data(), sizeof color);
    EXPECT_EQ(Of(TERRIXCLR2RGB(color, head)), expected[n - 1][1]) << "colour " << n;
  }
  for (std::int32_t number : {0, 8, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(Of(lib.GetRGB(number)), (std::vector<int>{0, 0, 0})) << number;
    EXPECT_EQ(Of(lib.GetCMYK(number)), (std::vector<int>{0, 0, 0, 0})) << number;
  }
}

TEST_F(Styling, ColorLibraryInkCountsCountsAndShortFiles) {
  // 36 inks in the head, but a colour holds 28 amounts: ink 28 is never mixed.
  tb::ColorLibBuilder b;
  for (int j = 0; j < 36; ++j) b.Ink(j, 0, 0, 0, 10);
  b.Ink(27, 0, 0, 0, 0).Ink(28, 255, 255, 255, 255);
  b.AddColor(0, 0, 0, 0, std::vector<std::uint8_t>(28, 255)).AddColor(200, 200, 200, 200);
  Terrix_ColorLib lib;
  const std::pair<std::int16_t, std::vector<int>> inks[] = {
      {36, {255, 255, 0}}, {32767, {255, 255, 0}}, {-5, {255, 255, 255}}};
  for (const auto& [count, rgb] : inks) {
    ASSERT_EQ(lib.LoadColors(Write("c.lib", b.InkCount(count).Build()).c_str()), 2);
    EXPECT_EQ(Of(lib.GetRGB(1)), rgb) << count;  // 27 inks of yellow 10 saturate
  }

  EXPECT_EQ(lib.LoadColors(Write("w.lib", MixingLibrary().Magic("PCOLOR 2").Build()).c_str()),
            Result::BadMagic);
  EXPECT_EQ(lib.LoadColors(dir.WidePath("missing.lib").c_str()), Result::CannotOpen);
  // Colours beyond the end of the file read as zeros (white); a negative count loads nothing.
  EXPECT_EQ(lib.LoadColors(Write("big.lib", MixingLibrary().ColorCountField(32000).Build()).c_str()), 32000);
  EXPECT_EQ(Of(lib.GetRGB(32000)), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(Of(lib.GetRGB(32001)), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(lib.LoadColors(Write("neg.lib", MixingLibrary().ColorCountField(-3).Build()).c_str()), -3);
  EXPECT_EQ(Of(lib.GetRGB(1)), (std::vector<int>{0, 0, 0}));
  // A file cut inside colour 6 loads it with zeros for the missing bytes.
  Bytes cut = MixingLibrary().Build();
  cut.resize(tb::ColorLibBuilder::kHeadSize + 5 * tb::ColorLibBuilder::kColorSize + 2);
  ASSERT_EQ(lib.LoadColors(Write("cut.lib", cut).c_str()), 7);
  EXPECT_EQ(Of(lib.GetCMYK(6)), (std::vector<int>{98, 0, 0, 0}));
}

/// Three items: a point style at 0, a line style at 94, a region style at 161.
tb::LegendBuilder ThreeItems() {
  tb::LegendBuilder b;
  b.AddItem(1, 0, 0x11).AddItem(0, 94, 0x22).AddItem(2, 161, 0x33);
  return b.Style(tb::Pattern(94, 1)).Style(tb::Pattern(67, 101)).Style(tb::Pattern(63, 201));
}

TEST_F(Styling, LegendItemsAndTheirStyleRecords) {
  tb::LegendBuilder b = ThreeItems();
  b.AddItem(5, 0, 0x44).AddItem(-3, 0, 0x55).AddItem(0, -16 - 333 * 7, 0x66).AddItem(0, -17 - 333 * 7, 0);
  const Bytes file = b.Build();
  Terrix_Legend legend;
  EXPECT_EQ(legend.GetLegendNum(), 0);
  ASSERT_EQ(legend.Open(Write("l.lgd", file).c_str()), 7);
  EXPECT_EQ(legend.GetLegendNum(), 7);

  // Item 1 is a line: 67 bytes at 16 + 333 x 7 + 94; the point record is not its kind.
  TERRIX_LegendItem item = Filled<TERRIX_LegendItem>(0xFF);
  LIN_INFOstruct line = Filled<LIN_INFOstruct>(0xFF);
  PNT_INFOstruct point = Filled<PNT_INFOstruct>(0xEE);
  REG_INFOstruct region = Filled<REG_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(1, &item, &point, &line, nullptr), 0);
  EXPECT_EQ(BytesOf(item), b.Item(1));
  EXPECT_EQ(BytesOf(line), Bytes(file.begin() + 16 + 333 * 7 + 94, file.begin() + 16 + 333 * 7 + 94 + 67));
  EXPECT_EQ(BytesOf(line), tb::Pattern(67, 101));
  EXPECT_EQ(BytesOf(point), Bytes(94, 0xEE));
  EXPECT_EQ(legend.GetLegendInfo(0, nullptr, &point, nullptr, nullptr), 1);
  EXPECT_EQ(BytesOf(point), tb::Pattern(94, 1));
  EXPECT_EQ(legend.GetLegendInfo(2, &item, nullptr, nullptr, &region), 2);
  EXPECT_EQ(BytesOf(region), tb::Pattern(63, 201));
  // Without the destination of the item's kind: the item is copied, then an error.
  EXPECT_EQ(legend.GetLegendInfo(0, &item, nullptr, &line, &region), Result::IoError);
  EXPECT_EQ(BytesOf(item), b.Item(0));
  // Kinds without a style record read nothing and come back sign-extended.
  EXPECT_EQ(legend.GetLegendInfo(3, &item, &point, &line, &region), 5);
  EXPECT_EQ(BytesOf(item), b.Item(3));
  EXPECT_EQ(legend.GetLegendInfo(4, nullptr, &point, &line, &region), -3);
  EXPECT_EQ(BytesOf(point), tb::Pattern(94, 1));
  // A style offset that reaches back to the first byte of the file reads it; one before it does not.
  EXPECT_EQ(legend.GetLegendInfo(5, nullptr, nullptr, &line, nullptr), 0);
  EXPECT_EQ(BytesOf(line), Bytes(file.begin(), file.begin() + 67));
  EXPECT_EQ(legend.GetLegendInfo(6, nullptr, nullptr, &line, nullptr), Result::IoError);
  for (int index : {-1, 7, 1 << 30}) {
    EXPECT_EQ(legend.GetLegendInfo(index, &item, &point, &line, &region), Result::IoError);
    EXPECT_EQ(BytesOf(item), b.Item(3));
  }
  legend.Close();
  EXPECT_EQ(legend.GetLegendNum(), 0);
  EXPECT_EQ(legend.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), Result::IoError);
}

TEST_F(Styling, LegendRefusalsCountsAndRecordsBeyondTheEnd) {
  const int files = tb::OpenFileCount();
  Terrix_Legend legend;
  EXPECT_EQ(legend.Open(Write("p.lgd", ThreeItems().Magic("WMAP`D2:").Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(tb::OpenFileCount(), files);  // closed on refusal
  EXPECT_EQ(legend.GetLegendNum(), 0);
  EXPECT_EQ(legend.Open(dir.WidePath("missing.lgd").c_str()), Result::CannotOpen);
  // A count of 0 or less loads nothing and is returned as it stands.
  for (std::int32_t count : {0, -4}) {
    EXPECT_EQ(legend.Open(Write("n.lgd", ThreeItems().CountField(count).Build()).c_str()), count);
    EXPECT_EQ(legend.GetLegendInfo(0, nullptr, nullptr, nullptr, nullptr), Result::IoError);
  }
  // Items beyond the end of the file read as zeros: line items whose style lies beyond it too.
  ASSERT_EQ(legend.Open(Write("h.lgd", ThreeItems().CountField(1000000000).Build()).c_str()), 1000000000);
  TERRIX_LegendItem item = Filled<TERRIX_LegendItem>(0xEE);
  LIN_INFOstruct line = Filled<LIN_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(999999999, &item, nullptr, &line, nullptr), 0);
  EXPECT_EQ(BytesOf(item), Bytes(333, 0));
  EXPECT_EQ(BytesOf(line), Bytes(67, 0));
  // A style cut short by the end of the file: what is there, then zeros.
  tb::LegendBuilder cut;
  cut.AddItem(2, 60, 0).Style(tb::Pattern(100, 9));
  ASSERT_EQ(legend.Open(Write("c.lgd", cut.Build()).c_str()), 1);
  REG_INFOstruct region = Filled<REG_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(0, nullptr, nullptr, nullptr, &region), 2);
  Bytes expected = tb::Pattern(40, 9 + 60);
  expected.resize(63, 0);
  EXPECT_EQ(BytesOf(region), expected);
  legend.Close();
  EXPECT_EQ(tb::OpenFileCount(), files);
}

TEST_F(Styling, SymbolHeadIsTheFirst26BytesOrZeros) {
  Terrix_Symbol symbol;
  ASSERT_EQ(symbol.Open(Write("s.lib", tb::Pattern(40, 3)).c_str()), 0);
  symbol.Close();
  EXPECT_EQ(BytesOf(symbol.head), tb::Pattern(26, 3));  // the head stays after Close
  ASSERT_EQ(symbol.Open(Write("short.lib", tb::Pattern(10, 100)).c_str()), 0);
  Bytes expected = tb::Pattern(10, 100);
  expected.resize(26, 0);
  EXPECT_EQ(BytesOf(symbol.head), expected);
  EXPECT_EQ(symbol.Open(dir.WidePath("missing.lib").c_str()), Result::CannotOpen);
}

// GBK bytes of 道路 and 层.
const std::string kRoadGbk = "\xb5\xc0\xc2\xb7", kLayerGbk = "\xb2\xe3";
constexpr std::size_t kItemTable = tb::ProjectFileBuilder::kItemTable,
                      kItemSize = tb::ProjectFileBuilder::kItemSize;

tb::ProjectFileBuilder Project() {
  tb::ProjectFileBuilder b;
  b.Extent(1.5, -2.5, 100.25, 200.75).Projection(3, 2.5).Description("  Town plan 2024");
  b.AddItem(1, kRoadGbk + " " + kLayerGbk, "points of interest", 10.0, 20.0);
  return b.AddItem(0, "rivers", "", -1.0, 0.5).AddItem(2, "   ", "   lakes and   ponds", 7.0, 8.0);
}

TEST_F(Styling, ProjectHeadItemsAndTheirFirstTokens) {
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("p.mpj", Project().Build()).c_str()), 3);
  double e[4] = {-7, -7, -7, -7};
  prj.GetExtentInfo(&e[0], nullptr, &e[2], &e[3]);
  prj.GetExtentInfo(nullptr, &e[1], nullptr, nullptr);
  EXPECT_EQ((std::vector<double>(e, e + 4)), (std::vector<double>{1.5, -2.5, 100.25, 200.75}));
  wchar_t text[260];
  EXPECT_EQ(prj.GetMpjDesc(text), 0);
  EXPECT_STREQ(text, L"Town");
  EXPECT_EQ(prj.GetMpjDesc(nullptr), 0);
  // Item name and description: the first token, or the replacement text.
  const struct {
    int kind;
    const wchar_t *name, *description;
    double value1, value2;
  } items[] = {{1, L"道路", L"points", 10.0, 20.0},
               {3, L"rivers", L"NULL", -1.0, 0.5},
               {5, L"字段名错误", L"lakes", 7.0, 8.0}};
  for (int i = 0; i < 3; ++i) {
    double v1 = 0, v2 = 0;
    EXPECT_EQ(prj.GetItemInfo(i, text, &v1, &v2), items[i].kind);
    EXPECT_STREQ(text, items[i].name);
    EXPECT_EQ((std::vector<double>{v1, v2}), (std::vector<double>{items[i].value1, items[i].value2}));
    EXPECT_EQ(prj.GetItemDesc(i, text), 0);
    EXPECT_STREQ(text, items[i].description);
  }
  std::wcscpy(text, L"keep");
  for (int index : {-1, 3, 1 << 30}) {
    EXPECT_EQ(prj.GetItemInfo(index, text, e, e), Result::IoError);
    EXPECT_EQ(prj.GetItemDesc(index, text), Result::IoError);
    EXPECT_EQ(prj.SetItemInfo(index, L"x", 1, 1, 1), Result::IoError);
  }
  EXPECT_STREQ(text, L"keep");
  EXPECT_EQ(e[0], 1.5);

  // Fields without a terminating zero give their whole width, cut to the caller's buffer.
  tb::ProjectFileBuilder wide;
  wide.Description(std::string(128, 'm')).AddItem(7, std::string(128, 'n'), std::string(194, 'd'), 0, 0);
  ASSERT_EQ(prj.LoadProject(Write("long.mpj", wide.Build()).c_str()), 1);
  std::wmemset(text, L'#', 260);
  prj.GetMpjDesc(text);
  EXPECT_EQ(std::wstring(text) + text[128], std::wstring(127, L'm') + L'#');
  EXPECT_EQ(prj.GetItemInfo(0, text, nullptr, nullptr), 7);
  EXPECT_EQ(std::wstring(text), std::wstring(127, L'n'));
  prj.GetItemDesc(0, text);
  EXPECT_EQ(std::wstring(text) + text[194], std::wstring(193, L'd') + L'#');
}

TEST_F(Styling, ProjectRefusalsCountsAndItemsBeyondTheEnd) {
  Terrix_Prj prj;
  const int files = tb::OpenFileCount();
  EXPECT_EQ(prj.LoadProject(Write("v.mpj", Project().Magic("WMAP`D22").Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(Write("f8.mpj", Project().FormatNumber(8).Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(dir.WidePath("missing.mpj").c_str()), Result::CannotOpen);
  EXPECT_EQ(prj.SaveProject(dir.WidePath("missing.mpj").c_str()), Result::CannotOpen);
  EXPECT_EQ(tb::OpenFileCount(), files);
  EXPECT_EQ(prj.SetItemInfo(0, L"x", 1, 2, 1), 0);  // nothing loaded: nothing changed
  // No items: the description falls back to "NULL".
  ASSERT_EQ(prj.LoadProject(Write("none.mpj", tb::ProjectFileBuilder().Build()).c_str()), 0);
  wchar_t text[128];
  prj.GetMpjDesc(text);
  EXPECT_STREQ(text, L"NULL");
  EXPECT_EQ(prj.LoadProject(Write("neg.mpj", Project().ItemCountField(-2).Build()).c_str()), -2);
  EXPECT_EQ(prj.GetItemInfo(0, text, nullptr, nullptr), Result::IoError);

  // Cut in the middle of the last item: the missing bytes read as zeros.
  Bytes cut = Project().Build();
  cut.resize(kItemTable + 2 * kItemSize + tb::ProjectFileBuilder::kItemValue1 + 4);
  ASSERT_EQ(prj.LoadProject(Write("cut.mpj", cut).c_str()), 3);
  double v1 = -1, v2 = -1;
  EXPECT_EQ(prj.GetItemInfo(2, nullptr, &v1, &v2), 5);
  EXPECT_EQ(v2, 0.0);
  // Items beyond the end read as zeros: line items without a name.
  ASSERT_EQ(prj.LoadProject(Write("big.mpj", Project().ItemCountField(30000).Build()).c_str()), 30000);
  EXPECT_EQ(prj.GetItemInfo(29999, text, &v1, nullptr), 3);
  EXPECT_STREQ(text, L"字段名错误");
  EXPECT_EQ(v1, 0.0);
  // So do tables placed past the end, or at a negative offset (an unsigned 32-bit position).
  for (std::int32_t offset : {1 << 30, -400}) {
    ASSERT_EQ(prj.LoadProject(Write("far.mpj", Project().ItemTableOffsetField(offset).Build()).c_str()), 3);
    v1 = -1;
    EXPECT_EQ(prj.GetItemInfo(0, text, &v1, nullptr), 3);
    EXPECT_EQ(v1, 0.0);
  }
}

TEST_F(Styling, ProjectKindsAndTheProjectionRule) {
  tb::ProjectFileBuilder b;
  b.AddItem(0, "a", "", 0, 0).AddItem(5, "b", "", 0, 0).AddItem(200, "c", "", 0, 0);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("k.mpj", b.Build()).c_str()), 3);
  EXPECT_EQ(prj.GetItemInfo(1, nullptr, nullptr, nullptr), 0);  // not in the table
  // Interface code -> stored kind, and back through GetItemInfo; unknown codes keep the kind.
  const std::pair<int, int> kinds[] = {{1, 1}, {3, 0}, {5, 2}, {7, 7}, {9, 11}, {4, 11}, {11, 11}};
  for (const auto& [code, stored] : kinds) {
    EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, code), stored) << code;
    EXPECT_EQ(prj.GetItemInfo(0, nullptr, nullptr, nullptr), stored == 11 ? 9 : code);
  }
  EXPECT_EQ(prj.SetItemInfo(2, nullptr, 0, 0, 0), static_cast<std::int8_t>(200));  // sign-extended

  // Type 0, or a coefficient below 0.001, hands out a coefficient of 1.
  const struct {
    std::uint8_t type;
    double stored, handedOut;
  } cases[] = {{0, 3.0, 1.0}, {4, 0.0005, 1.0}, {4, 2.5, 2.5}, {4, 0.001, 0.001}, {4, -3.0, 1.0}};
  for (const auto& c : cases) {
    tb::ProjectFileBuilder p;
    ASSERT_EQ(prj.LoadProject(Write("proj.mpj", p.Projection(c.type, c.stored).Build()).c_str()), 0);
    EXPECT_EQ(prj.GetProjectionInfo(nullptr), static_cast<char>(c.type));
    for (int twice = 0; twice < 2; ++twice) {  // the head keeps its own value
      MAP_PARAstruct out = Filled<MAP_PARAstruct>(0x5A);
      EXPECT_EQ(prj.GetProjectionInfo(&out), static_cast<char>(c.type));
      const double coefficient = out.coefficient;  // packed field: copy before binding
      EXPECT_EQ(coefficient, c.handedOut) << int(c.type) << " " << c.stored;
      EXPECT_EQ(out.params0[0], 0);  // copied from the head, not left from before
    }
  }
}

// The bytes SaveProject writes: the items over the file's own item table, text
// fields in GBK; head and uninterpreted bytes unchanged.
TEST_F(Styling, ProjectSaveWritesItemsInPlace) {
  const std::wstring path = Write("p.mpj", Project().Build());
  const Bytes original = tb::ReadFile(dir.Path("p.mpj"));
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(path.c_str()), 3);
  EXPECT_EQ(prj.SetItemInfo(1, L"湖泊 lakes", 3.25, -4.5, 5), 2);
  EXPECT_EQ(prj.SetItemInfo(2, nullptr, 9.0, 10.0, 4), 2);
  EXPECT_EQ(prj.SetItemInfo(0, L"ab", 10.0, 20.0, 1), 1);
  EXPECT_EQ(prj.SaveProject(path.c_str()), 3);
  const Bytes saved = tb::ReadFile(dir.Path("p.mpj"));
  ASSERT_EQ(saved.size(), original.size());
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + kItemTable, saved.begin()));
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t at = kItemTable + i * kItemSize;
    EXPECT_EQ(saved[at + 1], tb::ProjectFileBuilder::ItemFiller(i, 1));
    EXPECT_TRUE(std::equal(saved.begin() + at + 340, saved.begin() + at + 400, original.begin() + at + 340));
  }
  const std::size_t item1 = kItemTable + kItemSize;
  EXPECT_EQ(Bytes(saved.begin() + item1, saved.begin() + item1 + 12),
            (Bytes{2, tb::ProjectFileBuilder::ItemFiller(1, 1), 0xba, 0xfe, 0xb2, 0xb4, ' ', 'l', 'a', 'k',
                   'e', 's'}));
  EXPECT_EQ(tb::Peek<double>(saved, item1 + 324), 3.25);
  EXPECT_EQ(tb::Peek<double>(saved, item1 + 332), -4.5);
  EXPECT_EQ(saved[kItemTable + 2 * kItemSize], 2);
  // A shorter name takes its bytes and a zero; the rest of the field stays as it was.
  EXPECT_EQ(Bytes(saved.begin() + kItemTable + 2, saved.begin() + kItemTable + 10),
            (Bytes{'a', 'b', 0, 0xb7, ' ', 0xb2, 0xe3, 0}));

  // Names too long for 127 bytes are cut at the last whole character.
  prj.SetItemInfo(0, std::wstring(300, L'a').c_str(), 0, 0, 1);
  prj.SetItemInfo(1, std::wstring(64, L'湖').c_str(), 0, 0, 3);  // 128 bytes of GBK
  ASSERT_EQ(prj.SaveProject(path.c_str()), 3);
  Terrix_Prj reloaded;
  ASSERT_EQ(reloaded.LoadProject(path.c_str()), 3);
  wchar_t name[128];
  reloaded.GetItemInfo(0, name, nullptr, nullptr);
  EXPECT_EQ(std::wstring(name), std::wstring(127, L'a'));
  EXPECT_EQ(reloaded.GetItemInfo(1, name, nullptr, nullptr), 3);
  EXPECT_EQ(std::wstring(name), std::wstring(63, L'湖'));

  // A failed write leaves the items before it written.
  core::FileSeam::FailWriteAt(2);
  prj.SetItemInfo(0, L"first", 1, 1, 1);
  prj.SetItemInfo(1, L"second", 2, 2, 3);
  EXPECT_EQ(prj.SaveProject(path.c_str()), Result::WriteBackFailed);
  const Bytes partly = tb::ReadFile(dir.Path("p.mpj"));
  EXPECT_EQ(partly[kItemTable + 2], 'f');
  EXPECT_EQ(partly[kItemTable + kItemSize + 2], 0xba);
}

TEST_F(Styling, ProjectSaveStaysInsideTheItemTable) {
  Terrix_Prj two;
  tb::ProjectFileBuilder small;
  ASSERT_EQ(
      two.LoadProject(
          Write("two.mpj", small.AddItem(1, "one", "", 1, 1).AddItem(0, "two", "", 2, 2).Build()).c_str()),
      2);
  // The file counts three items, the object holds two: the third stays; the head is the file's.
  const std::wstring three = Write("three.mpj", Project().Build());
  const Bytes before = tb::ReadFile(dir.Path("three.mpj"));
  EXPECT_EQ(two.SaveProject(three.c_str()), 2);
  const Bytes after = tb::ReadFile(dir.Path("three.mpj"));
  EXPECT_EQ(Bytes(after.begin() + kItemTable + 2, after.begin() + kItemTable + 6), (Bytes{'o', 'n', 'e', 0}));
  EXPECT_TRUE(std::equal(before.begin() + kItemTable + 2 * kItemSize, before.end(),
                         after.begin() + kItemTable + 2 * kItemSize));
  double e0 = 0;
  two.GetExtentInfo(&e0, nullptr, nullptr, nullptr);
  EXPECT_EQ(e0, 1.5);
  // A file without items takes none.
  const std::wstring none = Write("none.mpj", tb::ProjectFileBuilder().Build());
  EXPECT_EQ(two.SaveProject(none.c_str()), 0);
  EXPECT_EQ(tb::ReadFile(dir.Path("none.mpj")), tb::ProjectFileBuilder().Build());

  // An item table further on is written where it lies; the gap stays.
  const std::wstring moved = Write("moved.mpj", Project().ItemTableOffset(1200).Build());
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(moved.c_str()), 3);
  prj.SetItemInfo(2, nullptr, 77, 78, 7);
  EXPECT_EQ(prj.SaveProject(moved.c_str()), 3);
  const Bytes movedBytes = tb::ReadFile(dir.Path("moved.mpj"));
  EXPECT_EQ(Bytes(movedBytes.begin() + kItemTable, movedBytes.begin() + 1200),
            Bytes(1200 - kItemTable, 0xEE));
  EXPECT_EQ(movedBytes[1200 + 2 * kItemSize], 7);
  EXPECT_EQ(tb::Peek<double>(movedBytes, 1200 + 2 * kItemSize + 324), 77.0);
  // A table that claims to lie inside the head, or past the end of the file, is not written.
  for (std::int32_t offset : {500, 1 << 30}) {
    const std::wstring path = Write("bad.mpj", Project().ItemTableOffsetField(offset).Build());
    EXPECT_EQ(prj.SaveProject(path.c_str()), Result::NotHandled) << offset;
    EXPECT_EQ(tb::ReadFile(dir.Path("bad.mpj")), Project().ItemTableOffsetField(offset).Build());
  }
}

}  // namespace
