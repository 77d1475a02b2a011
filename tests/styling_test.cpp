// Colour libraries and conversions, legends, symbol heads and project files, built byte by byte.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <sstream>

#include "TerrixLib.h"
#include "builder/StyleFileBuilder.h"
#include "support/FileTest.h"

using namespace Terrix;
using tb::Bytes;
using tb::BytesOf;
using Ints = std::vector<int>;

namespace {

class Styling : public support::FileTest {
 protected:
  static Ints Of(const tagRGBTRIPLE& t) { return {t.rgbtRed, t.rgbtGreen, t.rgbtBlue}; }
  static Ints Of(const CMYKQUAD& q) { return {q.cmykBlack, q.cmykCyan, q.cmykMagenta, q.cmykYellow}; }
  static Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) {
    return Bytes(b.begin() + at, b.begin() + at + n);
  }
};

// (255 - ink) x ((255 - black) x 255) / 65025, truncated; no black the other way.
TEST_F(Styling, ColorConversionsOverEveryInkAndBlack) {
  const auto channel = [](int ink, int k) { return int((255 - ink) * ((255.0 - k) * 255.0) / 65025.0); };
  for (int k = 0; k < 256; ++k) {
    for (int c = 0; c < 256; ++c) {
      const Ints rgb = {channel(c, k), channel(255 - c, k), channel(c / 2, k)};
      const CMYKQUAD cmyk = {std::uint8_t(k), std::uint8_t(c), std::uint8_t(255 - c), std::uint8_t(c / 2)};
      const tagRGBQUAD q = CMYK2RGBA(cmyk);
      ASSERT_EQ(Of(CMYK2RGB(cmyk)), rgb) << k;
      ASSERT_EQ((Ints{q.rgbRed, q.rgbGreen, q.rgbBlue, q.rgbReserved}), (Ints{rgb[0], rgb[1], rgb[2], 255}));
    }
  }
  EXPECT_EQ(Of(RGB2CMYK(tagRGBTRIPLE{50, 100, 200})), (Ints{0, 55, 155, 205}));
  EXPECT_EQ(Of(RGBA2CMYK(tagRGBQUAD{50, 100, 200, 77})), (Ints{0, 55, 155, 205}));
}

TEST_F(Styling, ColorLibraryMixesInksIntoTheBase) {
  tb::ColorLibBuilder b;
  b.InkCount(5).Ink(0, 0, 100, 0, 0).Ink(1, 0, 0, 255, 0).Ink(2, 10, 0, 200, 100).Ink(3, 0, 0, 200, 0);
  b.Ink(4, 0, 0, 200, 0).AddColor(0, 200, 0, 0, {255});            // cyan 200 + 100 saturates at 255
  b.AddColor(0, 0, 0, 0, {0, 128});                                // magenta share 255 x 128 / 255 = 128
  b.AddColor(0, 0, 0, 0, {0, 0, 255});                             // black 10, magenta 200, yellow 100
  b.AddColor(0, 0, 0, 0, {100, 0, 100});                           // 100 x 100 / 255 = 39.2 -> 39
  b.AddColor(255, 128, 1, 0).AddColor(250, 0, 0, 0, {0, 0, 255});  // no ink; black 250 + 10 saturates
  b.AddColor(0, 0, 0, 0, {0, 0, 0, 255, 255});                     // two inks of magenta 200 saturate
  Terrix_ColorLib lib;
  ASSERT_EQ(lib.LoadColors(Write("c.lib", b.Build()).c_str()), 7);
  // GetCMYK in percent of the mixed values, GetRGB converted from them; zeros outside 1 .. 7.
  // clang-format off
  const Ints expected[] = {{0, 100, 0, 0, 0, 255, 255}, {0, 0, 50, 0, 255, 127, 255}, {3, 0, 78, 39, 245, 52, 148},
                           {1, 15, 30, 15, 213, 174, 213}, {100, 50, 0, 0, 0, 0, 0}, {100, 0, 78, 39, 0, 0, 0},
                           {0, 0, 100, 0, 255, 0, 255}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}};
  // clang-format on
  for (std::int32_t n : {1, 2, 3, 4, 5, 6, 7, 8, 0, -1, INT32_MIN, INT32_MAX}) {
    Ints got = Of(lib.GetCMYK(n)), rgb = Of(lib.GetRGB(n));
    got.insert(got.end(), rgb.begin(), rgb.end());
    EXPECT_EQ(got, expected[std::min(static_cast<std::uint32_t>(n) - 1u, 8u)]) << "colour " << n;
  }
  EXPECT_EQ(lib.LoadColors(Write("neg.lib", tb::ColorLibBuilder(b).ColorCountField(-3).Build()).c_str()), -3);
  EXPECT_EQ(Of(lib.GetRGB(1)), Ints(3, 0));
  EXPECT_EQ(lib.LoadColors(Write("w.lib", b.Magic("PCOLOR 2").Build()).c_str()), Result::BadMagic);
}

// Items, then point, line and region styles at 0, 94 and 161; kinds without a style;
// styles that reach back to the first byte of the file, or before it.
TEST_F(Styling, LegendItemsAndTheirStyleRecords) {
  tb::LegendBuilder b;
  b.AddItem(1, 0, 0x11).AddItem(0, 94, 0x22).AddItem(2, 161, 0x33).AddItem(5, 0, 0x44).AddItem(-3, 0, 0x55);
  b.AddItem(0, -16 - 333 * 7, 0x66).AddItem(0, -17 - 333 * 7, 0);
  const Bytes file =
      b.Style(tb::Pattern(94, 1)).Style(tb::Pattern(67, 101)).Style(tb::Pattern(63, 201)).Build();
  const std::size_t styles = 16 + 333 * 7;
  Terrix_Legend legend;
  ASSERT_EQ(legend.Open(Write("l.lgd", file).c_str()), 7);
  TERRIX_LegendItem item;
  PNT_INFOstruct point;
  LIN_INFOstruct line;
  REG_INFOstruct region;
  for (int i = 0; i < 5; ++i) {  // every destination: the item, then the style record of its kind
    std::memset(&point, 0xEE, sizeof point), std::memset(&line, 0xEE, sizeof line);
    std::memset(&region, 0xEE, sizeof region);
    EXPECT_EQ(legend.GetLegendInfo(i, &item, &point, &line, &region), (Ints{1, 0, 2, 5, -3})[i]);
    EXPECT_EQ(BytesOf(item), Slice(file, 16 + 333 * i, 333));
    EXPECT_EQ(BytesOf(point), i == 0 ? Slice(file, styles, 94) : Bytes(94, 0xEE)) << i;
    EXPECT_EQ(BytesOf(line), i == 1 ? Slice(file, styles + 94, 67) : Bytes(67, 0xEE)) << i;
    EXPECT_EQ(BytesOf(region), i == 2 ? Slice(file, styles + 161, 63) : Bytes(63, 0xEE)) << i;
  }
  // Without the destination of the item's kind: the item is copied, then an error.
  EXPECT_EQ(legend.GetLegendInfo(1, &item, &point, nullptr, &region), Result::IoError);
  EXPECT_EQ(BytesOf(item), Slice(file, 16 + 333, 333));
  EXPECT_EQ(legend.GetLegendInfo(5, nullptr, nullptr, &line, nullptr), 0);
  EXPECT_EQ(BytesOf(line), Slice(file, 0, 67));
  for (int index : {6, -1, 7, 1 << 30}) {
    EXPECT_EQ(legend.GetLegendInfo(index, &item, &point, &line, &region), Result::IoError);
    EXPECT_EQ(BytesOf(item), Slice(file, 16 + 333 * 6, 333));
  }
  legend.Close();
  EXPECT_EQ(legend.GetLegendNum(), 0);
  EXPECT_EQ(legend.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), Result::IoError);
  // Counts of 0 or less load nothing; items beyond the end of the file read as zeros.
  EXPECT_EQ(legend.Open(Write("m.lgd", tb::LegendBuilder(b).Magic("WMAP`D2:").Build()).c_str()),
            Result::BadMagic);
  EXPECT_EQ(legend.Open(Write("n.lgd", tb::LegendBuilder(b).CountField(-4).Build()).c_str()), -4);
  EXPECT_EQ(legend.GetLegendInfo(0, nullptr, nullptr, nullptr, nullptr), Result::IoError);
  ASSERT_EQ(legend.Open(Write("h.lgd", b.CountField(1000000000).Build()).c_str()), 1000000000);
  EXPECT_EQ(legend.GetLegendInfo(999999999, &item, nullptr, &line, nullptr), 0);
  EXPECT_EQ(BytesOf(item), Bytes(333, 0));
  Terrix_Symbol symbol;  // a symbol library head: the first 26 bytes, zeros where the file is shorter
  ASSERT_EQ(symbol.Open(Write("s.lib", tb::Pattern(10, 100)).c_str()), 0);
  EXPECT_EQ(BytesOf(symbol.head), tb::ByteWriter().bytes(tb::Pattern(10, 100)).zeros(16).take());
  EXPECT_EQ(symbol.Open(dir.WidePath("missing.lib").c_str()), Result::CannotOpen);
}

constexpr std::size_t kItems = tb::ProjectFileBuilder::kItemTable,
                      kItemSize = tb::ProjectFileBuilder::kItemSize;

tb::ProjectFileBuilder Project() {  // names and descriptions in GBK; 道路 层 as the first name
  tb::ProjectFileBuilder b;
  b.Extent(1.5, -2.5, 100.25, 200.75).Projection(3, 2.5).Description("  Town plan 2024");
  b.AddItem(1, "\xb5\xc0\xc2\xb7 \xb2\xe3", "points of interest", 10.0, 20.0);
  return b.AddItem(0, "rivers", "", -1.0, 0.5).AddItem(2, "   ", "   lakes and   ponds", 7.0, 8.0);
}

// What a host reads from a project file: load result, extent, description, then kind, name,
// description and values of items 0 to 2 and the last one, or the code that refuses them.
std::wstring ReadProject(const std::wstring& path) {
  Terrix_Prj prj;
  const std::int32_t count = prj.LoadProject(path.c_str());
  double e[4];
  wchar_t name[128] = L"?", text[200] = L"?";
  prj.GetExtentInfo(&e[0], &e[1], &e[2], &e[3]), prj.GetMpjDesc(text);
  std::wostringstream out;
  out << count << " " << e[0] << " " << e[1] << " " << e[2] << " " << e[3] << " " << text;
  for (int i : {0, 1, 2, count > 3 ? count - 1 : 3}) {
    double v[2] = {-1, -1};
    const std::int32_t kind = prj.GetItemInfo(i, name, &v[0], &v[1]);
    out << " |" << kind;
    if (kind >= 0 && prj.GetItemDesc(i, text) == 0)
      out << " " << name << " " << text << " " << v[0] << " " << v[1];
  }
  return out.str();
}

TEST_F(Styling, ProjectItemsTheirFirstTokensAndWhatIsBeyondTheFile) {
  Bytes cut = Project().Build();
  cut.resize(kItems + 2 * kItemSize + 328);  // inside the last item's values
  const std::wstring head = L"3 1.5 -2.5 100.25 200.75 Town", zeros = L" |3 字段名错误 NULL 0 0",
                     items = L" |1 道路 points 10 20 |3 rivers NULL -1 0.5 |5 字段名错误 lakes ",
                     refused = L" 0 0 0 0 NULL |-9983 |-9983 |-9983 |-9983";
  const std::pair<Bytes, std::wstring> cases[] = {
      // clang-format off
      {Project().Build(), head + items + L"7 8 |-9983"},
      {Project().Magic("WMAP`D22").Build(), L"-9997" + refused},  // refused: the head is not read
      {Project().FormatNumber(8).Build(), L"-9997" + refused},
      // Counts of 0 or less load nothing; items beyond the end of the file read as zeros,
      // and so do tables placed past the end or at a negative offset (an unsigned position).
      {tb::ProjectFileBuilder().Build(), L"0" + refused},
      {Project().ItemCountField(-2).Build(), L"-2" + head.substr(1) + L" |-9983 |-9983 |-9983 |-9983"},
      {Project().ItemCountField(30000).Build(), L"30000" + head.substr(1) + items + L"7 8" + zeros},
      {Project().ItemTableOffsetField(1 << 30).Build(), head + zeros + zeros + zeros + L" |-9983"},
      {Project().ItemTableOffsetField(-400).Build(), head + zeros + zeros + zeros + L" |-9983"},
      {cut, head + items + L"0 0 |-9983"},
      // clang-format on
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(ReadProject(Write("p.mpj", bytes)), expected);
  EXPECT_EQ(ReadProject(dir.WidePath("missing.mpj")), L"-9996" + refused);

  EXPECT_EQ(Terrix_Prj().SetItemInfo(0, L"x", 1, 2, 1), 0);  // nothing loaded: nothing changed
}

// The bytes SaveProject writes: the items the object holds, over the file's own item table and
// never more than it counts, text in GBK; the head and the uninterpreted bytes unchanged.
TEST_F(Styling, ProjectSaveWritesItemsInPlace) {
  const std::wstring path = Write("p.mpj", Project().Build());
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(path.c_str()), 3);
  EXPECT_EQ((Ints{prj.SetItemInfo(1, L"湖泊 lakes", 3.25, -4.5, 5), prj.SetItemInfo(2, nullptr, 9.0, 10.0, 4),
                  prj.SetItemInfo(0, L"ab", 10.0, 20.0, 1), prj.SaveProject(path.c_str())}),
            (Ints{2, 2, 1, 3}));
  Bytes expected = Project().Build();  // a shorter name takes its bytes and a zero, no more
  tb::Poke(expected, kItems + 2, std::array<char, 3>{'a', 'b', 0});
  expected[kItems + kItemSize] = 2;
  tb::Poke(expected, kItems + kItemSize + 2,
           std::array<char, 11>{'\xba', '\xfe', '\xb2', '\xb4', ' ', 'l', 'a', 'k', 'e', 's', 0});
  tb::Poke(expected, kItems + kItemSize + 324, std::array<double, 2>{3.25, -4.5});
  tb::Poke(expected, kItems + 2 * kItemSize + 324, std::array<double, 2>{9.0, 10.0});
  EXPECT_EQ(tb::ReadFile(dir.Path("p.mpj")), expected);
  // Two items into a file that counts three, and into one that counts none; tables that claim
  // to lie inside the head, or past the end of the file, are not written.
  const std::wstring two = Write(
      "2.mpj", tb::ProjectFileBuilder().AddItem(1, "one", "", 1, 1).AddItem(0, "two", "", 2, 2).Build());
  ASSERT_EQ(prj.LoadProject(two.c_str()), 2);
  EXPECT_EQ(prj.SaveProject(path.c_str()), 2);
  EXPECT_EQ(ReadProject(path),
            L"3 1.5 -2.5 100.25 200.75 Town |1 one NULL 1 1 |3 two NULL 2 2 |5 字段名错误 lakes 9 10 |-9983");
  for (std::int32_t offset : {0, 500, 1 << 30}) {
    const Bytes file =
        offset == 0 ? tb::ProjectFileBuilder().Build() : Project().ItemTableOffsetField(offset).Build();
    EXPECT_EQ(prj.SaveProject(Write("bad.mpj", file).c_str()), offset == 0 ? 0 : Result::NotHandled);
    EXPECT_EQ(tb::ReadFile(dir.Path("bad.mpj")), file) << offset;
  }
}

}  // namespace
