// Terrix_FastReader: the streaming reader of vector map files.
#pragma once

#include <cstdint>
#include <memory>

#include "terrix/Export.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"

namespace Terrix {

namespace detail {
struct FastReaderState;
}

/// Reads point, line, region, network and table files. Open reads the head
/// area and directory; every further table is loaded on first use and kept
/// until Close. Copies share the open file and every loaded table: closing
/// one closes both, and destroying both is harmless.
class TERRIX_API Terrix_FastReader {
 public:
  Terrix_FastReader();
  Terrix_FastReader(const Terrix_FastReader& other);
  Terrix_FastReader& operator=(const Terrix_FastReader& other);
  virtual ~Terrix_FastReader();

  // Opening, head area, counts, extent, projection, control points.
  std::int32_t Open(const wchar_t* path);
  void Close();
  /// The file kind: 0 line, 1 point, 2 region, 4 network, 7 table.
  int GetShapeType();
  /// Point file: points; network file: nodes; else -1 with *count untouched.
  int GetPointCount(int* count);
  /// Line, region and network files: lines or arcs; else -1.
  int GetArcCount(int* count);
  /// Region files: polygons; else -1.
  int GetPolygonCount(int* count);
  void GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax);
  char GetProjectionInfo(MAP_PARAstruct* projection);
  int GetTicCount();
  std::int32_t GetTicInfo(int index, TERRIX_Tic_Info* tic);
  /// `index` is the arc's record number (element number + 1).
  std::int32_t GetTopoInfo(int index, TERRIX_Topology* topology);

  // Reading elements.

  // Well-known-binary export.

  // Attribute access.

 protected:
  std::int32_t ReadHeadInfo();

 private:
  std::shared_ptr<detail::FastReaderState> state_;
};

}  // namespace Terrix
