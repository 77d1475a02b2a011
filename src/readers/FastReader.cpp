// Terrix_FastReader: object, opening, head area queries and control points.
#include "terrix/FastReader.h"

#include "format/Layout.h"
#include "readers/FastReaderState.h"
#include "readers/ReaderLifecycle.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace {

// The attribute table that each file kind starts with.
std::int32_t DefaultTableSelector(FileKind kind) {
  switch (kind) {
    case FileKind::Point:
      return 1;
    case FileKind::Region:
      return 2;
    case FileKind::Table:
      return 7;
    default:
      return 0;  // line and network files: the line or arc table
  }
}

}  // namespace

TERRIX_DEFINE_READER_LIFECYCLE(Terrix_FastReader, detail::FastReaderState, core::OpenMode::Read)

std::int32_t Terrix_FastReader::ReadHeadInfo() {
  format::OpenedMap& map = state_->map;
  const std::int32_t rc = format::ReadHeadArea(map.file, map.head, format::KindPolicy::AnyKind);
  if (map.head.kindAccepted) state_->tableSelector = DefaultTableSelector(map.Kind());
  return rc;
}

void Terrix_FastReader::Close() {
  detail::FastReaderState& s = *state_;
  s.elements.Clear();
  s.map.Close();
  ClearAttrBuffer();
  s.tableSelector = 0;
}

int Terrix_FastReader::GetShapeType() {
  return static_cast<int>(state_->map.Kind());
}

int Terrix_FastReader::GetPointCount(int* count) {
  const TERRIX_Element& c = state_->map.head.counts;
  switch (state_->map.Kind()) {
    case FileKind::Point:
      format::StoreIndexCount(c.elementRecordCount, count);
      return c.elementCount;
    case FileKind::Network:
      format::StoreIndexCount(c.nodeRecordCount, count);
      return c.nodeCount;
    default:
      return Result::NotApplicable;
  }
}

int Terrix_FastReader::GetArcCount(int* count) {
  const FileKind kind = state_->map.Kind();
  if (kind != FileKind::Line && kind != FileKind::Region && kind != FileKind::Network)
    return Result::NotApplicable;
  const TERRIX_Element& c = state_->map.head.counts;
  format::StoreIndexCount(c.elementRecordCount, count);
  return c.elementCount;
}

int Terrix_FastReader::GetPolygonCount(int* count) {
  if (state_->map.Kind() != FileKind::Region) return Result::NotApplicable;
  const TERRIX_Element& c = state_->map.head.counts;
  format::StoreIndexCount(c.regionRecordCount, count);
  return c.regionCount;
}

void Terrix_FastReader::GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax) {
  state_->map.ExtentInfo(xmin, ymin, xmax, ymax);
}

char Terrix_FastReader::GetProjectionInfo(MAP_PARAstruct* projection) {
  return state_->map.ProjectionInfo(projection);
}

int Terrix_FastReader::GetTicCount() {
  return state_->map.TicCount();
}

std::int32_t Terrix_FastReader::GetTicInfo(int index, TERRIX_Tic_Info* tic) {
  return state_->map.ReadTic(index, tic);
}

std::int32_t Terrix_FastReader::GetTopoInfo(int index, TERRIX_Topology* topology) {
  return state_->map.ReadTopology(index, topology);
}

}  // namespace Terrix
