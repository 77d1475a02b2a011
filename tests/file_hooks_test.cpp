// Files through a host's hooks: the platform's files through stdio under a
// "host:" prefix the platform does not know. The writer and the reader run over
// them as over the platform's files, every hook the library needs is used, and
// a failing hook is a failure the library reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TerrixLib.h"
#include "WriterTestSupport.h"
#include "builder/MapFileBuilder.h"

namespace {

using namespace Terrix;
using namespace Terrix::Result;
using writer_support::StepWriter;

// The hooks the library calls (it never needs Tell), each call counted; the
// one `failing` names fails.
enum Hook { kOpen, kRead, kWrite, kSeek, kSize, kClose, kHooks };
int calls[kHooks], failing = kHooks;
bool Fails(Hook h) {
  return ++calls[h], h == failing;
}
std::FILE* F(void* file) {
  return static_cast<std::FILE*>(file);
}

const FileHooks kHost = {
    [](const char* path, const char* access, void*) -> void* {
      return Fails(kOpen) || std::strncmp(path, "host:", 5) != 0 ? nullptr : std::fopen(path + 5, access);
    },
    [](void* buffer, std::size_t size, void* file) {
      return Fails(kRead) ? 0 : std::fread(buffer, 1, size, F(file));
    },
    [](const void* buffer, std::size_t size, void* file) {
      return Fails(kWrite) ? 0 : std::fwrite(buffer, 1, size, F(file));
    },
    [](void* file, std::uint64_t at) {
      return Fails(kSeek) ? 1 : std::fseek(F(file), static_cast<long>(at), SEEK_SET);
    },
    [](void* file) { return static_cast<std::uint64_t>(std::ftell(F(file))); },
    [](void* file) -> std::uint64_t {
      return Fails(kSize) || std::fseek(F(file), 0, SEEK_END) != 0 ? 0 : std::ftell(F(file));
    },
    [](void* file) { return Fails(kClose), std::fclose(F(file)); },
    nullptr};

// A region file of one polygon and one value, written step by step and read
// back: the code of each step and read, in order.
std::vector<std::int32_t> WriteAndRead(const std::wstring& path, Geometry* g) {
  std::vector<std::int32_t> codes;
  {
    StepWriter w;
    codes.push_back(w.Create(path.c_str(), 2));
    const GeometryHolder square = writer_support::Geo({{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}}, {0});
    codes.push_back(w.AddPolygonInfo(writer_support::InUse<TERRIX_RegInfo>(), *square));
    codes.push_back(w.AddFieldInfo(L"n", 3, 4, 0, 0));
    codes.push_back(w.WriteLongAttribute(0, 0, 42));
    for (auto step : {&StepWriter::BuildMapPart, &StepWriter::WriteHeadInfo, &StepWriter::WriteGeomInfo,
                      &StepWriter::WriteGeometry, &StepWriter::WriteFieldInfo, &StepWriter::WriteRecordAll,
                      &StepWriter::WriteEndInfo})
      codes.push_back((w.*step)());
  }
  Terrix_FastReader reader;
  codes.push_back(reader.Open(path.c_str()));
  codes.push_back(reader.ReadPolygonInfo(0, nullptr, g));
  EmptyGeometry(g);  // the next read into it must not leak these arrays
  codes.push_back(reader.GetFieldCount());
  codes.push_back(reader.ReadLongAttribute(0, 0));
  return codes;
}

class Hooked : public ::testing::Test {
 protected:
  void SetUp() override {
    std::fill(calls, calls + kHooks, 0);
    failing = kHooks;
    previous_ = SetThreadFileHooks(&kHost);
  }
  void TearDown() override { SetThreadFileHooks(previous_); }
  std::wstring Host(const std::string& name) { return L"host:" + dir.WidePath(name); }
  tb::TempDir dir;
  GeometryHolder g = MakeGeometry();
  const FileHooks* previous_ = nullptr;
};

}  // namespace

TEST_F(Hooked, WriterAndReaderUseEveryHookAndWriteWhatThePlatformWrites) {
  const std::vector<std::int32_t> codes = WriteAndRead(Host("hooked.tmf"), g.get());
  constexpr std::int32_t S = Result::Success;  // Create, add, field, value, steps, open, reads:
  EXPECT_EQ(codes, (std::vector<std::int32_t>{S, S, 1, 1, S, S, S, S, S, S, S, S, S, 1, 42}));
  for (int h = 0; h < kHooks; ++h) EXPECT_GT(calls[h], 0) << "hook " << h << " not used";
  EXPECT_EQ(calls[kOpen], calls[kClose]) << "every file opened through the hooks is closed through them";
  SetThreadFileHooks(nullptr);
  WriteAndRead(dir.WidePath("platform.tmf"), g.get());
  EXPECT_EQ(tb::ReadFile(dir.Path("hooked.tmf")), tb::ReadFile(dir.Path("platform.tmf")));
  // A file keeps the hooks it was opened with.
  SetThreadFileHooks(&kHost);
  Terrix_FastReader reader;
  ASSERT_EQ(reader.Open(Host("hooked.tmf").c_str()), Result::Success);
  SetThreadFileHooks(nullptr);
  EXPECT_EQ(reader.ReadPolygonInfo(0, nullptr, g.get()), Result::Success);
  EXPECT_EQ(reader.Open(Host("hooked.tmf").c_str()), Result::CannotOpen) << "not a platform file";
}

TEST_F(Hooked, AFailingHookIsAFailedOpenReadOrWrite) {
  const std::vector<std::int32_t> clean = WriteAndRead(Host("clean.tmf"), g.get());
  const struct {
    Hook hook;
    std::size_t call;  // the first call whose code differs from the clean run's
    std::int32_t code;
  } cases[] = {
      // clang-format off
      {kOpen, 0, CannotOpen}, {kWrite, 5, IoError}, {kSeek, 5, IoError}, {kRead, 11, BadMagic},
      {kSize, 12, NotInUse},
      // clang-format on
  };
  for (const auto& c : cases) {
    failing = c.hook;
    const std::vector<std::int32_t> codes = WriteAndRead(Host("failing.tmf"), g.get());
    const std::size_t first = std::mismatch(codes.begin(), codes.end(), clean.begin()).first - codes.begin();
    ASSERT_LT(first, codes.size()) << "hook " << c.hook << " failed unseen";
    EXPECT_EQ(first, c.call) << "hook " << c.hook;
    EXPECT_EQ(codes[first], c.code) << "hook " << c.hook;
  }
}
