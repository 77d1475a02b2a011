// Builds project, colour library and legend files byte by byte, well-formed
// or malformed on purpose. It knows the layouts from the format description
// only, not from the library's sources, so that a library fault cannot hide here.
// The ...Field setters store a count or offset that disagrees with the content; text
// arguments are raw bytes of fixed-width fields (cut, zero-filled); uninterpreted bytes
// carry patterns, to see that they pass unchanged. Pattern(n, first) counts up from first.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "builder/ByteWriter.h"

namespace tb {

template <class Self>
struct Setters {
  template <class T, class V>
  Self& Set(T& field, V value) {
    field = value;
    return static_cast<Self&>(*this);
  }
  Self& Place(Bytes& target, std::size_t at, const Bytes& bytes) {
    target.resize(std::max(target.size(), at + bytes.size()));
    std::copy(bytes.begin(), bytes.end(), target.begin() + static_cast<std::ptrdiff_t>(at));
    return static_cast<Self&>(*this);
  }
  static Bytes Join(ByteWriter& head, const std::vector<Bytes>& records, const Bytes& tail = {}) {
    for (const Bytes& r : records) head.bytes(r);
    return head.bytes(tail).take();
  }
};

/// A map project file: magic, format number, 1101-byte head, 400-byte items. The head holds
/// the item count at 0, the extent at 2, the item table's offset at 738 (1113, behind the
/// head, unless ItemTableOffsetField says otherwise), the projection (type, then its
/// coefficient at 52) at 804, the description (128) at 973. An item: kind, one byte, name
/// (128), description (194), two doubles.
class ProjectFileBuilder : public Setters<ProjectFileBuilder> {
 public:
  static constexpr std::size_t kHeadSize = 1101, kItemTable = 1113, kItemSize = 400;

  ProjectFileBuilder() : head_(kHeadSize, 0) {
    for (std::size_t i = 34; i < 738; ++i) head_[i] = static_cast<std::uint8_t>(i * 7);
  }
  ProjectFileBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  ProjectFileBuilder& FormatNumber(std::int32_t number) { return Set(formatNumber_, number); }
  ProjectFileBuilder& ItemCountField(std::int16_t count) { return Set(count_, count); }
  ProjectFileBuilder& ItemTableOffsetField(std::int32_t offset) { return Set(offsetField_, offset); }
  ProjectFileBuilder& Extent(double a, double b, double c, double d) {
    return Place(head_, 2, ByteWriter().f64(a).f64(b).f64(c).f64(d).take());
  }
  ProjectFileBuilder& Projection(std::uint8_t type, double coefficient) {
    return Place(head_, 804, ByteWriter().u8(type).zeros(51).f64(coefficient).take());
  }
  ProjectFileBuilder& Description(const std::string& bytes) {
    return Place(head_, 973, ByteWriter().text(bytes, 128).take());
  }
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
    Poke(head, 738, offsetField_.value_or(static_cast<std::int32_t>(kItemTable)));
    return Join(ByteWriter().text(magic_, 8).i32(formatNumber_).bytes(head), items_);
  }

 private:
  std::string magic_ = "WMAP`D2:";
  std::int32_t formatNumber_ = 9;
  Bytes head_;
  std::optional<std::int16_t> count_;
  std::optional<std::int32_t> offsetField_;
  std::vector<Bytes> items_;
};

/// A colour library file: 156-byte head (magic, colour count, ink count, 36 inks of
/// black, cyan, magenta and yellow), then 32-byte colours (the same four, then 28 amounts).
class ColorLibBuilder : public Setters<ColorLibBuilder> {
 public:
  ColorLibBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  ColorLibBuilder& InkCount(std::int16_t count) { return Set(inkCount_, count); }
  ColorLibBuilder& ColorCountField(std::int16_t count) { return Set(count_, count); }
  ColorLibBuilder& Ink(int j, std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y) {
    return Place(inks_, static_cast<std::size_t>(j) * 4, Bytes{k, c, m, y});
  }
  ColorLibBuilder& AddColor(std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                            const std::vector<std::uint8_t>& amounts = {}) {
    colors_.push_back(ByteWriter().u8(k).u8(c).u8(m).u8(y).bytes(amounts).zeros(28 - amounts.size()).take());
    return *this;
  }
  Bytes Build() const {
    const std::int16_t count = count_.value_or(static_cast<std::int16_t>(colors_.size()));
    return Join(ByteWriter().text(magic_, 8).i16(count).i16(inkCount_).bytes(inks_), colors_);
  }

 private:
  std::string magic_ = "PCOLOR 3";
  std::int16_t inkCount_ = 0;
  std::optional<std::int16_t> count_;
  Bytes inks_ = Bytes(36 * 4, 0);
  std::vector<Bytes> colors_;
};

/// A legend file: 16-byte head (magic, 4 bytes, count), 333-byte items (kind at
/// 256, style offset at 257, the rest all `fill`), then the style area.
class LegendBuilder : public Setters<LegendBuilder> {
 public:
  LegendBuilder& Magic(const std::string& magic8) { return Set(magic_, magic8); }
  LegendBuilder& CountField(std::int32_t count) { return Set(count_, count); }
  LegendBuilder& AddItem(std::int8_t kind, std::int32_t styleOffset, std::uint8_t fill) {
    items_.push_back(ByteWriter().fill(256, fill).i8(kind).i32(styleOffset).fill(72, fill).take());
    return *this;
  }
  LegendBuilder& Style(const Bytes& bytes) { return Place(styles_, styles_.size(), bytes); }
  Bytes Build() const {
    const std::int32_t count = count_.value_or(static_cast<std::int32_t>(items_.size()));
    return Join(ByteWriter().text(magic_, 8).u32(0xA5A5A5A5u).i32(count), items_, styles_);
  }

 private:
  std::string magic_ = "WMAP`D2>";
  std::optional<std::int32_t> count_;
  std::vector<Bytes> items_;
  Bytes styles_;
};

inline Bytes Pattern(std::size_t n, std::uint8_t first) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
  return b;
}

}  // namespace tb
