// Terrix_Reader: element reads (format::ElementReader with the editing
// reader's rules), polygon labels, and changing element records in place.
#include "format/ElementChanges.h"
#include "readers/EditReaderState.h"
#include "readers/ElementReadMembers.h"
#include "terrix/Reader.h"

namespace Terrix {

TERRIX_DEFINE_ELEMENT_READS(Terrix_Reader)

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
