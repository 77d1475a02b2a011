#include "builder/MapFileBuilder.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tb {

const char* MagicFor(int kind) {
  static const char* const magics[] = {"WMAP`D21", "WMAP`D22", "WMAP`D23", "WMAP`D2?",
                                       "WMAP`D25", "WMAP`D2?", "WMAP`D2?", "WMAP`D28"};
  return kind >= 0 && kind < 8 ? magics[kind] : "WMAP`D2?";
}

MapFileBuilder::MapFileBuilder(int kind) : head_(600, 0) {
  Magic(MagicFor(kind));
  KindField(static_cast<std::int16_t>(kind));
}

MapFileBuilder& MapFileBuilder::Magic(const std::string& magic8) {
  for (std::size_t i = 0; i < 8; ++i) head_[i] = i < magic8.size() ? static_cast<std::uint8_t>(magic8[i]) : 0;
  return *this;
}

namespace {
// The directory lies at its offset (invalid offsets are laid at 657); the
// sections start at 817, or right behind a directory placed later.
std::size_t DirectoryPlace(std::int32_t offset) {
  return offset >= 0 && offset <= (1 << 20) ? static_cast<std::size_t>(offset) : 657;
}
std::uint32_t SectionsStart(std::int32_t directoryOffset) {
  return static_cast<std::uint32_t>(std::max<std::size_t>(DirectoryPlace(directoryOffset) + 160, 817));
}
}  // namespace

std::uint32_t MapFileBuilder::SectionOffset(int entry) const {
  std::uint32_t offset = SectionsStart(directoryOffset_);
  for (int k = 0; k < entry; ++k) offset += static_cast<std::uint32_t>(sections_.at(k).size());
  return offset;
}

Bytes MapFileBuilder::Build() const {
  Bytes out = head_;
  Poke(out, 12, directoryOffset_);
  Poke(out, 16, directoryCount_);
  // 16 real entries whatever the count field says.
  ByteWriter w;
  for (int k = 0; k < 16; ++k) {
    const Bytes& s = sections_.at(k);
    const auto entry = overrides_.at(k).value_or(
        std::make_pair(s.empty() ? 0u : SectionOffset(k), static_cast<std::uint32_t>(s.size())));
    w.u32(entry.first).u32(entry.second).u16(0xFFFF);
  }
  const std::size_t dirAt = DirectoryPlace(directoryOffset_);
  if (out.size() < dirAt + w.size()) out.resize(dirAt + w.size(), 0);
  std::copy(w.data().begin(), w.data().end(), out.begin() + static_cast<std::ptrdiff_t>(dirAt));
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

}  // namespace tb
