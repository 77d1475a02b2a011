// Terrix_Reader (the editing reader): object, opening and head area queries.
#include "format/Layout.h"
#include "readers/EditReaderState.h"
#include "readers/ReaderLifecycle.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

// Update mode: the element records may be written back in place.
TERRIX_DEFINE_READER_LIFECYCLE(Terrix_Reader, detail::EditReaderState, core::OpenMode::Update)

std::int32_t Terrix_Reader::ReadHeadInfo() {
  format::OpenedMap& map = state_->map;
  const std::int32_t rc = format::ReadHeadArea(map.file, map.head, format::KindPolicy::Editable);
  // A refused file or one whose directory lies beyond the limits is closed at
  // once; a magic that does not match leaves it open until Close.
  if (rc == Result::Refused || rc == Result::CannotOpen) map.Close();
  return rc;
}

void Terrix_Reader::Close() {
  detail::EditReaderState& s = *state_;
  s.elements.Clear();
  s.labels.Clear();
  s.attributes.Release();
  s.map.Close();
}

int Terrix_Reader::GetInfo(int* count, int* shapeType, int* ticCount) {
  const format::OpenedMap& map = state_->map;
  const TERRIX_Element& c = map.head.counts;
  const bool region = map.Kind() == FileKind::Region;
  if (count != nullptr) format::StoreIndexCount(region ? c.regionRecordCount : c.elementRecordCount, count);
  if (shapeType != nullptr) {
    switch (map.Kind()) {
      case FileKind::Point:
        *shapeType = ShapeType::Point;
        break;
      case FileKind::Line:
        *shapeType = ShapeType::Line;
        break;
      case FileKind::Region:
        *shapeType = ShapeType::Polygon;
        break;
      default:
        break;  // a table file has no shape type: the caller's value stays
    }
  }
  if (ticCount != nullptr) *ticCount = map.head.ticCount;
  return region ? c.regionCount : c.elementCount;
}

void Terrix_Reader::GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax) {
  state_->map.ExtentInfo(xmin, ymin, xmax, ymax);
}

char Terrix_Reader::GetProjection(MAP_PARAstruct* projection) {
  return state_->map.ProjectionInfo(projection);
}

std::int32_t Terrix_Reader::GetTicInfo(int index, TERRIX_Tic_Info* tic) {
  return state_->map.ReadTic(index, tic);
}

}  // namespace Terrix
