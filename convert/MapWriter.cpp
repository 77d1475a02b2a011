#include "MapWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace Terrix::Convert {

namespace {

// Fields whose names start so are the tools' own: "terrix:note" carries a
// point's note, the others (such as "terrix:class") are markers of an export.
constexpr const char* kToolPrefix = "terrix:";
constexpr const char* kNoteField = "terrix:note";
// The longest note the library reads back.
constexpr std::size_t kMaxNoteBytes = 259;
// The bytes of a field name in the file.
constexpr std::size_t kMaxNameBytes = 20;
// Integers beyond this magnitude are not all exact in a double.
constexpr std::int64_t kExactInDouble = std::int64_t{1} << 53;
// Dates and time stamps keep years in 16 bits (time stamps signed).
constexpr int kMinYear = 0, kMaxYear = 32767;

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::size_t DecimalLength(std::int64_t v) {
  char buffer[24];
  return static_cast<std::size_t>(std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(v)));
}

std::string Count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::int32_t LibraryWriter::FlushReporting() {
  const std::int32_t results[] = {BuildMapPart(),   WriteHeadInfo(),  WriteGeomInfo(), WriteGeometry(),
                                  WriteFieldInfo(), WriteRecordAll(), WriteEndInfo()};
  for (std::int32_t rc : results)
    if (rc != Result::Success) return rc;
  return Result::Success;
}

struct FeatureWriter::FieldState {
  std::string name;  // as the client gave it (UTF-8)
  FieldType declared = FieldType::Infer;
  bool tool = false;  // one of the tools' own fields: never a field of the file

  // What the values were.
  std::int64_t values = 0;
  bool text = false, integer = false, real = false, boolean = false, date = false, time = false,
       dateTime = false, binary = false;
  std::int64_t minInt = std::numeric_limits<std::int64_t>::max();
  std::int64_t maxInt = std::numeric_limits<std::int64_t>::min();
  std::size_t textBytes = 0, renderedBytes = 0, binaryBytes = 0, shortestBinary = SIZE_MAX;
  // What storing them changed.
  std::int64_t replaced = 0, cut = 0, spaces = 0, nulCut = 0, zones = 0, rounded = 0, outOfRange = 0;
  char32_t firstReplaced = 0;

  // The plan: the field of the file.
  const TypeRow* row = nullptr;
  int column = -1;  // index in the file's table
  int width = 0;
  std::string storedName;  // code page bytes
  std::string fileName;    // UTF-8 of storedName
  std::int64_t written = 0;
  std::string typeNote;

  int KindsSeen() const {
    return int(text) + int(integer || real) + int(boolean) + int(date || dateTime) + int(time) + int(binary);
  }
};

FeatureWriter::FeatureWriter(const std::string& path, std::optional<FileKind> kind,
                             const WriteOptions& options, Diagnostics& diagnostics)
    : output_(path), options_(options), codePage_(options.codePage), diagnostics_(diagnostics) {
  if (kind) {
    if (*kind == FileKind::Network) throw ConversionError(path, "network files cannot be written");
    DecideKind(*kind);
  }
}

FeatureWriter::~FeatureWriter() = default;

int FeatureWriter::AddField(const std::string& name, FieldType type) {
  const auto found = fieldIndex_.find(name);
  if (found != fieldIndex_.end()) return found->second;
  auto field = std::make_unique<FieldState>();
  field->name = name;
  field->declared = type;
  field->tool = name.rfind(kToolPrefix, 0) == 0;
  if (!field->tool) {
    std::string encoded;
    const CodePage::EncodeResult r = codePage_.Encode(name, encoded);
    if (r.replaced > 0 && !options_.lossy)
      throw ConversionError(output_.Path(),
                            "field name " + Quoted(name) + " holds " + DescribeCharacter(r.firstReplaced) +
                                ", which the code page " + codePage_.Name() + " cannot hold; " + "use " +
                                options_.codePageOption + " GB18030 (it holds every character) or " +
                                options_.lossyOption + " to replace it");
  }
  const int index = static_cast<int>(fields_.size());
  if (name == kNoteField) noteField_ = index;
  fields_.push_back(std::move(field));
  fieldIndex_.emplace(name, index);
  values_.resize(fields_.size());
  return index;
}

int FeatureWriter::FieldIndex(const std::string& name) const {
  const auto found = fieldIndex_.find(name);
  return found == fieldIndex_.end() ? -1 : found->second;
}

Value& FeatureWriter::ValueOf(int field) {
  Value& v = values_.at(static_cast<std::size_t>(field));
  if (v.IsNull()) touched_.push_back(field);
  return v;
}

void FeatureWriter::SetNote(const std::string& utf8) {
  hasNote_ = true;
  note_ = utf8;
}

std::string FeatureWriter::FeatureName() const {
  return "feature " + std::to_string(featureId_ >= 0 ? featureId_ : features_);
}

void FeatureWriter::Refuse(const std::string& what, const std::string& advice) const {
  throw ConversionError(output_.Path(), FeatureName() + ": " + what + "; " + advice);
}

void FeatureWriter::DecideKind(FileKind kind) {
  kind_ = kind;
  const std::int32_t rc = writer_.Create(Utf8ToWide(output_.TemporaryPath()).c_str(), static_cast<int>(kind));
  if (rc != Result::Success) FailWithCode(output_.Path(), "creating", rc);
  created_ = true;
  // Rows that came before the kind was known had no shape: in a line or region
  // file each becomes an empty element, a table file's rows need none, and a
  // point file cannot hold a point without a position.
  for (std::size_t row = 0; row < pendingRows_; ++row) {
    std::uint32_t elements = 0;
    const GeometryInput none;
    if (kind == FileKind::Point) ++changes_.withoutShape;
    if (kind == FileKind::Line) AddLines(none, elements);
    if (kind == FileKind::Region) AddPolygon(none, elements);
    if (kind == FileKind::Table) elements = 1;
    rows_.SetElements(row, elements);
    elements_ += elements;
  }
  pendingRows_ = 0;
}

void FeatureWriter::Commit() {
  if (shape_.hasZ) ++changes_.withZ;
  if (shape_.hasM) ++changes_.withM;
  changes_.unsupported += shape_.unsupportedParts > 0 ? 1 : 0;
  if (!kind_) {
    if (shape_.Has(InputPart::OuterRing) || shape_.Has(InputPart::InnerRing))
      DecideKind(FileKind::Region);
    else if (shape_.Has(InputPart::Line))
      DecideKind(FileKind::Line);
    else if (shape_.Has(InputPart::Point))
      DecideKind(FileKind::Point);
  }
  std::uint32_t elements = 0;
  if (kind_)
    AddElements(elements);
  else
    ++pendingRows_;
  StoreValues(elements);
  ++features_;
  // Ready for the next feature.
  shape_.Clear();
  for (int f : touched_) values_[static_cast<std::size_t>(f)].SetNull();
  touched_.clear();
  hasNote_ = false;
  note_.clear();
  featureId_ = -1;
}

void FeatureWriter::AddElements(std::uint32_t& elements) {
  const bool noted = hasNote_ || (noteField_ >= 0 && !values_[static_cast<std::size_t>(noteField_)].IsNull());
  if (noted && *kind_ != FileKind::Point) ++changes_.notesDropped;
  switch (*kind_) {
    case FileKind::Table:
      if (!shape_.Empty()) ++changes_.shapesDropped;
      elements = 1;
      break;
    case FileKind::Point:
      AddPoints(shape_, elements);
      break;
    case FileKind::Line:
      AddLines(shape_, elements);
      break;
    case FileKind::Region:
      AddPolygon(shape_, elements);
      break;
    case FileKind::Network:
      break;
  }
  elements_ += elements;
}

namespace {

// Parts of a kind other than the file's, counted once per feature.
bool HasOtherParts(const GeometryInput& in, bool points, bool lines, bool rings) {
  for (std::size_t k = 0; k < in.PartCount(); ++k) {
    const InputPart kind = in.PartAt(k).kind;
    const bool ring = kind == InputPart::OuterRing || kind == InputPart::InnerRing;
    if ((kind == InputPart::Point && !points) || (kind == InputPart::Line && !lines) || (ring && !rings))
      return true;
  }
  return false;
}

}  // namespace

void FeatureWriter::AddPoints(const GeometryInput& in, std::uint32_t& elements) {
  if (HasOtherParts(in, true, false, false)) ++changes_.otherKinds;
  // The note: the feature's note, or its "terrix:note" value.
  std::string note;
  if (noteField_ >= 0 && !values_[static_cast<std::size_t>(noteField_)].IsNull()) {
    hasNote_ = true;
    scratch_.clear();
    AppendAsText(scratch_, values_[static_cast<std::size_t>(noteField_)]);
    note_ = scratch_;
  }
  if (hasNote_) {
    std::string utf8 = note_.substr(0, note_.find('\0'));
    const CodePage::EncodeResult r = codePage_.Encode(utf8, note);
    if (r.replaced > 0) {
      if (!options_.lossy)
        Refuse("its note holds " + DescribeCharacter(r.firstReplaced) + ", which the code page " +
                   codePage_.Name() + " cannot hold",
               "use " + options_.codePageOption + " GB18030 (it holds every character) or " +
                   options_.lossyOption + " to replace it");
      ++changes_.notesReplaced;
    }
    if (note.size() > kMaxNoteBytes) {
      if (!options_.lossy)
        Refuse("its note takes " + std::to_string(note.size()) + " bytes, more than the " +
                   std::to_string(kMaxNoteBytes) + " a note can be read back with",
               "shorten it, or use " + options_.lossyOption + " to cut it");
      ++changes_.notesCut;
      note.clear();
      codePage_.Encode(utf8.substr(0, codePage_.FittingPrefix(utf8, kMaxNoteBytes)), note);
    }
  }
  for (std::size_t k = 0; k < in.PartCount(); ++k) {
    const GeometryInput::Part part = in.PartAt(k);
    if (part.kind != InputPart::Point) continue;
    for (std::int32_t i = part.range.begin; i < part.range.end; ++i) {
      const double x = in.X()[i], y = in.Y()[i];
      if (!std::isfinite(x) || !std::isfinite(y)) {
        if (!options_.lossy)
          Refuse(std::string("a point has ") + PartProblemText(PartProblem::NotFinite),
                 "fix the geometry, or use " + options_.lossyOption + " to skip such points");
        ++changes_.partsSkipped;
        continue;
      }
      TERRIX_PntInfo record{};
      record.state = 1;
      record.x = x;
      record.y = y;
      element_.Clear();
      const std::int32_t rc =
          writer_.AddPointInfo(record, lent_.Lend(ShapeType::Point, element_), note.c_str());
      if (rc != Result::Success) FailWithCode(output_.Path(), "adding " + FeatureName(), rc);
      ++elements;
    }
  }
  if (elements == 0) ++changes_.withoutShape;
  if (elements > 1) {
    ++changes_.multiSplit;
    changes_.multiElements += elements;
  }
}

void FeatureWriter::AddLines(const GeometryInput& in, std::uint32_t& elements) {
  if (HasOtherParts(in, false, true, false)) ++changes_.otherKinds;
  TERRIX_LineInfo record{};
  record.state = 1;
  std::uint32_t lines = 0;
  for (std::size_t k = 0; k < in.PartCount(); ++k) {
    const GeometryInput::Part part = in.PartAt(k);
    if (part.kind != InputPart::Line) continue;
    const PartProblem problem = CheckLine(in.X(), in.Y(), part.range);
    if (problem != PartProblem::None) {
      if (!options_.lossy)
        Refuse("line " + std::to_string(lines) + " has " + PartProblemText(problem),
               "fix the geometry, or use " + options_.lossyOption + " to skip such lines");
      ++changes_.partsSkipped;
      continue;
    }
    element_.Clear();
    element_.x.assign(in.X() + part.range.begin, in.X() + part.range.end);
    element_.y.assign(in.Y() + part.range.begin, in.Y() + part.range.end);
    const std::int32_t rc = writer_.AddArcInfo(record, lent_.Lend(ShapeType::Line, element_), 0);
    if (rc != Result::Success) FailWithCode(output_.Path(), "adding " + FeatureName(), rc);
    ++lines;
  }
  if (lines == 0) {
    // A feature without a line keeps its place and its values as an empty line.
    element_.Clear();
    const std::int32_t rc = writer_.AddArcInfo(record, lent_.Lend(ShapeType::Line, element_), 0);
    if (rc != Result::Success) FailWithCode(output_.Path(), "adding " + FeatureName(), rc);
    lines = 1;
  } else if (lines > 1) {
    ++changes_.multiSplit;
    changes_.multiElements += lines;
  }
  elements = lines;
}

void FeatureWriter::AddPolygon(const GeometryInput& in, std::uint32_t& elements) {
  if (HasOtherParts(in, false, false, true)) ++changes_.otherKinds;
  element_.Clear();
  bool inPolygon = false, polygonDropped = false;
  for (std::size_t k = 0; k < in.PartCount(); ++k) {
    const GeometryInput::Part part = in.PartAt(k);
    if (part.kind != InputPart::OuterRing && part.kind != InputPart::InnerRing) continue;
    // A hole before any outer ring is taken as an outer ring.
    const bool outer = part.kind == InputPart::OuterRing || !inPolygon;
    if (!outer && polygonDropped) continue;
    bool closed = false;
    const PartProblem problem = AppendRing(in, part.range, outer, element_, closed);
    if (problem != PartProblem::None) {
      if (!options_.lossy)
        Refuse(std::string(outer ? "an outer ring" : "a hole") + " has " + PartProblemText(problem),
               "fix the geometry, or use " + options_.lossyOption + " to skip such rings");
      ++changes_.partsSkipped;
      if (outer) {
        inPolygon = true;
        polygonDropped = true;
      }
      continue;
    }
    if (closed) ++changes_.ringsClosed;
    if (outer) {
      inPolygon = true;
      polygonDropped = false;
    }
  }
  TERRIX_RegInfo record{};
  record.state = 1;
  const std::int32_t rc = writer_.AddPolygonInfo(record, lent_.Lend(ShapeType::Polygon, element_));
  if (rc != Result::Success) FailWithCode(output_.Path(), "adding " + FeatureName(), rc);
  elements = 1;
}

void FeatureWriter::EncodeText(FieldState& field, Value& v) {
  scratch_.clear();
  const CodePage::EncodeResult r = codePage_.Encode(v.bytes, scratch_);
  if (r.replaced > 0) {
    if (!options_.lossy) {
      const std::string shown =
          v.bytes.size() > 60 ? v.bytes.substr(0, codePage_.FittingPrefix(v.bytes, 60)) + "..." : v.bytes;
      Refuse("field " + Quoted(field.name) + ": " + Quoted(shown) + " holds " +
                 DescribeCharacter(r.firstReplaced) +
                 (r.firstReplaced == 0xFFFD ? " (not valid UTF-8)"
                                            : ", which the code page " + codePage_.Name() + " cannot hold"),
             "use " + options_.codePageOption + " GB18030 (it holds every character) or " +
                 options_.lossyOption + " to store '?' instead");
    }
    if (field.replaced++ == 0) field.firstReplaced = r.firstReplaced;
  }
  const std::size_t nul = scratch_.find('\0');
  if (nul != std::string::npos) {
    scratch_.resize(nul);
    ++field.nulCut;
  }
  if (scratch_.size() > static_cast<std::size_t>(kMaxFieldWidth)) {
    // Cut on a character boundary, as the UTF-8 text gives it.
    const std::size_t keep = codePage_.FittingPrefix(v.bytes, static_cast<std::size_t>(kMaxFieldWidth));
    scratch_.clear();
    codePage_.Encode(std::string_view(v.bytes).substr(0, keep), scratch_);
    ++field.cut;
  }
  if (!scratch_.empty() && (scratch_.front() == ' ' || scratch_.back() == ' ')) ++field.spaces;
  field.textBytes = std::max(field.textBytes, scratch_.size());
  v.bytes.swap(scratch_);
}

void FeatureWriter::StoreValues(std::uint32_t elements) {
  rows_.BeginRow();
  for (int f : touched_) {
    FieldState& field = *fields_[static_cast<std::size_t>(f)];
    Value& v = values_[static_cast<std::size_t>(f)];
    if (v.IsNull() || field.tool) continue;
    switch (v.kind) {
      case ValueKind::Null:
        break;
      case ValueKind::Integer:
      case ValueKind::Integer64:
        field.integer = true;
        field.minInt = std::min(field.minInt, v.integer);
        field.maxInt = std::max(field.maxInt, v.integer);
        field.renderedBytes = std::max(field.renderedBytes, DecimalLength(v.integer));
        break;
      case ValueKind::Real: {
        field.real = true;
        if (field.declared == FieldType::Float32 && std::isfinite(v.real) &&
            static_cast<double>(static_cast<float>(v.real)) != v.real)
          ++field.rounded;
        scratch_.clear();
        AppendShortest(scratch_, v.real);
        field.renderedBytes = std::max(field.renderedBytes, scratch_.size());
        break;
      }
      case ValueKind::Bool:
        field.boolean = true;
        field.renderedBytes = std::max<std::size_t>(field.renderedBytes, 5);
        break;
      case ValueKind::Text:
        field.text = true;
        EncodeText(field, v);
        break;
      case ValueKind::Date:
      case ValueKind::DateTime:
        if (!IsValidDate(v.date) || v.date.year < kMinYear || v.date.year > kMaxYear ||
            (v.kind == ValueKind::DateTime && !IsValidTime(v.time))) {
          ++field.outOfRange;
          continue;
        }
        if (v.kind == ValueKind::Date) field.date = true;
        if (v.kind == ValueKind::DateTime) {
          field.dateTime = true;
          if (v.hasZone) ++field.zones;
        }
        field.renderedBytes = std::max<std::size_t>(field.renderedBytes, 35);
        break;
      case ValueKind::Time:
        if (!IsValidTime(v.time)) {
          ++field.outOfRange;
          continue;
        }
        field.time = true;
        field.renderedBytes = std::max<std::size_t>(field.renderedBytes, 18);
        break;
      case ValueKind::Binary:
        field.binary = true;
        if (v.bytes.size() > static_cast<std::size_t>(kMaxFieldWidth)) {
          v.bytes.resize(static_cast<std::size_t>(kMaxFieldWidth));
          ++field.cut;
        }
        field.binaryBytes = std::max(field.binaryBytes, v.bytes.size());
        field.shortestBinary = std::min(field.shortestBinary, v.bytes.size());
        field.renderedBytes = std::max(field.renderedBytes, 2 * v.bytes.size());
        break;
    }
    ++field.values;
    rows_.Put(static_cast<std::uint32_t>(f), v);
  }
  rows_.EndRow(elements);
}

void FeatureWriter::Finish(const ProgressFn& progress) {
  if (!kind_) DecideKind(FileKind::Table);
  PlanFields();
  int columns = 0;
  for (const auto& f : fields_) columns += f->column >= 0 ? 1 : 0;
  if (*kind_ == FileKind::Table && columns == 0 && features_ > 0)
    throw ConversionError(output_.Path(),
                          "a table file keeps its rows as attribute records: the features need "
                          "at least one field");
  {
    LibraryBytesScope bytes;
    for (const auto& f : fields_) {
      if (f->column < 0) continue;
      const std::int32_t rc = writer_.AddFieldInfo(BytesToWide(f->storedName).c_str(), f->row->code, f->width,
                                                   0, f->row->auxByte);
      if (rc < 0) FailWithCode(output_.Path(), "adding field " + Quoted(f->name), rc);
    }
  }
  WriteRows(progress);
  const std::int32_t rc = writer_.FlushReporting();
  writer_.Close();
  if (rc != Result::Success) FailWithCode(output_.Path(), "writing the file", rc);
  Verify();
  output_.Commit();
  ReportChanges();
}

void FeatureWriter::PlanFields() {
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, int> nextSuffix;
  std::vector<std::string> renames;
  int column = 0;
  for (auto& owned : fields_) {
    FieldState& f = *owned;
    if (f.tool) continue;
    // The type.
    FieldType type = f.declared;
    const bool fits32 = f.minInt >= std::numeric_limits<std::int32_t>::min() &&
                        f.maxInt <= std::numeric_limits<std::int32_t>::max();
    const bool exact53 = f.minInt >= -kExactInDouble && f.maxInt <= kExactInDouble;
    if (type == FieldType::Infer) {
      if (f.KindsSeen() > 1 || f.text) {
        type = FieldType::String;
        if (f.KindsSeen() > 1)
          f.typeNote = "holds values of several kinds (" + std::string(f.text ? "text, " : "") +
                       (f.integer || f.real ? "numbers, " : "") + (f.boolean ? "booleans, " : "") +
                       (f.date || f.dateTime || f.time ? "dates or times, " : "") +
                       (f.binary ? "binary, " : "");
        if (!f.typeNote.empty())
          f.typeNote = f.typeNote.substr(0, f.typeNote.size() - 2) + "): stored as text";
      } else if (f.real) {
        type = FieldType::Real;
        if (f.integer && !exact53) {
          type = FieldType::String;
          f.typeNote =
              "mixes numbers with integers beyond 2^53, which a double cannot hold exactly: stored as text";
        }
      } else if (f.integer) {
        type = fits32 ? FieldType::Integer : FieldType::Integer64;
      } else if (f.boolean) {
        type = FieldType::Boolean;
      } else if (f.dateTime) {
        type = FieldType::DateTime;
      } else if (f.date) {
        type = FieldType::Date;
      } else if (f.time) {
        type = FieldType::Time;
      } else if (f.binary) {
        type = FieldType::Binary;
      } else {
        type = FieldType::String;  // no value at all
      }
    } else if (f.integer && !f.real) {
      // A declared integer type that a value does not fit widens, and says so.
      const bool fitsByte = f.minInt >= 0 && f.maxInt <= 255;
      const bool fits16 = f.minInt >= std::numeric_limits<std::int16_t>::min() &&
                          f.maxInt <= std::numeric_limits<std::int16_t>::max();
      const FieldType before = type;
      if ((type == FieldType::Byte && !fitsByte) || (type == FieldType::Int16 && !fits16))
        type = FieldType::Integer;
      if (type == FieldType::Integer && !fits32) type = FieldType::Integer64;
      if (type != before) f.typeNote = "holds integers beyond its declared range: stored as a wider integer";
    }
    if (type == FieldType::Integer64) {
      const Integer64Storage storage = fits32    ? Integer64Storage::Long
                                       : exact53 ? Integer64Storage::Double
                                                 : Integer64Storage::Text;
      f.row = &RowOfInteger64(storage);
      if (storage == Integer64Storage::Double)
        f.typeNote =
            "64-bit integers stored as doubles (every value is exact in 53 bits); they read back as 64-bit "
            "integers";
      if (storage == Integer64Storage::Text)
        f.typeNote =
            "64-bit integers stored as decimal text (values beyond 2^53); they read back as 64-bit integers";
    } else {
      f.row = &RowOfType(type);
    }
    // The width: the type's, or the longest value's (at least 1).
    f.width = f.row->fixedWidth;
    if (f.width == 0) {
      std::size_t longest =
          f.row->kind == ValueKind::Binary ? f.binaryBytes : std::max(f.textBytes, f.renderedBytes);
      f.width =
          static_cast<int>(std::clamp<std::size_t>(longest, 1, static_cast<std::size_t>(kMaxFieldWidth)));
    }
    // The name: no spaces (a name reads back as its first word), at most 20
    // bytes cut on a character boundary, unique without regard to case.
    std::string base = f.name.empty() ? std::string("field") : f.name;
    std::replace(base.begin(), base.end(), ' ', '_');
    auto encode = [&](const std::string& utf8, std::size_t room) {
      std::string bytes;
      codePage_.Encode(utf8.substr(0, codePage_.FittingPrefix(utf8, room)), bytes, '_');
      return bytes;
    };
    std::string stored = encode(base, kMaxNameBytes);
    // Each name's next suffix is kept, so thousands of names equal in their
    // first bytes take linear time.
    for (int& k = nextSuffix[LowerAscii(stored)]; taken.count(LowerAscii(stored)) > 0;) {
      const std::string suffix = "_" + std::to_string(++k);
      stored = encode(base, kMaxNameBytes - suffix.size()) + suffix;
    }
    taken.insert(LowerAscii(stored));
    f.storedName = stored;
    codePage_.Decode(stored, f.fileName);
    if (f.fileName != f.name) renames.push_back(Quoted(f.name) + " -> " + Quoted(f.fileName));
    f.column = column++;
  }
  if (!renames.empty()) {
    std::string list;
    for (const std::string& r : renames) list += (list.empty() ? "" : ", ") + r;
    diagnostics_.Warn(output_.Path() + ": field names made to fit the format (at most " +
                      std::to_string(kMaxNameBytes) + " bytes, no spaces, unique): " + list);
  }
}

void FeatureWriter::WriteRows(const ProgressFn& progress) {
  RowStore::Reader reader(rows_);
  std::vector<std::pair<std::uint32_t, Value>> values;
  std::size_t count = 0;
  std::uint32_t elements = 0;
  const std::size_t rows = rows_.RowCount();
  std::size_t row = 0;
  int element = 0;
  int firstColumn = -1;
  std::string zeros;
  for (const auto& f : fields_)
    if (f->column == 0) {
      firstColumn = 0;
      zeros.assign(static_cast<std::size_t>(f->width), '\0');
    }
  while (reader.Next(values, count, elements)) {
    for (std::uint32_t e = 0; e < elements; ++e, ++element) {
      bool wrote = false;
      for (std::size_t i = 0; i < count; ++i) {
        FieldState& f = *fields_[values[i].first];
        if (f.column < 0) continue;
        if (!f.row->write(writer_, element, f.column, f.width, values[i].second, scratch_))
          throw ConversionError(output_.Path(), "the library refused field " + Quoted(f.name) +
                                                    " of element " + std::to_string(element));
        wrote = true;
        if (e == 0) ++f.written;
      }
      // Every element gets its record, whatever its values: one without any
      // is made by writing the zero its fields start with.
      if (!wrote && firstColumn >= 0 && !writer_.WriteBinareyAttribute(element, firstColumn, zeros.data()))
        throw ConversionError(output_.Path(),
                              "the library refused the record of element " + std::to_string(element));
    }
    if (++row % 4096 == 0 && progress && !progress(static_cast<double>(row) / static_cast<double>(rows)))
      throw ConversionError(output_.Path(), "stopped on request");
  }
}

void FeatureWriter::Verify() {
  // Flush said every step succeeded; the file must also read back complete.
  Terrix_FastReader reader;
  const std::int32_t rc = reader.Open(Utf8ToWide(output_.TemporaryPath()).c_str());
  if (rc != Result::Success) FailWithCode(output_.Path(), "reading back the written file", rc);
  int count = 0;
  std::int64_t expected = elements_;
  switch (*kind_) {
    case FileKind::Point:
      reader.GetPointCount(&count);
      break;
    case FileKind::Line:
      reader.GetArcCount(&count);
      break;
    case FileKind::Region:
      reader.GetPolygonCount(&count);
      break;
    default:
      count = static_cast<int>(features_);
      expected = features_;
      break;
  }
  bool hasColumns = false;
  for (const auto& f : fields_) hasColumns = hasColumns || f->column >= 0;
  const std::int64_t records = hasColumns ? reader.GetRecordCount() : expected;
  if (reader.GetShapeType() != static_cast<int>(*kind_) || count != expected || records != expected)
    throw ConversionError(output_.Path(), "the written file does not read back complete");
}

void FeatureWriter::ReportChanges() {
  const std::string& path = output_.Path();
  auto warn = [&](const std::string& text) { diagnostics_.Warn(path + ": " + text); };
  std::int64_t rowsWritten = 0;
  for (std::size_t r = 0; r < rows_.RowCount(); ++r) rowsWritten += rows_.ElementsOf(r) > 0 ? 1 : 0;
  for (const auto& owned : fields_) {
    const FieldState& f = *owned;
    if (f.column < 0) continue;
    const std::string field = "field " + Quoted(f.fileName) + ": ";
    if (!f.typeNote.empty()) warn(field + f.typeNote);
    const std::int64_t nulls = rowsWritten - f.written;
    if (nulls > 0 && !f.row->holdsNull) {
      const char* as = f.row->kind == ValueKind::Text     ? "empty text"
                       : f.row->kind == ValueKind::Bool   ? "false"
                       : f.row->kind == ValueKind::Time   ? "00:00:00"
                       : f.row->kind == ValueKind::Binary ? "zero bytes"
                                                          : "0";
      warn(field + Count(nulls, "null value", "null values") + " stored as " + as +
           " (the format has no null for " + f.row->name + " fields)");
    }
    if (f.replaced > 0)
      warn(field + Count(f.replaced, "value", "values") + " held characters that " + codePage_.Name() +
           " cannot hold (first " + DescribeCharacter(f.firstReplaced) + "), stored as '?'; " +
           options_.codePageOption + " GB18030 keeps them");
    if (f.cut > 0)
      warn(field + Count(f.cut, "value", "values") + " longer than " + std::to_string(kMaxFieldWidth) +
           " bytes, the widest field the format takes, cut there");
    if (f.nulCut > 0)
      warn(field + Count(f.nulCut, "value", "values") + " cut at a zero character, where a stored text ends");
    if (f.spaces > 0)
      warn(field + Count(f.spaces, "value", "values") +
           " with leading or trailing spaces, which the format does not keep (they read back without them)");
    if (f.zones > 0)
      warn(field + Count(f.zones, "time zone", "time zones") +
           " dropped: the format keeps the time as given");
    if (f.rounded > 0)
      warn(field + Count(f.rounded, "value", "values") + " rounded to single precision (a Float32 field)");
    if (f.outOfRange > 0)
      warn(field + Count(f.outOfRange, "value", "values") +
           " outside what the type stores (years 0 to 32767, valid "
           "dates and times), stored as null");
    if (f.row->kind == ValueKind::Binary && f.binary && f.shortestBinary < static_cast<std::size_t>(f.width))
      warn(field + "binary values shorter than the longest (" + std::to_string(f.width) +
           " bytes) are padded with zero bytes");
  }
  const Changes& c = changes_;
  if (c.withZ > 0 || c.withM > 0)
    warn(std::string(c.withZ > 0 ? "Z" : "") + (c.withZ > 0 && c.withM > 0 ? " and " : "") +
         (c.withM > 0 ? "M" : "") + " values dropped from " +
         Count(std::max(c.withZ, c.withM), "feature", "features") + ": the format is two-dimensional");
  if (c.multiSplit > 0)
    warn(Count(c.multiSplit, "multi-part feature", "multi-part features") + " became " +
         std::to_string(c.multiElements) + " elements, one per part, each with the feature's values");
  if (c.otherKinds > 0)
    warn(Count(c.otherKinds, "feature", "features") + " held parts of another kind than the file's (" +
         FileKindName(*kind_) + "); those parts were dropped");
  if (c.unsupported > 0)
    warn(Count(c.unsupported, "feature", "features") +
         " held curves or parts the format cannot hold; dropped");
  if (c.withoutShape > 0)
    warn(Count(c.withoutShape, "feature", "features") +
         " without a position not written: a point file cannot hold them");
  if (c.shapesDropped > 0)
    warn(Count(c.shapesDropped, "geometry", "geometries") + " dropped: a table file holds none");
  if (c.ringsClosed > 0) warn(Count(c.ringsClosed, "ring", "rings") + " closed by repeating the first point");
  if (c.partsSkipped > 0)
    warn(Count(c.partsSkipped, "point, line or ring", "points, lines or rings") +
         " that the format cannot hold skipped");
  if (c.notesCut > 0)
    warn(Count(c.notesCut, "note", "notes") + " cut at 259 bytes, the most a note can be read back with");
  if (c.notesDropped > 0)
    warn(Count(c.notesDropped, "note", "notes") + " dropped: only point files hold notes");
  if (c.notesReplaced > 0)
    warn(Count(c.notesReplaced, "note", "notes") + " held characters that " + codePage_.Name() +
         " cannot hold, stored as '?'");
}

}  // namespace Terrix::Convert
