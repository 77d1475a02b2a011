// Builds project, colour library and legend files byte by byte, well-formed
// or malformed on purpose. It knows the layouts from the format description
// only, not from the library's sources, so that a library fault cannot hide here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder/ByteWriter.h"

namespace tb {

/// A map project file: magic, format number, 1101-byte head, item table.
/// By default the item table lies directly behind the head, at 1113.
class ProjectFileBuilder {
 public:
  static constexpr std::size_t kHeadSize = 1101;
  static constexpr std::size_t kItemTable = 1113;
  static constexpr std::size_t kItemSize = 400;
  // Offsets and sizes within an item.
  static constexpr std::size_t kItemName = 2, kItemNameSize = 128, kItemDescSize = 194, kItemValue1 = 324;

  ProjectFileBuilder();

  ProjectFileBuilder& Magic(const std::string& magic8) {
    magic_ = magic8;
    return *this;
  }
  ProjectFileBuilder& FormatNumber(std::int32_t number) {
    formatNumber_ = number;
    return *this;
  }
  /// Stores this item count instead of the number of items added.
  ProjectFileBuilder& ItemCountField(std::int16_t count) {
    countOverride_ = true, count_ = count;
    return *this;
  }
  /// Places the item table at `offset` (>= 1113; the gap is filled with 0xEE).
  ProjectFileBuilder& ItemTableOffset(std::int32_t offset);
  /// Stores this offset without moving the table.
  ProjectFileBuilder& ItemTableOffsetField(std::int32_t offset) {
    offsetOverride_ = true, offsetField_ = offset;
    return *this;
  }
  ProjectFileBuilder& Extent(double a, double b, double c, double d);
  /// Projection type (byte 0) and the coefficient at offset 52 of the projection.
  ProjectFileBuilder& Projection(std::uint8_t type, double coefficient);
  /// Raw bytes of the 128-byte description field (cut at 128, zero-filled).
  ProjectFileBuilder& Description(const std::string& bytes);

  /// Appends an item. Text arguments are raw bytes of the fixed-width fields.
  /// The uninterpreted bytes of item i carry the pattern ItemFiller(i, offset).
  ProjectFileBuilder& AddItem(std::uint8_t kind, const std::string& name, const std::string& description,
                              double value1, double value2);
  static std::uint8_t ItemFiller(std::size_t item, std::size_t offset);

  Bytes Build() const;

 private:
  std::string magic_ = "WMAP`D2:";
  std::int32_t formatNumber_ = 9;
  Bytes head_;
  bool countOverride_ = false;
  std::int16_t count_ = 0;
  std::size_t tableOffset_ = kItemTable;
  bool offsetOverride_ = false;
  std::int32_t offsetField_ = 0;
  std::vector<Bytes> items_;
};

/// A colour library file: 156-byte head, then 32-byte colours.
class ColorLibBuilder {
 public:
  static constexpr std::size_t kHeadSize = 156;
  static constexpr std::size_t kColorSize = 32;

  ColorLibBuilder();
  ColorLibBuilder& Magic(const std::string& magic8) {
    magic_ = magic8;
    return *this;
  }
  ColorLibBuilder& InkCount(std::int16_t count) {
    inkCount_ = count;
    return *this;
  }
  /// Stores this colour count instead of the number of colours added.
  ColorLibBuilder& ColorCountField(std::int16_t count) {
    countOverride_ = true, count_ = count;
    return *this;
  }
  /// Ink j (0..35): black, cyan, magenta, yellow.
  ColorLibBuilder& Ink(int j, std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y);
  /// A colour: base black, cyan, magenta, yellow, then one amount per ink (up to 28).
  ColorLibBuilder& AddColor(std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                            const std::vector<std::uint8_t>& amounts = {});

  Bytes Head() const;
  Bytes Color(std::size_t i) const { return colors_.at(i); }
  Bytes Build() const;

 private:
  std::string magic_ = "PCOLOR 3";
  std::int16_t inkCount_ = 0;
  bool countOverride_ = false;
  std::int16_t count_ = 0;
  std::vector<std::uint8_t> inks_;
  std::vector<Bytes> colors_;
};

/// A legend file: 16-byte head, 333-byte items, then the style area.
class LegendBuilder {
 public:
  static constexpr std::size_t kHeadSize = 16;
  static constexpr std::size_t kItemSize = 333;

  LegendBuilder& Magic(const std::string& magic8) {
    magic_ = magic8;
    return *this;
  }
  /// Stores this count instead of the number of items added.
  LegendBuilder& CountField(std::int32_t count) {
    countOverride_ = true, count_ = count;
    return *this;
  }
  /// Appends an item; its uninterpreted bytes are all `fill`.
  LegendBuilder& AddItem(std::int8_t kind, std::int32_t styleOffset, std::uint8_t fill);
  /// Appends bytes to the style area.
  LegendBuilder& Style(const Bytes& bytes);

  Bytes Item(std::size_t i) const { return items_.at(i); }
  Bytes Build() const;

 private:
  std::string magic_ = "WMAP`D2>";
  bool countOverride_ = false;
  std::int32_t count_ = 0;
  std::vector<Bytes> items_;
  Bytes styles_;
};

/// `n` bytes counting up from `first` (wrapping), to tell records apart.
Bytes Pattern(std::size_t n, std::uint8_t first);

/// Open file descriptors of this process, to see that files are closed.
int OpenFileCount();

}  // namespace tb
