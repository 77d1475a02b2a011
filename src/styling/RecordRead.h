// Reading packed records of the styling files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/File.h"

namespace Terrix::styling {

/// Clears `record` and reads it from the current position. Bytes beyond the
/// end of the file stay zero; only a failed read is false.
template <typename Record>
bool ReadCleared(core::File& file, Record& record) {
  std::memset(&record, 0, sizeof record);
  return file.Read(&record, sizeof record);
}

/// Reads a table of `count` records one after another from the current
/// position, each cleared first, into `records`. A record that starts at or
/// beyond the end of the file would read as zeros, so only the records that
/// start inside it are read and kept: a count taken from a file never costs
/// more memory than the file holds. The caller treats the records past
/// `records.size()` as zeros. On a failed read `records` is left empty.
template <typename Record>
bool ReadTable(core::File& file, std::int64_t count, std::vector<Record>& records) {
  records.clear();
  const std::uint64_t size = file.Size();
  const std::uint64_t start = file.Position();
  const std::uint64_t starting = start < size ? (size - start + sizeof(Record) - 1) / sizeof(Record) : 0;
  const std::uint64_t wanted = count > 0 ? static_cast<std::uint64_t>(count) : 0;
  records.resize(static_cast<std::size_t>(std::min(wanted, starting)));
  for (Record& record : records) {
    if (!ReadCleared(file, record)) {
      records.clear();
      return false;
    }
  }
  return true;
}

}  // namespace Terrix::styling
