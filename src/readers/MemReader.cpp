// Terrix_MemReader: object, opening, head area queries and control points.
#include "terrix/MemReader.h"

#include "readers/ReaderStates.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace {

// The shape type code of a file kind, as the memory reader reports it.
int ShapeTypeOfKind(FileKind kind) {
  switch (kind) {
    case FileKind::Point:
      return ShapeType::Point;
    case FileKind::Line:
    case FileKind::Network:
      return ShapeType::Line;
    case FileKind::Region:
      return ShapeType::Polygon;
    default:
      return -1;
  }
}

// The memory reader's counts answer for any file kind.
int CountPair(std::int32_t elements, std::int32_t records, int* count) {
  format::StoreIndexCount(records, count);
  return elements;
}

}  // namespace

Terrix_MemReader::Terrix_MemReader() : state_(std::make_shared<detail::MemReaderState>()) {}
Terrix_MemReader::Terrix_MemReader(const Terrix_MemReader& other) = default;
Terrix_MemReader& Terrix_MemReader::operator=(const Terrix_MemReader& other) = default;
// The last copy to go closes the file: the shared state's destructor does it.
Terrix_MemReader::~Terrix_MemReader() = default;

std::int32_t Terrix_MemReader::Open(const wchar_t* path) {
  Close();
  return state_->core.OpenFile(path) ? ReadHeadInfo() : Result::CannotOpen;
}

std::int32_t Terrix_MemReader::ReadHeadInfo() {
  return state_->core.ReadHead();
}

void Terrix_MemReader::Close() {
  state_->core.Close();
}

int Terrix_MemReader::GetShapeType() {
  return ShapeTypeOfKind(state_->core.ReadKind());
}

int Terrix_MemReader::GetPntCount(int* count) {
  const TERRIX_Element& c = state_->core.map.head.counts;
  return CountPair(c.elementCount, c.elementRecordCount, count);
}

int Terrix_MemReader::GetArcCount(int* count) {
  return GetPntCount(count);
}

int Terrix_MemReader::GetNetPntCount(int* count) {
  const TERRIX_Element& c = state_->core.map.head.counts;
  return CountPair(c.nodeCount, c.nodeRecordCount, count);
}

int Terrix_MemReader::GetRegCount(int* count) {
  const TERRIX_Element& c = state_->core.map.head.counts;
  return CountPair(c.regionCount, c.regionRecordCount, count);
}

void Terrix_MemReader::GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax) {
  state_->core.map.ExtentInfo(xmin, ymin, xmax, ymax);
}

char Terrix_MemReader::GetProjection(MAP_PARAstruct* projection) {
  return state_->core.map.ProjectionInfo(projection);
}

int Terrix_MemReader::GetTicCount() {
  return state_->core.map.TicCount();
}

std::int32_t Terrix_MemReader::GetTicInfo(int index, TERRIX_Tic_Info* tic) {
  return state_->core.map.ReadTic(index, tic);
}

std::int32_t Terrix_MemReader::GetTopoInfo(int index, TERRIX_Topology* topology) {
  return state_->core.map.ReadTopology(index, topology);
}

void Terrix_MemReader::ReadAsPolyArc() {
  state_->core.TreatAs(FileKind::Line);
}

}  // namespace Terrix
