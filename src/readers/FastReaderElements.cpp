// Terrix_FastReader: loading the element tables and reading points, notes,
// lines and polygons (format::ElementReader with the fast reader's rules).
#include "readers/FastReaderState.h"
#include "terrix/FastReader.h"

namespace Terrix {

std::int32_t Terrix_FastReader::ReadGeomInfo() {
  return detail::ElementsOf(*state_).Load();
}

void Terrix_FastReader::ClearGeomBuffer() {
  state_->elements.ReleaseTables();
}

std::int32_t Terrix_FastReader::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadPoint(index, info, geometry);
}

std::int32_t Terrix_FastReader::GetNoteInfo(int index, char* note) {
  return detail::ElementsOf(*state_).ReadNote(index, note);
}

std::int32_t Terrix_FastReader::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadLine(index, info, geometry);
}

std::int32_t Terrix_FastReader::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadRegion(index, info, geometry);
}

std::int32_t Terrix_FastReader::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  return detail::ElementsOf(*state_).ReadArc(arc, count, points, roomPoints);
}

std::int32_t Terrix_FastReader::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total,
                                             std::int32_t* entries) {
  return detail::ElementsOf(*state_).ReadArcList(region, total, entries);
}

}  // namespace Terrix
