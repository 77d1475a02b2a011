// Failed opens, reads and writes: each scenario first runs clean, counting the
// opens, reads and writes it makes; then, for every n, runs again with the
// n-th of them failing. Every answer must be one of the library's codes, and
// an answer that differs from the clean run's must report the failure (a
// failure code, or the zero value of a typed read) unless the operation is
// documented to keep a failed load. The sanitizer build adds: nothing read or
// written out of bounds, nothing leaked. Then what survives a failed write of
// the writer: a projection stays in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "TerrixLib.h"
#include "WriterTestSupport.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/StyleFileBuilder.h"
#include "core/File.h"
#include "support/FileTest.h"

using namespace Terrix;
using Terrix::core::FileSeam;

namespace {

enum class Fault { Open, Read, Write };
enum class Kind {
  Code,    // a result code
  Count,   // a count (0 or more) or a failure code
  Value,   // a typed read or query: no code, its zero value when nothing was read
  Output,  // the bytes a scenario left in a file, read after the run
};

// What a failure leaves behind for the later answers of its group (the
// groups whose name begins with its group's name).
enum class Keep {
  Nothing,   // later answers are as clean
  Zeros,     // a table loaded once, or a record made current: later answers may be zero
  Anything,  // a failed open, or a table selection kept from before
};

struct Answer {
  std::string what;
  Kind kind;
  std::int64_t rc;
  std::string data;
  long before, after;  // the swept counter around the call
  std::string group;
  Keep keep;
};

long Counter(Fault f) {
  return f == Fault::Open   ? FileSeam::OpenCount()
         : f == Fault::Read ? FileSeam::ReadCount()
                            : FileSeam::WriteCount();
}

template <class T>
std::string Raw(const T& v) {
  return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

std::string Shape(const Geometry& g) {
  std::string s = Raw(g.type) + Raw(g.partCount) + Raw(g.vertexCount);
  for (int i = 0; i < g.partCount && g.partStart != nullptr; ++i)
    s += Raw(g.partStart[i]) + Raw(g.partType[i]);
  for (int i = 0; i < g.vertexCount && g.x != nullptr; ++i) s += Raw(g.x[i]) + Raw(g.y[i]);
  return s + Raw(g.minX) + Raw(g.minY) + Raw(g.maxX) + Raw(g.maxY);
}

// What a scenario answered, call after call.
class Transcript {
 public:
  explicit Transcript(Fault f) : fault_(f) {}
  void Add(const std::string& what, Kind kind, std::int64_t rc, const std::string& data = {},
           Keep keep = Keep::Nothing) {
    const long now = Counter(fault_);
    answers.push_back({what, kind, rc, data, last_, now, group, keep});
    last_ = now;
  }
  void Code(const std::string& what, std::int64_t rc, const std::string& data = {}) {
    Add(what, Kind::Code, rc, data);
  }
  void Value(const std::string& what, const std::string& data) { Add(what, Kind::Value, 0, data); }
  /// An element read into a record and a geometry, which is emptied again.
  template <class Record>
  void Element(const std::string& what, std::int32_t rc, const Record& r, Geometry* g) {
    Code(what, rc, Raw(r) + Shape(*g));
    EmptyGeometry(g);
  }
  std::vector<Answer> answers;
  std::string group;

 private:
  Fault fault_;
  long last_ = 0;
};

bool Known(std::int64_t rc) {
  static const std::set<std::int64_t> codes = {
      Result::Success,    Result::IoError,    Result::WriteBackFailed, Result::NotInUse,
      Result::NotHandled, Result::BadArcList, Result::PartSkipped,     Result::CannotOpen,
      Result::BadMagic,   Result::NoMemory,   Result::Refused,         Result::NotApplicable};
  return codes.count(rc) == 1;
}
bool Failure(const Answer& a) {
  return (a.kind == Kind::Code || a.kind == Kind::Count) && a.rc < 0 && Known(a.rc);
}
bool Zero(const std::string& data) {
  return data.find_first_not_of('\0') == std::string::npos;
}

using Scenario = std::function<void(Transcript&)>;

// Runs `run` clean, then with the n-th open, read or write failing for every
// n; returns how many failures were injected. Some failed write must show (a
// failed write that changes nothing anywhere is one that was never made).
long Sweep(const std::string& name, Fault fault, const Scenario& run) {
  bool shown = false;
  FileSeam::Reset();
  Transcript clean(fault);
  run(clean);
  const long total = Counter(fault);
  FileSeam::Reset();
  for (const Answer& a : clean.answers)
    EXPECT_TRUE(a.kind == Kind::Value || a.kind == Kind::Output || Known(a.rc) ||
                (a.kind == Kind::Count && a.rc >= 0))
        << name << " clean: " << a.what << " answered " << a.rc;
  for (long n = 1; n <= total; ++n) {
    FileSeam::Reset();
    (fault == Fault::Open   ? FileSeam::FailOpenAt
     : fault == Fault::Read ? FileSeam::FailReadAt
                            : FileSeam::FailWriteAt)(n);
    Transcript t(fault);
    run(t);
    FileSeam::Reset();
    if (t.answers.size() != clean.answers.size()) {
      ADD_FAILURE() << name << ": fault " << n << " changed the calls made";
      return total;
    }
    bool reported = false;
    std::vector<std::pair<std::string, Keep>> kept;
    for (std::size_t k = 0; k < t.answers.size(); ++k) {
      const Answer& a = t.answers[k];
      const Answer& c = clean.answers[k];
      const bool failing = a.before < n && n <= a.after;
      const std::string where = name + ": fault " + std::to_string(n) + " of " + std::to_string(total) +
                                (failing ? " in " : " before ") + a.what;
      if (a.kind == Kind::Code || a.kind == Kind::Count) {
        EXPECT_TRUE(Known(a.rc) || (a.kind == Kind::Count && a.rc >= 0)) << where << " answered " << a.rc;
      }
      const bool differs = a.rc != c.rc || a.data != c.data;
      shown = shown || differs;
      if (differs && Failure(a)) reported = true;
      // A file left different after a reported failure: what reads it may find anything.
      if (a.kind == Kind::Output && differs && reported) kept.emplace_back("", Keep::Anything);
      Keep excuse = failing && a.kind == Kind::Value ? Keep::Zeros : Keep::Nothing;
      for (const auto& [group, keep] : kept)
        if (a.group.compare(0, group.size(), group) == 0) excuse = std::max(excuse, keep);
      if (failing && a.keep != Keep::Nothing) kept.emplace_back(a.group, a.keep);
      if (!differs || Failure(a) || excuse == Keep::Anything || (excuse == Keep::Zeros && Zero(a.data)))
        continue;
      if (a.kind == Kind::Output && reported) continue;
      ADD_FAILURE() << where << " answered " << a.rc << " (clean " << c.rc << ") with other data";
    }
  }
  EXPECT_TRUE(shown || fault != Fault::Write || total == 0) << name << ": no failed write showed";
  return total;
}

// ---- Reading scenarios --------------------------------------------------------

// Calls go to fixed indices (one past the files' elements, fields and records
// included), so that every run makes the same calls whatever the counts say.
constexpr int kElements = 4, kFields = 4, kRecords = 3, kTics = 2;

// The attribute tables a reader reaches, each field of each record.
template <class Reader>
void ReadAttributes(Transcript& t, Reader& r) {
  const std::int32_t fields = r.GetFieldCount();
  t.Add("GetFieldCount", Kind::Count, fields);
  const std::int32_t records = r.GetRecordCount();
  t.Add("GetRecordCount", Kind::Count, records);
  std::vector<int> widths;
  for (int f = 0; f < kFields; ++f) {
    wchar_t name[21] = {};
    int width = 0, aux = 0, auxByte = 0;
    const std::int32_t type = r.GetFieldInfo(f, name, &width, &aux, &auxByte);
    t.Value("GetFieldInfo " + std::to_string(f),
            Raw(type) + Raw(name) + Raw(width) + Raw(aux) + Raw(auxByte));
    widths.push_back(width);
  }
  const std::string selector = t.group;
  for (int rec = 0; rec < kRecords; ++rec) {
    // A record is read when it becomes current: a failed read leaves it
    // without values until another record is asked for.
    t.group = selector + " record " + std::to_string(rec);
    for (int f = 0; f < kFields; ++f) {
      const std::string at = " " + std::to_string(rec) + "," + std::to_string(f);
      const char* text = r.ReadStringAttribute(rec, f);
      t.Add("ReadStringAttribute" + at, Kind::Value, 0, text != nullptr ? text : "", Keep::Zeros);
      t.Add("ReadLongAttribute" + at, Kind::Value, 0, Raw(r.ReadLongAttribute(rec, f)), Keep::Zeros);
      t.Add("ReadDoubleAttribute" + at, Kind::Value, 0, Raw(r.ReadDoubleAttribute(rec, f)), Keep::Zeros);
      const auto* bytes = static_cast<const char*>(r.ReadBinareyAttribute(rec, f));
      t.Add("ReadBinareyAttribute" + at, Kind::Value, 0,
            bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(std::max(widths[f], 0))) : "",
            Keep::Zeros);
    }
  }
  t.group = selector;
}

// Elements as every reader hands them out.
template <class Reader>
void ReadElements(Transcript& t, Reader& r) {
  GeometryHolder holder = MakeGeometry();
  Geometry* g = holder.get();
  for (int i = 0; i < kElements; ++i) {
    const std::string at = " " + std::to_string(i);
    TERRIX_PntInfo p{};
    t.Element("ReadPointInfo" + at, r.ReadPointInfo(i, &p, g), p, g);
    char note[260] = {};
    const std::int32_t rc = r.GetNoteInfo(i, note);
    t.Code("GetNoteInfo" + at, rc, note);
    TERRIX_LineInfo l{};
    t.Element("ReadArcInfo" + at, r.ReadArcInfo(i, &l, g), l, g);
    TERRIX_RegInfo reg{};
    t.Element("ReadPolygonInfo" + at, r.ReadPolygonInfo(i, &reg, g), reg, g);
  }
}

// Control points: loaded once, a failed load is not tried again.
template <class Reader>
void ReadTics(Transcript& t, Reader& r) {
  t.group = "tics";
  for (int i = 0; i < kTics; ++i) {
    TERRIX_Tic_Info tic{};
    const std::int32_t rc = r.GetTicInfo(i, &tic);
    t.Add("GetTicInfo " + std::to_string(i), Kind::Code, rc, Raw(tic), Keep::Zeros);
  }
  t.group.clear();
}

void ReadFast(Transcript& t, const std::wstring& path) {
  Terrix_FastReader r;
  t.group.clear();
  t.Add("Open", Kind::Code, r.Open(path.c_str()), {}, Keep::Anything);
  int points = 0, arcs = 0, regions = 0;
  std::string counts = Raw(r.GetPointCount(&points));
  counts += Raw(r.GetArcCount(&arcs));
  counts += Raw(r.GetPolygonCount(&regions));
  t.Value("counts", counts + Raw(points) + Raw(arcs) + Raw(regions));
  for (int i = 0; i < kElements; ++i) {
    const std::string at = " " + std::to_string(i);
    WKBPoint point{};
    const std::int32_t rc = r.ReadPointWKB(i, nullptr, &point);
    t.Code("ReadPointWKB" + at, rc, Raw(point));
    WKBLineString l{};
    const std::int32_t arc = r.ReadArcWKB(i, nullptr, &l);
    const std::uint32_t count = l.numPoints;  // a packed field: copied, not bound
    std::string data = Raw(count);
    if (l.points != nullptr) data.append(reinterpret_cast<const char*>(l.points), count * sizeof(Point2D));
    std::free(l.points);
    t.Code("ReadArcWKB" + at, arc, data);
    WKBPolygon p{};
    const std::int32_t polygon = r.ReadPolygonWKB(i, nullptr, &p);
    const std::uint32_t rings = p.numRings;
    t.Code("ReadPolygonWKB" + at, polygon, Raw(rings));
  }
  ReadElements(t, r);
  t.group = "topology";
  for (int i = 0; i <= kElements; ++i) {
    TERRIX_Topology topo{};
    const std::int32_t rc = r.GetTopoInfo(i, &topo);
    t.Add("GetTopoInfo " + std::to_string(i), Kind::Code, rc, Raw(topo), Keep::Zeros);
  }
  ReadTics(t, r);
  for (int selector : {0, 1, 2, 7}) {
    // A failed load keeps the previous table current (for the later selectors
    // too, when they are refused), and the host cannot tell.
    t.group = "tables";
    r.SetAttributeType(selector);
    t.Add("SetAttributeType " + std::to_string(selector), Kind::Value, 0, {}, Keep::Anything);
    ReadAttributes(t, r);
  }
}

void ReadMem(Transcript& t, const std::wstring& path, bool asPolyArc) {
  Terrix_MemReader r;
  t.group.clear();
  t.Add("Open", Kind::Code, r.Open(path.c_str()), {}, Keep::Anything);
  if (asPolyArc) r.ReadAsPolyArc();
  int elements = 0, nodes = 0, regions = 0;
  std::string counts = Raw(r.GetPntCount(&elements));
  counts += Raw(r.GetNetPntCount(&nodes));
  counts += Raw(r.GetRegCount(&regions));
  t.Value("counts", counts + Raw(elements) + Raw(nodes) + Raw(regions));
  GeometryHolder g = MakeGeometry();
  for (int i = 0; i < kElements; ++i) {
    TERRIX_PntInfo p{};
    t.Element("ReadNetPointInfo " + std::to_string(i), r.ReadNetPointInfo(i, &p, g.get()), p, g.get());
  }
  ReadElements(t, r);
  ReadTics(t, r);
  ReadAttributes(t, r);
}

void ReadEdit(Transcript& t, const std::wstring& path) {
  Terrix_Reader r;
  t.group.clear();
  t.Add("Open", Kind::Code, r.Open(path.c_str()), {}, Keep::Anything);
  int count = 0, shape = 0, tics = 0;
  const std::string info = Raw(r.GetInfo(&count, &shape, &tics));
  t.Value("GetInfo", info + Raw(count) + Raw(shape) + Raw(tics));
  t.group = "labels";  // loaded once, as the tics
  for (int i = 0; i < kElements; ++i) {
    TERRIX_RegExt label{};
    const std::int32_t rc = r.GetPolyLab(i, &label);
    t.Add("GetPolyLab " + std::to_string(i), Kind::Code, rc, Raw(label), Keep::Zeros);
  }
  t.group.clear();
  ReadElements(t, r);
  ReadTics(t, r);
  ReadAttributes(t, r);
}

// ---- Writing scenarios ---------------------------------------------------------

std::string FileBytes(const std::string& path) {
  const tb::Bytes b = tb::ReadFile(path);
  return std::string(b.begin(), b.end());
}

// A new file of `kind` with three elements and two fields, through each Flush
// step, then read back.
void WriteMap(Transcript& t, const tb::TempDir& dir, int kind) {
  using namespace writer_support;
  const std::wstring path = dir.WidePath("new.tmf");
  {
    StepWriter w;
    // A writer without a file refuses what it is given.
    t.Add("Create", Kind::Code, w.Create(path.c_str(), kind), {}, Keep::Anything);
    MAP_PARAstruct projection{};
    projection.type = 3;
    w.WriteProjection(&projection);
    t.Add("AddFieldInfo name", Kind::Count, w.AddFieldInfo(L"name", 0, 6, 0, 0));
    t.Add("AddFieldInfo id", Kind::Count, w.AddFieldInfo(L"id", 3, 4, 0, 0));
    const Terrix::GeometryHolder square = Geo({{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}, {0});
    for (int e = 0; e < 3; ++e) {
      const std::string at = " " + std::to_string(e);
      if (kind == tb::kPoint)
        t.Code("AddPointInfo" + at, w.AddPointInfo(InUsePoint(e, -e), *square, e == 1 ? "note" : ""));
      if (kind == tb::kLine)
        t.Code("AddArcInfo" + at, w.AddArcInfo(InUse<TERRIX_LineInfo>(), *Geo(Ramp(2 + e), {0}), 0));
      if (kind == tb::kRegion)
        t.Code("AddPolygonInfo" + at, w.AddPolygonInfo(InUse<TERRIX_RegInfo>(), *square));
      t.Value("WriteStringAttribute" + at, Raw(w.WriteStringAttribute(e, 0, "abc")));
      t.Value("WriteLongAttribute" + at, Raw(w.WriteLongAttribute(e, 1, 7 * e)));
    }
    t.Code("BuildMapPart", w.BuildMapPart());
    t.Code("WriteHeadInfo", w.WriteHeadInfo());
    t.Code("WriteGeomInfo", w.WriteGeomInfo());
    t.Code("WriteGeometry", w.WriteGeometry());
    t.Code("WriteFieldInfo", w.WriteFieldInfo());
    t.Code("WriteRecordAll", w.WriteRecordAll());
    t.Code("WriteEndInfo", w.WriteEndInfo());
  }
  t.Add("file", Kind::Output, 0, FileBytes(dir.Path("new.tmf")));
  ReadFast(t, path);
}

// The element records of a copy of `source` changed in place and written back.
void EditMap(Transcript& t, const tb::TempDir& dir, const std::string& source, int kind) {
  tb::WriteFile(dir.Path("edit.tmf"), tb::ReadFile(source));
  {
    Terrix_Reader r;
    t.Code("Open", r.Open(dir.WidePath("edit.tmf").c_str()));
    for (int i = 0; i < kElements; ++i) {
      const std::string at = " " + std::to_string(i);
      TERRIX_PntInfo p{};
      TERRIX_LineInfo l{};
      TERRIX_RegInfo g{};
      const std::int32_t rc =
          kind == tb::kPoint ? r.ReadPointInfo(i, &p, nullptr) : r.ReadArcInfo(i, &l, nullptr);
      t.Code("ReadInfo" + at, rc, Raw(p) + Raw(l));
      if (kind == tb::kRegion) {
        const std::int32_t region = r.ReadPolygonInfo(i, &g, nullptr);
        t.Code("ReadPolygonInfo" + at, region, Raw(g));
      }
      p.display0[0] ^= 0x5A;
      l.display1[0] ^= 0x5A;
      g.display[0] ^= 0x5A;
      if (kind == tb::kPoint) t.Code("SetPointInfo" + at, r.SetPointInfo(i, p));
      if (kind != tb::kPoint) t.Code("SetArcInfo" + at, r.SetArcInfo(i, l));
      if (kind == tb::kRegion) t.Code("SetPolygonInfo" + at, r.SetPolygonInfo(i, g));
    }
    t.Code("WriteGeomInfo", r.WriteGeomInfo());
  }
  t.Add("file", Kind::Output, 0, FileBytes(dir.Path("edit.tmf")));
}

// ---- Styling scenarios --------------------------------------------------------

void Project(Transcript& t, const tb::TempDir& dir, const tb::Bytes& file) {
  tb::WriteFile(dir.Path("p.mpj"), file);
  const std::wstring path = dir.WidePath("p.mpj");
  Terrix_Prj prj;
  // After a failed load the object holds what was read until it is loaded again.
  t.Add("LoadProject", Kind::Count, prj.LoadProject(path.c_str()), {}, Keep::Anything);
  for (int i = 0; i < 3; ++i) {
    wchar_t name[200] = {};
    double v1 = 0, v2 = 0;
    const std::string kind = Raw(prj.GetItemInfo(i, name, &v1, &v2));
    t.Value("GetItemInfo " + std::to_string(i), kind + Raw(name) + Raw(v1) + Raw(v2));
  }
  t.Value("SetItemInfo", Raw(prj.SetItemInfo(1, L"changed", 5.0, 6.0, 2)));
  t.Add("SaveProject", Kind::Count, prj.SaveProject(path.c_str()));
  t.Add("file", Kind::Output, 0, FileBytes(dir.Path("p.mpj")));
}

void Colors(Transcript& t, const std::wstring& path) {
  Terrix_ColorLib lib;
  t.Add("LoadColors", Kind::Count, lib.LoadColors(path.c_str()), {}, Keep::Anything);
  for (int c = 1; c <= 3; ++c) t.Value("GetCMYK " + std::to_string(c), Raw(lib.GetCMYK(c)));
}

void Legend(Transcript& t, const std::wstring& path) {
  Terrix_Legend legend;
  t.Add("Open", Kind::Count, legend.Open(path.c_str()), {}, Keep::Anything);
  for (int i = 0; i < 4; ++i) {
    TERRIX_LegendItem item{};
    PNT_INFOstruct point{};
    LIN_INFOstruct line{};
    REG_INFOstruct region{};
    const std::int32_t rc = legend.GetLegendInfo(i, &item, &point, &line, &region);
    t.Add("GetLegendInfo " + std::to_string(i), Kind::Count, rc,
          Raw(item) + Raw(point) + Raw(line) + Raw(region));
  }
  legend.Close();
}

void Symbol(Transcript& t, const std::wstring& path) {
  Terrix_Symbol symbol;
  const std::int32_t rc = symbol.Open(path.c_str());
  t.Add("Open", Kind::Count, rc, Raw(symbol.head), Keep::Anything);
  symbol.Close();
}

// ---- The files -----------------------------------------------------------------

class FailureInjection : public support::FileTest {
 protected:
  // Two or three elements of each kind, a tic, a topology table and a table
  // of four typed fields: small enough that every sweep stays fast.
  static tb::AttributeSection Table(int elements) {
    tb::AttributeSection a;
    a.Field("name", 0, 6).Field("id", 3, 4).Field("len", 5, 8).Field("raw", 11, 3).Elements(elements);
    for (int e = 0; e < elements; ++e)
      a.Text(e, 0, " n" + std::to_string(e)).Put(e, 1, 10 + e).Put(e, 2, 0.5 * e).Value(e, 3, {1, 2, 3});
    return a;
  }
  std::wstring MapFile(int kind) {
    tb::ElementFile f(kind);
    const std::uint32_t tic = f.Coordinates().Raw(tb::Pattern(32, 7));
    if (kind == tb::kPoint) {
      f.AddPoint(1, 2, "first note");
      f.AddPoint(3, 4, "");
      f.AddPoint(5, 6, "x", 0);
    } else if (kind != tb::kTable) {
      f.AddArc({{0, 0}, {1, 0}, {1, 1}});
      f.AddArc({{1, 1}, {0, 1}, {0, 0}});
      f.AddArc({{5, 5}, {6, 6}}, 0);
    }
    if (kind == tb::kRegion) {
      f.AddPolygon({1, 2});
      f.AddPolygon({1, 0, -2});
      f.AddPolygon({3, 1});
    }
    if (kind == tb::kNetwork) {
      f.AddNode(0, 0, tb::Pattern(94, 1));
      f.AddNode(1, 1, tb::Pattern(94, 2), 0);
    }
    tb::MapFileBuilder file = kind == tb::kTable ? tb::MapFileBuilder(tb::kTable) : f.Build();
    file.Tics(1, tic);
    if (kind == tb::kTable) file.Section(1, tb::Bytes(2, 0)).Section(0, Table(3).Build());
    if (kind != tb::kTable) file.Section(2, Table(3).Build()).Section(3, tb::Pattern(24 * 4, 9));
    if (kind == tb::kRegion) file.Section(9, Table(3).Build());
    if (kind == tb::kNetwork || kind == tb::kLine) file.Section(5, Table(2).Build());
    return Write("map" + std::to_string(kind) + ".tmf", file.Build());
  }
  // Every fault of the three kinds; returns the number injected.
  long SweepAll(const std::string& name, const Scenario& run) {
    long injected = 0;
    for (Fault f : {Fault::Open, Fault::Read, Fault::Write}) injected += Sweep(name, f, run);
    RecordProperty(name, static_cast<int>(injected));
    std::printf("%-28s %ld injected failures\n", name.c_str(), injected);
    return injected;
  }
};

TEST_F(FailureInjection, ReadersOverEveryFileKind) {
  for (int kind : {tb::kPoint, tb::kLine, tb::kRegion, tb::kNetwork, tb::kTable}) {
    const std::wstring path = MapFile(kind);
    const std::string k = " kind " + std::to_string(kind);
    EXPECT_GT(SweepAll("fast reader" + k, [&](Transcript& t) { ReadFast(t, path); }), 10);
    SweepAll("memory reader" + k, [&](Transcript& t) { ReadMem(t, path, false); });
    if (kind == tb::kRegion)
      SweepAll("memory reader arcs" + k, [&](Transcript& t) { ReadMem(t, path, true); });
    if (kind != tb::kNetwork) SweepAll("editing reader" + k, [&](Transcript& t) { ReadEdit(t, path); });
  }
}

TEST_F(FailureInjection, WritingEditingAndSaving) {
  for (int kind : {tb::kPoint, tb::kLine, tb::kRegion, tb::kTable}) {
    const std::string k = " kind " + std::to_string(kind);
    SweepAll("writer" + k, [&](Transcript& t) { WriteMap(t, dir, kind); });
    if (kind != tb::kTable) {
      MapFile(kind);
      const std::string source = dir.Path("map" + std::to_string(kind) + ".tmf");
      SweepAll("editing writes" + k, [&](Transcript& t) { EditMap(t, dir, source, kind); });
    }
  }
  tb::ProjectFileBuilder project;
  project.Extent(1, 2, 3, 4).AddItem(1, "roads", "the roads", 1.0, 2.0).AddItem(2, "lakes", "", 3.0, 4.0);
  SweepAll("project", [&](Transcript& t) { Project(t, dir, project.Build()); });
}

TEST_F(FailureInjection, StylingFiles) {
  tb::ColorLibBuilder colors;
  colors.InkCount(2).Ink(0, 10, 20, 30, 40).Ink(1, 1, 2, 3, 4).AddColor(1, 2, 3, 4, {50, 60});
  colors.AddColor(9, 8, 7, 6).AddColor(0, 0, 0, 100);
  const std::wstring lib = Write("c.lib", colors.Build());
  SweepAll("colour library", [&](Transcript& t) { Colors(t, lib); });

  tb::LegendBuilder legend;
  legend.AddItem(1, 0, 0x11).AddItem(0, 94, 0x22).AddItem(2, 161, 0x33);
  legend.Style(tb::Pattern(94, 1)).Style(tb::Pattern(67, 101)).Style(tb::Pattern(63, 201));
  const std::wstring lgd = Write("l.lgd", legend.Build());
  SweepAll("legend", [&](Transcript& t) { Legend(t, lgd); });

  const std::wstring sym = Write("s.sym", tb::Pattern(40, 3));
  SweepAll("symbol library", [&](Transcript& t) { Symbol(t, sym); });
}

// ---- What the writer keeps through a failed write ----------------------------

TEST(WriterFailedWrites, AProjectionLostOnDiskIsKeptForFlush) {
  tb::TempDir dir;
  Terrix_Writer w;
  ASSERT_EQ(w.Create(dir.WidePath("p.tmf").c_str(), 1), Result::Success);
  MAP_PARAstruct p{};
  p.type = 4;
  FileSeam::Reset();
  FileSeam::FailWriteAt(1);
  w.WriteProjection(&p);
  FileSeam::Reset();
  w.Flush();
  w.Close();
  const tb::Bytes f = tb::ReadFile(dir.Path("p.tmf"));
  ASSERT_EQ(f.size(), 1297u);
  EXPECT_EQ(f[91], 4);
}

}  // namespace
