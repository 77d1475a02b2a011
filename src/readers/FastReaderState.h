// Everything a Terrix_FastReader holds. Copies of a reader share one state.
#pragma once

#include <cstdint>

#include "format/OpenedMap.h"

namespace Terrix::detail {

struct FastReaderState {
  format::OpenedMap map;
  /// Which attribute table the attribute operations use; set at open.
  std::int32_t tableSelector = 0;

  // Element tables.

  // Attribute table.
};

}  // namespace Terrix::detail
