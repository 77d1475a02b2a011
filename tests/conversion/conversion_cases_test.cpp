// The conversion cases of tests/conversion/cases, each through `terrix import` and `ogr2ogr -f Terrix`, and
// hostile map files through terrix and ogrinfo.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <tuple>
#include <nlohmann/json.hpp>

#include "builder/HostileFiles.h"
#include "builder/MapFileBuilder.h"
#include "support/Command.h"

using Json = nlohmann::json;
using support::CommandRun;
using support::RunCommand;
using Strings = std::vector<std::string>;

namespace {

const std::string kCases = TERRIX_CASES_DIR, kTool = TERRIX_TOOL_PATH, kPluginDir = TERRIX_PLUGIN_DIR;

// Both ways into a map file (ogr2ogr when the plugin and gdal-bin are there), each writing its own files.
class ByRule : public ::testing::Test {
 protected:
  static CommandRun Terrix(const std::string& args) { return RunCommand(kTool + " " + args); }
  static CommandRun Gdal(const std::string& args) {
    return RunCommand("GDAL_DRIVER_PATH=" + kPluginDir + " " + args);
  }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != text.npos; }
  // The features of a map file as terrix exports them.
  static Json Features(const std::string& map, const std::string& codePage = "GB18030") {
    const CommandRun run = Terrix("export " + map + " --codepage " + codePage);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.status == 0 ? Json::parse(run.out)["features"] : Json::array();
  }
  static Strings Ways() { return kPluginDir.empty() ? Strings{"terrix"} : Strings{"terrix", "ogr2ogr"}; }
  std::string Out(const std::string& way, const std::string& file) const {
    return dir_.Path(way + "-" + file);
  }
  CommandRun Convert(const std::string& way, const std::string& input, const std::string& output,
                     const std::string& codePage = "GB18030", bool lossy = false) const {
    const std::string in = kCases + "/" + input;
    if (way == "ogr2ogr")
      return Gdal("ogr2ogr -f Terrix " + output + " " + in + " -lco CODEPAGE=" + codePage +
                  (lossy ? " -lco LOSSY=YES" : ""));
    return Terrix("import " + in + " " + output + " --codepage " + codePage + (lossy ? " --lossy" : ""));
  }
  tb::TempDir dir_;
};

}  // namespace

// A value arrives as it was or a warning says what changed (no other warning); what the format cannot hold
// stops the conversion, naming the feature, with no file left. Read back: the kind, a record per element,
// values by JSON pointer into the features (the one past the last: null, so the count too).
TEST_F(ByRule, ValuesArriveOrAWarningOrErrorSaysWhy) {
  // Input, code page, lossy, what is told (warnings, or the error's parts), kind (null: refused), values as
  // {JSON pointer into the features: value}.
  // clang-format off
  const std::vector<std::tuple<const char*, const char*, bool, Strings, const char*, const char*>> cases = {
      // Every feature is written whatever its values: an empty first row, a null last row.
      {"nulls-first-and-last.geojson", "GB18030", false, {"field \"name\": 2 null values stored as empty text",
       "field \"pop\": 2 null values stored as 0"}, "point file",
       R"({"/1/properties": {"name": "Lima", "pop": 9751717}, "/2/properties": {"name": "", "pop": 0}, "/3": null})"},
      // The kind comes from the first feature with a shape; the features before it keep their place.
      {"shape-comes-later.geojson", "GB18030", false, {}, "region file",
       R"({"/0": {"type": "Feature", "id": 0, "properties": {"n": 1}, "geometry": null}, "/1/geometry": null, "/1/properties/n": 2,
           "/2/properties/n": 3, "/3/properties/n": 4, "/3/geometry/coordinates/0/0": [5, 5], "/4": null})"},
      // Text the code page cannot hold is refused, named; the lossy mode stores '?'; GB18030 holds all.
      {"accented-and-cjk.geojson", "GBK", false, {"feature 1", "field \"name\"", "U+00E3", "GB18030"}, nullptr, ""},
      {"accented-and-cjk.geojson", "GBK", true, {"field \"name\": 2 values held characters that GBK cannot hold"},
       "point file", R"({"/0/properties/name": "Beijing 北京", "/1/properties/name": "S?o Paulo", "/3": null})"},
      {"accented-and-cjk.geojson", "GB18030", false, {}, "point file",
       R"({"/0/properties/name": "Beijing 北京", "/1/properties/name": "São Paulo",
           "/2/properties/name": "Côte d'Ivoire", "/3": null})"},
      // Rings in the format's order: a hole winding as its shell does is still that polygon's hole.
      {"same-winding-hole.geojson", "GB18030", false, {}, "region file",
       R"({"/0/geometry": {"type": "Polygon", "coordinates": [[[0, 0], [0, 10], [10, 10], [10, 0], [0, 0]],
           [[2, 2], [4, 2], [4, 4], [2, 4], [2, 2]]]}, "/1": null})"},
      {"z-values.geojson", "GB18030", false, {"Z values dropped from 2 features"}, "line file",
       R"({"/0/geometry/coordinates": [[0, 0], [1, 1]], "/1/geometry/coordinates": [[2, 2], [3, 3]], "/2": null})"},
      // A ring of three points is refused; the lossy mode skips it, the feature keeping its place.
      {"short-ring.geojson", "GB18030", false, {"feature 1: an outer ring has too few points"}, nullptr, ""},
      {"short-ring.geojson", "GB18030", true, {"1 point, line or ring that the format cannot hold skipped"},
       "region file", R"({"/1/geometry": null, "/1/properties/id": 2, "/2": null})"},
  };
  // clang-format on
  int n = 0;
  for (const auto& [input, codePage, lossy, told, kind, values] : cases) {
    for (const std::string& way : Ways()) {
      SCOPED_TRACE(way + " " + input + " " + codePage + (lossy ? " lossy" : ""));
      const std::string out = Out(way, std::to_string(n++) + ".tmf");
      const CommandRun run = Convert(way, input, out, codePage, lossy);
      for (const std::string& text : told) EXPECT_TRUE(Has(run.err, text)) << text << "\n" << run.err;
      EXPECT_EQ(run.status == 0, kind != nullptr) << run.err;
      if (kind == nullptr) {
        EXPECT_NE(::access(out.c_str(), F_OK), 0) << "no file left";
        continue;
      }
      std::size_t warnings = 0;
      for (std::size_t at = 0; (at = run.err.find("arning", at)) != std::string::npos; ++at) ++warnings;
      EXPECT_EQ(warnings, told.size()) << "no other warning\n" << run.err;
      const Json info = Json::parse(Terrix("info --json " + out).out);
      EXPECT_EQ(info["kind"], kind);
      const Json& layer = info["layers"][0];  // a record per element (both counts present)
      EXPECT_TRUE(layer["live"].is_number() && layer["table"]["records"] == layer["live"]) << layer;
      const Json f = Features(out, codePage);  // a pointer one past the last feature: null
      const Json expected = Json::parse(values);
      for (const auto& [pointer, value] : expected.items()) {
        const Json::json_pointer at(pointer);
        EXPECT_EQ(f.contains(at) ? f.at(at) : Json(), value) << pointer;
      }
    }
  }
}

// Names fit the format's 20 bytes, cut on a character boundary, unique without regard to case, with no
// spaces (a name reads back as its first word); every rename is told.
TEST_F(ByRule, FieldNamesAreMadeToFitAndTold) {
  for (const std::string& way : Ways()) {
    SCOPED_TRACE(way);
    const CommandRun run = Convert(way, "long-field-names.geojson", Out(way, "names.tmf"));
    ASSERT_EQ(run.status, 0) << run.err;
    // GDAL renames a name equal but for case itself, before the plugin sees it.
    for (const char* text :
         {"\"population_estimate_2021\" -> \"population_estimat_1\"", "\"two words\" -> \"two_words\"",
          way == "ogr2ogr" ? "Renaming it as 'name2'" : "\"name\" -> \"name_1\""})
      EXPECT_TRUE(Has(run.err, text)) << text << "\n" << run.err;
    Json expected = Json::parse(R"({"population_estimate_": 1, "population_estimat_1": 2,
                                    "人口普查的最新估计数": 3, "two_words": 4, "NAME": 5})");
    expected[way == "ogr2ogr" ? "name2" : "name_1"] = 6;
    EXPECT_EQ(Features(Out(way, "names.tmf"))[0]["properties"], expected)
        << "ten characters, 20 GB18030 bytes";
  }
}

// Output goes only into the file named: through a link its target is written; devices and pipes refused.
TEST_F(ByRule, NothingButTheOutputIsTouched) {
  const std::string points = "nulls-first-and-last.geojson";
  struct stat st {};
  for (const std::string& way : Ways()) {
    SCOPED_TRACE(way);
    const CommandRun run = Convert(way, points, "/dev/null");
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(Has(run.err, "/dev/null: cannot write: it is a device")) << run.err;
    EXPECT_TRUE(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode)) << "/dev/null is still the null device";
    // A link to a file that does not exist yet: the file is made, the link stays.
    const std::string link = Out(way, "link.tmf");
    ASSERT_EQ(::symlink(Out(way, "target.tmf").c_str(), link.c_str()), 0);
    ASSERT_EQ(Convert(way, points, link).status, 0);
    EXPECT_TRUE(::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_EQ(Features(link).size(), 3u);
  }
  // terrix never opens a pipe (its reader would hang).
  ASSERT_EQ(::mkfifo(dir_.Path("pipe").c_str(), 0600), 0);
  const CommandRun run = Terrix("export " + Out("terrix", "target.tmf") + " -o " + dir_.Path("pipe"));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "cannot write: it is a named pipe")) << run.err;
}

// Map files built byte by byte that claim far more than they hold: every command answers in well under a
// second; a node table without a valid head gives the nodes no values rather than the arcs'.
TEST_F(ByRule, HostileMapFilesCostNoMoreThanTheirSize) {
  tb::WriteOverclaimingRegions(dir_.Path("claims.tmf"));
  tb::WriteOverclaimingRows(dir_.Path("rows.tmf"));
  tb::WriteNetworkWithoutNodeTable(dir_.Path("net.tmf"));
  for (const std::string name : {"claims.tmf", "rows.tmf", "net.tmf"}) {
    for (const std::string command : {"info", "export", "check", "ogrinfo"}) {
      if (command == "ogrinfo" && kPluginDir.empty()) continue;
      SCOPED_TRACE(command + " " + name);
      const auto start = std::chrono::steady_clock::now();
      const CommandRun run = command == "ogrinfo" ? Gdal("ogrinfo -al " + dir_.Path(name))
                                                  : Terrix(command + " " + dir_.Path(name));
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
      EXPECT_NE(run.status, -1) << "ended by a signal";
      if (name == "net.tmf" && command == "export") {
        const Json f = Json::parse(run.out)["features"];
        ASSERT_EQ(f.size(), 2u);
        EXPECT_EQ(f[0]["properties"]["road"], "A1");
        EXPECT_FALSE(f[1]["properties"].contains("road")) << "a node has no arc's values";
      }
      if (name == "rows.tmf" && command == "info") {
        EXPECT_TRUE(Has(run.err, "claims 2147483647 rows but has room for at most")) << run.err;
      }
    }
  }
}
