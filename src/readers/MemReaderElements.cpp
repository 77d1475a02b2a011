// Terrix_MemReader: element reads (format::ElementReader with the memory
// reader's rules), network points included.
#include "readers/MemReaderState.h"
#include "terrix/MemReader.h"

namespace Terrix {

std::int32_t Terrix_MemReader::ReadGeomInfo() {
  return detail::ElementsOf(*state_).Load();
}

std::int32_t Terrix_MemReader::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadPoint(index, info, geometry);
}

std::int32_t Terrix_MemReader::GetNoteInfo(int index, char* note) {
  return detail::ElementsOf(*state_).ReadNote(index, note);
}

std::int32_t Terrix_MemReader::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadLine(index, info, geometry);
}

std::int32_t Terrix_MemReader::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadRegion(index, info, geometry);
}

std::int32_t Terrix_MemReader::ReadNetPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadNetPoint(index, info, geometry);
}

std::int32_t Terrix_MemReader::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  return detail::ElementsOf(*state_).ReadArc(arc, count, points, roomPoints);
}

std::int32_t Terrix_MemReader::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total,
                                            std::int32_t* entries) {
  return detail::ElementsOf(*state_).ReadArcList(region, total, entries);
}

}  // namespace Terrix
