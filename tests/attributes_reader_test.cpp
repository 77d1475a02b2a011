// Attribute access of the fast reader over files built byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "builder/AttributeSection.h"
#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "terrix/FastReader.h"

namespace {

using Terrix::Terrix_FastReader;
constexpr std::int32_t kNotHandled = -9980;

// Bytes of T, as a value is stored in a record.
template <typename T>
tb::Bytes BytesOf(T value) {
  tb::Bytes b(sizeof(T));
  std::memcpy(b.data(), &value, sizeof(T));
  return b;
}

// What a typed read must give for stored bytes: the first sizeof(T) bytes,
// those beyond the stored ones zero.
template <typename T>
T Reinterpret(const tb::Bytes& stored) {
  tb::Bytes padded = stored;
  padded.resize(std::max(stored.size(), sizeof(T)), 0);
  T value{};
  std::memcpy(&value, padded.data(), sizeof(T));
  return value;
}

// A table of one string field whose element count marks it: entry e holds
// e + 3 elements, so GetRecordCount tells which entry a reader took.
tb::Bytes MarkedTable(int entry) {
  tb::AttributeSection t;
  t.Field("MARK", 0, 8).Elements(entry + 3).Text(0, 0, "entry" + std::to_string(entry));
  t.DateStamp(0xFF, 0xFF, 0x00, 0x99);  // any date stamp is accepted
  return t.Build();
}

class AttributeReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { Terrix::core::FileSeam::Reset(); }
  void TearDown() override { Terrix::core::FileSeam::Reset(); }

  // Writes the file and opens it; every test opens with success.
  void Open(const tb::MapFileBuilder& file, const std::string& name = "map.tmf") {
    file.WriteTo(dir_.Path(name));
    ASSERT_EQ(reader_.Open(dir_.WidePath(name).c_str()), 99999);
  }
  // A file of `kind` whose table of elements is `table` (entry 2, or 0 for a table file).
  void OpenWithTable(const tb::AttributeSection& table, int kind = tb::kPoint) {
    tb::MapFileBuilder file(kind);
    file.Section(1, tb::Bytes(2, 0)).Section(kind == tb::kTable ? 0 : 2, table.Build());
    Open(file);
  }

  tb::TempDir dir_;
  Terrix_FastReader reader_;
};

TEST_F(AttributeReaderTest, EverySelectorOnEveryKindReachesItsEntryOrKeepsThePreviousTable) {
  // (kind, selector) -> directory entry of the table it names.
  const std::map<std::pair<int, int>, int> reaches = {
      {{tb::kLine, 0}, 2},   {{tb::kLine, 1}, 5},    {{tb::kPoint, 1}, 2},   {{tb::kRegion, 0}, 2},
      {{tb::kRegion, 2}, 9}, {{tb::kNetwork, 0}, 2}, {{tb::kNetwork, 1}, 5}, {{tb::kTable, 7}, 0}};
  const std::map<int, int> entryAtOpen = {
      {tb::kLine, 2}, {tb::kPoint, 2}, {tb::kRegion, 9}, {tb::kNetwork, 2}, {tb::kTable, 0}};

  int fileNumber = 0;
  for (int kind : {tb::kLine, tb::kPoint, tb::kRegion, tb::kNetwork, tb::kTable}) {
    tb::MapFileBuilder file(kind);
    file.Section(1, tb::Bytes(2, 0));
    // Every entry a reader could take holds a valid, marked table.
    for (int entry : {0, 2, 5, 9}) file.Section(entry, MarkedTable(entry));
    const std::string name = "kind" + std::to_string(fileNumber++) + ".tmf";
    Open(file, name);
    const int first = entryAtOpen.at(kind);
    EXPECT_EQ(reader_.GetRecordCount(), first + 3) << "kind " << kind << " at open";

    for (int selector : {0, 1, 2, 7, 3, -1}) {
      SCOPED_TRACE("kind " + std::to_string(kind) + " selector " + std::to_string(selector));
      ASSERT_EQ(reader_.Open(dir_.WidePath(name).c_str()), 99999);
      reader_.SetAttributeType(selector);
      const auto it = reaches.find({kind, selector});
      const int entry = it != reaches.end() ? it->second : first;
      EXPECT_EQ(reader_.GetRecordCount(), entry + 3);
      EXPECT_STREQ(reader_.ReadStringAttribute(0, 0), ("entry" + std::to_string(entry)).c_str());
    }
  }
}

TEST_F(AttributeReaderTest, ReservedNodeSectionWithoutHeadIsRefusedAndTheLineTableReloaded) {
  tb::AttributeSection lines;
  lines.Field("NAME", 0, 6).Elements(2).Text(1, 0, "road");
  tb::MapFileBuilder file(tb::kLine);
  file.Section(1, tb::Bytes(2, 0)).Section(2, lines.Build()).Section(5, tb::Bytes(392, 0));
  Open(file);

  ASSERT_EQ(reader_.GetFieldCount(), 1);
  reader_.SetAttributeType(1);  // the reserved node section: no head
  // The line table was released: the next call reads it again.
  const long readsBefore = Terrix::core::FileSeam::ReadCount();
  EXPECT_EQ(reader_.GetRecordCount(), 2);
  EXPECT_GT(Terrix::core::FileSeam::ReadCount(), readsBefore);
  EXPECT_STREQ(reader_.ReadStringAttribute(1, 0), "road");

  reader_.SetAttributeType(2);  // a line file has no region table
  EXPECT_EQ(reader_.GetFieldCount(), 1);
  EXPECT_STREQ(reader_.ReadStringAttribute(1, 0), "road");
}

TEST_F(AttributeReaderTest, HeadChecks) {
  struct Case {
    const char* what;
    tb::AttributeSection table;
  };
  Case cases[4];
  cases[0] = {"first magic", {}};
  cases[0].table.Field("A", 0, 4).Magic(0x60, 0x45);
  cases[1] = {"second magic", {}};
  cases[1].table.Field("A", 0, 4).Magic2(0x4461);
  cases[2] = {"negative field count", {}};
  cases[2].table.Field("A", 0, 4).FieldCount(-1);
  cases[3] = {"no fields", {}};
  cases[3].table.Elements(4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(cases[i].what);
    OpenWithTable(cases[i].table);
    const bool accepted = i == 3;
    EXPECT_EQ(reader_.GetFieldCount(), accepted ? 0 : kNotHandled);
    EXPECT_EQ(reader_.GetRecordCount(), accepted ? 4 : kNotHandled);
    EXPECT_EQ(reader_.GetFieldInfo(0, nullptr, nullptr, nullptr, nullptr), kNotHandled);
    EXPECT_EQ(reader_.ReadStringAttribute(0, 0), nullptr);
  }

  // A directory entry that points past the end of the file finds no head.
  tb::MapFileBuilder file(tb::kPoint);
  file.Section(1, tb::Bytes(2, 0)).OverrideEntry(2, 1u << 30, 400);
  Open(file, "beyond.tmf");
  EXPECT_EQ(reader_.GetFieldCount(), kNotHandled);
}

TEST_F(AttributeReaderTest, FieldsOfWidthOneTwoFourEightAndSixteenByEveryTypedRead) {
  const tb::Bytes stored[] = {
      {0xFE},
      {0xFE, 0xFF},
      BytesOf<float>(-3.25f),
      BytesOf<double>(1234.5678),
      {0xDD, 0x07, 0x0C, 0x1F, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
  };
  tb::AttributeSection table;
  for (const tb::Bytes& b : stored)
    table.Field("F" + std::to_string(b.size()), 3, static_cast<std::int16_t>(b.size()));
  for (int f = 0; f < 5; ++f) table.Value(1, f, stored[f]);
  OpenWithTable(table);
  ASSERT_EQ(reader_.GetFieldCount(), 5);

  for (int f = 0; f < 5; ++f) {
    SCOPED_TRACE("width " + std::to_string(stored[f].size()));
    const tb::Bytes& b = stored[f];
    EXPECT_EQ(reader_.ReadByteAttribute(1, f), Reinterpret<unsigned char>(b));
    EXPECT_EQ(reader_.ReadShortAttribute(1, f), Reinterpret<short>(b));
    EXPECT_EQ(reader_.ReadLongAttribute(1, f), Reinterpret<std::int32_t>(b));
    EXPECT_EQ(BytesOf(reader_.ReadFloatAttribute(1, f)), BytesOf(Reinterpret<float>(b)));
    EXPECT_EQ(BytesOf(reader_.ReadDoubleAttribute(1, f)), BytesOf(Reinterpret<double>(b)));
    EXPECT_EQ(reader_.ReadBoolAttribute(1, f), b[0] != 0);
    EXPECT_EQ(BytesOf(reader_.ReadDateAttribute(1, f)), BytesOf(Reinterpret<Terrix::DATE_STRUstruct>(b)));
    EXPECT_EQ(BytesOf(reader_.ReadTimeAttribute(1, f)), BytesOf(Reinterpret<Terrix::TIME_STRUstruct>(b)));
    EXPECT_EQ(BytesOf(reader_.ReadTimeStampAttribute(1, f)),
              BytesOf(Reinterpret<Terrix::TIMESTAMPstruct>(b)));
    const auto* raw = static_cast<const std::uint8_t*>(reader_.ReadBinareyAttribute(1, f));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(tb::Bytes(raw, raw + b.size()), b);
    EXPECT_EQ(raw[b.size()], 0) << "a zero byte follows the raw value";
    // Element 0 was never given values: zero bytes.
    EXPECT_EQ(reader_.ReadDoubleAttribute(0, f), 0.0);
  }
  // The two bytes FE FF: 65534 as a long (zero-extended), -2 as a short.
  EXPECT_EQ(reader_.ReadLongAttribute(1, 1), 65534);
  EXPECT_EQ(reader_.ReadShortAttribute(1, 1), -2);
  EXPECT_EQ(reader_.ReadFloatAttribute(1, 2), -3.25f);
  EXPECT_EQ(reader_.ReadDoubleAttribute(1, 3), 1234.5678);
  const Terrix::DATE_STRUstruct date = reader_.ReadDateAttribute(1, 4);
  EXPECT_EQ(date.year, 2013);
  EXPECT_EQ(date.month, 12);
  EXPECT_EQ(date.day, 31);
}

TEST_F(AttributeReaderTest, StringsAndTextsAreTrimmedOfSpaces) {
  tb::AttributeSection table;
  table.Field("S", 0, 12).Field("T", 9, 12);
  const std::pair<std::string, std::string> cases[] = {
      {"  ab  cd   ", "ab  cd"},        {"            ", ""},
      {"ABCDEFGHIJKL", "ABCDEFGHIJKL"},  // fills the width: no terminator stored
      {std::string("ab\0cd", 5), "ab"}, {std::string("   x\0   y", 9), "x"},
      {std::string(" \0abc", 5), ""},
  };
  int element = 0;
  for (const auto& c : cases) table.Text(element, 0, c.first).Text(element, 1, c.first), ++element;
  OpenWithTable(table);
  ASSERT_EQ(reader_.GetRecordCount(), element);

  for (int e = 0; e < element; ++e) {
    SCOPED_TRACE("element " + std::to_string(e));
    EXPECT_EQ(std::string(reader_.ReadStringAttribute(e, 0)), cases[e].second);
    EXPECT_EQ(std::string(reader_.ReadTextAttribute(e, 1)), cases[e].second);
  }
  // The raw read of the same bytes is not trimmed.
  const char* raw = static_cast<const char*>(reader_.ReadBinareyAttribute(0, 0));
  EXPECT_EQ(std::string(raw, 12), std::string("  ab  cd   \0", 12));
  // A string pointer holds its text only until the next read.
  const char* text = reader_.ReadStringAttribute(2, 0);
  ASSERT_STREQ(text, "ABCDEFGHIJKL");
  (void)reader_.ReadDoubleAttribute(1, 1);
  EXPECT_STRNE(text, "ABCDEFGHIJKL");
}

TEST_F(AttributeReaderTest, FieldInfoNamesAndTypeCodes) {
  tb::AttributeSection table;
  table
      .Field("ABCDEFGHIJKLMNOPQRST", 'B', 4, 7, 3)  // 20 bytes: ends before the type byte
      .Field("", 200, 2)                            // no name; type code 200
      .Field("    ", 9, 2)                          // spaces only
      .Field("  ROAD NAME", 0, 10, 12, 0)           // first word
      .Field("\xB5\xC0\xC2\xB7", 0, 6)              // GBK name
      .Field("Width", 5, 8)
      .Field("WIDE", 0, -2)
      .Field("AUX", 0, 4, -1)
      .Field("AUXB", 0, 4, 0, -1);
  OpenWithTable(table);
  ASSERT_EQ(reader_.GetFieldCount(), 9);

  wchar_t name[21];
  int width = -7, aux = -7, auxByte = -7;
  EXPECT_EQ(reader_.GetFieldInfo(0, name, &width, &aux, &auxByte), 'B');
  EXPECT_STREQ(name, L"ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(width, 4);
  EXPECT_EQ(aux, 7);
  EXPECT_EQ(auxByte, 3);
  EXPECT_EQ(reader_.GetFieldInfo(1, name, nullptr, nullptr, nullptr), 200 - 256);
  EXPECT_STREQ(name, L"字段名错误");
  EXPECT_EQ(reader_.GetFieldInfo(2, name, nullptr, nullptr, nullptr), 9);
  EXPECT_STREQ(name, L"字段名错误");
  EXPECT_EQ(reader_.GetFieldInfo(3, name, nullptr, &aux, nullptr), 0);
  EXPECT_STREQ(name, L"ROAD");
  EXPECT_EQ(aux, 12);
  EXPECT_EQ(reader_.GetFieldInfo(4, name, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, L"道路");

  // Negative width, auxLength or auxByte: refused, the name already written.
  std::wcscpy(name, L"x");
  EXPECT_EQ(reader_.GetFieldInfo(6, name, &width, nullptr, nullptr), kNotHandled);
  EXPECT_STREQ(name, L"WIDE");
  EXPECT_EQ(reader_.GetFieldInfo(7, nullptr, &width, &aux, nullptr), kNotHandled);
  EXPECT_EQ(width, 4);
  EXPECT_EQ(reader_.GetFieldInfo(8, nullptr, nullptr, nullptr, &auxByte), kNotHandled);
  EXPECT_EQ(reader_.GetFieldInfo(7, nullptr, &width, nullptr, nullptr), 0) << "unchecked when not asked for";
  EXPECT_EQ(reader_.GetFieldInfo(9, name, nullptr, nullptr, nullptr), kNotHandled);
  EXPECT_EQ(reader_.GetFieldInfo(-1, name, nullptr, nullptr, nullptr), kNotHandled);

  EXPECT_EQ(reader_.GetFieldIndex(L"道路"), 4);
  EXPECT_EQ(reader_.GetFieldIndex(L"  道路 名称"), 4);
  EXPECT_EQ(reader_.GetFieldIndex(L"WIDTH"), 5);
  EXPECT_EQ(reader_.GetFieldIndex(L"width"), 5);
  EXPECT_EQ(reader_.GetFieldIndex(L"road width"), 3);  // only first words take part
  EXPECT_EQ(reader_.GetFieldIndex(L"abcdefghijklmnopqrst"), 0);
  EXPECT_EQ(reader_.GetFieldIndex(L"ABCDEFGHIJKLMNOPQRSTB"), -1);
  EXPECT_EQ(reader_.GetFieldIndex(L"   "), -1);
  EXPECT_EQ(reader_.GetFieldIndex(L""), -1);
  EXPECT_EQ(reader_.GetFieldIndex(nullptr), -1);
  EXPECT_EQ(reader_.GetFieldIndex(L"字段名错误"), -1) << "nameless fields are skipped";
  EXPECT_EQ(reader_.GetFieldIndex(std::wstring(5000, L'A').c_str()), -1);
}

TEST_F(AttributeReaderTest, NoValueWithoutATableOrOutsideIt) {
  tb::AttributeSection table;
  table.Field("A", 0, 4).Elements(2).Put<std::int32_t>(1, 0, 77);
  OpenWithTable(table);
  // The typed reads, GetFieldInfo and GetFieldIndex do not load the table.
  EXPECT_EQ(reader_.ReadBinareyAttribute(1, 0), nullptr);
  EXPECT_EQ(reader_.ReadLongAttribute(1, 0), 0);
  EXPECT_EQ(reader_.GetFieldIndex(L"A"), -1);
  EXPECT_EQ(reader_.GetFieldInfo(0, nullptr, nullptr, nullptr, nullptr), kNotHandled);
  ASSERT_EQ(reader_.GetRecordCount(), 2);
  EXPECT_EQ(reader_.ReadLongAttribute(1, 0), 77);
  for (auto [record, field] : {std::pair{2, 0}, {-1, 0}, {1, 1}, {1, -1}}) {
    EXPECT_EQ(reader_.ReadLongAttribute(record, field), 0) << record << "," << field;
    EXPECT_EQ(reader_.ReadBinareyAttribute(record, field), nullptr);
  }
  EXPECT_EQ(reader_.ReadLongAttribute(1, 0), 77);

  reader_.Close();
  EXPECT_EQ(reader_.ReadLongAttribute(1, 0), 0);
  EXPECT_EQ(reader_.GetFieldIndex(L"A"), -1);
  EXPECT_EQ(reader_.GetFieldCount(), kNotHandled);

  tb::AttributeSection empty;
  empty.Field("A", 0, 4).RecordCount(0);
  OpenWithTable(empty);
  EXPECT_EQ(reader_.GetRecordCount(), -1);
  EXPECT_EQ(reader_.ReadStringAttribute(0, 0), nullptr);
}

TEST_F(AttributeReaderTest, HostileDescriptorsAndCountsStayInsideTheBuffers) {
  // A field that runs past the record, and one with a negative width.
  tb::AttributeSection table;
  table.Field("OK", 0, 4).Field("PAST", 0, 4).ValueOffsetOfLast(6).Field("NEG", 0, -5).Text(0, 0, "abcd");
  OpenWithTable(table);
  ASSERT_EQ(reader_.GetFieldCount(), 3);
  EXPECT_STREQ(reader_.ReadStringAttribute(0, 0), "abcd");
  EXPECT_EQ(reader_.ReadStringAttribute(0, 1), nullptr);
  EXPECT_EQ(reader_.ReadLongAttribute(0, 1), 0);
  EXPECT_EQ(reader_.ReadBinareyAttribute(0, 2), nullptr);
  EXPECT_EQ(reader_.ReadDoubleAttribute(0, 2), 0.0);

  // Billions of records of a kilobyte: the file holds three. Records beyond
  // the file read as zero bytes, and nothing of that size is allocated.
  tb::AttributeSection huge;
  huge.Field("NAME", 0, 1000).Text(2, 0, "last").RecordCount(0xFFFFFFF0u);
  OpenWithTable(huge);
  EXPECT_EQ(reader_.GetRecordCount(), static_cast<std::int32_t>(0xFFFFFFEFu));
  EXPECT_STREQ(reader_.ReadStringAttribute(2, 0), "last");
  EXPECT_STREQ(reader_.ReadStringAttribute(3, 0), "");
  EXPECT_STREQ(reader_.ReadStringAttribute(2000000000, 0), "");
  // A record length of 4 GB and a field at its very end.
  tb::AttributeSection wide;
  wide.Field("F", 0, 8).ValueOffsetOfLast(0xFFFFFFF0u).RecordLength(0xFFFFFFFFu).Elements(1);
  OpenWithTable(wide);
  ASSERT_EQ(reader_.GetRecordCount(), 1);
  EXPECT_EQ(reader_.ReadDoubleAttribute(0, 0), 0.0);
  EXPECT_NE(reader_.ReadBinareyAttribute(0, 0), nullptr);

  // 30000 descriptors announced at the end of the file: the missing ones are empty.
  tb::AttributeSection many;
  many.Field("ONLY", 0, 4).Elements(1).FieldCount(30000);
  OpenWithTable(many);
  ASSERT_EQ(reader_.GetFieldCount(), 30000);
  wchar_t name[21];
  EXPECT_EQ(reader_.GetFieldInfo(29999, name, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, L"字段名错误");
  EXPECT_EQ(reader_.GetFieldIndex(L"only"), 0);
  EXPECT_STREQ(reader_.ReadStringAttribute(0, 29999), "");
}

TEST_F(AttributeReaderTest, WholeTableCostsOneFileReadAndFailedBlockReadIsRetried) {
  tb::AttributeSection table;
  table.Field("NAME", 0, 10).Field("CODE", 3, 4).Field("AREA", 6, 8);
  constexpr int kElements = 200;
  for (int e = 0; e < kElements; ++e)
    table.Text(e, 0, "n" + std::to_string(e)).Put<std::int32_t>(e, 1, e * 3).Put<double>(e, 2, e * 0.5);
  OpenWithTable(table);
  ASSERT_EQ(reader_.GetFieldCount(), 3);

  // The first value read fails: no value, and the same record is not read again.
  Terrix::core::FileSeam::Reset();
  Terrix::core::FileSeam::FailReadAt(1);
  EXPECT_EQ(reader_.ReadStringAttribute(0, 0), nullptr);
  EXPECT_EQ(reader_.ReadLongAttribute(0, 1), 0);
  EXPECT_EQ(Terrix::core::FileSeam::ReadCount(), 1);
  // Another record tries the block again.
  EXPECT_EQ(reader_.ReadLongAttribute(1, 1), 3);

  Terrix::core::FileSeam::Reset();
  reader_.Close();
  tb::MapFileBuilder file(tb::kPoint);
  file.Section(1, tb::Bytes(2, 0)).Section(2, table.Build());
  Open(file, "again.tmf");
  ASSERT_EQ(reader_.GetRecordCount(), kElements);
  const long readsBefore = Terrix::core::FileSeam::ReadCount();
  for (int e = 0; e < kElements; ++e) {
    EXPECT_EQ(std::string(reader_.ReadStringAttribute(e, 0)), "n" + std::to_string(e));
    EXPECT_EQ(reader_.ReadLongAttribute(e, 1), e * 3);
    EXPECT_EQ(reader_.ReadDoubleAttribute(e, 2), e * 0.5);
  }
  EXPECT_EQ(Terrix::core::FileSeam::ReadCount() - readsBefore, 1);
}

TEST_F(AttributeReaderTest, ChangingTableDoesNotReuseTheEarlierRecord) {
  tb::AttributeSection lines, nodes;
  lines.Field("NAME", 0, 8).Text(0, 0, "line0");
  nodes.Field("NAME", 0, 8).Field("ID", 3, 4).Text(0, 0, "node0").Put<std::int32_t>(0, 1, 42);
  tb::MapFileBuilder file(tb::kLine);
  file.Section(1, tb::Bytes(2, 0)).Section(2, lines.Build()).Section(5, nodes.Build());
  Open(file);

  ASSERT_EQ(reader_.GetFieldCount(), 1);
  EXPECT_STREQ(reader_.ReadStringAttribute(0, 0), "line0");
  reader_.SetAttributeType(1);
  EXPECT_EQ(reader_.GetFieldCount(), 2);
  EXPECT_STREQ(reader_.ReadStringAttribute(0, 0), "node0");
  EXPECT_EQ(reader_.ReadLongAttribute(0, 1), 42);
  reader_.SetAttributeType(0);
  EXPECT_STREQ(reader_.ReadStringAttribute(0, 0), "line0");
  EXPECT_EQ(reader_.ReadLongAttribute(0, 1), 0) << "the line table has one field";
}

}  // namespace
