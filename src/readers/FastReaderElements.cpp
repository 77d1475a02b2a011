// Terrix_FastReader: loading the element tables and reading points, notes,
// lines and polygons (format::ElementReader with the fast reader's rules).
#include "readers/ElementReadMembers.h"
#include "readers/FastReaderState.h"
#include "terrix/FastReader.h"

namespace Terrix {

TERRIX_DEFINE_ELEMENT_READS(Terrix_FastReader)

void Terrix_FastReader::ClearGeomBuffer() {
  state_->elements.ReleaseTables();
}

}  // namespace Terrix
