#include "builder/AttributeSection.h"

#include <algorithm>
#include <stdexcept>

namespace tb {

namespace {
std::uint32_t Width(std::int16_t width) {
  return static_cast<std::uint32_t>(std::max<std::int16_t>(width, 0));
}
}  // namespace

AttributeSection& AttributeSection::Field(const std::string& name, std::uint8_t type, std::int16_t width,
                                          std::int16_t auxLength, std::int8_t auxByte) {
  const std::uint32_t offset = fields_.empty() ? 1 : fields_.back().valueOffset + Width(fields_.back().width);
  fields_.push_back(FieldSpec{name, type, width, auxLength, auxByte, offset});
  return *this;
}

std::uint32_t AttributeSection::LaidRecordLength() const {
  std::uint32_t length = 1;
  for (const FieldSpec& f : fields_) length += Width(f.width);
  return length;
}

AttributeSection& AttributeSection::Elements(int count) {
  while (static_cast<int>(records_.size()) < count) {
    records_.push_back(Bytes(LaidRecordLength(), 0));
    records_.back()[0] = 1;
  }
  return *this;
}

AttributeSection& AttributeSection::Value(int element, int field, const Bytes& bytes) {
  Elements(element + 1);
  const FieldSpec& f = fields_.at(static_cast<std::size_t>(field));
  Bytes& record = records_[static_cast<std::size_t>(element)];
  if (f.valueOffset + Width(f.width) > record.size()) throw std::logic_error("field outside the record");
  for (std::size_t i = 0; i < Width(f.width); ++i)
    record[f.valueOffset + i] = i < bytes.size() ? bytes[i] : 0;
  return *this;
}

Bytes AttributeSection::Build() const {
  Bytes head(348, 0);
  std::copy(magic_.begin(), magic_.end(), head.begin());
  std::copy(dateStamp_.begin(), dateStamp_.end(), head.begin() + 2);
  Poke(head, 12, LaidRecordOffset());
  Poke(head, 320, magic2_);
  Poke(head, 322, fieldCount_.value_or(static_cast<std::int16_t>(fields_.size())));
  Poke(head, 324, recordCount_.value_or(static_cast<std::uint32_t>(records_.size() + 1)));
  Poke(head, 328, recordLength_.value_or(LaidRecordLength()));

  ByteWriter w;
  w.bytes(head);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const FieldSpec& f = fields_[i];
    // Name, type, value offset, width, aux length, aux byte, flag 1, reserved, number.
    w.text(f.name, 20).u8(f.type).u32(f.valueOffset).i16(f.width).i16(f.auxLength).i8(f.auxByte).u8(1).u16(0);
    w.u16(static_cast<std::uint16_t>(i)).zeros(4);
  }
  // Slot 0: the leading record, all zero but its flag.
  Bytes leading(LaidRecordLength(), 0);
  leading[0] = 1;
  w.bytes(leading);
  for (const Bytes& record : records_) w.bytes(record);
  return w.take();
}

}  // namespace tb
