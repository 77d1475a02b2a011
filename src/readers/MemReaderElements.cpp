// Terrix_MemReader: element reads (format::ElementReader with the memory
// reader's rules), network points included.
#include "readers/ElementReadMembers.h"
#include "readers/MemReaderState.h"
#include "terrix/MemReader.h"

namespace Terrix {

TERRIX_DEFINE_ELEMENT_READS(Terrix_MemReader)

std::int32_t Terrix_MemReader::ReadNetPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadNetPoint(index, info, geometry);
}

}  // namespace Terrix
