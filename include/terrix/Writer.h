/// @file
/// Terrix_Writer: builds a new line, point, region or table file.
#pragma once

#include <cstdint>
#include <memory>

#include "terrix/Export.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"

namespace Terrix {

namespace detail {
struct WriterState;
}

/// Collects the elements, coordinates and attribute records of one new vector
/// map file in memory and lays the file out in one pass at Flush. Only the
/// projection reaches the disk before Flush.
///
/// Copies share one state (the file and every collected table): a Flush or
/// Close through one copy acts for both, and destroying both is harmless; the
/// last copy to go closes the file without writing.
///
/// Refusals beyond the basic contract, so that no misuse corrupts a file:
/// - a writer that holds no writable file (new, closed, or after a failed
///   Create) refuses every operation but Create and Close: -9996, or false;
/// - an element operation that does not match the file kind, any addition after
///   Flush, and a field added once attribute records exist: -9980, or false;
/// - an attribute write that names an element beyond the next one, a field
///   index outside the table or a null value: false;
/// - memory that cannot be obtained: -9999, or false, with nothing added.
///
/// A typical life: Create, WriteProjection, the Add operations of the kind,
/// AddFieldInfo for every field, the typed writes in element order, Flush,
/// Close. Element records are stored with the host's display parameters
/// unchanged; the writer sets only the counts and offsets it computes (and,
/// for points, the point kind). The state byte is stored as given: give 1, or
/// the element reads as not in use. Record 0 of every table is reserved and
/// written zero; the element added first is element 0 (record 1).
///
/// Threads: a writer and its copies are used by one thread at a time; field
/// names are converted with the code page of the thread that calls
/// AddFieldInfo. Memory: the writer holds everything it collects until Close
/// (or the last copy goes); it keeps no pointer to the host's geometries or
/// texts after a call returns.
class TERRIX_API Terrix_Writer {
 public:
  /// A writer with no file: every operation but Create and Close is refused.
  Terrix_Writer();
  /// A copy that shares the file and everything collected with `other`.
  /// @param other The writer to share with.
  Terrix_Writer(const Terrix_Writer& other);
  /// Drops this writer's state (closing its file without writing when no other
  /// copy holds it) and shares that of `other`.
  /// @param other The writer to share with.
  /// @return This writer.
  Terrix_Writer& operator=(const Terrix_Writer& other);
  /// The last copy to go closes the file without writing.
  virtual ~Terrix_Writer();

  // Lifecycle and file assembly.

  /// Creates (or empties) the file and starts an empty writer of the kind:
  /// 0 line, 1 point, 2 region, 7 table file. 99999, -9996 (cannot create) or
  /// -9997 (other kind; the empty file stays open until Close or Create).
  ///
  /// What the writer held before is released first, for every copy, without
  /// writing. After a failure the writer holds no writable file.
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @param kind The file kind: 0, 1, 2 or 7.
  /// @return Result::Success; Result::CannotOpen when `path` is null or the
  ///         file cannot be created; Result::BadMagic for another kind;
  ///         Result::NoMemory when the empty tables cannot be made.
  std::int32_t Create(const wchar_t* path, int kind);
  /// Keeps the projection and writes it at once into the head area; null: nothing.
  ///
  /// A failed write is not reported; Flush writes the projection again with
  /// the head area. Without a writable file nothing happens.
  /// @param projection The projection, copied; may be null.
  void WriteProjection(const MAP_PARAstruct* projection);
  /// Writes the whole file. Each step runs even when an earlier one failed; a
  /// second Flush writes the same bytes again.
  ///
  /// The steps: BuildMapPart, WriteHeadInfo, WriteGeomInfo, WriteGeometry,
  /// WriteFieldInfo, WriteRecordAll, WriteEndInfo. Their results are not
  /// reported. A file whose sections would not fit 32-bit offsets is not
  /// written. After Flush no element, field or value is accepted. Without a
  /// writable file nothing happens.
  void Flush();
  /// Closes the file and releases everything; writes nothing.
  ///
  /// Acts for every copy. A file closed without Flush holds only what
  /// WriteProjection wrote.
  void Close();

  // Elements.

  /// Point file: adds the point of the record (its x and y) with its note text
  /// (empty or null: no note). The geometry is not used.
  ///
  /// The writer sets noteLength (the low 16 bits of the text's length),
  /// noteOffset and pointKind (0 with a note, 1 without); the note's bytes are
  /// stored as given, without code-page conversion. The extent grows by the point.
  /// @param record   The point record, stored with the writer's fields set.
  /// @param geometry Not used.
  /// @param noteText The note, zero-terminated; null or empty for none.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::NotHandled when the file is not a point file or was
  ///         flushed; Result::NoMemory, with nothing added.
  std::int32_t AddPointInfo(TERRIX_PntInfo record, const Geometry& geometry, const char* noteText);
  /// Line file: adds part `part` of the geometry as one line (any index out of
  /// the part table takes all vertices). -9969 notices a multi-part geometry.
  ///
  /// Only x and y are stored; the writer sets pointCount and pointOffset. A
  /// part table that points outside the vertex arrays is clamped to them.
  /// @param record   The line record, stored with the writer's fields set.
  /// @param geometry The shape.
  /// @param part     The part to store; any index outside the part table (or a
  ///                 geometry without one) stores all vertices.
  /// @return Result::Success; Result::PartSkipped (a notice: the line was
  ///         added) when the geometry has more than one part;
  ///         Result::CannotOpen without a writable file; Result::NotHandled
  ///         when the file is not a line file or was flushed;
  ///         Result::NoMemory, with nothing added.
  std::int32_t AddArcInfo(TERRIX_LineInfo record, const Geometry& geometry, int part);
  /// Region file: adds one arc as AddArcInfo does; counts only the arcs.
  ///
  /// The arc is the next arc record. No polygon's arc list names it:
  /// AddPolygonInfo makes arcs of its own for its rings.
  /// @param record   The arc record, stored with the writer's fields set.
  /// @param geometry The shape.
  /// @param part     The part to store, as for AddArcInfo.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::NotHandled when the file is not a region file or was
  ///         flushed; Result::NoMemory, with nothing added.
  std::int32_t AddPolyArcInfo(TERRIX_LineInfo record, const Geometry& geometry, int part);
  /// Region file: adds the polygon, one arc per ring and its arc list. Parts of
  /// kind 2 after the first are skipped with the notice -9969.
  ///
  /// Each ring becomes a new arc record in use, with the writer's fixed
  /// display parameters; the arc list names them in order, separated by 0.
  /// Rings are stored as given: the writer does not change their orientation
  /// (the format's order is the first ring clockwise, further rings
  /// counter-clockwise; FixGeoTopo establishes it). The writer sets listCount
  /// and listOffset; the other bytes of the record are stored as given.
  /// @param record   The polygon record, stored with the writer's fields set.
  /// @param geometry The shape; each part is a ring.
  /// @return Result::Success; Result::PartSkipped (a notice: the polygon was
  ///         added without those parts); Result::CannotOpen without a writable
  ///         file; Result::NotHandled when the file is not a region file or
  ///         was flushed; Result::NoMemory, with nothing added.
  std::int32_t AddPolygonInfo(TERRIX_RegInfo record, const Geometry& geometry);

  // Attributes.

  /// Adds a field; returns the number of fields (the new field's index + 1).
  /// The name is cut at 20 bytes of code-page text. A field after the first
  /// attribute write, a width outside 0..32767 or more than 32767 fields: -9980.
  ///
  /// The name is converted with the calling thread's code page and cut at 20
  /// bytes, which may split a character of several bytes; a name of 20 bytes
  /// has no terminator. The type code, auxLength and auxByte are stored as
  /// given (in 8, 16 and 8 bits); the library itself knows the type codes 0
  /// (string) and 9 (text) only.
  /// @param name      The field name; may be null (an empty name).
  /// @param type      The type code.
  /// @param width     The value width in bytes, 0 to 32767.
  /// @param auxLength Kept for the table's creator.
  /// @param auxByte   Kept for the table's creator.
  /// @return The number of fields; Result::CannotOpen without a writable file;
  ///         Result::NotHandled as told above or after Flush;
  ///         Result::NoMemory.
  std::int32_t AddFieldInfo(const wchar_t* name, int type, int width, int auxLength, int auxByte);

  /// String and text writes copy the text up to its terminator or the field's
  /// width, whichever comes first, and zero the rest of the field.
  ///
  /// Like every typed write: the record of `element` is made when `element` is
  /// the next one (records are made in element order, each starting zero with
  /// its record flag 1); an element beyond the next one is refused. The bytes
  /// are stored as given, without code-page conversion.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The text, zero-terminated.
  /// @return true when stored; false without a writable file, after Flush, for
  ///         a null value, a field out of range, an element beyond the next
  ///         one, or memory that cannot be obtained.
  bool WriteStringAttribute(int element, int field, const char* value);
  /// As WriteStringAttribute.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The text, zero-terminated.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteTextAttribute(int element, int field, const char* value);
  /// Date, time and binary writes copy the field's width of bytes from value.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   At least the field's width of bytes (the stored bytes of a
  ///                DATE_STRUstruct for a date field).
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteDateAttribute(int element, int field, const char* value);
  /// Copies the field's width of bytes from value.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   At least the field's width of bytes (the stored bytes of a
  ///                TIME_STRUstruct for a time field).
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteTimeAttribute(int element, int field, const char* value);
  /// Copies the field's width of bytes from value.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   At least the field's width of bytes.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteBinareyAttribute(int element, int field, const void* value);
  /// The value as a 32-bit little-endian slot (integers widened with their
  /// sign, float as its bits); the field takes the slot's first bytes and
  /// zeros beyond the slot.
  ///
  /// A bool is the slot 1 or 0.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The value.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteBoolAttribute(int element, int field, bool value);
  /// The value as a 32-bit slot, as WriteBoolAttribute.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The value.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteByteAttribute(int element, int field, unsigned char value);
  /// The value as a 32-bit slot, widened with its sign, as WriteBoolAttribute.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The value.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteShortAttribute(int element, int field, short value);
  /// The value as a 32-bit slot, as WriteBoolAttribute.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The value.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteLongAttribute(int element, int field, std::int32_t value);
  /// The float's bits as a 32-bit slot, as WriteBoolAttribute.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The value.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteFloatAttribute(int element, int field, float value);
  /// The f64's first bytes (its low-order half for a 4-byte field), zeros beyond 8.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   The value.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteDoubleAttribute(int element, int field, double value);

 protected:
  // The steps of Flush, in their order; each returns 99999, -9996 without a
  // writable file, or -9983 for a layout beyond 32-bit offsets or a failed write.
  /// Computes the section directory from the sizes of all sections.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::IoError when a section would lie beyond 32-bit offsets
  ///         (the writing steps then write nothing).
  std::int32_t BuildMapPart();
  /// Writes the head area and the section directory.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::IoError for a layout that does not fit or a failed write.
  std::int32_t WriteHeadInfo();
  /// Writes the element tables (points, lines or arcs, polygons).
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::IoError for a layout that does not fit or a failed write.
  std::int32_t WriteGeomInfo();
  /// Writes the coordinate section: note texts, or points and arc lists.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::IoError for a layout that does not fit or a failed write.
  std::int32_t WriteGeometry();
  /// Writes the attribute table's head and field descriptors.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::IoError for a layout that does not fit or a failed write.
  std::int32_t WriteFieldInfo();
  /// Writes the attribute records.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::IoError for a layout that does not fit or a failed write.
  std::int32_t WriteRecordAll();
  /// Writes the per-element blocks (extents and words), or a table file's end mark.
  /// @return Result::Success; Result::CannotOpen without a writable file;
  ///         Result::IoError for a layout that does not fit or a failed write.
  std::int32_t WriteEndInfo();

  /// Selects (making it when it is the next one) the record of the current element.
  /// @return Result::Success; Result::NotHandled without a writable file,
  ///         after Flush, before the first attribute write, or for a current
  ///         element beyond the next one; Result::NoMemory.
  std::int32_t GetCurrentRecord();
  /// Copies the field's width of bytes from value into the element's record.
  /// @param element The element, from 0 up to the number of records made.
  /// @param field   The field, from 0.
  /// @param value   At least the field's width of bytes.
  /// @return true when stored; false as WriteStringAttribute.
  bool WriteAttribute(int element, int field, const void* value);

 private:
  std::shared_ptr<detail::WriterState> state_;
};

}  // namespace Terrix
