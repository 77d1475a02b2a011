// Everything a Terrix_FastReader holds. Copies of a reader share one state.
#pragma once

#include <cstdint>

#include "format/AttributeTable.h"
#include "format/ElementReads.h"
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

/// The fast reader's element reads: tables of the file's own kind, network
/// nodes built as points, points read in one run per arc, a line that the held
/// coordinate section cannot contain refused, an arc not in use left out of
/// its polygon.
inline format::ElementReader ElementsOf(FastReaderState& s) {
  format::ElementReadRules rules;
  rules.kind = s.map.Kind();
  rules.nodes = format::NetworkNodes::AsPoints;
  rules.indices = format::IndexRule::ByKind;
  return format::ElementReader(s.map, s.elements, rules);
}

}  // namespace Terrix::detail
