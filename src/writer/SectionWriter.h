// Sequential output of one section at a time through a bounded buffer: the
// many small pieces of a section (record copies, per-element extents and
// words) cost a copy each instead of a system call each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/File.h"

namespace Terrix::detail {

class SectionWriter {
 public:
  /// Writes from `position` of the file onwards.
  SectionWriter(core::File& file, std::uint64_t position);

  /// Appends bytes. Pieces of at least the buffer's size go straight to the file.
  void Put(const void* data, std::size_t size);
  /// Appends `count` copies of a unit.
  void PutRepeated(const void* unit, std::size_t unitSize, std::size_t count);
  /// Writes what is buffered. True when every write of this writer succeeded;
  /// after a failed write nothing more is written.
  bool Finish();

 private:
  void Drain();

  static constexpr std::size_t kBufferSize = 256 * 1024;
  core::File& file_;
  std::vector<std::uint8_t> buffer_;
  bool ok_ = true;
};

}  // namespace Terrix::detail
