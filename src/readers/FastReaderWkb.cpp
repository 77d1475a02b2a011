// Terrix_FastReader: elements as well-known-binary records.
#include "readers/FastReaderState.h"
#include "terrix/FastReader.h"

namespace Terrix {

std::int32_t Terrix_FastReader::ReadPointWKB(int index, TERRIX_PntInfo* info, WKBPoint* wkb) {
  return detail::ElementsOf(*state_).ReadPointWkb(index, info, wkb);
}

std::int32_t Terrix_FastReader::ReadArcWKB(int index, TERRIX_LineInfo* info, WKBLineString* wkb) {
  return detail::ElementsOf(*state_).ReadLineWkb(index, info, wkb);
}

std::int32_t Terrix_FastReader::ReadPolygonWKB(int index, TERRIX_RegInfo* info, WKBPolygon* wkb) {
  return detail::ElementsOf(*state_).ReadRegionWkb(index, info, wkb);
}

}  // namespace Terrix
