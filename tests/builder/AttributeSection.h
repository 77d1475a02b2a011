// Builds attribute sections byte by byte: a 348-byte head, 39-byte field
// descriptors and fixed-length records, slot 0 the leading record. Written
// from the format description only, independent of the library's headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "builder/ByteWriter.h"

namespace tb {

class AttributeSection {
 public:
  /// Appends a field; values are laid end to end from record offset 1.
  /// `name` is the raw 8-bit name (cut at 20 bytes).
  AttributeSection& Field(const std::string& name, std::uint8_t type, std::int16_t width,
                          std::int16_t auxLength = 0, std::int8_t auxByte = 0);

  /// Makes sure element records 0 .. count - 1 exist (slots 1 .. count).
  AttributeSection& Elements(int count);
  /// Value bytes of field `field` in element `element`: cut at the field's
  /// width, zero-filled up to it. Creates the element's record as needed.
  AttributeSection& Value(int element, int field, const Bytes& bytes);
  AttributeSection& Text(int element, int field, const std::string& text) {
    return Value(element, field, Bytes(text.begin(), text.end()));
  }
  template <typename T>
  AttributeSection& Put(int element, int field, T value) {
    Bytes b(sizeof(T));
    std::memcpy(b.data(), &value, sizeof(T));
    return Value(element, field, b);
  }

  // Overrides of head fields, for malformed tables.
  AttributeSection& Magic(std::uint8_t b0, std::uint8_t b1) { return Set(magic_, Bytes{b0, b1}); }
  AttributeSection& Magic2(std::uint16_t value) { return Set(magic2_, value); }
  AttributeSection& FieldCount(std::int16_t count) { return Set(fieldCount_, count); }
  AttributeSection& RecordCount(std::uint32_t count) { return Set(recordCount_, count); }
  AttributeSection& RecordLength(std::uint32_t length) { return Set(recordLength_, length); }
  AttributeSection& DateStamp(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return Set(dateStamp_, Bytes{b0, b1, b2, b3});
  }

  /// The laid-out record length: 1 plus the sum of all widths.
  std::uint32_t LaidRecordLength() const;
  std::uint32_t LaidRecordOffset() const { return 348 + 39 * static_cast<std::uint32_t>(fields_.size()); }

  Bytes Build() const;

 private:
  template <typename M, typename T>
  AttributeSection& Set(M& member, const T& value) {
    member = value;
    return *this;
  }
  struct FieldSpec {
    std::string name;
    std::uint8_t type;
    std::int16_t width, auxLength;
    std::int8_t auxByte;
    std::uint32_t valueOffset;
  };
  std::vector<FieldSpec> fields_;
  std::vector<Bytes> records_;  // element records, without slot 0
  Bytes magic_ = {0x60, 0x44};
  std::uint16_t magic2_ = 0x4460;
  Bytes dateStamp_ = {0xDC, 0x07, 0x05, 0x16};
  std::optional<std::int16_t> fieldCount_;
  std::optional<std::uint32_t> recordCount_, recordLength_;
};

}  // namespace tb
