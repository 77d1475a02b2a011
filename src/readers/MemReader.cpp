// Terrix_MemReader: object, opening, head area queries and control points.
#include "terrix/MemReader.h"

#include "format/Layout.h"
#include "readers/MemReaderState.h"
#include "readers/ReaderLifecycle.h"
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

TERRIX_DEFINE_READER_LIFECYCLE(Terrix_MemReader, detail::MemReaderState, core::OpenMode::Read)

std::int32_t Terrix_MemReader::ReadHeadInfo() {
  format::OpenedMap& map = state_->map;
  const std::int32_t rc = format::ReadHeadArea(map.file, map.head, format::KindPolicy::AnyKind);
  state_->kind = map.Kind();
  return rc;
}

void Terrix_MemReader::Close() {
  detail::MemReaderState& s = *state_;
  s.elements.Clear();
  s.attributes.Release();
  s.map.Close();
  s.kind = FileKind::Line;
}

int Terrix_MemReader::GetShapeType() {
  return ShapeTypeOfKind(state_->kind);
}

int Terrix_MemReader::GetPntCount(int* count) {
  const TERRIX_Element& c = state_->map.head.counts;
  return CountPair(c.elementCount, c.elementRecordCount, count);
}

int Terrix_MemReader::GetArcCount(int* count) {
  return GetPntCount(count);
}

int Terrix_MemReader::GetNetPntCount(int* count) {
  const TERRIX_Element& c = state_->map.head.counts;
  return CountPair(c.nodeCount, c.nodeRecordCount, count);
}

int Terrix_MemReader::GetRegCount(int* count) {
  const TERRIX_Element& c = state_->map.head.counts;
  return CountPair(c.regionCount, c.regionRecordCount, count);
}

void Terrix_MemReader::GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax) {
  state_->map.ExtentInfo(xmin, ymin, xmax, ymax);
}

char Terrix_MemReader::GetProjection(MAP_PARAstruct* projection) {
  return state_->map.ProjectionInfo(projection);
}

int Terrix_MemReader::GetTicCount() {
  return state_->map.TicCount();
}

std::int32_t Terrix_MemReader::GetTicInfo(int index, TERRIX_Tic_Info* tic) {
  return state_->map.ReadTic(index, tic);
}

std::int32_t Terrix_MemReader::GetTopoInfo(int index, TERRIX_Topology* topology) {
  return state_->map.ReadTopology(index, topology);
}

void Terrix_MemReader::ReadAsPolyArc() {
  state_->kind = FileKind::Line;
}

}  // namespace Terrix
