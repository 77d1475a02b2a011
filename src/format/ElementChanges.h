// Changing element records of an open file: replacing records in the loaded
// tables, writing the tables back over the bytes they were read from, and the
// 16-byte label records of a region file. Only the editing reader changes
// files; coordinates, topology and attributes are never written.
#pragma once

#include <cstdint>

#include "format/ElementTables.h"
#include "format/HeadArea.h"
#include "format/OpenedMap.h"
#include "terrix/Records.h"

namespace Terrix::format {

/// Replaces record RecordOfElement(index) of `table` with `record`, all of it,
/// state byte included. Result::IoError, nothing changed, when `index` lies
/// outside a table of `recordCount` records or the file does not hold that
/// record (so that a hostile count cannot make a change allocate gigabytes).
std::int32_t ChangeRecord(RecordTable& table, std::int32_t recordCount, int index, const void* record);

/// Writes the element table of the file's kind back where it was read: the
/// points of a point file and the lines of a line file at section 0, the
/// regions of a region file at section 8 (its arcs stay as they are in the
/// file); a table file writes nothing. What is written is what the table
/// holds: the records the file held, with the changes made to them.
/// Result::WriteBackFailed when a write fails, else Result::Success.
std::int32_t WriteElementTables(OpenedMap& map, const ElementTables& tables);

/// The 16-byte records at the start of section 0 of a region file, one per
/// arc record, loaded on first use.
struct RegionLabels {
  bool loaded = false;
  RecordTable records;

  /// Copies label `index` into `out` when given. Result::IoError for a file
  /// that is not a region file, an index not below both the region count and
  /// the arc record count, or a failed load.
  std::int32_t Read(OpenedMap& map, int index, TERRIX_RegExt* out);
  void Clear();
};

}  // namespace Terrix::format
