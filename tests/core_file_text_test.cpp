// The file layer (modes, short reads, the read-through buffer, the test seam)
// and the code-page conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <random>

#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "core/Text.h"
#include "terrix/CodePage.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using core::File;
using core::FileSeam;
using core::OpenMode;

namespace {
tb::Bytes Pattern(std::size_t n) {
  tb::Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 131u + 7u) >> 3);
  return b;
}
}  // namespace

TEST(File, OpenModes) {
  tb::TempDir dir;
  File f;
  EXPECT_FALSE(f.Open(dir.WidePath("missing").c_str(), OpenMode::Read));
  EXPECT_FALSE(f.Open(dir.WidePath("missing").c_str(), OpenMode::Update));
  EXPECT_FALSE(f.IsOpen());
  EXPECT_FALSE(f.Open(nullptr, OpenMode::Read));
  EXPECT_FALSE(f.Open(tb::Widen(dir.Path("")).c_str(), OpenMode::Read)) << "a directory is no file";

  tb::WriteFile(dir.Path("a"), tb::Bytes(100, 0xAB));
  ASSERT_TRUE(f.Open(dir.WidePath("a").c_str(), OpenMode::Create));  // empties it
  EXPECT_EQ(f.Size(), 0u);
  std::uint8_t byte = 0;
  EXPECT_FALSE(f.Read(&byte, 1)) << "created files are write-only";
  f.Seek(10);
  ASSERT_TRUE(f.Write("xy", 2));
  f.Close();
  const tb::Bytes written = tb::ReadFile(dir.Path("a"));
  ASSERT_EQ(written.size(), 12u);
  EXPECT_EQ(written[0], 0) << "a gap behind a positioned write reads as zero";
  EXPECT_EQ(written[10], 'x');

  ASSERT_TRUE(f.Open(dir.WidePath("a").c_str(), OpenMode::Update));
  f.Seek(0);
  ASSERT_TRUE(f.Write("Q", 1));
  f.Seek(10);
  char two[2] = {};
  ASSERT_TRUE(f.Read(two, 2));
  EXPECT_EQ(std::memcmp(two, "xy", 2), 0);
  f.Close();

  ASSERT_TRUE(f.Open(dir.WidePath("a").c_str(), OpenMode::Read));
  EXPECT_FALSE(f.Write("z", 1)) << "read-only files refuse writes";
}

TEST(File, ShortReadSucceedsAndKeepsTheRest) {
  tb::TempDir dir;
  tb::WriteFile(dir.Path("short"), tb::Bytes{1, 2, 3});
  for (OpenMode mode : {OpenMode::Read, OpenMode::Update}) {
    File f;
    ASSERT_TRUE(f.Open(dir.WidePath("short").c_str(), mode));
    std::uint8_t out[8];
    std::memset(out, 0xEE, sizeof out);
    f.Seek(1);
    std::size_t got = 99;
    ASSERT_TRUE(f.Read(out, sizeof out, got));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(out[2], 0xEE) << "bytes beyond the end are left as they were";
    f.Seek(1u << 31);
    ASSERT_TRUE(f.Read(out, 4, got));
    EXPECT_EQ(got, 0u);
  }
}

// Positioned reads through the read-through buffer give the bytes the file
// holds: random small reads, reads across block edges and large reads, mixed
// with sequential runs in three distant parts of the file read in turn (a
// polygon's arc list behind all coordinates, then its points), which keep
// their own blocks, also after the file has been moved.
TEST(File, BufferedReadsMatchTheFile) {
  tb::TempDir dir;
  const tb::Bytes content = Pattern(400000);
  tb::WriteFile(dir.Path("big"), content);
  File f;
  ASSERT_TRUE(f.Open(dir.WidePath("big").c_str(), OpenMode::Read));
  std::mt19937 rng(7);
  std::size_t runs[3] = {10, 200003, 399000};  // the last run meets the end
  std::vector<std::uint8_t> out;
  for (int i = 0; i < 3000; ++i) {
    const bool random = i % 2 == 0;
    std::size_t& run = runs[(i / 2) % 3];
    const std::size_t pos = random ? rng() % (content.size() + 100) : run;
    const std::size_t len = !random ? 37 : (i % 50 == 0) ? 70000 + rng() % 10000 : rng() % 300;
    if (!random) run += len;
    if (i % 7 == 0) {
      File moved = std::move(f);  // the blocks travel with the file
      f = std::move(moved);
    }
    out.assign(len, 0x5A);
    f.Seek(pos);
    std::size_t got = 0;
    ASSERT_TRUE(f.Read(out.data(), len, got));
    const std::size_t expect = pos >= content.size() ? 0 : std::min(len, content.size() - pos);
    ASSERT_EQ(got, expect) << pos << "+" << len;
    ASSERT_EQ(std::memcmp(out.data(), content.data() + std::min(pos, content.size()), got), 0) << pos;
    EXPECT_TRUE(got == len || out[got] == 0x5A) << "bytes beyond the end are left as they were";
    EXPECT_EQ(f.Position(), pos + got);
  }
}

TEST(File, SeamCountsAndFailsTheNthOperation) {
  tb::TempDir dir;
  tb::WriteFile(dir.Path("s"), Pattern(64));
  File f;
  ASSERT_TRUE(f.Open(dir.WidePath("s").c_str(), OpenMode::Update));
  FileSeam::Reset();
  FileSeam::FailReadAt(2);
  std::uint8_t b[4];
  EXPECT_TRUE(f.Read(b, 4));
  EXPECT_FALSE(f.Read(b, 4));
  EXPECT_TRUE(f.Read(b, 4));
  EXPECT_EQ(FileSeam::ReadCount(), 3);
  FileSeam::FailWriteAt(1);
  EXPECT_FALSE(f.Write(b, 4));
  EXPECT_TRUE(f.Write(b, 4));
  EXPECT_EQ(FileSeam::WriteCount(), 2);
  FileSeam::Reset();
  EXPECT_EQ(FileSeam::ReadCount(), 0);
}

// "字段名" (field name) in GBK: the default code page of every thread.
TEST(CodePage, GbkRoundTripsAndReplacements) {
  EXPECT_EQ(GetThreadCodePage(), DefaultCodePage);
  const char gbk[] = "\xD7\xD6\xB6\xCE\xC3\xFB";  // 字段名
  const std::wstring wide = core::CodePageToWide(gbk, 6);
  EXPECT_EQ(wide, L"字段名");
  EXPECT_EQ(core::WideToCodePage(wide), std::string(gbk));

  // A lone lead byte does not decode; a character GBK lacks does not encode.
  EXPECT_EQ(core::CodePageToWide("a\xD7", 2), std::wstring(L"a\uFFFD"));
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"x\u0E01y")), "x?y");
  EXPECT_EQ(core::CodePageToWide(nullptr, 3), L"");

  ASSERT_EQ(SetThreadCodePage(65001), Result::Success);
  EXPECT_EQ(core::WideToCodePage(std::wstring(L"é")), "\xC3\xA9");
  EXPECT_EQ(SetThreadCodePage(123456789), Result::NotHandled);
  EXPECT_EQ(GetThreadCodePage(), 65001u) << "a refused code page leaves the previous one";
  ASSERT_EQ(SetThreadCodePage(DefaultCodePage), Result::Success);
  EXPECT_EQ(core::CodePageToWide(gbk, 6), L"字段名");
}

TEST(CodePage, PathsAreUtf8) {
  EXPECT_EQ(core::WideToUtf8(L"a/é/字"), "a/\xC3\xA9/\xE5\xAD\x97");
  tb::TempDir dir;
  tb::WriteFile(dir.Path("\xC3\xA9t\xC3\xA9"), tb::Bytes{1});
  File f;
  EXPECT_TRUE(f.Open((tb::Widen(dir.Path("")) + L"été").c_str(), OpenMode::Read));
}
