// Builds project, colour library and legend files byte by byte, well-formed
// or malformed on purpose. It knows the layouts from the format description
// only, not from the library's sources, so that a library fault cannot hide here.
// The ...Field setters store a count or offset that disagrees with the content.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
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
  /// Overwrites `target` from `at` with `bytes`, growing it as needed.
  Self& Place(Bytes& target, std::size_t at, const Bytes& bytes) {
    if (target.size() < at + bytes.size()) target.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), target.begin() + static_cast<std::ptrdiff_t>(at));
    return static_cast<Self&>(*this);
  }
};

/// A map project file: magic, format number, 1101-byte head, 400-byte items. The
/// head holds the item count at 0, the extent at 2, the item table's offset at 738
/// (by default 1113, directly behind the head), the projection at 804 and the
/// description at 973. An item: kind, one byte, name (128), description (194), two doubles.
class ProjectFileBuilder : public Setters<ProjectFileBuilder> {
 public:
  static constexpr std::size_t kHeadSize = 1101, kItemTable = 1113, kItemSize = 400;

  ProjectFileBuilder() : head_(kHeadSize, 0) {
    // Uninterpreted head bytes carry a pattern, to see that they pass unchanged.
    for (std::size_t i = 34; i < 738; ++i) head_[i] = static_cast<std::uint8_t>(i * 7);
  }
  ProjectFileBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  ProjectFileBuilder& FormatNumber(std::int32_t number) { return Set(formatNumber_, number); }
  ProjectFileBuilder& ItemCountField(std::int16_t count) { return Set(count_, count); }
  /// Places the item table at `offset` (>= 1113; the gap is filled with 0xEE).
  ProjectFileBuilder& ItemTableOffset(std::int32_t offset) { return Set(tableOffset_, std::size_t(offset)); }
  ProjectFileBuilder& ItemTableOffsetField(std::int32_t offset) { return Set(offsetField_, offset); }
  ProjectFileBuilder& Extent(double a, double b, double c, double d) {
    return Place(head_, 2, ByteWriter().f64(a).f64(b).f64(c).f64(d).take());
  }
  /// Projection type (byte 0) and the coefficient at offset 52 of the projection.
  ProjectFileBuilder& Projection(std::uint8_t type, double coefficient) {
    return Place(head_, 804, ByteWriter().u8(type).zeros(51).f64(coefficient).take());
  }
  /// Raw bytes of the 128-byte description field (cut at 128, zero-filled).
  ProjectFileBuilder& Description(const std::string& bytes) {
    return Place(head_, 973, ByteWriter().text(bytes, 128).take());
  }
  /// Appends an item. Text arguments are raw bytes of the fixed-width fields; the
  /// uninterpreted bytes of each item carry a pattern of their own.
  ProjectFileBuilder& AddItem(std::uint8_t kind, const std::string& name, const std::string& description,
                              double value1, double value2) {
    const auto filler = static_cast<std::uint8_t>(0x40 + items_.size() * 13);
    ByteWriter w;
    w.u8(kind).u8(static_cast<std::uint8_t>(filler + 1)).text(name, 128);
    w.text(description, 194).f64(value1).f64(value2);
    for (std::size_t off = 340; off < kItemSize; ++off) w.u8(static_cast<std::uint8_t>(filler + off));
    items_.push_back(w.take());
    return *this;
  }
  Bytes Build() const {
    Bytes head = head_;
    Poke(head, 0, count_.value_or(static_cast<std::int16_t>(items_.size())));
    Poke(head, 738, offsetField_.value_or(static_cast<std::int32_t>(tableOffset_)));
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
  ColorLibBuilder& ColorCountField(std::int16_t count) { return Set(count_, count); }
  /// Ink j (0..35): black, cyan, magenta, yellow.
  ColorLibBuilder& Ink(int j, std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y) {
    return Place(inks_, static_cast<std::size_t>(j) * 4, Bytes{k, c, m, y});
  }
  /// A colour: base black, cyan, magenta, yellow, then one amount per ink (up to 28).
  ColorLibBuilder& AddColor(std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                            const std::vector<std::uint8_t>& amounts = {}) {
    colors_.push_back(ByteWriter().u8(k).u8(c).u8(m).u8(y).bytes(amounts).zeros(28 - amounts.size()).take());
    return *this;
  }
  Bytes Head() const {
    ByteWriter w;
    w.text(magic_, 8).i16(count_.value_or(static_cast<std::int16_t>(colors_.size()))).i16(inkCount_);
    return w.bytes(inks_).take();
  }
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
  LegendBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  LegendBuilder& CountField(std::int32_t count) { return Set(count_, count); }
  /// Appends an item; its uninterpreted bytes are all `fill`.
  LegendBuilder& AddItem(std::int8_t kind, std::int32_t styleOffset, std::uint8_t fill) {
    items_.push_back(ByteWriter().fill(256, fill).i8(kind).i32(styleOffset).fill(72, fill).take());
    return *this;
  }
  LegendBuilder& Style(const Bytes& bytes) { return Place(styles_, styles_.size(), bytes); }
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

}  // namespace tb
