// Attribute tables through the three readers: which table each reader takes,
// head checks, field descriptions and names, hostile sizes, and what each read
// costs. Typed reads of every width and trimmed texts are checked against the
// writer model (tests/support/WriterModel.h).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "core/File.h"
#include "support/FileTest.h"
#include "terrix/FastReader.h"
#include "terrix/MemReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using core::FileSeam;
constexpr std::int32_t kNotHandled = Result::NotHandled;

namespace {

// A table of one string field whose element count marks it: entry e holds
// e + 3 elements and element 0 says "entry<e>".
tb::Bytes MarkedTable(int entry) {
  tb::AttributeSection t;
  t.Field("MARK", 0, 8).Elements(entry + 3).Text(0, 0, "entry" + std::to_string(entry));
  return t.DateStamp(0xFF, 0xFF, 0x00, 0x99).Build();  // any date stamp is accepted
}

class AttributesTest : public support::FileTest {
 protected:
  template <class R = Terrix_FastReader>
  void Open(const tb::MapFileBuilder& file, R& r) {
    file.WriteTo(dir.Path("map.tmf"));
    ASSERT_EQ(r.Open(dir.WidePath("map.tmf").c_str()), Result::Success);
  }
  // A point file of two points whose table is `table`.
  template <class R = Terrix_FastReader>
  void OpenWithTable(const tb::AttributeSection& table, R& r) {
    tb::ElementFile points(tb::kPoint);
    points.AddPoint(0, 0, "");
    points.AddPoint(1, 1, "");
    Open(points.Build().Section(2, table.Build()), r);
  }
  void OpenWithTable(const tb::AttributeSection& table) { OpenWithTable(table, fast); }
  Terrix_FastReader fast;
};

TEST_F(AttributesTest, EachReaderTakesTheTableOfItsKindOrSelector) {
  // (kind, selector) -> entry of the table the fast reader's selector names; others keep the table.
  const std::map<std::pair<int, int>, int> reaches = {
      {{tb::kLine, 0}, 2},   {{tb::kLine, 1}, 5},    {{tb::kPoint, 1}, 2},   {{tb::kRegion, 0}, 2},
      {{tb::kRegion, 2}, 9}, {{tb::kNetwork, 0}, 2}, {{tb::kNetwork, 1}, 5}, {{tb::kTable, 7}, 0}};
  // Kind -> entry taken at open by the fast reader, and by the memory reader.
  const std::map<int, std::pair<int, int>> atOpen = {{tb::kLine, {2, 2}},
                                                     {tb::kPoint, {2, 2}},
                                                     {tb::kRegion, {9, 9}},
                                                     {tb::kNetwork, {2, 5}},
                                                     {tb::kTable, {0, 0}}};
  for (auto [kind, entries] : atOpen) {
    tb::MapFileBuilder file(kind);
    file.Section(1, tb::Bytes(2, 0));
    for (int entry : {0, 2, 5, 9}) file.Section(entry, MarkedTable(entry));
    Terrix_MemReader mem;
    Open(file, mem);
    EXPECT_EQ(mem.GetFieldIndex(L"MARK"), -1) << "nothing is loaded before a count is asked";
    EXPECT_EQ(mem.GetRecordCount(), entries.second + 3) << "memory reader, kind " << kind;
    EXPECT_EQ(mem.GetFieldIndex(L"mark"), 0);
    for (int selector : {-2, 0, 1, 2, 7, 3, -1}) {  // -2: no SetAttributeType
      SCOPED_TRACE("kind " + std::to_string(kind) + " selector " + std::to_string(selector));
      ASSERT_EQ(fast.Open(dir.WidePath("map.tmf").c_str()), Result::Success);
      if (selector != -2) fast.SetAttributeType(selector);
      const auto it = reaches.find({kind, selector});
      const int entry = it != reaches.end() && selector != -2 ? it->second : entries.first;
      EXPECT_EQ(fast.GetRecordCount(), entry + 3);
      EXPECT_STREQ(fast.ReadStringAttribute(0, 0), ("entry" + std::to_string(entry)).c_str());
    }
  }
  // A line file whose node section has no head: selecting it keeps the line
  // table, which is read again; a line file has no region table.
  tb::AttributeSection lines;
  lines.Field("NAME", 0, 6).Elements(2).Text(1, 0, "road");
  Open(tb::MapFileBuilder(tb::kLine)
           .Section(1, {0, 0})
           .Section(2, lines.Build())
           .Section(5, tb::Bytes(392, 0)),
       fast);
  ASSERT_EQ(fast.GetFieldCount(), 1);
  fast.SetAttributeType(1);
  const long reads = FileSeam::ReadCount();
  EXPECT_EQ(fast.GetRecordCount(), 2);
  EXPECT_GT(FileSeam::ReadCount(), reads);
  fast.SetAttributeType(2);
  EXPECT_EQ(fast.GetFieldCount(), 1);
  EXPECT_STREQ(fast.ReadStringAttribute(1, 0), "road");
}

TEST_F(AttributesTest, TablesWithABadHeadHaveNoFieldsAndNoValues) {
  tb::AttributeSection cases[5];
  cases[0].Field("A", 0, 4).Magic(0x60, 0x45);
  cases[1].Field("A", 0, 4).Magic2(0x4461);
  cases[2].Field("A", 0, 4).FieldCount(-1);
  cases[3].Elements(4);  // no fields: accepted
  cases[4].Field("A", 0, 4).RecordCount(0);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    OpenWithTable(cases[i]);
    EXPECT_EQ(fast.GetFieldCount(), i < 3 ? kNotHandled : i == 3 ? 0 : 1);
    EXPECT_EQ(fast.GetRecordCount(), i < 3 ? kNotHandled : i == 3 ? 4 : -1);
    EXPECT_EQ(fast.GetFieldInfo(0, nullptr, nullptr, nullptr, nullptr), i == 4 ? 0 : kNotHandled);
    EXPECT_EQ(fast.ReadStringAttribute(0, 0), nullptr);
  }
  Open(tb::MapFileBuilder(tb::kPoint).Section(1, {0, 0}).OverrideEntry(2, 1u << 30, 400), fast);
  EXPECT_EQ(fast.GetFieldCount(), kNotHandled) << "a directory entry past the end of the file";
}

TEST_F(AttributesTest, FieldDescriptionsAndNames) {
  tb::AttributeSection table;
  table
      .Field("ABCDEFGHIJKLMNOPQRST", 'B', 4, 7, 3)  // 20 bytes: ends before the type byte
      .Field("", 200, 2)
      .Field("    ", 9, 2)
      .Field("  ROAD NAME", 0, 10, 12, 0)  // the first word is the name
      .Field("\xB5\xC0\xC2\xB7", 0, 6)     // GBK
      .Field("Width", 5, 8)
      .Field("WIDE", 0, -2)  // negative aux values are the writer model's
      .Field("ZERO", 0, 0);
  OpenWithTable(table);
  EXPECT_EQ(fast.GetFieldIndex(L"WIDTH"), -1) << "no table loaded yet";
  ASSERT_EQ(fast.GetFieldCount(), 8);
  wchar_t name[21];
  int width = -7, aux = -7, auxByte = -7;
  EXPECT_EQ(fast.GetFieldInfo(0, name, &width, &aux, &auxByte), 'B');
  EXPECT_EQ(std::make_tuple(std::wstring(name), width, aux, auxByte),
            std::make_tuple(std::wstring(L"ABCDEFGHIJKLMNOPQRST"), 4, 7, 3));
  for (auto [field, type, want] : {std::tuple<int, int, const wchar_t*>{1, 200 - 256, L"字段名错误"},
                                   {2, 9, L"字段名错误"},
                                   {3, 0, L"ROAD"},
                                   {4, 0, L"道路"}}) {
    EXPECT_EQ(fast.GetFieldInfo(field, name, nullptr, nullptr, nullptr), type);
    EXPECT_STREQ(name, want);
  }
  // A negative width: refused by the fast reader, the name already written
  // (unchecked when not asked for); the other readers hand it out.
  EXPECT_EQ(fast.GetFieldInfo(6, name, &width, nullptr, nullptr), kNotHandled);
  EXPECT_STREQ(name, L"WIDE");
  EXPECT_EQ(fast.GetFieldInfo(6, nullptr, nullptr, &aux, nullptr), 0);
  EXPECT_NE(fast.GetFieldInfo(7, nullptr, &width, nullptr, nullptr), kNotHandled) << "a width of 0";
  EXPECT_EQ(fast.GetFieldInfo(8, name, nullptr, nullptr, nullptr), kNotHandled);
  EXPECT_EQ(fast.GetFieldInfo(-1, name, nullptr, nullptr, nullptr), kNotHandled);
  Terrix_MemReader mem;
  Terrix_Reader edit;
  OpenWithTable(table, mem);
  OpenWithTable(table, edit);
  EXPECT_EQ(mem.GetFieldInfo(0, nullptr, nullptr, nullptr, nullptr), kNotHandled) << "no table loaded yet";
  ASSERT_EQ(mem.GetFieldCount(), 8);
  ASSERT_EQ(edit.GetFieldCount(), 8);
  EXPECT_EQ(std::make_tuple(mem.GetFieldInfo(6, nullptr, &width, &aux, &auxByte), width), std::make_tuple(0, -2));
  EXPECT_EQ(std::make_tuple(edit.GetFieldInfo(6, nullptr, &width, &aux, &auxByte), width), std::make_tuple(0, -2));
  EXPECT_EQ(mem.GetFieldInfo(8, name, nullptr, nullptr, nullptr), kNotHandled);

  // Names match without regard to case, by their first word; exact names are the writer model's.
  for (auto [wanted, index] : {std::pair<const wchar_t*, int>{L"  道路 名称", 4},
                               {L"WIDTH", 5},
                               {L"road width", 3},
                               {L"ABCDEFGHIJKLMNOPQRSTB", -1},
                               {L"   ", -1},
                               {nullptr, -1},
                               {L"字段名错误", -1}}) {
    EXPECT_EQ(fast.GetFieldIndex(wanted), index) << (wanted != nullptr ? wanted : L"null");
  }
  EXPECT_EQ(fast.GetFieldIndex(std::wstring(5000, L'A').c_str()), -1);
}

TEST_F(AttributesTest, NoValueWithoutATableOrOutsideIt) {
  tb::AttributeSection table;
  table.Field("A", 0, 4).Elements(2).Put<std::int32_t>(1, 0, 77);
  OpenWithTable(table);
  // The typed reads, GetFieldInfo and GetFieldIndex do not load the table.
  EXPECT_EQ(fast.ReadBinareyAttribute(1, 0), nullptr);
  EXPECT_EQ(fast.ReadLongAttribute(1, 0), 0);
  ASSERT_EQ(fast.GetRecordCount(), 2);
  for (auto [record, field] : {std::pair{2, 0}, {-1, 0}, {1, 1}, {1, -1}}) {
    EXPECT_EQ(fast.ReadLongAttribute(record, field), 0) << record << "," << field;
    EXPECT_EQ(fast.ReadBinareyAttribute(record, field), nullptr);
  }
  EXPECT_EQ(fast.ReadLongAttribute(1, 0), 77);
  fast.Close();
  EXPECT_EQ(std::make_tuple(fast.ReadLongAttribute(1, 0), fast.GetFieldIndex(L"A"), fast.GetFieldCount()),
            std::make_tuple(0, -1, kNotHandled));

  // Billions of records of a kilobyte, 30000 descriptors announced at the end:
  // what the file does not hold reads as zero bytes, and nothing of that size is made.
  tb::AttributeSection huge, many;
  huge.Field("NAME", 0, 1000).Text(2, 0, "last").RecordCount(0xFFFFFFF0u);
  OpenWithTable(huge);
  EXPECT_EQ(fast.GetRecordCount(), static_cast<std::int32_t>(0xFFFFFFEFu));
  EXPECT_STREQ(fast.ReadStringAttribute(2, 0), "last");
  EXPECT_STREQ(fast.ReadStringAttribute(3, 0), "");
  EXPECT_STREQ(fast.ReadStringAttribute(2000000000, 0), "");
  many.Field("ONLY", 0, 4).Elements(1).FieldCount(30000);
  OpenWithTable(many);
  ASSERT_EQ(fast.GetFieldCount(), 30000);
  wchar_t name[21];
  EXPECT_EQ(fast.GetFieldInfo(29999, name, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, L"字段名错误");
  EXPECT_EQ(fast.GetFieldIndex(L"only"), 0);
  EXPECT_STREQ(fast.ReadStringAttribute(0, 29999), "");
}

TEST_F(AttributesTest, WholeTableInOneReadOrOneRecordAtATime) {
  tb::AttributeSection table;
  table.Field("NAME", 0, 10).Field("CODE", 3, 4).Field("AREA", 6, 8);
  for (int e = 0; e < 200; ++e)
    table.Text(e, 0, "n" + std::to_string(e)).Put<std::int32_t>(e, 1, e * 3).Put<double>(e, 2, e * 0.5);
  OpenWithTable(table);
  ASSERT_EQ(fast.GetFieldCount(), 3);
  // The first value read fails: no value, the same record is not read again, another one is.
  FileSeam::Reset();
  FileSeam::FailReadAt(1);
  EXPECT_EQ(fast.ReadStringAttribute(0, 0), nullptr);
  EXPECT_EQ(fast.ReadLongAttribute(0, 1), 0);
  EXPECT_EQ(FileSeam::ReadCount(), 1);
  EXPECT_EQ(fast.ReadLongAttribute(1, 1), 3);
  OpenWithTable(table);
  ASSERT_EQ(fast.GetRecordCount(), 200);
  FileSeam::Reset();
  for (int e = 0; e < 200; ++e) {
    EXPECT_EQ(std::string(fast.ReadStringAttribute(e, 0)), "n" + std::to_string(e));
    EXPECT_EQ(std::make_tuple(fast.ReadLongAttribute(e, 1), fast.ReadDoubleAttribute(e, 2)),
              std::make_tuple(e * 3, e * 0.5));
  }
  EXPECT_EQ(fast.GetFieldCount(), 3);
  EXPECT_EQ(FileSeam::ReadCount(), 1) << "the whole table in one read, the loaded head not read again";

  // The editing reader reads the current record whenever another is asked for.
  Terrix_Reader edit;
  OpenWithTable(table, edit);
  ASSERT_EQ(edit.GetRecordCount(), 200);
  FileSeam::Reset();
  EXPECT_EQ(std::make_tuple(edit.ReadLongAttribute(0, 1), edit.ReadDoubleAttribute(0, 2)),
            std::make_tuple(0, 0.0));
  EXPECT_EQ(FileSeam::ReadCount(), 1) << "two values of one record: one read";
  for (int e : {1, 0, 1}) EXPECT_EQ(edit.ReadLongAttribute(e, 1), e * 3);
  EXPECT_EQ(FileSeam::ReadCount(), 4) << "alternating records: one read each time";
  FileSeam::FailReadAt(5);
  EXPECT_EQ(edit.ReadLongAttribute(0, 1), 0) << "a failed record read gives no value";
  EXPECT_EQ(edit.ReadLongAttribute(1, 1), 3) << "the next record is read again";
  FileSeam::Reset();
  // A million records of 2 GB each: one far beyond the end of the file reads as zeros.
  OpenWithTable(table.RecordCount(1000000).RecordLength(0x7FFFFFFF), edit);
  ASSERT_EQ(edit.GetRecordCount(), 999999);
  const auto* far = static_cast<const std::uint8_t*>(edit.ReadBinareyAttribute(499999, 0));
  ASSERT_NE(far, nullptr);
  EXPECT_EQ(tb::Bytes(far, far + 5), tb::Bytes(5, 0));
}

}  // namespace
