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
  /// Loads the table that `selector` names (0 line or arc, 1 point or node,
  /// 2 region, 7 the table of a table file) and makes it current; a table the
  /// file does not have leaves the previous selector in place.
  void SetAttributeType(int selector);
  /// Loads the current table if needed: its field count, or the load's code.
  std::int32_t GetFieldCount();
  /// Loads the current table if needed: its element records (the leading
  /// record not counted), or the load's code.
  std::int32_t GetRecordCount();
  /// Describes a loaded field: its type code as a signed byte, or -9980. `name`
  /// gets the name's first word and must hold 21 wide characters.
  std::int32_t GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength, int* auxByte);
  /// Index of the first loaded field whose name starts with the key's first
  /// word, compared without regard to case; -1 when none does.
  std::int32_t GetFieldIndex(const wchar_t* name);
  // Typed reads of element `record`, field `field` of the loaded table: the
  // field's bytes reinterpreted, or the zero of the type when there is none.
  // The three pointers point into a buffer of the reader that the next typed
  // read, a change of table or Close overwrites.
  const char* ReadStringAttribute(int record, int field);
  const char* ReadTextAttribute(int record, int field);
  unsigned char ReadByteAttribute(int record, int field);
  short ReadShortAttribute(int record, int field);
  std::int32_t ReadLongAttribute(int record, int field);
  float ReadFloatAttribute(int record, int field);
  double ReadDoubleAttribute(int record, int field);
  DATE_STRUstruct ReadDateAttribute(int record, int field);
  TIME_STRUstruct ReadTimeAttribute(int record, int field);
  TIMESTAMPstruct ReadTimeStampAttribute(int record, int field);
  bool ReadBoolAttribute(int record, int field);
  /// The field's raw bytes followed by one zero byte.
  void* ReadBinareyAttribute(int record, int field);

 protected:
  std::int32_t ReadHeadInfo();
  /// Loads the head and descriptors of the table `selector` names; another
  /// selector than the current one releases the current table first.
  std::int32_t ReadFieldInfo(int selector);
  /// Loads the record array of the loaded table with one file read.
  std::int32_t ReadRecordAll();
  /// Loads the records if needed and points the current record at the slot
  /// of the current record index. Always Result::Success.
  std::int32_t GetCurrentRecord();
  /// The value read behind the pointer reads; kinds 0 (string) and 9 (text)
  /// are trimmed of spaces.
  void* ReadAttribute(int record, int field, int kind);
  /// Releases the descriptors, the records and the scratch value buffer.
  void ClearAttrBuffer();
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
