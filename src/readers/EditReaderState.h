// Everything a Terrix_Reader holds. Copies of a reader share one state.
#pragma once

#include "format/OpenedMap.h"

namespace Terrix::detail {

struct EditReaderState {
  format::OpenedMap map;

  // Element tables.

  // Attribute table.
};

}  // namespace Terrix::detail
