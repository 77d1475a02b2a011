// Terrix_Writer: builds a new line, point, region or table file.
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
class TERRIX_API Terrix_Writer {
 public:
  Terrix_Writer();
  Terrix_Writer(const Terrix_Writer& other);
  Terrix_Writer& operator=(const Terrix_Writer& other);
  virtual ~Terrix_Writer();

  // Lifecycle and file assembly.

  /// Creates (or empties) the file and starts an empty writer of the kind:
  /// 0 line, 1 point, 2 region, 7 table file. 99999, -9996 (cannot create) or
  /// -9997 (other kind; the empty file stays open until Close or Create).
  std::int32_t Create(const wchar_t* path, int kind);
  /// Keeps the projection and writes it at once into the head area; null: nothing.
  void WriteProjection(const MAP_PARAstruct* projection);
  /// Writes the whole file. Each step runs even when an earlier one failed; a
  /// second Flush writes the same bytes again.
  void Flush();
  /// Closes the file and releases everything; writes nothing.
  void Close();

  // Elements.

  /// Point file: adds the point of the record (its x and y) with its note text
  /// (empty or null: no note). The geometry is not used.
  std::int32_t AddPointInfo(TERRIX_PntInfo record, const Geometry& geometry, const char* noteText);
  /// Line file: adds part `part` of the geometry as one line (any index out of
  /// the part table takes all vertices). -9969 notices a multi-part geometry.
  std::int32_t AddArcInfo(TERRIX_LineInfo record, const Geometry& geometry, int part);
  /// Region file: adds one arc as AddArcInfo does; counts only the arcs.
  std::int32_t AddPolyArcInfo(TERRIX_LineInfo record, const Geometry& geometry, int part);
  /// Region file: adds the polygon, one arc per ring and its arc list. Parts of
  /// kind 2 after the first are skipped with the notice -9969.
  std::int32_t AddPolygonInfo(TERRIX_RegInfo record, const Geometry& geometry);

  // Attributes.

  /// Adds a field; returns the number of fields (the new field's index + 1).
  /// The name is cut at 20 bytes of code-page text. A field after the first
  /// attribute write, a width outside 0..32767 or more than 32767 fields: -9980.
  std::int32_t AddFieldInfo(const wchar_t* name, int type, int width, int auxLength, int auxByte);

  /// String and text writes copy the text up to its terminator or the field's
  /// width, whichever comes first, and zero the rest of the field.
  bool WriteStringAttribute(int element, int field, const char* value);
  bool WriteTextAttribute(int element, int field, const char* value);
  /// Date, time and binary writes copy the field's width of bytes from value.
  bool WriteDateAttribute(int element, int field, const char* value);
  bool WriteTimeAttribute(int element, int field, const char* value);
  bool WriteBinareyAttribute(int element, int field, const void* value);
  /// The value as a 32-bit little-endian slot (integers widened with their
  /// sign, float as its bits); the field takes the slot's first bytes and
  /// zeros beyond the slot.
  bool WriteBoolAttribute(int element, int field, bool value);
  bool WriteByteAttribute(int element, int field, unsigned char value);
  bool WriteShortAttribute(int element, int field, short value);
  bool WriteLongAttribute(int element, int field, std::int32_t value);
  bool WriteFloatAttribute(int element, int field, float value);
  /// The f64's first bytes (its low-order half for a 4-byte field), zeros beyond 8.
  bool WriteDoubleAttribute(int element, int field, double value);

 protected:
  // The steps of Flush, in their order; each returns 99999 or -9983.
  std::int32_t BuildMapPart();
  std::int32_t WriteHeadInfo();
  std::int32_t WriteGeomInfo();
  std::int32_t WriteGeometry();
  std::int32_t WriteFieldInfo();
  std::int32_t WriteRecordAll();
  std::int32_t WriteEndInfo();

  /// Selects (making it when it is the next one) the record of the current element: 99999 or -9999.
  std::int32_t GetCurrentRecord();
  /// Copies the field's width of bytes from value into the element's record.
  bool WriteAttribute(int element, int field, const void* value);

 private:
  std::shared_ptr<detail::WriterState> state_;
};

}  // namespace Terrix
