#include "builder/MapFileBuilder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tb {

namespace {
// Head area offsets, as the format describes them.
constexpr std::size_t kHeadArea = 600;
constexpr std::size_t kKind = 8, kRefusal = 10, kDirOffset = 12, kDirCount = 16;
constexpr std::size_t kProjection = 91, kCounts = 260, kExtent = 304, kTicCount = 592, kTicOffset = 596;
}  // namespace

const char* MagicFor(int kind) {
  switch (kind) {
    case kLine:
      return "WMAP`D21";
    case kPoint:
      return "WMAP`D22";
    case kRegion:
      return "WMAP`D23";
    case kNetwork:
      return "WMAP`D25";
    case kTable:
      return "WMAP`D28";
    default:
      return "WMAP`D2?";
  }
}

MapFileBuilder::MapFileBuilder(int kind) : head_(kHeadArea, 0) {
  Magic(MagicFor(kind));
  KindField(static_cast<std::int16_t>(kind));
}

MapFileBuilder& MapFileBuilder::Magic(const std::string& magic8) {
  for (std::size_t i = 0; i < 8; ++i) head_[i] = i < magic8.size() ? static_cast<std::uint8_t>(magic8[i]) : 0;
  return *this;
}
MapFileBuilder& MapFileBuilder::KindField(std::int16_t kind) {
  Poke(head_, kKind, kind);
  return *this;
}
MapFileBuilder& MapFileBuilder::RefusalFlag(std::int16_t flag) {
  Poke(head_, kRefusal, flag);
  return *this;
}
MapFileBuilder& MapFileBuilder::DirectoryOffset(std::int32_t offset) {
  directoryOffset_ = offset;
  return *this;
}
MapFileBuilder& MapFileBuilder::DirectoryCount(std::int32_t count) {
  directoryCount_ = count;
  return *this;
}
MapFileBuilder& MapFileBuilder::Projection(std::uint8_t type, double coefficient) {
  head_[kProjection] = type;
  Poke(head_, kProjection + 52, coefficient);
  return *this;
}
MapFileBuilder& MapFileBuilder::Count(int index, std::int32_t value) {
  Poke(head_, kCounts + 4 * static_cast<std::size_t>(index), value);
  return *this;
}
MapFileBuilder& MapFileBuilder::Extent(double xmin, double ymin, double xmax, double ymax) {
  Poke(head_, kExtent, xmin);
  Poke(head_, kExtent + 8, ymin);
  Poke(head_, kExtent + 16, xmax);
  Poke(head_, kExtent + 24, ymax);
  return *this;
}
MapFileBuilder& MapFileBuilder::Tics(std::int32_t count, std::uint32_t offset) {
  Poke(head_, kTicCount, count);
  Poke(head_, kTicOffset, offset);
  return *this;
}
MapFileBuilder& MapFileBuilder::Section(int entry, Bytes bytes) {
  sections_.at(static_cast<std::size_t>(entry)) = std::move(bytes);
  return *this;
}
Bytes& MapFileBuilder::SectionBytes(int entry) { return sections_.at(static_cast<std::size_t>(entry)); }
MapFileBuilder& MapFileBuilder::OverrideEntry(int entry, std::uint32_t offset, std::uint32_t length) {
  overrides_.at(static_cast<std::size_t>(entry)) = std::make_pair(offset, length);
  return *this;
}

namespace {
// The directory lies at its offset (657 by default; invalid offsets are laid
// at 657); sections start at 817, or right behind a directory placed later.
std::size_t DirectoryPlace(std::int32_t offset) {
  return offset >= 0 && offset <= (1 << 20) ? static_cast<std::size_t>(offset) : 657;
}
std::uint32_t SectionsStart(std::int32_t directoryOffset) {
  const std::size_t end = DirectoryPlace(directoryOffset) + 160;
  return static_cast<std::uint32_t>(end > 817 ? end : 817);
}
}  // namespace

std::uint32_t MapFileBuilder::SectionOffset(int entry) const {
  std::uint32_t offset = SectionsStart(directoryOffset_);
  for (int k = 0; k < entry; ++k) offset += static_cast<std::uint32_t>(sections_[static_cast<std::size_t>(k)].size());
  return offset;
}

Bytes MapFileBuilder::Build() const {
  Bytes out = head_;
  Poke(out, kDirOffset, directoryOffset_);
  Poke(out, kDirCount, directoryCount_);
  // The directory is laid at its offset, with 16 real entries whatever the
  // count field says; sections follow from 817.
  ByteWriter w;
  for (int k = 0; k < 16; ++k) {
    const auto idx = static_cast<std::size_t>(k);
    std::uint32_t offset = sections_[idx].empty() ? 0 : SectionOffset(k);
    std::uint32_t length = static_cast<std::uint32_t>(sections_[idx].size());
    if (overrides_[idx]) {
      offset = overrides_[idx]->first;
      length = overrides_[idx]->second;
    }
    w.u32(offset).u32(length).u16(0xFFFF);
  }
  const Bytes directory = w.take();
  const std::size_t dirAt = DirectoryPlace(directoryOffset_);
  if (out.size() < dirAt + directory.size()) out.resize(dirAt + directory.size(), 0);
  std::copy(directory.begin(), directory.end(), out.begin() + static_cast<std::ptrdiff_t>(dirAt));
  out.resize(SectionsStart(directoryOffset_), 0);
  for (const Bytes& s : sections_) out.insert(out.end(), s.begin(), s.end());
  return out;
}

std::string MapFileBuilder::WriteTo(const std::string& path) const {
  WriteFile(path, Build());
  return path;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error("cannot write " + path);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + path);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "terrix-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::wstring TempDir::WidePath(const std::string& name) const { return Widen(Path(name)); }

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace tb
