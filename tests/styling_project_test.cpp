// Map project files: loading, text tokens, kinds, projection, saving back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "builder/MapFileBuilder.h"
#include "builder/StyleFileBuilder.h"
#include "core/File.h"
#include "terrix/Prj.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using tb::ProjectFileBuilder;

namespace {

// GBK bytes of 道路 and 层.
const std::string kRoadGbk = "\xb5\xc0\xc2\xb7";
const std::string kLayerGbk = "\xb2\xe3";

ProjectFileBuilder ThreeItems() {
  ProjectFileBuilder b;
  b.Extent(1.5, -2.5, 100.25, 200.75).Projection(3, 2.5).Description("  Town plan 2024");
  b.AddItem(1, kRoadGbk + " " + kLayerGbk, "points of interest", 10.0, 20.0);
  b.AddItem(0, "rivers", "", -1.0, 0.5);
  b.AddItem(2, "   ", "   lakes and   ponds", 7.0, 8.0);
  return b;
}

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override { core::FileSeam::Reset(); }
  void TearDown() override { core::FileSeam::Reset(); }

  std::wstring Write(const std::string& name, const tb::Bytes& bytes) {
    tb::WriteFile(dir.Path(name), bytes);
    return dir.WidePath(name);
  }

  tb::TempDir dir;
};

TEST_F(ProjectTest, LoadsHeadItemsAndTokens) {
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("p.mpj", ThreeItems().Build()).c_str()), 3);

  double e[4] = {-7, -7, -7, -7};
  prj.GetExtentInfo(&e[0], &e[1], &e[2], &e[3]);
  EXPECT_EQ(e[0], 1.5);
  EXPECT_EQ(e[1], -2.5);
  EXPECT_EQ(e[2], 100.25);
  EXPECT_EQ(e[3], 200.75);
  double second = 0, fourth = 0;
  prj.GetExtentInfo(nullptr, &second, nullptr, &fourth);
  EXPECT_EQ(second, -2.5);
  EXPECT_EQ(fourth, 200.75);

  wchar_t text[200];
  EXPECT_EQ(prj.GetMpjDesc(text), 0);
  EXPECT_STREQ(text, L"Town");
  EXPECT_EQ(prj.GetMpjDesc(nullptr), 0);

  double v1 = 0, v2 = 0;
  EXPECT_EQ(prj.GetItemInfo(0, text, &v1, &v2), 1);
  EXPECT_STREQ(text, L"道路");  // first token of a GBK name, default code page
  EXPECT_EQ(v1, 10.0);
  EXPECT_EQ(v2, 20.0);
  EXPECT_EQ(prj.GetItemDesc(0, text), 0);
  EXPECT_STREQ(text, L"points");

  EXPECT_EQ(prj.GetItemInfo(1, text, nullptr, &v2), 3);  // stored line kind 0
  EXPECT_STREQ(text, L"rivers");
  EXPECT_EQ(v2, 0.5);
  EXPECT_EQ(prj.GetItemDesc(1, text), 0);
  EXPECT_STREQ(text, L"NULL");

  EXPECT_EQ(prj.GetItemInfo(2, text, nullptr, nullptr), 5);
  EXPECT_STREQ(text, L"字段名错误");
  EXPECT_EQ(prj.GetItemDesc(2, text), 0);
  EXPECT_STREQ(text, L"lakes");
}

TEST_F(ProjectTest, RefusesOtherFilesAndMissingOnes) {
  Terrix_Prj prj;
  const int before = tb::OpenFileCount();
  EXPECT_EQ(prj.LoadProject(Write("v.mpj", ThreeItems().Magic("WMAP`D22").Build()).c_str()),
            Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(Write("f8.mpj", ThreeItems().FormatNumber(8).Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(Write("empty.mpj", {}).c_str()), Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(dir.WidePath("missing.mpj").c_str()), Result::CannotOpen);
  EXPECT_EQ(prj.LoadProject(nullptr), Result::CannotOpen);
  EXPECT_EQ(prj.SaveProject(dir.WidePath("missing.mpj").c_str()), Result::CannotOpen);
  EXPECT_EQ(tb::OpenFileCount(), before);
  EXPECT_EQ(prj.GetItemInfo(0, nullptr, nullptr, nullptr), Result::IoError);
  EXPECT_EQ(prj.SetItemInfo(0, L"x", 1, 2, 1), 0);  // nothing loaded: nothing changed
}

TEST_F(ProjectTest, EmptyAndNegativeItemCounts) {
  Terrix_Prj prj;
  ProjectFileBuilder none;
  none.Description("");
  const std::wstring path = Write("none.mpj", none.Build());
  const tb::Bytes before = tb::ReadFile(dir.Path("none.mpj"));
  ASSERT_EQ(prj.LoadProject(path.c_str()), 0);
  wchar_t text[128];
  prj.GetMpjDesc(text);
  EXPECT_STREQ(text, L"NULL");
  EXPECT_EQ(prj.SetItemInfo(0, L"x", 1, 2, 1), 0);
  EXPECT_EQ(prj.SaveProject(path.c_str()), 0);
  EXPECT_EQ(tb::ReadFile(dir.Path("none.mpj")), before);

  // A negative count loads nothing and is handed back as it stands.
  ProjectFileBuilder negative = ThreeItems();
  negative.ItemCountField(-2);
  EXPECT_EQ(prj.LoadProject(Write("neg.mpj", negative.Build()).c_str()), -2);
  EXPECT_EQ(prj.GetItemInfo(0, text, nullptr, nullptr), Result::IoError);
}

TEST_F(ProjectTest, TextGettersStayInsideTheCallersBuffer) {
  const std::string longName(128, 'n');  // no terminating zero in the field
  const std::string longDesc(194, 'd');
  ProjectFileBuilder b;
  b.Description(std::string(128, 'm')).AddItem(7, longName, longDesc, 0, 0).AddItem(11, "x", "y", 0, 0);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("long.mpj", b.Build()).c_str()), 2);

  wchar_t buffer[260];
  std::wmemset(buffer, L'#', 260);
  prj.GetMpjDesc(buffer);
  EXPECT_EQ(std::wstring(buffer), std::wstring(127, L'm'));
  EXPECT_EQ(buffer[128], L'#');

  std::wmemset(buffer, L'#', 260);
  EXPECT_EQ(prj.GetItemInfo(0, buffer, nullptr, nullptr), 7);
  EXPECT_EQ(std::wstring(buffer), std::wstring(127, L'n'));
  EXPECT_EQ(buffer[128], L'#');

  std::wmemset(buffer, L'#', 260);
  prj.GetItemDesc(0, buffer);
  EXPECT_EQ(std::wstring(buffer), std::wstring(193, L'd'));
  EXPECT_EQ(buffer[194], L'#');

  EXPECT_EQ(prj.GetItemInfo(1, nullptr, nullptr, nullptr), 9);  // stored 11
}

TEST_F(ProjectTest, IndicesOutsideTheTableAreRefused) {
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("p.mpj", ThreeItems().Build()).c_str()), 3);
  wchar_t text[8] = L"keep";
  double v = 42;
  for (int index : {-1, 3, 1 << 30}) {
    EXPECT_EQ(prj.GetItemInfo(index, text, &v, &v), Result::IoError);
    EXPECT_EQ(prj.GetItemDesc(index, text), Result::IoError);
    EXPECT_EQ(prj.SetItemInfo(index, L"x", 1, 1, 1), Result::IoError);
  }
  EXPECT_STREQ(text, L"keep");
  EXPECT_EQ(v, 42);
}

TEST_F(ProjectTest, StoredKindsMapBothWays) {
  ProjectFileBuilder b;
  b.AddItem(0, "a", "", 0, 0).AddItem(5, "b", "", 0, 0).AddItem(200, "c", "", 0, 0);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("k.mpj", b.Build()).c_str()), 3);
  EXPECT_EQ(prj.GetItemInfo(1, nullptr, nullptr, nullptr), 0);  // not in the table
  // interface code -> stored kind returned, and back through GetItemInfo
  const struct {
    int code;
    int stored;
  } pairs[] = {{1, 1}, {3, 0}, {5, 2}, {7, 7}, {9, 11}};
  for (const auto& p : pairs) {
    EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, p.code), p.stored);
    EXPECT_EQ(prj.GetItemInfo(0, nullptr, nullptr, nullptr), p.code);
  }
  EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, 5), 2);
  EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, 4), 2);  // unknown code: kind kept
  EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, 11), 2);
  EXPECT_EQ(prj.GetItemInfo(0, nullptr, nullptr, nullptr), 5);
  // The stored byte comes back sign-extended.
  EXPECT_EQ(prj.SetItemInfo(2, nullptr, 0, 0, 0), static_cast<std::int8_t>(200));
}

TEST_F(ProjectTest, ProjectionCoefficientRule) {
  const struct {
    std::uint8_t type;
    double stored;
    double handedOut;
  } cases[] = {{0, 3.0, 1.0}, {4, 0.0005, 1.0}, {4, 2.5, 2.5}, {4, 0.001, 0.001}, {4, -3.0, 1.0}};
  for (const auto& c : cases) {
    ProjectFileBuilder b;
    b.Projection(c.type, c.stored);
    Terrix_Prj prj;
    ASSERT_EQ(prj.LoadProject(Write("proj.mpj", b.Build()).c_str()), 0);
    EXPECT_EQ(prj.GetProjectionInfo(nullptr), static_cast<char>(c.type));
    MAP_PARAstruct out;
    std::memset(&out, 0x5A, sizeof out);
    EXPECT_EQ(prj.GetProjectionInfo(&out), static_cast<char>(c.type));
    EXPECT_EQ(out.type, c.type);
    const double coefficient = out.coefficient;  // packed field: copy before binding
    EXPECT_EQ(coefficient, c.handedOut) << "type " << int(c.type) << " stored " << c.stored;
    EXPECT_EQ(out.params0[0], 0);  // copied from the head, not left from before
    // The head keeps its own value: a second copy follows the same rule again.
    MAP_PARAstruct again{};
    prj.GetProjectionInfo(&again);
    const double againCoefficient = again.coefficient;
    EXPECT_EQ(againCoefficient, c.handedOut);
  }
}

TEST_F(ProjectTest, SetItemInfoSavesAndReloads) {
  const std::wstring path = Write("p.mpj", ThreeItems().Build());
  const tb::Bytes original = tb::ReadFile(dir.Path("p.mpj"));
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(path.c_str()), 3);
  EXPECT_EQ(prj.SetItemInfo(1, L"湖泊 lakes", 3.25, -4.5, 5), 2);
  EXPECT_EQ(prj.SetItemInfo(2, nullptr, 9.0, 10.0, 4), 2);
  EXPECT_EQ(prj.SetItemInfo(0, L"ab", 10.0, 20.0, 1), 1);
  EXPECT_EQ(prj.SaveProject(path.c_str()), 3);

  const tb::Bytes saved = tb::ReadFile(dir.Path("p.mpj"));
  ASSERT_EQ(saved.size(), original.size());
  // Head and every uninterpreted item byte unchanged.
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + 1113, saved.begin()));
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t at = ProjectFileBuilder::kItemTable + i * ProjectFileBuilder::kItemSize;
    EXPECT_EQ(saved[at + 1], ProjectFileBuilder::ItemFiller(i, 1));
    for (std::size_t off = 340; off < 400; ++off)
      EXPECT_EQ(saved[at + off], ProjectFileBuilder::ItemFiller(i, off));
  }
  const std::size_t item1 = ProjectFileBuilder::kItemTable + ProjectFileBuilder::kItemSize;
  EXPECT_EQ(saved[item1], 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[item1 + 2])), "\xba\xfe\xb2\xb4 lakes");
  // A shorter name takes its bytes and a zero; the rest of the field stays as it was.
  const std::size_t name0 = ProjectFileBuilder::kItemTable + ProjectFileBuilder::kItemName;
  EXPECT_EQ(tb::Bytes(saved.begin() + name0, saved.begin() + name0 + 8),
            (tb::Bytes{'a', 'b', 0, 0xb7, ' ', 0xb2, 0xe3, 0}));

  Terrix_Prj reloaded;
  ASSERT_EQ(reloaded.LoadProject(path.c_str()), 3);
  wchar_t name[128];
  double v1 = 0, v2 = 0;
  EXPECT_EQ(reloaded.GetItemInfo(1, name, &v1, &v2), 5);
  EXPECT_STREQ(name, L"湖泊");
  EXPECT_EQ(v1, 3.25);
  EXPECT_EQ(v2, -4.5);
  EXPECT_EQ(reloaded.GetItemInfo(2, nullptr, &v1, &v2), 5);
  EXPECT_EQ(v1, 9.0);
  EXPECT_EQ(v2, 10.0);
  EXPECT_EQ(reloaded.GetItemInfo(0, name, &v1, nullptr), 1);
  EXPECT_STREQ(name, L"ab");
}

TEST_F(ProjectTest, LongNamesAreCutAtWholeCharacters) {
  const std::wstring path = Write("p.mpj", ThreeItems().Build());
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(path.c_str()), 3);
  prj.SetItemInfo(0, std::wstring(300, L'a').c_str(), 0, 0, 1);
  prj.SetItemInfo(1, std::wstring(64, L'湖').c_str(), 0, 0, 3);  // 128 bytes of GBK
  ASSERT_EQ(prj.SaveProject(path.c_str()), 3);
  const tb::Bytes saved = tb::ReadFile(dir.Path("p.mpj"));
  const std::size_t name0 = ProjectFileBuilder::kItemTable + ProjectFileBuilder::kItemName;
  const std::size_t name1 = name0 + ProjectFileBuilder::kItemSize;
  EXPECT_EQ(saved[name0 + 126], 'a');
  EXPECT_EQ(saved[name0 + 127], 0);
  EXPECT_EQ(saved[name1 + 125], 0xfe);  // 63 whole characters, then zeros
  EXPECT_EQ(saved[name1 + 126], 0);
  EXPECT_EQ(saved[name1 + 127], 0);

  Terrix_Prj reloaded;
  ASSERT_EQ(reloaded.LoadProject(path.c_str()), 3);
  wchar_t name[128];
  reloaded.GetItemInfo(0, name, nullptr, nullptr);
  EXPECT_EQ(std::wstring(name), std::wstring(127, L'a'));
  reloaded.GetItemInfo(1, name, nullptr, nullptr);
  EXPECT_EQ(std::wstring(name), std::wstring(63, L'湖'));
}

TEST_F(ProjectTest, SaveStaysInsideTheItemTable) {
  Terrix_Prj two;
  ProjectFileBuilder small;
  small.AddItem(1, "one", "", 1, 1).AddItem(0, "two", "", 2, 2);
  ASSERT_EQ(two.LoadProject(Write("two.mpj", small.Build()).c_str()), 2);
  two.SetItemInfo(0, L"changed", 5, 5, 5);

  // The file counts three items; the object holds two: the third stays.
  const std::wstring three = Write("three.mpj", ThreeItems().Build());
  const tb::Bytes before = tb::ReadFile(dir.Path("three.mpj"));
  EXPECT_EQ(two.SaveProject(three.c_str()), 2);
  const tb::Bytes after = tb::ReadFile(dir.Path("three.mpj"));
  const std::size_t third = ProjectFileBuilder::kItemTable + 2 * ProjectFileBuilder::kItemSize;
  EXPECT_TRUE(std::equal(before.begin() + third, before.end(), after.begin() + third));
  EXPECT_EQ(after.size(), before.size());
  // The head was replaced by the file's: its extent is the three-item file's.
  double e0 = 0;
  two.GetExtentInfo(&e0, nullptr, nullptr, nullptr);
  EXPECT_EQ(e0, 1.5);

  // An item table further on is written where it lies; the gap stays.
  ProjectFileBuilder moved = ThreeItems();
  moved.ItemTableOffset(1200);
  const std::wstring movedPath = Write("moved.mpj", moved.Build());
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(movedPath.c_str()), 3);
  prj.SetItemInfo(2, nullptr, 77, 78, 7);
  EXPECT_EQ(prj.SaveProject(movedPath.c_str()), 3);
  const tb::Bytes movedBytes = tb::ReadFile(dir.Path("moved.mpj"));
  for (std::size_t i = 1113; i < 1200; ++i) ASSERT_EQ(movedBytes[i], 0xEE);
  EXPECT_EQ(movedBytes[1200 + 2 * 400], 7);
  EXPECT_EQ(tb::Peek<double>(movedBytes, 1200 + 2 * 400 + ProjectFileBuilder::kItemValue1), 77.0);

  // A table that claims to lie inside the head, or past the end of the file, is not written at all.
  for (std::int32_t offset : {500, 1 << 30}) {
    ProjectFileBuilder inside = ThreeItems();
    inside.ItemTableOffsetField(offset);
    const std::wstring insidePath = Write("inside.mpj", inside.Build());
    const tb::Bytes insideBefore = tb::ReadFile(dir.Path("inside.mpj"));
    EXPECT_EQ(prj.SaveProject(insidePath.c_str()), Result::NotHandled) << offset;
    EXPECT_EQ(tb::ReadFile(dir.Path("inside.mpj")), insideBefore);
  }
}

TEST_F(ProjectTest, ShortFilesAndItemTablesBeyondTheEnd) {
  // Cut in the middle of the last item: the missing bytes read as zeros.
  tb::Bytes cut = ThreeItems().Build();
  cut.resize(ProjectFileBuilder::kItemTable + 2 * 400 + ProjectFileBuilder::kItemValue1 + 4);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("cut.mpj", cut).c_str()), 3);
  double v1 = -1, v2 = -1;
  EXPECT_EQ(prj.GetItemInfo(2, nullptr, &v1, &v2), 5);
  EXPECT_EQ(v2, 0.0);

  // Items beyond the end of the file read as zeros: a line item without a name.
  ProjectFileBuilder big = ThreeItems();
  big.ItemCountField(30000);
  ASSERT_EQ(prj.LoadProject(Write("big.mpj", big.Build()).c_str()), 30000);
  wchar_t name[128];
  EXPECT_EQ(prj.GetItemInfo(1, name, nullptr, nullptr), 3);
  EXPECT_STREQ(name, L"rivers");
  EXPECT_EQ(prj.GetItemInfo(29999, name, &v1, nullptr), 3);
  EXPECT_STREQ(name, L"字段名错误");
  EXPECT_EQ(v1, 0.0);
  // So do tables placed past the end, or at a negative offset (an unsigned 32-bit position).
  for (std::int32_t offset : {1 << 30, -400}) {
    ProjectFileBuilder far = ThreeItems();
    far.ItemTableOffsetField(offset);
    ASSERT_EQ(prj.LoadProject(Write("far.mpj", far.Build()).c_str()), 3) << offset;
    v1 = -1;
    EXPECT_EQ(prj.GetItemInfo(0, name, &v1, nullptr), 3);
    EXPECT_EQ(v1, 0.0);
  }
}

TEST_F(ProjectTest, FailedReadsAndWritesCloseTheFile) {
  const std::wstring path = Write("p.mpj", ThreeItems().Build());
  const int files = tb::OpenFileCount();
  // Reads: magic, format number, head, then one per item.
  for (long n = 1; n <= 6; ++n) {
    Terrix_Prj prj;
    core::FileSeam::Reset();
    core::FileSeam::FailReadAt(n);
    EXPECT_EQ(prj.LoadProject(path.c_str()), Result::IoError) << "read " << n;
    EXPECT_EQ(tb::OpenFileCount(), files);
    EXPECT_EQ(prj.GetItemInfo(0, nullptr, nullptr, nullptr), Result::IoError);
  }
  core::FileSeam::Reset();
  core::FileSeam::FailReadAt(7);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(path.c_str()), 3);
  EXPECT_EQ(core::FileSeam::ReadCount(), 6);

  const tb::Bytes before = tb::ReadFile(dir.Path("p.mpj"));
  prj.SetItemInfo(0, L"first", 1, 1, 1);
  prj.SetItemInfo(1, L"second", 2, 2, 3);
  for (long n = 1; n <= 3; ++n) {
    core::FileSeam::Reset();
    core::FileSeam::FailReadAt(n);
    EXPECT_EQ(prj.SaveProject(path.c_str()), Result::IoError);
    EXPECT_EQ(tb::OpenFileCount(), files);
  }
  EXPECT_EQ(tb::ReadFile(dir.Path("p.mpj")), before);

  core::FileSeam::Reset();
  core::FileSeam::FailWriteAt(2);
  EXPECT_EQ(prj.SaveProject(path.c_str()), Result::WriteBackFailed);
  EXPECT_EQ(tb::OpenFileCount(), files);
  const tb::Bytes partly = tb::ReadFile(dir.Path("p.mpj"));
  EXPECT_EQ(partly[1113 + 2], 'f');  // the first item went out before the failure
  EXPECT_EQ(partly[1113 + 400 + 2], 'r');
  EXPECT_EQ(core::FileSeam::WriteCount(), 2);
}

TEST_F(ProjectTest, CopiesAreIndependent) {
  Terrix_Prj original;
  ASSERT_EQ(original.LoadProject(Write("p.mpj", ThreeItems().Build()).c_str()), 3);
  Terrix_Prj copy(original);
  Terrix_Prj assigned;
  assigned = original;
  copy.SetItemInfo(0, L"copy", 0, 0, 3);
  wchar_t name[128];
  EXPECT_EQ(original.GetItemInfo(0, name, nullptr, nullptr), 1);
  EXPECT_STREQ(name, L"道路");
  EXPECT_EQ(assigned.GetItemInfo(0, name, nullptr, nullptr), 1);
  EXPECT_EQ(copy.GetItemInfo(0, name, nullptr, nullptr), 3);
  EXPECT_STREQ(name, L"copy");
  original = Terrix_Prj();
  EXPECT_EQ(original.GetItemInfo(0, nullptr, nullptr, nullptr), Result::IoError);
  EXPECT_EQ(assigned.GetItemInfo(2, nullptr, nullptr, nullptr), 5);
}

}  // namespace
