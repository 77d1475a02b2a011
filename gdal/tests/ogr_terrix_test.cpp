// The Terrix driver as GDAL loads it, and ogr2ogr and ogrinfo where their behaviour matters.
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "support/Command.h"

namespace {

using Strings = std::vector<std::string>;
using Dataset = std::unique_ptr<GDALDataset, void (*)(GDALDatasetH)>;
const std::string kOgrInfo = TERRIX_OGRINFO, kOgr2Ogr = TERRIX_OGR2OGR, kData = TERRIX_NATURALEARTH_DIR;
const std::string kCountries = kData + "/naturalearth_lowres.shp",
                  kCities = kData + "/naturalearth_cities.shp";
const char* const kGb18030[] = {"CODEPAGE=GB18030", nullptr};

const bool kRegistered = [] {
  setenv("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR, 1);  // for the programs run too
  CPLSetConfigOption("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR);
  GDALAllRegister();
  return true;
}();

// The CPLErrors raised while it lives, one a line as GDAL's programs print them, kept from the terminal.
struct ErrorLog {
  ErrorLog() { CPLPushErrorHandlerEx(Handler, &text); }
  ~ErrorLog() { CPLPopErrorHandler(); }
  static void CPL_STDCALL Handler(CPLErr level, CPLErrorNum, const char* message) {
    *static_cast<std::string*>(CPLGetErrorHandlerUserData()) +=
        std::string(level == CE_Warning ? "Warning 1: " : "ERROR 1: ") + message + "\n";
  }
  std::string text;
};

// Files in a temporary folder, datasets, features as text, and GDAL's programs run (both streams in `out`).
class TerrixPlugin : public ::testing::Test {
 protected:
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != text.npos; }
  static std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static support::CommandRun Run(const std::string& command) {
    const support::CommandRun run = support::RunCommand(command);
    return {run.status, run.out + run.err, ""};
  }
  static Strings FilesIn(const std::string& dir) {
    Strings names;
    const CPLStringList entries(VSIReadDir(dir.c_str()));
    for (int i = 0; i < entries.size(); ++i)
      if (entries[i][0] != '.') names.emplace_back(entries[i]);
    std::sort(names.begin(), names.end());
    return names;
  }
  static Dataset Open(const std::string& path, const char* const* options = kGb18030, bool update = false) {
    const int flags = GDAL_OF_VECTOR | (update ? GDAL_OF_UPDATE : 0);
    return Dataset(GDALDataset::Open(path.c_str(), flags, nullptr, options, nullptr), GDALClose);
  }
  static Dataset Create(const std::string& path) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Terrix");
    return Dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr), GDALClose);
  }
  // A feature as text: "FID:" (when asked), each field ("null" for a null one) and "|", then the geometry's
  // WKT (1 for 1.0); reals and coordinates to 17 digits, which tell every double apart.
  static std::string Row(const OGRFeature& f, bool fid = false) {
    std::string row = fid ? std::to_string(f.GetFID()) + ":" : "";
    for (int i = 0; i < f.GetFieldCount(); ++i)
      row += std::string(f.IsFieldNull(i) ? "null"
                         : f.GetFieldDefnRef(i)->GetType() == OFTReal
                             ? CPLSPrintf("%.17g", f.GetFieldAsDouble(i))
                             : f.GetFieldAsString(i)) +
             "|";
    if (f.GetGeometryRef() == nullptr) return row;
    OGRWktOptions exact;
    exact.precision = 17;
    exact.round = false;
    exact.format = OGRWktFormat::G;
    return row +
           std::regex_replace(f.GetGeometryRef()->exportToWkt(exact), std::regex(R"(\.0([ ,)]))"), "$1");
  }
  static Strings Rows(OGRLayer* layer, bool fid = false) {
    Strings rows;
    for (auto& f : *layer) rows.push_back(Row(*f, fid));
    return rows;
  }
  static Strings Rows(const std::string& path, const char* const* options = kGb18030) {
    Dataset ds = Open(path, options);
    return ds ? Rows(ds->GetLayer(0)) : Strings{"cannot be opened"};
  }
  // Each expected text in `out`, and as many warnings as texts.
  static void ExpectWarnings(const std::string& out, const Strings& expected) {
    std::size_t warnings = 0;
    for (std::size_t at = 0; (at = out.find("Warning 1: ", at)) != out.npos; ++at) ++warnings;
    EXPECT_EQ(warnings, expected.size()) << out;
    for (const std::string& text : expected) EXPECT_TRUE(Has(out, text)) << text << "\n" << out;
  }
  tb::TempDir dir_;
};
using TerrixOgr2Ogr = TerrixPlugin;  // the tests that run gdal-bin's programs only

}  // namespace

// A layer per file (a network file's arcs and nodes apart), fields from the type table, element numbers as
// ids past deleted elements, counts and extents as stored; opened by magic (for update: not a network file,
// quietly, as ogrinfo -sql asks for update first); filters.
TEST_F(TerrixPlugin, FilesReadAsStoredOpenedByMagicAndFiltered) {
  tb::ElementFile points(tb::kPoint), net(tb::kNetwork);
  points.AddPoint(1, 2, "\xC7\xC5");  // 桥
  points.AddPoint(3, 4, "", 0);
  points.AddPoint(5, 6, "");
  tb::AttributeSection pointTable, arcTable, nodeTable;
  pointTable.Field("name", 0, 8).Field("pop", 3, 4).Elements(3).Text(0, 0, "\xB1\xB1\xBE\xA9");  // 北京
  pointTable.Put(0, 1, std::int32_t{7}).Text(2, 0, "x").Put(2, 1, std::int32_t{9});
  points.Build().Extent(1, 2, 5, 6).Section(2, pointTable.Build()).WriteTo(dir_.Path("pts.tmf"));
  net.AddArc({{0, 0}, {1, 0}});
  net.AddArc({{1, 0}, {1, 1}});
  for (int i = 0; i < 3; ++i) net.AddNode(i > 0, i > 1, tb::Bytes(94, 0), i == 1 ? 0 : tb::kInUse);
  arcTable.Field("road", 0, 6).Text(0, 0, "A1").Text(1, 0, "B2");
  nodeTable.Field("id", 3, 4).Put(0, 0, std::int32_t{7}).Put(2, 0, std::int32_t{9});
  tb::MapFileBuilder netFile = net.Build().Extent(0, 0, 1, 1).Section(2, arcTable.Build());
  netFile.Section(5, nodeTable.Build()).WriteTo(dir_.Path("net.dat"));
  // clang-format off
  const std::vector<std::tuple<const char*, const char*, const char*, Strings>> layers = {
      {"pts.tmf", "pts", "Point 1,2,5,6 name:String/8 pop:Integer terrix:note:String",
       {"0:北京|7|桥|POINT (1 2)", "2:x|9|null|POINT (5 6)"}},
      {"net.dat", "net_arcs", "Line String 0,0,1,1 road:String/6", {"0:A1|LINESTRING (0 0,1 0)", "1:B2|LINESTRING (1 0,1 1)"}},
      {"net.dat", "net_nodes", "Point 0,0,1,1 id:Integer", {"0:7|POINT (0 0)", "1:0|POINT (1 0)", "2:9|POINT (1 1)"}},
  };
  // clang-format on
  for (const auto& [file, name, description, rows] : layers) {
    SCOPED_TRACE(name);
    Dataset ds = Open(dir_.Path(file), nullptr);
    OGRLayer* layer = ds ? ds->GetLayerByName(name) : nullptr;
    ASSERT_NE(layer, nullptr) << CPLGetLastErrorMsg();
    OGREnvelope e;
    std::string text = OGRGeometryTypeToName(layer->GetGeomType());
    if (layer->GetExtent(&e) == OGRERR_NONE)
      text += CPLSPrintf(" %g,%g,%g,%g", e.MinX, e.MinY, e.MaxX, e.MaxY);
    for (int i = 0; i < layer->GetLayerDefn()->GetFieldCount(); ++i) {
      const OGRFieldDefn* f = layer->GetLayerDefn()->GetFieldDefn(i);
      text += std::string(" ") + f->GetNameRef() + ":" + f->GetFieldTypeName(f->GetType()) +
              (f->GetWidth() ? "/" + std::to_string(f->GetWidth()) : "");
    }
    EXPECT_EQ(text, description);
    EXPECT_EQ(Rows(layer, true), rows);
    EXPECT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(rows.size()));
    Strings byId;  // none for a deleted element or beyond
    for (GIntBig fid = -1; fid <= 4; ++fid)
      if (std::unique_ptr<OGRFeature> f(layer->GetFeature(fid)); f) byId.push_back(Row(*f, true));
    EXPECT_EQ(byId, rows);
    ASSERT_EQ(layer->SetNextByIndex(1), OGRERR_NONE) << "counting live features, not elements";
    std::unique_ptr<OGRFeature> second(layer->GetNextFeature());
    EXPECT_EQ(second ? Row(*second, true) : "none", rows[1]);
  }
  ErrorLog log;
  EXPECT_FALSE(Open(dir_.Path("net.dat"), nullptr, true));
  EXPECT_EQ(log.text, "");
  Dataset ds = Open(dir_.Path("pts.tmf"), nullptr);
  OGRLayer* layer = ds->GetLayer(0);
  EXPECT_TRUE(layer->TestCapability(OLCFastFeatureCount) && layer->TestCapability(OLCFastSetNextByIndex));
  ASSERT_EQ(layer->SetAttributeFilter("pop > 8"), OGRERR_NONE);
  EXPECT_FALSE(layer->TestCapability(OLCFastFeatureCount) || layer->TestCapability(OLCFastSetNextByIndex));
  EXPECT_EQ(layer->GetFeatureCount(), 1);
  layer->SetAttributeFilter(nullptr);
  const char* ignored[] = {"name", "terrix:note", "OGR_GEOMETRY", nullptr};
  ASSERT_EQ(layer->SetIgnoredFields(ignored), OGRERR_NONE);
  EXPECT_EQ(Rows(layer), (Strings{"|7||", "|9||"})) << "only pop read";
}

// Every OGR field type read back as its type (lists as text), values exact; NULLs kept where the format has
// a null, else stored as the empty value and said; a time zone dropped and said.
TEST_F(TerrixPlugin, EveryFieldTypeReadsBackOrSaysWhatChanged) {
  // name, type, subtype, two values as OGR's text (binary in hex), what a NULL is stored as (null: kept),
  // what the writer says of the values
  // clang-format off
  const std::vector<std::tuple<const char*, OGRFieldType, OGRFieldSubType, Strings, const char*, const char*>> columns = {
      {"text", OFTString, OFSTNone, {"Zürich 北京", "x"}, "empty text", nullptr},
      {"i16", OFTInteger, OFSTInt16, {"-32768", "32767"}, "0", nullptr},
      {"i32", OFTInteger, OFSTNone, {"2147483647", "-2147483648"}, "0", nullptr},
      {"flag", OFTInteger, OFSTBoolean, {"1", "0"}, "false", nullptr},
      {"i64", OFTInteger64, OFSTNone, {"123456", "-5"}, "0", nullptr},
      {"i64d", OFTInteger64, OFSTNone, {"5000000000", "-9007199254740992"}, "0", "64-bit integers stored as doubles"},
      {"i64t", OFTInteger64, OFSTNone, {"9007199254740993", "-4611686018427387904"}, nullptr,
       "64-bit integers stored as decimal text"},
      {"f32", OFTReal, OFSTFloat32, {"0.5", "-1.25"}, "0", nullptr},
      {"real", OFTReal, OFSTNone, {"0.1", "4.9406564584124654e-324"}, "0", nullptr},
      {"day", OFTDate, OFSTNone, {"1999/12/31", "0001/01/01"}, nullptr, nullptr},
      {"clock", OFTTime, OFSTNone, {"23:59:58.125", "00:00:01"}, "00:00:00", nullptr},
      {"stamp", OFTDateTime, OFSTNone, {"2024/02/29 13:14:15.5", "2000/01/01 23:59:59.25+01"}, nullptr,
       "1 time zone dropped"},
      {"blob", OFTBinary, OFSTNone, {"00FF1000", "AB00CD01"}, "zero bytes", nullptr},
      {"list", OFTIntegerList, OFSTNone, {"(3:1,2,3)", "(1:7)"}, "empty text", " of type IntegerList is stored as text"},
  };
  // clang-format on
  const int n = static_cast<int>(columns.size());
  const std::string map = "/vsimem/terrix-" + std::to_string(::getpid()) + "/types.tmf";
  std::vector<std::unique_ptr<OGRFeature>> written;
  Strings expected;
  ErrorLog log;
  {
    Dataset ds = Create(map);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    OGRLayer* layer = ds->CreateLayer("types", &wgs84, wkbPoint, nullptr);
    for (const auto& [name, type, subType, values, nullAs, said] : columns) {
      OGRFieldDefn defn(name, type);
      defn.SetSubType(subType);
      ASSERT_EQ(layer->CreateField(&defn), OGRERR_NONE) << name;
      if (nullAs)
        expected.push_back(std::string("field \"") + name + "\": 1 null value stored as " + nullAs + " (");
      if (said)
        expected.push_back(std::string("field \"") + name + (type == OFTIntegerList ? "\"" : "\": ") + said);
    }
    for (int k = 0; k < 3; ++k) {  // all NULL first, then each column's values
      OGRFeature& f = *written.emplace_back(std::make_unique<OGRFeature>(layer->GetLayerDefn()));
      for (int i = 0; i < n; ++i) {
        int bytes = 0;
        const char* text = k == 0 ? nullptr : std::get<3>(columns[i])[k - 1].c_str();
        GByte* binary = text && std::get<1>(columns[i]) == OFTBinary ? CPLHexToBinary(text, &bytes) : nullptr;
        binary ? f.SetField(i, bytes, binary) : text ? f.SetField(i, text) : f.SetFieldNull(i);
        CPLFree(binary);
      }
      f.SetGeometryDirectly(new OGRPoint(1.25, -2.5));
      ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE) << log.text;
    }
  }
  ExpectWarnings(log.text, expected);
  EXPECT_EQ(FilesIn(CPLGetPath(map.c_str())), (Strings{"types.prj", "types.tmf"})) << "a virtual file too";
  Dataset ds = Open(map, nullptr);
  EXPECT_STREQ(ds->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "4326");
  OGRFeatureDefn* defn = ds->GetLayer(0)->GetLayerDefn();
  ASSERT_EQ(defn->GetFieldCount(), n) << "no note field";
  EXPECT_EQ(defn->GetFieldDefn(0)->GetWidth(), 12) << "the longest value's GBK bytes";
  std::unique_ptr<OGRFeature> nulls(ds->GetLayer(0)->GetFeature(0));
  for (int i = 0; i < n; ++i) {
    const auto& [name, type, subType, values, nullAs, said] = columns[i];
    const OGRFieldDefn& field = *defn->GetFieldDefn(i);
    EXPECT_EQ(
        std::make_tuple(std::string(field.GetNameRef()), field.GetType(), field.GetSubType(),
                        nulls->IsFieldNull(i)),
        std::make_tuple(std::string(name), type == OFTIntegerList ? OFTString : type, subType, !nullAs));
    if (type == OFTDateTime) written[2]->GetRawFieldRef(i)->Date.TZFlag = 0;  // not kept
  }
  const Strings rows = Rows(ds->GetLayer(0));
  EXPECT_EQ(Strings(rows.begin() + 1, rows.end()), (Strings{Row(*written[1]), Row(*written[2])}));
}

// The kind from the layer's type, else the first geometry (features before it keep their place); rings
// clockwise, holes the other way; a part per element; Z dropped, curves made straight, each said; what the
// format cannot hold refused, naming the feature and LOSSY, leaving nothing behind.
TEST_F(TerrixPlugin, ShapesMakeTheKindAndReadBackAsStoredOrAreRefused) {
  // Layer type, WKTs (null: none), kind read (wkbUnknown: the last refused), rows "n|WKT" (or what a refusal
  // says), warnings.
  // clang-format off
  const std::vector<std::tuple<OGRwkbGeometryType, std::vector<const char*>, OGRwkbGeometryType, Strings, Strings>> cases = {
      {wkbUnknown, {nullptr, "MULTIPOLYGON (((5 5,5 6,6 6,5 5)),((7 7,7 8,8 8,7 7)))",
                    "POLYGON ((0 0,4 0,4 4,0 4,0 0),(1 1,2 1,2 2,1 2,1 1))"}, wkbPolygon,
       {"0|", "1|MULTIPOLYGON (((5 5,5 6,6 6,5 5)),((7 7,7 8,8 8,7 7)))",
        "2|POLYGON ((0 0,0 4,4 4,4 0,0 0),(1 1,2 1,2 2,1 2,1 1))"}, {}},
      {wkbMultiLineString, {"LINESTRING EMPTY", "MULTILINESTRING ((0 0,1 1),(2 2,3 3,4 4))"}, wkbLineString,
       {"0|", "1|LINESTRING (0 0,1 1)", "1|LINESTRING (2 2,3 3,4 4)"},
       {"1 multi-part feature became 2 elements"}},
      {wkbCurvePolygon, {"CURVEPOLYGON (CIRCULARSTRING (0 0,0 1,1 1,1 0,0 0))"}, wkbPolygon, {},
       {"1 feature with curves"}},
      {wkbNone, {nullptr, nullptr}, wkbNone, {"0|", "1|"}, {}},
      {wkbUnknown, {"POLYGON ((0 0,0 1,1 1,0 0))", "POLYGON ((0 0,0 9,9 9,0 0),(1 1,1e999 2,2 2,1 1))"},
       wkbUnknown, {"not a finite number"}, {}},
      {wkbUnknown, {"POINT (0 0)", "POINT (1e999 1)"}, wkbUnknown, {"not a finite number"}, {}},
  };
  // clang-format on
  for (const auto& [layerType, wkts, kind, rows, warnings] : cases) {
    SCOPED_TRACE(wkts.back() ? wkts.back() : OGRGeometryTypeToName(layerType));
    tb::TempDir dir;
    ErrorLog log;
    {
      Dataset ds = Create(dir.Path("shapes.tmf"));
      OGRLayer* layer = ds->CreateLayer("shapes", nullptr, layerType, nullptr);
      EXPECT_EQ(ds->CreateLayer("more", nullptr, layerType), nullptr) << "a map file holds one layer";
      OGRFieldDefn n("n", OFTInteger);
      ASSERT_EQ(layer->CreateField(&n), OGRERR_NONE);
      for (std::size_t i = 0; i < wkts.size(); ++i) {
        OGRFeature f(layer->GetLayerDefn());
        f.SetField(0, static_cast<int>(i));
        OGRGeometry* g = nullptr;
        if (wkts[i] != nullptr) OGRGeometryFactory::createFromWkt(wkts[i], nullptr, &g);
        f.SetGeometryDirectly(g);
        const bool refused = kind == wkbUnknown && i + 1 == wkts.size();
        ASSERT_EQ(layer->CreateFeature(&f), refused ? OGRERR_FAILURE : OGRERR_NONE) << log.text;
        EXPECT_EQ(f.GetFID(), refused ? OGRNullFID : static_cast<GIntBig>(i));
      }
    }
    if (kind == wkbUnknown) {
      for (const std::string& text : {std::string("feature 1"), rows[0], std::string("LOSSY=YES")})
        EXPECT_TRUE(Has(log.text, text)) << log.text;
      EXPECT_EQ(FilesIn(dir.Path("")), Strings{});
      continue;
    }
    ExpectWarnings(log.text, warnings);
    Dataset ds = Open(dir.Path("shapes.tmf"), nullptr);
    EXPECT_EQ(ds->GetLayer(0)->GetGeomType(), kind);
    OGREnvelope extent;  // a table file has none
    EXPECT_EQ(ds->GetLayer(0)->GetExtent(&extent) == OGRERR_NONE, kind != wkbNone);
    EXPECT_EQ(rows.empty() ? rows : Rows(ds->GetLayer(0)), rows);
  }
}

// An update: a deletion alone is made in place (one state byte); other changes are seen at once and make the
// close write the file anew, sidecar kept; a change the format cannot hold leaves the file as it was.
TEST_F(TerrixPlugin, DeletionsInPlaceOtherChangesWrittenAnewFailuresLeaveTheFile) {
  if (kOgr2Ogr.empty() || kOgrInfo.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  const std::string map = dir_.Path("cities.tmf");
  ASSERT_EQ(Run(kOgr2Ogr + " -f Terrix " + map + " " + kCities + " -lco CODEPAGE=GB18030").status, 0);
  const std::string bytes = Bytes(map);
  Strings expected = Rows(map);
  {
    Dataset ds = Open(map, kGb18030, true);
    OGRLayer* layer = ds->GetLayer(0);
    EXPECT_EQ(layer->DeleteFeature(5), OGRERR_NONE);
    for (GIntBig gone : {-1, 5, 243})
      EXPECT_EQ(layer->DeleteFeature(gone), OGRERR_NON_EXISTING_FEATURE) << gone;
    EXPECT_EQ(layer->GetFeatureCount(), 242);
    EXPECT_EQ(layer->GetFeature(5), nullptr);
    EXPECT_FALSE(layer->TestCapability(OLCFastSetNextByIndex)) << "the generic walk now";
    ASSERT_EQ(layer->SetNextByIndex(5), OGRERR_NONE);
    EXPECT_EQ(std::unique_ptr<OGRFeature>(layer->GetNextFeature())->GetFID(), 6);
  }
  expected.erase(expected.begin() + 5);
  EXPECT_EQ(Rows(map), expected);
  const std::string after = Bytes(map);
  const auto [old, changed] = std::mismatch(bytes.begin(), bytes.end(), after.begin(), after.end());
  EXPECT_TRUE(old != bytes.end() &&
              std::string(old + 1, bytes.end()) == std::string(changed + 1, after.end()))
      << "the element's state byte alone";
  ErrorLog log;
  {
    Dataset ds = Open(map, kGb18030, true);
    OGRLayer* layer = ds->GetLayer(0);
    OGRFieldDefn rank("rank", OFTString);
    ASSERT_EQ(layer->CreateField(&rank), OGRERR_NONE);
    EXPECT_EQ(layer->CreateField(&rank), OGRERR_FAILURE) << "there already";
    std::unique_ptr<OGRFeature> f(layer->GetFeature(2));
    f->SetField("name", "Renamed");
    f->SetField("rank", "7");
    EXPECT_EQ(layer->SetFeature(f.get()), OGRERR_NONE);
    OGRFeature added(layer->GetLayerDefn());
    added.SetField("name", "Added");
    added.SetGeometryDirectly(new OGRPoint(-179.5, -89.5));
    EXPECT_EQ(layer->CreateFeature(&added), OGRERR_NONE);
    EXPECT_EQ(added.GetFID(), 243) << "after the file's elements";
    EXPECT_EQ(layer->GetFeatureCount(), 243);
    EXPECT_EQ(Row(*std::unique_ptr<OGRFeature>(layer->GetFeature(243))), "Added||POINT (-179.5 -89.5)");
    EXPECT_FALSE(layer->TestCapability(OLCFastGetExtent)) << "the stored extent no longer holds";
    OGREnvelope extent;
    ASSERT_EQ(layer->GetExtent(&extent, TRUE), OGRERR_NONE);
    EXPECT_EQ(extent.MinX + extent.MinY, -179.5 - 89.5);
  }
  ExpectWarnings(log.text,
                 {"written anew with the changes", "field \"rank\": 242 null values stored as empty text"});
  log.text.clear();
  for (std::string& row : expected) row.insert(row.find('|') + 1, "|");  // the new field, empty
  expected[2] = "Renamed|7|" + expected[2].substr(expected[2].find("||") + 2);
  expected.push_back("Added||POINT (-179.5 -89.5)");
  EXPECT_EQ(Rows(map), expected);
  EXPECT_STREQ(Open(map)->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "4326");
  const std::string written = Bytes(map);
  {
    Dataset ds = Open(map, kGb18030, true);
    OGRFeature bad(ds->GetLayer(0)->GetLayerDefn());
    bad.SetGeometryDirectly(new OGRPoint(HUGE_VAL, 0));
    EXPECT_EQ(ds->GetLayer(0)->CreateFeature(&bad), OGRERR_NONE) << "refused when the file is laid out";
    EXPECT_EQ(ds->GetLayer(0)->DeleteFeature(0), OGRERR_NONE);
  }
  EXPECT_TRUE(Has(log.text, "not a finite number")) << log.text;
  EXPECT_TRUE(Has(log.text.substr(log.text.rfind("ERROR 1: ")), "the file is as it was")) << log.text;
  EXPECT_EQ(Bytes(map), written);
  EXPECT_EQ(FilesIn(dir_.Path("")), (Strings{"cities.prj", "cities.tmf"}));
}

// A folder is a dataset of a map file (and NAME.prj) per layer: a new layer is a new file, -overwrite
// replaces one layer's file, DeleteLayer removes a file and its sidecar at closing.
TEST_F(TerrixPlugin, FolderIsADatasetOfAFilePerLayer) {
  if (kOgr2Ogr.empty() || kOgrInfo.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  const std::string folder = dir_.Path("maps"), ogr2ogr = kOgr2Ogr + " -f Terrix -lco CODEPAGE=GB18030 ";
  for (const std::string& args :
       {folder + " " + kCities + " -nln cities", "-update " + folder + " " + kCountries + " -nln countries",
        "-update -overwrite " + folder + " " + kCities + " -nln countries -where \"name LIKE 'A%'\""})
    EXPECT_EQ(Run(ogr2ogr + args).status, 0) << args;
  Dataset cities = Open(kCities, nullptr);
  cities->GetLayer(0)->SetAttributeFilter("name LIKE 'A%'");
  EXPECT_EQ(Rows(folder + "/countries.tmf"), Rows(cities->GetLayer(0))) << "the cities starting with A";
  EXPECT_EQ(FilesIn(folder), (Strings{"cities.prj", "cities.tmf", "countries.prj", "countries.tmf"}));
  {
    Dataset ds = Open(folder, kGb18030, true);
    ASSERT_STREQ(ds->GetLayer(0)->GetName(), "cities");
    EXPECT_TRUE(ds->DeleteLayer(0) == OGRERR_NONE && ds->GetLayerCount() == 1);
    EXPECT_EQ(FilesIn(folder).size(), 4u) << "removed at closing";
  }
  EXPECT_EQ(FilesIn(folder), (Strings{"countries.prj", "countries.tmf"}));
}

// ogr2ogr: countries copied bit for bit without a word, then -append doubling them, -overwrite with another
// kind and coordinate system; a failure at closing fails it and leaves no file; standard output and input; a
// shapefile's ESRI WKT kept through a map file, a NAME.prj that NAME.shp shares left as it is (and said).
TEST_F(TerrixOgr2Ogr, CopyAppendOverwriteFailureVirtualFilesAndCoordinateSystems) {
  if (kOgr2Ogr.empty() || kOgrInfo.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  const std::string d = dir_.Path(""), gb = " -lco CODEPAGE=GB18030", to = kOgr2Ogr + " -f Terrix " + d;
  ASSERT_EQ(VSIMkdir((d + "out").c_str(), 0755), 0);
  // clang-format off
  for (const auto& [command, ok, said] : std::vector<std::tuple<std::string, bool, Strings>>{
           {to + "twice.tmf " + kCountries + gb, true, {}},
           {kOgr2Ogr + " -update -append " + d + "twice.tmf " + kCountries + " -nln twice -doo CODEPAGE=GB18030",
            true, {"written anew with the changes"}},
           {to + "over.tmf " + kCountries + gb, true, {}},
           {to + "over.tmf -overwrite -nln over " + kCities + " -t_srs EPSG:3857" + gb, true, {}},
           {to + R"(out/bare.tmf '{"type":"Feature","properties":{},"geometry":null}')", false, {"the features need at least one field"}},
           {"(" + kOgr2Ogr + " -f Terrix /vsistdout/ " + kCities + gb + " > " + d + "piped.tmf)", true,
            {"coordinate system is not kept: standard output"}},
           {kOgr2Ogr + " -spat 9 35 21 60 -t_srs EPSG:32633 " + d + "utm.shp " + kCities, true, {}},
           {to + "map.tmf " + d + "utm.shp" + gb, true, {}},
           {kOgr2Ogr + " " + d + "back.shp " + d + "map.tmf -oo CODEPAGE=GB18030", true, {}},
           {to + "utm.tmf " + d + "utm.shp -t_srs EPSG:4326" + gb, true, {"the layer's coordinate system is not kept"}},
           {to + "utm.tmf " + d + "utm.shp" + gb, true, {}}}) {
    // clang-format on
    const support::CommandRun run = Run(command);
    EXPECT_EQ(run.status == 0, ok) << command << "\n" << run.out;
    if (ok) ExpectWarnings(run.out, said);
    EXPECT_TRUE(ok || Has(run.out, said[0])) << run.out;
  }
  Strings once = Rows(kCountries, nullptr), twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_TRUE(Rows(d + "twice.tmf") == twice);
  EXPECT_EQ(FilesIn(d + "out"), Strings{}) << "no output file, no temporary file";
  Dataset over = Open(d + "over.tmf");
  EXPECT_EQ(over->GetLayer(0)->GetGeomType(), wkbPoint);
  EXPECT_EQ(over->GetLayer(0)->GetFeatureCount(), 243);
  EXPECT_STREQ(over->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "3857");
  const support::CommandRun in = Run(kOgrInfo + " -al /vsistdin/ -oo CODEPAGE=GB18030 < " + d + "piped.tmf");
  EXPECT_TRUE(Has(in.out, "Feature Count: 243") && Has(in.out, "name (String) = Vatican City")) << in.out;
  EXPECT_EQ(Bytes(d + "back.prj"), Bytes(d + "utm.prj"));
  EXPECT_TRUE(Rows(d + "back.shp", nullptr) == Rows(d + "utm.shp", nullptr));
  EXPECT_STREQ(Open(d + "map.tmf")->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "32633");
  EXPECT_TRUE(Has(Bytes(d + "utm.prj"), "UTM_Zone_33N")) << "the shapefile's own, left as it is";
}
