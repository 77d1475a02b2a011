// Terrix_Legend: the legend file of a map, its items and their style records.
#pragma once

#include <cstdint>
#include <memory>

#include "terrix/Export.h"
#include "terrix/StyleRecords.h"

namespace Terrix {

namespace detail {
struct LegendState;
}

/// Opens a legend file, reads its head and item table and keeps the file open
/// for reading the items' style records until Close. Copies share the open
/// file and the items: closing one closes both, and destroying both is
/// harmless. Open gives the object a state of its own.
class TERRIX_API Terrix_Legend {
 public:
  Terrix_Legend();
  Terrix_Legend(const Terrix_Legend& other);
  Terrix_Legend& operator=(const Terrix_Legend& other);
  ~Terrix_Legend();

  /// Opens the file and loads the items (those beyond the end of the file
  /// read as zeros and cost no memory): the item count on success (a count
  /// of 0 or less loads nothing and is returned as it stands), or
  /// Result::CannotOpen, Result::IoError, Result::BadMagic (file closed).
  std::int32_t Open(const wchar_t* path);
  /// The item count of the open file; 0 when no file is open.
  std::int32_t GetLegendNum();
  /// Copies item `index` (from 0) into `item` when given and reads its style
  /// record into the destination of its kind: point (1), line (0), region (2).
  /// Returns the item's kind, or Result::IoError for an index out of range, a
  /// missing destination for the kind or a failed read. Any other kind reads
  /// nothing and is returned as it stands.
  std::int32_t GetLegendInfo(int index, TERRIX_LegendItem* item, PNT_INFOstruct* point, LIN_INFOstruct* line,
                             REG_INFOstruct* region);
  /// Releases the items and closes the file.
  void Close();

 private:
  std::shared_ptr<detail::LegendState> state_;
};

}  // namespace Terrix
