// The private core of the three reader classes: the opened map, its element
// tables and its attribute table, with the operations the readers share. A
// reader is a core configured by its profile plus the few members of its own
// (the fast reader's table selector, the editing reader's polygon labels);
// its public members forward to the core one by one.
#pragma once

#include <cstdint>

#include "core/File.h"
#include "format/AttributeTable.h"
#include "format/Coordinates.h"
#include "format/ElementReads.h"
#include "format/ElementTables.h"
#include "format/HeadArea.h"
#include "format/OpenedMap.h"
#include "format/PolygonAssembly.h"
#include "terrix/FileKind.h"

namespace Terrix::detail {

/// Everything in which the readers' shared behaviour differs from one reader
/// to another.
struct ReaderProfile {
  /// How Open opens the file.
  core::OpenMode openMode;
  /// Which kinds the head check accepts.
  format::KindPolicy kinds;
  /// What a network's nodes become, how indices are checked, how points are
  /// read and bounded, what an arc not in use does to its polygon.
  format::ElementReadRules elementReads;
  /// How a record of the attribute table is reached.
  format::RecordAccess records;
  /// The checks of GetFieldInfo.
  format::SignChecks signs;
};

class ReaderCore {
 public:
  explicit ReaderCore(const ReaderProfile& profile) : attributes(profile.records), profile_(profile) {}

  // Opening and closing.
  /// Opens the file in the profile's mode; false when it cannot be opened.
  bool OpenFile(const wchar_t* path) { return map.file.Open(path, profile_.openMode); }
  /// Reads the head area and the directory under the profile's kind policy;
  /// the reads go by the head's kind again.
  std::int32_t ReadHead();
  /// Forgets the element and attribute tables and closes the file.
  void Close();

  /// The kind the element reads and the attribute table of the kind go by:
  /// the head's, or the one given to TreatAs until the next ReadHead or Close.
  FileKind ReadKind() const { return treatAs_ ? asKind_ : map.head.Kind(); }
  void TreatAs(FileKind kind) {
    treatAs_ = true;
    asKind_ = kind;
  }

  // Elements.
  /// The element reads of ReadKind() under the profile's rules.
  format::ElementReader Elements();

  // Attributes.
  /// Loads head and descriptors of the table `selector` names in a file of
  /// ReadKind() (format::TableSelector), unless a table is loaded already.
  std::int32_t LoadSelectedTable(int selector);
  /// Loads head and descriptors of the one table of ReadKind() under the kind
  /// policy (format::KindTableEntry), unless a table is loaded already.
  std::int32_t LoadKindTable();
  /// GetFieldCount and GetRecordCount after a load that gave `rc`: the
  /// table's count, or `rc` when it is not Result::Success.
  std::int32_t FieldCount(std::int32_t rc) const;
  std::int32_t RecordCount(std::int32_t rc) const;
  /// GetFieldInfo under the profile's sign checks.
  std::int32_t DescribeField(int field, wchar_t* name, int* width, int* auxLength, int* auxByte) const;
  std::int32_t LoadRecords() { return attributes.LoadRecords(map.file); }
  std::int32_t FetchCurrentRecord() { return attributes.FetchCurrentRecord(map.file); }

  /// The value behind the pointer reads (ReadAttribute): `readAs` as
  /// format::ReadAs says; null when there is no value.
  void* Value(int record, int field, int readAs) {
    return attributes.ReadValue(map.file, record, field, readAs).data;
  }
  const char* Text(int record, int field, int readAs) {
    return static_cast<const char*>(Value(record, field, readAs));
  }
  /// A value reinterpreted as T: its stored bytes, missing ones zero.
  template <typename T>
  T Typed(int record, int field) {
    return format::ValueAs<T>(attributes.ReadValue(map.file, record, field, format::ReadAs::Raw));
  }
  /// A boolean value: true when its first byte is not zero.
  bool Flag(int record, int field) { return Typed<std::uint8_t>(record, field) != 0; }

  format::OpenedMap map;
  /// Point, line and polygon tables (and network nodes), loaded on the first
  /// element read and kept until Close.
  format::ElementTables elements;
  /// The attribute table in use, reached as the profile's record access says.
  format::AttributeTable attributes;

 private:
  ReaderProfile profile_;
  bool treatAs_ = false;
  FileKind asKind_ = FileKind::Line;
};

}  // namespace Terrix::detail
