// Everything a Terrix_FastReader holds. Copies of a reader share one state.
#pragma once

#include <cstdint>

#include "format/AttributeTable.h"
#include "format/ElementTables.h"
#include "format/OpenedMap.h"

namespace Terrix::detail {

struct FastReaderState {
  format::OpenedMap map;
  /// Which attribute table the attribute operations use; set at open.
  std::int32_t tableSelector = 0;

  // Element tables.
  /// Point (or node-as-point), line and polygon tables, loaded on the first element read.
  format::ElementTables elements;

  // Attribute table.
  /// The table of the current selector: read as one block on the first value read.
  format::AttributeTable attributes{format::RecordAccess::WholeBlock};
  /// The selector whose table `attributes` holds, -1 when none is loaded.
  std::int32_t loadedSelector = -1;
};

}  // namespace Terrix::detail
