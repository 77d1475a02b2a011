// Terrix_FastReader: loading the element tables and reading points, notes,
// lines and polygons, as Geometry containers or well-known-binary records
// (format::ElementReader under the fast reader's profile).
#include "readers/ReaderStates.h"
#include "terrix/FastReader.h"

namespace Terrix {

std::int32_t Terrix_FastReader::ReadGeomInfo() {
  return state_->core.Elements().Load();
}

void Terrix_FastReader::ClearGeomBuffer() {
  state_->core.elements.ReleaseTables();
}

std::int32_t Terrix_FastReader::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadPoint(index, info, geometry);
}

std::int32_t Terrix_FastReader::GetNoteInfo(int index, char* note) {
  return state_->core.Elements().ReadNote(index, note);
}

std::int32_t Terrix_FastReader::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadLine(index, info, geometry);
}

std::int32_t Terrix_FastReader::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadRegion(index, info, geometry);
}

std::int32_t Terrix_FastReader::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  return state_->core.Elements().ReadArc(arc, count, points, roomPoints);
}

std::int32_t Terrix_FastReader::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total,
                                             std::int32_t* entries) {
  return state_->core.Elements().ReadArcList(region, total, entries);
}

std::int32_t Terrix_FastReader::ReadPointWKB(int index, TERRIX_PntInfo* info, WKBPoint* wkb) {
  return state_->core.Elements().ReadPointWkb(index, info, wkb);
}

std::int32_t Terrix_FastReader::ReadArcWKB(int index, TERRIX_LineInfo* info, WKBLineString* wkb) {
  return state_->core.Elements().ReadLineWkb(index, info, wkb);
}

std::int32_t Terrix_FastReader::ReadPolygonWKB(int index, TERRIX_RegInfo* info, WKBPolygon* wkb) {
  return state_->core.Elements().ReadRegionWkb(index, info, wkb);
}

}  // namespace Terrix
