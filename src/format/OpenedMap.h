// An open vector map file with its head area, and the tables every reader
// loads the same way: control points (tics) and arc topology.
#pragma once

#include <cstdint>

#include "core/File.h"
#include "format/HeadArea.h"
#include "terrix/Records.h"

namespace Terrix::format {

struct OpenedMap {
  core::File file;
  HeadArea head;
  bool ticsLoaded = false;
  RecordTable tics;
  bool topologyLoaded = false;
  RecordTable topology;

  /// Closes the file and forgets everything loaded.
  void Close();

  /// Offset of directory entry `entry`, or false without such an entry.
  bool SectionOffset(int entry, std::uint64_t& offset) const;

  /// The projection as handed out: the coefficient at offset 52 becomes 1.0
  /// when the type is 0 or it is below 0.001. Returns the projection type.
  char ProjectionInfo(MAP_PARAstruct* out) const;
  void ExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax) const;
  /// Low 16 bits of the stored tic count, sign-extended.
  int TicCount() const;
  std::int32_t ReadTic(int index, TERRIX_Tic_Info* out);
  std::int32_t ReadTopology(int index, TERRIX_Topology* out);
};

/// Writes max(recordCount - 1, 0) to `count` when given: the element indices
/// that the element reads accept.
void StoreIndexCount(std::int32_t recordCount, int* count);

}  // namespace Terrix::format
