// Terrix_Reader: the editing reader, which changes element records of an
// existing file in place.
#pragma once

#include <cstdint>
#include <memory>

#include "terrix/Export.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"

namespace Terrix {

namespace detail {
struct EditReaderState;
}

/// Opens point, line, region and table files for update, reads them like the
/// fast reader (attribute records one at a time, straight from the file), and
/// writes changed element records back over the same bytes. Network files are
/// refused. Copies share the open file and every loaded table.
class TERRIX_API Terrix_Reader {
 public:
  Terrix_Reader();
  Terrix_Reader(const Terrix_Reader& other);
  Terrix_Reader& operator=(const Terrix_Reader& other);
  virtual ~Terrix_Reader();

  std::int32_t Open(const wchar_t* path);
  void Close();
  /// Element count (regions of a region file, else points or lines); see the README.
  int GetInfo(int* count, int* shapeType, int* ticCount);
  void GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax);
  char GetProjection(MAP_PARAstruct* projection);
  std::int32_t GetTicInfo(int index, TERRIX_Tic_Info* tic);

  // Reading and changing elements.
  // Element numbers count from 0: element i is record i + 1 of its table.
  // Records and geometries may be null; a geometry should be empty.
  std::int32_t ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry);
  /// The note text of a point (point files only), cut at 259 bytes and
  /// terminated; `note` needs room for 260 bytes.
  std::int32_t GetNoteInfo(int index, char* note);
  /// A line or arc, read one coordinate at a time. A line that runs past the
  /// end of the file is read without error: the missing points stay 0.0.
  /// No room is made for a negative point count or for more points than the
  /// whole file could hold (-9999).
  std::int32_t ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry);
  /// A polygon; an arc of it that is not in use ends the read with -9981.
  std::int32_t ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry);
  /// The 16-byte record `index` from the start of section 0 of a region file;
  /// `index` must lie below both the region count and the arc count.
  std::int32_t GetPolyLab(int index, TERRIX_RegExt* label);
  // The Set operations replace a whole record in memory, state byte included
  // (loading the element records first when needed); they write nothing.
  // -9983 for an index outside the element count, or a record the file does
  // not hold.
  std::int32_t SetPointInfo(int index, TERRIX_PntInfo info);
  std::int32_t SetArcInfo(int index, TERRIX_LineInfo info);
  std::int32_t SetPolygonInfo(int index, TERRIX_RegInfo info);
  /// Writes the element records back over the bytes they were read from:
  /// points of a point file, lines of a line file, the regions (not the arcs)
  /// of a region file; -9982 when a write fails.
  std::int32_t WriteGeomInfo();

  // Attribute access: the one table of the file kind, one record at a time
  // read from the file. GetFieldCount or GetRecordCount loads the table.
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
  /// Loads the element records of the file's kind once.
  std::int32_t ReadGeomInfo();
  /// Reads arc record |arc| (reversed for a negative number) into `points`,
  /// one coordinate at a time.
  std::int32_t ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints);
  /// Reads a polygon's arc list: the leading total, then listCount - 1 entries.
  std::int32_t ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries);
  /// Loads head and descriptors of the table of the file's kind.
  std::int32_t ReadFieldInfo();
  /// Reads the record of the current record index from the file.
  std::int32_t ReadCurrentRecord();
  /// The value read behind the pointer reads; kinds 0 and 9 are trimmed.
  void* ReadAttribute(int record, int field, int kind);

 private:
  std::shared_ptr<detail::EditReaderState> state_;
};

}  // namespace Terrix
