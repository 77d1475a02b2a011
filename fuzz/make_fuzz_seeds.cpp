// Writes the seed corpora of the fuzz targets with the byte-level builder:
// well-formed files of every kind and the malformed variants the test suites
// use (bad magics and flags, directories and sections beyond the file, counts
// the file cannot back, broken arc lists, notes and attribute heads).
// Usage: make_fuzz_seeds OUT_DIR  (writes OUT_DIR/<corpus>/<seed>)
#include <sys/stat.h>

#include <cstdio>
#include <random>
#include <string>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/MapFileBuilder.h"
#include "builder/StyleFileBuilder.h"

namespace {

std::string outDir;

void Seed(const std::string& corpus, const std::string& name, const tb::Bytes& bytes) {
  const std::string dir = outDir + "/" + corpus;
  mkdir(dir.c_str(), 0755);
  tb::WriteFile(dir + "/" + name, bytes);
}

/// Every attribute type once, so that every typed read meets its own type.
tb::AttributeSection EveryType(int elements) {
  tb::AttributeSection t;
  t.Field("name", 0, 12).Field("byte", 1, 1).Field("short", 2, 2).Field("long", 3, 4).Field("float", 4, 4);
  t.Field("double", 5, 8).Field("date", 6, 4).Field("time", 7, 10).Field("stamp", 8, 16);
  t.Field("text", 9, 20).Field("bool", 10, 1).Field("blob", 11, 6);
  for (int e = 0; e < elements; ++e) {
    t.Text(e, 0, "value " + std::to_string(e)).Put<std::uint8_t>(e, 1, static_cast<std::uint8_t>(e));
    t.Put<std::int16_t>(e, 2, static_cast<std::int16_t>(-e)).Put<std::int32_t>(e, 3, 1000 * e);
    t.Put<float>(e, 4, 0.5f * static_cast<float>(e)).Put<double>(e, 5, -1.25 * e);
    t.Value(e, 6, {0xE8, 0x07, 0x0C, 0x05}).Value(e, 7, tb::Pattern(10, 7)).Value(e, 8, tb::Pattern(16, 3));
    t.Text(e, 9, "  padded text  ").Put<std::uint8_t>(e, 10, 1).Value(e, 11, tb::Pattern(6, 200));
  }
  return t;
}

tb::Bytes TicArea(int n) {
  tb::ByteWriter w;
  for (int i = 0; i < n; ++i) w.f64(i).f64(i + 0.5).f64(-i).f64(100.0 + i);
  return w.take();
}

tb::MapFileBuilder PointFile() {
  tb::ElementFile f(tb::kPoint);
  f.AddPoint(1, 2, "a note");
  f.AddPoint(-3.5, 4, "");
  f.AddPoint(5, 6, "deleted", 0);
  f.AddPoint(7, 8, std::string(300, 'n'));
  tb::MapFileBuilder b = f.Build();
  b.Section(2, EveryType(4).Build()).Extent(-3.5, 2, 7, 8).Projection(1, 0.5);
  return b;
}

tb::MapFileBuilder LineFile() {
  tb::ElementFile f(tb::kLine);
  f.AddArc({{0, 0}, {1, 1}, {2, 0}});
  f.AddArc({{5, 5}, {6, 6}}, 0);
  f.AddArc({{-1, -1}, {-2, -2}, {-3, -1}, {-1, -1}});
  const std::uint32_t tics = f.Coordinates().Raw(TicArea(2));
  tb::MapFileBuilder b = f.Build();
  b.Section(2, EveryType(3).Build()).Tics(2, tics);
  tb::ByteWriter topo;
  for (int r = 0; r < 4; ++r)
    for (int v = 0; v < 6; ++v) topo.i32(r * 10 + v);
  b.Section(3, topo.take());
  tb::AttributeSection nodes;
  nodes.Field("id", 3, 4).Put(0, 0, 7);
  b.Section(5, nodes.Build());
  return b;
}

tb::MapFileBuilder RegionFile() {
  tb::ElementFile f(tb::kRegion);
  f.AddArc({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}});
  f.AddArc({{1, 1}, {2, 1}, {2, 2}, {1, 1}});
  f.AddArc({{20, 20}, {20, 30}, {30, 30}, {20, 20}});
  f.AddPolygon({1, 0, -2});  // an outer ring and a reversed hole
  f.AddPolygon({3});
  f.AddPolygon({1}, 0);
  tb::MapFileBuilder b = f.Build();
  b.Section(9, EveryType(3).Build());
  return b;
}

tb::MapFileBuilder NetworkFile() {
  tb::ElementFile net(tb::kNetwork);
  net.AddArc({{0, 0}, {1, 0}, {1, 1}});
  net.AddArc({{1, 1}, {2, 2}});
  net.AddNode(0, 0, tb::Pattern(94, 1));
  net.AddNode(1, 1, tb::Pattern(94, 2));
  net.AddNode(2, 2, tb::Pattern(94, 3), 0);
  tb::MapFileBuilder b = net.Build();
  tb::AttributeSection arcs, nodes;
  arcs.Field("name", 0, 8).Field("len", 5, 8).Text(0, 0, "a").Put(1, 1, 2.5);
  nodes.Field("id", 3, 4).Put(0, 0, 7).Put(2, 0, 9);
  b.Section(2, arcs.Build()).Section(5, nodes.Build());
  return b;
}

tb::MapFileBuilder TableFile() {
  tb::MapFileBuilder b(tb::kTable);
  b.Section(0, EveryType(5).Build());
  return b;
}

void MapSeeds() {
  const std::pair<const char*, tb::MapFileBuilder> files[] = {{"point", PointFile()},
                                                              {"line", LineFile()},
                                                              {"region", RegionFile()},
                                                              {"network", NetworkFile()},
                                                              {"table", TableFile()}};
  for (const auto& [name, file] : files) {
    const std::string n = name;
    Seed("maps", n, file.Build());
    // The head checks, each failing on its own.
    Seed("maps", n + "-magic", tb::MapFileBuilder(file).Magic("XXXXXXXX").Build());
    Seed("maps", n + "-refused", tb::MapFileBuilder(file).RefusalFlag(1).Build());
    Seed("maps", n + "-kind", tb::MapFileBuilder(file).KindField(3).Build());
    Seed("maps", n + "-dir-far", tb::MapFileBuilder(file).DirectoryOffset(1 << 30).Build());
    Seed("maps", n + "-dir-count", tb::MapFileBuilder(file).DirectoryCount(1025).Build());
    Seed("maps", n + "-dir-negative", tb::MapFileBuilder(file).DirectoryCount(-3).Build());
    // Counts the file cannot back, and tics beyond it.
    tb::MapFileBuilder counts(file);
    for (int w = 0; w < 11; ++w) counts.Count(w, 0x7FFFFFFF);
    Seed("maps", n + "-huge-counts", counts.Tics(0x7FFFFFFF, 0xFFFFFFF0u).Build());
    tb::MapFileBuilder negative(file);
    for (int w = 0; w < 11; ++w) negative.Count(w, -1);
    Seed("maps", n + "-negative-counts", negative.Build());
    // Sections that lie beyond the file or wrap around.
    for (int entry : {0, 1, 2, 5, 9}) {
      tb::MapFileBuilder far(file);
      far.OverrideEntry(entry, far.SectionOffset(entry), 0xFFFFFFF0u);
      Seed("maps", n + "-entry" + std::to_string(entry) + "-long", far.Build());
      tb::MapFileBuilder gone(file);
      gone.OverrideEntry(entry, 1u << 30, 400);
      Seed("maps", n + "-entry" + std::to_string(entry) + "-far", gone.Build());
    }
    // Cut short: inside the head area, the directory and the sections.
    const tb::Bytes whole = file.Build();
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{100}, std::size_t{700}, whole.size() / 2, whole.size() - 1})
      Seed("maps", n + "-cut" + std::to_string(cut),
           tb::Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
  }

  // Element records that point outside their sections.
  tb::ElementFile lines(tb::kLine);
  lines.AddArcRecord(1, 0x7FFFFFFF, 2);
  lines.AddArcRecord(1, -5, 2);
  lines.AddArcRecord(1, 3, 0xFFFFFFF0u);
  lines.AddArc({{0, 0}, {1, 1}});
  Seed("maps", "line-bad-records", lines.Build().Build());

  tb::ElementFile regions(tb::kRegion);
  regions.AddArc({{0, 0}, {0, 1}, {1, 1}, {0, 0}});
  regions.AddPolygonList(0x7FFFFFFF, {1});
  regions.AddPolygonList(4, {9, 0, -9});  // arcs the file does not have
  regions.AddPolygonList(-7, {1, 0, 0, 0});
  regions.AddPolygonRecord(1, 0x7FFFFFFF, 0);
  regions.AddPolygonRecord(1, 0, 0);
  regions.AddPolygonRecord(1, -2, 0xFFFFFFF0u);
  regions.AddPolygonList(5, {-1, 0, 1});
  Seed("maps", "region-bad-lists", regions.Build().Build());

  // One long arc listed thousands of times: a few kilobytes asking for
  // hundreds of megabytes of vertices.
  tb::ElementFile relisted(tb::kRegion);
  std::vector<tb::XY> longArc;
  for (int j = 0; j < 500; ++j) longArc.push_back({static_cast<double>(j), 1.0});
  const int arc = relisted.AddArc(longArc);
  relisted.AddPolygon(std::vector<std::int32_t>(3000, arc));
  Seed("maps", "region-relisted-arc", relisted.Build().Build());

  tb::ElementFile points(tb::kPoint);
  points.AddPointRecord(1, 0x7FFF, 2, 0, 0);
  points.AddPointRecord(1, -1, 2, 0, 0);
  points.AddPointRecord(1, 5, 0xFFFFFFF0u, 0, 0);
  points.AddPoint(1, 1, "ok");
  Seed("maps", "point-bad-notes", points.Build().Build());

  tb::ElementFile net(tb::kNetwork);
  net.AddArc({{0, 0}, {1, 1}});
  net.AddNode(0, 0, tb::Pattern(94, 1));
  tb::MapFileBuilder netFile = net.Build();
  tb::Bytes& nodes = netFile.SectionBytes(6);
  if (nodes.size() >= 2 * tb::kNodeRecordBytes) nodes[tb::kNodeRecordBytes + 30] = 0xFF;  // style offset
  Seed("maps", "network-bad-style", netFile.Build());

  // Attribute heads and descriptors that claim more than the section holds.
  const auto table = [](tb::AttributeSection t) {
    return tb::MapFileBuilder(tb::kTable).Section(0, t.Build()).Build();
  };
  Seed("maps", "table-bad-magic", table(EveryType(2).Magic(0, 0)));
  Seed("maps", "table-huge-fields", table(EveryType(2).FieldCount(0x7FFF)));
  Seed("maps", "table-negative-fields", table(EveryType(2).FieldCount(-1)));
  Seed("maps", "table-huge-records", table(EveryType(2).RecordCount(0xFFFFFFFFu)));
  Seed("maps", "table-no-records", table(EveryType(2).RecordCount(0)));
  Seed("maps", "table-huge-length", table(EveryType(2).RecordLength(0x7FFFFFFFu)));
  Seed("maps", "table-zero-length", table(EveryType(2).RecordLength(0)));
  Seed("maps", "table-value-outside", table(EveryType(2).ValueOffsetOfLast(0xFFFF0000u)));
}

void StylingSeeds() {
  using tb::ProjectFileBuilder;
  const auto project = [] {
    ProjectFileBuilder p;
    p.Extent(0, 0, 100, 50).Projection(3, 0.0005).Description("a map of the world");
    p.AddItem(0, "countries layer", "the countries", 1, 2)
        .AddItem(1, "   ", "", -1, 0)
        .AddItem(5, "cities", "", 0, 0);
    return p;
  };
  Seed("project", "items", project().Build());
  Seed("project", "empty", ProjectFileBuilder().Build());
  Seed("project", "magic", project().Magic("WMAP`D2;").Build());
  Seed("project", "format", project().FormatNumber(8).Build());
  Seed("project", "negative-count", project().ItemCountField(-3).Build());
  Seed("project", "huge-count", project().ItemCountField(0x7FFF).Build());
  Seed("project", "table-far", project().ItemTableOffsetField(0x7FFFFFF0).Build());
  Seed("project", "table-in-head", project().ItemTableOffsetField(20).Build());
  Seed("project", "table-moved", project().ItemTableOffset(1500).Build());
  const tb::Bytes items = project().Build();
  Seed("project", "cut", tb::Bytes(items.begin(), items.begin() + 1300));

  const auto colors = [] {
    tb::ColorLibBuilder c;
    c.InkCount(3).Ink(0, 10, 20, 30, 40).Ink(1, 0, 255, 0, 0).Ink(2, 255, 255, 255, 255);
    c.AddColor(0, 0, 0, 0).AddColor(255, 128, 1, 0, {100, 50, 25}).AddColor(1, 2, 3, 4, {255, 255, 255});
    return c;
  };
  Seed("colorlib", "colors", colors().Build());
  Seed("colorlib", "magic", colors().Magic("PCOLOR 2").Build());
  Seed("colorlib", "huge-count", colors().ColorCountField(0x7FFF).Build());
  Seed("colorlib", "negative-count", colors().ColorCountField(-4).Build());
  Seed("colorlib", "many-inks", colors().InkCount(0x7FFF).Build());
  Seed("colorlib", "negative-inks", colors().InkCount(-1).Build());
  Seed("colorlib", "head-only", colors().Head());

  const auto legend = [] {
    tb::LegendBuilder l;
    l.AddItem(1, 0, 0x11).AddItem(0, 94, 0x22).AddItem(2, 161, 0x33).AddItem(7, 0, 0x44);
    l.Style(tb::Pattern(94 + 67 + 63, 9));
    return l;
  };
  Seed("legend", "items", legend().Build());
  Seed("legend", "magic", legend().Magic("WMAP`D2<").Build());
  Seed("legend", "no-items", tb::LegendBuilder().Build());
  Seed("legend", "negative-count", legend().CountField(-9).Build());
  Seed("legend", "huge-count", legend().CountField(0x7FFFFFFF).Build());
  Seed("legend", "style-far", tb::LegendBuilder().AddItem(0, 0x7FFFFFF0, 1).AddItem(1, -400, 2).Build());

  // A symbol library head is 26 uninterpreted bytes.
  Seed("symbol", "head", tb::Pattern(26, 0));
  Seed("symbol", "short", tb::Pattern(10, 0));
  Seed("symbol", "long", tb::Pattern(4000, 0));
}

/// The writer target reads its calls from the bytes: seeds of several sizes,
/// each led by a different first byte so that every file kind comes up.
void WriterSeeds() {
  std::mt19937 rng(20261205);
  for (int s = 0; s < 16; ++s) {
    tb::Bytes bytes(static_cast<std::size_t>(64 << (s % 6)));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    bytes.back() = static_cast<std::uint8_t>(s);  // the provider takes its choices from the end
    Seed("writer", "calls-" + std::to_string(s), bytes);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  outDir = argv[1];
  mkdir(outDir.c_str(), 0755);
  MapSeeds();
  StylingSeeds();
  WriterSeeds();
  return 0;
}
