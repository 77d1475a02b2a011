// Terrix_Reader (the editing reader): object, opening and head area queries.
#include "readers/ReaderStates.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

Terrix_Reader::Terrix_Reader() : state_(std::make_shared<detail::EditReaderState>()) {}
Terrix_Reader::Terrix_Reader(const Terrix_Reader& other) = default;
Terrix_Reader& Terrix_Reader::operator=(const Terrix_Reader& other) = default;
// The last copy to go closes the file: the shared state's destructor does it.
Terrix_Reader::~Terrix_Reader() = default;

std::int32_t Terrix_Reader::Open(const wchar_t* path) {
  Close();
  return state_->core.OpenFile(path) ? ReadHeadInfo() : Result::CannotOpen;
}

std::int32_t Terrix_Reader::ReadHeadInfo() {
  const std::int32_t rc = state_->core.ReadHead();
  // A refused file or one whose directory lies beyond the limits is closed at
  // once; a magic that does not match leaves it open until Close.
  if (rc == Result::Refused || rc == Result::CannotOpen) state_->core.map.Close();
  return rc;
}

void Terrix_Reader::Close() {
  state_->core.Close();
  state_->labels.Clear();
}

int Terrix_Reader::GetInfo(int* count, int* shapeType, int* ticCount) {
  const format::OpenedMap& map = state_->core.map;
  const TERRIX_Element& c = map.head.counts;
  const bool region = map.head.Kind() == FileKind::Region;
  if (count != nullptr) format::StoreIndexCount(region ? c.regionRecordCount : c.elementRecordCount, count);
  if (shapeType != nullptr) {
    switch (map.head.Kind()) {
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
  state_->core.map.ExtentInfo(xmin, ymin, xmax, ymax);
}

char Terrix_Reader::GetProjection(MAP_PARAstruct* projection) {
  return state_->core.map.ProjectionInfo(projection);
}

std::int32_t Terrix_Reader::GetTicInfo(int index, TERRIX_Tic_Info* tic) {
  return state_->core.map.ReadTic(index, tic);
}

}  // namespace Terrix
