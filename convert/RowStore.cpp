#include "RowStore.h"

#include <cstring>

namespace Terrix::Convert {

namespace {

template <typename T>
void Append(std::string& out, T v) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &v, sizeof v);
  out.append(bytes, sizeof bytes);
}

template <typename T>
T Take(const char*& p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  p += sizeof v;
  return v;
}

}  // namespace

void RowStore::BeginRow() {
  row_.clear();
  rowValues_ = 0;
  Append<std::uint32_t>(row_, 0);  // the value count, set by EndRow
}

void RowStore::Put(std::uint32_t field, const Value& v) {
  ++rowValues_;
  Append(row_, field);
  Append(row_, static_cast<std::uint8_t>(v.kind));
  switch (v.kind) {
    case ValueKind::Null:
      break;
    case ValueKind::Integer:
    case ValueKind::Integer64:
    case ValueKind::Bool:
      Append(row_, v.integer);
      break;
    case ValueKind::Real:
      Append(row_, v.real);
      break;
    case ValueKind::Text:
    case ValueKind::Binary:
      Append(row_, static_cast<std::uint32_t>(v.bytes.size()));
      row_ += v.bytes;
      break;
    case ValueKind::Date:
    case ValueKind::Time:
    case ValueKind::DateTime:
      Append<std::int32_t>(row_, v.date.year);
      Append<std::uint8_t>(row_, static_cast<std::uint8_t>(v.date.month));
      Append<std::uint8_t>(row_, static_cast<std::uint8_t>(v.date.day));
      Append<std::uint8_t>(row_, static_cast<std::uint8_t>(v.time.hour));
      Append<std::uint8_t>(row_, static_cast<std::uint8_t>(v.time.minute));
      Append<std::uint8_t>(row_, static_cast<std::uint8_t>(v.time.second));
      Append(row_, v.time.nanosecond);
      break;
  }
}

void RowStore::EndRow(std::uint32_t elements) {
  std::memcpy(row_.data(), &rowValues_, sizeof rowValues_);
  // A row lies whole in one block; a row larger than a block gets its own.
  if (blocks_.empty() || used_.back() + row_.size() > std::max(kBlockBytes, used_.back())) {
    const std::size_t size = std::max(kBlockBytes, row_.size());
    blocks_.push_back(std::make_unique<char[]>(size));
    used_.push_back(0);
  }
  std::memcpy(blocks_.back().get() + used_.back(), row_.data(), row_.size());
  used_.back() += row_.size();
  bytes_ += row_.size();
  elements_.push_back(elements);
}

bool RowStore::Reader::Next(std::vector<std::pair<std::uint32_t, Value>>& values, std::size_t& count,
                            std::uint32_t& elements) {
  while (block_ < store_.blocks_.size() && at_ >= store_.used_[block_]) {
    store_.blocks_[block_].reset();  // read to its end: released
    ++block_;
    at_ = 0;
  }
  if (block_ >= store_.blocks_.size() || row_ >= store_.elements_.size()) return false;
  const char* p = store_.blocks_[block_].get() + at_;
  const char* start = p;
  count = Take<std::uint32_t>(p);
  if (values.size() < count) values.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    auto& [field, v] = values[i];
    field = Take<std::uint32_t>(p);
    v.kind = static_cast<ValueKind>(Take<std::uint8_t>(p));
    switch (v.kind) {
      case ValueKind::Null:
        break;
      case ValueKind::Integer:
      case ValueKind::Integer64:
      case ValueKind::Bool:
        v.integer = Take<std::int64_t>(p);
        break;
      case ValueKind::Real:
        v.real = Take<double>(p);
        break;
      case ValueKind::Text:
      case ValueKind::Binary: {
        const auto n = Take<std::uint32_t>(p);
        v.bytes.assign(p, n);
        p += n;
        break;
      }
      case ValueKind::Date:
      case ValueKind::Time:
      case ValueKind::DateTime:
        v.date.year = Take<std::int32_t>(p);
        v.date.month = Take<std::uint8_t>(p);
        v.date.day = Take<std::uint8_t>(p);
        v.time.hour = Take<std::uint8_t>(p);
        v.time.minute = Take<std::uint8_t>(p);
        v.time.second = Take<std::uint8_t>(p);
        v.time.nanosecond = Take<std::uint32_t>(p);
        break;
    }
  }
  at_ += static_cast<std::size_t>(p - start);
  elements = store_.elements_[row_++];
  return true;
}

}  // namespace Terrix::Convert
