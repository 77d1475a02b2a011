/// @file
/// Terrix_Legend: the legend file of a map, its items and their style records.
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
///
/// Threads: an object and its copies are used by one thread at a time.
class TERRIX_API Terrix_Legend {
 public:
  /// A legend with no file open.
  Terrix_Legend();
  /// A copy that shares the open file and the items of `other`.
  /// @param other The legend to share with.
  Terrix_Legend(const Terrix_Legend& other);
  /// Drops this legend's state (closing its file when no other copy holds it)
  /// and shares that of `other`.
  /// @param other The legend to share with.
  /// @return This legend.
  Terrix_Legend& operator=(const Terrix_Legend& other);
  /// The last copy to go closes the file.
  ~Terrix_Legend();

  /// Opens the file and loads the items (those beyond the end of the file
  /// read as zeros and cost no memory): the item count on success (a count
  /// of 0 or less loads nothing and is returned as it stands), or
  /// Result::CannotOpen, Result::IoError, Result::BadMagic (file closed).
  ///
  /// The object leaves the state it shared with its copies, which keep the
  /// file they had open.
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @return The item count; Result::CannotOpen when the file cannot be
  ///         opened; Result::IoError when a read fails; Result::BadMagic when
  ///         the magic is not "WMAP`D2>".
  std::int32_t Open(const wchar_t* path);
  /// The item count of the open file; 0 when no file is open.
  /// @return The head's item count, or 0.
  std::int32_t GetLegendNum();
  /// Copies item `index` (from 0) into `item` when given and reads its style
  /// record into the destination of its kind: point (1), line (0), region (2).
  /// Returns the item's kind, or Result::IoError for an index out of range, a
  /// missing destination for the kind or a failed read. Any other kind reads
  /// nothing and is returned as it stands.
  ///
  /// The style record lies at its offset from the start of the style area,
  /// which follows the item table; bytes beyond the end of the file read as
  /// zeros.
  /// @param index  The item, from 0 to the count Open returned - 1.
  /// @param item   Receives the item; may be null.
  /// @param point  Receives the style record of a point item.
  /// @param line   Receives the style record of a line item.
  /// @param region Receives the style record of a region item.
  /// @return The item's kind; Result::IoError also when no file is open or the
  ///         style record's position is negative.
  std::int32_t GetLegendInfo(int index, TERRIX_LegendItem* item, PNT_INFOstruct* point, LIN_INFOstruct* line,
                             REG_INFOstruct* region);
  /// Releases the items and closes the file.
  ///
  /// Acts for every copy that shares the state.
  void Close();

 private:
  std::shared_ptr<detail::LegendState> state_;
};

}  // namespace Terrix
