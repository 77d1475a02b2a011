// The terrix tool: the bundled samples through import and export with every
// coordinate bit for bit and every value kept; export of byte-built files;
// the command line's conventions (options anywhere, "-", exit statuses, JSON).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "Export.h"
#include "Import.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/StyleFileBuilder.h"
#include "support/Command.h"

using Json = nlohmann::ordered_json;
using namespace Terrix::Tool;
using Terrix::Convert::Diagnostics;

namespace {

const std::string kSamples = TERRIX_SAMPLES_DIR;
const std::string kTool = TERRIX_TOOL_PATH;

Json ReadJson(const std::string& path) {
  std::ifstream in(path);
  return Json::parse(in);
}

using ToolRun = support::CommandRun;

// Runs the tool with a shell's arguments; standard input from `input` when given.
ToolRun Tool(const std::string& args, const std::string& input = "") {
  return support::RunCommand(kTool + " " + args, input);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Exports in-process into memory; the feature collection parsed.
Json Export(const std::string& path, ExportOptions options = {}, Diagnostics* diagnostics = nullptr) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = ::open_memstream(&buffer, &size);
  Diagnostics local;
  ExportMap(path, out, options, diagnostics != nullptr ? *diagnostics : local);
  std::fclose(out);
  const std::string text(buffer, size);
  std::free(buffer);
  return options.format == ExportFormat::Wkt ? Json(text) : Json::parse(text);
}

void Import(const std::string& input, const std::string& output, std::optional<Terrix::FileKind> kind,
            const std::string& codePage = "GB18030") {
  std::FILE* in = std::fopen(input.c_str(), "rb");
  ASSERT_NE(in, nullptr) << input;
  ImportOptions options;
  options.kind = kind;
  options.write.codePage = codePage;
  Diagnostics diagnostics;
  ImportGeoJson(in, input, 0, output, options, diagnostics);
  std::fclose(in);
}

// Coordinates bit for bit: the same doubles, not merely close ones.
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
    EXPECT_EQ(it.value(), exported[it.key()]) << where << " " << it.key();
  }
}

}  // namespace

// The samples' names hold characters beyond GBK (Côte d'Ivoire): GB18030.
TEST(TerrixRoundTrip, SamplesThroughImportAndExport) {
  tb::TempDir dir;
  const Json countries = ReadJson(kSamples + "/countries.geojson")["features"];
  Import(kSamples + "/countries.geojson", dir.Path("c.tmf"), std::nullopt);
  ExportOptions gb18030;
  gb18030.codePage = "GB18030";
  const Json regions = Export(dir.Path("c.tmf"), gb18030)["features"];
  ASSERT_EQ(regions.size(), countries.size());
  for (std::size_t i = 0; i < countries.size(); ++i) {
    const std::string where = "country " + std::to_string(i);
    ExpectSamePositions(Polygons(countries[i]["geometry"]), Polygons(regions[i]["geometry"]), where);
    ExpectSameProperties(countries[i]["properties"], regions[i]["properties"], where);
  }

  const Json cities = ReadJson(kSamples + "/cities.geojson")["features"];
  Import(kSamples + "/cities.geojson", dir.Path("p.tmf"), Terrix::FileKind::Point);
  const Json points = Export(dir.Path("p.tmf"), gb18030)["features"];
  ASSERT_EQ(points.size(), cities.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    ExpectSamePositions(cities[i]["geometry"]["coordinates"], points[i]["geometry"]["coordinates"], "city");
    ExpectSameProperties(cities[i]["properties"], points[i]["properties"], "city");
  }

  // A MultiLineString becomes one line per part, each with the feature's values.
  const Json borders = ReadJson(kSamples + "/borders.geojson")["features"];
  Import(kSamples + "/borders.geojson", dir.Path("l.tmf"), Terrix::FileKind::Line);
  const Json lines = Export(dir.Path("l.tmf"), gb18030)["features"];
  std::size_t next = 0;
  for (const Json& f : borders) {
    for (const Json& part : f["geometry"]["coordinates"]) {
      ASSERT_LT(next, lines.size());
      const Json& line = lines[next++];
      EXPECT_EQ(line["geometry"]["type"], "LineString");
      ExpectSamePositions(part, line["geometry"]["coordinates"], "line " + std::to_string(next));
      ExpectSameProperties(f["properties"], line["properties"], "line");
    }
  }
  EXPECT_EQ(next, lines.size());

  Import(kSamples + "/countries.geojson", dir.Path("t.tmf"), Terrix::FileKind::Table);
  const Json rows = Export(dir.Path("t.tmf"), gb18030)["features"];
  ASSERT_EQ(rows.size(), countries.size());
  EXPECT_TRUE(rows[0]["geometry"].is_null());
  ExpectSameProperties(countries[5]["properties"], rows[5]["properties"], "row");
}

// GeoJSON as it comes: properties that appear late or not at all, nested
// values, a geometry whose type follows its coordinates, a collection, a
// document that is one geometry.
TEST(TerrixImport, EverydayGeoJson) {
  tb::TempDir dir;
  std::ofstream(dir.Path("in.geojson")) << R"({"features":[
      {"type":"Feature","properties":null,"geometry":null},
      {"type":"Feature","geometry":{"coordinates":[[[0,0],[4,0],[4,4],[0,4],[0,0]],[[1,1],[1,2],[2,2],[2,1],[1,1]]],"type":"Polygon"},
       "properties":{"n":1,"tags":{"a":[1,"x"]},"terrix:class":"arcs"}},
      {"type":"Feature","properties":{"late":"yes","n":null},"geometry":{"type":"GeometryCollection","geometries":[
        {"type":"Point","coordinates":[9,9]},{"type":"MultiPolygon","coordinates":[[[[10,0],[10,1],[11,1],[11,0],[10,0]]]]}]}}
      ],"type":"FeatureCollection"})";
  Diagnostics diagnostics;
  std::FILE* in = std::fopen(dir.Path("in.geojson").c_str(), "rb");
  const ImportSummary summary = ImportGeoJson(in, "in.geojson", 0, dir.Path("out.tmf"), {}, diagnostics);
  std::fclose(in);
  EXPECT_EQ(summary.features, 3);
  EXPECT_EQ(summary.kind, Terrix::FileKind::Region);
  const Json features = Export(dir.Path("out.tmf"))["features"];
  ASSERT_EQ(features.size(), 3u);
  EXPECT_TRUE(features[0]["geometry"].is_null()) << "a feature without geometry keeps its place";
  EXPECT_EQ(features[1]["properties"]["tags"], R"({"a":[1,"x"]})");
  EXPECT_FALSE(features[1]["properties"].contains("terrix:class")) << "the tools' own markers are no fields";
  EXPECT_EQ(features[1]["geometry"]["type"], "Polygon");
  EXPECT_EQ(features[1]["geometry"]["coordinates"][1][1], Json::array({2, 1}))
      << "the hole runs counter-clockwise";
  EXPECT_EQ(features[2]["properties"]["late"], "yes");
  EXPECT_EQ(features[2]["geometry"]["coordinates"][0][0], Json::array({10, 0})) << "the collection's polygon";
  std::string warnings;
  for (const std::string& w : diagnostics.Warnings()) warnings += w + "\n";
  for (const char* expected :
       {"1 property values were objects or arrays", "1 feature held parts of another kind",
        "field \"late\": 2 null values stored as empty text"})
    EXPECT_NE(warnings.find(expected), std::string::npos) << expected << "\n" << warnings;

  std::ofstream(dir.Path("one.geojson")) << R"({"type":"LineString","coordinates":[[1,2],[3,4]]})";
  Import(dir.Path("one.geojson"), dir.Path("one.tmf"), std::nullopt);
  EXPECT_EQ(Export(dir.Path("one.tmf"))["features"][0]["geometry"]["coordinates"],
            Json::parse("[[1,2],[3,4]]"));
}

TEST(TerrixImport, RefusesWhatIsNotGeoJson) {
  tb::TempDir dir;
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::vector<std::pair<std::string, std::string>> inputs = {
      {"{\"type\": \"FeatureCollection\", \"features\": [", "not valid JSON at byte"},
      {deep, "nested deeper than 128 levels"},
      {"[1, 2, 3]", "not GeoJSON"},
      {R"({"type":"Feature","geometry":{"type":"Polygon","coordinates":[[0,0],[1,1]]}})",
       "the coordinates of a Polygon are not valid (nested 2 deep instead of 3)"},
  };
  for (const auto& [text, message] : inputs) {
    std::ofstream(dir.Path("bad.geojson")) << text;
    const ToolRun r = Tool("import " + dir.Path("bad.geojson") + " " + dir.Path("out.tmf"));
    EXPECT_EQ(r.status, 1) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(dir.Path("out.tmf")));
  }
}

// Deleted elements are left out; network files give arcs and nodes; an empty
// file gives an empty collection; WKT has one line per element. Several
// threads give the same bytes as one.
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
  ExportOptions wkt;
  wkt.format = ExportFormat::Wkt;
  EXPECT_EQ(Export(dir.Path("l.tmf"), wkt), "LINESTRING (0 0, 1 1)\nLINESTRING (4 4, 5 5)\n");

  tb::ElementFile net(tb::kNetwork);
  net.AddArc({{0, 0}, {1, 0}});
  net.AddNode(0, 0, tb::Bytes(94, 0));
  net.AddNode(1, 0, tb::Bytes(94, 0));
  net.Build().WriteTo(dir.Path("n.tmf"));
  const Json n = Export(dir.Path("n.tmf"));
  ASSERT_EQ(n["features"].size(), 3u);
  EXPECT_EQ(n["features"][0]["properties"]["terrix:class"], "arcs");
  EXPECT_EQ(n["features"][2]["properties"]["terrix:class"], "nodes");
  EXPECT_EQ(n["features"][1]["geometry"]["type"], "Point");

  tb::MapFileBuilder(tb::kRegion).WriteTo(dir.Path("empty.tmf"));
  EXPECT_EQ(Export(dir.Path("empty.tmf"))["features"].size(), 0u);

  tb::ElementFile many(tb::kPoint);
  tb::AttributeSection table;
  table.Field("i", 3, 4);
  for (int i = 0; i < 3000; ++i) {
    many.AddPoint(i, -i, i % 7 == 0 ? "note" : "", i % 11 == 0 ? 0 : 1);
    table.Put(i, 0, std::int32_t{i});
  }
  many.Build().Section(2, table.Build()).WriteTo(dir.Path("many.tmf"));
  ExportOptions one, four;
  one.threads = 1;
  four.threads = 4;
  const Json a = Export(dir.Path("many.tmf"), one), b = Export(dir.Path("many.tmf"), four);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a["features"].size(), 3000u - 273u);
}

// GeoJSON cannot hold a ring of fewer than four points or a coordinate that is
// not finite: the export stops naming the element, or leaves the part out
// under --lossy; unclosed rings are closed, with a warning.
TEST(TerrixExport, WhatGeoJsonCannotHold) {
  tb::TempDir dir;
  tb::ElementFile regions(tb::kRegion);
  regions.AddArc({{0, 0}, {0, 4}, {4, 4}, {4, 0}});  // unclosed
  regions.AddArc({{1, 1}, {2, 2}});
  regions.AddPolygon({1});
  regions.AddPolygon({1, 0, 2});
  regions.Build().WriteTo(dir.Path("r.tmf"));
  const ToolRun strict = Tool("export " + dir.Path("r.tmf"));
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("element 1: a hole has too few points"), std::string::npos) << strict.err;
  Diagnostics diagnostics;
  ExportOptions lossy;
  lossy.lossy = true;
  const Json features = Export(dir.Path("r.tmf"), lossy, &diagnostics)["features"];
  EXPECT_EQ(features[0]["geometry"]["coordinates"][0].size(), 5u) << "closed by its first point";
  EXPECT_EQ(features[1]["geometry"]["coordinates"].size(), 1u) << "the two-point hole is left out";
  std::string warnings;
  for (const std::string& w : diagnostics.Warnings()) warnings += w + "\n";
  EXPECT_NE(warnings.find("2 rings closed"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("1 points, lines or rings left out"), std::string::npos) << warnings;
}

TEST(TerrixCommandLine, Conventions) {
  tb::TempDir dir;
  const std::string cities = kSamples + "/cities.tmf";
  ToolRun r = Tool("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("terrix ", 0), 0u) << r.out;
  for (const char* help : {"help", "help export", "export -h", "--help"}) {
    r = Tool(help);
    EXPECT_EQ(r.status, 0) << help;
    EXPECT_NE(r.out.find("usage: terrix"), std::string::npos) << help;
  }
  EXPECT_NE(Tool("import --help").out.find("--kind point|line|region|table"), std::string::npos);

  // Options before or after the command, with = or apart; the same answer.
  const std::string a = Tool("--codepage GB18030 export " + cities).out;
  EXPECT_EQ(Tool("export --codepage=GB18030 " + cities).out, a);
  EXPECT_EQ(Tool("export " + cities + " --codepage GB18030 -o -").out, a);
  EXPECT_EQ(Tool("export - --codepage GB18030", cities).out, a) << "a map file on standard input";
  // GeoJSON on standard input, a map file on standard output.
  r = Tool("import - - --codepage GB18030", kSamples + "/cities.geojson");
  ASSERT_EQ(r.status, 0) << r.err;
  std::ofstream(dir.Path("piped.tmf"), std::ios::binary) << r.out;
  EXPECT_EQ(Tool("export --codepage GB18030 " + dir.Path("piped.tmf")).out, a);

  for (const char* usage : {"", "frobnicate", "import a", "export a b", "export --kind point a",
                            "info --codepage", "check --threads=x a", "--wkt=1 export a"})
    EXPECT_EQ(Tool(usage).status, 2) << usage;
}

// Every file of a list is described, even after one that fails; JSON output
// is one document per file; check fails a file whose rings run against the
// order but not one that holds several polygons per element.
TEST(TerrixCommandLine, InfoAndCheckStatuses) {
  tb::TempDir dir;
  const std::string countries = kSamples + "/countries.tmf";
  ToolRun r = Tool("info --json --codepage GB18030 " + countries + " " + dir.Path("missing.tmf") + " " +
                   kSamples + "/countries-table.tmf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing.tmf: cannot open"), std::string::npos) << r.err;
  std::istringstream lines(r.out);
  std::vector<Json> docs;
  for (std::string line; std::getline(lines, line);) docs.push_back(Json::parse(line));
  ASSERT_EQ(docs.size(), 3u);
  EXPECT_EQ(docs[0]["kind"], "region file");
  EXPECT_EQ(docs[0]["layers"][0]["live"], 177);
  EXPECT_EQ(docs[0]["layers"][0]["table"]["fields"][2]["name"], "name");
  EXPECT_EQ(docs[0]["layers"][0]["table"]["fields"][2]["typeName"], "string");
  EXPECT_TRUE(docs[1].contains("error"));
  EXPECT_TRUE(docs[2]["extent"].is_null()) << "a table file has no extent";
  EXPECT_NE(Tool("info " + kSamples + "/countries-table.tmf").out.find("extent: none"), std::string::npos);

  r = Tool("check --json " + countries);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Json::parse(r.out)["passed"], true);
  tb::ElementFile regions(tb::kRegion);
  regions.AddArc({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}});  // counter-clockwise first ring
  regions.AddPolygon({1});
  regions.Build().WriteTo(dir.Path("against.tmf"));
  r = Tool("check " + dir.Path("against.tmf"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("ring order against the convention: 1 of 1 elements fail: 0"), std::string::npos)
      << r.out;
}

TEST(TerrixCommandLine, FailuresNameTheFile) {
  tb::TempDir dir;
  std::ofstream(dir.Path("junk.tmf")) << "not a map file at all";
  tb::MapFileBuilder(tb::kPoint).RefusalFlag(1).WriteTo(dir.Path("refused.tmf"));
  tb::MapFileBuilder(tb::kPoint).WriteTo(dir.Path("points.tmf"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"info " + dir.Path("missing.tmf"), "missing.tmf: cannot open"},
      {"export " + dir.Path("junk.tmf"), "junk.tmf: not a vector map file"},
      {"info " + dir.Path("refused.tmf"), "refused.tmf: opening failed: the file is refused"},
      {"export " + dir.Path("points.tmf") + " -o " + dir.Path("no/such/dir/out.geojson"),
       "out.geojson: cannot write"},
      {"export " + dir.Path("points.tmf") + " -o " + dir.Path(""), "cannot write: it is a directory"},
      {"import " + kSamples + "/cities.geojson /dev/null", "/dev/null: cannot write: it is a device"},
  };
  for (const auto& [args, message] : cases) {
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
}

// Project, colour and legend files are recognised by their magic and
// described through the library's classes; symbol libraries on request.
TEST(TerrixCommandLine, StylingFiles) {
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
  const ToolRun r = Tool("info " + dir.Path("p.prj") + " " + dir.Path("c.clr") + " " + dir.Path("l.lgd"));
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* expected :
       {"map project file, 2 items", "extent: 1 2 3 4", "description: roads",
        "item 0: roads  kind 3  values 2.5 7  main", "item 1: lakes  kind 5", "colour library, 1 colours",
        "colour 1: RGB 0 255 255", "legend file, 1 entries", "entry 0: kind 0 (line style)"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  EXPECT_NE(Tool("info --symbol " + dir.Path("s.sym")).out.find("symbol library, head ab 01 00"),
            std::string::npos);
  EXPECT_EQ(Tool("info " + dir.Path("s.sym")).status, 1) << "no magic, no guess";
  const Json project = Json::parse(Tool("info --json " + dir.Path("p.prj")).out);
  EXPECT_EQ(project["items"][0]["value1"], 2.5);
}
