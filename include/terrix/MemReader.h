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
  // Element numbers count from 0: element i is record i + 1 of its table.
  // Records and geometries may be null; a geometry should be empty.
  /// A point of a point file. On a network file no point table is loaded: -9983.
  std::int32_t ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry);
  /// The note text of a point (point files only), cut at 259 bytes and
  /// terminated; `note` needs room for 260 bytes.
  std::int32_t GetNoteInfo(int index, char* note);
  /// A line of a line file, or an arc of a region or network file.
  std::int32_t ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry);
  /// A polygon of a region file, assembled ring by ring from its arcs.
  std::int32_t ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry);
  /// A network point as a point record and a point shape. The record gets the
  /// point's state, x and y and parts of its style block; bytes 57-66 of
  /// `info` keep what the caller put there.
  std::int32_t ReadNetPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry);

  // Attribute access: the one table of the file kind (line, point, region or
  // table; the node table of a network file). GetFieldCount or GetRecordCount
  // loads it; the other operations read what is loaded.
  std::int32_t GetFieldCount();
  std::int32_t GetRecordCount();
  /// Describes a loaded field: width, auxLength and auxByte as stored (negative
  /// values too), then the name's first word (21 wide characters); the type
  /// code as a signed byte, or -9980.
  std::int32_t GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength, int* auxByte);
  /// Index of the first loaded field whose name starts with the key's first
  /// word, compared without regard to case; -1 when none does.
  std::int32_t GetFieldIndex(const wchar_t* name);
  // Typed reads: the field's bytes reinterpreted, or the zero of the type.
  // The three pointers point into a buffer of the reader that the next typed
  // read or Close overwrites.
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
  /// Loads the element records once: network points and arcs of a network
  /// file, the tables of the reader's kind otherwise.
  std::int32_t ReadGeomInfo();
  /// Reads arc record |arc| (reversed for a negative number) into `points`.
  std::int32_t ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints);
  /// Reads a polygon's arc list: the leading total, then listCount - 1 entries.
  std::int32_t ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries);
  /// Loads head and descriptors of the table of the reader's kind.
  std::int32_t ReadFieldInfo();
  /// Loads the record array of the loaded table with one file read.
  std::int32_t ReadRecordAll();
  /// Points the current record at the slot of the current record index.
  std::int32_t GetCurrentRecord();
  /// The value read behind the pointer reads; kinds 0 and 9 are trimmed.
  void* ReadAttribute(int record, int field, int kind);

 private:
  std::shared_ptr<detail::MemReaderState> state_;
};

}  // namespace Terrix
