#include "builder/StyleFileBuilder.h"

#include <filesystem>
#include <stdexcept>

namespace tb {

namespace {
// Offsets within the project head.
constexpr std::size_t kHeadCount = 0, kHeadExtent = 2, kHeadTableOffset = 738, kHeadProjection = 804,
                      kHeadDescription = 973, kDescriptionSize = 128;
constexpr std::size_t kProjectionCoefficient = 52;
// Offsets within a legend item.
constexpr std::size_t kLegendKind = 256, kLegendStyleOffset = 257;
}  // namespace

ProjectFileBuilder::ProjectFileBuilder() : head_(kHeadSize, 0) {
  // Uninterpreted head bytes carry a pattern, to see that they pass unchanged.
  for (std::size_t i = 34; i < kHeadTableOffset; ++i) head_[i] = static_cast<std::uint8_t>(i * 7);
}

ProjectFileBuilder& ProjectFileBuilder::ItemTableOffset(std::int32_t offset) {
  if (offset < static_cast<std::int32_t>(kItemTable)) throw std::invalid_argument("table inside the head");
  tableOffset_ = static_cast<std::size_t>(offset);
  return *this;
}
ProjectFileBuilder& ProjectFileBuilder::Extent(double a, double b, double c, double d) {
  Poke(head_, kHeadExtent, a);
  Poke(head_, kHeadExtent + 8, b);
  Poke(head_, kHeadExtent + 16, c);
  Poke(head_, kHeadExtent + 24, d);
  return *this;
}
ProjectFileBuilder& ProjectFileBuilder::Projection(std::uint8_t type, double coefficient) {
  Poke(head_, kHeadProjection, type);
  Poke(head_, kHeadProjection + kProjectionCoefficient, coefficient);
  return *this;
}
ProjectFileBuilder& ProjectFileBuilder::Description(const std::string& bytes) {
  for (std::size_t i = 0; i < kDescriptionSize; ++i)
    head_[kHeadDescription + i] = i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
  return *this;
}

std::uint8_t ProjectFileBuilder::ItemFiller(std::size_t item, std::size_t offset) {
  return static_cast<std::uint8_t>(0x40 + item * 13 + offset);
}

ProjectFileBuilder& ProjectFileBuilder::AddItem(std::uint8_t kind, const std::string& name,
                                                const std::string& description, double value1,
                                                double value2) {
  const std::size_t i = items_.size();
  ByteWriter w;
  w.u8(kind).u8(ItemFiller(i, 1)).text(name, kItemNameSize).text(description, kItemDescSize);
  w.f64(value1).f64(value2);
  for (std::size_t off = 340; off < kItemSize; ++off) w.u8(ItemFiller(i, off));
  items_.push_back(w.take());
  return *this;
}

Bytes ProjectFileBuilder::Build() const {
  Bytes head = head_;
  Poke(head, kHeadCount, countOverride_ ? count_ : static_cast<std::int16_t>(items_.size()));
  Poke(head, kHeadTableOffset, offsetOverride_ ? offsetField_ : static_cast<std::int32_t>(tableOffset_));
  ByteWriter w;
  w.text(magic_, 8).i32(formatNumber_).bytes(head);
  w.fill(tableOffset_ - kItemTable, 0xEE);
  for (const Bytes& item : items_) w.bytes(item);
  return w.take();
}

ColorLibBuilder::ColorLibBuilder() : inks_(36 * 4, 0) {}

ColorLibBuilder& ColorLibBuilder::Ink(int j, std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y) {
  const std::size_t at = static_cast<std::size_t>(j) * 4;
  inks_.at(at) = k;
  inks_.at(at + 1) = c;
  inks_.at(at + 2) = m;
  inks_.at(at + 3) = y;
  return *this;
}
ColorLibBuilder& ColorLibBuilder::AddColor(std::uint8_t k, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                                           const std::vector<std::uint8_t>& amounts) {
  if (amounts.size() > 28) throw std::invalid_argument("a colour holds 28 ink amounts");
  ByteWriter w;
  w.u8(k).u8(c).u8(m).u8(y);
  for (std::uint8_t a : amounts) w.u8(a);
  w.zeros(28 - amounts.size());
  colors_.push_back(w.take());
  return *this;
}

Bytes ColorLibBuilder::Head() const {
  ByteWriter w;
  w.text(magic_, 8).i16(countOverride_ ? count_ : static_cast<std::int16_t>(colors_.size())).i16(inkCount_);
  w.bytes(inks_);
  return w.take();
}

Bytes ColorLibBuilder::Build() const {
  ByteWriter w;
  w.bytes(Head());
  for (const Bytes& c : colors_) w.bytes(c);
  return w.take();
}

LegendBuilder& LegendBuilder::AddItem(std::int8_t kind, std::int32_t styleOffset, std::uint8_t fill) {
  Bytes item(kItemSize, fill);
  Poke(item, kLegendKind, kind);
  Poke(item, kLegendStyleOffset, styleOffset);
  items_.push_back(std::move(item));
  return *this;
}
LegendBuilder& LegendBuilder::Style(const Bytes& bytes) {
  styles_.insert(styles_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes LegendBuilder::Build() const {
  ByteWriter w;
  w.text(magic_, 8).u32(0xA5A5A5A5u).i32(countOverride_ ? count_ : static_cast<std::int32_t>(items_.size()));
  for (const Bytes& item : items_) w.bytes(item);
  w.bytes(styles_);
  return w.take();
}

Bytes Pattern(std::size_t n, std::uint8_t first) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
  return b;
}

int OpenFileCount() {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++n;
  }
  return n;
}

}  // namespace tb
