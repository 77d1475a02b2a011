// The terrix tool: import then export of the bundled samples gives back the
// same geometries and values; export of byte-built files; error paths.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "Encoding.h"
#include "GeoJsonExport.h"
#include "GeoJsonImport.h"
#include "VectorModel.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/StyleFileBuilder.h"
#include "Commands.h"
#include "Output.h"

using terrix::Json;

namespace {

const std::string kSamples = TERRIX_SAMPLES_DIR;

Json ReadJson(const std::string& path) {
  std::ifstream in(path);
  return Json::parse(in);
}

Json Export(const std::string& path, terrix::ExportFormat format = terrix::ExportFormat::GeoJson) {
  std::ostringstream out;
  terrix::ExportVectorFile(path, out, format);
  return Json::parse(out.str());
}

// Compares coordinates bit for bit: the same doubles, not merely close ones.
void ExpectSamePositions(const Json& a, const Json& b, const std::string& where) {
  ASSERT_EQ(a.is_array(), b.is_array()) << where;
  if (a.is_number()) {
    const double x = a.get<double>(), y = b.get<double>();
    EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << where << ": " << x << " vs " << y;
    return;
  }
  ASSERT_EQ(a.size(), b.size()) << where;
  for (std::size_t i = 0; i < a.size(); ++i) ExpectSamePositions(a[i], b[i], where);
}

// Polygon and MultiPolygon as a list of polygons, so that both compare.
Json Polygons(const Json& geometry) {
  if (geometry["type"] == "Polygon") return Json::array({geometry["coordinates"]});
  return geometry["coordinates"];
}

void ExpectSameProperties(const Json& source, const Json& exported, const std::string& where) {
  for (auto it = source.begin(); it != source.end(); ++it) {
    ASSERT_TRUE(exported.contains(it.key())) << where << " " << it.key();
    if (it.value().is_number())
      EXPECT_EQ(it.value().get<double>(), exported[it.key()].get<double>()) << where << " " << it.key();
    else
      EXPECT_EQ(it.value(), exported[it.key()]) << where << " " << it.key();
  }
}

struct ToolRun {
  int status;
  std::string err;
};

ToolRun RunTool(const std::string& args) {
  const std::string command = std::string(TERRIX_TOOL_PATH) + " " + args + " 2>&1 >/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string err;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) err += buffer;
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The samples hold names beyond GBK (Côte d'Ivoire, København): they are made
// with GB18030, the extension of GBK that covers all of Unicode.
class TerrixRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override { terrix::SetFileEncoding("GB18030"); }
  void TearDown() override { terrix::SetFileEncoding("GBK"); }
};

}  // namespace

TEST_F(TerrixRoundTrip, CountriesAsRegions) {
  tb::TempDir dir;
  const Json source = ReadJson(kSamples + "/countries.geojson");
  terrix::ImportGeoJson(kSamples + "/countries.geojson", dir.Path("c.tmf"), terrix::ImportKind::Region);
  const Json exported = Export(dir.Path("c.tmf"));
  ASSERT_EQ(exported["features"].size(), source["features"].size());
  for (std::size_t i = 0; i < source["features"].size(); ++i) {
    const Json& s = source["features"][i];
    const Json& e = exported["features"][i];
    const std::string where = "country " + std::to_string(i);
    ExpectSamePositions(Polygons(s["geometry"]), Polygons(e["geometry"]), where);
    ExpectSameProperties(s["properties"], e["properties"], where);
  }
}

TEST_F(TerrixRoundTrip, CitiesAsPointsAndCountriesAsTable) {
  tb::TempDir dir;
  const Json cities = ReadJson(kSamples + "/cities.geojson");
  terrix::ImportGeoJson(kSamples + "/cities.geojson", dir.Path("p.tmf"), terrix::ImportKind::Point);
  const Json points = Export(dir.Path("p.tmf"));
  ASSERT_EQ(points["features"].size(), cities["features"].size());
  for (std::size_t i = 0; i < points["features"].size(); ++i) {
    ExpectSamePositions(cities["features"][i]["geometry"]["coordinates"],
                        points["features"][i]["geometry"]["coordinates"], "city");
    ExpectSameProperties(cities["features"][i]["properties"], points["features"][i]["properties"], "city");
  }

  const Json countries = ReadJson(kSamples + "/countries.geojson");
  terrix::ImportGeoJson(kSamples + "/countries.geojson", dir.Path("t.tmf"), terrix::ImportKind::Table);
  const Json rows = Export(dir.Path("t.tmf"));
  ASSERT_EQ(rows["features"].size(), countries["features"].size());
  EXPECT_TRUE(rows["features"][0]["geometry"].is_null());
  ExpectSameProperties(countries["features"][5]["properties"], rows["features"][5]["properties"], "row");
}

TEST_F(TerrixRoundTrip, MultiLineStringsBecomeOneLinePerPart) {
  tb::TempDir dir;
  const Json source = ReadJson(kSamples + "/borders.geojson");
  terrix::ImportGeoJson(kSamples + "/borders.geojson", dir.Path("l.tmf"), terrix::ImportKind::Line);
  const Json lines = Export(dir.Path("l.tmf"));
  std::size_t next = 0;
  for (const Json& f : source["features"]) {
    for (const Json& part : f["geometry"]["coordinates"]) {
      ASSERT_LT(next, lines["features"].size());
      const Json& line = lines["features"][next++];
      EXPECT_EQ(line["geometry"]["type"], "LineString");
      ExpectSamePositions(part, line["geometry"]["coordinates"], "line " + std::to_string(next));
      ExpectSameProperties(f["properties"], line["properties"], "line");
    }
  }
  EXPECT_EQ(next, lines["features"].size());
}

TEST(TerrixImport, NotesTypesAndCodePage) {
  tb::TempDir dir;
  const Json doc = {{"type", "FeatureCollection"},
                    {"features",
                     {{{"type", "Feature"},
                       {"properties", {{"名称", "北京"}, {"n", 7}, {"big", 1e10}, {"ok", true}, {"terrix:note", "首都"}}},
                       {"geometry", {{"type", "Point"}, {"coordinates", {116.4, 39.9}}}}},
                      {{"type", "Feature"},
                       {"properties", {{"名称", "Ø"}, {"n", -3}, {"big", 0.5}, {"ok", false}}},
                       {"geometry", {{"type", "MultiPoint"}, {"coordinates", {{1, 2}, {3, 4}}}}}}}}};
  std::ofstream(dir.Path("in.geojson")) << doc.dump();
  const auto report = terrix::ImportGeoJson(dir.Path("in.geojson"), dir.Path("p.tmf"), terrix::ImportKind::Point);
  EXPECT_EQ(report.elements, 3);

  terrix::VectorFile file(dir.Path("p.tmf"));
  const terrix::TableDesc table = file.DescribeTable(1);
  ASSERT_EQ(table.fields.size(), 4u) << "the tool's own note key is not a field";
  EXPECT_EQ(table.fields[0].name, "名称");
  EXPECT_EQ(table.fields[0].typeCode, 0);
  EXPECT_EQ(table.fields[0].width, 4) << "the longest value in GBK bytes";
  EXPECT_EQ(table.fields[1].typeCode, 3);
  EXPECT_EQ(table.fields[2].typeCode, 5);
  EXPECT_EQ(table.fields[3].typeCode, 10);

  const Json out = Export(dir.Path("p.tmf"));
  EXPECT_EQ(out["features"][0]["properties"]["名称"], "北京");
  EXPECT_EQ(out["features"][0]["properties"]["terrix:note"], "首都");
  EXPECT_EQ(out["features"][0]["properties"]["big"], 1e10);
  EXPECT_EQ(out["features"][2]["properties"]["n"], -3) << "each point of a MultiPoint carries the values";
  EXPECT_EQ(out["features"][2]["properties"]["ok"], false);
  EXPECT_EQ(out["features"][1]["properties"]["名称"], "?") << "one '?' for a character GBK lacks";
}

// Files built byte by byte: deleted elements are left out, network files give
// arcs and nodes, an empty file gives an empty collection.
TEST(TerrixExport, ByteBuiltFiles) {
  tb::TempDir dir;
  tb::ElementFile lines(tb::kLine);
  lines.AddArc({{0, 0}, {1, 1}});
  lines.AddArc({{2, 2}, {3, 3}}, 0);  // deleted
  lines.AddArc({{4, 4}, {5, 5}});
  lines.Build().WriteTo(dir.Path("l.tmf"));
  const Json l = Export(dir.Path("l.tmf"));
  ASSERT_EQ(l["features"].size(), 2u);
  EXPECT_EQ(l["features"][1]["id"], 2) << "ids are element numbers";

  tb::ElementFile net(tb::kNetwork);
  net.AddArc({{0, 0}, {1, 0}});
  net.AddNode(0, 0, tb::Bytes(94, 0));
  net.AddNode(1, 0, tb::Bytes(94, 0));
  net.Build().WriteTo(dir.Path("n.tmf"));
  const Json n = Export(dir.Path("n.tmf"));
  ASSERT_EQ(n["features"].size(), 3u);
  EXPECT_EQ(n["features"][0]["properties"]["terrix:class"], "arcs");
  EXPECT_EQ(n["features"][1]["geometry"]["type"], "Point");
  EXPECT_EQ(n["features"][2]["properties"]["terrix:class"], "nodes");

  tb::MapFileBuilder(tb::kRegion).WriteTo(dir.Path("empty.tmf"));
  EXPECT_EQ(Export(dir.Path("empty.tmf"))["features"].size(), 0u);

  std::ostringstream wkt;
  terrix::ExportVectorFile(dir.Path("l.tmf"), wkt, terrix::ExportFormat::Wkt);
  EXPECT_EQ(wkt.str(), "LINESTRING (0 0, 1 1)\nLINESTRING (4 4, 5 5)\n");
}

TEST(TerrixErrors, ClearMessageAndStatus) {
  tb::TempDir dir;
  ToolRun r = RunTool("info " + dir.Path("missing.tmf"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing.tmf: cannot open"), std::string::npos) << r.err;

  std::ofstream(dir.Path("junk.tmf")) << "not a map file at all";
  r = RunTool("export " + dir.Path("junk.tmf"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("junk.tmf: not a vector map file"), std::string::npos) << r.err;

  // A refused head names the library's result.
  tb::MapFileBuilder(tb::kPoint).RefusalFlag(1).WriteTo(dir.Path("refused.tmf"));
  r = RunTool("info " + dir.Path("refused.tmf"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("refused.tmf: opening failed: the file is refused"), std::string::npos) << r.err;

  tb::MapFileBuilder(tb::kPoint).WriteTo(dir.Path("points.tmf"));
  r = RunTool("export " + dir.Path("points.tmf") + " -o " + dir.Path("no/such/dir/out.geojson"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("out.geojson: cannot write"), std::string::npos) << r.err;

  // A failed import leaves no output file behind.
  std::ofstream(dir.Path("bad.geojson")) << "{\"type\": \"FeatureCollection\", \"features\": [";
  r = RunTool("import " + dir.Path("bad.geojson") + " " + dir.Path("out.tmf") + " --kind point");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("bad.geojson: not valid JSON"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(dir.Path("out.tmf")));

  EXPECT_EQ(RunTool("import a b").status, 2) << "usage errors";
  EXPECT_EQ(RunTool("frobnicate").status, 2);
}

// Project, colour and legend files are recognised by their magic and
// described through the library's classes; symbol libraries on request.
TEST(TerrixInfo, StylingFiles) {
  tb::TempDir dir;
  tb::WriteFile(dir.Path("p.prj"), tb::ProjectFileBuilder()
                                       .Extent(1, 2, 3, 4)
                                       .Description("roads of 2024")
                                       .AddItem(0, "roads", "main roads", 2.5, 7)
                                       .AddItem(2, "lakes", "", 0, 0)
                                       .Build());
  tb::WriteFile(dir.Path("c.clr"), tb::ColorLibBuilder().AddColor(0, 255, 0, 0, {}).Build());
  tb::WriteFile(dir.Path("l.lgd"), tb::LegendBuilder().AddItem(0, 0, 1).Style(tb::Bytes(67, 9)).Build());
  tb::WriteFile(dir.Path("s.sym"), tb::Bytes{0xAB, 0x01});

  std::ostringstream out;
  EXPECT_EQ(terrix::RunInfo({dir.Path("p.prj"), dir.Path("c.clr"), dir.Path("l.lgd")}, {}, out), 0);
  const std::string text = out.str();
  EXPECT_NE(text.find("map project file, 2 items"), std::string::npos) << text;
  EXPECT_NE(text.find("extent: 1 2 3 4"), std::string::npos) << text;
  EXPECT_NE(text.find("description: roads"), std::string::npos) << text;
  EXPECT_NE(text.find("item 0: roads  kind 3  values 2.5 7  main"), std::string::npos) << text;
  EXPECT_NE(text.find("item 1: lakes  kind 5"), std::string::npos) << text;
  EXPECT_NE(text.find("colour library, 1 colours"), std::string::npos) << text;
  EXPECT_NE(text.find("colour 1: RGB 0 255 255"), std::string::npos) << text;
  EXPECT_NE(text.find("legend file, 1 entries"), std::string::npos) << text;
  EXPECT_NE(text.find("entry 0: kind 0 (line style)"), std::string::npos) << text;

  std::ostringstream symbol;
  terrix::RunInfo({dir.Path("s.sym")}, terrix::InfoOptions{true}, symbol);
  EXPECT_NE(symbol.str().find("symbol library, head ab 01 00"), std::string::npos) << symbol.str();
  EXPECT_THROW(terrix::RunInfo({dir.Path("s.sym")}, {}, symbol), terrix::ToolError) << "no magic, no guess";
}

// Rings group by orientation relative to the first ring, whichever way it runs.
TEST(TerrixExport, RingGrouping) {
  const terrix::Ring cw = {{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}};
  const terrix::Ring ccwHole = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}};
  const terrix::Ring cwFar = {{10, 0}, {10, 1}, {11, 1}, {11, 0}, {10, 0}};
  using Groups = std::vector<std::vector<std::size_t>>;
  EXPECT_EQ(terrix::GroupRings({cw, ccwHole, cwFar}), (Groups{{0, 1}, {2}}));
  auto reversed = [](terrix::Ring r) { return terrix::Ring(r.rbegin(), r.rend()); };
  EXPECT_EQ(terrix::GroupRings({reversed(cw), reversed(ccwHole), reversed(cwFar)}), (Groups{{0, 1}, {2}}));
  EXPECT_LT(terrix::RingArea(cw), 0.0);
  EXPECT_TRUE(terrix::GroupRings({}).empty());
}
