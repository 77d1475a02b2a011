// Builds vector map files byte by byte, well-formed or malformed on purpose.
// It knows the file layout from the format description only, not from the
// library's sources, so that a fault in the library cannot hide here.
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

/// A vector map file: a 600-byte head area, a section directory and sections.
/// By default the directory has 16 entries at offset 657 and the sections are
/// laid from offset 817 in entry order, each directly after the one before.
class MapFileBuilder {
 public:
  explicit MapFileBuilder(int kind);

  // Head fields.
  MapFileBuilder& Magic(const std::string& magic8);
  MapFileBuilder& KindField(std::int16_t kind);
  MapFileBuilder& RefusalFlag(std::int16_t flag);
  MapFileBuilder& DirectoryOffset(std::int32_t offset);
  MapFileBuilder& DirectoryCount(std::int32_t count);
  /// Projection type (byte 0) and the coefficient at offset 52 of the projection.
  MapFileBuilder& Projection(std::uint8_t type, double coefficient);
  /// Word `index` (0..10) of the element counts.
  MapFileBuilder& Count(int index, std::int32_t value);
  MapFileBuilder& Extent(double xmin, double ymin, double xmax, double ymax);
  MapFileBuilder& Tics(std::int32_t count, std::uint32_t offset);

  /// Content of section `entry` (0..15).
  MapFileBuilder& Section(int entry, Bytes bytes);
  Bytes& SectionBytes(int entry);
  /// Stores this (offset, length) in the directory instead of the laid-out one.
  MapFileBuilder& OverrideEntry(int entry, std::uint32_t offset, std::uint32_t length);

  /// The whole file. Byte offsets of the laid-out sections are in SectionOffset.
  Bytes Build() const;
  std::uint32_t SectionOffset(int entry) const;
  /// Builds and writes the file; returns the path.
  std::string WriteTo(const std::string& path) const;

  /// Raw head-area bytes (600), for edits beyond the named setters.
  Bytes& HeadArea() { return head_; }

 private:
  Bytes head_;
  std::int32_t directoryOffset_ = 657;
  std::int32_t directoryCount_ = 16;
  std::array<Bytes, 16> sections_;
  std::array<std::optional<std::pair<std::uint32_t, std::uint32_t>>, 16> overrides_;
};

/// Writes bytes to a file.
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
  std::wstring WidePath(const std::string& name) const;

 private:
  std::string dir_;
};

/// Widens an ASCII/UTF-8-free path (tests use ASCII names) to wchar_t.
std::wstring Widen(const std::string& s);

}  // namespace tb
