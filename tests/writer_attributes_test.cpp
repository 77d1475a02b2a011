// The attribute table of Terrix_Writer: field descriptors, record slots and
// value encodings, checked on the written bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "WriterTestSupport.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using writer_support::FileView;

namespace {

class WriterAttributes : public ::testing::Test {
 protected:
  tb::TempDir dir;
  writer_support::StepWriter w;

  /// A point file with fields of widths 10 (string), 4 (long) and 8 (double).
  void CreateWithThreeFields() {
    ASSERT_EQ(w.Create(dir.WidePath("a.tmf").c_str(), 1), Result::Success);
    ASSERT_EQ(w.AddFieldInfo(L"name", 0, 10, 11, -2), 1);
    ASSERT_EQ(w.AddFieldInfo(L"count", 3, 4, 0, 0), 2);
    ASSERT_EQ(w.AddFieldInfo(L"area", 5, 8, 0, 7), 3);
  }
  /// Flushes the table file or point file `name`; its table begins at `table`.
  FileView Finish(const std::string& name, std::uint32_t* table) {
    w.Flush();
    w.Close();
    FileView f(dir.Path(name));
    *table = f.Offset(f.At<std::int16_t>(8) == 7 ? 0 : 2);
    return f;
  }
};

TEST_F(WriterAttributes, FieldDescriptorsAndHead) {
  CreateWithThreeFields();
  std::uint32_t t = 0;
  const FileView f = Finish("a.tmf", &t);
  // Three fields, one record (the leading one), 23 bytes a record, records at 465.
  EXPECT_EQ(f.Slice(t + 322, 10), tb::ByteWriter().i16(3).u32(1).u32(23).data());
  EXPECT_EQ(f.At<std::uint32_t>(t + 12), 465u);
  EXPECT_EQ(f.Length(2), 465u + 23u);
  EXPECT_TRUE(f.AllZero(t + 465, 23));  // the leading record is not written, flag included

  tb::ByteWriter first;
  first.text("name", 20).u8(0).u32(1).i16(10).i16(11).i8(-2).u8(1).u16(0).u16(0).zeros(4);
  EXPECT_EQ(f.Slice(t + 348, 39), first.data());
  const std::uint32_t offsets[3] = {1, 11, 15};
  const std::uint8_t types[3] = {0, 3, 5};
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t d = t + 348 + 39 * i;
    EXPECT_EQ(f.Slice(d + 20, 5), tb::ByteWriter().u8(types[i]).u32(offsets[i]).data()) << i;
    EXPECT_EQ(f.At<std::uint16_t>(d + 33), i);
  }
}

TEST_F(WriterAttributes, RecordsInElementOrderWithRevisits) {
  CreateWithThreeFields();
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
  std::uint32_t t = 0;
  const FileView f = Finish("a.tmf", &t);

  EXPECT_EQ(f.Slice(t + 322, 6), tb::ByteWriter().i16(3).u32(4).data());
  EXPECT_EQ(f.Length(2), 465u + 4u * 23u);
  tb::ByteWriter slots;
  slots.u8(1).zeros(22);
  slots.u8(1).raw(tenBytes, 10).i32(-9).zeros(8);
  slots.u8(1).zeros(14).f64(2.5);
  slots.u8(1).zeros(10).i32(3).zeros(8);
  EXPECT_EQ(f.Slice(t + 465, 4 * 23), slots.data());
}

TEST_F(WriterAttributes, ValueEncodingsAndWidths) {
  ASSERT_EQ(w.Create(dir.WidePath("v.tmf").c_str(), 7), Result::Success);
  const int widths[] = {1, 2, 4, 8, 4, 6, 1, 4, 10, 3, 64};
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
  // A heap text much shorter than its field: reading the field's width from it
  // would be caught by the sanitizer build.
  std::unique_ptr<char[]> text(new char[4]{'k', 'e', 'y', '\0'});
  EXPECT_TRUE(w.WriteStringAttribute(0, 10, text.get()));
  std::uint32_t t = 0;
  const FileView f = Finish("v.tmf", &t);

  tb::ByteWriter expected;
  expected.u8(1).u8(0xAB).i16(-2).i32(-2).i32(0x01020304).zeros(4);
  const double d = 1.5;
  std::uint32_t low;
  std::memcpy(&low, &d, 4);
  expected.u32(low).f32(0.25f).zeros(2).u8(1).u16(2024).u8(2).u8(29);
  expected.text("xy", 10).raw(blob, 3).text("key", 64);
  const std::uint32_t length = 1 + 1 + 2 + 4 + 8 + 4 + 6 + 1 + 4 + 10 + 3 + 64;
  ASSERT_EQ(expected.size(), length);
  EXPECT_EQ(f.Slice(t + 348 + 39 * 11 + length, length), expected.data());
}

TEST_F(WriterAttributes, NamesAreCutAtTwentyBytesOfCodePageText) {
  ASSERT_EQ(w.Create(dir.WidePath("n.tmf").c_str(), 7), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"abcdefghijklmnopqrstuvwxy", 9, 1, 0, 0), 1);
  ASSERT_EQ(w.AddFieldInfo(L"\u5b57\u6bb5\u540d", 0, 1, 0, 0), 2);  // 字段名
  ASSERT_EQ(w.AddFieldInfo(nullptr, 0, 1, 0, 0), 3);
  EXPECT_EQ(w.AddFieldInfo(L"wide", 0, 40000, 0, 0), Result::NotHandled);
  EXPECT_EQ(w.AddFieldInfo(L"negative", 0, -1, 0, 0), Result::NotHandled);
  std::uint32_t t = 0;
  const FileView f = Finish("n.tmf", &t);
  EXPECT_EQ(f.Slice(t + 348, 21), tb::ByteWriter().raw("abcdefghijklmnopqrst", 20).u8(9).data());
  tb::ByteWriter gbk;
  gbk.u8(0xD7).u8(0xD6).u8(0xB6).u8(0xCE).u8(0xC3).u8(0xFB).zeros(14);
  EXPECT_EQ(f.Slice(t + 348 + 39, 20), gbk.data());
  EXPECT_TRUE(f.AllZero(t + 348 + 78, 20));
  EXPECT_EQ(f.At<std::int16_t>(t + 322), 3);
}

TEST_F(WriterAttributes, CurrentRecordSelection) {
  ASSERT_EQ(w.Create(dir.WidePath("c.tmf").c_str(), 7), Result::Success);
  EXPECT_EQ(w.GetCurrentRecord(), Result::NotHandled);  // no records yet
  ASSERT_EQ(w.AddFieldInfo(L"v", 3, 4, 0, 0), 1);
  const std::int32_t v = 5;
  EXPECT_TRUE(w.WriteAttribute(0, 0, &v));
  EXPECT_EQ(w.GetCurrentRecord(), Result::Success);  // slot 1 again: nothing appended
  std::uint32_t t = 0;
  const FileView f = Finish("c.tmf", &t);
  EXPECT_EQ(f.At<std::uint32_t>(t + 324), 2u);
  EXPECT_EQ(f.At<std::int32_t>(t + 348 + 39 + 5 + 1), 5);
}

}  // namespace
