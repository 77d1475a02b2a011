// Terrix_FastReader: object, opening, head area queries and control points.
#include "terrix/FastReader.h"

#include "readers/ReaderStates.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace {

// The attribute table that each file kind starts with.
std::int32_t DefaultTableSelector(FileKind kind) {
  switch (kind) {
    case FileKind::Point:
      return format::TableSelector::PointOrNode;
    case FileKind::Region:
      return format::TableSelector::Region;
    case FileKind::Table:
      return format::TableSelector::Table;
    default:
      return format::TableSelector::LineOrArc;  // line and network files
  }
}

}  // namespace

Terrix_FastReader::Terrix_FastReader() : state_(std::make_shared<detail::FastReaderState>()) {}
Terrix_FastReader::Terrix_FastReader(const Terrix_FastReader& other) = default;
Terrix_FastReader& Terrix_FastReader::operator=(const Terrix_FastReader& other) = default;
// The last copy to go closes the file: the shared state's destructor does it.
Terrix_FastReader::~Terrix_FastReader() = default;

std::int32_t Terrix_FastReader::Open(const wchar_t* path) {
  Close();
  return state_->core.OpenFile(path) ? ReadHeadInfo() : Result::CannotOpen;
}

std::int32_t Terrix_FastReader::ReadHeadInfo() {
  detail::FastReaderState& s = *state_;
  const std::int32_t rc = s.core.ReadHead();
  if (s.core.map.head.kindAccepted) s.tableSelector = DefaultTableSelector(s.core.map.head.Kind());
  return rc;
}

void Terrix_FastReader::Close() {
  state_->core.Close();
  state_->loadedSelector = -1;
  state_->tableSelector = 0;
}

int Terrix_FastReader::GetShapeType() {
  return static_cast<int>(state_->core.map.head.Kind());
}

int Terrix_FastReader::GetPointCount(int* count) {
  const format::OpenedMap& map = state_->core.map;
  const TERRIX_Element& c = map.head.counts;
  switch (map.head.Kind()) {
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
  const format::OpenedMap& map = state_->core.map;
  if (!format::KindHasLines(map.head.Kind())) return Result::NotApplicable;
  format::StoreIndexCount(map.head.counts.elementRecordCount, count);
  return map.head.counts.elementCount;
}

int Terrix_FastReader::GetPolygonCount(int* count) {
  const format::OpenedMap& map = state_->core.map;
  if (!format::KindHasRegions(map.head.Kind())) return Result::NotApplicable;
  format::StoreIndexCount(map.head.counts.regionRecordCount, count);
  return map.head.counts.regionCount;
}

void Terrix_FastReader::GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax) {
  state_->core.map.ExtentInfo(xmin, ymin, xmax, ymax);
}

char Terrix_FastReader::GetProjectionInfo(MAP_PARAstruct* projection) {
  return state_->core.map.ProjectionInfo(projection);
}

int Terrix_FastReader::GetTicCount() {
  return state_->core.map.TicCount();
}

std::int32_t Terrix_FastReader::GetTicInfo(int index, TERRIX_Tic_Info* tic) {
  return state_->core.map.ReadTic(index, tic);
}

std::int32_t Terrix_FastReader::GetTopoInfo(int index, TERRIX_Topology* topology) {
  return state_->core.map.ReadTopology(index, topology);
}

}  // namespace Terrix
