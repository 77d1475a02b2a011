// The writer driven by the input: the input chooses a file kind, fields, elements
// (records, coordinates, parts and ring kinds, notes) and attribute values, and
// a model keeps what the file must hold. The file is then read back through the
// fast reader, and every record, coordinate, count, extent and value must be
// what the model says: bit for bit, as a converter needs it.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "terrix/FastReader.h"
#include "terrix/GeometryHolder.h"
#include "terrix/Writer.h"

namespace {

using namespace Terrix;

constexpr int kMaxElements = 48;
constexpr int kMaxVertices = 24;
constexpr int kMaxFields = 6;
constexpr std::size_t kFieldNameBytes = 20;  // a longer name is cut to the descriptor's 20 bytes
constexpr double kBoundsStart = 1.79769313486232e307;
constexpr double kOne = 1.0;
constexpr std::size_t kCoefficientAt = 52;  // the projection's f64 that readers show as 1.0 when unusable

struct XY {
  double x, y;
};
using Ring = std::vector<XY>;

/// A Geometry built from the input: vertices, an ascending part table and part kinds.
class InputGeometry {
 public:
  void Fill(FuzzedDataProvider& in, std::int32_t shapeType) {
    EmptyGeometry(g_.get());
    g_->type = shapeType;
    const int vertices = in.ConsumeIntegralInRange(0, kMaxVertices);
    const int parts = in.ConsumeIntegralInRange(0, 4);
    g_->vertexCount = vertices;
    g_->x = static_cast<double*>(std::calloc(vertices + 1, sizeof(double)));
    g_->y = static_cast<double*>(std::calloc(vertices + 1, sizeof(double)));
    for (int v = 0; v < vertices; ++v) {
      g_->x[v] = Coordinate(in);
      g_->y[v] = Coordinate(in);
    }
    g_->partCount = parts;
    g_->partStart = static_cast<std::int32_t*>(std::calloc(parts + 1, sizeof(std::int32_t)));
    g_->partType = static_cast<std::int32_t*>(std::calloc(parts + 1, sizeof(std::int32_t)));
    std::int32_t start = 0;
    static const std::int32_t kinds[] = {PartKind::Ring, PartKind::InnerRing, PartKind::OuterRing};
    for (int p = 0; p < parts; ++p) {
      start = in.ConsumeIntegralInRange<std::int32_t>(start, vertices);
      g_->partStart[p] = start;
      g_->partType[p] = kinds[in.ConsumeIntegralInRange(0, 2)];
    }
  }

  /// Vertices [begin, end) of part `part`: the part's own range, or all
  /// vertices for an index outside the part table.
  Ring Part(int part) const {
    const bool inTable = part >= 0 && part < g_->partCount;
    const std::int32_t begin = inTable ? g_->partStart[part] : 0;
    const std::int32_t end = inTable && part < g_->partCount - 1 ? g_->partStart[part + 1] : g_->vertexCount;
    Ring ring;
    for (std::int32_t v = begin; v < end; ++v) ring.push_back({g_->x[v], g_->y[v]});
    return ring;
  }

  const Geometry& Get() const { return *g_; }

 private:
  /// Mostly ordinary values, sometimes raw bits: NaN payloads, infinities,
  /// subnormals and negative zero must pass unchanged.
  static double Coordinate(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return in.ConsumeFloatingPointInRange(-1000.0, 1000.0);
    const std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

  GeometryHolder g_ = MakeGeometry();
};

template <typename Record>
Record BytesFrom(FuzzedDataProvider& in) {
  Record r;
  std::uint8_t bytes[sizeof(Record)] = {};
  in.ConsumeData(bytes, sizeof bytes);
  std::memcpy(&r, bytes, sizeof r);
  return r;
}

template <typename Record>
Record RecordFrom(FuzzedDataProvider& in) {
  Record r = BytesFrom<Record>(in);
  r.state = 1;  // in use, so that the readers hand it out
  return r;
}

bool SameBits(const void* a, const void* b, std::size_t n) {
  return n == 0 || std::memcmp(a, b, n) == 0;
}

struct FieldModel {
  std::string name;
  int width = 0;
  std::size_t offset = 0;  // within a record
};

/// What the file must hold, kept alongside the writer calls.
struct Model {
  int kind = 0;
  std::vector<FieldModel> fields;
  std::size_t recordLength = 1;
  std::vector<std::vector<std::uint8_t>> records;  // element e's record, flag byte first

  std::vector<TERRIX_PntInfo> points;
  std::vector<std::string> notes;
  std::vector<TERRIX_LineInfo> lines;
  std::vector<Ring> lineVertices;
  std::vector<TERRIX_RegInfo> regions;
  std::vector<std::vector<Ring>> regionRings;  // the rings that became arcs
  bool hasProjection = false;
  MAP_PARAstruct projection{};
  std::size_t noteBytes = 0;   // note text area used so far
  std::size_t arcPoints = 0;   // points of every arc so far
  std::size_t listValues = 0;  // polygon arc-list values so far
  double extent[4] = {kBoundsStart, kBoundsStart, -kBoundsStart, -kBoundsStart};

  void Widen(double x, double y) {
    if (x < extent[0]) extent[0] = x;
    if (y < extent[1]) extent[1] = y;
    if (x > extent[2]) extent[2] = x;
    if (y > extent[3]) extent[3] = y;
  }
  void WidenBy(const Ring& ring) {
    for (const XY& p : ring) Widen(p.x, p.y);
  }
  int Elements() const {
    switch (kind) {
      case 0:
        return static_cast<int>(lines.size());
      case 1:
        return static_cast<int>(points.size());
      case 2:
        return static_cast<int>(regions.size());
      default:
        return static_cast<int>(records.size());
    }
  }
};

void AddPoint(FuzzedDataProvider& in, Terrix_Writer& w, Model& m, const InputGeometry& none) {
  TERRIX_PntInfo p = RecordFrom<TERRIX_PntInfo>(in);
  std::string note = in.ConsumeRandomLengthString(300);
  note = note.substr(0, std::strlen(note.c_str()));  // the writer takes the text up to its terminator
  if (w.AddPointInfo(p, none.Get(), note.c_str()) != Result::Success)
    fuzz::Fail("AddPointInfo refused a point");
  p.noteLength = static_cast<std::int16_t>(note.size());
  p.noteOffset = static_cast<std::uint32_t>(m.noteBytes + 2);
  p.pointKind = note.empty() ? 1 : 0;
  m.noteBytes += note.empty() ? 1 : note.size();  // a point without note reserves one byte
  m.points.push_back(p);
  m.notes.push_back(note);
  m.Widen(p.x, p.y);
}

/// An arc as the file must hold it: the record with its point count and
/// coordinate offset set, behind the points of every arc before it.
void ExpectArc(Model& m, TERRIX_LineInfo l, const Ring& vertices) {
  l.pointCount = static_cast<std::int32_t>(vertices.size());
  l.pointOffset = static_cast<std::uint32_t>(16 * m.arcPoints + 2);
  m.arcPoints += vertices.size();
  m.lines.push_back(l);
  m.lineVertices.push_back(vertices);
  m.WidenBy(vertices);
}

/// The record every ring's arc gets: in use, and fixed display parameters.
TERRIX_LineInfo RingArcRecord() {
  std::uint8_t bytes[sizeof(TERRIX_LineInfo)] = {};
  const auto put = [&bytes](std::size_t at, auto value) { std::memcpy(bytes + at, &value, sizeof value); };
  put(0, std::uint8_t{1});
  put(22, std::uint16_t{1});
  put(25, std::uint8_t{1});
  put(26, std::uint32_t{1});
  put(30, 0.1f);
  put(35, 1.0f);
  put(39, 1.0f);
  put(43, std::uint32_t{1});
  TERRIX_LineInfo r;
  std::memcpy(&r, bytes, sizeof r);
  return r;
}

/// A line of a line file (AddArcInfo), or an arc added on its own to a region
/// file (AddPolyArcInfo, which reports no multi-part geometry).
void AddLine(FuzzedDataProvider& in, Terrix_Writer& w, Model& m, InputGeometry& geometry, bool polyArc) {
  const TERRIX_LineInfo l = RecordFrom<TERRIX_LineInfo>(in);
  geometry.Fill(in, ShapeType::Line);
  const int part = in.ConsumeIntegralInRange(0, geometry.Get().partCount + 1);
  if (polyArc) {
    if (w.AddPolyArcInfo(l, geometry.Get(), part) != Result::Success)
      fuzz::Fail("AddPolyArcInfo refused an arc");
  } else {
    const std::int32_t expected = geometry.Get().partCount > 1 ? Result::PartSkipped : Result::Success;
    if (w.AddArcInfo(l, geometry.Get(), part) != expected) fuzz::Fail("AddArcInfo answered another code");
  }
  ExpectArc(m, l, geometry.Part(part));
}

void AddPolygon(FuzzedDataProvider& in, Terrix_Writer& w, Model& m, InputGeometry& geometry) {
  TERRIX_RegInfo r = RecordFrom<TERRIX_RegInfo>(in);
  geometry.Fill(in, ShapeType::Polygon);
  const Geometry& g = geometry.Get();
  // Part 0 always makes an arc; a further part of kind 2 leaves only its
  // separator in the arc list and is reported.
  std::vector<Ring> rings;
  std::size_t values = 1;  // the leading total
  std::int32_t expected = Result::Success;
  for (int p = 0; p < g.partCount; ++p) {
    const bool skipped = p > 0 && g.partType[p] == PartKind::OuterRing;
    values += p == 0 ? 1 : (skipped ? 1 : 2);
    if (skipped) {
      expected = Result::PartSkipped;
      continue;
    }
    rings.push_back(geometry.Part(p));
    ExpectArc(m, RingArcRecord(), rings.back());
  }
  if (w.AddPolygonInfo(r, g) != expected) fuzz::Fail("AddPolygonInfo answered another code");
  r.listCount = static_cast<std::int32_t>(values);
  r.listOffset = static_cast<std::uint32_t>(4 * m.listValues);  // the coordinate part is added at the end
  m.listValues += values;
  m.regions.push_back(r);
  m.regionRings.push_back(rings);
}

/// One typed write of field `f` of element `e`, with the bytes it must store.
void WriteValue(FuzzedDataProvider& in, Terrix_Writer& w, Model& m, int e, int f) {
  const FieldModel& field = m.fields[static_cast<std::size_t>(f)];
  const std::size_t width = static_cast<std::size_t>(field.width);
  std::vector<std::uint8_t> stored(width + 8, 0);  // the field's bytes first; never empty
  bool ok = false;
  // The 4-byte family holds its value in a 4-byte little-endian slot and
  // stores the slot's first bytes.
  const auto slot = [&stored, width](std::int32_t v) {
    std::memcpy(stored.data(), &v, std::min<std::size_t>(4, width));
  };
  switch (in.ConsumeIntegralInRange(0, 10)) {
    case 0:
    case 1:
    case 2: {  // raw bytes, a date and a time: the field's width of them
      const std::vector<std::uint8_t> bytes = in.ConsumeBytes<std::uint8_t>(width);
      std::copy(bytes.begin(), bytes.end(), stored.begin());
      const auto* chars = reinterpret_cast<const char*>(stored.data());
      ok = in.ConsumeBool()
               ? w.WriteBinareyAttribute(e, f, stored.data())
               : (in.ConsumeBool() ? w.WriteDateAttribute(e, f, chars) : w.WriteTimeAttribute(e, f, chars));
      break;
    }
    case 3:
    case 4: {  // a string or a text: up to its terminator, zeros behind
      const std::string text = in.ConsumeRandomLengthString(40);
      const std::size_t n = std::min(std::strlen(text.c_str()), width);
      std::memcpy(stored.data(), text.data(), n);
      ok = in.ConsumeBool() ? w.WriteStringAttribute(e, f, text.c_str())
                            : w.WriteTextAttribute(e, f, text.c_str());
      break;
    }
    case 5: {
      const bool v = in.ConsumeBool();
      slot(v ? 1 : 0);
      ok = w.WriteBoolAttribute(e, f, v);
      break;
    }
    case 6: {
      const auto v = in.ConsumeIntegral<unsigned char>();
      slot(v);
      ok = w.WriteByteAttribute(e, f, v);
      break;
    }
    case 7: {
      const auto v = in.ConsumeIntegral<short>();
      slot(v);
      ok = w.WriteShortAttribute(e, f, v);
      break;
    }
    case 8: {
      const auto v = in.ConsumeIntegral<std::int32_t>();
      slot(v);
      ok = w.WriteLongAttribute(e, f, v);
      break;
    }
    case 9: {
      const float v = in.ConsumeFloatingPoint<float>();
      std::int32_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      slot(bits);
      ok = w.WriteFloatAttribute(e, f, v);
      break;
    }
    default: {  // a double: its first bytes, zeros behind
      const double v = in.ConsumeFloatingPoint<double>();
      std::memcpy(stored.data(), &v, std::min<std::size_t>(8, width));
      ok = w.WriteDoubleAttribute(e, f, v);
    }
  }
  // Records are made in element order: an element beyond the next one has none.
  const bool accepted = e <= static_cast<int>(m.records.size());
  if (ok != accepted) fuzz::Fail("an attribute write was refused or taken against the rules");
  if (!ok) return;
  if (e == static_cast<int>(m.records.size())) {
    m.records.emplace_back(m.recordLength, 0);
    m.records.back()[0] = 1;
  }
  std::copy(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(width),
            m.records[static_cast<std::size_t>(e)].begin() + static_cast<std::ptrdiff_t>(field.offset));
}

void ExpectRings(const Geometry& g, const std::vector<Ring>& expected, const char* what) {
  // Empty rings carry no vertex; the rings with vertices come back in order.
  std::vector<Ring> read;
  for (int p = 0; p < g.partCount; ++p) {
    const std::int32_t end = p + 1 < g.partCount ? g.partStart[p + 1] : g.vertexCount;
    Ring ring;
    for (std::int32_t v = g.partStart[p]; v < end; ++v) ring.push_back({g.x[v], g.y[v]});
    if (!ring.empty()) read.push_back(ring);
  }
  std::vector<Ring> given;
  for (const Ring& r : expected)
    if (!r.empty()) given.push_back(r);
  if (read.size() != given.size()) fuzz::Fail(what);
  for (std::size_t r = 0; r < read.size(); ++r)
    if (read[r].size() != given[r].size() || !SameBits(read[r].data(), given[r].data(), 16 * read[r].size()))
      fuzz::Fail(what);
}

void CheckElements(Terrix_FastReader& reader, const Model& m) {
  const GeometryHolder holder = MakeGeometry();
  Geometry* g = holder.get();
  for (std::size_t i = 0; i < m.points.size(); ++i) {
    TERRIX_PntInfo p{};
    if (reader.ReadPointInfo(static_cast<int>(i), &p, g) != Result::Success)
      fuzz::Fail("a point is not read");
    if (!SameBits(&p, &m.points[i], sizeof p)) fuzz::Fail("a point record reads back changed");
    if (g->vertexCount != 1 || !SameBits(g->x, &m.points[i].x, 8) || !SameBits(g->y, &m.points[i].y, 8))
      fuzz::Fail("a point's position reads back changed");
    EmptyGeometry(g);
    char note[260] = {};
    if (reader.GetNoteInfo(static_cast<int>(i), note) != Result::Success) fuzz::Fail("a note is not read");
    if (m.notes[i].substr(0, 259) != std::string(m.notes[i].empty() ? "" : note))
      fuzz::Fail("a note reads back changed");
  }
  // Lines of a line file; in a region file the arcs of the rings and those added on their own.
  for (std::size_t i = 0; i < m.lines.size(); ++i) {
    TERRIX_LineInfo l{};
    if (reader.ReadArcInfo(static_cast<int>(i), &l, g) != Result::Success) fuzz::Fail("a line is not read");
    if (!SameBits(&l, &m.lines[i], sizeof l)) fuzz::Fail("a line record reads back changed");
    ExpectRings(*g, {m.lineVertices[i]}, "a line's vertices read back changed");
    EmptyGeometry(g);
  }
  const std::uint32_t coordinates = static_cast<std::uint32_t>(2 + 16 * m.arcPoints);
  for (std::size_t i = 0; i < m.regions.size(); ++i) {
    TERRIX_RegInfo r{};
    if (reader.ReadPolygonInfo(static_cast<int>(i), &r, g) != Result::Success)
      fuzz::Fail("a polygon is not read");
    TERRIX_RegInfo expected = m.regions[i];
    expected.listOffset += coordinates;  // lists lie behind every arc's points
    if (!SameBits(&r, &expected, sizeof r)) fuzz::Fail("a polygon record reads back changed");
    ExpectRings(*g, m.regionRings[i], "a polygon's rings read back changed");
    EmptyGeometry(g);
  }
}

void CheckAttributes(Terrix_FastReader& reader, const Model& m) {
  if (reader.GetFieldCount() != static_cast<std::int32_t>(m.fields.size())) fuzz::Fail("field count");
  if (reader.GetRecordCount() != static_cast<std::int32_t>(m.records.size())) fuzz::Fail("record count");
  for (std::size_t f = 0; f < m.fields.size(); ++f) {
    const FieldModel& field = m.fields[f];
    wchar_t name[21] = {};
    int width = -1, aux, auxByte;
    reader.GetFieldInfo(static_cast<int>(f), name, &width, &aux, &auxByte);
    // Names are cut to the descriptor's bytes; a field without a name reads as
    // the text the readers give such names.
    const std::string cut = field.name.substr(0, kFieldNameBytes);
    const std::wstring expected = cut.empty() ? L"字段名错误" : std::wstring(cut.begin(), cut.end());
    if (width != field.width || std::wstring(name) != expected) fuzz::Fail("a field reads back changed");
    for (std::size_t e = 0; e < m.records.size(); ++e) {
      const auto* value = static_cast<const std::uint8_t*>(
          reader.ReadBinareyAttribute(static_cast<int>(e), static_cast<int>(f)));
      if (value == nullptr || !SameBits(value, m.records[e].data() + field.offset, field.width) ||
          value[field.width] != 0)
        fuzz::Fail("a value reads back changed");
    }
  }
}

const std::wstring& OutputPath() {
  static const std::wstring path = [] {
    char dir[] = "/tmp/terrix-fuzz-writer-XXXXXX";
    const std::string made = mkdtemp(dir) != nullptr ? dir : "/tmp";
    const std::string file = made + "/written.tmf";
    return std::wstring(file.begin(), file.end());
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  static const int kinds[] = {0, 1, 2, 7};
  Model m;
  m.kind = kinds[in.ConsumeIntegralInRange(0, 3)];

  Terrix_Writer w;
  if (w.Create(OutputPath().c_str(), m.kind) != Result::Success) fuzz::Fail("Create failed");
  if (in.ConsumeBool()) {
    m.hasProjection = true;
    m.projection = BytesFrom<MAP_PARAstruct>(in);
    w.WriteProjection(&m.projection);
  }
  const int fieldCount = in.ConsumeIntegralInRange(0, kMaxFields);
  for (int f = 0; f < fieldCount; ++f) {
    FieldModel field;
    const std::string raw = in.ConsumeRandomLengthString(24);
    for (char c : raw) field.name += static_cast<char>('a' + static_cast<unsigned char>(c) % 26);
    field.width = in.ConsumeIntegralInRange(0, 24);
    field.offset = m.recordLength;
    const std::wstring wide(field.name.begin(), field.name.end());
    if (w.AddFieldInfo(wide.c_str(), in.ConsumeIntegralInRange(0, 11), field.width,
                       in.ConsumeIntegral<std::int16_t>(), in.ConsumeIntegral<std::int8_t>()) != f + 1)
      fuzz::Fail("AddFieldInfo answered another count");
    m.recordLength += static_cast<std::size_t>(field.width);
    m.fields.push_back(field);
  }

  InputGeometry geometry;
  const int elements = in.ConsumeIntegralInRange(0, kMaxElements);
  for (int e = 0; e < elements && in.remaining_bytes() > 0; ++e) {
    if (m.kind == 0) AddLine(in, w, m, geometry, false);
    if (m.kind == 1) AddPoint(in, w, m, geometry);
    if (m.kind == 2 && in.ConsumeIntegralInRange(0, 3) == 0) AddLine(in, w, m, geometry, true);
    if (m.kind == 2) AddPolygon(in, w, m, geometry);
    // Values for an element up to the next one: records are made in element
    // order, so a write past the records made so far must be refused. A table
    // file has rows only.
    const int writes = m.fields.empty() ? 0 : in.ConsumeIntegralInRange(0, 3);
    for (int k = 0; k < writes; ++k) {
      const int element = in.ConsumeIntegralInRange(0, e + 1);
      WriteValue(in, w, m, element, in.ConsumeIntegralInRange(0, static_cast<int>(m.fields.size()) - 1));
    }
  }
  w.Flush();
  w.Close();

  Terrix_FastReader reader;
  if (reader.Open(OutputPath().c_str()) != Result::Success) fuzz::Fail("the written file does not open");
  if (reader.GetShapeType() != m.kind) fuzz::Fail("the written file has another kind");
  int count = -1;
  if (m.kind == 1 && (reader.GetPointCount(&count) < 0 || count != m.Elements())) fuzz::Fail("point count");
  if ((m.kind == 0 || m.kind == 2) &&
      (reader.GetArcCount(&count) < 0 || count != static_cast<int>(m.lines.size())))
    fuzz::Fail("line or arc count");
  if (m.kind == 2 && (reader.GetPolygonCount(&count) < 0 || count != m.Elements()))
    fuzz::Fail("polygon count");
  if (m.kind != 7 && m.Elements() > 0) {
    double box[4];
    reader.GetExtentInfo(&box[0], &box[1], &box[2], &box[3]);
    if (!SameBits(box, m.extent, sizeof box)) fuzz::Fail("the extent is not the bounds of what was written");
  }
  // The projection as given, its coefficient shown as 1.0 when it is unusable.
  MAP_PARAstruct projection{};
  MAP_PARAstruct expected = m.projection;
  if (!m.hasProjection) {  // the writer's own: zeros with three scale factors of 1.0
    for (std::size_t at : {141, 153, 161})
      std::memcpy(reinterpret_cast<std::uint8_t*>(&expected) + at, &kOne, 8);
  }
  double coefficient;
  std::memcpy(&coefficient, reinterpret_cast<const std::uint8_t*>(&expected) + kCoefficientAt,
              sizeof coefficient);
  if (reinterpret_cast<const std::uint8_t*>(&expected)[0] == 0 || coefficient < 0.001) {
    coefficient = 1.0;
    std::memcpy(reinterpret_cast<std::uint8_t*>(&expected) + kCoefficientAt, &coefficient,
                sizeof coefficient);
  }
  reader.GetProjectionInfo(&projection);
  if (!SameBits(&projection, &expected, sizeof projection)) fuzz::Fail("the projection reads back changed");
  CheckElements(reader, m);
  CheckAttributes(reader, m);
  return 0;
}
