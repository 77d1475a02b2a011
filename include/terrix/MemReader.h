// Terrix_MemReader: the second read-only reader, with shape-type codes,
// network points and one attribute table per file kind.
#pragma once

#include <cstdint>
#include <memory>

#include "terrix/Export.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"

namespace Terrix {

namespace detail {
struct MemReaderState;
}

/// Reads point, line, region, network and table files like Terrix_FastReader,
/// but speaks in shape types (1 point, 3 line, 5 polygon), reads network
/// points as such, can read a region file as a line file, and uses the one
/// attribute table that belongs to the file kind. Copies share the open file
/// and every loaded table.
class TERRIX_API Terrix_MemReader {
 public:
  Terrix_MemReader();
  Terrix_MemReader(const Terrix_MemReader& other);
  Terrix_MemReader& operator=(const Terrix_MemReader& other);
  virtual ~Terrix_MemReader();

  std::int32_t Open(const wchar_t* path);
  void Close();
  /// 1 point file, 3 line or network file, 5 region file, -1 otherwise.
  int GetShapeType();
  /// Points of a point file, else lines or arcs; *count gets the indices the reads accept.
  int GetPntCount(int* count);
  int GetArcCount(int* count);
  int GetNetPntCount(int* count);
  int GetRegCount(int* count);
  void GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax);
  char GetProjection(MAP_PARAstruct* projection);
  int GetTicCount();
  std::int32_t GetTicInfo(int index, TERRIX_Tic_Info* tic);
  std::int32_t GetTopoInfo(int index, TERRIX_Topology* topology);
  /// From now until the next Open, treat the file as a line file.
  void ReadAsPolyArc();

  // Reading elements.

  // Attribute access.

 protected:
  std::int32_t ReadHeadInfo();

 private:
  std::shared_ptr<detail::MemReaderState> state_;
};

}  // namespace Terrix
