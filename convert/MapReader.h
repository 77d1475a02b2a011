// Streaming reads of a map file as features: one layer per element class
// (points, lines, regions, a network's arcs and nodes, a table file's rows),
// each element a feature with its shape, its typed values and its note.
// Loops are bounded by what the file can hold, never by a stored count alone.
#pragma once

#include <TerrixLib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CodePage.h"
#include "Diagnostics.h"
#include "Shape.h"
#include "TypeTable.h"
#include "Value.h"

namespace Terrix::Convert {

enum class ElementClass : std::uint8_t { Point, Line, Arc, Node, Region, Row };
/// "points", "lines", "arcs", "nodes", "regions", "rows".
const char* ElementClassName(ElementClass c);
/// The shape type of the class's elements (ShapeType::None for rows).
std::int32_t ShapeTypeOf(ElementClass c);

struct LayerInfo {
  ElementClass elementClass = ElementClass::Row;
  int selector = 0;              // the reader's attribute table selector
  std::int32_t storedCount = 0;  // elements (or rows) the file claims
  std::int32_t count = 0;        // element numbers read: the claim, bounded by the file's size
};

/// A field of a layer as a file describes it, with a name unique in its
/// layer (UTF-8) and the row of the type table that reads it.
struct FieldDef {
  std::string name;
  int index = 0;  // the field's number in its table
  int code = 0;
  int width = 0;
  int auxLength = 0;
  int auxByte = 0;
  const TypeRow* row = nullptr;
};

/// The library's reader with the table loads that report their result.
class LibraryReader : public Terrix_FastReader {
 public:
  /// Loads the table of `selector` and makes it current: Success, or the
  /// load's code (the current table is then none of this selector's).
  std::int32_t SelectTable(int selector);
};

/// An open map file: its kind, head and layers.
class MapFile {
 public:
  /// Throws ConversionError when the file cannot be opened or is refused.
  MapFile(const std::string& path, Diagnostics& diagnostics);
  const std::string& Path() const { return path_; }
  FileKind Kind() const { return kind_; }
  const std::vector<LayerInfo>& Layers() const { return layers_; }
  /// The stored extent; false for a file that has none (a table file, or
  /// bounds that enclose nothing).
  bool Extent(double extent[4]);
  int ProjectionType();
  int TicCount();
  std::uint64_t FileSize() const { return size_; }
  LibraryReader& Reader() { return reader_; }

 private:
  std::string path_;
  LibraryReader reader_;
  FileKind kind_ = FileKind::Line;
  std::uint64_t size_ = 0;
  std::vector<LayerInfo> layers_;
};

/// One element as a feature. The shape points into the reader's container
/// and stays valid until the next read.
struct Feature {
  std::int32_t index = -1;
  ShapeView shape;
  std::vector<Value> values;  // one per field; null where the element has no record
  bool hasNote = false;
  std::string note;  // UTF-8
};

/// What reading changed on the way, counted per field and for notes, for
/// one warning each when the reading is over.
struct ReadChanges {
  std::vector<std::int64_t> undecodable;  // per field: values with bytes the code page does not decode
  std::vector<std::int64_t> invalid;      // per field: stored bytes that are no value of the type
  std::int64_t notesUndecodable = 0, notesCut = 0, notesUnreadable = 0;

  void Add(const ReadChanges& other);
  /// One warning per kind of change, naming the field.
  void Report(const std::vector<FieldDef>& fields, const CodePage& codePage, const std::string& path,
              Diagnostics& diagnostics) const;
};

/// Reads the features of one layer on a reader of its own.
class FeatureReader {
 public:
  /// Throws ConversionError when the file cannot be opened. What opening
  /// finds (field names made unique, a table that cannot be loaded) is told
  /// to `diagnostics` when given.
  FeatureReader(const std::string& path, const LayerInfo& layer, const CodePage& codePage,
                Diagnostics* diagnostics);
  FeatureReader(const FeatureReader&) = delete;
  FeatureReader& operator=(const FeatureReader&) = delete;

  const LayerInfo& Layer() const { return layer_; }
  const std::vector<FieldDef>& Fields() const { return fields_; }
  /// Success, or why the layer has no attribute table (NotHandled: the file
  /// kind has none for the class).
  std::int32_t TableStatus() const { return tableStatus_; }
  std::int32_t RecordCount() const { return recordCount_; }
  /// Whether any point of the layer has a note (point files only; scans the
  /// element records once, without coordinates).
  bool HoldsNotes();
  /// The state of element `index` from its record alone: Success (in use),
  /// Result::NotInUse (deleted) or the failure that keeps it from being read.
  std::int32_t State(std::int32_t index);
  bool InUse(std::int32_t index) { return State(index) == Result::Success; }
  /// Live elements of the layer, counted from the records alone.
  std::int64_t CountLive();

  /// Leaves out the geometry, or the values of some fields (true: skipped).
  void SkipGeometry(bool skip) { skipGeometry_ = skip; }
  void SkipFields(std::vector<bool> skipped) { skippedFields_ = std::move(skipped); }

  /// Reads element `index`: Success, Result::NotInUse for a deleted element,
  /// or another failure code (the feature then holds what could be read).
  std::int32_t Read(std::int32_t index, Feature& out);
  /// The library's container of the last read, for the library's own checks.
  Geometry& Container() { return *geometry_; }
  /// What the reads so far changed.
  const ReadChanges& Changes() const { return changes_; }

 private:
  void DescribeFields(Diagnostics* diagnostics);
  void ReadValues(std::int32_t index, Feature& out);
  void ReadNote(std::int32_t index, const TERRIX_PntInfo& record, Feature& out);

  std::string path_;
  LayerInfo layer_;
  const CodePage& codePage_;
  LibraryReader reader_;
  GeometryHolder geometry_;
  std::vector<FieldDef> fields_;
  std::int32_t tableStatus_ = Result::NotHandled;
  std::int32_t recordCount_ = 0;
  int holdsNotes_ = -1;  // unknown until asked
  bool skipGeometry_ = false;
  std::vector<bool> skippedFields_;
  std::string scratch_;
  ReadChanges changes_;
};

}  // namespace Terrix::Convert
