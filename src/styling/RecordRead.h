// Reading packed records of the styling files.
#pragma once

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

/// Reads `count` records one after another, each cleared first, replacing
/// `records`. On a failed read `records` is left empty.
template <typename Record>
bool ReadRecords(core::File& file, std::size_t count, std::vector<Record>& records) {
  records.assign(count, Record{});
  for (Record& record : records) {
    if (!ReadCleared(file, record)) {
      records.clear();
      return false;
    }
  }
  return true;
}

}  // namespace Terrix::styling
