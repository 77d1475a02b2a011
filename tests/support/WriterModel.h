// A model of a file written by Terrix_Writer. A source of choices (the fuzzer's
// input, or a seeded generator) picks the file kind, the projection, fields,
// elements (records, coordinates, parts and ring kinds, notes) and attribute
// values; the model keeps what the file must then hold. The file is read back
// through the fast, the memory and the editing reader, and every record,
// coordinate, count, extent, name and value must be what the model says, bit
// for bit. Shared by fuzz/fuzz_writer.cpp and tests/writer_model_test.cpp.
//
// A Source has: int Int(lo, hi), bool Bool(), std::uint64_t Bits(), double
// Real() (an ordinary coordinate), std::string Text(max) (any bytes, up to
// max), void Fill(out, n) (up to n bytes over zeros) and bool More().
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "terrix/FastReader.h"
#include "terrix/GeometryHolder.h"
#include "terrix/MemReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"
#include "terrix/Writer.h"

namespace writer_model {

using namespace Terrix;

constexpr std::size_t kNameBytes = 20;  // a longer field name is cut to the descriptor's 20 bytes
constexpr double kBoundsStart = 1.79769313486232e307;

struct XY {
  double x, y;
};
using Ring = std::vector<XY>;

inline bool SameBits(const void* a, const void* b, std::size_t n) {
  return n == 0 || std::memcmp(a, b, n) == 0;
}

/// A record of the source's bytes; element records in use, so that readers hand them out.
template <typename Record, class Source>
Record BytesFrom(Source& in, bool inUse = true) {
  std::uint8_t bytes[sizeof(Record)] = {};
  in.Fill(bytes, sizeof bytes);
  if (inUse) bytes[0] = 1;
  Record r;
  std::memcpy(&r, bytes, sizeof r);
  return r;
}

/// The bytes a typed read gives: the field's first bytes, zeros behind.
template <typename T>
T Typed(const std::uint8_t* value, int width) {
  std::uint8_t bytes[sizeof(T)] = {};
  std::memcpy(bytes, value, std::min<std::size_t>(sizeof(T), static_cast<std::size_t>(width)));
  T t;
  std::memcpy(&t, bytes, sizeof t);
  return t;
}

/// The record every ring's arc gets: in use, and fixed display parameters.
inline TERRIX_LineInfo RingArcRecord() {
  std::uint8_t bytes[sizeof(TERRIX_LineInfo)] = {1};
  const auto put = [&bytes](std::size_t at, auto value) { std::memcpy(bytes + at, &value, sizeof value); };
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

struct Field {
  std::string name;
  int type, width, aux, auxByte;
  std::size_t offset;  // within a record
};

/// What the file must hold, kept alongside the writer calls; `error` names the
/// first difference found.
class Model {
 public:
  std::string error;

  template <class Source>
  void Write(Source& in, Terrix_Writer& w, const std::wstring& path) {
    static const int kinds[] = {0, 1, 2, 7};
    kind_ = kinds[in.Int(0, 3)];
    if (!Expect(w.Create(path.c_str(), kind_) == Result::Success, "Create failed")) return;
    if (in.Bool()) {
      hasProjection_ = true;
      projection_ = BytesFrom<MAP_PARAstruct>(in, false);
      w.WriteProjection(&projection_);
    }
    for (int f = 0, fields = in.Int(0, 6); f < fields; ++f) {
      Field field{"",
                  in.Int(0, 11),
                  in.Int(0, 24),
                  static_cast<std::int16_t>(in.Bits()),
                  static_cast<std::int8_t>(in.Bits()),
                  recordLength_};
      for (char c : in.Text(24)) field.name += static_cast<char>('a' + static_cast<unsigned char>(c) % 26);
      const std::wstring wide(field.name.begin(), field.name.end());
      Expect(w.AddFieldInfo(wide.c_str(), field.type, field.width, static_cast<std::int16_t>(field.aux),
                            static_cast<std::int8_t>(field.auxByte)) == f + 1,
             "AddFieldInfo answered another count");
      recordLength_ += static_cast<std::size_t>(field.width);
      fields_.push_back(field);
    }
    for (int e = 0, elements = in.Int(0, 48); e < elements && in.More(); ++e) {
      if (kind_ == 0) AddLine(in, w, false);
      if (kind_ == 1) AddPoint(in, w);
      if (kind_ == 2 && in.Int(0, 3) == 0) AddLine(in, w, true);
      if (kind_ == 2) AddPolygon(in, w);
      // Values for an element up to the next one (a table file has rows only),
      // and now and then for one beyond it or a field that does not exist.
      for (int k = 0, writes = in.Int(0, 3); k < writes; ++k) {
        const int element = in.Int(-1, e + 1), field = in.Int(-1, static_cast<int>(fields_.size()));
        WriteValue(in, w, element, field);
      }
      if (in.Int(0, 7) == 0) AddRefused(in, w, false);
    }
    w.Flush();
    AddRefused(in, w, true);
    w.Close();
  }

  void Check(const std::wstring& path) {
    if (!error.empty()) return;
    Terrix_FastReader fast;
    if (!Expect(fast.Open(path.c_str()) == Result::Success, "the written file does not open")) return;
    Expect(fast.GetShapeType() == kind_, "the written file has another kind");
    int count = -1;
    if (kind_ == 1) Expect(fast.GetPointCount(&count) >= 0 && count == Elements(), "the point count");
    if (kind_ == 0 || kind_ == 2)
      Expect(fast.GetArcCount(&count) >= 0 && count == static_cast<int>(lines_.size()), "the line count");
    if (kind_ == 2) Expect(fast.GetPolygonCount(&count) >= 0 && count == Elements(), "the polygon count");
    if (kind_ != 7 && Elements() > 0) {
      double box[4];
      fast.GetExtentInfo(&box[0], &box[1], &box[2], &box[3]);
      Expect(SameBits(box, extent_, sizeof box), "the extent is not the bounds of what was written");
    }
    // The projection as given, or the writer's own (zeros with three scale
    // factors of 1.0); its coefficient (at 52) shown as 1.0 when it is unusable.
    MAP_PARAstruct expected = projection_, read{};
    auto* bytes = reinterpret_cast<std::uint8_t*>(&expected);
    const double one = 1.0;
    for (std::size_t at : {141, 153, 161})
      if (!hasProjection_) std::memcpy(bytes + at, &one, 8);
    if (bytes[0] == 0 || Typed<double>(bytes + 52, 8) < 0.001) std::memcpy(bytes + 52, &one, 8);
    fast.GetProjectionInfo(&read);
    Expect(SameBits(&read, &expected, sizeof read), "the projection reads back changed");
    CheckReader(fast, "fast reader");
    Terrix_MemReader mem;
    if (Expect(mem.Open(path.c_str()) == Result::Success, "the memory reader does not open the file"))
      CheckReader(mem, "memory reader");
    Terrix_Reader edit;
    if (Expect(edit.Open(path.c_str()) == Result::Success, "the editing reader does not open the file"))
      CheckReader(edit, "editing reader");
  }

 private:
  bool Expect(bool ok, const std::string& what) {
    if (!ok && error.empty()) error = what;
    return ok;
  }
  /// The bounds as the writer keeps them: a NaN or an equal value never replaces one.
  void Widen(const Ring& ring) {
    for (const XY& p : ring) {
      extent_[0] = std::min(extent_[0], p.x), extent_[1] = std::min(extent_[1], p.y);
      extent_[2] = std::max(extent_[2], p.x), extent_[3] = std::max(extent_[3], p.y);
    }
  }
  int Elements() const {
    return static_cast<int>(kind_ == 0   ? lines_.size()
                            : kind_ == 1 ? points_.size()
                            : kind_ == 2 ? regions_.size()
                                         : records_.size());
  }

  /// A geometry of up to 24 vertices (ordinary values, or raw bits: NaN
  /// payloads, infinities, subnormals, negative zero) and 4 parts with an
  /// ascending part table and any part kinds.
  template <class Source>
  void FillGeometry(Source& in, std::int32_t shapeType) {
    Geometry* g = geometry_.get();
    EmptyGeometry(g);
    g->type = shapeType;
    g->vertexCount = in.Int(0, 24);
    g->partCount = in.Int(0, 4);
    g->x = static_cast<double*>(std::calloc(g->vertexCount + 1, sizeof(double)));
    g->y = static_cast<double*>(std::calloc(g->vertexCount + 1, sizeof(double)));
    for (int v = 0; v < 2 * g->vertexCount; ++v) {
      std::uint64_t bits = in.Bits();
      if (in.Bool()) {
        const double d = in.Real();
        std::memcpy(&bits, &d, sizeof d);
      }
      std::memcpy(v % 2 == 0 ? &g->x[v / 2] : &g->y[v / 2], &bits, sizeof bits);
    }
    g->partStart = static_cast<std::int32_t*>(std::calloc(g->partCount + 1, sizeof(std::int32_t)));
    g->partType = static_cast<std::int32_t*>(std::calloc(g->partCount + 1, sizeof(std::int32_t)));
    static const std::int32_t kinds[] = {PartKind::Ring, PartKind::InnerRing, PartKind::OuterRing};
    for (int p = 0, start = 0; p < g->partCount; ++p) {
      g->partStart[p] = start = in.Int(start, g->vertexCount);
      g->partType[p] = kinds[in.Int(0, 2)];
    }
  }
  /// The vertices of `part`: its own range, or all of them for an index outside the part table.
  Ring Part(int part) const {
    const Geometry& g = *geometry_;
    const bool inTable = part >= 0 && part < g.partCount;
    const std::int32_t end = inTable && part < g.partCount - 1 ? g.partStart[part + 1] : g.vertexCount;
    Ring ring;
    for (std::int32_t v = inTable ? g.partStart[part] : 0; v < end; ++v) ring.push_back({g.x[v], g.y[v]});
    return ring;
  }

  template <class Source>
  void AddPoint(Source& in, Terrix_Writer& w) {
    TERRIX_PntInfo p = BytesFrom<TERRIX_PntInfo>(in);
    std::string note = in.Text(300);
    note.resize(std::strlen(note.c_str()));  // the writer takes the text up to its terminator
    Expect(w.AddPointInfo(p, *geometry_, note.c_str()) == Result::Success, "AddPointInfo refused a point");
    p.noteLength = static_cast<std::int16_t>(note.size());
    p.noteOffset = static_cast<std::uint32_t>(noteBytes_ + 2);
    p.pointKind = note.empty() ? 1 : 0;
    noteBytes_ += note.empty() ? 1 : note.size();  // a point without note reserves one byte
    points_.push_back(p);
    notes_.push_back(note);
    Widen({{p.x, p.y}});
  }

  /// An element the writer must refuse, writing nothing of it: one of another
  /// kind, or any once the file is written.
  template <class Source>
  void AddRefused(Source& in, Terrix_Writer& w, bool written) {
    const int call = in.Int(0, 3);
    const TERRIX_LineInfo l = RingArcRecord();
    std::int32_t rc = Result::NotHandled;
    if (call == 0 && (written || kind_ != 1)) rc = w.AddPointInfo(BytesFrom<TERRIX_PntInfo>(in), *geometry_, "");
    if (call == 1 && (written || kind_ != 0)) rc = w.AddArcInfo(l, *geometry_, 0);
    if (call == 2 && (written || kind_ != 2)) rc = w.AddPolyArcInfo(l, *geometry_, 0);
    if (call == 3 && (written || kind_ != 2)) rc = w.AddPolygonInfo(BytesFrom<TERRIX_RegInfo>(in), *geometry_);
    Expect(rc == Result::NotHandled, "the writer took an element of another kind, or after Flush");
  }

  /// An arc as the file must hold it: its point count and coordinate offset
  /// set, behind the points of every arc before it.
  void ExpectArc(TERRIX_LineInfo l, const Ring& vertices) {
    l.pointCount = static_cast<std::int32_t>(vertices.size());
    l.pointOffset = static_cast<std::uint32_t>(16 * arcPoints_ + 2);
    arcPoints_ += vertices.size();
    lines_.push_back(l);
    lineVertices_.push_back(vertices);
    Widen(vertices);
  }

  /// A line of a line file (AddArcInfo, which reports a multi-part geometry),
  /// or an arc added on its own to a region file (AddPolyArcInfo, which does not).
  template <class Source>
  void AddLine(Source& in, Terrix_Writer& w, bool polyArc) {
    const TERRIX_LineInfo l = BytesFrom<TERRIX_LineInfo>(in);
    FillGeometry(in, ShapeType::Line);
    const int part = in.Int(0, geometry_->partCount + 1);
    if (polyArc)
      Expect(w.AddPolyArcInfo(l, *geometry_, part) == Result::Success, "AddPolyArcInfo refused an arc");
    else
      Expect(w.AddArcInfo(l, *geometry_, part) ==
                 (geometry_->partCount > 1 ? Result::PartSkipped : Result::Success),
             "AddArcInfo answered another code");
    ExpectArc(l, Part(part));
  }

  /// Part 0 always makes an arc; a further part of kind 2 leaves only its
  /// separator in the arc list and is reported.
  template <class Source>
  void AddPolygon(Source& in, Terrix_Writer& w) {
    TERRIX_RegInfo r = BytesFrom<TERRIX_RegInfo>(in);
    FillGeometry(in, ShapeType::Polygon);
    std::vector<Ring> rings;
    std::size_t values = 1;  // the leading total
    std::int32_t expected = Result::Success;
    for (int p = 0; p < geometry_->partCount; ++p) {
      const bool skipped = p > 0 && geometry_->partType[p] == PartKind::OuterRing;
      values += p == 0 || skipped ? 1 : 2;
      if (skipped) expected = Result::PartSkipped;
      if (skipped) continue;
      rings.push_back(Part(p));
      ExpectArc(RingArcRecord(), rings.back());
    }
    Expect(w.AddPolygonInfo(r, *geometry_) == expected, "AddPolygonInfo answered another code");
    r.listCount = static_cast<std::int32_t>(values);
    r.listOffset = static_cast<std::uint32_t>(4 * listValues_);  // the coordinate part is added at the end
    listValues_ += values;
    regions_.push_back(r);
    regionRings_.push_back(rings);
  }

  /// One typed write of field `f` of element `e`, with the bytes it must store:
  /// raw bytes, dates and times the field's width of them; strings and texts up
  /// to their terminator, zeros behind; the 4-byte family its value in a 4-byte
  /// little-endian slot; a double its 8 bytes; of each the field's first bytes.
  template <class Source>
  void WriteValue(Source& in, Terrix_Writer& w, int e, int f) {
    const bool exists = f >= 0 && f < static_cast<int>(fields_.size());
    const std::size_t width =
        exists ? static_cast<std::size_t>(fields_[static_cast<std::size_t>(f)].width) : 0;
    std::vector<std::uint8_t> stored(width + 8, 0);
    const int how = in.Int(0, 10);
    const std::uint64_t bits = in.Bits();
    const std::int64_t number = how == 5    ? static_cast<std::int64_t>(bits & 1)
                                : how == 6  ? static_cast<std::uint8_t>(bits)
                                : how == 7  ? static_cast<std::int16_t>(bits)
                                : how == 10 ? static_cast<std::int64_t>(bits)
                                            : static_cast<std::int32_t>(bits);
    if (how >= 5) std::memcpy(stored.data(), &number, std::min<std::size_t>(how == 10 ? 8 : 4, width));
    float real;
    std::memcpy(&real, &bits, sizeof real);
    const auto* chars = reinterpret_cast<const char*>(stored.data());
    bool ok = false;
    if (how <= 2) {
      in.Fill(stored.data(), width);
      ok = how == 0   ? w.WriteBinareyAttribute(e, f, stored.data())
           : how == 1 ? w.WriteDateAttribute(e, f, chars)
                      : w.WriteTimeAttribute(e, f, chars);
    } else if (how <= 4) {
      const std::string text = in.Text(40);
      std::memcpy(stored.data(), text.data(), std::min(std::strlen(text.c_str()), width));
      ok = how == 3 ? w.WriteStringAttribute(e, f, text.c_str()) : w.WriteTextAttribute(e, f, text.c_str());
    } else {
      ok = how == 5   ? w.WriteBoolAttribute(e, f, number != 0)
           : how == 6 ? w.WriteByteAttribute(e, f, static_cast<unsigned char>(number))
           : how == 7 ? w.WriteShortAttribute(e, f, static_cast<short>(number))
           : how == 8 ? w.WriteLongAttribute(e, f, static_cast<std::int32_t>(number))
           : how == 9
               ? w.WriteFloatAttribute(e, f, real)
               : w.WriteDoubleAttribute(e, f, Typed<double>(reinterpret_cast<const std::uint8_t*>(&bits), 8));
    }
    // Records are made in element order: an element beyond the next one has none.
    const bool accepted = exists && e >= 0 && e <= static_cast<int>(records_.size());
    if (!Expect(ok == accepted, "an attribute write was refused or taken against the rules") || !ok) return;
    if (e == static_cast<int>(records_.size())) {
      records_.emplace_back(recordLength_, 0);
      records_.back()[0] = 1;
    }
    std::memcpy(records_[static_cast<std::size_t>(e)].data() + fields_[static_cast<std::size_t>(f)].offset,
                stored.data(), width);
  }

  /// Empty rings carry no vertex; the rings with vertices come back in order.
  void ExpectRings(Geometry* g, const std::vector<Ring>& expected, const std::string& what) {
    std::vector<Ring> read, given;
    for (int p = 0; p < g->partCount; ++p) {
      Ring ring;
      for (std::int32_t v = g->partStart[p];
           v < (p + 1 < g->partCount ? g->partStart[p + 1] : g->vertexCount); ++v)
        ring.push_back({g->x[v], g->y[v]});
      if (!ring.empty()) read.push_back(ring);
    }
    for (const Ring& r : expected)
      if (!r.empty()) given.push_back(r);
    bool same = read.size() == given.size();
    for (std::size_t r = 0; same && r < read.size(); ++r)
      same =
          read[r].size() == given[r].size() && SameBits(read[r].data(), given[r].data(), 16 * read[r].size());
    Expect(same, what);
    EmptyGeometry(g);
  }

  template <class Reader>
  void CheckReader(Reader& reader, const std::string& name) {
    Geometry* g = geometry_.get();
    EmptyGeometry(g);
    for (std::size_t i = 0; i < points_.size(); ++i) {
      const std::string at = name + " point " + std::to_string(i);
      TERRIX_PntInfo p{};
      char note[300];
      std::memset(note, 'Q', sizeof note);
      Expect(reader.ReadPointInfo(static_cast<int>(i), &p, g) == Result::Success &&
                 SameBits(&p, &points_[i], sizeof p),
             at + ": the record reads back changed");
      Expect(g->vertexCount == 1 && SameBits(g->x, &points_[i].x, 8) && SameBits(g->y, &points_[i].y, 8),
             at + ": the position reads back changed");
      EmptyGeometry(g);
      // A note is cut at 259 bytes and terminated; no note leaves the buffer as it was.
      Expect(reader.GetNoteInfo(static_cast<int>(i), note) == Result::Success && note[260] == 'Q' &&
                 (notes_[i].empty() ? note[0] == 'Q' : notes_[i].substr(0, 259) == note),
             at + ": the note reads back changed");
    }
    // Lines of a line file; in a region file the arcs of the rings and those added on their own.
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const std::string at = name + " line " + std::to_string(i);
      TERRIX_LineInfo l{};
      Expect(reader.ReadArcInfo(static_cast<int>(i), &l, g) == Result::Success &&
                 SameBits(&l, &lines_[i], sizeof l),
             at + ": the record reads back changed");
      ExpectRings(g, {lineVertices_[i]}, at + ": the vertices read back changed");
    }
    for (std::size_t i = 0; i < regions_.size(); ++i) {
      const std::string at = name + " polygon " + std::to_string(i);
      TERRIX_RegInfo r{}, expected = regions_[i];
      expected.listOffset +=
          static_cast<std::uint32_t>(2 + 16 * arcPoints_);  // lists lie behind every arc's points
      Expect(reader.ReadPolygonInfo(static_cast<int>(i), &r, g) == Result::Success &&
                 SameBits(&r, &expected, sizeof r),
             at + ": the record reads back changed");
      ExpectRings(g, regionRings_[i], at + ": the rings read back changed");
    }
    Expect(reader.GetFieldCount() == static_cast<std::int32_t>(fields_.size()), name + ": the field count");
    Expect(reader.GetRecordCount() == static_cast<std::int32_t>(records_.size()),
           name + ": the record count");
    for (std::size_t f = 0; f < fields_.size(); ++f) {
      const Field& field = fields_[f];
      const std::string at = name + " field " + std::to_string(f);
      wchar_t read[21] = {};
      int width = -1, aux = 0, auxByte = 0;
      const std::int32_t type = reader.GetFieldInfo(static_cast<int>(f), read, &width, &aux, &auxByte);
      // A field without a name reads as the text the readers give such names.
      const std::string cut = field.name.substr(0, kNameBytes);
      const std::wstring wide(cut.begin(), cut.end());
      Expect(width == field.width && read == (cut.empty() ? std::wstring(L"字段名错误") : wide),
             at + ": the name or width reads back changed");
      // The fast reader refuses a negative aux value; the others hand it out.
      if (std::is_same_v<Reader, Terrix_FastReader> && (field.aux < 0 || field.auxByte < 0))
        Expect(type == Result::NotHandled, at + ": a negative aux value was not refused");
      else
        Expect(type == static_cast<std::int8_t>(field.type) && aux == field.aux && auxByte == field.auxByte,
               at + ": the type or aux values read back changed");
      std::size_t first = 0;  // GetFieldIndex finds the first field of a name
      while (fields_[first].name.substr(0, kNameBytes) != cut) ++first;
      Expect(reader.GetFieldIndex(wide.c_str()) == (cut.empty() ? -1 : static_cast<int>(first)),
             at + ": GetFieldIndex finds another field");
      for (std::size_t e = 0; e < records_.size(); ++e) {
        const int fi = static_cast<int>(f), ei = static_cast<int>(e), n = field.width;
        const std::uint8_t* want = records_[e].data() + field.offset;
        const auto* raw = static_cast<const std::uint8_t*>(reader.ReadBinareyAttribute(ei, fi));
        if (!Expect(raw != nullptr && SameBits(raw, want, n) && raw[n] == 0, at + ": the bytes of a value"))
          continue;
        const float fv = reader.ReadFloatAttribute(ei, fi), fw = Typed<float>(want, n);
        const double dv = reader.ReadDoubleAttribute(ei, fi), dw = Typed<double>(want, n);
        Expect(reader.ReadBoolAttribute(ei, fi) == (n > 0 && want[0] != 0) &&
                   reader.ReadByteAttribute(ei, fi) == Typed<unsigned char>(want, n) &&
                   reader.ReadShortAttribute(ei, fi) == Typed<short>(want, n) &&
                   reader.ReadLongAttribute(ei, fi) == Typed<std::int32_t>(want, n) &&
                   SameBits(&fv, &fw, 4) && SameBits(&dv, &dw, 8),
               at + ": a typed read");
        const DATE_STRUstruct date = reader.ReadDateAttribute(ei, fi), dateWant = Typed<DATE_STRUstruct>(want, n);
        const TIME_STRUstruct time = reader.ReadTimeAttribute(ei, fi), timeWant = Typed<TIME_STRUstruct>(want, n);
        const TIMESTAMPstruct stamp = reader.ReadTimeStampAttribute(ei, fi),
                              stampWant = Typed<TIMESTAMPstruct>(want, n);
        Expect(SameBits(&date, &dateWant, sizeof date) && SameBits(&time, &timeWant, sizeof time) &&
                   SameBits(&stamp, &stampWant, sizeof stamp),
               at + ": a date, time or time stamp read");
        // Texts: up to the terminator, without leading and trailing spaces.
        std::string text(reinterpret_cast<const char*>(want), static_cast<std::size_t>(n));
        text.resize(std::strlen(text.c_str()));
        text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
        text.erase(text.find_last_not_of(' ') + 1);
        const char* s = reader.ReadStringAttribute(ei, fi);
        Expect(s != nullptr && text == s, at + ": a string");
        const char* t = reader.ReadTextAttribute(ei, fi);
        Expect(t != nullptr && text == t, at + ": a text");
      }
    }
  }

  int kind_ = 0;
  std::vector<Field> fields_;
  std::size_t recordLength_ = 1;                    // the flag byte first
  std::vector<std::vector<std::uint8_t>> records_;  // element e's record
  std::vector<TERRIX_PntInfo> points_;
  std::vector<std::string> notes_;
  std::vector<TERRIX_LineInfo> lines_;
  std::vector<Ring> lineVertices_;
  std::vector<TERRIX_RegInfo> regions_;
  std::vector<std::vector<Ring>> regionRings_;  // the rings that became arcs
  bool hasProjection_ = false;
  MAP_PARAstruct projection_{};
  std::size_t noteBytes_ = 0, arcPoints_ = 0,
              listValues_ = 0;  // note area, arc points, arc-list values so far
  double extent_[4] = {kBoundsStart, kBoundsStart, -kBoundsStart, -kBoundsStart};
  GeometryHolder geometry_ = MakeGeometry();
};

}  // namespace writer_model
