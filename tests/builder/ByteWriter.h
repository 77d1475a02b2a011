// Little-endian byte assembly for test files. Independent of the library.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace tb {

using Bytes = std::vector<std::uint8_t>;

/// Appends little-endian values to a byte vector.
class ByteWriter {
 public:
  ByteWriter& u8(std::uint8_t v) { return raw(&v, 1); }
  ByteWriter& i8(std::int8_t v) { return raw(&v, 1); }
  ByteWriter& u16(std::uint16_t v) { return raw(&v, 2); }
  ByteWriter& i16(std::int16_t v) { return raw(&v, 2); }
  ByteWriter& u32(std::uint32_t v) { return raw(&v, 4); }
  ByteWriter& i32(std::int32_t v) { return raw(&v, 4); }
  ByteWriter& f32(float v) { return raw(&v, 4); }
  ByteWriter& f64(double v) { return raw(&v, 8); }
  ByteWriter& zeros(std::size_t n) { return fill(n, 0); }
  ByteWriter& fill(std::size_t n, std::uint8_t value) { return bytes(Bytes(n, value)); }
  /// The text's bytes, then zeros up to `width` (cut at width when longer).
  ByteWriter& text(const std::string& s, std::size_t width) {
    const std::size_t n = s.size() < width ? s.size() : width;
    return raw(s.data(), n).zeros(width - n);
  }
  ByteWriter& bytes(const Bytes& b) { return raw(b.data(), b.size()); }
  ByteWriter& raw(const void* p, std::size_t n) {
    const auto* c = static_cast<const std::uint8_t*>(p);
    bytes_.insert(bytes_.end(), c, c + n);
    return *this;
  }
  std::size_t size() const { return bytes_.size(); }
  const Bytes& data() const { return bytes_; }
  Bytes take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

/// A point of a test geometry; compared exactly, printed as (x,y).
struct XY {
  double x;
  double y;
};
inline bool operator==(const XY& a, const XY& b) {
  return a.x == b.x && a.y == b.y;
}
inline std::ostream& operator<<(std::ostream& os, const XY& p) {
  return os << "(" << p.x << "," << p.y << ")";
}

/// Overwrites bytes in place at `offset`, growing the vector with zeros as needed.
template <typename T>
void Poke(Bytes& b, std::size_t offset, T value) {
  if (b.size() < offset + sizeof(T)) b.resize(offset + sizeof(T), 0);
  std::memcpy(b.data() + offset, &value, sizeof(T));
}

/// The bytes of a record or value as they lie in memory.
template <typename T>
Bytes BytesOf(const T& value) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
  return Bytes(p, p + sizeof value);
}

template <typename T>
T Peek(const Bytes& b, std::size_t offset) {
  T value{};
  std::memcpy(&value, b.data() + offset, sizeof(T));
  return value;
}

}  // namespace tb
