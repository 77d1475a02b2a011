// The Terrix driver as GDAL loads it, and ogr2ogr and ogrinfo where their behaviour matters.
#include <TerrixLib.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "support/Command.h"

namespace {

using Strings = std::vector<std::string>;
const std::string kOgrInfo = TERRIX_OGRINFO, kOgr2Ogr = TERRIX_OGR2OGR;
const std::string kCountries = std::string(TERRIX_NATURALEARTH_DIR) + "/naturalearth_lowres.shp";
const std::string kCities = std::string(TERRIX_NATURALEARTH_DIR) + "/naturalearth_cities.shp";
const char* const kGb18030[] = {"CODEPAGE=GB18030", nullptr};
#define SKIP_WITHOUT_GDAL_PROGRAMS() \
  if (kOgr2Ogr.empty() || kOgrInfo.empty()) GTEST_SKIP() << "gdal-bin is not installed"

const bool kRegistered = [] {
  setenv("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR, 1);  // for the programs run too
  CPLSetConfigOption("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR);
  GDALAllRegister();
  return true;
}();

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A GDAL program's run, with what it printed on both streams in `out`.
support::CommandRun Program(const std::string& command) {
  support::CommandRun run = support::RunCommand(command);
  run.out += run.err;
  return run;
}

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

// Each expected text in exactly one warning of `out`, and no other warning.
void ExpectWarnings(const std::string& out, const Strings& expected) {
  Strings warnings;
  for (std::size_t at = 0; (at = out.find("Warning 1: ", at)) != std::string::npos; ++at)
    warnings.push_back(out.substr(at, out.find('\n', at) - at));
  EXPECT_EQ(warnings.size(), expected.size()) << out;
  for (const std::string& text : expected) {
    int matches = 0;
    for (const std::string& w : warnings) matches += Has(w, text) ? 1 : 0;
    EXPECT_EQ(matches, 1) << text << " in\n" << out;
  }
}

using Dataset = std::unique_ptr<GDALDataset, void (*)(GDALDatasetH)>;

Dataset Open(const std::string& path, const char* const* options = kGb18030, bool update = false) {
  return Dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | (update ? GDAL_OF_UPDATE : 0), nullptr,
                                   options, nullptr),
                 GDALClose);
}

Dataset CreateMap(const std::string& path) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Terrix");
  return Dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr), GDALClose);
}

// A map file made in process as ogr2ogr makes it, in GB18030 unless told.
void MakeMap(const std::string& path, const std::string& source,
             Strings args = {"-lco", "CODEPAGE=GB18030"}) {
  args.insert(args.end(), {"-f", "Terrix"});
  CPLStringList argv;
  for (const std::string& a : args) argv.AddString(a.c_str());
  GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(argv.List(), nullptr);
  Dataset src = Open(source, nullptr);
  GDALDatasetH handle = GDALDataset::ToHandle(src.get());
  GDALClose(GDALVectorTranslate(path.c_str(), nullptr, 1, &handle, options, nullptr));
  GDALVectorTranslateOptionsFree(options);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Strings FilesIn(const std::string& dir) {
  const CPLStringList entries(VSIReadDir(dir.c_str()));
  Strings names;
  for (int i = 0; i < entries.size(); ++i)
    if (entries[i][0] != '.') names.emplace_back(entries[i]);
  std::sort(names.begin(), names.end());
  return names;
}

OGRGeometry* Wkt(const char* wkt) {
  OGRGeometry* g = nullptr;
  OGRGeometryFactory::createFromWkt(wkt, nullptr, &g);
  return g;
}

// A feature as text: "FID:" (when asked), each field ("null" for a null one) and "|", then the geometry's WKT
// (1 for 1.0); reals and coordinates to 17 digits, which tell every double apart.
std::string Row(const OGRFeature& f, bool fid = false) {
  std::string row = fid ? std::to_string(f.GetFID()) + ":" : "";
  for (int i = 0; i < f.GetFieldCount(); ++i)
    row +=
        std::string(f.IsFieldNull(i)                             ? "null"
                    : f.GetFieldDefnRef(i)->GetType() == OFTReal ? CPLSPrintf("%.17g", f.GetFieldAsDouble(i))
                                                                 : f.GetFieldAsString(i)) +
        "|";
  OGRWktOptions exact;
  exact.precision = 17;
  exact.round = false;
  exact.format = OGRWktFormat::G;
  if (f.GetGeometryRef() == nullptr) return row;
  return row + std::regex_replace(f.GetGeometryRef()->exportToWkt(exact), std::regex(R"(\.0([ ,)]))"), "$1");
}

Strings Rows(OGRLayer* layer, bool fid = false) {
  Strings rows;
  layer->ResetReading();
  for (auto& f : *layer) rows.push_back(Row(*f, fid));
  return rows;
}

Strings RowsOf(const std::string& path, const char* const* options = kGb18030) {
  Dataset ds = Open(path, options);
  return ds ? Rows(ds->GetLayer(0)) : Strings{"cannot be opened"};
}

// Sets a field from OGR's text of a value (hex for binary); null: NULL.
void SetFromText(OGRFeature& f, int i, const char* text) {
  if (text == nullptr) return f.SetFieldNull(i);
  if (f.GetFieldDefnRef(i)->GetType() != OFTBinary) return f.SetField(i, text);
  int bytes = 0;
  GByte* binary = CPLHexToBinary(text, &bytes);
  f.SetField(i, bytes, binary);
  CPLFree(binary);
}

// A point file (a deleted element, GBK names, values and notes) and a network file, which only other tools
// write.
class BuiltFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    tb::ElementFile points(tb::kPoint);
    points.AddPoint(1, 2, "\xC7\xC5");  // 桥
    points.AddPoint(3, 4, "", 0);
    points.AddPoint(5, 6, "");
    tb::AttributeSection pointTable;
    pointTable.Field("name", 0, 8).Field("pop", 3, 4).Elements(3);
    pointTable.Text(0, 0, "\xB1\xB1\xBE\xA9")
        .Put(0, 1, std::int32_t{7})
        .Text(2, 0, "x")
        .Put(2, 1, std::int32_t{9});
    points.Build().Extent(1, 2, 5, 6).Section(2, pointTable.Build()).WriteTo(dir_.Path("pts.tmf"));

    tb::ElementFile net(tb::kNetwork);
    net.AddArc({{0, 0}, {1, 0}});
    net.AddArc({{1, 0}, {1, 1}});
    net.AddNode(0, 0, tb::Bytes(94, 0));
    net.AddNode(1, 0, tb::Bytes(94, 0), 0);
    net.AddNode(1, 1, tb::Bytes(94, 0));
    tb::AttributeSection arcTable, nodeTable;
    arcTable.Field("road", 0, 6).Text(0, 0, "A1").Text(1, 0, "B2");
    nodeTable.Field("id", 3, 4).Put(0, 0, std::int32_t{7}).Put(2, 0, std::int32_t{9});
    net.Build()
        .Extent(0, 0, 1, 1)
        .Section(2, arcTable.Build())
        .Section(5, nodeTable.Build())
        .WriteTo(dir_.Path("net.tmf"));
  }
  tb::TempDir dir_;
};

}  // namespace

// Files read: a layer per file (a network file's arcs and nodes apart), fields from the type table, element
// numbers as ids with deleted elements passed over, counts and extents as stored; then opening and filters.
TEST_F(BuiltFiles, ReadAsStoredOpenedByMagicFilteredAndDecoded) {
  struct Layer {
    const char* file;
    const char* name;
    OGRwkbGeometryType type;
    const char* fields;  // name:Type(SubType)/width
    std::vector<double> extent;
    Strings rows;  // as Row() with ids
  };
  // clang-format off
  const std::vector<Layer> layers = {
      {"pts.tmf", "pts", wkbPoint, "name:String/8 pop:Integer terrix:note:String", {1, 2, 5, 6},
       {"0:北京|7|桥|POINT (1 2)", "2:x|9|null|POINT (5 6)"}},
      {"net.tmf", "net_arcs", wkbLineString, "road:String/6", {0, 0, 1, 1},
       {"0:A1|LINESTRING (0 0,1 0)", "1:B2|LINESTRING (1 0,1 1)"}},
      {"net.tmf", "net_nodes", wkbPoint, "id:Integer", {0, 0, 1, 1},
       {"0:7|POINT (0 0)", "1:0|POINT (1 0)", "2:9|POINT (1 1)"}},
  };
  // clang-format on
  for (const Layer& l : layers) {
    Dataset ds = Open(dir_.Path(l.file), nullptr);
    ASSERT_TRUE(ds) << l.file << ": " << CPLGetLastErrorMsg();
    OGRLayer* layer = ds->GetLayerByName(l.name);
    ASSERT_NE(layer, nullptr) << l.name;
    EXPECT_EQ(layer->GetGeomType(), l.type) << l.name;
    std::string fields;
    for (int i = 0; i < layer->GetLayerDefn()->GetFieldCount(); ++i) {
      const OGRFieldDefn* f = layer->GetLayerDefn()->GetFieldDefn(i);
      fields += (i > 0 ? " " : "") + std::string(f->GetNameRef()) + ":" + f->GetFieldTypeName(f->GetType());
      if (f->GetSubType() != OFSTNone) fields += CPLSPrintf("(%s)", f->GetFieldSubTypeName(f->GetSubType()));
      if (f->GetWidth() > 0) fields += "/" + std::to_string(f->GetWidth());
    }
    EXPECT_EQ(fields, l.fields) << l.name;
    EXPECT_EQ(Rows(layer, true), l.rows) << l.name;
    EXPECT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(l.rows.size())) << l.name;
    Strings byId;  // none for a deleted element or beyond
    for (GIntBig fid = -1; fid <= 4; ++fid)
      if (std::unique_ptr<OGRFeature> f(layer->GetFeature(fid)); f) byId.push_back(Row(*f, true));
    EXPECT_EQ(byId, l.rows) << l.name;
    ASSERT_EQ(layer->SetNextByIndex(1), OGRERR_NONE) << "counting live features, not elements";
    std::unique_ptr<OGRFeature> second(layer->GetNextFeature());
    EXPECT_EQ(second ? Row(*second, true) : "none", l.rows[1]) << l.name;
    OGREnvelope e;
    std::vector<double> extent;
    if (layer->GetExtent(&e) == OGRERR_NONE) extent = {e.MinX, e.MinY, e.MaxX, e.MaxY};
    EXPECT_EQ(extent, l.extent) << l.name;
  }
  // Opening by magic, a refused file naming the library's result, a network file not for update (quietly,
  // as ogrinfo -sql asks for update first); text the code page cannot decode said once, after a whole pass.
  std::rename(dir_.Path("net.tmf").c_str(), dir_.Path("net.dat").c_str());
  EXPECT_TRUE(Open(dir_.Path("net.dat")));
  std::ofstream(dir_.Path("junk.tmf")) << "not a map file at all";
  EXPECT_FALSE(Open(dir_.Path("junk.tmf")));
  tb::MapFileBuilder(tb::kPoint).KindField(tb::kLine).WriteTo(dir_.Path("mismatch.tmf"));
  {
    ErrorLog log;
    EXPECT_FALSE(Open(dir_.Path("mismatch.tmf")));
    EXPECT_TRUE(Has(log.text, Terrix::ResultMessage(Terrix::Result::BadMagic) + std::string(" (-9997)")))
        << log.text;
    const char* bad[] = {"CODEPAGE=NO-SUCH-PAGE", nullptr};
    EXPECT_FALSE(Open(dir_.Path("pts.tmf"), bad));
    EXPECT_TRUE(Has(log.text, "NO-SUCH-PAGE")) << log.text;
    const std::string before = log.text;
    EXPECT_FALSE(Open(dir_.Path("net.dat"), nullptr, true));
    EXPECT_EQ(log.text, before);
  }
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
  ErrorLog log;
  const char* utf8[] = {"CODEPAGE=UTF-8", nullptr};
  Dataset asUtf8 = Open(dir_.Path("pts.tmf"), utf8);
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(Rows(asUtf8->GetLayer(0)),
              (Strings{"\uFFFD\uFFFD\uFFFD\uFFFD|7|\uFFFD\uFFFD|POINT (1 2)", "x|9|null|POINT (5 6)"}));
    ExpectWarnings(log.text, {"field \"name\": 1 values hold bytes that are not UTF-8 text",
                              "1 notes hold bytes that are not UTF-8 text"});
  }
}

// Every OGR field type read back as its type (lists as text), values exact; NULLs kept where the format has
// a null, else stored as the empty value and said; a time zone dropped and said.
TEST(TerrixWrite, EveryFieldTypeReadsBackOrSaysWhatChanged) {
  struct Column {
    const char* name;
    OGRFieldType type;
    OGRFieldSubType subType;
    const char* values[2];
    const char* nullAs;  // null: the NULL kept
  };
  const std::vector<Column> columns = {
      {"text", OFTString, OFSTNone, {"Zürich 北京", "x"}, "empty text"},
      {"i16", OFTInteger, OFSTInt16, {"-32768", "32767"}, "0"},
      {"i32", OFTInteger, OFSTNone, {"2147483647", "-2147483648"}, "0"},
      {"flag", OFTInteger, OFSTBoolean, {"1", "0"}, "false"},
      {"i64", OFTInteger64, OFSTNone, {"123456", "-5"}, "0"},
      {"i64d", OFTInteger64, OFSTNone, {"5000000000", "-9007199254740992"}, "0"},
      {"i64t", OFTInteger64, OFSTNone, {"9007199254740993", "-4611686018427387904"}, nullptr},
      {"f32", OFTReal, OFSTFloat32, {"0.5", "-1.25"}, "0"},
      {"real", OFTReal, OFSTNone, {"0.1", "4.9406564584124654e-324"}, "0"},
      {"day", OFTDate, OFSTNone, {"1999/12/31", "0001/01/01"}, nullptr},
      {"clock", OFTTime, OFSTNone, {"23:59:58.125", "00:00:01"}, "00:00:00"},
      {"stamp", OFTDateTime, OFSTNone, {"2024/02/29 13:14:15.5", "2000/01/01 23:59:59.25+01"}, nullptr},
      {"blob", OFTBinary, OFSTNone, {"00FF1000", "AB00CD01"}, "zero bytes"},
      {"list", OFTIntegerList, OFSTNone, {"(3:1,2,3)", "(1:7)"}, "empty text"},
  };
  const int n = static_cast<int>(columns.size());
  tb::TempDir dir;
  std::vector<std::unique_ptr<OGRFeature>> written;
  ErrorLog log;
  {
    Dataset ds = CreateMap(dir.Path("types.tmf"));
    OGRLayer* layer = ds->CreateLayer("types", nullptr, wkbPoint, nullptr);
    for (const Column& c : columns) {
      OGRFieldDefn defn(c.name, c.type);
      defn.SetSubType(c.subType);
      ASSERT_EQ(layer->CreateField(&defn), OGRERR_NONE) << c.name;
    }
    for (int k = 0; k < 3; ++k) {  // all NULL first, then each column's values
      written.push_back(std::make_unique<OGRFeature>(layer->GetLayerDefn()));
      for (int i = 0; i < n; ++i)
        SetFromText(*written.back(), i, k == 0 ? nullptr : columns[i].values[k - 1]);
      written.back()->SetGeometryDirectly(Wkt("POINT (1.25 -2.5)"));
      ASSERT_EQ(layer->CreateFeature(written.back().get()), OGRERR_NONE) << log.text;
    }
  }
  Strings expected = {"field \"list\" of type IntegerList is stored as text",
                      "field \"i64d\": 64-bit integers stored as doubles",
                      "field \"i64t\": 64-bit integers stored as decimal text",
                      "field \"stamp\": 1 time zone dropped"};
  for (int i = 0; i < n; ++i)
    if (columns[i].nullAs != nullptr)
      expected.push_back(std::string("field \"") + columns[i].name + "\": 1 null value stored as " +
                         columns[i].nullAs + " (");
  ExpectWarnings(log.text, expected);

  Dataset ds = Open(dir.Path("types.tmf"), nullptr);
  OGRFeatureDefn* defn = ds->GetLayer(0)->GetLayerDefn();
  ASSERT_EQ(defn->GetFieldCount(), n) << "no note field";
  EXPECT_EQ(defn->GetFieldDefn(0)->GetWidth(), 12) << "the longest value's GBK bytes";
  std::unique_ptr<OGRFeature> nulls(ds->GetLayer(0)->GetNextFeature());
  for (int i = 0; i < n; ++i) {
    const Column& c = columns[i];
    EXPECT_STREQ(defn->GetFieldDefn(i)->GetNameRef(), c.name);
    EXPECT_EQ(defn->GetFieldDefn(i)->GetType(), c.type == OFTIntegerList ? OFTString : c.type) << c.name;
    EXPECT_EQ(defn->GetFieldDefn(i)->GetSubType(), c.subType) << c.name;
    EXPECT_EQ(nulls->IsFieldNull(i), c.nullAs == nullptr) << c.name;
    if (c.type == OFTDateTime) written[2]->GetRawFieldRef(i)->Date.TZFlag = 0;  // not kept
  }
  for (int k = 1; k < 3; ++k) {
    std::unique_ptr<OGRFeature> back(ds->GetLayer(0)->GetNextFeature());
    EXPECT_EQ(back ? Row(*back) : "none", Row(*written[k])) << "feature " << k;
  }
}

// The kind comes from the layer's type, else from the first geometry (features before it keep their place);
// rings clockwise, holes the other way; a part per element; Z dropped and curves made straight, each said.
// What the format cannot hold is refused, naming the feature and LOSSY; then nothing more, and nothing left
// behind.
TEST(TerrixWrite, ShapesMakeTheKindAndReadBackAsStoredOrAreRefused) {
  struct Case {
    OGRwkbGeometryType layerType;
    std::vector<const char*> wkts;  // null: no geometry
    OGRwkbGeometryType kind;        // as read; wkbUnknown: the last one refused
    Strings rows;                   // "n|WKT"; for a refusal, what it says
    Strings warnings;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {wkbUnknown, {nullptr, "GEOMETRYCOLLECTION EMPTY", "POLYGON ((0 0,0 1,1 1,1 0,0 0))",
                    "MULTIPOLYGON (((5 5,5 6,6 6,5 5)),((7 7,7 8,8 8,7 7)))",
                    "POLYGON ((0 0,4 0,4 4,0 4,0 0),(1 1,2 1,2 2,1 2,1 1))"}, wkbPolygon,
       {"0|", "1|", "2|POLYGON ((0 0,0 1,1 1,1 0,0 0))",
        "3|MULTIPOLYGON (((5 5,5 6,6 6,5 5)),((7 7,7 8,8 8,7 7)))",
        "4|POLYGON ((0 0,0 4,4 4,4 0,0 0),(1 1,2 1,2 2,1 2,1 1))"}, {}},
      {wkbMultiLineString, {"LINESTRING EMPTY", "MULTILINESTRING ((0 0,1 1),(2 2,3 3,4 4))"}, wkbLineString,
       {"0|", "1|LINESTRING (0 0,1 1)", "1|LINESTRING (2 2,3 3,4 4)"},
       {"1 multi-part feature became 2 elements"}},
      {wkbPoint25D, {"POINT Z (0 0 100)", "POINT Z (1 1 101)"}, wkbPoint, {"0|POINT (0 0)", "1|POINT (1 1)"},
       {"Z values dropped from 2 features"}},
      {wkbCurvePolygon, {"CURVEPOLYGON (CIRCULARSTRING (0 0,0 1,1 1,1 0,0 0))"}, wkbPolygon, {},
       {"1 feature with curves"}},
      {wkbNone, {nullptr, nullptr}, wkbNone, {"0|", "1|"}, {}},
      // 1e999 reads as infinity.
      {wkbUnknown, {"POLYGON ((0 0,0 1,1 1,0 0))", "POLYGON ((0 0,0 9,9 9,0 0),(1 1,1e999 2,2 2,1 1))"},
       wkbUnknown, {"not a finite number"}, {}},
      {wkbUnknown, {"POINT (0 0)", "POINT (1e999 1)"}, wkbUnknown, {"not a finite number"}, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const std::string what = c.wkts.back() ? c.wkts.back() : OGRGeometryTypeToName(c.layerType);
    tb::TempDir dir;
    ErrorLog log;
    {
      Dataset ds = CreateMap(dir.Path("shapes.tmf"));
      OGRLayer* layer = ds->CreateLayer("shapes", nullptr, c.layerType, nullptr);
      EXPECT_EQ(ds->CreateLayer("more", nullptr, c.layerType), nullptr) << "a map file holds one layer";
      OGRFieldDefn n("n", OFTInteger);
      ASSERT_EQ(layer->CreateField(&n), OGRERR_NONE);
      for (std::size_t i = 0; i < c.wkts.size(); ++i) {
        OGRFeature f(layer->GetLayerDefn());
        f.SetField(0, static_cast<int>(i));
        if (c.wkts[i] != nullptr) f.SetGeometryDirectly(Wkt(c.wkts[i]));
        const bool refused = c.kind == wkbUnknown && i + 1 == c.wkts.size();
        ASSERT_EQ(layer->CreateFeature(&f), refused ? OGRERR_FAILURE : OGRERR_NONE) << what << log.text;
        EXPECT_EQ(f.GetFID(), refused ? OGRNullFID : static_cast<GIntBig>(i)) << what;
      }
      if (c.kind == wkbUnknown) {
        for (const std::string& text : {std::string("feature 1"), c.rows[0], std::string("LOSSY=YES")})
          EXPECT_TRUE(Has(log.text, text)) << what << ": " << log.text;
        OGRFeature good(layer->GetLayerDefn());
        EXPECT_EQ(layer->CreateFeature(&good), OGRERR_FAILURE) << "nothing more after a refusal";
      }
    }
    if (c.kind == wkbUnknown) {
      EXPECT_EQ(FilesIn(dir.Path("")), Strings{}) << what;
      continue;
    }
    ExpectWarnings(log.text, c.warnings);
    Dataset ds = Open(dir.Path("shapes.tmf"), nullptr);
    EXPECT_EQ(ds->GetLayer(0)->GetGeomType(), c.kind) << what;
    OGREnvelope extent;  // a table file has none
    EXPECT_EQ(ds->GetLayer(0)->GetExtent(&extent) == OGRERR_NONE, c.kind != wkbNone) << what;
    EXPECT_EQ(c.rows.empty() ? c.rows : Rows(ds->GetLayer(0)), c.rows) << what;
  }
}

// An update: a deletion alone is made in place (one state byte); other changes are seen at once and make the
// close write the file anew, sidecar kept; a change the format cannot hold leaves the file as it was.
TEST(TerrixUpdate, DeletionsInPlaceOtherChangesWrittenAnewFailuresLeaveTheFile) {
  tb::TempDir dir;
  const std::string map = dir.Path("cities.tmf");
  MakeMap(map, kCities);
  const std::string bytes = ReadBytes(map);
  Strings expected = RowsOf(map);
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
  EXPECT_EQ(RowsOf(map), expected);
  const std::string after = ReadBytes(map);
  ASSERT_EQ(after.size(), bytes.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) differing += bytes[i] != after[i] ? 1 : 0;
  EXPECT_EQ(differing, 1u) << "the element's state byte";
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
  EXPECT_EQ(RowsOf(map), expected);
  EXPECT_STREQ(Open(map)->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "4326");

  const std::string written = ReadBytes(map);
  {
    Dataset ds = Open(map, kGb18030, true);
    OGRFeature bad(ds->GetLayer(0)->GetLayerDefn());
    bad.SetGeometryDirectly(new OGRPoint(HUGE_VAL, 0));
    EXPECT_EQ(ds->GetLayer(0)->CreateFeature(&bad), OGRERR_NONE) << "refused when the file is laid out";
    EXPECT_EQ(ds->GetLayer(0)->DeleteFeature(0), OGRERR_NONE);
  }
  EXPECT_TRUE(Has(log.text, "not a finite number")) << log.text;
  EXPECT_TRUE(Has(log.text.substr(log.text.rfind("ERROR 1: ")), "the file is as it was")) << log.text;
  EXPECT_EQ(ReadBytes(map), written);
  EXPECT_EQ(FilesIn(dir.Path("")), (Strings{"cities.prj", "cities.tmf"}));
}

// A folder is a dataset of a map file (and NAME.prj) per layer: -overwrite replaces one layer's file,
// DeleteLayer removes a file and its sidecar at closing, and a new layer is a new file.
TEST(TerrixFolder, FolderIsADatasetOfAFilePerLayer) {
  tb::TempDir dir;
  const std::string folder = dir.Path("maps");
  MakeMap(folder, kCities, {"-nln", "cities", "-lco", "CODEPAGE=GB18030"});
  MakeMap(folder, kCountries, {"-update", "-nln", "countries", "-lco", "CODEPAGE=GB18030"});
  MakeMap(folder, kCities, {"-update", "-overwrite", "-nln", "countries", "-where", "name LIKE 'A%'"});
  Dataset cities = Open(kCities, nullptr);
  cities->GetLayer(0)->SetAttributeFilter("name LIKE 'A%'");
  EXPECT_EQ(RowsOf(folder + "/countries.tmf"), Rows(cities->GetLayer(0))) << "the cities starting with A";
  EXPECT_EQ(FilesIn(folder), (Strings{"cities.prj", "cities.tmf", "countries.prj", "countries.tmf"}));
  ErrorLog log;
  {
    Dataset ds = Open(folder, kGb18030, true);
    ASSERT_STREQ(ds->GetLayer(0)->GetName(), "cities");
    EXPECT_TRUE(ds->DeleteLayer(0) == OGRERR_NONE && ds->GetLayerCount() == 1);
    EXPECT_EQ(FilesIn(folder).size(), 4u) << "removed at closing";
    OGRLayer* roads = ds->CreateLayer("roads", nullptr, wkbLineString);
    OGRFeature road(roads->GetLayerDefn());
    road.SetGeometryDirectly(Wkt("LINESTRING (0 0,1 1)"));
    ASSERT_EQ(roads->CreateFeature(&road), OGRERR_NONE);
    EXPECT_EQ(ds->CreateLayer("countries", nullptr, wkbPoint), nullptr) << "there already";
  }
  EXPECT_EQ(FilesIn(folder), (Strings{"countries.prj", "countries.tmf", "roads.tmf"}));
  EXPECT_EQ(RowsOf(folder + "/roads.tmf"), Strings{"LINESTRING (0 0,1 1)"});
}

// A failure found only when the file is laid out at closing makes ogr2ogr fail and leaves no file, and so
// does text the code page cannot hold, unless -lco LOSSY=YES, which stores it as '?' and says so.
TEST(TerrixOgr2Ogr, FailureAtClosingFailsOgr2OgrLossyOnRequest) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir in, out;
  std::ofstream(in.Path("bare.geojson")) << R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
                                         << R"("properties":{},"geometry":null}]})";
  const std::string ogr2ogr = kOgr2Ogr + " -f Terrix " + out.Path("out.tmf") + " " + in.Path("");
  const support::CommandRun bare = Program(ogr2ogr + "bare.geojson");
  EXPECT_TRUE(bare.status != 0 && Has(bare.out, "the features need at least one field")) << bare.out;
  EXPECT_EQ(FilesIn(out.Path("")), Strings{}) << "no output file, no temporary file";
  std::ofstream(in.Path("city.geojson")) << R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
                                         << R"("properties":{"city":"São Paulo"},"geometry":{"type":"Point",)"
                                         << R"("coordinates":[0,1]}}]})";
  const support::CommandRun strict = Program(ogr2ogr + "city.geojson");
  EXPECT_TRUE(strict.status != 0 && Has(strict.out, "U+00E3") && Has(strict.out, "LOSSY=YES")) << strict.out;
  const support::CommandRun lossy = Program(ogr2ogr + "city.geojson -lco LOSSY=YES");
  ExpectWarnings(lossy.out, {"field \"city\": 1 value held characters that GBK cannot hold (first U+00E3"});
  EXPECT_EQ(RowsOf(out.Path("out.tmf")), Strings{"S?o Paulo|POINT (0 1)"});
}

// Natural Earth's countries in GB18030 read back bit for bit, without a word; ogr2ogr -update -append
// doubles the features; -overwrite replaces the file, of another kind and coordinate system.
TEST(TerrixOgr2Ogr, ExactCopyAppendAndOverwrite) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  const std::string map = dir.Path("countries.tmf");
  ErrorLog log;
  MakeMap(map, kCountries);
  EXPECT_EQ(log.text, "");
  Strings doubled = RowsOf(kCountries, nullptr), once = doubled;
  EXPECT_TRUE(RowsOf(map) == once);
  doubled.insert(doubled.end(), once.begin(), once.end());
  const support::CommandRun append = Program(kOgr2Ogr + " -update -append " + map + " " + kCountries +
                                             " -nln countries -doo CODEPAGE=GB18030");
  EXPECT_EQ(append.status, 0) << append.out;
  ExpectWarnings(append.out, {"written anew with the changes"});
  EXPECT_TRUE(RowsOf(map) == doubled);
  EXPECT_EQ(FilesIn(dir.Path("")), (Strings{"countries.prj", "countries.tmf"}));
  const std::string overwrite = kOgr2Ogr + " -f Terrix -overwrite -nln countries " + map + " ";
  EXPECT_EQ(Program(overwrite + kCities + " -t_srs EPSG:3857 -lco CODEPAGE=GB18030").status, 0);
  Dataset ds = Open(map);
  EXPECT_EQ(ds->GetLayer(0)->GetGeomType(), wkbPoint);
  EXPECT_EQ(ds->GetLayer(0)->GetFeatureCount(), 243);
  EXPECT_STREQ(ds->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "3857");
}

// Virtual files: /vsimem/ written bit for bit with its NAME.prj, a zip read with the sidecar there, standard
// output written (the coordinate system said not kept) and standard input read.
TEST(TerrixOgr2Ogr, VirtualFiles) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  const std::string memory = "/vsimem/terrix-" + std::to_string(::getpid()),
                    zip = "/vsizip/" + dir.Path("m.zip");
  MakeMap(memory + "/cities.tmf", kCities);
  EXPECT_EQ(FilesIn(memory), (Strings{"cities.prj", "cities.tmf"}));
  EXPECT_TRUE(RowsOf(memory + "/cities.tmf") == RowsOf(kCities, nullptr));
  for (const std::string file : {"/cities.tmf", "/cities.prj"})
    ASSERT_EQ(CPLCopyFile((zip + file).c_str(), (memory + file).c_str()), 0);
  VSIRmdirRecursive(memory.c_str());
  Dataset zipped = Open(zip + "/cities.tmf");
  EXPECT_TRUE(Rows(zipped->GetLayer(0)) == RowsOf(kCities, nullptr));
  EXPECT_STREQ(zipped->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "4326");
  const support::CommandRun piped = Program("(" + kOgr2Ogr + " -f Terrix /vsistdout/ " + kCities +
                                            " -lco CODEPAGE=GB18030 > " + dir.Path("piped.tmf") + ")");
  ExpectWarnings(piped.out, {"coordinate system is not kept: standard output"});
  const support::CommandRun in =
      Program(kOgrInfo + " -al /vsistdin/ -oo CODEPAGE=GB18030 < " + dir.Path("piped.tmf"));
  EXPECT_TRUE(Has(in.out, "Feature Count: 243") && Has(in.out, "name (String) = Vatican City")) << in.out;
  EXPECT_EQ(FilesIn(dir.Path("")), (Strings{"m.zip", "piped.tmf"}));
}

// NAME.prj: shapefile in UTM 33N -> map file -> shapefile keeps the ESRI WKT, without a word; a NAME.prj
// that NAME.shp shares is left as it is, and a map file of another coordinate system says it loses its own.
TEST(TerrixOgr2Ogr, CoordinateSystemBesideTheFile) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  const std::string utm = dir.Path("utm.shp"), map = dir.Path("map.tmf"), back = dir.Path("back.shp");
  const std::string toShared =
      kOgr2Ogr + " -f Terrix " + dir.Path("utm.tmf") + " " + utm + " -lco CODEPAGE=GB18030";
  for (const auto& [command, warnings] : std::vector<std::pair<std::string, Strings>>{
           {kOgr2Ogr + " -spat 9 35 21 60 -t_srs EPSG:32633 " + utm + " " + kCities, {}},
           {kOgr2Ogr + " -f Terrix " + map + " " + utm + " -lco CODEPAGE=GB18030", {}},
           {kOgr2Ogr + " " + back + " " + map + " -oo CODEPAGE=GB18030", {}},
           {toShared + " -t_srs EPSG:4326", {"the layer's coordinate system is not kept"}},
           {toShared, {}}}) {
    const support::CommandRun run = Program(command);
    EXPECT_EQ(run.status, 0) << command << "\n" << run.out;
    ExpectWarnings(run.out, warnings);
  }
  EXPECT_EQ(ReadBytes(dir.Path("back.prj")), ReadBytes(dir.Path("utm.prj")));
  EXPECT_TRUE(RowsOf(back, nullptr) == RowsOf(utm, nullptr));
  EXPECT_STREQ(Open(map)->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "32633");
  EXPECT_TRUE(Has(ReadBytes(dir.Path("utm.prj")), "UTM_Zone_33N")) << "the shapefile's own, left as it is";
}
