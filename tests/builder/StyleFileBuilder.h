// Builds project, colour library and legend files byte by byte, well-formed
// or malformed on purpose. It knows the layouts from the format description
// only, not from the library's sources, so that a library fault cannot hide here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "builder/ByteWriter.h"

namespace tb {

/// Chained setters of the builders below.
template <class Self>
struct Setters {
  template <class T, class V>
  Self& Set(T& field, V value) {
    field = value;
    return static_cast<Self&>(*this);
  }
};

/// A map project file: magic, format number, 1101-byte head, item table.
/// By default the item table lies directly behind the head, at 1113.
class ProjectFileBuilder : public Setters<ProjectFileBuilder> {
 public:
  static constexpr std::size_t kHeadSize = 1101, kItemTable = 1113, kItemSize = 400;
  // Offsets and sizes within an item.
  static constexpr std::size_t kItemName = 2, kItemNameSize = 128, kItemDescSize = 194, kItemValue1 = 324;
  // Offsets within the head.
  static constexpr std::size_t kHeadExtent = 2, kHeadTableOffset = 738, kHeadProjection = 804,
                               kHeadDescription = 973, kDescriptionSize = 128;

  ProjectFileBuilder() : head_(kHeadSize, 0) {
    // Uninterpreted head bytes carry a pattern, to see that they pass unchanged.
    for (std::size_t i = 34; i < kHeadTableOffset; ++i) head_[i] = static_cast<std::uint8_t>(i * 7);
  }
  ProjectFileBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  ProjectFileBuilder& FormatNumber(std::int32_t number) { return Set(formatNumber_, number); }
  /// Stores this item count instead of the number of items added.
  ProjectFileBuilder& ItemCountField(std::int16_t count) { return Set(count_, count); }
  /// Places the item table at `offset` (>= 1113; the gap is filled with 0xEE).
  ProjectFileBuilder& ItemTableOffset(std::int32_t offset) {
    if (offset < static_cast<std::int32_t>(kItemTable)) throw std::invalid_argument("table inside the head");
    return Set(tableOffset_, static_cast<std::size_t>(offset));
  }
  /// Stores this offset without moving the table.
  ProjectFileBuilder& ItemTableOffsetField(std::int32_t offset) { return Set(offsetField_, offset); }
  ProjectFileBuilder& Extent(double a, double b, double c, double d) {
    const double e[] = {a, b, c, d};
    for (std::size_t i = 0; i < 4; ++i) Poke(head_, kHeadExtent + 8 * i, e[i]);
    return *this;
  }
  /// Projection type (byte 0) and the coefficient at offset 52 of the projection.
  ProjectFileBuilder& Projection(std::uint8_t type, double coefficient) {
    Poke(head_, kHeadProjection, type);
    Poke(head_, kHeadProjection + 52, coefficient);
    return *this;
  }
  /// Raw bytes of the 128-byte description field (cut at 128, zero-filled).
  ProjectFileBuilder& Description(const std::string& bytes) {
    for (std::size_t i = 0; i < kDescriptionSize; ++i)
      head_[kHeadDescription + i] = i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
    return *this;
  }
  /// Appends an item. Text arguments are raw bytes of the fixed-width fields.
  /// The uninterpreted bytes of item i carry the pattern ItemFiller(i, offset).
  ProjectFileBuilder& AddItem(std::uint8_t kind, const std::string& name, const std::string& description,
                              double value1, double value2) {
    const std::size_t i = items_.size();
    ByteWriter w;
    w.u8(kind).u8(ItemFiller(i, 1)).text(name, kItemNameSize).text(description, kItemDescSize);
    w.f64(value1).f64(value2);
    for (std::size_t off = 340; off < kItemSize; ++off) w.u8(ItemFiller(i, off));
    items_.push_back(w.take());
    return *this;
  }
  static std::uint8_t ItemFiller(std::size_t item, std::size_t offset) {
    return static_cast<std::uint8_t>(0x40 + item * 13 + offset);
  }
  Bytes Build() const {
    Bytes head = head_;
    Poke(head, 0, count_.value_or(static_cast<std::int16_t>(items_.size())));
    Poke(head, kHeadTableOffset, offsetField_.value_or(static_cast<std::int32_t>(tableOffset_)));
    ByteWriter w;
    w.text(magic_, 8).i32(formatNumber_).bytes(head).fill(tableOffset_ - kItemTable, 0xEE);
    for (const Bytes& item : items_) w.bytes(item);
    return w.take();
  }

 private:
  std::string magic_ = "WMAP`D2:";
  std::int32_t formatNumber_ = 9;
  Bytes head_;
  std::optional<std::int16_t> count_;
  std::size_t tableOffset_ = kItemTable;
  std::optional<std::int32_t> offsetField_;
  std::vector<Bytes> items_;
};

/// A colour library file: 156-byte head (magic, colour count, ink count, 36
/// inks), then 32-byte colours.
class ColorLibBuilder : public Setters<ColorLibBuilder> {
 public:
  static constexpr std::size_t kHeadSize = 156, kColorSize = 32;

  ColorLibBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  ColorLibBuilder& InkCount(std::int16_t count) { return Set(inkCount_, count); }
  /// Stores this colour count instead of the number of colours added.
  ColorLibBuilder& ColorCountField(std::int16_t count) { return Set(count_, count); }
  /// Ink j (0..35): black, cyan, magenta, yellow.
  ColorLibBuilder& Ink(int j, std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y) {
    const std::uint8_t ink[] = {k, c, m, y};
    for (std::size_t i = 0; i < 4; ++i) inks_.at(static_cast<std::size_t>(j) * 4 + i) = ink[i];
    return *this;
  }
  /// A colour: base black, cyan, magenta, yellow, then one amount per ink (up to 28).
  ColorLibBuilder& AddColor(std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                            const std::vector<std::uint8_t>& amounts = {}) {
    if (amounts.size() > 28) throw std::invalid_argument("a colour holds 28 ink amounts");
    ByteWriter w;
    w.u8(k).u8(c).u8(m).u8(y).bytes(amounts).zeros(28 - amounts.size());
    colors_.push_back(w.take());
    return *this;
  }
  Bytes Head() const {
    ByteWriter w;
    w.text(magic_, 8).i16(count_.value_or(static_cast<std::int16_t>(colors_.size()))).i16(inkCount_);
    return w.bytes(inks_).take();
  }
  Bytes Color(std::size_t i) const { return colors_.at(i); }
  Bytes Build() const {
    ByteWriter w;
    w.bytes(Head());
    for (const Bytes& c : colors_) w.bytes(c);
    return w.take();
  }

 private:
  std::string magic_ = "PCOLOR 3";
  std::int16_t inkCount_ = 0;
  std::optional<std::int16_t> count_;
  Bytes inks_ = Bytes(36 * 4, 0);
  std::vector<Bytes> colors_;
};

/// A legend file: 16-byte head (magic, 4 bytes, count), 333-byte items (kind at
/// 256, style offset at 257), then the style area.
class LegendBuilder : public Setters<LegendBuilder> {
 public:
  static constexpr std::size_t kHeadSize = 16, kItemSize = 333;

  LegendBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  /// Stores this count instead of the number of items added.
  LegendBuilder& CountField(std::int32_t count) { return Set(count_, count); }
  /// Appends an item; its uninterpreted bytes are all `fill`.
  LegendBuilder& AddItem(std::int8_t kind, std::int32_t styleOffset, std::uint8_t fill) {
    Bytes item(kItemSize, fill);
    Poke(item, 256, kind);
    Poke(item, 257, styleOffset);
    items_.push_back(std::move(item));
    return *this;
  }
  /// Appends bytes to the style area.
  LegendBuilder& Style(const Bytes& bytes) {
    styles_.insert(styles_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Bytes Item(std::size_t i) const { return items_.at(i); }
  Bytes Build() const {
    ByteWriter w;
    w.text(magic_, 8).u32(0xA5A5A5A5u).i32(count_.value_or(static_cast<std::int32_t>(items_.size())));
    for (const Bytes& item : items_) w.bytes(item);
    return w.bytes(styles_).take();
  }

 private:
  std::string magic_ = "WMAP`D2>";
  std::optional<std::int32_t> count_;
  std::vector<Bytes> items_;
  Bytes styles_;
};

/// `n` bytes counting up from `first` (wrapping), to tell records apart.
inline Bytes Pattern(std::size_t n, std::uint8_t first) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
  return b;
}

/// Open file descriptors of this process, to see that files are closed.
inline int OpenFileCount() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<int>(std::distance(begin(fds), end(fds)));
}

}  // namespace tb
