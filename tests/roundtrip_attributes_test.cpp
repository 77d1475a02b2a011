// Attribute tables written by Terrix_Writer and read back through
// Terrix_FastReader: every value kind, field descriptions, strings zero-filled
// and GBK text, in the table of each file kind.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/RoundTrip.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using roundtrip::SameBits;

namespace {

// One field: name, the creator's type code, width and aux values.
struct FieldSpec {
  const wchar_t* name;
  int type, width, auxLength, auxByte;
};

const FieldSpec kFields[] = {
    {L"NAME", 0, 12, 0, 0},  {L"名称", 0, 8, 3, 1},           {L"REMARK", 9, 40, 0, 0},
    {L"FLAGS", 1, 1, 0, 0},  {L"Level", 2, 2, 0, 0},          {L"ID", 3, 4, 10, 0},
    {L"RATIO", 4, 4, 8, 3},  {L"AREA", 5, 8, 15, 6},          {L"BORN", 6, 4, 0, 0},
    {L"CLOCK", 7, 10, 0, 0}, {L"STAMP", 8, 16, 0, 0},         {L"VALID", 10, 1, 0, 0},
    {L"BLOB", 11, 10, 0, 0}, {L"UNSIGNEDCODE", 200, 2, 0, 0},  // a type code of 128 or more
};
constexpr int kFieldCount = sizeof kFields / sizeof kFields[0];

// The values of one element, one per field in field order (the last field excepted).
struct Row {
  std::string name, gbk, remark;
  unsigned char flags;
  short level;
  std::int32_t id;
  float ratio;
  double area;
  DATE_STRUstruct born;
  TIME_STRUstruct clock;
  TIMESTAMPstruct stamp;
  bool valid;
  std::uint8_t blob[10];
};

std::vector<Row> Rows() {
  float nanWithPayload;
  const std::uint32_t bits = 0x7FC0'1234u;
  std::memcpy(&nanWithPayload, &bits, sizeof bits);
  std::vector<Row> rows = {
      // A name that fills its whole width (no terminator in the record); 中文地图 and 北京 in GBK.
      {"abcdefghijkl",
       "\xD6\xD0\xCE\xC4\xB5\xD8\xCD\xBC",
       "a text with inner  spaces",
       255,
       -2,
       std::numeric_limits<std::int32_t>::min(),
       nanWithPayload,
       -0.0,
       {2024, 2, 29},
       {},
       {},
       true,
       {}},
      {"ab", "\xB1\xB1\xBE\xA9", "", 0, 32767, 7, 1.5f, 1e-310, {1999, 12, 31}, {}, {}, false, {}},
      {"x", "", "last", 1, 0, -1, -0.0f, 6.02214076e23, {0, 0, 0}, {}, {}, true, {}}};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t i = 0; i < sizeof rows[r].clock.data; ++i)
      rows[r].clock.data[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0 : 17 * i + r);
    for (std::size_t i = 0; i < sizeof rows[r].stamp.data; ++i)
      rows[r].stamp.data[i] = static_cast<std::uint8_t>(255 - 13 * i - r);
    for (std::size_t i = 0; i < sizeof rows[r].blob; ++i)
      rows[r].blob[i] = static_cast<std::uint8_t>(i == 4 ? 0 : 29 * i + 3 * r);  // a zero byte inside
  }
  return rows;
}

class RoundTripAttributes : public roundtrip::WriteThenRead {
 protected:
  void WriteRow(int e, const Row& r) {
    EXPECT_TRUE(writer.WriteStringAttribute(e, 0, r.name.c_str()));
    EXPECT_TRUE(writer.WriteStringAttribute(e, 1, r.gbk.c_str()));
    EXPECT_TRUE(writer.WriteTextAttribute(e, 2, r.remark.c_str()));
    EXPECT_TRUE(writer.WriteByteAttribute(e, 3, r.flags));
    EXPECT_TRUE(writer.WriteShortAttribute(e, 4, r.level));
    EXPECT_TRUE(writer.WriteLongAttribute(e, 5, r.id));
    EXPECT_TRUE(writer.WriteFloatAttribute(e, 6, r.ratio));
    EXPECT_TRUE(writer.WriteDoubleAttribute(e, 7, r.area));
    EXPECT_TRUE(writer.WriteDateAttribute(e, 8, reinterpret_cast<const char*>(&r.born)));
    EXPECT_TRUE(writer.WriteTimeAttribute(e, 9, reinterpret_cast<const char*>(&r.clock)));
    EXPECT_TRUE(writer.WriteBinareyAttribute(e, 10, &r.stamp));
    EXPECT_TRUE(writer.WriteBoolAttribute(e, 11, r.valid));
    EXPECT_TRUE(writer.WriteBinareyAttribute(e, 12, r.blob));
  }
  template <typename T>
  static bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
  }
  void ExpectRow(int e, const Row& r) {
    SCOPED_TRACE("element " + std::to_string(e));
    EXPECT_EQ(std::string(reader.ReadStringAttribute(e, 0)), r.name);
    EXPECT_EQ(std::string(reader.ReadStringAttribute(e, 1)), r.gbk);
    EXPECT_EQ(std::string(reader.ReadTextAttribute(e, 2)), r.remark);
    EXPECT_EQ(reader.ReadByteAttribute(e, 3), r.flags);
    EXPECT_EQ(reader.ReadShortAttribute(e, 4), r.level);
    EXPECT_EQ(reader.ReadLongAttribute(e, 5), r.id);
    EXPECT_TRUE(SameBytes(reader.ReadFloatAttribute(e, 6), r.ratio));
    EXPECT_TRUE(SameBits(reader.ReadDoubleAttribute(e, 7), r.area));
    EXPECT_TRUE(SameBytes(reader.ReadDateAttribute(e, 8), r.born));
    EXPECT_TRUE(SameBytes(reader.ReadTimeAttribute(e, 9), r.clock));
    EXPECT_TRUE(SameBytes(reader.ReadTimeStampAttribute(e, 10), r.stamp));
    EXPECT_EQ(reader.ReadBoolAttribute(e, 11), r.valid);
    const auto* blob = static_cast<const std::uint8_t*>(reader.ReadBinareyAttribute(e, 12));
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(std::memcmp(blob, r.blob, sizeof r.blob), 0);
    // Strings shorter than their field are zero-filled, not padded with what
    // followed the text in the caller's memory.
    const auto* raw = static_cast<const std::uint8_t*>(reader.ReadBinareyAttribute(e, 0));
    ASSERT_NE(raw, nullptr);
    for (std::size_t i = r.name.size(); i < 12; ++i) EXPECT_EQ(raw[i], 0) << "byte " << i << " of NAME";
  }
};

TEST_F(RoundTripAttributes, EveryValueKindInTheTableOfEachKind) {
  const std::vector<Row> rows = Rows();
  const auto ring = roundtrip::PartsGeometry({{{0, 0}, {0, 1}, {1, 1}, {0, 0}}}, {5});
  for (const int kind : {1, 0, 2, 7}) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    Create(kind);
    for (int f = 0; f < kFieldCount; ++f) {
      const FieldSpec& s = kFields[f];
      EXPECT_EQ(writer.AddFieldInfo(s.name, s.type, s.width, s.auxLength, s.auxByte), f + 1);
    }
    for (int e = 0; e < 3; ++e) {
      if (kind == 0) writer.AddArcInfo(writer_support::InUse<TERRIX_LineInfo>(), *ring, 0);
      if (kind == 1) writer.AddPointInfo(writer_support::InUsePoint(e, e), *none, "");
      if (kind == 2) writer.AddPolygonInfo(writer_support::InUse<TERRIX_RegInfo>(), *ring);
      WriteRow(e, rows[static_cast<std::size_t>(e)]);
    }
    // A text followed by other bytes in the caller's memory: only the text is stored.
    const char shortText[12] = {'a', 'b', '\0', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X'};
    EXPECT_TRUE(writer.WriteStringAttribute(1, 0, shortText));
    // Revisiting element 0 and shortening its long text zero-fills the rest of the field.
    EXPECT_TRUE(writer.WriteStringAttribute(0, 2, "short"));
    std::vector<Row> expected = rows;
    expected[0].remark = "short";
    EXPECT_TRUE(writer.WriteShortAttribute(2, 13, -2));
    FlushAndOpen();

    EXPECT_EQ(reader.GetShapeType(), kind);
    EXPECT_EQ(reader.GetFieldCount(), kFieldCount);
    EXPECT_EQ(reader.GetRecordCount(), 3);
    for (int f = 0; f < kFieldCount; ++f) {
      SCOPED_TRACE("field " + std::to_string(f));
      wchar_t name[21] = {};
      int width = -1, auxLength = -1, auxByte = -1;
      EXPECT_EQ(reader.GetFieldInfo(f, name, &width, &auxLength, &auxByte),
                static_cast<std::int8_t>(kFields[f].type));
      EXPECT_EQ(std::wstring(name), std::wstring(kFields[f].name));
      EXPECT_EQ(std::vector<int>({width, auxLength, auxByte}),
                std::vector<int>({kFields[f].width, kFields[f].auxLength, kFields[f].auxByte}));
      EXPECT_EQ(reader.GetFieldIndex(kFields[f].name), f);
    }
    for (int e = 0; e < 3; ++e) ExpectRow(e, expected[static_cast<std::size_t>(e)]);
    // A field never written reads as zero; one written once reads as written.
    EXPECT_EQ(reader.ReadShortAttribute(0, 13), 0);
    EXPECT_EQ(reader.ReadShortAttribute(2, 13), -2);
    EXPECT_EQ(reader.ReadLongAttribute(3, 5), 0) << "no fourth record";
    reader.Close();
  }
}

}  // namespace
