/// @file
/// Terrix_MemReader: the second read-only reader, with shape-type codes,
/// network points and one attribute table per file kind.
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
///
/// Closing one copy closes the file for all; destroying all copies is
/// harmless. Element numbers count from 0: element i is record i + 1 of its
/// table (record 0 is reserved). Unlike the fast reader, element indices are
/// checked against the head's record counts whatever the file kind; a table
/// the kind does not load then holds no record, and the read answers
/// Result::IoError.
///
/// Memory and threads follow the rules of Terrix_FastReader: geometry arrays
/// belong to the caller; texts of the typed reads live in the reader's buffer
/// until the next typed read or Close; an object and its copies are used by
/// one thread at a time; field names are converted with the calling thread's
/// code page.
class TERRIX_API Terrix_MemReader {
 public:
  /// A reader with no file open.
  Terrix_MemReader();
  /// A copy that shares the open file, every loaded table and the typed-read
  /// buffer of `other`.
  /// @param other The reader to share with.
  Terrix_MemReader(const Terrix_MemReader& other);
  /// Drops this reader's state (closing its file when no other copy holds it)
  /// and shares that of `other`.
  /// @param other The reader to share with.
  /// @return This reader.
  Terrix_MemReader& operator=(const Terrix_MemReader& other);
  /// The last copy to go closes the file and releases what was loaded.
  virtual ~Terrix_MemReader();

  /// Closes what was open (for every copy), opens the file for reading and
  /// reads the head area and the section directory, with the checks and codes
  /// of Terrix_FastReader::Open. The reader's kind becomes the head's kind.
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @return Result::Success; Result::CannotOpen when the file cannot be
  ///         opened, or the directory offset or entry count is above 1024;
  ///         Result::Refused when the refusal flag is set; Result::BadMagic
  ///         when the magic does not match the kind, or the kind is unknown;
  ///         Result::IoError when a read fails.
  std::int32_t Open(const wchar_t* path);
  /// Closes the file and releases every table and buffer, for every copy.
  void Close();
  /// 1 point file, 3 line or network file, 5 region file, -1 otherwise.
  /// @return The shape type of the reader's kind: 3 also after ReadAsPolyArc,
  ///         and when no file is open; -1 for a table file.
  int GetShapeType();
  /// Points of a point file, else lines or arcs; *count gets the indices the reads accept.
  ///
  /// Answers for any file kind from the first pair of the head's counts.
  /// @param count Receives the head's section 0 record count - 1, at least 0;
  ///              may be null.
  /// @return The head's section 0 element count.
  int GetPntCount(int* count);
  /// The same as GetPntCount: lines or arcs (points of a point file).
  /// @param count Receives the head's section 0 record count - 1, at least 0;
  ///              may be null.
  /// @return The head's section 0 element count.
  int GetArcCount(int* count);
  /// Network points (nodes), from the second pair of the head's counts, for any
  /// file kind.
  /// @param count Receives the node record count - 1, at least 0; may be null.
  /// @return The head's node count.
  int GetNetPntCount(int* count);
  /// Polygons, from the third pair of the head's counts, for any file kind.
  /// @param count Receives the polygon record count - 1, at least 0; may be null.
  /// @return The head's polygon count.
  int GetRegCount(int* count);
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
  /// The number of control points (tics).
  /// @return The low 16 bits of the head's tic count, sign-extended.
  int GetTicCount();
  /// Copies control point `index`, as Terrix_FastReader::GetTicInfo.
  /// @param index The tic, from 0 to the head's tic count - 1.
  /// @param tic   Receives the 32 bytes as stored; may be null.
  /// @return Result::Success; Result::IoError for an index out of range, a
  ///         file without a coordinate section or a failed read;
  ///         Result::NoMemory when the table cannot be held.
  std::int32_t GetTicInfo(int index, TERRIX_Tic_Info* tic);
  /// The topology of an arc, as Terrix_FastReader::GetTopoInfo.
  /// @param index    The arc's record number (element number + 1).
  /// @param topology Receives the six values as stored.
  /// @return Result::Success; Result::IoError for a null `topology`, an index
  ///         out of range, a file without section 3 or a failed read;
  ///         Result::NoMemory when the table cannot be held.
  std::int32_t GetTopoInfo(int index, TERRIX_Topology* topology);
  /// From now until the next Open, treat the file as a line file.
  ///
  /// GetShapeType then answers 3; element tables not yet loaded are loaded as
  /// for a line file (only the arcs, so a region file's polygons are no longer
  /// reachable), and the attribute table not yet loaded is the line table.
  /// What is loaded already stays: call it right after Open.
  void ReadAsPolyArc();

  // Reading elements.
  // Element numbers count from 0: element i is record i + 1 of its table.
  // Records and geometries may be null; a geometry should be empty.
  /// A point of a point file. On a network file no point table is loaded: -9983.
  /// @param index    The element, from 0 to GetPntCount's `*count` - 1.
  /// @param info     Receives the point record; may be null.
  /// @param geometry Receives the point shape (see Geometry); may be null.
  /// @return Result::Success; Result::IoError for an index out of range, a
  ///         file kind without a point table, or a record the table load did
  ///         not reach; Result::NotInUse when the state byte is not 1;
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
  /// A line of a line file, or an arc of a region or network file.
  ///
  /// As Terrix_FastReader::ReadArcInfo.
  /// @param index    The element, from 0 to GetArcCount's `*count` - 1.
  /// @param info     Receives the line record; may be null.
  /// @param geometry Receives the line shape (see Geometry); may be null.
  /// @return Result::Success; Result::IoError for an index out of range, a
  ///         file kind without lines, a record the table load did not reach, a
  ///         file without a coordinate section, a point count larger than the
  ///         coordinate section can hold, or a failed read;
  ///         Result::NotInUse when the state byte is not 1; Result::NoMemory
  ///         for a negative point count, more points than the whole file could
  ///         hold, or arrays that cannot be obtained.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result.
  std::int32_t ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry);
  /// A polygon of a region file, assembled ring by ring from its arcs.
  ///
  /// As Terrix_FastReader::ReadPolygonInfo: listed arcs that are not in use
  /// are left out.
  /// @param index    The polygon, from 0 to GetRegCount's `*count` - 1.
  /// @param info     Receives the polygon record; may be null.
  /// @param geometry Receives the polygon shape (see Geometry); may be null.
  /// @return Result::Success; Result::IoError for an index out of range, a
  ///         polygon table that was not loaded (not a region file, or read as
  ///         a line file), a record the table load did not reach, a failed
  ///         read, a file without a coordinate section, a listed arc outside
  ///         the arc table or an arc with more points than the polygon has room
  ///         left for; Result::NotInUse when the state byte is not 1;
  ///         Result::BadArcList for a list count below 1 or a negative total;
  ///         Result::NoMemory for an arc list or vertex count larger than the
  ///         file could back, or arrays that cannot be obtained;
  ///         Result::Refused when the working array cannot be obtained or
  ///         overflows.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result: arrays obtained before a failure stay in it.
  std::int32_t ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry);
  /// A network point as a point record and a point shape. The record gets the
  /// point's state, x and y and parts of its style block; bytes 57-66 of
  /// `info` keep what the caller put there.
  ///
  /// The record: the node's state byte, note length 1, note offset 0, x, y,
  /// 0.0 at bytes 23-30, style block bytes 0-25 at 31-56, bytes 57-66 as they
  /// were, style block bytes 36-53 at 67-84, zero at 85-92. The node records
  /// are loaded for a network file only, and the style block is read from the
  /// coordinate section only when `info` is given.
  /// @param index    The network point, from 0 to GetNetPntCount's `*count` - 1.
  /// @param info     Receives the point record; may be null.
  /// @param geometry Receives the point shape (see Geometry); may be null.
  /// @return Result::Success; Result::IoError for an index out of range, node
  ///         records that were not loaded (not a network file, or one read as a
  ///         line file), a record the table load did not reach,
  ///         or a failed read of the style block; Result::NotInUse when the
  ///         node's state byte is not 1; Result::NoMemory when the geometry's
  ///         arrays cannot be obtained.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result.
  std::int32_t ReadNetPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry);

  // Attribute access: the one table of the file kind (line, point, region or
  // table; the node table of a network file). GetFieldCount or GetRecordCount
  // loads it; the other operations read what is loaded.
  /// Loads the table of the reader's kind if needed: its field count.
  ///
  /// The table: the line table of a line file (and of any file after
  /// ReadAsPolyArc), the point table of a point file, the region table of a
  /// region file, the node table of a network file, the table of a table file.
  /// @return The number of fields; or Result::NotHandled when the file has no
  ///         such table or its head fails its checks, Result::IoError when a
  ///         read fails, Result::NoMemory when the descriptors cannot be held.
  std::int32_t GetFieldCount();
  /// Loads the table of the reader's kind if needed: its element records (the
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
  /// As Terrix_FastReader::ReadStringAttribute: the records of the loaded
  /// table are read in one piece on the first value read; the text is handed
  /// out as stored.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return A pointer into the reader's buffer, valid until the next typed
  ///         read or Close (of any copy); do not free it. Null when there is
  ///         no value.
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
  /// Reads the head area and the section directory of the open file and takes
  /// the head's kind as the reader's kind.
  /// @return The codes of Open except Result::CannotOpen for a file that cannot
  ///         be opened.
  std::int32_t ReadHeadInfo();
  /// Loads the element records once: network points and arcs of a network
  /// file, the tables of the reader's kind otherwise.
  /// @return Result::Success (also on every later call); Result::NotHandled
  ///         for a table file; Result::IoError when a read fails;
  ///         Result::NoMemory when a table cannot be held.
  std::int32_t ReadGeomInfo();
  /// Reads arc record |arc| (reversed for a negative number) into `points`.
  /// @param arc        The arc's record number; negative to reverse the points.
  /// @param count      Receives the arc's point count, also without `points`;
  ///                   may be null.
  /// @param points     The caller's room for `roomPoints` x, y pairs; null
  ///                   reads only the count.
  /// @param roomPoints The number of points `points` has room for.
  /// @return Result::Success; Result::IoError for a record number outside 1
  ///         to the record count - 1, an arc table that was not loaded, an arc
  ///         that does not fit the room, a file without a coordinate section or
  ///         a failed read; Result::NotInUse for an arc not in use.
  std::int32_t ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints);
  /// Reads a polygon's arc list: the leading total, then listCount - 1 entries.
  /// @param region  The polygon record.
  /// @param total   Receives the leading total.
  /// @param entries The caller's room for region.listCount - 1 values.
  /// @return Result::Success (also when `total` or `entries` is null: nothing
  ///         is read then); Result::IoError for a file without a coordinate
  ///         section or a failed read; Result::BadArcList for a negative total.
  std::int32_t ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries);
  /// Loads head and descriptors of the table of the reader's kind.
  /// @return Result::Success (also when loaded already); Result::NotHandled,
  ///         Result::IoError or Result::NoMemory as GetFieldCount.
  std::int32_t ReadFieldInfo();
  /// Loads the record array of the loaded table with one file read.
  /// @return Result::Success (also when loaded already); Result::NotHandled
  ///         when no table head is loaded; Result::IoError when the read
  ///         fails; Result::NoMemory when the records cannot be held.
  std::int32_t ReadRecordAll();
  /// Points the current record at the slot of the current record index.
  /// @return Result::Success always; when the records cannot be loaded there
  ///         is no current record, and the typed reads give the zero of their
  ///         type.
  std::int32_t GetCurrentRecord();
  /// The value read behind the pointer reads; kinds 0 and 9 are trimmed.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @param kind   0 or 9 to trim spaces; any other value reads the raw bytes.
  /// @return A pointer into the reader's buffer (the value and one zero byte),
  ///         or null when there is no value.
  void* ReadAttribute(int record, int field, int kind);

 private:
  std::shared_ptr<detail::MemReaderState> state_;
};

}  // namespace Terrix
