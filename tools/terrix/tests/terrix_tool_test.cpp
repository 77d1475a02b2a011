// The terrix tool: the samples through import and export keeping every value;
// export of byte-built files; the command line's conventions and refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "builder/StyleFileBuilder.h"
#include "support/Command.h"

using Json = nlohmann::ordered_json;

namespace {

const std::string kSamples = TERRIX_SAMPLES_DIR;

// Runs the tool with a shell's arguments; standard input from `input` when given.
support::CommandRun Tool(const std::string& args, const std::string& input = "") {
  return support::RunCommand(std::string(TERRIX_TOOL_PATH) + " " + args, input);
}

// Runs the tool, which must succeed, with GB18030 text; the run.
support::CommandRun Ok(const std::string& args) {
  support::CommandRun r = Tool(args + " --codepage GB18030");
  EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
  return r;
}

// Exports through the tool; the features parsed.
Json Export(const std::string& args) {
  return Json::parse(Ok("export " + args).out)["features"];
}

}  // namespace

// The samples (names beyond GBK, so GB18030) keep every value, and every
// coordinate as the same double; a table keeps no geometry; a MultiLineString
// becomes one line per part, each with the feature's values.
TEST(TerrixRoundTrip, SamplesThroughImportAndExport) {
  tb::TempDir dir;
  auto polygons = [](const Json& g) {
    return g["type"] == "Polygon" ? Json::array({g["coordinates"]}) : g["coordinates"];
  };
  const std::pair<std::string, std::string> samples[] = {{"countries", ""},
                                                         {"cities", " --kind point"},
                                                         {"countries", " --kind table"},
                                                         {"borders", " --kind line"}};
  for (const auto& [name, kind] : samples) {
    Json source = Json::parse(std::ifstream(kSamples + "/" + name + ".geojson"))["features"];
    if (name == "borders") {
      Json lines = Json::array();
      for (const Json& f : source)
        for (const Json& part : f["geometry"]["coordinates"])
          lines.push_back({{"geometry", {{"type", "LineString"}, {"coordinates", part}}},
                           {"properties", f["properties"]}});
      source = lines;
    }
    Ok("import " + kSamples + "/" + name + ".geojson " + dir.Path("out.tmf") + kind);
    const Json back = Export(dir.Path("out.tmf"));
    ASSERT_EQ(back.size(), source.size()) << name;
    for (std::size_t i = 0; i < source.size(); ++i) {
      const std::string where = name + " " + std::to_string(i);
      if (kind == " --kind table")
        EXPECT_TRUE(back[i]["geometry"].is_null()) << where;
      else
        EXPECT_EQ(polygons(source[i]["geometry"]), polygons(back[i]["geometry"])) << where;
      for (const auto& [key, value] : source[i]["properties"].items())
        EXPECT_EQ(back[i]["properties"].value(key, Json()), value) << where << " " << key;
    }
  }
}

// GeoJSON as it comes: properties that appear late or not at all, nested
// values, a geometry whose type follows its coordinates, a collection, a
// document that is one geometry.
TEST(TerrixImport, EverydayGeoJson) {
  tb::TempDir dir;
  std::ofstream(dir.Path("in.geojson")) << R"({"features":[
      {"type":"Feature","properties":null,"geometry":null},
      {"type":"Feature","geometry":{"coordinates":[[[0,0],[4,0],[4,4],[0,4],[0,0]],[[1,1],[1,2],[2,2],[2,1],[1,1]]],"type":"Polygon"},
       "properties":{"n":1,"tags":{"a":[1,"x"]}}},
      {"type":"Feature","properties":{"late":"yes","n":null},"geometry":{"type":"GeometryCollection","geometries":[
        {"type":"Point","coordinates":[9,9]},{"type":"MultiPolygon","coordinates":[[[[10,0],[10,1],[11,1],[11,0],[10,0]]]]}]}}
      ],"type":"FeatureCollection"})";
  const support::CommandRun r = Ok("import " + dir.Path("in.geojson") + " " + dir.Path("out.tmf"));
  for (const char* expected :
       {"3 features written as a region file", "1 property values were objects or arrays",
        "1 feature held parts of another kind", "field \"late\": 2 null values stored as empty text"})
    EXPECT_NE((r.out + r.err).find(expected), std::string::npos) << expected << "\n" << r.out << r.err;
  const Json features = Export(dir.Path("out.tmf"));
  ASSERT_EQ(features.size(), 3u);
  EXPECT_TRUE(features[0]["geometry"].is_null()) << "a feature without geometry keeps its place";
  EXPECT_EQ(features[1]["properties"]["tags"], R"({"a":[1,"x"]})");
  EXPECT_EQ(features[1]["geometry"]["type"], "Polygon");
  EXPECT_EQ(features[1]["geometry"]["coordinates"][1][1], Json::array({2, 1})) << "hole counter-clockwise";
  EXPECT_EQ(features[2]["properties"]["late"], "yes");
  EXPECT_EQ(features[2]["geometry"]["coordinates"][0][0], Json::array({10, 0})) << "the collection's polygon";

  std::ofstream(dir.Path("one.geojson")) << R"({"type":"LineString","coordinates":[[1,2],[3,4]]})";
  Ok("import " + dir.Path("one.geojson") + " " + dir.Path("one.tmf"));
  EXPECT_EQ(Export(dir.Path("one.tmf"))[0]["geometry"]["coordinates"], Json::parse("[[1,2],[3,4]]"));
}

// Deleted elements are left out; network files give arcs and nodes; WKT has
// one line per element; several threads give the same bytes as one. A ring of
// fewer than four points stops the export, naming the element, or is left out
// under --lossy; unclosed rings are closed, with a warning.
TEST(TerrixExport, ByteBuiltFiles) {
  tb::TempDir dir;
  tb::ElementFile lines(tb::kLine);
  lines.AddArc({{0, 0}, {1, 1}});
  lines.AddArc({{2, 2}, {3, 3}}, 0);  // deleted
  lines.AddArc({{4, 4}, {5, 5}});
  lines.Build().WriteTo(dir.Path("l.tmf"));
  const Json l = Export(dir.Path("l.tmf"));
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[1]["id"], 2) << "ids are element numbers";
  EXPECT_EQ(Ok("export --wkt " + dir.Path("l.tmf")).out, "LINESTRING (0 0, 1 1)\nLINESTRING (4 4, 5 5)\n");

  tb::ElementFile net(tb::kNetwork);
  net.AddArc({{0, 0}, {1, 0}});
  net.AddNode(0, 0, tb::Bytes(94, 0));
  net.AddNode(1, 0, tb::Bytes(94, 0));
  net.Build().WriteTo(dir.Path("n.tmf"));
  const Json n = Export(dir.Path("n.tmf"));
  ASSERT_EQ(n.size(), 3u);
  EXPECT_EQ(n[0]["geometry"]["type"], "LineString");
  EXPECT_EQ(n[2]["geometry"]["coordinates"], Json::array({1, 0}));

  tb::ElementFile many(tb::kPoint);
  tb::AttributeSection table;
  table.Field("i", 3, 4);
  for (int i = 0; i < 3000; ++i) {
    many.AddPoint(i, -i, i % 7 == 0 ? "note" : "", i % 11 == 0 ? 0 : 1);
    table.Put(i, 0, std::int32_t{i});
  }
  many.Build().Section(2, table.Build()).WriteTo(dir.Path("many.tmf"));
  const Json a = Export("--threads 1 " + dir.Path("many.tmf"));
  EXPECT_EQ(a, Export("--threads 4 " + dir.Path("many.tmf")));
  ASSERT_EQ(a.size(), 3000u - 273u);
  EXPECT_EQ(a.back()["properties"]["i"], 2999);

  tb::ElementFile regions(tb::kRegion);
  regions.AddArc({{0, 0}, {0, 4}, {4, 4}, {4, 0}});  // unclosed
  regions.AddArc({{1, 1}, {2, 2}});
  regions.AddPolygon({1});
  regions.AddPolygon({1, 0, 2});
  regions.Build().WriteTo(dir.Path("r.tmf"));
  const support::CommandRun strict = Tool("export " + dir.Path("r.tmf"));
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("element 1: a hole has too few points"), std::string::npos) << strict.err;
  const support::CommandRun lossy = Ok("export --lossy " + dir.Path("r.tmf"));
  const Json features = Json::parse(lossy.out)["features"];
  EXPECT_EQ(features[0]["geometry"]["coordinates"][0].size(), 5u) << "closed by its first point";
  EXPECT_EQ(features[1]["geometry"]["coordinates"].size(), 1u) << "the two-point hole is left out";
  for (const char* expected : {"2 rings closed", "1 points, lines or rings left out"})
    EXPECT_NE(lossy.err.find(expected), std::string::npos) << expected << "\n" << lossy.err;
}

// Options before or after the command, with = or apart, give the same answer;
// "-" is standard input or output; usage errors exit 2.
TEST(TerrixCommandLine, Conventions) {
  tb::TempDir dir;
  const std::string cities = kSamples + "/cities.tmf";
  const std::string a = Tool("--codepage GB18030 export " + cities).out;
  EXPECT_NE(a.find("\"FeatureCollection\""), std::string::npos) << a;
  EXPECT_EQ(Tool("export --codepage=GB18030 " + cities).out, a);
  EXPECT_EQ(Tool("export " + cities + " --codepage GB18030 -o -").out, a);
  EXPECT_EQ(Tool("export - --codepage GB18030", cities).out, a) << "a map file on standard input";
  const support::CommandRun r = Tool("import - - --codepage GB18030", kSamples + "/cities.geojson");
  ASSERT_EQ(r.status, 0) << r.err;
  std::ofstream(dir.Path("piped.tmf"), std::ios::binary) << r.out;
  EXPECT_EQ(Tool("export --codepage GB18030 " + dir.Path("piped.tmf")).out, a);

  for (const char* usage : {"", "frobnicate", "import a", "export a b", "export --kind point a",
                            "info --codepage", "check --threads=x a", "--wkt=1 export a"})
    EXPECT_EQ(Tool(usage).status, 2) << usage;
}

// Every file of a list is described, even after one that fails; JSON output
// is one document per file; check fails a file whose rings run against the
// order but not one that holds several polygons per element. Project, colour
// and legend files are recognised by their magic, symbol libraries on request.
TEST(TerrixCommandLine, InfoAndCheckStatuses) {
  tb::TempDir dir;
  const std::string countries = kSamples + "/countries.tmf";
  support::CommandRun r = Tool("info --json --codepage GB18030 " + countries + " " + dir.Path("missing.tmf") +
                               " " + kSamples + "/countries-table.tmf");
  EXPECT_EQ(r.status, 1);
  std::istringstream lines(r.out);
  std::vector<Json> docs;
  for (std::string line; std::getline(lines, line);) docs.push_back(Json::parse(line));
  ASSERT_EQ(docs.size(), 3u);
  EXPECT_EQ(docs[0]["kind"], "region file");
  EXPECT_EQ(docs[0]["layers"][0]["live"], 177);
  EXPECT_EQ(docs[0]["layers"][0]["table"]["fields"][2]["typeName"], "string");
  EXPECT_TRUE(docs[1].contains("error"));
  EXPECT_TRUE(docs[2]["extent"].is_null()) << "a table file has no extent";

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

  tb::ProjectFileBuilder project;
  project.Extent(1, 2, 3, 4).Description("roads of 2024").AddItem(0, "roads", "main roads", 2.5, 7);
  tb::WriteFile(dir.Path("p.prj"), project.AddItem(2, "lakes", "", 0, 0).Build());
  tb::WriteFile(dir.Path("c.clr"), tb::ColorLibBuilder().AddColor(0, 255, 0, 0, {}).Build());
  tb::WriteFile(dir.Path("l.lgd"), tb::LegendBuilder().AddItem(0, 0, 1).Style(tb::Bytes(67, 9)).Build());
  tb::WriteFile(dir.Path("s.sym"), tb::Bytes{0xAB, 0x01});
  r = Tool("info " + dir.Path("p.prj") + " " + dir.Path("c.clr") + " " + dir.Path("l.lgd"));
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* expected :
       {"map project file, 2 items", "extent: 1 2 3 4", "description: roads",
        "item 0: roads  kind 3  values 2.5 7  main", "item 1: lakes  kind 5", "colour library, 1 colours",
        "colour 1: RGB 0 255 255", "legend file, 1 entries", "entry 0: kind 0 (line style)"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  EXPECT_NE(Tool("info --symbol " + dir.Path("s.sym")).out.find("symbol library, head ab 01 00"),
            std::string::npos);
  EXPECT_EQ(Tool("info " + dir.Path("s.sym")).status, 1) << "no magic, no guess";
}

// A refusal exits 1, naming the file and why, and writes no output.
TEST(TerrixCommandLine, RefusalsNameTheFileAndWriteNothing) {
  tb::TempDir dir;
  std::ofstream(dir.Path("junk.tmf")) << "not a map file at all";
  tb::MapFileBuilder(tb::kPoint).RefusalFlag(1).WriteTo(dir.Path("refused.tmf"));
  std::vector<std::pair<std::string, std::string>> cases = {
      {"info " + dir.Path("missing.tmf"), "missing.tmf: cannot open"},
      {"export " + dir.Path("junk.tmf"), "junk.tmf: not a vector map file"},
      {"info " + dir.Path("refused.tmf"), "refused.tmf: opening failed: the file is refused"},
      {"export " + kSamples + "/cities.tmf -o " + dir.Path("no/such/dir/out.tmf"), "out.tmf: cannot write"},
      {"export " + kSamples + "/cities.tmf -o " + dir.Path(""), "cannot write: it is a directory"},
      {"import " + kSamples + "/cities.geojson /dev/null", "/dev/null: cannot write: it is a device"},
  };
  for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
           {"{\"type\": \"FeatureCollection\", \"features\": [", "not valid JSON at byte"},
           {std::string(100000, '[') + std::string(100000, ']'), "JSON nested deeper than 128 levels"},
           {"[1, 2, 3]", "not GeoJSON"},
           {R"({"type":"Feature","geometry":{"type":"Polygon","coordinates":[[0,0],[1,1]]}})",
            "feature 0: the coordinates of a Polygon are not valid (nested 2 deep instead of 3)"}}) {
    const std::string in = dir.Path(std::to_string(cases.size()) + ".geojson");
    std::ofstream(in) << text;
    cases.push_back({"import " + in + " " + dir.Path("out.tmf"), "geojson: " + message});
  }
  for (const auto& [args, message] : cases) {
    const support::CommandRun r = Tool(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_NE(::access(dir.Path("out.tmf").c_str(), F_OK), 0) << args;
  }
}
