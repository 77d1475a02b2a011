// What the memory reader adds to the shared element and attribute mechanics:
// network points, reading a region file as a line file, one attribute table
// per file kind and GetFieldInfo without sign checks.
#include "terrix/MemReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "support/ElementReading.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using elements_test::Value;

namespace {

// A table of one string field whose record count marks the directory entry
// it stands in: entry e holds e + 3 elements, and element 0 says "entry<e>".
tb::Bytes MarkedTable(int entry) {
  tb::AttributeSection t;
  t.Field("MARK", 0, 8).Elements(entry + 3).Text(0, 0, "entry" + std::to_string(entry));
  return t.Build();
}

class MemReaderTest : public ::testing::Test {
 protected:
  std::int32_t OpenBuilt(const tb::MapFileBuilder& file, const std::string& name = "map.tmf") {
    file.WriteTo(dir.Path(name));
    return reader.Open(dir.WidePath(name).c_str());
  }

  tb::TempDir dir;
  Terrix_MemReader reader;
};

TEST_F(MemReaderTest, NetworkPointsKeepBytes57To66OfTheCallersRecord) {
  tb::Bytes style(tb::kNodeStyleBytes);
  for (std::size_t i = 0; i < style.size(); ++i) style[i] = static_cast<std::uint8_t>(0x80 + i);
  tb::ElementFile file(tb::kNetwork);
  file.AddArc({{0, 0}, {1, 1}});
  file.AddNode(3.5, -4.5, style);
  file.AddNode(7.0, 8.0, style, 0);  // not in use
  ASSERT_EQ(OpenBuilt(file.Build()), Result::Success);
  int count = -1;
  EXPECT_EQ(reader.GetNetPntCount(&count), 2);
  EXPECT_EQ(count, 2);

  TERRIX_PntInfo info;
  std::memset(&info, 0xCC, sizeof info);
  auto g = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadNetPointInfo(0, &info, g.get()), Result::Success);
  tb::ByteWriter want;
  want.u8(1).u16(1).u32(0).f64(3.5).f64(-4.5).f64(0.0);
  want.raw(style.data(), 26);       // style bytes 0-25 at 31-56
  want.fill(10, 0xCC);              // 57-66: what the caller had
  want.raw(style.data() + 36, 18);  // style bytes 36-53 at 67-84
  want.zeros(8);                    // 85-92
  ASSERT_EQ(want.size(), tb::kPointRecordBytes);
  const auto* got = reinterpret_cast<const std::uint8_t*>(&info);
  for (std::size_t i = 0; i < tb::kPointRecordBytes; ++i) EXPECT_EQ(got[i], want.data()[i]) << "byte " << i;
  EXPECT_EQ(g->type, 1);
  ASSERT_EQ(g->vertexCount, 1);
  EXPECT_EQ(g->x[0], 3.5);
  EXPECT_EQ(g->y[0], -4.5);
  EXPECT_EQ(g->minY, -4.5);

  // The geometry alone reads no style block; a caller's other bytes survive too.
  std::memset(&info, 0x11, sizeof info);
  EXPECT_EQ(reader.ReadNetPointInfo(0, nullptr, nullptr), Result::Success);
  EXPECT_EQ(reader.ReadNetPointInfo(1, &info, nullptr), Result::NotInUse);
  EXPECT_EQ(got[0], 0x11) << "a refused network point leaves the record alone";
  EXPECT_EQ(reader.ReadNetPointInfo(2, &info, nullptr), Result::IoError);
  EXPECT_EQ(reader.ReadNetPointInfo(-1, &info, nullptr), Result::IoError);

  // Network nodes are no point records here, and notes belong to point files.
  EXPECT_EQ(reader.ReadPointInfo(0, &info, nullptr), Result::IoError);
  char note[260] = {};
  EXPECT_EQ(reader.GetNoteInfo(0, note), Result::IoError);
  EXPECT_EQ(reader.ReadArcInfo(0, nullptr, nullptr), Result::Success);
}

TEST_F(MemReaderTest, NetworkPointStyleBlockThatCannotBeReadIsAnIoError) {
  tb::ElementFile file(tb::kNetwork);
  file.AddNode(1.0, 2.0, tb::Bytes(tb::kNodeStyleBytes, 3));
  ASSERT_EQ(OpenBuilt(file.Build()), Result::Success);
  ASSERT_EQ(reader.ReadNetPointInfo(0, nullptr, nullptr), Result::Success);  // tables loaded
  core::FileSeam::Reset();
  core::FileSeam::FailReadAt(1);
  TERRIX_PntInfo info{};
  EXPECT_EQ(reader.ReadNetPointInfo(0, &info, nullptr), Result::IoError);
  core::FileSeam::Reset();
}

tb::MapFileBuilder RegionWithTables() {
  tb::ElementFile file(tb::kRegion);
  file.AddArc({{0, 0}, {0, 4}, {4, 4}, {0, 0}});
  file.AddPolygon({1});
  return file.Build().Section(2, MarkedTable(2)).Section(9, MarkedTable(9));
}

TEST_F(MemReaderTest, ReadAsPolyArcReadsARegionFileAsALineFileFromThenOn) {
  // Right after Open: only the arcs are loaded, the attribute table is the arcs' one.
  ASSERT_EQ(OpenBuilt(RegionWithTables()), Result::Success);
  reader.ReadAsPolyArc();
  EXPECT_EQ(reader.GetShapeType(), 3);
  TERRIX_LineInfo arc{};
  EXPECT_EQ(reader.ReadArcInfo(0, &arc, nullptr), Result::Success);
  EXPECT_EQ(Value(arc.pointCount), 4);
  EXPECT_EQ(reader.ReadPolygonInfo(0, nullptr, nullptr), Result::IoError) << "regions were not loaded";
  EXPECT_EQ(reader.GetRecordCount(), 2 + 3) << "the arc table at entry 2";
  EXPECT_STREQ(reader.ReadStringAttribute(0, 0), "entry2");

  // After loading, what was loaded stays; the next Open forgets the switch.
  ASSERT_EQ(OpenBuilt(RegionWithTables()), Result::Success);
  EXPECT_EQ(reader.GetShapeType(), 5);
  auto g = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadPolygonInfo(0, nullptr, g.get()), Result::Success);
  ASSERT_EQ(reader.GetFieldCount(), 1);
  reader.ReadAsPolyArc();
  EXPECT_EQ(reader.GetShapeType(), 3);
  Terrix::EmptyGeometry(g.get());
  EXPECT_EQ(reader.ReadPolygonInfo(0, nullptr, g.get()), Result::Success);
  EXPECT_EQ(g->vertexCount, 4);
  EXPECT_EQ(reader.GetRecordCount(), 9 + 3) << "the region table stays the loaded one";
  EXPECT_STREQ(reader.ReadStringAttribute(0, 0), "entry9");
}

TEST_F(MemReaderTest, OneAttributeTablePerKindAndTheNodeTableOfANetwork) {
  struct Case {
    int kind;
    int entry;
  };
  for (Case c : {Case{tb::kLine, 2}, Case{tb::kPoint, 2}, Case{tb::kRegion, 9}, Case{tb::kNetwork, 5}}) {
    tb::MapFileBuilder file(c.kind);
    file.Section(1, tb::Bytes(2, 0)).Section(2, MarkedTable(2)).Section(5, MarkedTable(5));
    file.Section(9, MarkedTable(9));
    ASSERT_EQ(OpenBuilt(file), Result::Success);
    EXPECT_EQ(reader.GetFieldIndex(L"MARK"), -1) << "nothing is loaded before a count is asked";
    EXPECT_EQ(reader.GetRecordCount(), c.entry + 3) << "kind " << c.kind;
    EXPECT_EQ(reader.GetFieldIndex(L"mark"), 0);
    EXPECT_STREQ(reader.ReadStringAttribute(0, 0), ("entry" + std::to_string(c.entry)).c_str());
  }
  tb::MapFileBuilder table(tb::kTable);
  table.Section(0, MarkedTable(0)).Section(1, tb::Bytes(2, 0));
  ASSERT_EQ(OpenBuilt(table), Result::Success);
  EXPECT_EQ(reader.GetFieldCount(), 1);
  EXPECT_EQ(reader.GetRecordCount(), 3);

  // A network file whose node section holds no table head has none to give.
  tb::MapFileBuilder noNodes(tb::kNetwork);
  noNodes.Section(1, tb::Bytes(2, 0)).Section(2, MarkedTable(2)).Section(5, tb::Bytes(392, 0));
  ASSERT_EQ(OpenBuilt(noNodes), Result::Success);
  EXPECT_EQ(reader.GetFieldCount(), Result::NotHandled);
  EXPECT_EQ(reader.ReadStringAttribute(0, 0), nullptr);
}

TEST_F(MemReaderTest, GetFieldInfoHandsOutNegativeValuesUnchecked) {
  tb::AttributeSection t;
  t.Field("WIDTH", 200, 4, -3, -2).Field("", 0, 2, 7, 1).Elements(1);
  tb::MapFileBuilder file(tb::kPoint);
  file.Section(1, tb::Bytes(2, 0)).Section(2, t.Build());
  ASSERT_EQ(OpenBuilt(file), Result::Success);
  EXPECT_EQ(reader.GetFieldInfo(0, nullptr, nullptr, nullptr, nullptr), Result::NotHandled)
      << "no table loaded yet";
  ASSERT_EQ(reader.GetFieldCount(), 2);

  wchar_t name[21] = {};
  int width = 0, aux = 0, auxByte = 0;
  EXPECT_EQ(reader.GetFieldInfo(0, name, &width, &aux, &auxByte), 200 - 256);
  EXPECT_EQ(width, 4);
  EXPECT_EQ(aux, -3);
  EXPECT_EQ(auxByte, -2);
  EXPECT_STREQ(name, L"WIDTH");
  EXPECT_EQ(reader.GetFieldInfo(1, name, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, L"字段名错误");
  EXPECT_EQ(reader.GetFieldInfo(2, name, &width, nullptr, nullptr), Result::NotHandled);
}

}  // namespace
