// Damaged files are normal input: one table of cases (a valid file, one edit,
// the code each reader must answer) runs through the three readers. (Random
// damage through every reading operation is the fuzz targets' work.)
#include <gtest/gtest.h>

#include <functional>

#include "TerrixLib.h"
#include "builder/ElementRecords.h"

using namespace Terrix;
using namespace Terrix::Result;

namespace {

enum Op { kOpen, kPoint, kNote, kArc, kPolygon };

// Opens the file and answers Open's code, or that of one element read.
template <class Reader>
std::int32_t Answer(const std::wstring& path, Op op, int index) {
  Reader r;
  const std::int32_t open = r.Open(path.c_str());
  GeometryHolder g = MakeGeometry();
  char note[260];
  return op == kOpen    ? open
         : op == kPoint ? r.ReadPointInfo(index, nullptr, g.get())
         : op == kNote  ? r.GetNoteInfo(index, note)
         : op == kArc   ? r.ReadArcInfo(index, nullptr, g.get())
                        : r.ReadPolygonInfo(index, nullptr, g.get());
}

using File = std::function<tb::MapFileBuilder()>;
using Edit = std::function<void(tb::MapFileBuilder&)>;

// A line file: arc 1 of two points, then arc 2 (index 1) of `pointCount`
// points from two points at the end of the file; `edit` changes its head.
File Arc(
    std::int32_t pointCount, std::uint8_t state = 1, const Edit& edit = [](tb::MapFileBuilder&) {}) {
  return [=] {
    tb::ElementFile f(tb::kLine);
    f.AddArc({{1, 1}, {2, 2}});
    f.AddArcRecord(state, pointCount, f.Coordinates().Points({{3, 4}, {5, 6}}));
    tb::MapFileBuilder b = f.Build();
    edit(b);
    return b;
  };
}
void HugeSection(tb::MapFileBuilder& b) {
  b.OverrideEntry(1, b.SectionOffset(1), 0xFFFFFFF0u);
}
File Head(const Edit& edit) {
  return Arc(2, 1, edit);
}
// A region file of arcs 1 (3 points), 2 (not in use) and 3, and polygon 1
// (index 0) over arcs 1 and 3; `add` adds the polygon under test (index 1).
File Poly(const std::function<void(tb::ElementFile&)>& add = [](tb::ElementFile&) {}) {
  return [=] {
    tb::ElementFile f(tb::kRegion);
    f.AddArc({{0, 0}, {0, 9}, {9, 9}});
    f.AddArc({{9, 9}, {9, 0}}, 0);
    f.AddArc({{9, 0}, {0, 0}});
    f.AddPolygon({1, 3});
    add(f);
    return f.Build();
  };
}
tb::MapFileBuilder Points() {
  tb::ElementFile f(tb::kPoint);
  f.AddPoint(1, 2, "note"), f.AddPoint(3, 4, "", 0);
  return f.Build();
}
tb::MapFileBuilder Network() {
  tb::ElementFile f(tb::kNetwork);
  f.AddArc({{0, 0}, {1, 1}}), f.AddNode(1, 1, tb::Bytes(94, 7));
  return f.Build();
}

TEST(DamagedFiles, EachReaderAnswersEachDamageWithItsCode) {
  constexpr std::int32_t kAsFast = 0;  // not a code: the fast reader's answer
  using F = tb::ElementFile;
  using B = tb::MapFileBuilder;
  const struct {
    const char* what;
    File file;
    Op op;
    int index;
    std::int32_t fast, mem = kAsFast, edit = kAsFast;  // the codes of the three readers
  } cases[] = {
      // clang-format off
      {"valid line file", Arc(2), kArc, 1, Success},
      {"refusal flag set", Head([](B& b) { b.RefusalFlag(1).DirectoryOffset(5000); }), kOpen, 0, Refused},
      {"1025 entries", Head([](B& b) { b.DirectoryCount(1025).Magic("XXXXXXXX"); }), kOpen, 0, CannotOpen},
      {"directory at 1025", Head([](B& b) { b.DirectoryOffset(1025); }), kOpen, 0, CannotOpen},
      {"1024 at 1024", Head([](B& b) { b.DirectoryOffset(1024).DirectoryCount(1024); }), kOpen, 0, Success},
      {"negative directory count: no entries", Head([](B& b) { b.DirectoryCount(-3); }), kArc, 0, IoError},
      {"magic of another kind", Head([](B& b) { b.Magic("WMAP`D22"); }), kOpen, 0, BadMagic},
      {"kind 3 with its own magic", Head([](B& b) { b.KindField(3).Magic("WMAP`D23"); }), kOpen, 0, BadMagic},
      {"kind -1", Head([](B& b) { b.KindField(-1); }), kOpen, 0, BadMagic},
      {"network file", Network, kOpen, 0, Success, Success, BadMagic},
      {"network node read as a point", Network, kPoint, 0, Success, IoError, IoError},
      {"arc not in use", Arc(2, 0), kArc, 1, NotInUse},
      {"arc index equal to the count", Arc(2), kArc, 2, IoError},
      {"arc index -1", Arc(2), kArc, -1, IoError},
      {"arc running past the coordinate section", Arc(7), kArc, 1, IoError, IoError, Success},
      {"arc of more points than the file holds", Arc(1000), kArc, 1, IoError, IoError, NoMemory},
      {"arc of a negative point count", Arc(-4), kArc, 1, NoMemory},
      // A section claimed past the end of the file: its missing points read as 0.0, but no
      // room is made for more points than the file holds.
      {"arc inside a section claimed past the end", Arc(7, 1, HugeSection), kArc, 1, Success},
      {"2^28 points inside such a section", Arc(0x0FFFFFF0, 1, HugeSection), kArc, 1, NoMemory},
      {"arc read in a point file", Points, kArc, 0, IoError},
      {"polygon of a line file", Head([](B& b) { b.Count(4, 3).Count(5, 4); }), kPolygon, 0, IoError},
      {"point not in use", Points, kPoint, 1, NotInUse},
      {"point index equal to the count", Points, kPoint, 2, IoError},
      {"note of a point not in use", Points, kNote, 1, Success},
      {"note in a line file", Arc(2), kNote, 0, IoError},
      {"valid polygon", Poly(), kPolygon, 0, Success},
      {"polygon not in use", Poly([](F& f) { f.AddPolygon({1}, 0); }), kPolygon, 1, NotInUse},
      {"polygon without arc list", Poly([](F& f) { f.AddPolygonRecord(1, 0, 2); }), kPolygon, 1, BadArcList},
      {"polygon total -1", Poly([](F& f) { f.AddPolygonList(-1, {1}); }), kPolygon, 1, BadArcList},
      {"list past the file", Poly([](F& f) { f.AddPolygonRecord(1, 0x7FFFFFFF, 2); }), kPolygon, 1, NoMemory},
      {"total 2^31 - 1", Poly([](F& f) { f.AddPolygonList(0x7FFFFFFF, {1, 3}); }), kPolygon, 1, NoMemory},
      {"polygon arc past the arcs", Poly([](F& f) { f.AddPolygonList(5, {1, 4}); }), kPolygon, 1, IoError},
      {"unused arc 2 inside", Poly([](F& f) { f.AddPolygon({1, 2, 3}); }), kPolygon, 1, Success, Success,
       NotInUse},
      {"unused arc 2 last", Poly([](F& f) { f.AddPolygon({1, 3, 2}); }), kPolygon, 1, NotInUse},
      {"polygon index equal to the count", Poly(), kPolygon, 1, IoError},
      // clang-format on
  };
  tb::TempDir dir;
  const std::wstring path = dir.WidePath("f.tmf");
  for (const auto& c : cases) {
    c.file().WriteTo(dir.Path("f.tmf"));
    EXPECT_EQ(Answer<Terrix_FastReader>(path, c.op, c.index), c.fast) << "fast reader: " << c.what;
    EXPECT_EQ(Answer<Terrix_MemReader>(path, c.op, c.index), c.mem == kAsFast ? c.fast : c.mem)
        << "memory reader: " << c.what;
    EXPECT_EQ(Answer<Terrix_Reader>(path, c.op, c.index), c.edit == kAsFast ? c.fast : c.edit)
        << "editing reader: " << c.what;
  }
  tb::WriteFile(dir.Path("f.tmf"), {});
  EXPECT_EQ(Answer<Terrix_FastReader>(path, kOpen, 0), BadMagic) << "empty file";
  EXPECT_EQ(Answer<Terrix_MemReader>(dir.WidePath("none"), kOpen, 0), CannotOpen) << "missing file";
  EXPECT_EQ(Answer<Terrix_Reader>(dir.WidePath("none"), kOpen, 0), CannotOpen) << "missing file";
}

}  // namespace
