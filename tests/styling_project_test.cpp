// Map project files: loading, text tokens, kinds, projection, saving back.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <utility>

#include "builder/MapFileBuilder.h"
#include "builder/StyleFileBuilder.h"
#include "core/File.h"
#include "support/FileTest.h"
#include "terrix/Prj.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using tb::ProjectFileBuilder;

namespace {

// GBK bytes of 道路 and 层.
const std::string kRoadGbk = "\xb5\xc0\xc2\xb7";
const std::string kLayerGbk = "\xb2\xe3";
constexpr std::size_t kItemTable = ProjectFileBuilder::kItemTable, kItemSize = ProjectFileBuilder::kItemSize;

ProjectFileBuilder ThreeItems() {
  ProjectFileBuilder b;
  b.Extent(1.5, -2.5, 100.25, 200.75).Projection(3, 2.5).Description("  Town plan 2024");
  b.AddItem(1, kRoadGbk + " " + kLayerGbk, "points of interest", 10.0, 20.0);
  b.AddItem(0, "rivers", "", -1.0, 0.5);
  b.AddItem(2, "   ", "   lakes and   ponds", 7.0, 8.0);
  return b;
}

class ProjectTest : public support::FileTest {
 protected:
};

TEST_F(ProjectTest, LoadsHeadItemsAndTokens) {
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("p.mpj", ThreeItems().Build()).c_str()), 3);
  double e[4] = {-7, -7, -7, -7};
  prj.GetExtentInfo(&e[0], &e[1], &e[2], &e[3]);
  EXPECT_EQ((std::vector<double>(e, e + 4)), (std::vector<double>{1.5, -2.5, 100.25, 200.75}));
  double second = 0, fourth = 0;
  prj.GetExtentInfo(nullptr, &second, nullptr, &fourth);
  EXPECT_EQ(second, -2.5);
  EXPECT_EQ(fourth, 200.75);

  wchar_t text[200];
  EXPECT_EQ(prj.GetMpjDesc(text), 0);
  EXPECT_STREQ(text, L"Town");
  EXPECT_EQ(prj.GetMpjDesc(nullptr), 0);
  // Item name and description: the first token, or the replacement text.
  const struct {
    int kind;
    const wchar_t* name;
    const wchar_t* description;
    double value1, value2;
  } items[] = {{1, L"道路", L"points", 10.0, 20.0},
               {3, L"rivers", L"NULL", -1.0, 0.5},
               {5, L"字段名错误", L"lakes", 7.0, 8.0}};
  for (int i = 0; i < 3; ++i) {
    double v1 = 0, v2 = 0;
    EXPECT_EQ(prj.GetItemInfo(i, text, &v1, &v2), items[i].kind);
    EXPECT_STREQ(text, items[i].name);
    EXPECT_EQ(v1, items[i].value1);
    EXPECT_EQ(v2, items[i].value2);
    EXPECT_EQ(prj.GetItemDesc(i, text), 0);
    EXPECT_STREQ(text, items[i].description);
  }
}

TEST_F(ProjectTest, RefusalsCountsAndIndices) {
  Terrix_Prj prj;
  const int before = tb::OpenFileCount();
  EXPECT_EQ(prj.LoadProject(Write("v.mpj", ThreeItems().Magic("WMAP`D22").Build()).c_str()),
            Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(Write("f8.mpj", ThreeItems().FormatNumber(8).Build()).c_str()), Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(Write("empty.mpj", {}).c_str()), Result::BadMagic);
  EXPECT_EQ(prj.LoadProject(dir.WidePath("missing.mpj").c_str()), Result::CannotOpen);
  EXPECT_EQ(prj.SaveProject(dir.WidePath("missing.mpj").c_str()), Result::CannotOpen);
  EXPECT_EQ(tb::OpenFileCount(), before);
  EXPECT_EQ(prj.SetItemInfo(0, L"x", 1, 2, 1), 0);  // nothing loaded: nothing changed

  // No items: the description falls back to "NULL"; saving writes nothing.
  ProjectFileBuilder none;
  const std::wstring path = Write("none.mpj", none.Description("").Build());
  const tb::Bytes unchanged = tb::ReadFile(dir.Path("none.mpj"));
  ASSERT_EQ(prj.LoadProject(path.c_str()), 0);
  wchar_t text[128];
  prj.GetMpjDesc(text);
  EXPECT_STREQ(text, L"NULL");
  EXPECT_EQ(prj.SetItemInfo(0, L"x", 1, 2, 1), 0);
  EXPECT_EQ(prj.SaveProject(path.c_str()), 0);
  EXPECT_EQ(tb::ReadFile(dir.Path("none.mpj")), unchanged);
  // A negative count loads nothing and is handed back as it stands.
  EXPECT_EQ(prj.LoadProject(Write("neg.mpj", ThreeItems().ItemCountField(-2).Build()).c_str()), -2);
  EXPECT_EQ(prj.GetItemInfo(0, text, nullptr, nullptr), Result::IoError);

  ASSERT_EQ(prj.LoadProject(Write("p.mpj", ThreeItems().Build()).c_str()), 3);
  std::wcscpy(text, L"keep");
  double v = 42;
  for (int index : {-1, 3, 1 << 30}) {
    EXPECT_EQ(prj.GetItemInfo(index, text, &v, &v), Result::IoError);
    EXPECT_EQ(prj.GetItemDesc(index, text), Result::IoError);
    EXPECT_EQ(prj.SetItemInfo(index, L"x", 1, 1, 1), Result::IoError);
  }
  EXPECT_STREQ(text, L"keep");
  EXPECT_EQ(v, 42);
}

TEST_F(ProjectTest, TextGettersStayInsideTheCallersBuffer) {
  // Fields without a terminating zero give their whole width, cut to the buffer.
  ProjectFileBuilder b;
  b.Description(std::string(128, 'm')).AddItem(7, std::string(128, 'n'), std::string(194, 'd'), 0, 0);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("long.mpj", b.Build()).c_str()), 1);
  const auto check = [](const std::function<void(wchar_t*)>& get, std::size_t size, wchar_t letter) {
    wchar_t buffer[260];
    std::wmemset(buffer, L'#', 260);
    get(buffer);
    EXPECT_EQ(std::wstring(buffer), std::wstring(size - 1, letter));
    EXPECT_EQ(buffer[size], L'#');
  };
  check([&](wchar_t* out) { prj.GetMpjDesc(out); }, 128, L'm');
  check([&](wchar_t* out) { EXPECT_EQ(prj.GetItemInfo(0, out, nullptr, nullptr), 7); }, 128, L'n');
  check([&](wchar_t* out) { prj.GetItemDesc(0, out); }, 194, L'd');
}

TEST_F(ProjectTest, StoredKindsAndTheProjectionRule) {
  ProjectFileBuilder b;
  b.AddItem(0, "a", "", 0, 0).AddItem(5, "b", "", 0, 0).AddItem(200, "c", "", 0, 0);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("k.mpj", b.Build()).c_str()), 3);
  EXPECT_EQ(prj.GetItemInfo(1, nullptr, nullptr, nullptr), 0);  // not in the table
  // Interface code -> stored kind, and back through GetItemInfo.
  const std::pair<int, int> kinds[] = {{1, 1}, {3, 0}, {5, 2}, {7, 7}, {9, 11}};
  for (const auto& [code, stored] : kinds) {
    EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, code), stored);
    EXPECT_EQ(prj.GetItemInfo(0, nullptr, nullptr, nullptr), code);
  }
  EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, 4), 11);  // unknown codes keep the kind
  EXPECT_EQ(prj.SetItemInfo(0, nullptr, 0, 0, 11), 11);
  EXPECT_EQ(prj.SetItemInfo(2, nullptr, 0, 0, 0), static_cast<std::int8_t>(200));  // sign-extended

  const struct {
    std::uint8_t type;
    double stored, handedOut;
  } cases[] = {{0, 3.0, 1.0}, {4, 0.0005, 1.0}, {4, 2.5, 2.5}, {4, 0.001, 0.001}, {4, -3.0, 1.0}};
  for (const auto& c : cases) {
    ProjectFileBuilder p;
    ASSERT_EQ(prj.LoadProject(Write("proj.mpj", p.Projection(c.type, c.stored).Build()).c_str()), 0);
    EXPECT_EQ(prj.GetProjectionInfo(nullptr), static_cast<char>(c.type));
    for (int twice = 0; twice < 2; ++twice) {  // the head keeps its own value
      MAP_PARAstruct out;
      std::memset(&out, 0x5A, sizeof out);
      EXPECT_EQ(prj.GetProjectionInfo(&out), static_cast<char>(c.type));
      const double coefficient = out.coefficient;  // packed field: copy before binding
      EXPECT_EQ(coefficient, c.handedOut) << int(c.type) << " " << c.stored;
      EXPECT_EQ(out.params0[0], 0);  // copied from the head, not left from before
    }
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
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + kItemTable, saved.begin()));
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t at = kItemTable + i * kItemSize;
    EXPECT_EQ(saved[at + 1], ProjectFileBuilder::ItemFiller(i, 1));
    for (std::size_t off = 340; off < 400; ++off)
      EXPECT_EQ(saved[at + off], ProjectFileBuilder::ItemFiller(i, off));
  }
  EXPECT_EQ(saved[kItemTable + kItemSize], 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[kItemTable + kItemSize + 2])),
            "\xba\xfe\xb2\xb4 lakes");
  // A shorter name takes its bytes and a zero; the rest of the field stays as it was.
  const std::size_t name0 = kItemTable + ProjectFileBuilder::kItemName;
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
  EXPECT_EQ(v2, 10.0);
  EXPECT_EQ(reloaded.GetItemInfo(0, name, nullptr, nullptr), 1);
  EXPECT_STREQ(name, L"ab");

  // Names too long for 127 bytes are cut at the last whole character.
  prj.SetItemInfo(0, std::wstring(300, L'a').c_str(), 0, 0, 1);
  prj.SetItemInfo(1, std::wstring(64, L'湖').c_str(), 0, 0, 3);  // 128 bytes of GBK
  ASSERT_EQ(prj.SaveProject(path.c_str()), 3);
  ASSERT_EQ(reloaded.LoadProject(path.c_str()), 3);
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
  // The file counts three items, the object holds two: the third stays.
  const std::wstring three = Write("three.mpj", ThreeItems().Build());
  const tb::Bytes before = tb::ReadFile(dir.Path("three.mpj"));
  EXPECT_EQ(two.SaveProject(three.c_str()), 2);
  const tb::Bytes after = tb::ReadFile(dir.Path("three.mpj"));
  ASSERT_EQ(after.size(), before.size());
  EXPECT_TRUE(std::equal(before.begin() + kItemTable + 2 * kItemSize, before.end(),
                         after.begin() + kItemTable + 2 * kItemSize));
  // The head was replaced by the file's.
  double e0 = 0;
  two.GetExtentInfo(&e0, nullptr, nullptr, nullptr);
  EXPECT_EQ(e0, 1.5);

  // An item table further on is written where it lies; the gap stays.
  const std::wstring moved = Write("moved.mpj", ThreeItems().ItemTableOffset(1200).Build());
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(moved.c_str()), 3);
  prj.SetItemInfo(2, nullptr, 77, 78, 7);
  EXPECT_EQ(prj.SaveProject(moved.c_str()), 3);
  const tb::Bytes movedBytes = tb::ReadFile(dir.Path("moved.mpj"));
  EXPECT_EQ(tb::Bytes(movedBytes.begin() + kItemTable, movedBytes.begin() + 1200),
            tb::Bytes(1200 - kItemTable, 0xEE));
  EXPECT_EQ(movedBytes[1200 + 2 * kItemSize], 7);
  EXPECT_EQ(tb::Peek<double>(movedBytes, 1200 + 2 * kItemSize + ProjectFileBuilder::kItemValue1), 77.0);

  // A table that claims to lie inside the head, or past the end of the file, is not written.
  for (std::int32_t offset : {500, 1 << 30}) {
    const std::wstring path = Write("bad.mpj", ThreeItems().ItemTableOffsetField(offset).Build());
    const tb::Bytes unchanged = tb::ReadFile(dir.Path("bad.mpj"));
    EXPECT_EQ(prj.SaveProject(path.c_str()), Result::NotHandled) << offset;
    EXPECT_EQ(tb::ReadFile(dir.Path("bad.mpj")), unchanged);
  }
}

TEST_F(ProjectTest, ShortFilesAndItemTablesBeyondTheEnd) {
  // Cut in the middle of the last item: the missing bytes read as zeros.
  tb::Bytes cut = ThreeItems().Build();
  cut.resize(kItemTable + 2 * kItemSize + ProjectFileBuilder::kItemValue1 + 4);
  Terrix_Prj prj;
  ASSERT_EQ(prj.LoadProject(Write("cut.mpj", cut).c_str()), 3);
  double v1 = -1, v2 = -1;
  EXPECT_EQ(prj.GetItemInfo(2, nullptr, &v1, &v2), 5);
  EXPECT_EQ(v2, 0.0);

  // Items beyond the end of the file read as zeros: a line item without a name.
  ASSERT_EQ(prj.LoadProject(Write("big.mpj", ThreeItems().ItemCountField(30000).Build()).c_str()), 30000);
  wchar_t name[128];
  EXPECT_EQ(prj.GetItemInfo(1, name, nullptr, nullptr), 3);
  EXPECT_STREQ(name, L"rivers");
  EXPECT_EQ(prj.GetItemInfo(29999, name, &v1, nullptr), 3);
  EXPECT_STREQ(name, L"字段名错误");
  EXPECT_EQ(v1, 0.0);
  // So do tables placed past the end, or at a negative offset (an unsigned 32-bit position).
  for (std::int32_t offset : {1 << 30, -400}) {
    ASSERT_EQ(prj.LoadProject(Write("far.mpj", ThreeItems().ItemTableOffsetField(offset).Build()).c_str()),
              3);
    v1 = -1;
    EXPECT_EQ(prj.GetItemInfo(0, name, &v1, nullptr), 3);
    EXPECT_EQ(v1, 0.0);
  }
}

TEST_F(ProjectTest, FailedReadsAndWritesCloseTheFile) {
  const std::wstring path = Write("p.mpj", ThreeItems().Build());
  const int files = tb::OpenFileCount();
  Terrix_Prj prj;
  for (long n = 1; n <= 6; ++n) {  // magic, format number, head, then one per item
    core::FileSeam::Reset();
    core::FileSeam::FailReadAt(n);
    EXPECT_EQ(prj.LoadProject(path.c_str()), Result::IoError) << "read " << n;
    EXPECT_EQ(tb::OpenFileCount(), files);
    EXPECT_EQ(prj.GetItemInfo(0, nullptr, nullptr, nullptr), Result::IoError);
  }
  core::FileSeam::Reset();
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
  EXPECT_EQ(partly[kItemTable + 2], 'f');  // the first item went out before the failure
  EXPECT_EQ(partly[kItemTable + kItemSize + 2], 'r');
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
  EXPECT_EQ(copy.GetItemInfo(0, name, nullptr, nullptr), 3);
  EXPECT_STREQ(name, L"copy");
  original = Terrix_Prj();
  EXPECT_EQ(original.GetItemInfo(0, nullptr, nullptr, nullptr), Result::IoError);
  EXPECT_EQ(assigned.GetItemInfo(2, nullptr, nullptr, nullptr), 5);
}

}  // namespace
