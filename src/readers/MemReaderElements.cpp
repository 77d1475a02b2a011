// Terrix_MemReader: element reads (format::ElementReader under the memory
// reader's profile), network points included.
#include "readers/ReaderStates.h"
#include "terrix/MemReader.h"

namespace Terrix {

std::int32_t Terrix_MemReader::ReadGeomInfo() {
  return state_->core.Elements().Load();
}

std::int32_t Terrix_MemReader::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadPoint(index, info, geometry);
}

std::int32_t Terrix_MemReader::GetNoteInfo(int index, char* note) {
  return state_->core.Elements().ReadNote(index, note);
}

std::int32_t Terrix_MemReader::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadLine(index, info, geometry);
}

std::int32_t Terrix_MemReader::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadRegion(index, info, geometry);
}

std::int32_t Terrix_MemReader::ReadNetPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadNetPoint(index, info, geometry);
}

std::int32_t Terrix_MemReader::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  return state_->core.Elements().ReadArc(arc, count, points, roomPoints);
}

std::int32_t Terrix_MemReader::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total,
                                            std::int32_t* entries) {
  return state_->core.Elements().ReadArcList(region, total, entries);
}

}  // namespace Terrix
