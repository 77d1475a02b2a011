/// @file
/// Terrix_Reader: the editing reader, which changes element records of an
/// existing file in place.
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
///
/// Closing one copy closes the file for all; destroying all copies is
/// harmless. Nothing is written on Close or destruction: only WriteGeomInfo
/// writes, and only the element records. Coordinates, topology and attributes
/// are never written. Since others may change the file while it is open, every
/// read goes to the file (points one coordinate at a time).
///
/// Element numbers count from 0: element i is record i + 1 of its table
/// (record 0 is reserved). Memory and threads follow the rules of
/// Terrix_FastReader: geometry arrays belong to the caller; texts of the typed
/// reads live in the reader's buffer until the next typed read or Close; an
/// object and its copies are used by one thread at a time; field names are
/// converted with the calling thread's code page.
class TERRIX_API Terrix_Reader {
 public:
  /// A reader with no file open.
  Terrix_Reader();
  /// A copy that shares the open file, every loaded table, the changes made
  /// in memory and the typed-read buffer of `other`.
  /// @param other The reader to share with.
  Terrix_Reader(const Terrix_Reader& other);
  /// Drops this reader's state (closing its file when no other copy holds it;
  /// changes not written are lost) and shares that of `other`.
  /// @param other The reader to share with.
  /// @return This reader.
  Terrix_Reader& operator=(const Terrix_Reader& other);
  /// The last copy to go closes the file, without writing anything.
  virtual ~Terrix_Reader();

  /// Closes what was open (for every copy), opens an existing file for reading
  /// and writing and reads the head area and the section directory.
  ///
  /// Only line, point, region and table files are accepted. A refused file and
  /// one whose directory lies beyond the limits are closed at once; after
  /// another failure the file stays open until Close or the next Open.
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @return Result::Success;
  ///         Result::CannotOpen when the file cannot be opened for update (or
  ///         `path` is null), or the directory offset or entry count is above
  ///         1024;
  ///         Result::Refused when the head's refusal flag is set;
  ///         Result::BadMagic for a network file, an unknown kind or a magic
  ///         that does not match the kind;
  ///         Result::IoError when a read of the head area or directory fails.
  std::int32_t Open(const wchar_t* path);
  /// Closes the file and releases every table and buffer, for every copy.
  /// Changes made with the Set operations and not written are lost.
  void Close();
  /// Element count (regions of a region file, else points or lines), with the
  /// indices the reads accept, the shape type and the tic count in one call.
  ///
  /// Each output is written only when given.
  /// @param count     Receives the number of element indices the reads accept:
  ///                  the polygon record count - 1 for a region file, else the
  ///                  section 0 record count - 1; at least 0.
  /// @param shapeType Receives 1 for a point file, 3 for a line file, 5 for a
  ///                  region file; left as it was for a table file.
  /// @param ticCount  Receives the head's tic count, all 32 bits.
  /// @return The head's polygon count for a region file, else its section 0
  ///         element count.
  int GetInfo(int* count, int* shapeType, int* ticCount);
  /// The extent as the head stores it. Each pointer may be null.
  /// @param xmin Receives the smallest x.
  /// @param ymin Receives the smallest y.
  /// @param xmax Receives the largest x.
  /// @param ymax Receives the largest y.
  void GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax);
  /// The projection of the head, as Terrix_FastReader::GetProjectionInfo.
  /// @param projection Receives a copy, its coefficient set to 1.0 when the
  ///                   type is 0 or the coefficient is below 0.001; may be null.
  /// @return The projection type; 0: no projection.
  char GetProjection(MAP_PARAstruct* projection);
  /// Copies control point `index`, as Terrix_FastReader::GetTicInfo.
  /// @param index The tic, from 0 to the head's tic count - 1.
  /// @param tic   Receives the 32 bytes as stored; may be null.
  /// @return Result::Success; Result::IoError for an index out of range, a
  ///         file without a coordinate section or a failed read;
  ///         Result::NoMemory when the table cannot be held.
  std::int32_t GetTicInfo(int index, TERRIX_Tic_Info* tic);

  // Reading and changing elements.
  // Element numbers count from 0: element i is record i + 1 of its table.
  // Records and geometries may be null; a geometry should be empty.
  /// A point of a point file, as Terrix_FastReader::ReadPointInfo. A point
  /// changed with SetPointInfo reads as changed.
  /// @param index    The element, from 0.
  /// @param info     Receives the point record; may be null.
  /// @param geometry Receives the point shape (see Geometry); may be null.
  /// @return Result::Success; Result::IoError for a file that is not a point
  ///         file, an index out of range, or a record the table load did not
  ///         reach; Result::NotInUse when the state byte is not 1;
  ///         Result::NoMemory when the geometry's arrays cannot be obtained.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result.
  std::int32_t ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry);
  /// The note text of a point (point files only), cut at 259 bytes and
  /// terminated; `note` needs room for 260 bytes.
  ///
  /// As Terrix_FastReader::GetNoteInfo: a point without a note leaves the
  /// buffer as it was; the text is handed out as stored.
  /// @param index The point, from 0.
  /// @param note  The caller's buffer of 260 bytes; may be null.
  /// @return Result::Success; Result::IoError for a file that is not a point
  ///         file, an index out of range, a record the table load did not
  ///         reach, a file without a coordinate section or a failed read.
  std::int32_t GetNoteInfo(int index, char* note);
  /// A line or arc, read one coordinate at a time. A line that runs past the
  /// end of the file is read without error: the missing points stay 0.0.
  /// No room is made for a negative point count or for more points than the
  /// whole file could hold (-9999).
  ///
  /// Unlike the fast reader, the point count is not compared with the size of
  /// the coordinate section.
  /// @param index    The element, from 0.
  /// @param info     Receives the line record; may be null.
  /// @param geometry Receives the line shape (see Geometry); may be null.
  /// @return Result::Success; Result::IoError for a file kind without lines, an
  ///         index out of range, a record the table load did not reach, a file
  ///         without a coordinate section or a failed read (the arrays are then
  ///         filled up to that point); Result::NotInUse when the state byte is
  ///         not 1; Result::NoMemory as told above, or for arrays that cannot
  ///         be obtained.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result.
  std::int32_t ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry);
  /// A polygon; an arc of it that is not in use ends the read with -9981.
  ///
  /// Otherwise as Terrix_FastReader::ReadPolygonInfo, with the points read one
  /// coordinate at a time.
  /// @param index    The polygon, from 0.
  /// @param info     Receives the polygon record; may be null.
  /// @param geometry Receives the polygon shape (see Geometry); may be null.
  /// @return Result::Success; Result::IoError for a file that is not a region
  ///         file, an index out of range, a record the table load did not
  ///         reach, a failed read, a file without a coordinate section, a
  ///         listed arc outside the arc table or an arc with more points than
  ///         the polygon has room left for; Result::NotInUse when the polygon's
  ///         or a listed arc's state byte is not 1; Result::BadArcList for a
  ///         list count below 1 or a negative total; Result::NoMemory for an
  ///         arc list or vertex count larger than the file could back, or
  ///         arrays that cannot be obtained; Result::Refused when the working
  ///         array cannot be obtained or overflows.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result: arrays obtained before a failure stay in it.
  std::int32_t ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry);
  /// The 16-byte record `index` from the start of section 0 of a region file;
  /// `index` must lie below both the region count and the arc count.
  ///
  /// The records are loaded on first use. Note that record `index` counts
  /// from the start of the section: it is not shifted by the reserved record.
  /// @param index The record, from 0.
  /// @param label Receives the 16 bytes as stored; may be null.
  /// @return Result::Success; Result::IoError for a file that is not a region
  ///         file, an index not below the polygon record count - 1 and the arc
  ///         record count, a file without section 0, or a failed load.
  std::int32_t GetPolyLab(int index, TERRIX_RegExt* label);
  // The Set operations replace a whole record in memory, state byte included
  // (loading the element records first when needed); they write nothing.
  // -9983 for an index outside the element count, or a record the file does
  // not hold.
  /// Replaces point `index` in memory, state byte included (a state other than
  /// 1 makes the point unreadable). Writes nothing: see WriteGeomInfo.
  /// @param index The element, from 0.
  /// @param info  The new record, all 93 bytes.
  /// @return Result::Success; Result::IoError for an index outside the section
  ///         0 records, a file without a point table, or a record the file does
  ///         not hold.
  std::int32_t SetPointInfo(int index, TERRIX_PntInfo info);
  /// Replaces line or arc `index` in memory, state byte included. Writes
  /// nothing; WriteGeomInfo does not write the arcs of a region file.
  /// @param index The element, from 0.
  /// @param info  The new record, all 57 bytes.
  /// @return Result::Success; Result::IoError for an index outside the section
  ///         0 records, a file without lines or arcs, or a record the file does
  ///         not hold.
  std::int32_t SetArcInfo(int index, TERRIX_LineInfo info);
  /// Replaces polygon `index` in memory, state byte included. Writes nothing:
  /// see WriteGeomInfo.
  /// @param index The polygon, from 0.
  /// @param info  The new record, all 40 bytes.
  /// @return Result::Success; Result::IoError for an index outside the polygon
  ///         records, a file that is not a region file, or a record the file
  ///         does not hold.
  std::int32_t SetPolygonInfo(int index, TERRIX_RegInfo info);
  /// Writes the element records back over the bytes they were read from:
  /// points of a point file, lines of a line file, the regions (not the arcs)
  /// of a region file; -9982 when a write fails.
  ///
  /// The element records are loaded first when needed. What is written is the
  /// records the file held, record 0 included, with the changes made to them;
  /// a table file writes nothing.
  /// @return Result::Success; Result::WriteBackFailed when a write fails (the
  ///         file may then hold part of the records) or the section is missing.
  std::int32_t WriteGeomInfo();

  // Attribute access: the one table of the file kind, one record at a time
  // read from the file. GetFieldCount or GetRecordCount loads the table.
  /// Loads the table of the file kind if needed: its field count.
  ///
  /// The table: the line table of a line file, the point table of a point
  /// file, the region table of a region file, the table of a table file.
  /// @return The number of fields; or Result::NotHandled when the file has no
  ///         such table or its head fails its checks, Result::IoError when a
  ///         read fails, Result::NoMemory when the descriptors cannot be held.
  std::int32_t GetFieldCount();
  /// Loads the table of the file kind if needed: its element records (the
  /// leading record not counted).
  /// @return The head's record count - 1; or the codes of GetFieldCount.
  std::int32_t GetRecordCount();
  /// Describes a loaded field: width, auxLength and auxByte as stored (negative
  /// values too), then the name's first word (21 wide characters); the type
  /// code as a signed byte, or -9980.
  ///
  /// The name is decoded with the thread's code page; a name without a word
  /// gives "字段名错误".
  /// @param field     The field, from 0.
  /// @param name      Receives the name's first word, zero-terminated; may be null.
  /// @param width     Receives the value width in bytes; may be null.
  /// @param auxLength Receives the creator's auxiliary length; may be null.
  /// @param auxByte   Receives the creator's auxiliary byte; may be null.
  /// @return The type code as a signed byte; Result::NotHandled when no table
  ///         is loaded or the field is out of range.
  std::int32_t GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength, int* auxByte);
  /// Index of the first loaded field whose name starts with the key's first
  /// word, compared without regard to case; -1 when none does.
  /// @param name The key; null, no word, or a first word longer than 31
  ///             characters match no field.
  /// @return The field index, or -1 (also when no table is loaded).
  std::int32_t GetFieldIndex(const wchar_t* name);
  // Typed reads: the field's bytes reinterpreted, or the zero of the type.
  // The three pointers point into a buffer of the reader that the next typed
  // read or Close overwrites.
  /// The string value of element `record`, field `field`: the stored bytes
  /// with leading and trailing spaces removed, zero-terminated.
  ///
  /// A read of another record than the last one reads that record from the
  /// file; the text is handed out as stored.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return A pointer into the reader's buffer, valid until the next typed
  ///         read or Close (of any copy); do not free it. Null when there is
  ///         no value: no table loaded, an index out of range, a field that
  ///         runs past the record, or a record that cannot be read.
  const char* ReadStringAttribute(int record, int field);
  /// The text value of element `record`, field `field`: as ReadStringAttribute.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return A pointer into the reader's buffer; null when there is no value.
  const char* ReadTextAttribute(int record, int field);
  /// The first byte of the value.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The byte; 0 when there is no value.
  unsigned char ReadByteAttribute(int record, int field);
  /// The first 2 bytes of the value as a little-endian i16 (missing bytes 0).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The value; 0 when there is none.
  short ReadShortAttribute(int record, int field);
  /// The first 4 bytes of the value as a little-endian i32 (missing bytes 0).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The value; 0 when there is none.
  std::int32_t ReadLongAttribute(int record, int field);
  /// The first 4 bytes of the value as a float (missing bytes 0).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The value; 0.0 when there is none.
  float ReadFloatAttribute(int record, int field);
  /// The first 8 bytes of the value as a double (missing bytes 0).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The value; 0.0 when there is none.
  double ReadDoubleAttribute(int record, int field);
  /// The first 4 bytes of the value as a date record (missing bytes 0).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The date; all zero when there is none.
  DATE_STRUstruct ReadDateAttribute(int record, int field);
  /// The first 10 bytes of the value as a time record (missing bytes 0).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The time; all zero when there is none.
  TIME_STRUstruct ReadTimeAttribute(int record, int field);
  /// The first 16 bytes of the value as a time-stamp record (missing bytes 0).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The time stamp; all zero when there is none.
  TIMESTAMPstruct ReadTimeStampAttribute(int record, int field);
  /// Whether the first byte of the value is not 0.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return The value; false when there is none.
  bool ReadBoolAttribute(int record, int field);
  /// The field's raw bytes followed by one zero byte.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return A pointer into the reader's buffer, valid as the one of
  ///         ReadStringAttribute; do not free it. Null when there is no value.
  void* ReadBinareyAttribute(int record, int field);

 protected:
  /// Reads the head area and the section directory of the open file; closes
  /// the file when it is refused or its directory lies beyond the limits.
  /// @return The codes of Open except Result::CannotOpen for a file that cannot
  ///         be opened.
  std::int32_t ReadHeadInfo();
  /// Loads the element records of the file's kind once.
  /// @return Result::Success (also on every later call); Result::NotHandled
  ///         for a table file; Result::IoError when a read fails;
  ///         Result::NoMemory when a table cannot be held.
  std::int32_t ReadGeomInfo();
  /// Reads arc record |arc| (reversed for a negative number) into `points`,
  /// one coordinate at a time.
  /// @param arc        The arc's record number; negative to reverse the points.
  /// @param count      Receives the arc's point count, also without `points`;
  ///                   may be null.
  /// @param points     The caller's room for `roomPoints` x, y pairs; null
  ///                   reads only the count.
  /// @param roomPoints The number of points `points` has room for.
  /// @return Result::Success; Result::IoError for a file kind without arcs, a
  ///         record number outside 1 to the record count - 1, an arc that does
  ///         not fit the room, a file without a coordinate section or a failed
  ///         read (the values read before it stay); Result::NotInUse for an
  ///         arc not in use.
  std::int32_t ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints);
  /// Reads a polygon's arc list: the leading total, then listCount - 1 entries.
  /// @param region  The polygon record.
  /// @param total   Receives the leading total.
  /// @param entries The caller's room for region.listCount - 1 values.
  /// @return Result::Success (also when `total` or `entries` is null: nothing
  ///         is read then); Result::IoError for a file without a coordinate
  ///         section or a failed read; Result::BadArcList for a negative total.
  std::int32_t ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries);
  /// Loads head and descriptors of the table of the file's kind.
  /// @return Result::Success (also when loaded already); Result::NotHandled,
  ///         Result::IoError or Result::NoMemory as GetFieldCount.
  std::int32_t ReadFieldInfo();
  /// Reads the record of the current record index from the file.
  /// @return Result::Success; Result::IoError for a current index outside the
  ///         table or a failed read; Result::NoMemory when the record cannot
  ///         be held. After a failure there is no current record.
  std::int32_t ReadCurrentRecord();
  /// The value read behind the pointer reads; kinds 0 and 9 are trimmed.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @param kind   0 or 9 to trim spaces; any other value reads the raw bytes.
  /// @return A pointer into the reader's buffer (the value and one zero byte),
  ///         or null when there is no value.
  void* ReadAttribute(int record, int field, int kind);

 private:
  std::shared_ptr<detail::EditReaderState> state_;
};

}  // namespace Terrix
