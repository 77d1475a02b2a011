// Builds vector map files byte by byte, well-formed or malformed on purpose,
// from the format description only (no library headers), so that a fault in
// the library cannot hide here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "builder/ByteWriter.h"

namespace tb {

/// File kinds and their magics.
enum Kind : std::int16_t { kLine = 0, kPoint = 1, kRegion = 2, kNetwork = 4, kTable = 7 };
const char* MagicFor(int kind);

/// A vector map file: a 600-byte head area, a directory of 16 entries (at
/// offset 657 by default) and the sections laid from offset 817 in entry order.
class MapFileBuilder {
 public:
  explicit MapFileBuilder(int kind);

  // Head fields.
  MapFileBuilder& Magic(const std::string& magic8);
  MapFileBuilder& KindField(std::int16_t kind) { return At(8, kind); }
  MapFileBuilder& RefusalFlag(std::int16_t flag) { return At(10, flag); }
  MapFileBuilder& DirectoryOffset(std::int32_t offset) { return Set(directoryOffset_, offset); }
  MapFileBuilder& DirectoryCount(std::int32_t count) { return Set(directoryCount_, count); }
  /// Projection type (byte 0) and the coefficient at offset 52 of the projection.
  MapFileBuilder& Projection(std::uint8_t type, double coefficient) {
    return At(91, type).At(143, coefficient);
  }
  /// Word `index` (0..10) of the element counts.
  MapFileBuilder& Count(int index, std::int32_t value) { return At(260 + 4 * index, value); }
  MapFileBuilder& Extent(double xmin, double ymin, double xmax, double ymax) {
    return At(304, xmin).At(312, ymin).At(320, xmax).At(328, ymax);
  }
  MapFileBuilder& Tics(std::int32_t count, std::uint32_t offset) { return At(592, count).At(596, offset); }

  /// Content of section `entry` (0..15).
  MapFileBuilder& Section(int entry, Bytes bytes) { return Set(sections_.at(entry), std::move(bytes)); }
  /// Stores this (offset, length) in the directory instead of the laid-out one.
  MapFileBuilder& OverrideEntry(int entry, std::uint32_t offset, std::uint32_t length) {
    return Set(overrides_.at(entry), std::make_pair(offset, length));
  }

  /// The whole file; byte offsets of the laid-out sections are in SectionOffset.
  Bytes Build() const;
  std::uint32_t SectionOffset(int entry) const;
  /// Builds and writes the file; returns the path.
  std::string WriteTo(const std::string& path) const;
  /// Raw head-area bytes (600), for edits beyond the named setters.

 private:
  template <typename T>
  MapFileBuilder& At(std::size_t offset, T value) {
    Poke(head_, offset, value);
    return *this;
  }
  template <typename M, typename T>
  MapFileBuilder& Set(M& member, T value) {
    member = std::move(value);
    return *this;
  }
  Bytes head_;
  std::int32_t directoryOffset_ = 657;
  std::int32_t directoryCount_ = 16;
  std::array<Bytes, 16> sections_;
  std::array<std::optional<std::pair<std::uint32_t, std::uint32_t>>, 16> overrides_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

/// A fresh directory under the system temp folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  /// The path as a wide string, as the library's operations take it.
  std::wstring WidePath(const std::string& name) const { return Widen(Path(name)); }
  /// Widens an ASCII path (tests use ASCII names) to wchar_t.
  static std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

 private:
  std::string dir_;
};

inline std::wstring Widen(const std::string& s) {
  return TempDir::Widen(s);
}

}  // namespace tb
