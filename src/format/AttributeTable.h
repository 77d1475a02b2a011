// Attribute tables: where each file kind keeps them, the head checks, the
// field descriptors, the records and the decoding of one value. The fast,
// memory and editing readers share this state and differ only in how they
// reach a record (RecordAccess) and in the checks of GetFieldInfo (SignChecks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/File.h"
#include "format/HeadArea.h"
#include "terrix/FileKind.h"
#include "terrix/Records.h"

namespace Terrix::format {

/// The attribute tables a reader can select in a file.
namespace TableSelector {
constexpr int LineOrArc = 0;
constexpr int PointOrNode = 1;
constexpr int Region = 2;
constexpr int Table = 7;
}  // namespace TableSelector

/// Directory entry of the table that `selector` names in a file of `kind`, or
/// -1 when that kind of file has no such table.
int AttributeTableEntry(FileKind kind, int selector);

/// How ReadValue hands a value out (the `kind` argument of the readers'
/// ReadAttribute): as a string or a text, trimmed of spaces, or, for any other
/// code, as the stored bytes.
namespace ReadAs {
constexpr int String = 0;
constexpr int Text = 9;
constexpr int Raw = -1;
}  // namespace ReadAs

/// Trims a zero-terminated value in place: leading spaces are removed by
/// moving the rest to the front, trailing ones overwritten with zero bytes.
/// An embedded zero byte ends the value.
void TrimSpaces(char* text);

/// The bytes of the last value read: `size` stored bytes followed by a zero
/// byte. `data` is null when no value could be produced.
struct ValueBytes {
  std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

/// A value reinterpreted as T: its first sizeof(T) bytes, missing ones zero;
/// the zero of T when there is no value.
template <typename T>
T ValueAs(const ValueBytes& value) {
  T out{};
  if (value.data != nullptr) std::memcpy(&out, value.data, value.size < sizeof(T) ? value.size : sizeof(T));
  return out;
}

/// How a reader reaches a record.
enum class RecordAccess {
  WholeBlock,  // the whole record array read once, on the first value read
  OneRecord,   // the current record read from the file whenever it changes
};

/// The checks GetFieldInfo makes.
enum class SignChecks {
  RefuseNegative,  // name first; a negative width, auxLength or auxByte is -9980
  PassThrough,     // width, auxLength, auxByte as stored, then the name
};

/// One loaded attribute table: head, descriptors, records and the scratch
/// buffer that holds the last value read.
class AttributeTable {
 public:
  explicit AttributeTable(RecordAccess access) : access_(access) {}

  /// Reads and checks the head at `sectionOffset` and the descriptors behind it.
  /// Result::Success, Result::IoError for a failed read, Result::NotHandled for
  /// a head without both magics or with a negative field count. Only success
  /// marks the head loaded.
  std::int32_t LoadHead(core::File& file, std::uint64_t sectionOffset);
  /// Reads the whole record array (WholeBlock) with one file read. Records
  /// beyond the end of the file read as zero bytes and take no memory.
  std::int32_t LoadRecords(core::File& file);
  /// Makes the record of the current index current: loads the record array
  /// when needed (WholeBlock) or reads that one record (OneRecord). Leaves no
  /// current record when that fails.
  std::int32_t FetchCurrentRecord(core::File& file);

  /// Copies the value of `field` in element `record` into the scratch buffer,
  /// trimmed for ReadAs::String and ReadAs::Text. Moves to the record
  /// first when it is not the current one. No value (data null) without a
  /// loaded head, with a record or field index out of range, a field that
  /// runs past the record, or a record that cannot be read.
  ValueBytes ReadValue(core::File& file, int record, int field, int readAs);

  /// GetFieldInfo: the type code as a signed byte, or Result::NotHandled.
  std::int32_t DescribeField(int field, SignChecks checks, wchar_t* name, int* width, int* auxLength,
                             int* auxByte) const;
  /// GetFieldIndex: index of the field named by the key's first word, or -1.
  int FindFieldIndex(const wchar_t* key) const;

  /// Forgets the table: descriptors, records, current record and scratch
  /// buffer released, both loaded flags cleared.
  void Release();

  bool HeadLoaded() const { return headLoaded_; }
  bool RecordsLoaded() const { return recordsLoaded_; }
  std::int32_t FieldCount() const { return head_.fieldCount; }
  /// Element records: recordCount - 1 (the leading record is not counted).
  std::int32_t RecordCount() const { return static_cast<std::int32_t>(head_.recordCount - 1); }
  const TERRIX_FieldHead& Head() const { return head_; }
  const std::vector<TERRIX_Field>& Fields() const { return fields_; }
  int CurrentIndex() const { return currentIndex_; }
  void SetCurrentIndex(int record) { currentIndex_ = record; }

 private:
  bool ContainsRecord(int record) const;

  RecordAccess access_;
  bool headLoaded_ = false;
  bool recordsLoaded_ = false;
  std::uint64_t sectionOffset_ = 0;
  TERRIX_FieldHead head_{};
  std::vector<TERRIX_Field> fields_;
  /// WholeBlock: every record slot; OneRecord: the current slot only.
  RecordTable records_;
  int currentIndex_ = -1;
  /// Slot of the current record in records_, -1 when there is none.
  std::int64_t currentSlot_ = -1;
  /// Grows, never shrinks: a pointer handed out stays inside it until the
  /// table is released, though the next read overwrites what it points at.
  std::vector<std::uint8_t> scratch_;
};

}  // namespace Terrix::format
