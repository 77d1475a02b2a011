// Terrix_Reader: element reads (format::ElementReader with the editing
// reader's rules), polygon labels, and changing element records in place.
#include "format/ElementChanges.h"
#include "readers/EditReaderState.h"
#include "terrix/Reader.h"

namespace Terrix {

std::int32_t Terrix_Reader::ReadGeomInfo() {
  return detail::ElementsOf(*state_).Load();
}

std::int32_t Terrix_Reader::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadPoint(index, info, geometry);
}

std::int32_t Terrix_Reader::GetNoteInfo(int index, char* note) {
  return detail::ElementsOf(*state_).ReadNote(index, note);
}

std::int32_t Terrix_Reader::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadLine(index, info, geometry);
}

std::int32_t Terrix_Reader::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {
  return detail::ElementsOf(*state_).ReadRegion(index, info, geometry);
}

std::int32_t Terrix_Reader::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  return detail::ElementsOf(*state_).ReadArc(arc, count, points, roomPoints);
}

std::int32_t Terrix_Reader::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries) {
  return detail::ElementsOf(*state_).ReadArcList(region, total, entries);
}

std::int32_t Terrix_Reader::GetPolyLab(int index, TERRIX_RegExt* label) {
  return state_->labels.Read(state_->map, index, label);
}

// The element records are loaded first, so that a change is made to the
// records as read and WriteGeomInfo writes them all back.
std::int32_t Terrix_Reader::SetPointInfo(int index, TERRIX_PntInfo info) {
  ReadGeomInfo();
  detail::EditReaderState& s = *state_;
  return format::ChangeRecord(s.elements.points, s.map.head.counts.elementRecordCount, index, &info);
}

std::int32_t Terrix_Reader::SetArcInfo(int index, TERRIX_LineInfo info) {
  ReadGeomInfo();
  detail::EditReaderState& s = *state_;
  return format::ChangeRecord(s.elements.lines, s.map.head.counts.elementRecordCount, index, &info);
}

std::int32_t Terrix_Reader::SetPolygonInfo(int index, TERRIX_RegInfo info) {
  ReadGeomInfo();
  detail::EditReaderState& s = *state_;
  return format::ChangeRecord(s.elements.regions, s.map.head.counts.regionRecordCount, index, &info);
}

std::int32_t Terrix_Reader::WriteGeomInfo() {
  ReadGeomInfo();
  return format::WriteElementTables(state_->map, state_->elements);
}

}  // namespace Terrix
