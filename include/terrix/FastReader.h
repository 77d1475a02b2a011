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
  // Element numbers count from 0: element i is record i + 1 of its table.
  // Records and geometries may be null. A geometry should be empty: the reader
  // stores fresh calloc'd arrays without releasing what it held.
  /// A point of a point file, or a node of a network file presented as a point.
  std::int32_t ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry);
  /// The note text of a point (point files only), cut at 259 bytes and
  /// terminated; `note` needs room for 260 bytes. Without a note the buffer
  /// is left as it was.
  std::int32_t GetNoteInfo(int index, char* note);
  /// A line of a line file, or an arc of a region or network file.
  std::int32_t ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry);
  /// A polygon of a region file, assembled ring by ring from its arcs.
  std::int32_t ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry);

  // Well-known-binary export.
  // As the element reads, with the shape in a well-known-binary record
  // (byteOrder 0). A null `wkb` makes the call a plain read of `info`.
  std::int32_t ReadPointWKB(int index, TERRIX_PntInfo* info, WKBPoint* wkb);
  /// `wkb->points` is a new calloc'd array that belongs to the caller (free it).
  std::int32_t ReadArcWKB(int index, TERRIX_LineInfo* info, WKBLineString* wkb);
  /// Fills the ring count only; `wkb->rings` is left as it was.
  std::int32_t ReadPolygonWKB(int index, TERRIX_RegInfo* info, WKBPolygon* wkb);

  // Attribute access.

 protected:
  std::int32_t ReadHeadInfo();
  /// Loads the element tables of the file's kind, once (a failed load too).
  std::int32_t ReadGeomInfo();
  /// Releases the point, line and polygon tables.
  void ClearGeomBuffer();
  /// Reads arc record |arc| (reversed for a negative number) into `points`
  /// (x, y pairs, room for `roomPoints`); `count` gets its point count.
  std::int32_t ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints);
  /// Reads a polygon's arc list: the leading total into `total`, the
  /// listCount - 1 entries into `entries`.
  std::int32_t ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries);

 private:
  std::shared_ptr<detail::FastReaderState> state_;
};

}  // namespace Terrix
