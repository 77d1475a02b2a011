// Terrix_Reader: element reads (format::ElementReader under the editing
// reader's profile), polygon labels, and changing element records in place.
#include "format/ElementChanges.h"
#include "readers/ReaderStates.h"
#include "terrix/Reader.h"

namespace Terrix {

std::int32_t Terrix_Reader::ReadGeomInfo() {
  return state_->core.Elements().Load();
}

std::int32_t Terrix_Reader::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadPoint(index, info, geometry);
}

std::int32_t Terrix_Reader::GetNoteInfo(int index, char* note) {
  return state_->core.Elements().ReadNote(index, note);
}

std::int32_t Terrix_Reader::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadLine(index, info, geometry);
}

std::int32_t Terrix_Reader::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {
  return state_->core.Elements().ReadRegion(index, info, geometry);
}

std::int32_t Terrix_Reader::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  return state_->core.Elements().ReadArc(arc, count, points, roomPoints);
}

std::int32_t Terrix_Reader::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries) {
  return state_->core.Elements().ReadArcList(region, total, entries);
}

std::int32_t Terrix_Reader::GetPolyLab(int index, TERRIX_RegExt* label) {
  return state_->labels.Read(state_->core.map, index, label);
}

// The element records are loaded first, so that a change is made to the
// records as read and WriteGeomInfo writes them all back.
std::int32_t Terrix_Reader::SetPointInfo(int index, TERRIX_PntInfo info) {
  ReadGeomInfo();
  detail::ReaderCore& c = state_->core;
  return format::ChangeRecord(c.elements.points, c.map.head.counts.elementRecordCount, index, &info);
}

std::int32_t Terrix_Reader::SetArcInfo(int index, TERRIX_LineInfo info) {
  ReadGeomInfo();
  detail::ReaderCore& c = state_->core;
  return format::ChangeRecord(c.elements.lines, c.map.head.counts.elementRecordCount, index, &info);
}

std::int32_t Terrix_Reader::SetPolygonInfo(int index, TERRIX_RegInfo info) {
  ReadGeomInfo();
  detail::ReaderCore& c = state_->core;
  return format::ChangeRecord(c.elements.regions, c.map.head.counts.regionRecordCount, index, &info);
}

std::int32_t Terrix_Reader::WriteGeomInfo() {
  ReadGeomInfo();
  return format::WriteElementTables(state_->core.map, state_->core.elements);
}

}  // namespace Terrix
