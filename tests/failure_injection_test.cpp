// Failed opens, reads and writes: each scenario runs clean, counting its opens,
// reads and writes, then again with the n-th of them failing, for every n.
// Every answer must be one of the library's codes, and one that differs from
// the clean run's must report the failure (a failure code, or a typed read's
// zero value) unless the operation is documented to keep a failed load.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "TerrixLib.h"
#include "WriterTestSupport.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/StyleFileBuilder.h"
#include "support/FileTest.h"

using namespace Terrix;
using Terrix::core::FileSeam;

namespace {

// A swept operation: its counter and how to make its n-th call fail.
struct Fault {
  long (*count)();
  void (*failAt)(long);
};
const Fault kFaults[] = {{FileSeam::OpenCount, FileSeam::FailOpenAt},
                         {FileSeam::ReadCount, FileSeam::FailReadAt},
                         {FileSeam::WriteCount, FileSeam::FailWriteAt}};
const Fault& kWrite = kFaults[2];

// What an answer is: a result code; a count (0 or more) or a failure code; a
// typed read or query (no code: its zero value when nothing was read); the
// bytes a scenario left in a file, read after the run.
enum class Kind { Code, Count, Value, Output };
// What a failure leaves behind for the later answers of its group (the groups
// whose name begins with its group's name): nothing, later answers are as
// clean; zeros (a table loaded once, or a record made current); anything (a
// failed open, or a table selection kept from before).
enum class Keep { Nothing, Zeros, Anything };

struct Answer {
  std::string what;
  Kind kind;
  std::int64_t rc;
  std::string data;
  long before, after;  // the swept counter around the call
  std::string group;
  Keep keep;
};

// What a scenario answered, call after call.
struct Transcript {
  explicit Transcript(const Fault& f) : fault(f) {}
  const Fault& fault;
  std::vector<Answer> answers;
  std::string group;
  long last = 0;

  // A call's answer and the bytes of what it filled, taken after the call.
  template <class... Out>
  void Add(Kind kind, Keep keep, const std::string& what, std::int64_t rc, const Out&... out) {
    const long now = fault.count();
    answers.push_back({what, kind, rc, (std::string() + ... + Bytes(out)), last, now, group, keep});
    last = now;
  }
  template <class... Out>
  void Code(const std::string& what, std::int64_t rc, const Out&... out) {
    Add(Kind::Code, Keep::Nothing, what, rc, out...);
  }
  template <class... Out>
  void Value(const std::string& what, const Out&... out) {
    Add(Kind::Value, Keep::Nothing, what, 0, out...);
  }
  // The bytes a scenario left in a file, read after the run.
  void Output(const std::string& path) {
    const tb::Bytes b = tb::ReadFile(path);
    Add(Kind::Output, Keep::Nothing, "file", 0, std::string(b.begin(), b.end()));
  }
  template <class T>
  static std::string Bytes(const T& v) {
    return std::string(reinterpret_cast<const char*>(&v), sizeof v);
  }
  static std::string Bytes(const std::string& s) { return s; }
  static std::string Shape(const Geometry& g) {
    std::string s = Bytes(g.type) + Bytes(g.partCount) + Bytes(g.vertexCount);
    for (int i = 0; i < g.partCount && g.partStart != nullptr; ++i)
      s += Bytes(g.partStart[i]) + Bytes(g.partType[i]);
    for (int i = 0; i < g.vertexCount && g.x != nullptr; ++i) s += Bytes(g.x[i]) + Bytes(g.y[i]);
    return s + Bytes(g.minX) + Bytes(g.minY) + Bytes(g.maxX) + Bytes(g.maxY);
  }
  // An element read into a record and a geometry, which is emptied again.
  template <class Record>
  void Element(const std::string& what, std::int32_t rc, const Record& r, Geometry* g) {
    Code(what, rc, r, Shape(*g));
    EmptyGeometry(g);
  }
};

bool Known(const Answer& a) {
  static const std::set<std::int64_t> codes = {
      Result::Success,    Result::IoError,    Result::WriteBackFailed, Result::NotInUse,
      Result::NotHandled, Result::BadArcList, Result::PartSkipped,     Result::CannotOpen,
      Result::BadMagic,   Result::NoMemory,   Result::Refused,         Result::NotApplicable};
  return a.kind == Kind::Value || a.kind == Kind::Output || codes.count(a.rc) == 1 ||
         (a.kind == Kind::Count && a.rc >= 0);
}
bool Failure(const Answer& a) {
  return (a.kind == Kind::Code || a.kind == Kind::Count) && a.rc < 0 && Known(a);
}

using Scenario = std::function<void(Transcript&)>;

// Returns how many failures were injected. Some failed write must show (one
// that changes nothing anywhere is one that was never made).
long Sweep(const std::string& name, const Fault& fault, const Scenario& run) {
  bool shown = false;
  FileSeam::Reset();
  Transcript clean(fault);
  run(clean);
  const long total = fault.count();
  for (const Answer& a : clean.answers)
    EXPECT_TRUE(Known(a)) << name << " clean: " << a.what << " answered " << a.rc;
  for (long n = 1; n <= total; ++n) {
    FileSeam::Reset();
    fault.failAt(n);
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
      EXPECT_TRUE(Known(a)) << where << " answered " << a.rc;
      const bool differs = a.rc != c.rc || a.data != c.data;
      shown = shown || differs;
      if (differs && Failure(a)) reported = true;
      // A file left different after a reported failure: what reads it may find anything.
      if (a.kind == Kind::Output && differs && reported) kept.emplace_back("", Keep::Anything);
      Keep excuse = failing && a.kind == Kind::Value ? Keep::Zeros : Keep::Nothing;
      for (const auto& [group, keep] : kept)
        if (a.group.compare(0, group.size(), group) == 0) excuse = std::max(excuse, keep);
      if (failing && a.keep != Keep::Nothing) kept.emplace_back(a.group, a.keep);
      const bool zero = a.data.find_first_not_of('\0') == std::string::npos;
      if (!differs || Failure(a) || excuse == Keep::Anything || (excuse == Keep::Zeros && zero)) continue;
      if (a.kind == Kind::Output && reported) continue;
      ADD_FAILURE() << where << " answered " << a.rc << " (clean " << c.rc << ") with other data";
    }
  }
  EXPECT_TRUE(shown || &fault != &kWrite || total == 0) << name << ": no failed write showed";
  return total;
}

// Calls go to fixed indices (one past the files' elements, fields and records
// included), so that every run makes the same calls whatever the counts say.
constexpr int kElements = 4, kFields = 4, kRecords = 3, kTics = 2;

// The current attribute table, each field of each record.
template <class Reader>
void ReadAttributes(Transcript& t, Reader& r) {
  t.Add(Kind::Count, Keep::Nothing, "GetFieldCount", r.GetFieldCount());
  t.Add(Kind::Count, Keep::Nothing, "GetRecordCount", r.GetRecordCount());
  int widths[kFields] = {}, aux = 0, auxByte = 0;
  for (int f = 0; f < kFields; ++f) {
    wchar_t name[21] = {};
    t.Value("GetFieldInfo " + std::to_string(f), r.GetFieldInfo(f, name, &widths[f], &aux, &auxByte), name,
            widths[f], aux, auxByte);
  }
  const std::string selector = t.group;
  for (int rec = 0; rec < kRecords; ++rec) {
    // A record is read when it becomes current: a failed read leaves it
    // without values until another record is asked for.
    t.group = selector + " record " + std::to_string(rec);
    for (int f = 0; f < kFields; ++f) {
      const auto value = [&](const char* op, const auto& data) {
        t.Add(Kind::Value, Keep::Zeros, op + (" " + std::to_string(rec) + "," + std::to_string(f)), 0, data);
      };
      const char* text = r.ReadStringAttribute(rec, f);
      value("ReadStringAttribute", std::string(text != nullptr ? text : ""));
      value("ReadLongAttribute", r.ReadLongAttribute(rec, f));
      value("ReadDoubleAttribute", r.ReadDoubleAttribute(rec, f));
      const auto* bytes = static_cast<const char*>(r.ReadBinareyAttribute(rec, f));
      value("ReadBinareyAttribute", bytes != nullptr ? std::string(bytes, std::max(widths[f], 0)) : "");
    }
  }
  t.group = selector;
}

// Every read of `Reader`. A failed open leaves it refusing everything; control
// points, topology and labels are loaded once (a failed load is not retried).
template <class Reader>
void Read(Transcript& t, const std::wstring& path) {
  constexpr bool fast = std::is_same_v<Reader, Terrix_FastReader>,
                 mem = std::is_same_v<Reader, Terrix_MemReader>;
  Reader r;
  t.group.clear();
  t.Add(Kind::Code, Keep::Anything, "Open", r.Open(path.c_str()));
  GeometryHolder holder = MakeGeometry();
  Geometry* g = holder.get();
  int n[3] = {};
  if constexpr (fast) {
    const std::int32_t counts[] = {r.GetPointCount(&n[0]), r.GetArcCount(&n[1]), r.GetPolygonCount(&n[2])};
    t.Value("counts", counts, n);
  } else if constexpr (mem) {
    const std::int32_t counts[] = {r.GetPntCount(&n[0]), r.GetNetPntCount(&n[1]), r.GetRegCount(&n[2])};
    t.Value("counts", counts, n);
    for (int i = 0; i < kElements; ++i) {
      TERRIX_PntInfo p{};
      t.Element("ReadNetPointInfo " + std::to_string(i), r.ReadNetPointInfo(i, &p, g), p, g);
    }
  } else {
    t.Value("GetInfo", r.GetInfo(&n[0], &n[1], &n[2]), n);
  }
  for (int i = 0; i <= kElements; ++i) {  // elements, and the topology or labels one further
    const std::string at = " " + std::to_string(i);
    t.group = fast ? "topology" : "labels";
    TERRIX_Topology topo{};
    TERRIX_RegExt label{};
    if constexpr (fast) t.Add(Kind::Code, Keep::Zeros, "GetTopoInfo" + at, r.GetTopoInfo(i, &topo), topo);
    if constexpr (!fast && !mem)
      t.Add(Kind::Code, Keep::Zeros, "GetPolyLab" + at, r.GetPolyLab(i, &label), label);
    t.group.clear();
    if (i == kElements) break;
    TERRIX_PntInfo p{};
    t.Element("ReadPointInfo" + at, r.ReadPointInfo(i, &p, g), p, g);
    char note[260] = {};
    t.Code("GetNoteInfo" + at, r.GetNoteInfo(i, note), note);
    TERRIX_LineInfo l{};
    t.Element("ReadArcInfo" + at, r.ReadArcInfo(i, &l, g), l, g);
    TERRIX_RegInfo reg{};
    t.Element("ReadPolygonInfo" + at, r.ReadPolygonInfo(i, &reg, g), reg, g);
  }
  t.group = "tics";
  for (int i = 0; i < kTics; ++i) {
    TERRIX_Tic_Info tic{};
    t.Add(Kind::Code, Keep::Zeros, "GetTicInfo " + std::to_string(i), r.GetTicInfo(i, &tic), tic);
  }
  t.group.clear();
  if constexpr (!fast) ReadAttributes(t, r);
  if constexpr (fast) {
    for (int selector : {0, 1, 2, 7}) {
      // A failed load keeps the previous table current (for the later selectors
      // too, when they are refused), and the host cannot tell.
      t.group = "tables";
      r.SetAttributeType(selector);
      t.Add(Kind::Value, Keep::Anything, "SetAttributeType " + std::to_string(selector), 0);
      ReadAttributes(t, r);
    }
  }
}

// A new file of `kind` of three elements and two fields, then read back.
void WriteMap(Transcript& t, const tb::TempDir& dir, int kind) {
  using namespace writer_support;
  const std::wstring path = dir.WidePath("new.tmf");
  {
    StepWriter w;
    // A writer without a file refuses what it is given.
    t.Add(Kind::Code, Keep::Anything, "Create", w.Create(path.c_str(), kind));
    MAP_PARAstruct projection{};
    projection.type = 3;
    w.WriteProjection(&projection);
    t.Add(Kind::Count, Keep::Nothing, "AddFieldInfo name", w.AddFieldInfo(L"name", 0, 6, 0, 0));
    t.Add(Kind::Count, Keep::Nothing, "AddFieldInfo id", w.AddFieldInfo(L"id", 3, 4, 0, 0));
    const Terrix::GeometryHolder square = Geo({{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}, {0});
    for (int e = 0; e < 3; ++e) {
      const std::string at = " " + std::to_string(e);
      if (kind == tb::kPoint)
        t.Code("AddPointInfo" + at, w.AddPointInfo(InUsePoint(e, -e), *square, e == 1 ? "note" : ""));
      if (kind == tb::kLine)
        t.Code("AddArcInfo" + at, w.AddArcInfo(InUse<TERRIX_LineInfo>(), *Geo(Ramp(2 + e), {0}), 0));
      if (kind == tb::kRegion)
        t.Code("AddPolygonInfo" + at, w.AddPolygonInfo(InUse<TERRIX_RegInfo>(), *square));
      t.Value("WriteStringAttribute" + at, w.WriteStringAttribute(e, 0, "abc"));
      t.Value("WriteLongAttribute" + at, w.WriteLongAttribute(e, 1, 7 * e));
    }
    int step = 0;  // BuildMapPart, WriteHeadInfo, ..., WriteEndInfo
    for (auto call : {&StepWriter::BuildMapPart, &StepWriter::WriteHeadInfo, &StepWriter::WriteGeomInfo,
                      &StepWriter::WriteGeometry, &StepWriter::WriteFieldInfo, &StepWriter::WriteRecordAll,
                      &StepWriter::WriteEndInfo})
      t.Code("Flush step " + std::to_string(step++), (w.*call)());
  }
  t.Output(dir.Path("new.tmf"));
  Read<Terrix_FastReader>(t, path);
}

class FailureInjection : public support::FileTest {
 protected:
  static tb::Bytes Table(int elements) {
    tb::AttributeSection a;
    a.Field("name", 0, 6).Field("id", 3, 4).Field("len", 5, 8).Field("raw", 11, 3).Elements(elements);
    for (int e = 0; e < elements; ++e)
      a.Text(e, 0, " n" + std::to_string(e)).Put(e, 1, 10 + e).Put(e, 2, 0.5 * e).Value(e, 3, {1, 2, 3});
    return a.Build();
  }
  // Three elements of a kind, a tic, topology and tables of four typed fields.
  std::wstring MapFile(int kind) {
    tb::ElementFile f(kind);
    const std::uint32_t tic = f.Coordinates().Raw(tb::Pattern(32, 7));
    if (kind == tb::kPoint) f.AddPoint(1, 2, "first note"), f.AddPoint(3, 4, ""), f.AddPoint(5, 6, "x", 0);
    if (kind != tb::kPoint && kind != tb::kTable)
      f.AddArc({{0, 0}, {1, 0}, {1, 1}}), f.AddArc({{1, 1}, {0, 1}, {0, 0}}), f.AddArc({{5, 5}, {6, 6}}, 0);
    if (kind == tb::kRegion) f.AddPolygon({1, 2}), f.AddPolygon({1, 0, -2}), f.AddPolygon({3, 1});
    if (kind == tb::kNetwork) f.AddNode(0, 0, tb::Pattern(94, 1)), f.AddNode(1, 1, tb::Pattern(94, 2), 0);
    tb::MapFileBuilder file = kind == tb::kTable ? tb::MapFileBuilder(tb::kTable) : f.Build();
    file.Tics(1, tic);
    if (kind == tb::kTable) file.Section(1, tb::Bytes(2, 0)).Section(0, Table(3));
    if (kind != tb::kTable) file.Section(2, Table(3)).Section(3, tb::Pattern(24 * 4, 9));
    if (kind == tb::kRegion) file.Section(9, Table(3));
    if (kind == tb::kNetwork || kind == tb::kLine) file.Section(5, Table(2));
    return Write("map" + std::to_string(kind) + ".tmf", file.Build());
  }
  // Every fault of the three kinds over each scenario.
  std::vector<std::pair<std::string, Scenario>> scenarios;
  void SweepAll() {
    for (const auto& [name, run] : scenarios) {
      long injected = 0;
      for (const Fault& f : kFaults) injected += Sweep(name, f, run);
      std::printf("%-28s %ld injected failures\n", name.c_str(), injected);
      EXPECT_GT(injected, 1) << name;
    }
  }
};

TEST_F(FailureInjection, ReadersOverEveryFileKind) {
  for (int kind : {tb::kPoint, tb::kLine, tb::kRegion, tb::kNetwork, tb::kTable}) {
    const std::wstring path = MapFile(kind);
    const std::string k = " kind " + std::to_string(kind);
    scenarios.emplace_back("fast reader" + k, [=](Transcript& t) { Read<Terrix_FastReader>(t, path); });
    scenarios.emplace_back("memory reader" + k, [=](Transcript& t) { Read<Terrix_MemReader>(t, path); });
    if (kind != tb::kNetwork)
      scenarios.emplace_back("editing reader" + k, [=](Transcript& t) { Read<Terrix_Reader>(t, path); });
  }
  SweepAll();
}

TEST_F(FailureInjection, WritingSavingAndStylingFiles) {
  for (int kind : {tb::kPoint, tb::kLine, tb::kRegion, tb::kTable})
    scenarios.emplace_back("writer kind " + std::to_string(kind),
                           [=](Transcript& t) { WriteMap(t, dir, kind); });
  // After a failed load a project holds what was read until it is loaded again.
  tb::ProjectFileBuilder project;
  project.Extent(1, 2, 3, 4).AddItem(1, "roads", "the roads", 1.0, 2.0).AddItem(2, "lakes", "", 3.0, 4.0);
  scenarios.emplace_back("project", [=](Transcript& t) {
    tb::WriteFile(dir.Path("p.mpj"), project.Build());
    const std::wstring path = dir.WidePath("p.mpj");
    Terrix_Prj prj;
    t.Add(Kind::Count, Keep::Anything, "LoadProject", prj.LoadProject(path.c_str()));
    for (int i = 0; i < 3; ++i) {
      wchar_t name[200] = {};
      double v1 = 0, v2 = 0;
      t.Value("GetItemInfo " + std::to_string(i), prj.GetItemInfo(i, name, &v1, &v2), name, v1, v2);
    }
    t.Value("SetItemInfo", prj.SetItemInfo(1, L"changed", 5.0, 6.0, 2));
    t.Add(Kind::Count, Keep::Nothing, "SaveProject", prj.SaveProject(path.c_str()));
    t.Output(dir.Path("p.mpj"));
  });
  tb::ColorLibBuilder colors;
  colors.InkCount(2).Ink(0, 10, 20, 30, 40).Ink(1, 1, 2, 3, 4).AddColor(1, 2, 3, 4, {50, 60});
  const std::wstring lib = Write("c.lib", colors.AddColor(9, 8, 7, 6).AddColor(0, 0, 0, 100).Build());
  scenarios.emplace_back("colour library", [=](Transcript& t) {
    Terrix_ColorLib colors;
    t.Add(Kind::Count, Keep::Anything, "LoadColors", colors.LoadColors(lib.c_str()));
    for (int c = 1; c <= 3; ++c) t.Value("GetCMYK " + std::to_string(c), colors.GetCMYK(c));
  });
  const std::wstring sym = Write("s.sym", tb::Pattern(40, 3));
  scenarios.emplace_back("symbol library", [=](Transcript& t) {
    Terrix_Symbol symbol;
    t.Add(Kind::Count, Keep::Anything, "Open", symbol.Open(sym.c_str()), symbol.head);
  });
  SweepAll();
}

// What the writer keeps through a failed write: a projection lost on disk.
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
