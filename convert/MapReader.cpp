#include "MapReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace Terrix::Convert {

namespace {

// The bytes one element record of the class takes in its table.
std::uint64_t RecordSizeOf(ElementClass c) {
  switch (c) {
    case ElementClass::Point:
      return sizeof(TERRIX_PntInfo);
    case ElementClass::Node:
      return sizeof(TERRIX_NetPntInfo);
    case ElementClass::Line:
    case ElementClass::Arc:
      return sizeof(TERRIX_LineInfo);
    case ElementClass::Region:
      return sizeof(TERRIX_RegInfo);
    case ElementClass::Row:
      return 1;
  }
  return 1;
}

// A table holds every record it counts within the file: no more records can
// be stored than the file has room for, whatever its head claims.
std::int32_t Bounded(std::int32_t stored, std::uint64_t fileSize, std::uint64_t recordSize) {
  if (stored <= 0) return 0;
  const std::uint64_t room = fileSize / std::max<std::uint64_t>(recordSize, 1);
  return static_cast<std::int32_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(stored), room));
}

// The size of a file, through the host's file hooks when the thread has them.
std::uint64_t FileSizeOf(const std::string& path) {
  if (const FileHooks* hooks = GetThreadFileHooks()) {
    void* file = hooks->Open(path.c_str(), "rb", hooks->userData);
    if (file == nullptr) return 0;
    const std::uint64_t size = hooks->Size(file);
    hooks->Close(file);
    return size;
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// GetFieldInfo answers a type code as a signed byte, or a failure code.
bool Described(std::int32_t rc) {
  return rc >= -128 && rc <= 127;
}

// Bytes of one record of the current table: its flag and every field.
std::uint64_t RecordLengthOfTable(LibraryReader& reader) {
  std::uint64_t length = 1;
  const std::int32_t fields = reader.GetFieldCount();
  for (std::int32_t f = 0; f < fields; ++f) {
    int width = 0;
    if (Described(reader.GetFieldInfo(f, nullptr, &width, nullptr, nullptr)))
      length += static_cast<std::uint64_t>(std::max(width, 0));
  }
  return length;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

const char* ElementClassName(ElementClass c) {
  switch (c) {
    case ElementClass::Point:
      return "points";
    case ElementClass::Line:
      return "lines";
    case ElementClass::Arc:
      return "arcs";
    case ElementClass::Node:
      return "nodes";
    case ElementClass::Region:
      return "regions";
    case ElementClass::Row:
      return "rows";
  }
  return "elements";
}

std::int32_t ShapeTypeOf(ElementClass c) {
  switch (c) {
    case ElementClass::Point:
    case ElementClass::Node:
      return ShapeType::Point;
    case ElementClass::Line:
    case ElementClass::Arc:
      return ShapeType::Line;
    case ElementClass::Region:
      return ShapeType::Polygon;
    case ElementClass::Row:
      return ShapeType::None;
  }
  return ShapeType::None;
}

std::int32_t LibraryReader::SelectTable(int selector) {
  const std::int32_t rc = ReadFieldInfo(selector);
  if (rc == Result::Success) SetAttributeType(selector);
  return rc;
}

MapFile::MapFile(const std::string& path, Diagnostics& diagnostics) : path_(path) {
  const std::int32_t rc = reader_.Open(Utf8ToWide(path).c_str());
  if (rc != Result::Success) FailWithCode(path, "opening", rc);
  size_ = FileSizeOf(path);
  kind_ = static_cast<FileKind>(reader_.GetShapeType());

  auto add = [&](ElementClass c, int selector, std::int32_t stored) {
    LayerInfo layer{c, selector, std::max(stored, 0), 0};
    std::uint64_t recordSize = RecordSizeOf(c);
    if (c == ElementClass::Row) {
      // Rows are the table's records: the table must load to be counted.
      if (reader_.SelectTable(selector) != Result::Success) layer.storedCount = 0;
      recordSize = RecordLengthOfTable(reader_);
    }
    layer.count = Bounded(layer.storedCount, size_, recordSize);
    if (layer.count < layer.storedCount)
      diagnostics.Warn(path + ": the file claims " + std::to_string(layer.storedCount) + " " +
                       ElementClassName(c) + " but has room for at most " + std::to_string(layer.count) +
                       "; only those are read");
    layers_.push_back(layer);
  };
  int count = 0;
  switch (kind_) {
    case FileKind::Line:
      reader_.GetArcCount(&count);
      add(ElementClass::Line, 0, count);
      break;
    case FileKind::Point:
      reader_.GetPointCount(&count);
      add(ElementClass::Point, 1, count);
      break;
    case FileKind::Region:
      reader_.GetPolygonCount(&count);
      add(ElementClass::Region, 2, count);
      break;
    case FileKind::Network: {
      reader_.GetArcCount(&count);
      add(ElementClass::Arc, 0, count);
      int nodes = 0;
      reader_.GetPointCount(&nodes);
      add(ElementClass::Node, 1, nodes);
      break;
    }
    case FileKind::Table:
      reader_.SelectTable(7);
      add(ElementClass::Row, 7, reader_.GetRecordCount());
      break;
  }
}

bool MapFile::Extent(double extent[4]) {
  reader_.GetExtentInfo(&extent[0], &extent[1], &extent[2], &extent[3]);
  if (kind_ == FileKind::Table) return false;
  for (int i = 0; i < 4; ++i)
    if (!std::isfinite(extent[i])) return false;
  // A file without elements stores bounds that enclose nothing.
  return extent[0] <= extent[2] && extent[1] <= extent[3];
}

int MapFile::ProjectionType() {
  return static_cast<unsigned char>(reader_.GetProjectionInfo(nullptr));
}

int MapFile::TicCount() {
  return reader_.GetTicCount();
}

void ReadChanges::Add(const ReadChanges& other) {
  auto add = [](std::vector<std::int64_t>& to, const std::vector<std::int64_t>& from) {
    if (to.size() < from.size()) to.resize(from.size());
    for (std::size_t i = 0; i < from.size(); ++i) to[i] += from[i];
  };
  add(undecodable, other.undecodable);
  add(invalid, other.invalid);
  notesUndecodable += other.notesUndecodable;
  notesCut += other.notesCut;
  notesUnreadable += other.notesUnreadable;
}

void ReadChanges::Report(const std::vector<FieldDef>& fields, const CodePage& codePage,
                         const std::string& path, Diagnostics& diagnostics) const {
  const std::string decodeHint = " (shown as U+FFFD); is the file in another code page than " +
                                 codePage.Name() + "? Name it with the code page option";
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (f < undecodable.size() && undecodable[f] > 0)
      diagnostics.Warn(path + ": field " + Quoted(fields[f].name) + ": " + std::to_string(undecodable[f]) +
                       " values hold bytes that are not " + codePage.Name() + " text" + decodeHint);
    if (f < invalid.size() && invalid[f] > 0)
      diagnostics.Warn(path + ": field " + Quoted(fields[f].name) + ": " + std::to_string(invalid[f]) +
                       " stored values are no valid " + fields[f].row->name + " and read as null");
  }
  if (notesUndecodable > 0)
    diagnostics.Warn(path + ": " + std::to_string(notesUndecodable) + " notes hold bytes that are not " +
                     codePage.Name() + " text" + decodeHint);
  if (notesCut > 0)
    diagnostics.Warn(path + ": " + std::to_string(notesCut) +
                     " notes are longer than 259 bytes and read cut there (no more of a note can be read)");
  if (notesUnreadable > 0)
    diagnostics.Warn(path + ": " + std::to_string(notesUnreadable) +
                     " notes have a length that cannot be read");
}

FeatureReader::FeatureReader(const std::string& path, const LayerInfo& layer, const CodePage& codePage,
                             Diagnostics* diagnostics)
    : path_(path), layer_(layer), codePage_(codePage), geometry_(MakeGeometry()) {
  const std::int32_t rc = reader_.Open(Utf8ToWide(path).c_str());
  if (rc != Result::Success) FailWithCode(path, "opening", rc);
  DescribeFields(diagnostics);
}

void FeatureReader::DescribeFields(Diagnostics* diagnostics) {
  // Only a table that loads for this class's selector is this class's table:
  // the library keeps the previous table current when another fails to load.
  tableStatus_ = reader_.SelectTable(layer_.selector);
  if (tableStatus_ != Result::Success) {
    if (diagnostics != nullptr && tableStatus_ != Result::NotHandled)
      diagnostics->Warn(path_ + ": the attribute table of the " + ElementClassName(layer_.elementClass) +
                        " cannot be read (" + ResultMessage(tableStatus_) + ", " +
                        std::to_string(tableStatus_) + "): they come without values");
    return;
  }
  recordCount_ = std::max<std::int32_t>(0, reader_.GetRecordCount());
  const std::int32_t count = std::max<std::int32_t>(0, reader_.GetFieldCount());
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, int> nextSuffix;
  std::vector<std::string> renames;
  LibraryBytesScope bytes;
  for (std::int32_t f = 0; f < count; ++f) {
    wchar_t wide[32] = {};
    int width = 0, auxLength = 0, auxByte = 0;
    const std::int32_t type = reader_.GetFieldInfo(f, wide, &width, &auxLength, &auxByte);
    if (!Described(type)) continue;  // a negative width or auxiliary value: not a field to read
    FieldDef field;
    field.index = f;
    field.code = type & 0xFF;  // the type byte, handed out as a signed byte
    field.width = std::max(width, 0);
    field.auxLength = auxLength;
    field.auxByte = auxByte;
    field.row = &RowOfField(field.code, auxByte);
    std::string stored;
    if (WideToBytes(wide, stored))
      codePage_.Decode(stored, field.name);
    else
      field.name = WideToUtf8(wide);  // the library's own text for a name without a word
    // The library gives a name's first word; two names may share it. Each
    // name's next suffix is kept, so thousands of equal names take linear time.
    const std::string original = field.name;
    for (int& k = nextSuffix[Lower(original)]; !taken.insert(Lower(field.name)).second;)
      field.name = original + "_" + std::to_string(++k);
    if (field.name != original) renames.push_back(Quoted(original) + " -> " + Quoted(field.name));
    fields_.push_back(std::move(field));
  }
  changes_.undecodable.assign(fields_.size(), 0);
  changes_.invalid.assign(fields_.size(), 0);
  if (diagnostics != nullptr && !renames.empty()) {
    std::string list;
    for (const std::string& r : renames) list += (list.empty() ? "" : ", ") + r;
    diagnostics->Warn(path_ + ": field names that repeat are told apart: " + list);
  }
}

std::int32_t FeatureReader::State(std::int32_t index) {
  switch (layer_.elementClass) {
    case ElementClass::Point:
    case ElementClass::Node:
      return reader_.ReadPointInfo(index, nullptr, nullptr);
    case ElementClass::Line:
    case ElementClass::Arc:
      return reader_.ReadArcInfo(index, nullptr, nullptr);
    case ElementClass::Region:
      return reader_.ReadPolygonInfo(index, nullptr, nullptr);
    case ElementClass::Row:
      break;
  }
  return index >= 0 && index < layer_.count ? Result::Success : Result::IoError;
}

std::int64_t FeatureReader::CountLive() {
  std::int64_t live = 0;
  for (std::int32_t i = 0; i < layer_.count; ++i) live += InUse(i) ? 1 : 0;
  return live;
}

bool FeatureReader::HoldsNotes() {
  if (holdsNotes_ < 0) {
    holdsNotes_ = 0;
    if (layer_.elementClass == ElementClass::Point) {
      for (std::int32_t i = 0; i < layer_.count && holdsNotes_ == 0; ++i) {
        TERRIX_PntInfo record{};
        if (reader_.ReadPointInfo(i, &record, nullptr) == Result::Success && record.noteLength != 0)
          holdsNotes_ = 1;
      }
    }
  }
  return holdsNotes_ == 1;
}

std::int32_t FeatureReader::Read(std::int32_t index, Feature& out) {
  out.index = index;
  out.hasNote = false;
  out.note.clear();
  out.shape.Clear();
  Geometry* g = nullptr;
  if (!skipGeometry_ && layer_.elementClass != ElementClass::Row) {
    EmptyGeometry(geometry_.get());
    g = geometry_.get();
  }
  std::int32_t rc = Result::Success;
  TERRIX_PntInfo point{};
  switch (layer_.elementClass) {
    case ElementClass::Point:
    case ElementClass::Node:
      rc = reader_.ReadPointInfo(index, &point, g);
      break;
    case ElementClass::Line:
    case ElementClass::Arc:
      rc = reader_.ReadArcInfo(index, nullptr, g);
      break;
    case ElementClass::Region:
      rc = reader_.ReadPolygonInfo(index, nullptr, g);
      break;
    case ElementClass::Row:
      rc = index >= 0 && index < layer_.count ? Result::Success : Result::IoError;
      break;
  }
  if (rc == Result::NotInUse) return rc;
  if (rc == Result::Success && g != nullptr) ViewGeometry(*g, out.shape);
  if (rc == Result::Success && layer_.elementClass == ElementClass::Point) ReadNote(index, point, out);
  ReadValues(index, out);
  return rc;
}

void FeatureReader::ReadNote(std::int32_t index, const TERRIX_PntInfo& record, Feature& out) {
  if (record.noteLength == 0) return;
  if (record.noteLength < 0) {
    ++changes_.notesUnreadable;
    return;
  }
  char note[260] = {};
  if (reader_.GetNoteInfo(index, note) != Result::Success) {
    ++changes_.notesUnreadable;
    return;
  }
  if (record.noteLength > 259) ++changes_.notesCut;
  out.hasNote = true;
  if (codePage_.Decode(std::string_view(note, std::strlen(note)), out.note) > 0) ++changes_.notesUndecodable;
}

void FeatureReader::ReadValues(std::int32_t index, Feature& out) {
  out.values.resize(fields_.size());
  const bool hasRecord = index >= 0 && index < recordCount_;
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    Value& v = out.values[f];
    if (!hasRecord || (f < skippedFields_.size() && skippedFields_[f])) {
      v.SetNull();
      continue;
    }
    const FieldDef& field = fields_[f];
    if (!field.row->read(reader_, index, field.index, field.width, v)) ++changes_.invalid[f];
    if (v.kind == ValueKind::Text) {
      scratch_.clear();
      if (codePage_.Decode(v.bytes, scratch_) > 0) ++changes_.undecodable[f];
      v.bytes.swap(scratch_);
    }
  }
}

}  // namespace Terrix::Convert
