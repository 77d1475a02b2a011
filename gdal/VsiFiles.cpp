#include "VsiFiles.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "Diagnostics.h"
#include "OutputFile.h"

namespace Terrix::Ogr {

namespace {

VSILFILE* Handle(void* file) {
  return static_cast<VSILFILE*>(file);
}

void* HookOpen(const char* path, const char* access, void*) {
  // "rb", "r+b" and "w+b" mean the same to VSIFOpenL as to fopen.
  return VSIFOpenL(path, access);
}

std::size_t HookRead(void* buffer, std::size_t size, void* file) {
  return VSIFReadL(buffer, 1, size, Handle(file));
}

std::size_t HookWrite(const void* buffer, std::size_t size, void* file) {
  return VSIFWriteL(buffer, 1, size, Handle(file));
}

int HookSeek(void* file, std::uint64_t offset) {
  return VSIFSeekL(Handle(file), offset, SEEK_SET);
}

std::uint64_t HookTell(void* file) {
  return VSIFTellL(Handle(file));
}

// By seeking to the end and back: every VSI handle that can be read at
// random supports it, archives and /vsistdin/ included.
std::uint64_t HookSize(void* file) {
  VSILFILE* f = Handle(file);
  const vsi_l_offset at = VSIFTellL(f);
  if (VSIFSeekL(f, 0, SEEK_END) != 0) return 0;
  const vsi_l_offset size = VSIFTellL(f);
  VSIFSeekL(f, at, SEEK_SET);
  return size;
}

int HookClose(void* file) {
  return VSIFCloseL(Handle(file));
}

const FileHooks kVsiHooks{HookOpen, HookRead, HookWrite, HookSeek, HookTell, HookSize, HookClose, nullptr};

}  // namespace

const FileHooks& VsiHooks() {
  return kVsiHooks;
}

bool IsVirtual(const std::string& path) {
  return STARTS_WITH(path.c_str(), "/vsi");
}

bool IsDirectory(const std::string& path) {
  VSIStatBufL st{};
  return VSIStatL(path.c_str(), &st) == 0 && VSI_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  VSIStatBufL st{};
  return VSIStatExL(path.c_str(), &st, VSI_STAT_EXISTS_FLAG) == 0;
}

std::vector<std::string> ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  char** entries = VSIReadDir(path.c_str());
  for (char** e = entries; e != nullptr && *e != nullptr; ++e)
    if (std::strcmp(*e, ".") != 0 && std::strcmp(*e, "..") != 0) names.emplace_back(*e);
  CSLDestroy(entries);
  std::sort(names.begin(), names.end());
  return names;
}

bool IsMapFile(const std::string& path) {
  VSIStatBufL st{};
  if (VSIStatL(path.c_str(), &st) != 0 || !VSI_ISREG(st.st_mode)) return false;
  VSILFILE* f = VSIFOpenL(path.c_str(), "rb");
  if (f == nullptr) return false;
  unsigned char head[kMagicLength] = {};
  const std::size_t n = VSIFReadL(head, 1, sizeof head, f);
  VSIFCloseL(f);
  return n == sizeof head && IdentifyFile(head, n).format == FileFormat::VectorMap;
}

bool IsWritable(const std::string& path) {
  if (STARTS_WITH(path.c_str(), "/vsimem/")) return true;
  if (IsVirtual(path)) return false;
  const std::string dir = CPLGetPath(path.c_str());
  return ::access(path.c_str(), W_OK) == 0 && ::access(dir.empty() ? "." : dir.c_str(), W_OK) == 0;
}

LocalScratch::LocalScratch() {
  const char* base = CPLGetConfigOption("CPL_TMPDIR", nullptr);
  if (base == nullptr) base = std::getenv("TMPDIR");
  if (base == nullptr || *base == '\0') base = "/tmp";
  std::string pattern = std::string(base) + "/terrix-ogr-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr)
    throw Convert::ConversionError(base,
                                   std::string("cannot make a temporary directory: ") + std::strerror(errno));
  path_ = pattern;
}

LocalScratch::~LocalScratch() {
  // Only what the plugin left there: the files it wrote.
  for (const std::string& name : ListDirectory(path_)) ::unlink((path_ + "/" + name).c_str());
  ::rmdir(path_.c_str());
}

void CopyIntoTarget(const std::string& local, const std::string& target) {
  VSILFILE* in = VSIFOpenL(local.c_str(), "rb");
  if (in == nullptr) throw Convert::ConversionError(local, "cannot read the file written");
  VSILFILE* out = VSIFOpenL(target.c_str(), "wb");
  if (out == nullptr) {
    VSIFCloseL(in);
    throw Convert::ConversionError(target, "cannot be written");
  }
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (;;) {
    const std::size_t n = VSIFReadL(buffer.data(), 1, buffer.size(), in);
    if (n > 0 && VSIFWriteL(buffer.data(), 1, n, out) != n) {
      ok = false;
      break;
    }
    if (n < buffer.size()) {
      ok = VSIFEofL(in) != 0;
      break;
    }
  }
  VSIFCloseL(in);
  ok = VSIFCloseL(out) == 0 && ok;
  if (!ok) {
    if (!STARTS_WITH(target.c_str(), "/vsistdout")) VSIUnlink(target.c_str());
    throw Convert::ConversionError(target, "writing failed; nothing is left there");
  }
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  try {
    // A local file is written under a temporary name beside it and renamed
    // when complete (links followed, devices refused), as the map files are.
    std::unique_ptr<Convert::OutputFile> local;
    if (!IsVirtual(path)) local = std::make_unique<Convert::OutputFile>(path);
    const std::string written = local ? local->TemporaryPath() : path;
    VSILFILE* f = VSIFOpenL(written.c_str(), "wb");
    bool ok = f != nullptr && VSIFWriteL(text.data(), 1, text.size(), f) == text.size();
    if (f != nullptr) ok = VSIFCloseL(f) == 0 && ok;
    if (!ok) {
      if (!local) VSIUnlink(path.c_str());
      throw Convert::ConversionError(path, "cannot be written");
    }
    if (local) local->Commit();
    return true;
  } catch (const std::exception& e) {
    CPLError(CE_Warning, CPLE_FileIO, "%s", e.what());
    return false;
  }
}

bool ReadTextFile(const std::string& path, std::string& text, std::size_t limit) {
  VSILFILE* f = VSIFOpenL(path.c_str(), "rb");
  if (f == nullptr) return false;
  text.clear();
  char buffer[4096];
  std::size_t n = 0;
  while ((n = VSIFReadL(buffer, 1, sizeof buffer, f)) > 0 && text.size() <= limit) text.append(buffer, n);
  VSIFCloseL(f);
  return text.size() <= limit;
}

}  // namespace Terrix::Ogr
