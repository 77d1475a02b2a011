// Files through a host's hooks: an in-memory file system stands in for a
// host's virtual files. The writer, the readers and the styling loaders run
// over it exactly as over the platform's files, the test seam still counts,
// and the hooks' failures are the library's failures.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "WriterTestSupport.h"
#include "builder/MapFileBuilder.h"
#include "builder/StyleFileBuilder.h"
#include "core/File.h"
#include "terrix/ColorLib.h"
#include "terrix/FastReader.h"
#include "terrix/FileHooks.h"
#include "terrix/ResultCodes.h"

namespace {

// Files in memory, by path; an open file is its path and a position.
struct MemoryFiles {
  std::map<std::string, std::string> files;
  int opens = 0, closes = 0;
  bool failWrites = false;
};

struct MemoryFile {
  MemoryFiles* fs;
  std::string* bytes;
  std::uint64_t position = 0;
};

Terrix::FileHooks MemoryHooks(MemoryFiles& fs) {
  Terrix::FileHooks h{};
  h.userData = &fs;
  h.Open = [](const char* path, const char* access, void* user) -> void* {
    auto* fs = static_cast<MemoryFiles*>(user);
    const std::string a = access;
    auto it = fs->files.find(path);
    if (a == "w+b")
      it = fs->files.insert_or_assign(path, std::string()).first;
    else if (it == fs->files.end())
      return nullptr;
    ++fs->opens;
    return new MemoryFile{fs, &it->second};
  };
  h.Read = [](void* buffer, std::size_t size, void* file) -> std::size_t {
    auto* f = static_cast<MemoryFile*>(file);
    if (f->position >= f->bytes->size()) return 0;
    const std::size_t n = std::min<std::size_t>(size, f->bytes->size() - f->position);
    std::memcpy(buffer, f->bytes->data() + f->position, n);
    f->position += n;
    return n;
  };
  h.Write = [](const void* buffer, std::size_t size, void* file) -> std::size_t {
    auto* f = static_cast<MemoryFile*>(file);
    if (f->fs->failWrites) return 0;
    if (f->bytes->size() < f->position + size) f->bytes->resize(f->position + size);
    std::memcpy(f->bytes->data() + f->position, buffer, size);
    f->position += size;
    return size;
  };
  h.Seek = [](void* file, std::uint64_t offset) {
    static_cast<MemoryFile*>(file)->position = offset;
    return 0;
  };
  h.Tell = [](void* file) { return static_cast<MemoryFile*>(file)->position; };
  h.Size = [](void* file) -> std::uint64_t { return static_cast<MemoryFile*>(file)->bytes->size(); };
  h.Close = [](void* file) {
    auto* f = static_cast<MemoryFile*>(file);
    ++f->fs->closes;
    delete f;
    return 0;
  };
  return h;
}

// A region file written by the library, with one polygon and one value.
void WriteRegionFile(const wchar_t* path) {
  Terrix::Terrix_Writer w;
  ASSERT_EQ(w.Create(path, 2), Terrix::Result::Success);
  const Terrix::GeometryHolder g = writer_support::Geo({{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}}, {0});
  ASSERT_EQ(w.AddPolygonInfo(writer_support::InUse<Terrix::TERRIX_RegInfo>(), *g), Terrix::Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"n", 3, 4, 0, 0), 1);
  ASSERT_TRUE(w.WriteLongAttribute(0, 0, 42));
  w.Flush();
  w.Close();
}

class Hooked : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = Terrix::SetThreadFileHooks(&hooks_); }
  void TearDown() override { Terrix::SetThreadFileHooks(previous_); }
  MemoryFiles fs_;
  Terrix::FileHooks hooks_ = MemoryHooks(fs_);
  const Terrix::FileHooks* previous_ = nullptr;
};

}  // namespace

TEST_F(Hooked, WriterAndReaderRunOverTheHostsFiles) {
  WriteRegionFile(L"mem://regions.tmf");
  ASSERT_EQ(fs_.files.count("mem://regions.tmf"), 1u);
  // The same file through the platform's files has the same bytes.
  Terrix::SetThreadFileHooks(nullptr);
  tb::TempDir dir;
  WriteRegionFile(dir.WidePath("regions.tmf").c_str());
  const tb::Bytes onDisk = tb::ReadFile(dir.Path("regions.tmf"));
  EXPECT_EQ(fs_.files["mem://regions.tmf"], std::string(onDisk.begin(), onDisk.end()));
  Terrix::SetThreadFileHooks(&hooks_);

  Terrix::Terrix_FastReader reader;
  ASSERT_EQ(reader.Open(L"mem://regions.tmf"), Terrix::Result::Success);
  // The file keeps the hooks it was opened with.
  Terrix::SetThreadFileHooks(nullptr);
  Terrix::GeometryHolder g = Terrix::MakeGeometry();
  ASSERT_EQ(reader.ReadPolygonInfo(0, nullptr, g.get()), Terrix::Result::Success);
  EXPECT_EQ(g->vertexCount, 5);
  EXPECT_EQ(g->y[2], 4);
  ASSERT_EQ(reader.GetFieldCount(), 1);
  EXPECT_EQ(reader.ReadLongAttribute(0, 0), 42);
  reader.Close();
  EXPECT_EQ(fs_.opens, fs_.closes) << "every file opened through the hooks is closed through them";
  EXPECT_EQ(reader.Open(L"mem://regions.tmf"), Terrix::Result::CannotOpen) << "not a platform file";
}

TEST_F(Hooked, StylingFilesTheSeamAndTheHostsFailures) {
  const tb::Bytes colors = tb::ColorLibBuilder().AddColor(0, 255, 0, 0, {}).Build();
  fs_.files["mem://c.clr"] = std::string(colors.begin(), colors.end());
  Terrix::Terrix_ColorLib library;
  EXPECT_EQ(library.LoadColors(L"mem://c.clr"), 1);

  Terrix::core::FileSeam::Reset();
  Terrix::core::File file;
  ASSERT_TRUE(file.OpenUtf8("mem://c.clr", Terrix::core::OpenMode::Read));
  EXPECT_EQ(file.Size(), colors.size());
  char head[8] = {};
  Terrix::core::FileSeam::FailReadAt(2);
  EXPECT_TRUE(file.Read(head, sizeof head));
  EXPECT_EQ(std::string(head, 8), "PCOLOR 3");
  EXPECT_FALSE(file.Read(head, sizeof head)) << "the seam fails the second read";
  EXPECT_EQ(Terrix::core::FileSeam::OpenCount(), 1);
  // The host's failures are failures.
  fs_.failWrites = true;
  ASSERT_TRUE(file.OpenUtf8("mem://new.bin", Terrix::core::OpenMode::Create));
  EXPECT_FALSE(file.Write("abc", 3));
  Terrix::Terrix_FastReader reader;
  EXPECT_EQ(reader.Open(L"mem://missing.tmf"), Terrix::Result::CannotOpen);
}
