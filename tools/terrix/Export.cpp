#include "Export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "JsonText.h"
#include "MapReader.h"

namespace Terrix::Tool {

using namespace Terrix::Convert;

namespace {

// Elements formatted as one piece of work: large enough that handing chunks
// between threads costs nothing, small enough to keep memory flat.
constexpr std::int32_t kChunkElements = 512;

// What formatting changed, counted per worker and merged at the end.
struct ExportChanges {
  std::vector<std::int64_t> nonFinite;  // per field
  std::int64_t ringsClosed = 0, partsSkipped = 0;

  void Add(const ExportChanges& o) {
    if (nonFinite.size() < o.nonFinite.size()) nonFinite.resize(o.nonFinite.size());
    for (std::size_t i = 0; i < o.nonFinite.size(); ++i) nonFinite[i] += o.nonFinite[i];
    ringsClosed += o.ringsClosed;
    partsSkipped += o.partsSkipped;
  }
};

void AppendInteger(std::string& out, std::int64_t v) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr);
}

// Formats the elements of one layer; one per worker thread.
class Formatter {
 public:
  Formatter(const std::string& path, const LayerInfo& layer, const CodePage& codePage,
            const ExportOptions& options, bool tagClass, Diagnostics* openDiagnostics)
      : path_(path), reader_(path, layer, codePage, openDiagnostics), options_(options) {
    changes_.nonFinite.assign(reader_.Fields().size(), 0);
    for (const FieldDef& f : reader_.Fields()) {
      std::string key;
      AppendJsonString(key, f.name);
      keys_.push_back(key + ":");
    }
    if (tagClass) {
      classProperty_ = "\"terrix:class\":";
      AppendJsonString(classProperty_, ElementClassName(layer.elementClass));
    }
    if (options_.format == ExportFormat::Wkt)
      reader_.SkipFields(std::vector<bool>(reader_.Fields().size(), true));
  }

  const FeatureReader& Reader() const { return reader_; }
  const ExportChanges& Changes() const { return changes_; }

  // Appends elements [begin, end) in use; returns how many.
  std::int64_t Format(std::int32_t begin, std::int32_t end, std::string& out) {
    std::int64_t written = 0;
    for (std::int32_t i = begin; i < end; ++i) {
      const std::int32_t rc = reader_.Read(i, feature_);
      if (rc == Result::NotInUse) continue;
      if (rc != Result::Success)
        FailWithCode(path_,
                     std::string("reading ") + ElementClassName(reader_.Layer().elementClass) + " element " +
                         std::to_string(i),
                     rc);
      if (options_.format == ExportFormat::Wkt)
        FormatWkt(out);
      else
        FormatFeature(out);
      ++written;
    }
    return written;
  }

 private:
  [[noreturn]] void Refuse(const std::string& what) const {
    throw ConversionError(
        path_, "element " + std::to_string(feature_.index) + ": " + what + "; --lossy leaves such parts out");
  }

  void Position(std::string& out, std::int32_t i) const {
    out += '[';
    AppendShortest(out, feature_.shape.x[i]);
    out += ',';
    AppendShortest(out, feature_.shape.y[i]);
    out += ']';
  }

  // The parts of the element that can be written: a problem fails the export,
  // or leaves the part out under --lossy.
  bool Usable(PartProblem problem, const char* what) {
    if (problem == PartProblem::None) return true;
    if (!options_.lossy) Refuse(std::string(what) + " has " + PartProblemText(problem));
    ++changes_.partsSkipped;
    return false;
  }

  // The rings kept of the element's polygons, polygon by polygon; a polygon
  // whose outer ring is left out goes with its holes.
  void KeptPolygons() {
    const ShapeView& s = feature_.shape;
    kept_.clear();
    keptStarts_.clear();
    unclosed_.clear();
    for (std::size_t p = 0; p < s.PolygonCount(); ++p) {
      const std::size_t first = kept_.size();
      for (std::uint32_t r = s.polygonStarts[p]; r < s.polygonStarts[p + 1]; ++r) {
        bool unclosed = false;
        const bool outer = r == s.polygonStarts[p];
        if (!Usable(CheckRing(s.x, s.y, s.parts[r], unclosed), outer ? "an outer ring" : "a hole")) {
          if (outer) break;
          continue;
        }
        changes_.ringsClosed += unclosed ? 1 : 0;
        kept_.push_back(s.parts[r]);
        unclosed_.push_back(unclosed);
      }
      if (kept_.size() > first) keptStarts_.push_back(first);
    }
    keptStarts_.push_back(kept_.size());
  }

  PartProblem PointProblem() const {
    const ShapeView& s = feature_.shape;
    return std::isfinite(s.x[0]) && std::isfinite(s.y[0]) ? PartProblem::None : PartProblem::NotFinite;
  }

  // The kept polygons, in GeoJSON's or WKT's brackets: a polygon is its rings
  // in brackets, several polygons are a list of them in brackets.
  template <typename Ring>
  void AppendPolygons(std::string& out, char open, char close, const char* separator, Ring ring) const {
    const std::size_t polygons = keptStarts_.size() - 1;
    if (polygons > 1) out += open;
    for (std::size_t p = 0; p < polygons; ++p) {
      if (p > 0) out += separator;
      out += open;
      for (std::size_t k = keptStarts_[p]; k < keptStarts_[p + 1]; ++k) {
        if (k > keptStarts_[p]) out += separator;
        ring(k);
      }
      out += close;
    }
    if (polygons > 1) out += close;
  }

  void RingPositions(std::string& out, std::size_t k) const {
    const Range r = kept_[k];
    out += '[';
    for (std::int32_t i = r.begin; i < r.end; ++i) {
      if (i > r.begin) out += ',';
      Position(out, i);
    }
    if (unclosed_[k]) {
      out += ',';
      Position(out, r.begin);
    }
    out += ']';
  }

  void Geometry(std::string& out) {
    const ShapeView& s = feature_.shape;
    if (s.vertexCount == 0) {
      out += "null";
      return;
    }
    switch (s.type) {
      case ShapeType::Point:
        if (!Usable(PointProblem(), "the point")) {
          out += "null";
          return;
        }
        out += "{\"type\":\"Point\",\"coordinates\":";
        Position(out, 0);
        out += '}';
        return;
      case ShapeType::Line: {
        const Range r = s.parts.empty() ? Range{0, s.vertexCount} : s.parts[0];
        if (!Usable(CheckLine(s.x, s.y, r), "the line")) {
          out += "null";
          return;
        }
        out += "{\"type\":\"LineString\",\"coordinates\":[";
        for (std::int32_t i = r.begin; i < r.end; ++i) {
          if (i > r.begin) out += ',';
          Position(out, i);
        }
        out += "]}";
        return;
      }
      case ShapeType::Polygon: {
        KeptPolygons();
        if (keptStarts_.size() < 2) {
          out += "null";
          return;
        }
        out += keptStarts_.size() == 2 ? "{\"type\":\"Polygon\",\"coordinates\":"
                                       : "{\"type\":\"MultiPolygon\",\"coordinates\":";
        AppendPolygons(out, '[', ']', ",", [&](std::size_t k) { RingPositions(out, k); });
        out += '}';
        return;
      }
      default:
        out += "null";
    }
  }

  void PropertyValue(std::string& out, std::size_t field) {
    const Value& v = feature_.values[field];
    switch (v.kind) {
      case ValueKind::Null:
        out += "null";
        return;
      case ValueKind::Text:
        AppendJsonString(out, v.bytes);
        return;
      case ValueKind::Real:
        if (!std::isfinite(v.real)) {
          ++changes_.nonFinite[field];
          out += "null";
          return;
        }
        if (reader_.Fields()[field].row->json == JsonForm::Float) {
          AppendShortestFloat(out, static_cast<float>(v.real));
          return;
        }
        [[fallthrough]];
      case ValueKind::Integer:
      case ValueKind::Integer64:
      case ValueKind::Bool:
        // Numbers and booleans are JSON as their text is.
        AppendAsText(out, v);
        return;
      default:
        // Dates, times and binary values as strings of their text.
        scratch_.clear();
        AppendAsText(scratch_, v);
        AppendJsonString(out, scratch_);
        return;
    }
  }

  void FormatFeature(std::string& out) {
    out += ",\n{\"type\":\"Feature\",\"id\":";
    AppendInteger(out, feature_.index);
    out += ",\"properties\":{";
    bool first = true;
    for (std::size_t f = 0; f < keys_.size(); ++f) {
      if (!first) out += ',';
      first = false;
      out += keys_[f];
      PropertyValue(out, f);
    }
    if (feature_.hasNote) {
      out += first ? "" : ",";
      out += "\"terrix:note\":";
      AppendJsonString(out, feature_.note);
      first = false;
    }
    if (!classProperty_.empty()) {
      out += first ? "" : ",";
      out += classProperty_;
    }
    out += "},\"geometry\":";
    Geometry(out);
    out += '}';
  }

  void WktPositions(std::string& out, Range r, bool close) const {
    out += '(';
    for (std::int32_t i = r.begin; i < r.end; ++i) {
      if (i > r.begin) out += ", ";
      AppendShortest(out, feature_.shape.x[i]);
      out += ' ';
      AppendShortest(out, feature_.shape.y[i]);
    }
    if (close) {
      out += ", ";
      AppendShortest(out, feature_.shape.x[r.begin]);
      out += ' ';
      AppendShortest(out, feature_.shape.y[r.begin]);
    }
    out += ')';
  }

  void FormatWkt(std::string& out) {
    const ShapeView& s = feature_.shape;
    out += '\n';
    switch (s.type) {
      case ShapeType::Point:
        if (s.vertexCount == 0 || !Usable(PointProblem(), "the point")) {
          out += "POINT EMPTY";
          return;
        }
        out += "POINT ";
        WktPositions(out, {0, 1}, false);
        return;
      case ShapeType::Line: {
        const Range r = s.parts.empty() ? Range{0, s.vertexCount} : s.parts[0];
        if (s.vertexCount == 0 || !Usable(CheckLine(s.x, s.y, r), "the line")) {
          out += "LINESTRING EMPTY";
          return;
        }
        out += "LINESTRING ";
        WktPositions(out, r, false);
        return;
      }
      case ShapeType::Polygon: {
        if (s.vertexCount > 0) KeptPolygons();
        if (s.vertexCount == 0 || keptStarts_.size() < 2) {
          out += "POLYGON EMPTY";
          return;
        }
        out += keptStarts_.size() == 2 ? "POLYGON " : "MULTIPOLYGON ";
        AppendPolygons(out, '(', ')', ", ",
                       [&](std::size_t k) { WktPositions(out, kept_[k], unclosed_[k]); });
        return;
      }
      default:
        out += "GEOMETRYCOLLECTION EMPTY";
    }
  }

  std::string path_;
  FeatureReader reader_;
  const ExportOptions& options_;
  Feature feature_;
  std::vector<std::string> keys_;  // "name": of each field, escaped once
  std::string classProperty_;
  std::string scratch_;
  std::vector<Range> kept_;
  std::vector<std::size_t> keptStarts_;
  std::vector<bool> unclosed_;
  ExportChanges changes_;
};

// One chunk of formatted elements, handed from a worker to the writer.
struct Chunk {
  std::string text;
  std::int64_t features = 0;
  std::string error;
  bool ready = false;
};

// Formats the chunks of one layer on `workers` threads (each with a reader of
// its own) and hands them to `consume` in order, with at most a window of
// chunks in memory. The first failure in chunk order is the one reported.
class Pipeline {
 public:
  Pipeline(const std::string& path, const LayerInfo& layer, const CodePage& codePage,
           const ExportOptions& options, bool tagClass, unsigned workers)
      : path_(path),
        layer_(layer),
        codePage_(codePage),
        options_(options),
        tagClass_(tagClass),
        chunks_((layer.count + kChunkElements - 1) / kChunkElements),
        workers_(std::max(1u, std::min<unsigned>(workers, static_cast<unsigned>(std::max(chunks_, 1))))),
        window_(2 * workers_),
        slots_(window_),
        formatters_(workers_),
        diagnostics_(workers_) {}

  template <typename Consume, typename Progress>
  void Run(Consume consume, Progress progress) {
    if (workers_ == 1) {
      Formatter& f = Open(0);
      for (std::int32_t c = 0; c < chunks_; ++c) {
        Chunk chunk;
        Produce(f, c, chunk);
        consume(chunk);
        progress(c + 1, chunks_);
      }
      return;
    }
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers_; ++w) threads.emplace_back([this, w] { Work(w); });
    std::string failure;
    for (std::int32_t c = 0; c < chunks_ && failure.empty(); ++c) {
      Chunk& slot = slots_[static_cast<std::size_t>(c) % window_];
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return slot.ready; });
      }
      if (!slot.error.empty()) {
        failure = slot.error;
      } else {
        try {
          consume(slot);
          progress(c + 1, chunks_);
        } catch (const std::exception& e) {
          failure = e.what();  // the workers are stopped and joined before it is thrown
        }
      }
      std::lock_guard<std::mutex> lock(mutex_);
      slot = Chunk{};
      consumed_ = c + 1;
      if (!failure.empty()) stop_ = true;
      changed_.notify_all();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      changed_.notify_all();
    }
    for (std::thread& t : threads) t.join();
    if (!failure.empty()) throw ConversionError(failure);
  }

  // What the workers' readers and formatters saw, once the run is over.
  void Report(Diagnostics& diagnostics) {
    ReadChanges read;
    ExportChanges exported;
    const FeatureReader* first = nullptr;
    for (unsigned w = 0; w < workers_; ++w) {
      for (const std::string& warning : diagnostics_[w].Warnings()) diagnostics.Warn(warning);
      if (!formatters_[w]) continue;
      read.Add(formatters_[w]->Reader().Changes());
      exported.Add(formatters_[w]->Changes());
      if (first == nullptr) first = &formatters_[w]->Reader();
    }
    if (first == nullptr) return;
    read.Report(first->Fields(), codePage_, path_, diagnostics);
    for (std::size_t f = 0; f < exported.nonFinite.size(); ++f)
      if (exported.nonFinite[f] > 0)
        diagnostics.Warn(path_ + ": field " + Quoted(first->Fields()[f].name) + ": " +
                         std::to_string(exported.nonFinite[f]) +
                         " values that are not finite numbers written as null (JSON has no such numbers)");
    if (exported.ringsClosed > 0)
      diagnostics.Warn(path_ + ": " + std::to_string(exported.ringsClosed) +
                       " rings closed by repeating their first point, as GeoJSON requires");
    if (exported.partsSkipped > 0)
      diagnostics.Warn(
          path_ + ": " + std::to_string(exported.partsSkipped) +
          " points, lines or rings left out: too few points, or coordinates that are not finite");
  }

 private:
  Formatter& Open(unsigned w) {
    // Only the first worker tells what opening found: every worker finds the same.
    formatters_[w] = std::make_unique<Formatter>(path_, layer_, codePage_, options_, tagClass_,
                                                 w == 0 ? &diagnostics_[w] : nullptr);
    return *formatters_[w];
  }

  void Produce(Formatter& f, std::int32_t c, Chunk& chunk) const {
    const std::int32_t begin = c * kChunkElements;
    const std::int32_t end = std::min(layer_.count, begin + kChunkElements);
    chunk.features = f.Format(begin, end, chunk.text);
  }

  void Work(unsigned w) {
    Formatter* f = nullptr;
    for (std::int32_t c = static_cast<std::int32_t>(w); c < chunks_;
         c += static_cast<std::int32_t>(workers_)) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || c < consumed_ + static_cast<std::int32_t>(window_); });
        if (stop_) return;
      }
      Chunk chunk;
      try {
        if (f == nullptr) f = &Open(w);
        Produce(*f, c, chunk);
      } catch (const std::exception& e) {
        chunk.text.clear();
        chunk.error = e.what();
      }
      std::lock_guard<std::mutex> lock(mutex_);
      Chunk& slot = slots_[static_cast<std::size_t>(c) % window_];
      slot = std::move(chunk);
      slot.ready = true;
      changed_.notify_all();
      if (!slot.error.empty()) return;
    }
  }

  const std::string& path_;
  const LayerInfo& layer_;
  const CodePage& codePage_;
  const ExportOptions& options_;
  bool tagClass_;
  std::int32_t chunks_;
  unsigned workers_;
  std::size_t window_;
  std::vector<Chunk> slots_;
  std::vector<std::unique_ptr<Formatter>> formatters_;
  std::vector<Diagnostics> diagnostics_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::int32_t consumed_ = 0;
  bool stop_ = false;
};

void Write(std::FILE* out, const std::string& path, const char* data, std::size_t size) {
  if (size > 0 && std::fwrite(data, 1, size, out) != size)
    throw ConversionError(path, "writing the output failed");
}

}  // namespace

std::int64_t ExportMap(const std::string& path, std::FILE* out, const ExportOptions& options,
                       Diagnostics& diagnostics, const ProgressFn& progress) {
  const CodePage codePage(options.codePage);
  MapFile map(path, diagnostics);
  const auto& layers = map.Layers();
  const bool tagClass = layers.size() > 1;
  unsigned threads = options.threads;
  if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);

  std::int64_t total = 0, done = 0;
  for (const LayerInfo& layer : layers) total += layer.count;
  const bool json = options.format == ExportFormat::GeoJson;
  if (json) Write(out, path, "{\"type\":\"FeatureCollection\",\"features\":[", 40);
  std::int64_t written = 0;
  for (const LayerInfo& layer : layers) {
    Pipeline pipeline(path, layer, codePage, options, tagClass, threads);
    pipeline.Run(
        [&](const Chunk& chunk) {
          // Every formatted element starts with its separator from the one
          // before; the first of all has none.
          const std::size_t skip = written == 0 && chunk.features > 0 ? 1 : 0;
          Write(out, path, chunk.text.data() + skip, chunk.text.size() - skip);
          written += chunk.features;
        },
        [&](std::int32_t, std::int32_t) {
          done = std::min<std::int64_t>(total, done + kChunkElements);
          if (progress && total > 0 && !progress(static_cast<double>(done) / static_cast<double>(total)))
            throw ConversionError(path, "stopped on request");
        });
    pipeline.Report(diagnostics);
  }
  if (json)
    Write(out, path, "\n]}\n", 4);
  else if (written > 0)
    Write(out, path, "\n", 1);
  if (std::fflush(out) != 0) throw ConversionError(path, "writing the output failed");
  return written;
}

}  // namespace Terrix::Tool
