// The attribute table of Terrix_Writer: field descriptors, record slots and
// value encodings, checked on the written bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "WriterTestSupport.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using wt::FileView;

namespace {

class WriterAttributes : public ::testing::Test {
 protected:
  tb::TempDir dir;
  wt::StepWriter w;

  /// A point file with fields of widths 10 (string), 4 (long) and 8 (double).
  void CreateWithThreeFields(const std::string& name) {
    ASSERT_EQ(w.Create(dir.WidePath(name).c_str(), 1), Result::Success);
    ASSERT_EQ(w.AddFieldInfo(L"name", 0, 10, 11, -2), 1);
    ASSERT_EQ(w.AddFieldInfo(L"count", 3, 4, 0, 0), 2);
    ASSERT_EQ(w.AddFieldInfo(L"area", 5, 8, 0, 7), 3);
  }
  FileView Finish(const std::string& name) {
    w.Flush();
    w.Close();
    return FileView(dir.Path(name));
  }
  /// Bytes of record slot `slot` of the point file's table (entry 2).
  tb::Bytes Slot(const FileView& f, int slot, std::uint32_t recordLength) {
    const std::uint32_t recordOffset = f.At<std::uint32_t>(f.Offset(2) + 12);
    const std::size_t at = f.Offset(2) + recordOffset + slot * recordLength;
    return tb::Bytes(f.bytes.begin() + at, f.bytes.begin() + at + recordLength);
  }
};

TEST_F(WriterAttributes, FieldDescriptorsAndHead) {
  CreateWithThreeFields("a.wt");
  const FileView f = Finish("a.wt");
  const std::uint32_t t = f.Offset(2);
  EXPECT_EQ(f.At<std::int16_t>(t + 322), 3);
  EXPECT_EQ(f.At<std::uint32_t>(t + 324), 1u);  // no attribute writes: the leading record only
  EXPECT_EQ(f.At<std::uint32_t>(t + 328), 23u);
  EXPECT_EQ(f.At<std::uint32_t>(t + 12), 465u);
  EXPECT_EQ(f.Length(2), 465u + 23u);
  EXPECT_TRUE(f.AllZero(t + 465, 23));  // the leading record is not written, flag included

  tb::ByteWriter first;
  first.text("name", 20).u8(0).u32(1).i16(10).i16(11).i8(-2).u8(1).u16(0).u16(0).zeros(4);
  EXPECT_EQ(tb::Bytes(f.bytes.begin() + t + 348, f.bytes.begin() + t + 387), first.data());
  const std::uint32_t offsets[3] = {1, 11, 15};
  const std::uint8_t types[3] = {0, 3, 5};
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t d = t + 348 + 39 * i;
    EXPECT_EQ(f.At<std::uint8_t>(d + 20), types[i]);
    EXPECT_EQ(f.At<std::uint32_t>(d + 21), offsets[i]);
    EXPECT_EQ(f.At<std::uint16_t>(d + 33), i);
  }
}

TEST_F(WriterAttributes, RecordsInElementOrderWithRevisits) {
  CreateWithThreeFields("a.wt");
  const char tenBytes[11] = "0123456789";
  EXPECT_TRUE(w.WriteLongAttribute(0, 1, 7));
  EXPECT_TRUE(w.WriteStringAttribute(0, 0, tenBytes));
  EXPECT_TRUE(w.WriteDoubleAttribute(1, 2, 2.5));
  EXPECT_TRUE(w.WriteLongAttribute(0, 1, -9));  // revisits slot 1
  EXPECT_FALSE(w.WriteLongAttribute(3, 1, 1));  // beyond the next element: no record made
  EXPECT_FALSE(w.WriteLongAttribute(-1, 1, 1));
  EXPECT_FALSE(w.WriteLongAttribute(1, 3, 1));  // no such field
  EXPECT_FALSE(w.WriteLongAttribute(1, -1, 1));
  EXPECT_FALSE(w.WriteStringAttribute(1, 0, nullptr));
  EXPECT_TRUE(w.WriteLongAttribute(2, 1, 3));
  // Records exist: a further field would not fit them.
  EXPECT_EQ(w.AddFieldInfo(L"late", 0, 4, 0, 0), Result::NotHandled);
  const FileView f = Finish("a.wt");

  EXPECT_EQ(f.At<std::uint32_t>(f.Offset(2) + 324), 4u);
  EXPECT_EQ(f.At<std::int16_t>(f.Offset(2) + 322), 3);
  EXPECT_EQ(f.Length(2), 465u + 4u * 23u);
  tb::ByteWriter slot0, slot1, slot2, slot3;
  slot0.u8(1).zeros(22);
  slot1.u8(1).raw(tenBytes, 10).i32(-9).zeros(8);
  slot2.u8(1).zeros(14).f64(2.5);
  slot3.u8(1).zeros(10).i32(3).zeros(8);
  EXPECT_EQ(Slot(f, 0, 23), slot0.data());
  EXPECT_EQ(Slot(f, 1, 23), slot1.data());
  EXPECT_EQ(Slot(f, 2, 23), slot2.data());
  EXPECT_EQ(Slot(f, 3, 23), slot3.data());
}

TEST_F(WriterAttributes, ValueEncodingsAndWidths) {
  ASSERT_EQ(w.Create(dir.WidePath("v.wt").c_str(), 7), Result::Success);
  const int widths[] = {1, 2, 4, 8, 4, 6, 1, 4, 10, 3};
  for (int width : widths) ASSERT_GT(w.AddFieldInfo(L"f", 1, width, 0, 0), 0);
  EXPECT_TRUE(w.WriteByteAttribute(0, 0, 0xAB));
  EXPECT_TRUE(w.WriteShortAttribute(0, 1, -2));
  EXPECT_TRUE(w.WriteShortAttribute(0, 2, -2));         // widened with its sign
  EXPECT_TRUE(w.WriteLongAttribute(0, 3, 0x01020304));  // zeros behind the 4-byte slot
  EXPECT_TRUE(w.WriteDoubleAttribute(0, 4, 1.5));       // the low-order half of the f64
  EXPECT_TRUE(w.WriteFloatAttribute(0, 5, 0.25f));
  EXPECT_TRUE(w.WriteBoolAttribute(0, 6, true));
  const DATE_STRUstruct date{2024, 2, 29};
  EXPECT_TRUE(w.WriteDateAttribute(0, 7, reinterpret_cast<const char*>(&date)));
  // A short text zero-fills the rest of its field even over an earlier value.
  EXPECT_TRUE(w.WriteStringAttribute(0, 8, "abcdefghij"));
  EXPECT_TRUE(w.WriteTextAttribute(0, 8, "xy"));
  const std::uint8_t blob[3] = {0, 0xFF, 0};
  EXPECT_TRUE(w.WriteBinareyAttribute(0, 9, blob));
  const FileView f = Finish("v.wt");

  tb::ByteWriter expected;
  expected.u8(1).u8(0xAB).i16(-2).i32(-2).i32(0x01020304).zeros(4);
  double d = 1.5;
  std::uint32_t low;
  std::memcpy(&low, &d, 4);
  expected.u32(low).f32(0.25f).zeros(2).u8(1).u16(2024).u8(2).u8(29);
  expected.text("xy", 10).raw(blob, 3);
  const std::uint32_t length = 1 + 1 + 2 + 4 + 8 + 4 + 6 + 1 + 4 + 10 + 3;
  ASSERT_EQ(expected.size(), length);
  const std::size_t slot1 = 817 + 348 + 39 * 10 + length;
  EXPECT_EQ(tb::Bytes(f.bytes.begin() + slot1, f.bytes.begin() + slot1 + length), expected.data());
}

TEST_F(WriterAttributes, TextWritesStopAtTheTerminator) {
  ASSERT_EQ(w.Create(dir.WidePath("s.wt").c_str(), 7), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"s", 0, 64, 0, 0), 1);
  // A heap text just long enough: reading the field's width from it would be
  // caught by the sanitizer build.
  std::unique_ptr<char[]> text(new char[4]{'k', 'e', 'y', '\0'});
  EXPECT_TRUE(w.WriteStringAttribute(0, 0, text.get()));
  const FileView f = Finish("s.wt");
  const std::size_t value = 817 + 348 + 39 + 65 + 1;
  EXPECT_EQ(std::string(f.bytes.begin() + value, f.bytes.begin() + value + 3), "key");
  EXPECT_TRUE(f.AllZero(value + 3, 61));
}

TEST_F(WriterAttributes, NamesAreCutAtTwentyBytesOfCodePageText) {
  ASSERT_EQ(w.Create(dir.WidePath("n.wt").c_str(), 7), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"abcdefghijklmnopqrstuvwxy", 9, 1, 0, 0), 1);
  ASSERT_EQ(w.AddFieldInfo(L"\u5b57\u6bb5\u540d", 0, 1, 0, 0), 2);  // 字段名
  ASSERT_EQ(w.AddFieldInfo(nullptr, 0, 1, 0, 0), 3);
  EXPECT_EQ(w.AddFieldInfo(L"wide", 0, 40000, 0, 0), Result::NotHandled);
  EXPECT_EQ(w.AddFieldInfo(L"negative", 0, -1, 0, 0), Result::NotHandled);
  const FileView f = Finish("n.wt");
  const std::size_t d0 = 817 + 348;
  EXPECT_EQ(std::string(f.bytes.begin() + d0, f.bytes.begin() + d0 + 20), "abcdefghijklmnopqrst");
  EXPECT_EQ(f.At<std::uint8_t>(d0 + 20), 9);
  const std::uint8_t gbk[6] = {0xD7, 0xD6, 0xB6, 0xCE, 0xC3, 0xFB};
  EXPECT_EQ(std::memcmp(f.bytes.data() + d0 + 39, gbk, 6), 0);
  EXPECT_TRUE(f.AllZero(d0 + 39 + 6, 14));
  EXPECT_TRUE(f.AllZero(d0 + 78, 20));
  EXPECT_EQ(f.At<std::int16_t>(817 + 322), 3);
}

TEST_F(WriterAttributes, TablesLieWhereTheKindKeepsThem) {
  wt::OwnedGeometry ring(wt::Ramp(4), {0});
  ASSERT_EQ(w.Create(dir.WidePath("r.wt").c_str(), 2), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"id", 3, 4, 0, 0), 1);
  w.AddPolygonInfo(wt::InUseRegion(), *ring);
  ASSERT_TRUE(w.WriteLongAttribute(0, 0, 42));
  const FileView r = Finish("r.wt");
  EXPECT_TRUE(r.AllZero(r.Offset(2), 392));
  EXPECT_EQ(r.At<std::uint16_t>(r.Offset(9) + 320), 0x4460);
  EXPECT_EQ(r.At<std::int32_t>(r.Offset(9) + 348 + 39 + 5 + 1), 42);

  ASSERT_EQ(w.Create(dir.WidePath("l.wt").c_str(), 0), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"id", 3, 4, 0, 0), 1);
  ASSERT_TRUE(w.WriteLongAttribute(0, 0, 43));
  const FileView l = Finish("l.wt");
  EXPECT_EQ(l.At<std::int32_t>(l.Offset(2) + 348 + 39 + 5 + 1), 43);
}

TEST_F(WriterAttributes, CurrentRecordSelection) {
  ASSERT_EQ(w.Create(dir.WidePath("c.wt").c_str(), 7), Result::Success);
  EXPECT_EQ(w.GetCurrentRecord(), Result::NotHandled);  // no records yet
  ASSERT_EQ(w.AddFieldInfo(L"v", 3, 4, 0, 0), 1);
  const std::int32_t v = 5;
  EXPECT_TRUE(w.WriteAttribute(0, 0, &v));
  EXPECT_EQ(w.GetCurrentRecord(), Result::Success);  // slot 1 again: nothing appended
  const FileView f = Finish("c.wt");
  EXPECT_EQ(f.At<std::uint32_t>(817 + 324), 2u);
  EXPECT_EQ(f.At<std::int32_t>(817 + 348 + 39 + 5 + 1), 5);
}

}  // namespace
