#include "format/OpenedMap.h"

#include <cstring>

#include "core/ProjectionRule.h"
#include "format/Layout.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

void OpenedMap::Close() {
  file.Close();
  head = HeadArea{};
  ticsLoaded = false;
  tics.Clear();
  topologyLoaded = false;
  topology.Clear();
}

bool OpenedMap::SectionOffset(int entry, std::uint64_t& offset) const {
  TERRIX_Part part{};
  if (!head.Section(entry, part)) return false;
  offset = part.offset;
  return true;
}

char OpenedMap::ProjectionInfo(MAP_PARAstruct* out) const {
  return core::HandOutProjection(head.projection, out);
}

void OpenedMap::ExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax) const {
  if (xmin != nullptr) *xmin = head.extent[0];
  if (ymin != nullptr) *ymin = head.extent[1];
  if (xmax != nullptr) *xmax = head.extent[2];
  if (ymax != nullptr) *ymax = head.extent[3];
}

int OpenedMap::TicCount() const {
  return static_cast<std::int16_t>(head.ticCount & 0xFFFF);
}

std::int32_t OpenedMap::ReadTic(int index, TERRIX_Tic_Info* out) {
  if (index < 0 || index >= head.ticCount) return Result::IoError;
  if (!ticsLoaded) {
    // The table is loaded once: a failed load is not tried again.
    ticsLoaded = true;
    std::uint64_t coordinates = 0;
    if (!SectionOffset(Section::Coordinates, coordinates)) return Result::IoError;
    const std::int32_t rc = tics.Load(file, coordinates + head.ticOffset, head.ticCount, kTicRecordSize);
    if (rc != Result::Success) return rc;
  }
  if (out != nullptr) tics.CopyRecord(index, out);
  return Result::Success;
}

std::int32_t OpenedMap::ReadTopology(int index, TERRIX_Topology* out) {
  if (!topologyLoaded) {
    topologyLoaded = true;
    std::uint64_t offset = 0;
    if (!SectionOffset(Section::Topology, offset)) return Result::IoError;
    const std::int32_t rc = topology.Load(file, offset, head.counts.elementRecordCount, kTopologyRecordSize);
    if (rc != Result::Success) return rc;
  }
  if (out == nullptr || !topology.Contains(index)) return Result::IoError;
  topology.CopyRecord(index, out);
  return Result::Success;
}

void StoreIndexCount(std::int32_t recordCount, int* count) {
  if (count != nullptr) *count = recordCount > 0 ? recordCount - 1 : 0;
}

}  // namespace Terrix::format
