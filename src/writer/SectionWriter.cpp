#include "writer/SectionWriter.h"

#include <cstring>

namespace Terrix::detail {

SectionWriter::SectionWriter(core::File& file, std::uint64_t position) : file_(file) {
  file_.Seek(position);
}

void SectionWriter::Drain() {
  if (!buffer_.empty() && ok_) ok_ = file_.Write(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void SectionWriter::Put(const void* data, std::size_t size) {
  if (!ok_ || size == 0) return;
  if (size >= kBufferSize) {
    Drain();
    if (ok_) ok_ = file_.Write(data, size);
    return;
  }
  if (buffer_.size() + size > kBufferSize) Drain();
  if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void SectionWriter::PutRepeated(const void* unit, std::size_t unitSize, std::size_t count) {
  for (std::size_t i = 0; i < count && ok_; ++i) Put(unit, unitSize);
}

bool SectionWriter::Finish() {
  Drain();
  return ok_;
}

}  // namespace Terrix::detail
