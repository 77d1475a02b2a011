/// @file
/// Terrix_FastReader: the streaming reader of vector map files.
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
///
/// Element numbers count from 0: element i is record i + 1 of its table
/// (record 0 is reserved). The indices the element reads accept are those
/// that GetPointCount, GetArcCount and GetPolygonCount store in `*count`.
///
/// Memory: the reader owns everything it loads and releases it in Close and
/// when the last copy is destroyed. Geometry arrays and well-known-binary point
/// arrays it hands out belong to the caller (see Geometry and WKBLineString).
/// Texts and bytes returned by the typed attribute reads live in a buffer of
/// the reader until the next typed read, a change of table or Close.
///
/// Threads: an object, together with its copies, is used by one thread at a
/// time; separate objects share nothing and may be used on separate threads.
/// Field names are converted with the calling thread's code page
/// (SetThreadCodePage).
class TERRIX_API Terrix_FastReader {
 public:
  /// A reader with no file open.
  Terrix_FastReader();
  /// A copy that shares the open file, every loaded table, the table selector
  /// and the typed-read buffer of `other`.
  /// @param other The reader to share with.
  Terrix_FastReader(const Terrix_FastReader& other);
  /// Drops this reader's state (closing its file when no other copy holds it)
  /// and shares that of `other`, as the copy constructor does.
  /// @param other The reader to share with.
  /// @return This reader.
  Terrix_FastReader& operator=(const Terrix_FastReader& other);
  /// The last copy to go closes the file and releases what was loaded.
  virtual ~Terrix_FastReader();

  // Opening, head area, counts, extent, projection, control points.
  /// Closes what was open (for every copy), opens the file for reading and
  /// reads the head area and the section directory. The attribute table that
  /// belongs to the file kind becomes current (selector 1 for a point file,
  /// 2 for a region file, 7 for a table file, 0 for line and network files).
  ///
  /// The checks run in this order: head read, refusal flag, directory limits,
  /// magic and kind, then the rest of the head area and the directory. After a
  /// failure the file may stay open until Close or the next Open.
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @return Result::Success;
  ///         Result::CannotOpen when the file cannot be opened (or `path` is
  ///         null), or the directory offset or entry count is above 1024;
  ///         Result::Refused when the head's refusal flag is set;
  ///         Result::BadMagic when the magic does not match the kind, or the
  ///         kind is none of 0, 1, 2, 4 and 7;
  ///         Result::IoError when a read of the head area or directory fails.
  std::int32_t Open(const wchar_t* path);
  /// Closes the file and releases every table and buffer, for every copy. The
  /// object can open another file afterwards. Pointers handed out by the typed
  /// attribute reads are invalid from then on.
  void Close();
  /// The file kind: 0 line, 1 point, 2 region, 4 network, 7 table.
  /// @return The head's kind field as read by Open; 0 when no file is open.
  int GetShapeType();
  /// Point file: points; network file: nodes; else -1 with *count untouched.
  /// @param count Receives the number of element indices the point reads
  ///              accept (record count - 1, at least 0); may be null.
  /// @return The element count of the head, or Result::NotApplicable (-1).
  int GetPointCount(int* count);
  /// Line, region and network files: lines or arcs; else -1.
  /// @param count Receives the number of element indices ReadArcInfo accepts
  ///              (record count - 1, at least 0); untouched for another kind;
  ///              may be null.
  /// @return The element count of the head, or Result::NotApplicable (-1).
  int GetArcCount(int* count);
  /// Region files: polygons; else -1.
  /// @param count Receives the number of element indices ReadPolygonInfo
  ///              accepts (record count - 1, at least 0); untouched for
  ///              another kind; may be null.
  /// @return The polygon count of the head, or Result::NotApplicable (-1).
  int GetPolygonCount(int* count);
  /// The extent as the head stores it. Each pointer may be null.
  /// @param xmin Receives the smallest x.
  /// @param ymin Receives the smallest y.
  /// @param xmax Receives the largest x.
  /// @param ymax Receives the largest y.
  void GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax);
  /// The projection of the head.
  /// @param projection Receives a copy of the projection, its coefficient set
  ///                   to 1.0 when the type is 0 or the coefficient is below
  ///                   0.001; may be null.
  /// @return The projection type (its first byte); 0: no projection.
  char GetProjectionInfo(MAP_PARAstruct* projection);
  /// The number of control points (tics).
  /// @return The low 16 bits of the head's tic count, sign-extended.
  int GetTicCount();
  /// Copies control point `index`. The tic table is loaded on first use; a
  /// failed load is not tried again.
  /// @param index The tic, from 0 to the head's tic count - 1.
  /// @param tic   Receives the 32 bytes as stored; may be null.
  /// @return Result::Success; Result::IoError for an index out of range, a
  ///         file without a coordinate section or a failed read;
  ///         Result::NoMemory when the table cannot be held.
  std::int32_t GetTicInfo(int index, TERRIX_Tic_Info* tic);
  /// `index` is the arc's record number (element number + 1).
  ///
  /// The topology table (section 3) is loaded on first use; a failed load is
  /// not tried again.
  /// @param index    The arc's record number, from 0 to the record count - 1.
  /// @param topology Receives the six values as stored.
  /// @return Result::Success; Result::IoError for a null `topology`, an index
  ///         out of range, a file without section 3 or a failed read;
  ///         Result::NoMemory when the table cannot be held.
  std::int32_t GetTopoInfo(int index, TERRIX_Topology* topology);

  // Reading elements.
  // Element numbers count from 0: element i is record i + 1 of its table.
  // Records and geometries may be null. A geometry should be empty: the reader
  // stores fresh calloc'd arrays without releasing what it held.
  /// A point of a point file, or a node of a network file presented as a point.
  ///
  /// The element tables of the file are loaded on the first element read. A
  /// node of a network file is presented as a point record built at that load:
  /// state 1, note length 1, note offset 0, the node's x and y, 0.0 in
  /// display0, and from byte 31 on the first 62 bytes of the node's style block.
  /// @param index    The element, from 0.
  /// @param info     Receives the point record; may be null.
  /// @param geometry Receives the point shape (see Geometry); may be null.
  ///                 It should be empty: arrays it holds are not released.
  /// @return Result::Success;
  ///         Result::IoError for a file kind without points, an index out of
  ///         range, or a record the table load did not reach;
  ///         Result::NotInUse when the record's state byte is not 1;
  ///         Result::NoMemory when the geometry's arrays cannot be obtained.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result.
  std::int32_t ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry);
  /// The note text of a point (point files only), cut at 259 bytes and
  /// terminated; `note` needs room for 260 bytes. Without a note the buffer
  /// is left as it was.
  ///
  /// The text is handed out as stored, without code-page conversion. The
  /// point's state byte is not looked at.
  /// @param index The point, from 0.
  /// @param note  The caller's buffer of 260 bytes; null makes the call a check
  ///              of the index.
  /// @return Result::Success (also for a point without a note); Result::IoError
  ///         for a file that is not a point file, an index out of range, a
  ///         record the table load did not reach, a file without a coordinate
  ///         section or a failed read.
  std::int32_t GetNoteInfo(int index, char* note);
  /// A line of a line file, or an arc of a region or network file.
  ///
  /// Points beyond the end of a file cut short are not read: they stay 0.0.
  /// @param index    The element, from 0.
  /// @param info     Receives the line record; may be null. It is filled as
  ///                 soon as the record is found, also when the geometry fails.
  /// @param geometry Receives the line shape (see Geometry); may be null.
  ///                 It should be empty: arrays it holds are not released.
  /// @return Result::Success;
  ///         Result::IoError for a file kind without lines, an index out of
  ///         range, a record the table load did not reach, a file without a
  ///         coordinate section, a point count larger than the coordinate
  ///         section can hold, or a failed read;
  ///         Result::NotInUse when the record's state byte is not 1;
  ///         Result::NoMemory for a negative point count, more points than
  ///         the whole file could hold, or arrays that cannot be obtained.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result.
  std::int32_t ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry);
  /// A polygon of a region file, assembled ring by ring from its arcs.
  ///
  /// The arc list is walked in order: a positive entry k appends the points of
  /// arc record k, a negative one those of arc record -k reversed, and 0
  /// starts the next ring (not in the first or last entry). Listed arcs that
  /// are not in use are left out. The geometry gets one part per ring: the
  /// first of kind PartKind::Ring, the further ones PartKind::InnerRing.
  /// Vertices that no arc fills stay (0.0, 0.0).
  /// @param index    The polygon, from 0.
  /// @param info     Receives the polygon record; may be null. It is filled
  ///                 once the list count is found valid.
  /// @param geometry Receives the polygon shape (see Geometry); may be null.
  ///                 It should be empty: arrays it holds are not released.
  /// @return Result::Success;
  ///         Result::IoError for a file that is not a region file, an index out
  ///         of range, a record the table load did not reach, a failed read of
  ///         the arc list or of a point, a file without a coordinate section,
  ///         a listed arc number outside the arc table, or an arc with more
  ///         points than the polygon has room left for;
  ///         Result::NotInUse when the polygon's state byte is not 1;
  ///         Result::BadArcList for a list count below 1 or a negative total;
  ///         Result::NoMemory for an arc list or vertex count larger than the
  ///         file could back, or arrays that cannot be obtained;
  ///         Result::Refused when the working array cannot be obtained or
  ///         overflows.
  /// @note Free the geometry's arrays with EmptyGeometry or DestroyGeometry,
  ///       whatever the result: arrays obtained before a failure stay in it.
  std::int32_t ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry);

  // Well-known-binary export.
  // As the element reads, with the shape in a well-known-binary record
  // (byteOrder 0). A null `wkb` makes the call a plain read of `info`.
  /// As ReadPointInfo, with the point in a well-known-binary record.
  /// @param index The element, from 0.
  /// @param info  Receives the point record; may be null.
  /// @param wkb   Receives byteOrder 0 (the numbers are little-endian all the
  ///              same, see WKBPoint), wkbType 1 and the point; may be null.
  /// @return Result::Success; Result::IoError for a file kind without points,
  ///         an index out of range or a record the table load did not reach;
  ///         Result::NotInUse when the record's state byte is not 1.
  std::int32_t ReadPointWKB(int index, TERRIX_PntInfo* info, WKBPoint* wkb);
  /// `wkb->points` is a new calloc'd array that belongs to the caller (free it).
  ///
  /// As ReadArcInfo, with the line in a well-known-binary record: byteOrder 0
  /// (the numbers are little-endian all the same, see WKBPoint), wkbType 2,
  /// numPoints and the points read in one piece. Points beyond the end of a
  /// file cut short stay (0.0, 0.0).
  /// @param index The element, from 0.
  /// @param info  Receives the line record; may be null.
  /// @param wkb   Receives the record; may be null.
  /// @return Result::Success;
  ///         Result::IoError for a file kind without lines, an index out of
  ///         range, a record the table load did not reach, a point count
  ///         larger than the coordinate section can hold, or a failed read of
  ///         the points (the array is then allocated already);
  ///         Result::NotInUse when the record's state byte is not 1;
  ///         Result::NoMemory for a negative point count, more points than
  ///         the whole file could hold or an array that cannot be obtained
  ///         (`wkb->points` is then null).
  /// @note Set `wkb->points` to null before the call and free it after the
  ///       call whatever the result: a call that fails before the allocation
  ///       leaves the field as it was.
  std::int32_t ReadArcWKB(int index, TERRIX_LineInfo* info, WKBLineString* wkb);
  /// Fills the ring count only; `wkb->rings` is left as it was.
  ///
  /// As ReadPolygonInfo up to the arc list: byteOrder 0, wkbType 3 and
  /// numRings (one more than the ring separators, not counting one in the
  /// first or last entry) are set; no points are read.
  /// @param index The polygon, from 0.
  /// @param info  Receives the polygon record; may be null.
  /// @param wkb   Receives the record; may be null.
  /// @return Result::Success;
  ///         Result::IoError for a file that is not a region file, an index out
  ///         of range, a record the table load did not reach, a file without a
  ///         coordinate section or a failed read of the arc list;
  ///         Result::NotInUse when the polygon's state byte is not 1;
  ///         Result::BadArcList for a list count below 1 or a negative total;
  ///         Result::NoMemory for an arc list longer than the file could hold
  ///         or one that cannot be held.
  std::int32_t ReadPolygonWKB(int index, TERRIX_RegInfo* info, WKBPolygon* wkb);

  // Attribute access.
  /// Loads the table that `selector` names (0 line or arc, 1 point or node,
  /// 2 region, 7 the table of a table file) and makes it current; a table the
  /// file does not have leaves the previous selector in place.
  ///
  /// The tables by file kind: line file 0 (lines) and 1 (nodes); point file 1;
  /// region file 0 (arcs) and 2 (regions); network file 0 (arcs) and 1
  /// (nodes); table file 7. A selector other than the loaded one releases the
  /// loaded table first, also when the new load fails (it is loaded again on
  /// next use); pointers from typed reads are then invalid.
  /// @param selector The table.
  void SetAttributeType(int selector);
  /// Loads the current table if needed: its field count, or the load's code.
  /// @return The number of fields; or Result::NotHandled when the file has no
  ///         such table or its head fails its checks (magics, a negative field
  ///         count), Result::IoError when a read fails, Result::NoMemory when
  ///         the descriptors cannot be held.
  std::int32_t GetFieldCount();
  /// Loads the current table if needed: its element records (the leading
  /// record not counted), or the load's code.
  /// @return The head's record count - 1; or the codes of GetFieldCount.
  std::int32_t GetRecordCount();
  /// Describes a loaded field: its type code as a signed byte, or -9980. `name`
  /// gets the name's first word and must hold 21 wide characters.
  ///
  /// The name is decoded with the thread's code page; a name without a word
  /// gives "字段名错误". Each output is written in this order when given: name,
  /// width, auxLength, auxByte. A negative width, auxLength or auxByte whose
  /// output is given is written and then refused with -9980, leaving the
  /// outputs after it as they were.
  /// @param field     The field, from 0.
  /// @param name      Receives the name's first word, zero-terminated; may be null.
  /// @param width     Receives the value width in bytes; may be null.
  /// @param auxLength Receives the creator's auxiliary length; may be null.
  /// @param auxByte   Receives the creator's auxiliary byte; may be null.
  /// @return The type code (0 string, 9 text, others the creator's) as a signed
  ///         byte, so codes from 128 on come out negative; Result::NotHandled
  ///         when no table is loaded, the field is out of range or a value is
  ///         negative.
  std::int32_t GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength, int* auxByte);
  /// Index of the first loaded field whose name starts with the key's first
  /// word, compared without regard to case; -1 when none does.
  ///
  /// The field's name is decoded with the thread's code page and its first word
  /// must equal the key's first word. Does not load the table.
  /// @param name The key; null, no word, or a first word longer than 31
  ///             characters match no field.
  /// @return The field index, or -1 (also when no table is loaded).
  std::int32_t GetFieldIndex(const wchar_t* name);
  // Typed reads of element `record`, field `field` of the loaded table: the
  // field's bytes reinterpreted, or the zero of the type when there is none.
  // The three pointers point into a buffer of the reader that the next typed
  // read, a change of table or Close overwrites.
  /// The string value of element `record`, field `field`: the stored bytes
  /// with leading and trailing spaces removed, zero-terminated.
  ///
  /// Like every typed read it uses the loaded table (GetFieldCount,
  /// GetRecordCount or SetAttributeType loads it) and loads the table's
  /// records in one piece on the first value read. The field's type code is
  /// not consulted. The text is handed out as stored, without code-page
  /// conversion.
  /// @param record The element, from 0 (record slot record + 1).
  /// @param field  The field, from 0.
  /// @return A pointer into the reader's buffer, valid until the next typed
  ///         read, a change of table or Close (of any copy); do not free it.
  ///         Null when there is no value: no table loaded, an index out of
  ///         range, a field that runs past the record, or records that
  ///         cannot be read.
  const char* ReadStringAttribute(int record, int field);
  /// The text value of element `record`, field `field`: as ReadStringAttribute.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return A pointer into the reader's buffer, as ReadStringAttribute; null
  ///         when there is no value.
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
  ///
  /// The value is as wide as the field (GetFieldInfo gives the width).
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @return A pointer into the reader's buffer, valid as the one of
  ///         ReadStringAttribute; do not free it. Null when there is no value.
  void* ReadBinareyAttribute(int record, int field);

 protected:
  /// Reads the head area and the section directory of the open file, as Open
  /// does after opening it.
  /// @return The codes of Open except Result::CannotOpen for a file that cannot
  ///         be opened.
  std::int32_t ReadHeadInfo();
  /// Loads the head and descriptors of the table `selector` names; another
  /// selector than the current one releases the current table first.
  /// @param selector The table, as for SetAttributeType.
  /// @return Result::Success (also when that table is loaded already);
  ///         Result::NotHandled when the file has no such table or its head
  ///         fails its checks; Result::IoError when a read fails;
  ///         Result::NoMemory when the descriptors cannot be held.
  std::int32_t ReadFieldInfo(int selector);
  /// Loads the record array of the loaded table with one file read.
  /// @return Result::Success (also when loaded already); Result::NotHandled
  ///         when no table head is loaded; Result::IoError when the read
  ///         fails; Result::NoMemory when the records cannot be held.
  std::int32_t ReadRecordAll();
  /// Loads the records if needed and points the current record at the slot
  /// of the current record index. Always Result::Success.
  /// @return Result::Success; when the records cannot be loaded there is no
  ///         current record, and the typed reads give the zero of their type.
  std::int32_t GetCurrentRecord();
  /// The value read behind the pointer reads; kinds 0 (string) and 9 (text)
  /// are trimmed of spaces.
  /// @param record The element, from 0.
  /// @param field  The field, from 0.
  /// @param kind   0 or 9 to trim spaces; any other value reads the raw bytes.
  /// @return A pointer into the reader's buffer (the value and one zero byte),
  ///         or null when there is no value.
  void* ReadAttribute(int record, int field, int kind);
  /// Releases the descriptors, the records and the scratch value buffer.
  void ClearAttrBuffer();
  /// Loads the element tables of the file's kind, once (a failed load too).
  /// @return Result::Success (also on every later call); Result::NotHandled
  ///         for a table file; Result::IoError when a read fails (what was
  ///         read stays); Result::NoMemory when a table cannot be held.
  std::int32_t ReadGeomInfo();
  /// Releases the point, line and polygon tables.
  ///
  /// They are not loaded again before the next Open: element reads then
  /// answer Result::IoError.
  void ClearGeomBuffer();
  /// Reads arc record |arc| (reversed for a negative number) into `points`
  /// (x, y pairs, room for `roomPoints`); `count` gets its point count.
  /// @param arc        The arc's record number; negative to reverse the points.
  /// @param count      Receives the arc's point count, also without `points`;
  ///                   may be null.
  /// @param points     The caller's room for `roomPoints` x, y pairs; null
  ///                   reads only the count.
  /// @param roomPoints The number of points `points` has room for.
  /// @return Result::Success; Result::IoError for a file kind without arcs, a
  ///         record number outside 1 to the record count - 1, an arc that does
  ///         not fit the room (nothing is read), a file without a coordinate
  ///         section or a failed read; Result::NotInUse for an arc not in use.
  std::int32_t ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints);
  /// Reads a polygon's arc list: the leading total into `total`, the
  /// listCount - 1 entries into `entries`.
  /// @param region  The polygon record.
  /// @param total   Receives the leading total.
  /// @param entries The caller's room for region.listCount - 1 values.
  /// @return Result::Success (also when `total` or `entries` is null: nothing
  ///         is read then); Result::IoError for a file without a coordinate
  ///         section or a failed read; Result::BadArcList for a negative total.
  std::int32_t ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries);

 private:
  std::shared_ptr<detail::FastReaderState> state_;
};

}  // namespace Terrix
