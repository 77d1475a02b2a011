// The conversion cases of tests/conversion/cases, grouped by the rule they
// show, each through `terrix import` and through `ogr2ogr -f Terrix` with the
// plugin: a value arrives as it was or a warning says what changed; what the
// format cannot hold stops the conversion naming the feature; nothing but the
// output file is touched; a hostile map file costs no more than its size.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>

#include "builder/HostileFiles.h"
#include "builder/MapFileBuilder.h"
#include "support/Command.h"

using Json = nlohmann::json;
using support::CommandRun;
using support::RunCommand;

namespace {

const std::string kCases = TERRIX_CASES_DIR;
const std::string kTool = TERRIX_TOOL_PATH;
const std::string kPluginDir = TERRIX_PLUGIN_DIR;

std::string Case(const std::string& name) {
  return kCases + "/" + name;
}

CommandRun Terrix(const std::string& args) {
  return RunCommand(kTool + " " + args);
}

CommandRun Gdal(const std::string& program, const std::string& args) {
  return RunCommand("GDAL_DRIVER_PATH=" + kPluginDir + " " + program + " " + args);
}

// The two ways into a map file, with the same choices.
struct Way {
  const char* name;
  bool gdal;
};
const Way kWays[] = {{"terrix import", false}, {"ogr2ogr", true}};

CommandRun Convert(const Way& way, const std::string& input, const std::string& output,
                   const std::string& codePage = "GB18030", bool lossy = false) {
  if (way.gdal)
    return Gdal("ogr2ogr", "-f Terrix " + output + " " + input + " -lco CODEPAGE=" + codePage +
                               (lossy ? " -lco LOSSY=YES" : ""));
  return Terrix("import " + input + " " + output + " --codepage " + codePage + (lossy ? " --lossy" : ""));
}

// The features of a map file as terrix exports them.
Json Features(const std::string& map, const std::string& codePage = "GB18030") {
  const CommandRun run = Terrix("export " + map + " --codepage " + codePage);
  EXPECT_EQ(run.status, 0) << run.err;
  return run.status == 0 ? Json::parse(run.out)["features"] : Json::array();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

void ExpectWarned(const CommandRun& run, const std::string& text, const std::string& where) {
  EXPECT_NE(run.err.find(text), std::string::npos) << where << ": no warning \"" << text << "\"\n" << run.err;
}

class ByRule : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kPluginDir.empty()) skipGdal_ = true;
  }
  bool Skip(const Way& way) const { return way.gdal && skipGdal_; }
  std::string Out(const Way& way, const std::string& name) const {
    return dir_.Path(std::string(way.gdal ? "gdal-" : "terrix-") + name);
  }
  tb::TempDir dir_;
  bool skipGdal_ = false;
};

}  // namespace

// Every feature becomes one element and one record, whatever its values: an
// empty first row, a null last row.
TEST_F(ByRule, EveryFeatureIsWritten) {
  for (const Way& way : kWays) {
    if (Skip(way)) continue;
    const std::string out = Out(way, "nulls.tmf");
    const CommandRun run = Convert(way, Case("nulls-first-and-last.geojson"), out);
    ASSERT_EQ(run.status, 0) << way.name << "\n" << run.err;
    ExpectWarned(run, "field \"name\": 2 null values stored as empty text", way.name);
    ExpectWarned(run, "field \"pop\": 2 null values stored as 0", way.name);
    const Json f = Features(out);
    ASSERT_EQ(f.size(), 3u) << way.name;
    EXPECT_EQ(f[1]["properties"], Json::parse(R"({"name":"Lima","pop":9751717})")) << way.name;
    EXPECT_EQ(f[2]["properties"]["pop"], 0) << way.name;
    const Json info = Json::parse(Terrix("info --json " + out).out);
    EXPECT_EQ(info["layers"][0]["table"]["records"], info["layers"][0]["live"]) << way.name;
  }
}

// The kind comes from the first feature with a shape; the features before it
// keep their place, without a shape.
TEST_F(ByRule, TheFirstShapeDecidesTheKind) {
  for (const Way& way : kWays) {
    if (Skip(way)) continue;
    const std::string out = Out(way, "later.tmf");
    const CommandRun run = Convert(way, Case("shape-comes-later.geojson"), out);
    ASSERT_EQ(run.status, 0) << way.name << "\n" << run.err;
    const Json f = Features(out);
    ASSERT_EQ(f.size(), 4u) << way.name;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f[i]["properties"]["n"], i + 1) << way.name;
    EXPECT_TRUE(f[0]["geometry"].is_null() && f[1]["geometry"].is_null()) << way.name;
    EXPECT_EQ(f[3]["geometry"]["coordinates"][0][0], Json::parse("[5,5]")) << way.name;
    EXPECT_NE(Terrix("info " + out).out.find("region file"), std::string::npos) << way.name;
  }
}

// Text the code page cannot hold stops the conversion, naming the field, the
// feature and the character; the lossy mode stores '?' and counts it; GB18030
// holds everything.
TEST_F(ByRule, TextArrivesOrTheConversionSaysWhy) {
  const std::string input = Case("accented-and-cjk.geojson");
  const Json source = Json::parse(std::ifstream(input))["features"];
  for (const Way& way : kWays) {
    if (Skip(way)) continue;
    const std::string strict = Out(way, "strict.tmf");
    CommandRun run = Convert(way, input, strict, "GBK");
    EXPECT_NE(run.status, 0) << way.name;
    for (const char* part : {"feature 1", "field \"name\"", "U+00E3", "GB18030"})
      EXPECT_NE(run.err.find(part), std::string::npos) << way.name << ": " << part << "\n" << run.err;
    EXPECT_FALSE(Exists(strict)) << way.name;

    const std::string lossy = Out(way, "lossy.tmf");
    run = Convert(way, input, lossy, "GBK", true);
    ASSERT_EQ(run.status, 0) << way.name << "\n" << run.err;
    ExpectWarned(run, "field \"name\": 2 values held characters that GBK cannot hold", way.name);
    EXPECT_EQ(Features(lossy, "GBK")[1]["properties"]["name"], "S?o Paulo") << way.name;

    const std::string all = Out(way, "gb18030.tmf");
    run = Convert(way, input, all);
    ASSERT_EQ(run.status, 0) << way.name << "\n" << run.err;
    EXPECT_EQ(run.err.find("arning"), std::string::npos) << way.name << "\n" << run.err;
    const Json f = Features(all);
    for (std::size_t i = 0; i < source.size(); ++i)
      EXPECT_EQ(f[i]["properties"]["name"], source[i]["properties"]["name"]) << way.name;
  }
}

// Names fit the format's 20 bytes, cut on a character boundary, unique
// without regard to case, with no spaces (a name reads back as its first word); every rename is told.
TEST_F(ByRule, FieldNamesAreMadeToFitAndTold) {
  for (const Way& way : kWays) {
    if (Skip(way)) continue;
    const std::string out = Out(way, "names.tmf");
    const CommandRun run = Convert(way, Case("long-field-names.geojson"), out);
    ASSERT_EQ(run.status, 0) << way.name << "\n" << run.err;
    ExpectWarned(run, "\"population_estimate_2021\" -> \"population_estimat_1\"", way.name);
    ExpectWarned(run, "\"two words\" -> \"two_words\"", way.name);
    // GDAL renames a name equal but for case itself, before the plugin sees it.
    const std::string renamed = way.gdal ? "name2" : "name_1";
    ExpectWarned(run, way.gdal ? "Renaming it as 'name2'" : "\"name\" -> \"name_1\"", way.name);
    const Json properties = Features(out)[0]["properties"];
    EXPECT_EQ(properties["population_estimate_"], 1) << way.name;
    EXPECT_EQ(properties["population_estimat_1"], 2) << way.name;
    EXPECT_EQ(properties["人口普查的最新估计数"], 3) << way.name << ": ten characters, 20 GB18030 bytes";
    EXPECT_EQ(properties["two_words"], 4) << way.name;
    EXPECT_EQ(properties["NAME"], 5) << way.name;
    EXPECT_EQ(properties[renamed], 6) << way.name;
  }
}

// GeoPackage -> map file -> GeoPackage: dates, time stamps and 64-bit
// integers come back with their types; nulls come back where the type keeps
// them, and are told where it does not.
TEST_F(ByRule, TypesRoundTripThroughGeoPackage) {
  if (skipGdal_) GTEST_SKIP() << "the plugin or gdal-bin is not built";
  const std::string map = dir_.Path("types.tmf"), back = dir_.Path("back.gpkg");
  CommandRun run = Gdal("ogr2ogr", "-f Terrix " + map + " " + Case("types.gpkg") + " -lco CODEPAGE=GB18030");
  ASSERT_EQ(run.status, 0) << run.err;
  ExpectWarned(run, "field \"big\": 64-bit integers stored as decimal text", "ogr2ogr");
  ExpectWarned(run, "field \"small\": 1 null value stored as 0", "ogr2ogr");
  run = Gdal("ogr2ogr", "-f GPKG " + back + " " + map + " -oo CODEPAGE=GB18030");
  ASSERT_EQ(run.status, 0) << run.err;
  run = Gdal("ogrinfo", "-al " + back);
  for (const char* expected :
       {"day: Date", "stamp: DateTime", "big: Integer64", "small: Integer", "ratio: Real", "label: String",
        "day (Date) = 2024/02/29", "stamp (DateTime) = 2024/02/29 13:05:07.250",
        "big (Integer64) = 9007199254740993", "small (Integer) = 42", "ratio (Real) = 0.1",
        "day (Date) = (null)", "big (Integer64) = (null)"})
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
}

// Rings are stored in the format's order, so a hole that winds the way its
// shell does still comes back as that polygon's hole.
TEST_F(ByRule, ShapesComeBackAsGiven) {
  for (const Way& way : kWays) {
    if (Skip(way)) continue;
    const std::string out = Out(way, "hole.tmf");
    ASSERT_EQ(Convert(way, Case("same-winding-hole.geojson"), out).status, 0) << way.name;
    const Json g = Features(out)[0]["geometry"];
    EXPECT_EQ(g["type"], "Polygon") << way.name;
    ASSERT_EQ(g["coordinates"].size(), 2u) << way.name;
    EXPECT_EQ(g["coordinates"][1], Json::parse("[[2,2],[4,2],[4,4],[2,4],[2,2]]")) << way.name;

    const std::string z = Out(way, "z.tmf");
    const CommandRun run = Convert(way, Case("z-values.geojson"), z);
    ASSERT_EQ(run.status, 0) << way.name << "\n" << run.err;
    ExpectWarned(run, "Z values dropped from 2 features", way.name);
    EXPECT_EQ(Features(z)[1]["geometry"]["coordinates"], Json::parse("[[2,2],[3,3]]")) << way.name;
  }
}

// A ring of three points stops the conversion naming the feature; the lossy
// mode skips it and says so, and the feature keeps its place and values.
TEST_F(ByRule, ShapesTheFormatCannotHold) {
  for (const Way& way : kWays) {
    if (Skip(way)) continue;
    const std::string strict = Out(way, "short.tmf"), lossy = Out(way, "short-lossy.tmf");
    CommandRun run = Convert(way, Case("short-ring.geojson"), strict);
    EXPECT_NE(run.status, 0) << way.name;
    EXPECT_NE(run.err.find("feature 1: an outer ring has too few points"), std::string::npos)
        << way.name << run.err;
    EXPECT_FALSE(Exists(strict)) << way.name;
    run = Convert(way, Case("short-ring.geojson"), lossy, "GB18030", true);
    ASSERT_EQ(run.status, 0) << way.name << "\n" << run.err;
    ExpectWarned(run, "1 point, line or ring that the format cannot hold skipped", way.name);
    const Json f = Features(lossy);
    ASSERT_EQ(f.size(), 2u) << way.name;
    EXPECT_TRUE(f[1]["geometry"].is_null()) << way.name;
    EXPECT_EQ(f[1]["properties"]["id"], 2) << way.name;
  }
}

// Output goes only into the file named: through a link its target is
// written, devices and pipes are refused, and a failed conversion leaves the
// previous file as it was.
TEST_F(ByRule, NothingButTheOutputIsTouched) {
  const std::string points = Case("nulls-first-and-last.geojson");
  for (const Way& way : kWays) {
    if (Skip(way)) continue;
    CommandRun run = Convert(way, points, "/dev/null");
    EXPECT_NE(run.status, 0) << way.name;
    EXPECT_NE(run.err.find("/dev/null: cannot write: it is a device"), std::string::npos)
        << way.name << run.err;
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "/dev/null is still the null device";

    // A link to a file that does not exist yet: the file is made, the link stays.
    const std::string link = Out(way, "link.tmf"), target = Out(way, "target.tmf");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(Convert(way, points, link).status, 0) << way.name;
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << way.name;
    EXPECT_EQ(Features(link).size(), 3u) << way.name;
  }
  // terrix replaces an existing file only when the new one is complete, and
  // never opens a pipe (its reader would hang).
  const std::string kept = dir_.Path("kept.tmf");
  ASSERT_EQ(Terrix("import " + points + " " + kept).status, 0);
  std::ifstream before(kept, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(before)), {});
  EXPECT_EQ(Terrix("import " + Case("accented-and-cjk.geojson") + " " + kept).status, 1);
  std::ifstream after(kept, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), bytes);
  ASSERT_EQ(::mkfifo(dir_.Path("pipe").c_str(), 0600), 0);
  const CommandRun run = Terrix("export " + kept + " -o " + dir_.Path("pipe"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write: it is a named pipe"), std::string::npos) << run.err;
}

// Map files built byte by byte that claim far more than they hold: every
// command answers in well under a second; a node table without a valid head
// gives the nodes no values rather than the arcs'.
TEST_F(ByRule, HostileMapFilesCostNoMoreThanTheirSize) {
  tb::WriteOverclaimingRegions(dir_.Path("claims.tmf"));
  tb::WriteOverclaimingRows(dir_.Path("rows.tmf"));
  tb::WriteNetworkWithoutNodeTable(dir_.Path("net.tmf"));

  for (const std::string name : {"claims.tmf", "rows.tmf", "net.tmf"}) {
    const std::string path = dir_.Path(name);
    std::vector<std::string> commands = {kTool + " info " + path, kTool + " export " + path,
                                         kTool + " check " + path};
    if (!skipGdal_) commands.push_back("GDAL_DRIVER_PATH=" + kPluginDir + " ogrinfo -al " + path);
    for (const std::string& command : commands) {
      const auto start = std::chrono::steady_clock::now();
      const CommandRun run = RunCommand(command);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << command;
      EXPECT_NE(run.status, -1) << command << " ended by a signal";
      if (name == "net.tmf" && command.find(" export ") != std::string::npos) {
        const Json f = Json::parse(run.out)["features"];
        ASSERT_EQ(f.size(), 2u);
        EXPECT_EQ(f[0]["properties"]["road"], "A1");
        EXPECT_FALSE(f[1]["properties"].contains("road")) << "a node has no arc's values";
      }
      if (name == "rows.tmf" && command.find(" info ") != std::string::npos) {
        EXPECT_NE(run.err.find("claims 2147483647 rows but has room for at most"), std::string::npos)
            << run.err;
      }
    }
  }
}
