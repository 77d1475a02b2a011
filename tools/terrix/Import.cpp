#include "Import.h"

#include <charconv>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <vector>

#include "JsonText.h"

namespace Terrix::Tool {

using namespace Terrix::Convert;

namespace {

// The bytes of an input file, read in blocks, as the single-pass iterator the
// JSON parser takes.
class InputBytes {
 public:
  explicit InputBytes(std::FILE* file) : file_(file) {}
  bool AtEnd() {
    if (pos_ < len_) return false;
    if (eof_) return true;
    len_ = std::fread(buffer_, 1, sizeof buffer_, file_);
    pos_ = 0;
    if (len_ == 0) {
      eof_ = true;
      failed_ = std::ferror(file_) != 0;
    }
    return len_ == 0;
  }
  char Current() const { return buffer_[pos_]; }
  void Advance() {
    ++pos_;
    ++consumed_;
  }
  std::uint64_t Consumed() const { return consumed_; }
  bool Failed() const { return failed_; }

 private:
  std::FILE* file_;
  char buffer_[1 << 16];
  std::size_t pos_ = 0, len_ = 0;
  std::uint64_t consumed_ = 0;
  bool eof_ = false, failed_ = false;
};

struct ByteIterator {
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = char;

  InputBytes* source = nullptr;  // null: the end
  char operator*() const { return source->Current(); }
  ByteIterator& operator++() {
    source->Advance();
    return *this;
  }
  bool AtEnd() const { return source == nullptr || source->AtEnd(); }
  bool operator==(const ByteIterator& other) const { return AtEnd() == other.AtEnd(); }
  bool operator!=(const ByteIterator& other) const { return !(*this == other); }
};

// The coordinates of one geometry object as they arrive: positions, and the
// ends of the arrays that group them, interpreted once the type is known
// (a GeoJSON object's keys come in any order).
struct GeometryObject {
  std::string type;
  std::vector<double> x, y;
  int positionDepth = 0;                            // depth of the arrays that hold numbers
  std::vector<std::pair<int, std::size_t>> closes;  // (depth, positions so far) of other arrays
  bool hasCoordinates = false, hasZ = false, hasM = false;
  std::string problem;  // the first thing wrong with the coordinates

  void Clear() {
    type.clear();
    x.clear();
    y.clear();
    positionDepth = 0;
    closes.clear();
    hasCoordinates = hasZ = hasM = false;
    problem.clear();
  }
};

// Where the parser is: each open object or array has a frame.
enum class Frame : std::uint8_t {
  Top,          // the top-level object: a collection, a feature or a geometry
  Features,     // "features": [...]
  Feature,      // a feature object
  Properties,   // "properties": {...}
  Geometry,     // a geometry object
  Geometries,   // "geometries": [...] of a collection
  Coordinates,  // the arrays of "coordinates"
  Capture,      // a nested property value, kept as its JSON text
  Skip,         // a value of no interest
};

int PositionDepthOf(const std::string& type) {
  if (type == "Point") return 1;
  if (type == "MultiPoint" || type == "LineString") return 2;
  if (type == "MultiLineString" || type == "Polygon") return 3;
  if (type == "MultiPolygon") return 4;
  return 0;
}

class GeoJsonHandler {
 public:
  GeoJsonHandler(FeatureWriter& writer, const std::string& input, const ProgressFn& progress,
                 const InputBytes& bytes, std::uint64_t size)
      : writer_(writer), input_(input), progress_(progress), bytes_(bytes), size_(size) {}

  std::int64_t Features() const { return features_; }
  bool SawGeoJson() const { return sawGeoJson_; }
  const std::string& Failure() const { return failure_; }
  std::int64_t NestedValues() const { return nested_; }

  // The parser's events.
  bool null() { return Scalar(); }
  bool boolean(bool v) {
    if (Top() == Frame::Properties) writer_.ValueOf(field_).SetBool(v);
    if (Top() == Frame::Capture) Captured(v ? "true" : "false");
    return Scalar();
  }
  bool number_integer(std::int64_t v) {
    if (Top() == Frame::Coordinates) return Number(static_cast<double>(v));
    if (Top() == Frame::Properties) writer_.ValueOf(field_).SetInteger(v);
    if (Top() == Frame::Capture) Captured(std::to_string(v));
    return Scalar();
  }
  bool number_unsigned(std::uint64_t v) {
    if (Top() == Frame::Coordinates) return Number(static_cast<double>(v));
    if (Top() == Frame::Properties) {
      Value& value = writer_.ValueOf(field_);
      if (v <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        value.SetInteger(static_cast<std::int64_t>(v));
      } else {
        // Beyond a 64-bit integer: kept as its digits.
        const std::string digits = std::to_string(v);
        value.SetText(digits.data(), digits.size());
      }
    }
    if (Top() == Frame::Capture) Captured(std::to_string(v));
    return Scalar();
  }
  bool number_float(double v, const std::string& text) {
    if (Top() == Frame::Coordinates) return Number(v);
    if (Top() == Frame::Properties) writer_.ValueOf(field_).SetReal(v);
    if (Top() == Frame::Capture) Captured(text);
    return Scalar();
  }
  bool string(std::string& v) {
    switch (Top()) {
      case Frame::Properties:
        writer_.ValueOf(field_).SetText(v.data(), v.size());
        break;
      case Frame::Capture:
        CapturedString(v);
        break;
      case Frame::Geometry:
      case Frame::Top:
        if (key_ == "type") {
          (Top() == Frame::Top ? topType_ : Geometry().type) = v;
          if (Top() == Frame::Geometry) break;
          // A top-level geometry has its own object for coordinates.
          if (PositionDepthOf(v) > 0 || v == "GeometryCollection") sawGeoJson_ = true;
          if (v == "FeatureCollection" || v == "Feature") sawGeoJson_ = true;
        }
        break;
      case Frame::Coordinates:
        BadCoordinates("a text among the coordinates");
        break;
      default:
        break;
    }
    return Scalar();
  }
  bool binary(nlohmann::json::binary_t&) { return Scalar(); }

  bool key(std::string& k) {
    switch (Top()) {
      case Frame::Properties:
        field_ = writer_.FieldIndex(k);
        if (field_ < 0) field_ = writer_.AddField(k, FieldType::Infer);
        break;
      case Frame::Capture:
        CaptureSeparator();
        AppendJsonString(capture_, k);
        capture_ += ':';
        captureFirst_.back() = true;  // the value follows without a comma
        break;
      default:
        key_ = k;
    }
    return true;
  }

  bool start_object(std::size_t) {
    if (!Deeper()) return false;
    switch (Top()) {
      case Frame::Top:
      case Frame::Feature:
        if (key_ == "properties") return Push(Frame::Properties);
        if (key_ == "geometry") return PushGeometry();
        return Push(Frame::Skip);
      case Frame::Features:
        writer_.Shape().Clear();
        return Push(Frame::Feature);
      case Frame::Geometries:
        return PushGeometry();
      case Frame::Properties:
        return StartCapture('{');
      case Frame::Capture:
        CaptureSeparator();
        capture_ += '{';
        captureFirst_.push_back(true);
        return Push(Frame::Capture);
      case Frame::Coordinates:
        BadCoordinates("an object among the coordinates");
        return Push(Frame::Skip);
      default:
        if (stack_.empty()) {  // the document itself
          writer_.Shape().Clear();
          return Push(Frame::Top);
        }
        return Push(Frame::Skip);
    }
  }

  bool end_object() {
    const Frame frame = Top();
    stack_.pop_back();
    switch (frame) {
      case Frame::Feature:
        sawGeoJson_ = true;
        CommitFeature();
        break;
      case Frame::Geometry:
        EndGeometry();
        break;
      case Frame::Capture:
        EndCapture('}');
        break;
      case Frame::Top:
        if (topType_ == "Feature" || PositionDepthOf(topType_) > 0 || topType_ == "GeometryCollection") {
          if (PositionDepthOf(topType_) > 0 || topType_ == "GeometryCollection") {
            // The document is a geometry: its coordinates make one feature.
            Geometry().type = topType_;
            EndGeometry();
          }
          CommitFeature();
        }
        break;
      default:
        break;
    }
    key_.clear();
    return true;
  }

  bool start_array(std::size_t) {
    if (!Deeper()) return false;
    switch (Top()) {
      case Frame::Top:
        if (key_ == "features") return Push(Frame::Features);
        if (key_ == "coordinates") return StartCoordinates();
        if (key_ == "geometries") return Push(Frame::Geometries);
        return Push(Frame::Skip);
      case Frame::Geometry:
        if (key_ == "coordinates") return StartCoordinates();
        if (key_ == "geometries") return Push(Frame::Geometries);
        return Push(Frame::Skip);
      case Frame::Coordinates:
        if (numbersInArray_ > 0) BadCoordinates("numbers and arrays mixed in one array");
        ++depth_;
        numbersInArray_ = 0;
        return Push(Frame::Coordinates);
      case Frame::Properties:
        return StartCapture('[');
      case Frame::Capture:
        CaptureSeparator();
        capture_ += '[';
        captureFirst_.push_back(true);
        return Push(Frame::Capture);
      default:
        return Push(Frame::Skip);
    }
  }

  bool end_array() {
    const Frame frame = Top();
    stack_.pop_back();
    if (frame == Frame::Coordinates) EndCoordinateArray();
    if (frame == Frame::Capture) EndCapture(']');
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::json::exception& e) {
    if (failure_.empty()) failure_ = "not valid JSON at byte " + std::to_string(position) + ": " + e.what();
    return false;
  }

 private:
  Frame Top() const { return stack_.empty() ? Frame::Skip : stack_.back(); }
  bool Push(Frame f) {
    stack_.push_back(f);
    return true;
  }
  bool Deeper() {
    if (stack_.size() + 1 < kMaxJsonDepth) return true;
    failure_ =
        "JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels, more than GeoJSON needs";
    return false;
  }
  bool Scalar() {
    if (Top() == Frame::Coordinates) BadCoordinates("a value that is not a number among the coordinates");
    return true;
  }

  GeometryObject& Geometry() {
    if (geometryDepth_ >= geometries_.size()) geometries_.resize(geometryDepth_ + 1);
    return geometries_[geometryDepth_];
  }
  bool PushGeometry() {
    ++geometryDepth_;
    Geometry().Clear();
    return Push(Frame::Geometry);
  }

  bool StartCoordinates() {
    GeometryObject& g = Geometry();
    g.hasCoordinates = true;
    depth_ = 1;
    numbersInArray_ = 0;
    numbers_.clear();
    return Push(Frame::Coordinates);
  }
  bool Number(double v) {
    ++numbersInArray_;
    numbers_.push_back(v);
    return true;
  }
  void BadCoordinates(const char* what) {
    GeometryObject& g = Geometry();
    if (g.problem.empty()) g.problem = what;
  }
  void EndCoordinateArray() {
    GeometryObject& g = Geometry();
    if (numbersInArray_ > 0) {
      // A position: x, y, and Z and M when given.
      if (g.positionDepth != 0 && g.positionDepth != depth_) BadCoordinates("positions at different depths");
      g.positionDepth = depth_;
      if (numbers_.size() < 2) {
        BadCoordinates("a position with fewer than two numbers");
      } else {
        g.x.push_back(numbers_[0]);
        g.y.push_back(numbers_[1]);
        g.hasZ = g.hasZ || numbers_.size() > 2;
        g.hasM = g.hasM || numbers_.size() > 3;
      }
    } else {
      g.closes.emplace_back(depth_, g.x.size());
    }
    // The enclosing array holds arrays, not numbers.
    numbers_.clear();
    numbersInArray_ = 0;
    --depth_;
  }

  // Adds the parts of the geometry object that just ended to the feature's shape.
  void EndGeometry() {
    GeometryObject& g = Geometry();
    GeometryInput& shape = writer_.Shape();
    shape.hasZ = shape.hasZ || g.hasZ;
    shape.hasM = shape.hasM || g.hasM;
    const int expected = PositionDepthOf(g.type);
    if (g.type == "GeometryCollection") {
      // Its members have added their parts as they ended.
    } else if (expected == 0) {
      if (!g.type.empty() || g.hasCoordinates) ++shape.unsupportedParts;
    } else if (!g.problem.empty() || (!g.x.empty() && g.positionDepth != expected)) {
      failure_ =
          "feature " + std::to_string(features_) + ": the coordinates of a " + g.type + " are not valid (" +
          (g.problem.empty()
               ? "nested " + std::to_string(g.positionDepth) + " deep instead of " + std::to_string(expected)
               : g.problem) +
          ")";
      throw ConversionError(input_, failure_);
    } else {
      AddParts(g, expected, shape);
    }
    if (geometryDepth_ > 0) --geometryDepth_;
  }

  static void AddRange(GeometryInput& shape, InputPart kind, const GeometryObject& g, std::size_t begin,
                       std::size_t end) {
    shape.BeginPart(kind);
    double* x = nullptr;
    double* y = nullptr;
    shape.AddVertices(end - begin, x, y);
    for (std::size_t i = begin; i < end; ++i) {
      x[i - begin] = g.x[i];
      y[i - begin] = g.y[i];
    }
  }

  static void AddParts(const GeometryObject& g, int expected, GeometryInput& shape) {
    if (g.type == "Point" || g.type == "MultiPoint") {
      for (std::size_t i = 0; i < g.x.size(); ++i) AddRange(shape, InputPart::Point, g, i, i + 1);
    } else if (g.type == "LineString") {
      AddRange(shape, InputPart::Line, g, 0, g.x.size());
    } else {
      // The arrays that close one level above the positions end lines or
      // rings; for a MultiPolygon, those two levels above end polygons.
      const bool rings = g.type != "MultiLineString";
      std::size_t begin = 0;
      bool firstRing = true;
      for (const auto& [depth, end] : g.closes) {
        if (depth == expected - 1) {
          AddRange(shape,
                   !rings      ? InputPart::Line
                   : firstRing ? InputPart::OuterRing
                               : InputPart::InnerRing,
                   g, begin, end);
          begin = end;
          firstRing = false;
        } else if (depth == expected - 2 && g.type == "MultiPolygon") {
          firstRing = true;
        }
      }
    }
  }

  bool StartCapture(char open) {
    capture_.assign(1, open);
    captureFirst_.assign(1, true);
    return Push(Frame::Capture);
  }
  void CaptureSeparator() {
    if (!captureFirst_.back()) capture_ += ',';
    captureFirst_.back() = false;
  }
  void Captured(const std::string& text) {
    CaptureSeparator();
    capture_ += text;
  }
  void CapturedString(const std::string& text) {
    CaptureSeparator();
    AppendJsonString(capture_, text);
  }
  void EndCapture(char close) {
    capture_ += close;
    captureFirst_.pop_back();
    if (Top() == Frame::Capture) return;
    // The whole nested value: the property's value is its JSON text.
    writer_.ValueOf(field_).SetText(capture_.data(), capture_.size());
    ++nested_;
  }

  void CommitFeature() {
    writer_.Commit();
    ++features_;
    writer_.Shape().Clear();
    if (progress_ && size_ > 0 && features_ % 4096 == 0 &&
        !progress_(static_cast<double>(bytes_.Consumed()) / static_cast<double>(size_)))
      throw ConversionError(input_, "stopped on request");
  }

  FeatureWriter& writer_;
  const std::string& input_;
  const ProgressFn& progress_;
  const InputBytes& bytes_;
  std::uint64_t size_;
  std::vector<Frame> stack_;
  std::string key_;
  std::string topType_;
  int field_ = -1;
  std::vector<GeometryObject> geometries_;
  std::size_t geometryDepth_ = 0;
  int depth_ = 0;
  std::size_t numbersInArray_ = 0;
  std::vector<double> numbers_;
  std::string capture_;
  std::vector<bool> captureFirst_;
  std::int64_t features_ = 0, nested_ = 0;
  bool sawGeoJson_ = false;
  std::string failure_;
};

}  // namespace

ImportSummary ImportGeoJson(std::FILE* input, const std::string& inputName, std::uint64_t inputSize,
                            const std::string& output, const ImportOptions& options, Diagnostics& diagnostics,
                            const ProgressFn& progress) {
  FeatureWriter writer(output, options.kind, options.write, diagnostics);
  InputBytes bytes(input);
  GeoJsonHandler handler(writer, inputName, progress, bytes, inputSize);
  ByteIterator first{&bytes}, last{};
  const bool parsed = nlohmann::json::sax_parse(first, last, &handler);
  if (bytes.Failed()) throw ConversionError(inputName, "reading failed");
  if (!parsed)
    throw ConversionError(inputName, handler.Failure().empty() ? "not valid JSON" : handler.Failure());
  if (!handler.SawGeoJson())
    throw ConversionError(inputName, "not GeoJSON: no FeatureCollection, Feature or geometry");
  writer.Finish(progress);
  if (handler.NestedValues() > 0)
    diagnostics.Warn(inputName + ": " + std::to_string(handler.NestedValues()) +
                     " property values were objects or arrays; they are stored as their JSON text");
  ImportSummary summary;
  summary.features = writer.FeatureCount();
  summary.kind = writer.Kind().value_or(FileKind::Table);
  return summary;
}

}  // namespace Terrix::Tool
