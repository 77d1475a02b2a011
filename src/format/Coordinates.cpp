#include "format/Coordinates.h"

#include <algorithm>
#include <utility>

namespace Terrix::format {

CoordinateSection LocateCoordinates(const HeadArea& head, std::uint64_t fileSize) {
  CoordinateSection section;
  section.fileSize = fileSize;
  TERRIX_Part part{};
  if (!head.Section(Section::Coordinates, part)) return section;
  section.present = true;
  section.offset = part.offset;
  section.length = part.length;
  return section;
}

bool ReadPointRun(core::File& file, std::uint64_t position, std::int64_t count, double* xy, PointReads how) {
  if (count <= 0) {
    // A run of no points is still one (empty) read, as the reader would issue it.
    file.Seek(position);
    return how == PointReads::ValueByValue || file.Read(xy, 0);
  }
  file.Seek(position);
  if (how == PointReads::WholeRun)
    return file.Read(xy, static_cast<std::size_t>(count) * kCoordinatePairSize);
  const std::int64_t values = count * 2;
  for (std::int64_t v = 0; v < values; ++v)
    if (!file.Read(xy + v, sizeof(double))) return false;
  return true;
}

void ReversePointRun(double* xy, std::int64_t count) {
  for (std::int64_t j = 0, k = count - 1; j < k; ++j, --k) {
    std::swap(xy[2 * j], xy[2 * k]);
    std::swap(xy[2 * j + 1], xy[2 * k + 1]);
  }
}

}  // namespace Terrix::format
