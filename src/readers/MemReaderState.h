// Everything a Terrix_MemReader holds. Copies of a reader share one state.
#pragma once

#include "format/OpenedMap.h"

namespace Terrix::detail {

struct MemReaderState {
  format::OpenedMap map;
  /// The file kind the reader works with: the head's kind, or the line kind
  /// after ReadAsPolyArc.
  int kind = 0;

  // Element tables.

  // Attribute table.
};

}  // namespace Terrix::detail
