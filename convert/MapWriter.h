// Streaming writes of features into a new map file. Features arrive one by
// one; their shapes go to the library's writer at once, their values into a
// compact row store until the end, when each field's type and width are
// known (a width is the longest value; 64-bit integers are stored by what
// every value needs). Finish writes the file under a temporary name, reads it
// back and only then gives it the destination's name.
//
// The rule of every conversion: a value arrives as it was, or the client is
// told before the end what changed and how to avoid it. Text the code page
// cannot hold, notes longer than the format reads, and shapes the format
// cannot hold (coordinates that are not finite, rings of fewer than four
// points) stop the conversion with a message naming the feature, unless the
// client chose the lossy mode, which replaces, cuts or skips them and says so.
#pragma once

#include <TerrixLib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "CodePage.h"
#include "Diagnostics.h"
#include "OutputFile.h"
#include "RowStore.h"
#include "Shape.h"
#include "TypeTable.h"
#include "Value.h"

namespace Terrix::Convert {

struct WriteOptions {
  std::string codePage = CodePage::kDefault;
  /// Replace characters the code page cannot hold with '?', cut long notes and
  /// skip unwritable shapes, with warnings, instead of failing.
  bool lossy = false;
  /// How the client's user chooses a code page and the lossy mode, for the
  /// advice in messages (a command-line option, a creation option).
  std::string codePageOption = "--codepage";
  std::string lossyOption = "--lossy";
};

/// The library's writer with a Flush that reports its steps' results.
class LibraryWriter : public Terrix_Writer {
 public:
  /// Runs the steps of Flush in order: Success, or the first failure.
  std::int32_t FlushReporting();
};

class FeatureWriter {
 public:
  /// Prepares to write `path` as a file of `kind`, or of the kind the first
  /// feature with a shape gives (points, lines, polygons; none at all: a table
  /// file). Nothing takes the path's name before Finish succeeds. Throws
  /// ConversionError when the path cannot be written (a directory, a device,
  /// a pipe) or the code page is unknown.
  FeatureWriter(const std::string& path, std::optional<FileKind> kind, const WriteOptions& options,
                Diagnostics& diagnostics);
  /// Without Finish, leaves nothing behind.
  ~FeatureWriter();
  FeatureWriter(const FeatureWriter&) = delete;
  FeatureWriter& operator=(const FeatureWriter&) = delete;

  /// Adds a field (a name in UTF-8, made to fit the format at Finish); returns
  /// its index. Fields may be added at any time before Finish.
  int AddField(const std::string& name, FieldType type);
  /// The index of the field added under exactly this name, or -1.
  int FieldIndex(const std::string& name) const;
  std::size_t FieldCount() const { return fields_.size(); }

  // The feature being built: its shape, its values and a point's note.
  GeometryInput& Shape() { return shape_; }
  /// The value of `field` for this feature (null until set).
  Value& ValueOf(int field);
  void SetNote(const std::string& utf8);
  /// How messages name this feature (its id in the client; default: its number).
  void SetFeatureId(std::int64_t id) { featureId_ = id; }

  /// Writes the feature being built: its elements (a point or line per part,
  /// one polygon element with every ring) and one attribute row, then clears
  /// it for the next. Throws ConversionError naming the feature for what
  /// cannot be written unless the lossy mode is on.
  void Commit();
  /// Features committed so far.
  std::int64_t FeatureCount() const { return features_; }
  /// The file kind, once known.
  std::optional<FileKind> Kind() const { return kind_; }

  /// Writes the file and puts it in place; the warnings go to the
  /// diagnostics. Throws ConversionError when anything fails (the destination
  /// is then as it was).
  void Finish(const ProgressFn& progress = {});

 private:
  struct FieldState;
  void DecideKind(FileKind kind);
  void AddElements(std::uint32_t& elements);
  void AddPoints(const GeometryInput& in, std::uint32_t& elements);
  void AddLines(const GeometryInput& in, std::uint32_t& elements);
  void AddPolygon(const GeometryInput& in, std::uint32_t& elements);
  void StoreValues(std::uint32_t elements);
  void EncodeText(FieldState& field, Value& v);
  std::string FeatureName() const;
  [[noreturn]] void Refuse(const std::string& what, const std::string& advice) const;
  void PlanFields();
  void WriteRows(const ProgressFn& progress);
  void Verify();
  void ReportChanges();

  OutputFile output_;
  WriteOptions options_;
  CodePage codePage_;
  Diagnostics& diagnostics_;
  std::optional<FileKind> kind_;
  LibraryWriter writer_;
  bool created_ = false;

  std::vector<std::unique_ptr<FieldState>> fields_;
  std::unordered_map<std::string, int> fieldIndex_;
  int noteField_ = -1;  // a client field "terrix:note" of a point file

  GeometryInput shape_;
  std::vector<Value> values_;
  std::vector<int> touched_;  // fields with a value in the feature being built
  bool hasNote_ = false;
  std::string note_;
  std::int64_t featureId_ = -1;

  RowStore rows_;
  ElementShape element_;
  BorrowedGeometry lent_;
  std::string scratch_;
  std::int64_t features_ = 0;
  std::int64_t elements_ = 0;
  std::size_t pendingRows_ = 0;  // leading rows without a shape, written once the kind is known

  // What writing changed, for the warnings at the end.
  struct Changes {
    std::int64_t withZ = 0, withM = 0, multiSplit = 0, multiElements = 0, otherKinds = 0, unsupported = 0;
    std::int64_t withoutShape = 0, shapesDropped = 0, ringsClosed = 0, partsSkipped = 0, notesCut = 0;
    std::int64_t notesReplaced = 0, notesDropped = 0;
  } changes_;
};

}  // namespace Terrix::Convert
