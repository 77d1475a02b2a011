// Legend files with their style records, and symbol library heads.
#include <gtest/gtest.h>

#include <cstring>

#include "builder/MapFileBuilder.h"
#include "builder/StyleFileBuilder.h"
#include "core/File.h"
#include "support/FileTest.h"
#include "terrix/Legend.h"
#include "terrix/ResultCodes.h"
#include "terrix/Symbol.h"

using namespace Terrix;
using tb::LegendBuilder;

namespace {

/// Three items: a point style at 0, a line style at 94, a region style at 161.
LegendBuilder ThreeItems() {
  LegendBuilder b;
  b.AddItem(1, 0, 0x11).AddItem(0, 94, 0x22).AddItem(2, 161, 0x33);
  b.Style(tb::Pattern(94, 1)).Style(tb::Pattern(67, 101)).Style(tb::Pattern(63, 201));
  return b;
}

template <typename Record>
tb::Bytes BytesOf(const Record& r) {
  tb::Bytes b(sizeof r);
  std::memcpy(b.data(), &r, sizeof r);
  return b;
}

tb::Bytes operator+(tb::Bytes a, const tb::Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

template <typename Record>
Record Filled(std::uint8_t value) {
  Record r;
  std::memset(&r, value, sizeof r);
  return r;
}

class LegendTest : public support::FileTest {
 protected:
};

TEST_F(LegendTest, ReadsItemsAndTheirStyleRecords) {
  LegendBuilder b = ThreeItems();
  b.AddItem(5, 0, 0x44).AddItem(-3, 0, 0x55);
  const tb::Bytes file = b.Build();
  Terrix_Legend legend;
  EXPECT_EQ(legend.GetLegendNum(), 0);
  ASSERT_EQ(legend.Open(Write("l.lgd", file).c_str()), 5);
  EXPECT_EQ(legend.GetLegendNum(), 5);

  // Item 1 is a line: 67 bytes at 16 + 333 x 5 + 94; the point record is not its kind.
  TERRIX_LegendItem item = Filled<TERRIX_LegendItem>(0xFF);
  LIN_INFOstruct line = Filled<LIN_INFOstruct>(0xFF);
  PNT_INFOstruct point = Filled<PNT_INFOstruct>(0xEE);
  REG_INFOstruct region = Filled<REG_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(1, &item, &point, &line, nullptr), 0);
  EXPECT_EQ(BytesOf(item), b.Item(1));
  EXPECT_EQ(BytesOf(line),
            tb::Bytes(file.begin() + 16 + 333 * 5 + 94, file.begin() + 16 + 333 * 5 + 94 + 67));
  EXPECT_EQ(BytesOf(line), tb::Pattern(67, 101));
  EXPECT_EQ(BytesOf(point), tb::Bytes(94, 0xEE));
  // Without an item destination the style is still read.
  EXPECT_EQ(legend.GetLegendInfo(0, nullptr, &point, nullptr, nullptr), 1);
  EXPECT_EQ(BytesOf(point), tb::Pattern(94, 1));
  EXPECT_EQ(legend.GetLegendInfo(2, &item, nullptr, nullptr, &region), 2);
  EXPECT_EQ(BytesOf(region), tb::Pattern(63, 201));
  EXPECT_EQ(BytesOf(item), b.Item(2));

  // Without the destination of the item's kind: the item is copied, then -9983.
  EXPECT_EQ(legend.GetLegendInfo(0, &item, nullptr, &line, &region), Result::IoError);
  EXPECT_EQ(BytesOf(item), b.Item(0));
  EXPECT_EQ(legend.GetLegendInfo(1, nullptr, &point, nullptr, &region), Result::IoError);
  // Kinds without a style record read nothing and come back sign-extended.
  point = Filled<PNT_INFOstruct>(0xEE);
  line = Filled<LIN_INFOstruct>(0xEE);
  region = Filled<REG_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(3, &item, &point, &line, &region), 5);
  EXPECT_EQ(BytesOf(item), b.Item(3));
  EXPECT_EQ(legend.GetLegendInfo(4, nullptr, &point, &line, &region), -3);
  EXPECT_EQ(BytesOf(point) + BytesOf(line) + BytesOf(region), tb::Bytes(94 + 67 + 63, 0xEE));
  for (int index : {-1, 5, 1 << 30}) {
    EXPECT_EQ(legend.GetLegendInfo(index, &item, &point, &line, &region), Result::IoError);
    EXPECT_EQ(BytesOf(item), b.Item(3));
  }
}

TEST_F(LegendTest, StyleOffsetsOutsideTheFile) {
  LegendBuilder b;
  b.AddItem(0, -2000, 0).AddItem(2, 60, 0).AddItem(1, 1 << 30, 0).Style(tb::Pattern(100, 9));
  Terrix_Legend legend;
  ASSERT_EQ(legend.Open(Write("l.lgd", b.Build()).c_str()), 3);
  LIN_INFOstruct line{};
  EXPECT_EQ(legend.GetLegendInfo(0, nullptr, nullptr, &line, nullptr), Result::IoError);  // before the file
  // Cut short by the end of the file, or wholly beyond it: what is there, then zeros.
  REG_INFOstruct region = Filled<REG_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(1, nullptr, nullptr, nullptr, &region), 2);
  tb::Bytes expected = tb::Pattern(40, 9 + 60);
  expected.resize(63, 0);
  EXPECT_EQ(BytesOf(region), expected);
  PNT_INFOstruct point = Filled<PNT_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(2, nullptr, &point, nullptr, nullptr), 1);
  EXPECT_EQ(BytesOf(point), tb::Bytes(94, 0));
}

TEST_F(LegendTest, RefusalsCountsAndFailedReads) {
  const int files = tb::OpenFileCount();
  Terrix_Legend legend;
  LegendBuilder project = ThreeItems();
  project.Magic("WMAP`D2:");
  EXPECT_EQ(legend.Open(Write("p.lgd", project.Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(tb::OpenFileCount(), files);  // closed on refusal
  EXPECT_EQ(legend.GetLegendNum(), 0);
  legend.Close();  // harmless after a refusal
  EXPECT_EQ(legend.Open(dir.WidePath("missing.lgd").c_str()), Result::CannotOpen);

  // A count of 0 or less loads nothing and is returned as it stands.
  for (std::int32_t count : {0, -4}) {
    EXPECT_EQ(legend.Open(Write("n.lgd", ThreeItems().CountField(count).Build()).c_str()), count);
    EXPECT_EQ(legend.GetLegendInfo(0, nullptr, nullptr, nullptr, nullptr), Result::IoError);
  }
  // Items beyond the end of the file read as zeros: a line item with its style at
  // offset 0 of a style area that lies beyond the file too.
  EXPECT_EQ(legend.Open(Write("h.lgd", ThreeItems().CountField(1000000000).Build()).c_str()), 1000000000);
  TERRIX_LegendItem item = Filled<TERRIX_LegendItem>(0xEE);
  LIN_INFOstruct line = Filled<LIN_INFOstruct>(0xEE);
  EXPECT_EQ(legend.GetLegendInfo(0, &item, nullptr, nullptr, nullptr), Result::IoError);
  EXPECT_EQ(BytesOf(item), ThreeItems().Item(0));
  EXPECT_EQ(legend.GetLegendInfo(999999999, &item, nullptr, &line, nullptr), 0);
  EXPECT_EQ(BytesOf(item), tb::Bytes(333, 0));
  EXPECT_EQ(BytesOf(line), tb::Bytes(67, 0));
  EXPECT_EQ(legend.GetLegendInfo(1000000000, &item, nullptr, &line, nullptr), Result::IoError);
  legend.Close();
  EXPECT_EQ(tb::OpenFileCount(), files);

  const std::wstring path = Write("l.lgd", ThreeItems().Build());
  for (long n = 1; n <= 4; ++n) {  // the head, then one read per item
    core::FileSeam::Reset();
    core::FileSeam::FailReadAt(n);
    EXPECT_EQ(legend.Open(path.c_str()), Result::IoError) << "read " << n;
    EXPECT_EQ(legend.GetLegendInfo(0, nullptr, nullptr, nullptr, nullptr), Result::IoError);
    EXPECT_EQ(tb::OpenFileCount(), files + 1);  // the file stays open until Close
    legend.Close();
    EXPECT_EQ(tb::OpenFileCount(), files);
  }
  core::FileSeam::Reset();
  ASSERT_EQ(legend.Open(path.c_str()), 3);
  core::FileSeam::FailReadAt(1);
  EXPECT_EQ(legend.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), Result::IoError);
  EXPECT_EQ(legend.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), 0);
  legend.Close();
  EXPECT_EQ(legend.GetLegendNum(), 0);
  EXPECT_EQ(legend.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), Result::IoError);
  EXPECT_EQ(tb::OpenFileCount(), files);
}

TEST_F(LegendTest, CopiesShareTheFileAndCloseItOnce) {
  const int files = tb::OpenFileCount();
  const std::wstring first = Write("a.lgd", ThreeItems().Build());
  LegendBuilder other;
  other.AddItem(0, 0, 0x77).Style(tb::Pattern(67, 50));
  const std::wstring second = Write("b.lgd", other.Build());
  {
    Terrix_Legend a;
    ASSERT_EQ(a.Open(first.c_str()), 3);
    Terrix_Legend b(a);
    Terrix_Legend c;
    c = a;
    EXPECT_EQ(tb::OpenFileCount(), files + 1);
    LIN_INFOstruct line{};
    EXPECT_EQ(b.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), 0);
    EXPECT_EQ(BytesOf(line), tb::Pattern(67, 101));

    // Opening again gives `a` a file of its own; the copies keep the first.
    ASSERT_EQ(a.Open(second.c_str()), 1);
    EXPECT_EQ(a.GetLegendInfo(0, nullptr, nullptr, &line, nullptr), 0);
    EXPECT_EQ(BytesOf(line), tb::Pattern(67, 50));
    EXPECT_EQ(c.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), 0);
    EXPECT_EQ(BytesOf(line), tb::Pattern(67, 101));
    EXPECT_EQ(tb::OpenFileCount(), files + 2);

    // Closing one copy closes the shared file for both, once.
    b.Close();
    EXPECT_EQ(c.GetLegendInfo(1, nullptr, nullptr, &line, nullptr), Result::IoError);
    c.Close();
    EXPECT_EQ(tb::OpenFileCount(), files + 1);
  }
  EXPECT_EQ(tb::OpenFileCount(), files);  // the last holder closes what is still open
}

TEST_F(LegendTest, SymbolHead) {
  const int files = tb::OpenFileCount();
  tb::Bytes bytes = tb::Pattern(40, 3);
  Terrix_Symbol symbol;
  ASSERT_EQ(symbol.Open(Write("s.lib", bytes).c_str()), 0);
  bytes.resize(26);
  symbol.Close();
  EXPECT_EQ(BytesOf(symbol.head), bytes);  // the head stays after Close

  // A short file: the missing bytes are zero, not left from before.
  ASSERT_EQ(symbol.Open(Write("short.lib", tb::Pattern(10, 100)).c_str()), 0);
  tb::Bytes expected = tb::Pattern(10, 100);
  expected.resize(26, 0);
  EXPECT_EQ(BytesOf(symbol.head), expected);

  Terrix_Symbol copy(symbol);
  copy.Close();
  symbol.Close();  // the shared file is closed once
  EXPECT_EQ(tb::OpenFileCount(), files);
  EXPECT_EQ(symbol.Open(dir.WidePath("missing.lib").c_str()), Result::CannotOpen);
  core::FileSeam::Reset();
  core::FileSeam::FailReadAt(1);
  EXPECT_EQ(symbol.Open(Write("s2.lib", tb::Pattern(30, 0)).c_str()), Result::IoError);
  EXPECT_EQ(tb::OpenFileCount(), files + 1);  // open until Close
  symbol.Close();
  EXPECT_EQ(tb::OpenFileCount(), files);
}

}  // namespace
