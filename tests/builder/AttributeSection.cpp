#include "builder/AttributeSection.h"

#include <algorithm>
#include <stdexcept>

namespace tb {

namespace {
// Head offsets, as the format describes them.
constexpr std::size_t kHeadSize = 348, kRecordOffset = 12, kMagic2 = 320, kFieldCount = 322,
                      kRecordCount = 324, kRecordLength = 328;
constexpr std::size_t kNameSize = 20;
}  // namespace

AttributeSection& AttributeSection::Field(const std::string& name, std::uint8_t type, std::int16_t width,
                                          std::int16_t auxLength, std::int8_t auxByte) {
  std::uint32_t offset = 1;
  if (!fields_.empty())
    offset = fields_.back().valueOffset +
             static_cast<std::uint32_t>(std::max<std::int16_t>(fields_.back().width, 0));
  fields_.push_back(FieldSpec{name, type, width, auxLength, auxByte, offset});
  return *this;
}

AttributeSection& AttributeSection::ValueOffsetOfLast(std::uint32_t offset) {
  fields_.back().valueOffset = offset;
  return *this;
}

std::uint32_t AttributeSection::LaidRecordLength() const {
  std::uint32_t length = 1;
  for (const FieldSpec& f : fields_) length += static_cast<std::uint32_t>(std::max<std::int16_t>(f.width, 0));
  return length;
}

AttributeSection& AttributeSection::Elements(int count) {
  while (static_cast<int>(records_.size()) < count) {
    Bytes record(LaidRecordLength(), 0);
    record[0] = 1;
    records_.push_back(record);
  }
  return *this;
}

AttributeSection& AttributeSection::Value(int element, int field, const Bytes& bytes) {
  Elements(element + 1);
  const FieldSpec& f = fields_.at(static_cast<std::size_t>(field));
  Bytes& record = records_[static_cast<std::size_t>(element)];
  const std::size_t width = static_cast<std::size_t>(std::max<std::int16_t>(f.width, 0));
  if (f.valueOffset + width > record.size()) throw std::logic_error("field outside the record");
  for (std::size_t i = 0; i < width; ++i) record[f.valueOffset + i] = i < bytes.size() ? bytes[i] : 0;
  return *this;
}

AttributeSection& AttributeSection::Text(int element, int field, const std::string& text) {
  return Value(element, field, Bytes(text.begin(), text.end()));
}

AttributeSection& AttributeSection::Magic(std::uint8_t b0, std::uint8_t b1) {
  magic_[0] = b0;
  magic_[1] = b1;
  return *this;
}
AttributeSection& AttributeSection::Magic2(std::uint16_t value) {
  magic2_ = value;
  return *this;
}
AttributeSection& AttributeSection::FieldCount(std::int16_t count) {
  fieldCount_ = count;
  return *this;
}
AttributeSection& AttributeSection::RecordCount(std::uint32_t count) {
  recordCount_ = count;
  return *this;
}
AttributeSection& AttributeSection::RecordLength(std::uint32_t length) {
  recordLength_ = length;
  return *this;
}
AttributeSection& AttributeSection::DateStamp(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                                              std::uint8_t b3) {
  dateStamp_[0] = b0;
  dateStamp_[1] = b1;
  dateStamp_[2] = b2;
  dateStamp_[3] = b3;
  return *this;
}

std::uint32_t AttributeSection::ValueAt(int element, int field) const {
  return LaidRecordOffset() + static_cast<std::uint32_t>(element + 1) * LaidRecordLength() +
         fields_.at(static_cast<std::size_t>(field)).valueOffset;
}

Bytes AttributeSection::Build() const {
  Bytes head(kHeadSize, 0);
  head[0] = magic_[0];
  head[1] = magic_[1];
  for (std::size_t i = 0; i < 4; ++i) head[2 + i] = dateStamp_[i];
  Poke(head, kRecordOffset, LaidRecordOffset());
  Poke(head, kMagic2, magic2_);
  Poke(head, kFieldCount, fieldCount_.value_or(static_cast<std::int16_t>(fields_.size())));
  Poke(head, kRecordCount, recordCount_.value_or(static_cast<std::uint32_t>(records_.size() + 1)));
  Poke(head, kRecordLength, recordLength_.value_or(LaidRecordLength()));

  ByteWriter w;
  w.bytes(head);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const FieldSpec& f = fields_[i];
    w.text(f.name, kNameSize)
        .u8(f.type)
        .u32(f.valueOffset)
        .i16(f.width)
        .i16(f.auxLength)
        .i8(f.auxByte)
        .u8(1)   // field flag
        .u16(0)  // reserved
        .u16(static_cast<std::uint16_t>(i))
        .zeros(4);
  }
  // Slot 0: the leading record, all zero but its flag.
  Bytes leading(LaidRecordLength(), 0);
  leading[0] = 1;
  w.bytes(leading);
  for (const Bytes& record : records_) w.bytes(record);
  return w.take();
}

}  // namespace tb
