// The shared attribute-table mechanics in the two record-access modes and
// the two GetFieldInfo variants that the readers build on.
#include <gtest/gtest.h>

#include <string>

#include "builder/AttributeSection.h"
#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "format/AttributeTable.h"

namespace {

using Terrix::core::FileSeam;
using Terrix::format::AttributeTable;
using Terrix::format::RecordAccess;
using Terrix::format::SignChecks;
using Terrix::format::ValueAs;
namespace ValueKind = Terrix::format::ValueKind;

class AttributeTableTest : public ::testing::Test {
 protected:
  void SetUp() override { FileSeam::Reset(); }
  void TearDown() override { FileSeam::Reset(); }

  // Writes the section behind `lead` bytes of padding and opens the file.
  void OpenSection(const tb::AttributeSection& section, Terrix::core::OpenMode mode) {
    tb::Bytes bytes(kLead, 0xEE);
    const tb::Bytes built = section.Build();
    bytes.insert(bytes.end(), built.begin(), built.end());
    tb::WriteFile(dir_.Path("table.bin"), bytes);
    ASSERT_TRUE(file_.OpenUtf8(dir_.Path("table.bin").c_str(), mode));
  }

  static constexpr std::uint64_t kLead = 37;
  tb::TempDir dir_;
  Terrix::core::File file_;
};

tb::AttributeSection Numbers(int elements) {
  tb::AttributeSection t;
  t.Field(" CODE", 3, 4).Field("LABEL", 0, 9);
  for (int e = 0; e < elements; ++e)
    t.Put<std::int32_t>(e, 0, 100 + e).Text(e, 1, "  e" + std::to_string(e) + " ");
  return t;
}

TEST_F(AttributeTableTest, BothAccessModesGiveTheSameValues) {
  OpenSection(Numbers(40), Terrix::core::OpenMode::Read);
  AttributeTable block(RecordAccess::WholeBlock), single(RecordAccess::OneRecord);
  ASSERT_EQ(block.LoadHead(file_, kLead), 99999);
  ASSERT_EQ(single.LoadHead(file_, kLead), 99999);
  ASSERT_EQ(block.RecordCount(), 40);
  for (int e = 39; e >= 0; e -= 3) {
    EXPECT_EQ(ValueAs<std::int32_t>(single.ReadValue(file_, e, 0, ValueKind::Raw)), 100 + e);
    EXPECT_EQ(ValueAs<std::int32_t>(block.ReadValue(file_, e, 0, ValueKind::Raw)), 100 + e);
    const std::string expected = "e" + std::to_string(e);
    EXPECT_STREQ(reinterpret_cast<char*>(single.ReadValue(file_, e, 1, ValueKind::Text).data),
                 expected.c_str());
    EXPECT_STREQ(reinterpret_cast<char*>(block.ReadValue(file_, e, 1, ValueKind::String).data),
                 expected.c_str());
  }
  EXPECT_EQ(single.ReadValue(file_, 40, 0, ValueKind::Raw).data, nullptr);
  EXPECT_EQ(block.ReadValue(file_, 40, 0, ValueKind::Raw).data, nullptr);
}

TEST_F(AttributeTableTest, OneRecordModeReadsTheFileWhenTheRecordChanges) {
  // Update mode reads through to the file every time, as the editing reader does.
  OpenSection(Numbers(3), Terrix::core::OpenMode::Update);
  AttributeTable table(RecordAccess::OneRecord);
  ASSERT_EQ(table.LoadHead(file_, kLead), 99999);

  FileSeam::Reset();
  EXPECT_EQ(ValueAs<std::int32_t>(table.ReadValue(file_, 1, 0, ValueKind::Raw)), 101);
  EXPECT_STREQ(reinterpret_cast<char*>(table.ReadValue(file_, 1, 1, ValueKind::String).data), "e1");
  EXPECT_EQ(FileSeam::ReadCount(), 1) << "two values of one record: one read";
  for (int i = 0; i < 4; ++i) table.ReadValue(file_, i % 2, 0, ValueKind::Raw);
  EXPECT_EQ(FileSeam::ReadCount(), 5) << "alternating records: a read each time";

  // A failed read leaves no value; the same record is not read again.
  FileSeam::Reset();
  FileSeam::FailReadAt(1);
  EXPECT_EQ(table.ReadValue(file_, 2, 0, ValueKind::Raw).data, nullptr);
  EXPECT_EQ(table.ReadValue(file_, 2, 1, ValueKind::Raw).data, nullptr);
  EXPECT_EQ(FileSeam::ReadCount(), 1);
  EXPECT_EQ(ValueAs<std::int32_t>(table.ReadValue(file_, 0, 0, ValueKind::Raw)), 100);
  EXPECT_EQ(ValueAs<std::int32_t>(table.ReadValue(file_, 2, 0, ValueKind::Raw)), 102);
}

TEST_F(AttributeTableTest, OneRecordModeBeyondTheFileReadsZeroBytes) {
  tb::AttributeSection t = Numbers(2);
  t.RecordCount(1000000).RecordLength(0x7FFFFFFF);  // records of 2 GB each
  OpenSection(t, Terrix::core::OpenMode::Read);
  AttributeTable table(RecordAccess::OneRecord);
  ASSERT_EQ(table.LoadHead(file_, kLead), 99999);
  // Slot 500000 lies far beyond the end of the file: its bytes read as zero.
  const Terrix::format::ValueBytes far = table.ReadValue(file_, 499999, 1, ValueKind::Raw);
  ASSERT_NE(far.data, nullptr);
  EXPECT_EQ(far.size, 9u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(far.data), 10), std::string(10, '\0'));
}

TEST_F(AttributeTableTest, FieldInfoChecksAndOrder) {
  tb::AttributeSection t;
  t.Field("  NEG WIDTH", 0xFF, -3, -4, -5).Field("A", 1, 2, 3, 4);
  OpenSection(t, Terrix::core::OpenMode::Read);
  AttributeTable table(RecordAccess::WholeBlock);
  ASSERT_EQ(table.LoadHead(file_, kLead), 99999);

  // Pass-through: every value as stored, and the name written last.
  wchar_t name[21] = L"old";
  int width = 0, aux = 0, auxByte = 0;
  EXPECT_EQ(table.DescribeField(0, SignChecks::PassThrough, name, &width, &aux, &auxByte), -1);
  EXPECT_EQ(width, -3);
  EXPECT_EQ(aux, -4);
  EXPECT_EQ(auxByte, -5);
  EXPECT_STREQ(name, L"NEG");

  // Refusing negatives: the name comes first and stays written.
  std::wcscpy(name, L"old");
  width = aux = auxByte = 0;
  EXPECT_EQ(table.DescribeField(0, SignChecks::RefuseNegative, name, &width, &aux, &auxByte), -9980);
  EXPECT_STREQ(name, L"NEG");
  EXPECT_EQ(aux, 0) << "outputs after the refusal stay untouched";
  EXPECT_EQ(auxByte, 0);

  for (SignChecks checks : {SignChecks::PassThrough, SignChecks::RefuseNegative}) {
    EXPECT_EQ(table.DescribeField(1, checks, name, &width, &aux, &auxByte), 1);
    EXPECT_EQ(width * 100 + aux * 10 + auxByte, 234);
    EXPECT_EQ(table.DescribeField(2, checks, name, &width, &aux, &auxByte), -9980);
  }
  table.Release();
  EXPECT_EQ(table.DescribeField(1, SignChecks::PassThrough, name, nullptr, nullptr, nullptr), -9980);
  EXPECT_EQ(table.FindFieldIndex(L"A"), -1);
}

}  // namespace
