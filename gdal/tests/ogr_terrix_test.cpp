// The Terrix driver as GDAL loads it from GDAL_DRIVER_PATH: files of every
// kind built byte by byte and read; every field type and shape written and
// read back, with what is refused or changed and said; updates, folders,
// virtual files and the coordinate system in NAME.prj; ogrinfo and ogr2ogr
// (gdal-bin) where the programs' own behaviour matters.
#include <TerrixLib.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "support/Command.h"

namespace {

using Strings = std::vector<std::string>;
const std::string kOgrInfo = TERRIX_OGRINFO, kOgr2Ogr = TERRIX_OGR2OGR, kTerrix = TERRIX_TOOL;
const std::string kCountries = std::string(TERRIX_NATURALEARTH_DIR) + "/naturalearth_lowres.shp";
const std::string kCities = std::string(TERRIX_NATURALEARTH_DIR) + "/naturalearth_cities.shp";
const char* const kGb18030[] = {"CODEPAGE=GB18030", nullptr};
#define SKIP_WITHOUT_GDAL_PROGRAMS() \
  if (kOgr2Ogr.empty() || kOgrInfo.empty()) GTEST_SKIP() << "ogrinfo and ogr2ogr (gdal-bin) are not installed"

class GdalEnvironment : public ::testing::Environment {
  void SetUp() override {
    setenv("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR, 1);  // for the programs run too
    CPLSetConfigOption("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR);
    GDALAllRegister();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GdalEnvironment);

// A GDAL program's exit status, what it printed on both streams, and its warnings.
struct ProgramRun {
  int status;
  std::string out;
  Strings warnings;
};
ProgramRun Program(const std::string& command) {
  const support::CommandRun run = support::RunCommand(command);
  ProgramRun r{run.status, run.out + run.err, {}};
  for (std::size_t at = 0; (at = r.out.find("Warning 1: ", at)) != std::string::npos; ++at)
    r.warnings.push_back(r.out.substr(at, r.out.find('\n', at) - at));
  return r;
}

// Each expected text in exactly one of the warnings, and no other warning.
void ExpectWarnings(const Strings& warnings, const Strings& expected, const std::string& context) {
  EXPECT_EQ(warnings.size(), expected.size()) << context;
  for (const std::string& text : expected) {
    int matches = 0;
    for (const std::string& w : warnings) matches += w.find(text) != std::string::npos ? 1 : 0;
    EXPECT_EQ(matches, 1) << "\"" << text << "\" in\n" << context;
  }
}

// The CPLErrors raised while it lives, kept from the terminal.
class ErrorLog {
 public:
  ErrorLog() { CPLPushErrorHandlerEx(Handler, this); }
  ~ErrorLog() { CPLPopErrorHandler(); }
  Strings Of(CPLErr level) const {
    Strings out;
    for (const auto& [l, m] : entries_)
      if (l == level) out.push_back(m);
    return out;
  }
  std::string All() const {
    std::string all;
    for (const auto& e : entries_) all += e.second + "\n";
    return all;
  }

 private:
  static void CPL_STDCALL Handler(CPLErr level, CPLErrorNum, const char* message) {
    static_cast<ErrorLog*>(CPLGetErrorHandlerUserData())->entries_.emplace_back(level, message);
  }
  std::vector<std::pair<CPLErr, std::string>> entries_;
};

struct DatasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

Dataset Open(const std::string& path, const char* const* options = kGb18030, bool update = false) {
  return Dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | (update ? GDAL_OF_UPDATE : 0), nullptr,
                                   options, nullptr));
}

Dataset CreateMap(const std::string& path) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Terrix");
  return Dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
}

// A map file made in process as ogr2ogr makes it, in GB18030.
void MakeMap(const std::string& path, const std::string& source, Strings args = {}) {
  args.insert(args.end(), {"-f", "Terrix", "-lco", "CODEPAGE=GB18030"});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(argv.data(), nullptr);
  Dataset src = Open(source, nullptr);
  ASSERT_TRUE(src) << source;
  GDALDatasetH handle = GDALDataset::ToHandle(src.get());
  GDALDatasetH out = GDALVectorTranslate(path.c_str(), nullptr, 1, &handle, options, nullptr);
  GDALVectorTranslateOptionsFree(options);
  ASSERT_NE(out, nullptr) << path;
  GDALClose(out);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Strings FilesIn(const std::string& dir) {
  Strings names;
  char** entries = VSIReadDir(dir.c_str());
  for (char** e = entries; e != nullptr && *e != nullptr; ++e)
    if (**e != '.') names.emplace_back(*e);
  CSLDestroy(entries);
  std::sort(names.begin(), names.end());
  return names;
}

std::unique_ptr<OGRGeometry> Wkt(const char* wkt) {
  OGRGeometry* g = nullptr;
  OGRGeometryFactory::createFromWkt(wkt, nullptr, &g);
  return std::unique_ptr<OGRGeometry>(g);
}

// A feature as text: "FID:" (when asked), each field ("null" for a null
// one) and "|", then the geometry's WKT.
std::string Row(const OGRFeature& f, bool fid) {
  std::string row = fid ? std::to_string(f.GetFID()) + ":" : "";
  for (int i = 0; i < f.GetFieldCount(); ++i)
    row += std::string(f.IsFieldNull(i) ? "null" : f.GetFieldAsString(i)) + "|";
  if (const OGRGeometry* g = f.GetGeometryRef()) row += g->exportToWkt();
  return row;
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

// Bit for bit: every field (reals as doubles) and the geometry's WKB.
void ExpectSameFeatures(OGRLayer* a, OGRLayer* b, const std::string& what) {
  ASSERT_EQ(a->GetFeatureCount(), b->GetFeatureCount()) << what;
  a->ResetReading();
  b->ResetReading();
  for (GIntBig n = 0; n < a->GetFeatureCount(); ++n) {
    std::unique_ptr<OGRFeature> fa(a->GetNextFeature()), fb(b->GetNextFeature());
    ASSERT_TRUE(fa && fb) << what << " " << n;
    ASSERT_EQ(fa->GetFieldCount(), fb->GetFieldCount()) << what;
    for (int i = 0; i < fa->GetFieldCount(); ++i) {
      if (fa->GetFieldDefnRef(i)->GetType() == OFTReal)  // widths and precisions differ
        EXPECT_EQ(fa->GetFieldAsDouble(i), fb->GetFieldAsDouble(i)) << what << " " << n << " field " << i;
      else
        EXPECT_STREQ(fa->GetFieldAsString(i), fb->GetFieldAsString(i)) << what << " " << n << " field " << i;
    }
    const OGRGeometry* ga = fa->GetGeometryRef();
    const OGRGeometry* gb = fb->GetGeometryRef();
    ASSERT_TRUE(ga && gb) << what << " " << n;
    std::string wa(ga->WkbSize(), '\0'), wb(gb->WkbSize(), '\0');
    ga->exportToWkb(wkbNDR, reinterpret_cast<unsigned char*>(wa.data()), wkbVariantIso);
    gb->exportToWkb(wkbNDR, reinterpret_cast<unsigned char*>(wb.data()), wkbVariantIso);
    EXPECT_TRUE(wa == wb) << what << " " << n << ": " << ga->exportToWkt() << "\n" << gb->exportToWkt();
  }
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

// One file of each kind, a deleted element in every element class, GBK
// text in names, values and notes.
class BuiltFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    tb::ElementFile points(tb::kPoint);
    points.AddPoint(1, 2, "\xC7\xC5");  // 桥
    points.AddPoint(3, 4, "", 0);
    points.AddPoint(5, 6, "");
    tb::AttributeSection pointTable;
    pointTable.Field("name", 0, 8).Field("pop", 3, 4).Elements(3);
    pointTable.Text(0, 0, "\xB1\xB1\xBE\xA9").Put(0, 1, std::int32_t{7}).Text(2, 0, "x").Put(2, 1, std::int32_t{9});
    points.Build().Extent(1, 2, 5, 6).Section(2, pointTable.Build()).WriteTo(dir_.Path("pts.tmf"));

    tb::ElementFile lines(tb::kLine);
    lines.AddArc({{0, 0}, {1, 1}});
    lines.AddArc({{2, 2}, {3, 3}});
    lines.AddArc({{9, 9}, {8, 8}}, 0);
    tb::AttributeSection lineTable;
    lineTable.Field("len", 5, 8).Put(0, 0, 1.5).Put(1, 0, 2.5);
    lines.Build().Extent(0, 0, 3, 3).Section(2, lineTable.Build()).WriteTo(dir_.Path("lines.tmf"));

    // Polygon 0: a clockwise ring and a hole; polygon 1: two clockwise rings.
    tb::ElementFile regions(tb::kRegion);
    regions.AddArc({{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}});
    regions.AddArc({{1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}});
    regions.AddArc({{10, 0}, {10, 1}, {11, 1}, {11, 0}, {10, 0}});
    regions.AddPolygon({1, 0, 2});
    regions.AddPolygon({1, 0, 3});
    regions.AddPolygon({3}, 0);
    tb::AttributeSection regionTable;
    regionTable.Field("code", 2, 2).Put(0, 0, std::int16_t{-3}).Put(1, 0, std::int16_t{4});
    regions.Build().Extent(0, 0, 11, 4).Section(9, regionTable.Build()).WriteTo(dir_.Path("regions.tmf"));

    tb::ElementFile net(tb::kNetwork);
    net.AddArc({{0, 0}, {1, 0}});
    net.AddArc({{1, 0}, {1, 1}});
    net.AddNode(0, 0, tb::Bytes(94, 0));
    net.AddNode(1, 0, tb::Bytes(94, 0), 0);
    net.AddNode(1, 1, tb::Bytes(94, 0));
    tb::AttributeSection arcTable, nodeTable;
    arcTable.Field("road", 0, 6).Text(0, 0, "A1").Text(1, 0, "B2");
    nodeTable.Field("id", 3, 4).Put(0, 0, std::int32_t{7}).Put(2, 0, std::int32_t{9});
    net.Build().Extent(0, 0, 1, 1).Section(2, arcTable.Build()).Section(5, nodeTable.Build()).WriteTo(
        dir_.Path("net.tmf"));

    tb::AttributeSection rows;
    rows.Field("flag", 10, 1).Field("ratio", 4, 4).Put(0, 0, std::uint8_t{1}).Put(1, 1, 0.5f).Elements(3);
    tb::MapFileBuilder(tb::kTable).Section(0, rows.Build()).Section(1, tb::Bytes(2, 0)).WriteTo(
        dir_.Path("rows.tmf"));
  }
  tb::TempDir dir_;
};

}  // namespace

// Every kind read: layers named after the file, their types and fields from
// the type table, element numbers as ids with deleted elements passed over,
// counts and extents as stored, random and sequential reads alike.
TEST_F(BuiltFiles, EveryKindReadsWithItsLayersFieldsAndFeatures) {
  struct Layer {
    const char* file;
    const char* name;
    OGRwkbGeometryType type;
    const char* fields;  // name:Type(SubType)/width
    Strings rows;        // as Row() with ids
  };
  const std::vector<Layer> layers = {
      {"pts.tmf", "pts", wkbPoint, "name:String/8 pop:Integer terrix:note:String",
       {"0:北京|7|桥|POINT (1 2)", "2:x|9|null|POINT (5 6)"}},
      {"lines.tmf", "lines", wkbLineString, "len:Real", {"0:1.5|LINESTRING (0 0,1 1)", "1:2.5|LINESTRING (2 2,3 3)"}},
      {"regions.tmf", "regions", wkbPolygon, "code:Integer(Int16)",
       {"0:-3|POLYGON ((0 0,0 4,4 4,4 0,0 0),(1 1,2 1,2 2,1 2,1 1))",
        "1:4|MULTIPOLYGON (((0 0,0 4,4 4,4 0,0 0)),((10 0,10 1,11 1,11 0,10 0)))"}},
      {"net.tmf", "net_arcs", wkbLineString, "road:String/6",
       {"0:A1|LINESTRING (0 0,1 0)", "1:B2|LINESTRING (1 0,1 1)"}},
      {"net.tmf", "net_nodes", wkbPoint, "id:Integer",  // nodes have no deleted state
       {"0:7|POINT (0 0)", "1:0|POINT (1 0)", "2:9|POINT (1 1)"}},
      {"rows.tmf", "rows", wkbNone, "flag:Integer(Boolean) ratio:Real(Float32)", {"0:1|0.0|", "1:0|0.5|", "2:0|0.0|"}},
  };
  for (const Layer& l : layers) {
    Dataset ds = Open(dir_.Path(l.file), nullptr);
    ASSERT_TRUE(ds) << l.file << ": " << CPLGetLastErrorMsg();
    EXPECT_STREQ(ds->GetDriver()->GetDescription(), "Terrix");
    EXPECT_EQ(ds->GetLayerCount(), std::string(l.file) == "net.tmf" ? 2 : 1) << l.file;
    OGRLayer* layer = ds->GetLayerByName(l.name);
    ASSERT_NE(layer, nullptr) << l.name;
    EXPECT_EQ(layer->GetGeomType(), l.type) << l.name;
    std::string fields;
    for (int i = 0; i < layer->GetLayerDefn()->GetFieldCount(); ++i) {
      const OGRFieldDefn* f = layer->GetLayerDefn()->GetFieldDefn(i);
      fields += std::string(fields.empty() ? "" : " ") + f->GetNameRef() + ":" +
                OGRFieldDefn::GetFieldTypeName(f->GetType());
      if (f->GetSubType() != OFSTNone) fields += std::string("(") + OGRFieldDefn::GetFieldSubTypeName(f->GetSubType()) + ")";
      if (f->GetWidth() > 0) fields += "/" + std::to_string(f->GetWidth());
    }
    EXPECT_EQ(fields, l.fields) << l.name;
    EXPECT_EQ(Rows(layer, true), l.rows) << l.name;
    EXPECT_TRUE(layer->TestCapability(OLCFastFeatureCount));
    EXPECT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(l.rows.size())) << l.name;
    // GetFeature gives the same features, and none for a deleted element or beyond.
    Strings byId;
    for (GIntBig fid = -1; fid <= 4; ++fid)
      if (std::unique_ptr<OGRFeature> f(layer->GetFeature(fid)); f) byId.push_back(Row(*f, true));
    EXPECT_EQ(byId, l.rows) << l.name;
    // SetNextByIndex counts live features, not element numbers.
    ASSERT_EQ(layer->SetNextByIndex(1), OGRERR_NONE);
    std::unique_ptr<OGRFeature> second(layer->GetNextFeature());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Row(*second, true), l.rows[1]) << l.name;
    EXPECT_NE(layer->SetNextByIndex(static_cast<GIntBig>(l.rows.size())), OGRERR_NONE) << l.name;
    OGREnvelope extent;
    EXPECT_EQ(layer->TestCapability(OLCFastGetExtent), l.type != wkbNone) << l.name;
    if (l.type == wkbNone) {
      EXPECT_NE(layer->GetExtent(&extent), OGRERR_NONE) << "a table file has no extent";
      continue;
    }
    Terrix::Terrix_FastReader reader;
    ASSERT_EQ(reader.Open(tb::Widen(dir_.Path(l.file)).c_str()), Terrix::Result::Success);
    double stored[4];
    reader.GetExtentInfo(&stored[0], &stored[1], &stored[2], &stored[3]);
    ASSERT_EQ(layer->GetExtent(&extent), OGRERR_NONE);
    EXPECT_EQ(std::vector<double>({extent.MinX, extent.MinY, extent.MaxX, extent.MaxY}),
              std::vector<double>(stored, stored + 4))
        << l.name;
  }
}

// Files are known by their magic, not their name; a file the library
// refuses is not opened, and the error names the library's result.
TEST_F(BuiltFiles, IdentifiedByMagicAndRefusedFilesNotOpened) {
  std::rename(dir_.Path("lines.tmf").c_str(), dir_.Path("lines.dat").c_str());
  EXPECT_TRUE(Open(dir_.Path("lines.dat")));
  std::ofstream(dir_.Path("junk.tmf")) << "not a map file at all";
  EXPECT_FALSE(Open(dir_.Path("junk.tmf")));
  tb::MapFileBuilder(tb::kPoint).KindField(tb::kLine).WriteTo(dir_.Path("mismatch.tmf"));
  ErrorLog log;
  EXPECT_FALSE(Open(dir_.Path("mismatch.tmf")));
  EXPECT_NE(log.All().find(std::string(Terrix::ResultMessage(Terrix::Result::BadMagic)) + " (-9997)"),
            std::string::npos)
      << log.All();
}

// Filters are OGR's (and make counting slow); ignored fields and geometry
// are not read; text in another code page than the file's is said once,
// after the first complete pass; an unknown code page opens nothing.
TEST_F(BuiltFiles, FiltersIgnoredFieldsAndCodePages) {
  Dataset ds = Open(dir_.Path("pts.tmf"), nullptr);
  ASSERT_TRUE(ds);
  OGRLayer* layer = ds->GetLayer(0);
  ASSERT_EQ(layer->SetAttributeFilter("pop > 8"), OGRERR_NONE);
  EXPECT_FALSE(layer->TestCapability(OLCFastFeatureCount));
  EXPECT_FALSE(layer->TestCapability(OLCFastSetNextByIndex));
  EXPECT_EQ(layer->GetFeatureCount(), 1);
  layer->SetAttributeFilter(nullptr);
  layer->SetSpatialFilterRect(0, 0, 2, 3);
  EXPECT_EQ(Rows(layer, true), Strings{"0:北京|7|桥|POINT (1 2)"});
  layer->SetSpatialFilter(nullptr);
  const char* ignored[] = {"name", "terrix:note", "OGR_GEOMETRY", nullptr};
  ASSERT_EQ(layer->SetIgnoredFields(ignored), OGRERR_NONE);
  std::unique_ptr<OGRFeature> lean(layer->GetFeature(0));
  EXPECT_EQ(Row(*lean, false), "|7||") << "only pop read";
  {
    ErrorLog log;
    const char* utf8[] = {"CODEPAGE=UTF-8", nullptr};
    Dataset asUtf8 = Open(dir_.Path("pts.tmf"), utf8);
    ASSERT_TRUE(asUtf8);
    for (int pass = 0; pass < 2; ++pass) {
      EXPECT_EQ(Rows(asUtf8->GetLayer(0)), (Strings{"\uFFFD\uFFFD\uFFFD\uFFFD|7|\uFFFD\uFFFD|POINT (1 2)",
                                                    "x|9|null|POINT (5 6)"}));
      ExpectWarnings(log.Of(CE_Warning),
                     {"field \"name\": 1 values hold bytes that are not UTF-8 text",
                      "1 notes hold bytes that are not UTF-8 text"},
                     log.All());
    }
  }
  const char* bad[] = {"CODEPAGE=NO-SUCH-PAGE", nullptr};
  ErrorLog log;
  EXPECT_FALSE(Open(dir_.Path("pts.tmf"), bad));
  EXPECT_NE(log.All().find("NO-SUCH-PAGE"), std::string::npos) << log.All();
}

// Every OGR field type written and read back as its type (lists as text),
// stored as the type table says, values exact, NULLs kept where the format
// has a null and otherwise stored as the empty value and said; long names
// cut and told apart; a time zone dropped and said.
TEST(TerrixWrite, EveryFieldTypeReadsBackOrSaysWhatChanged) {
  struct Column {
    const char* name;
    OGRFieldType type;
    OGRFieldSubType subType;
    const char* values[2];
    int storedAs;        // the file's type code
    const char* nullAs;  // null: the NULL kept
    const char* readName;
  };
  const std::vector<Column> columns = {
      {"text", OFTString, OFSTNone, {"Zürich 北京", "x"}, 0, "", "text"},
      {"i16", OFTInteger, OFSTInt16, {"-32768", "32767"}, 2, "0", "i16"},
      {"i32", OFTInteger, OFSTNone, {"2147483647", "-2147483648"}, 3, "0", "i32"},
      {"flag", OFTInteger, OFSTBoolean, {"1", "0"}, 10, "0", "flag"},
      {"i64", OFTInteger64, OFSTNone, {"123456", "-5"}, 3, "0", "i64"},
      {"i64d", OFTInteger64, OFSTNone, {"5000000000", "-9007199254740992"}, 5, "0", "i64d"},
      {"i64t", OFTInteger64, OFSTNone, {"9007199254740993", "-4611686018427387904"}, 0, nullptr, "i64t"},
      {"f32", OFTReal, OFSTFloat32, {"0.5", "-1.25"}, 4, "0.0", "f32"},
      {"real", OFTReal, OFSTNone, {"0.1", "4.9406564584124654e-324"}, 5, "0", "real"},
      {"day", OFTDate, OFSTNone, {"1999/12/31", "0001/01/01"}, 6, nullptr, "day"},
      {"clock", OFTTime, OFSTNone, {"23:59:58.125", "00:00:01"}, 7, "00:00:00", "clock"},
      {"stamp", OFTDateTime, OFSTNone, {"2024/02/29 13:14:15.5", "2000/01/01 23:59:59.25+01"}, 8, nullptr, "stamp"},
      {"blob", OFTBinary, OFSTNone, {"00FF1000", "AB00CD01"}, 11, "00000000", "blob"},
      {"list", OFTIntegerList, OFSTNone, {"(3:1,2,3)", "(1:7)"}, 0, "", "list"},
      {"population_estimate_2020", OFTInteger, OFSTNone, {"1000", "2000"}, 3, "0", "population_estimate_"},
      {"population_estimate_2021", OFTInteger, OFSTNone, {"1001", "2001"}, 3, "0", "population_estimat_1"},
  };
  tb::TempDir dir;
  const std::string path = dir.Path("types.tmf");
  std::vector<std::unique_ptr<OGRFeature>> written;
  ErrorLog log;
  {
    Dataset ds = CreateMap(path);
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->CreateLayer("types", nullptr, wkbPoint, nullptr);
    ASSERT_NE(layer, nullptr);
    for (const Column& c : columns) {
      OGRFieldDefn defn(c.name, c.type);
      defn.SetSubType(c.subType);
      ASSERT_EQ(layer->CreateField(&defn), OGRERR_NONE) << c.name;
    }
    // The first feature all NULL, then one of each column's values.
    for (int k = 0; k < 3; ++k) {
      written.push_back(std::make_unique<OGRFeature>(layer->GetLayerDefn()));
      OGRFeature& f = *written.back();
      for (std::size_t i = 0; i < columns.size(); ++i)
        SetFromText(f, static_cast<int>(i), k == 0 ? nullptr : columns[i].values[k - 1]);
      f.SetGeometry(Wkt("POINT (1.25 -2.5)").get());
      ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE) << log.All();
    }
  }
  Strings expected = {"field names made to fit the format (at most 20 bytes, no spaces, unique): "
                      "\"population_estimate_2020\" -> \"population_estimate_\", \"population_estimate_2021\" -> "
                      "\"population_estimat_1\"",
                      "field \"list\" of type IntegerList is stored as text",
                      "field \"i64d\": 64-bit integers stored as doubles",
                      "field \"i64t\": 64-bit integers stored as decimal text",
                      "field \"stamp\": 1 time zone dropped"};
  for (const Column& c : columns)
    if (c.nullAs != nullptr)
      expected.push_back(std::string("field \"") + c.readName + "\": 1 null value stored as " +
                         (c.type == OFTString || c.type == OFTIntegerList ? "empty text"
                          : c.type == OFTBinary                         ? "zero bytes"
                          : c.type == OFTTime                           ? "00:00:00"
                          : c.subType == OFSTBoolean                    ? "false"
                                                                        : "0"));
  ExpectWarnings(log.Of(CE_Warning), expected, log.All());

  Terrix::Terrix_FastReader reader;
  ASSERT_EQ(reader.Open(tb::Widen(path).c_str()), Terrix::Result::Success);
  reader.SetAttributeType(1);
  EXPECT_EQ(reader.GetRecordCount(), 3) << "a record for every feature, NULLs and all";
  Dataset ds = Open(path, nullptr);
  ASSERT_TRUE(ds);
  OGRLayer* layer = ds->GetLayer(0);
  ASSERT_EQ(layer->GetLayerDefn()->GetFieldCount(), static_cast<int>(columns.size())) << "no note field";
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    const Column& c = columns[static_cast<std::size_t>(i)];
    const OGRFieldDefn* field = layer->GetLayerDefn()->GetFieldDefn(i);
    EXPECT_STREQ(field->GetNameRef(), c.readName);
    EXPECT_EQ(field->GetType(), c.type == OFTIntegerList ? OFTString : c.type) << c.name;
    EXPECT_EQ(field->GetSubType(), c.subType) << c.name;
    wchar_t name[32] = {};
    EXPECT_EQ(reader.GetFieldInfo(i, name, nullptr, nullptr, nullptr), c.storedAs) << c.name;
  }
  EXPECT_EQ(layer->GetLayerDefn()->GetFieldDefn(0)->GetWidth(), 12) << "the longest value's GBK bytes";
  for (int k = 0; k < 3; ++k) {
    std::unique_ptr<OGRFeature> back(layer->GetNextFeature());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetGeometryRef()->exportToWkt(), "POINT (1.25 -2.5)");
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
      const Column& c = columns[static_cast<std::size_t>(i)];
      if (k == 0) {
        EXPECT_EQ(back->IsFieldNull(i), c.nullAs == nullptr) << c.name;
        if (c.nullAs != nullptr) {
          EXPECT_STREQ(back->GetFieldAsString(i), c.nullAs) << c.name;
        }
        continue;
      }
      OGRFeature& source = *written[static_cast<std::size_t>(k)];
      if (c.type == OFTDateTime) source.GetRawFieldRef(i)->Date.TZFlag = 0;
      EXPECT_STREQ(back->GetFieldAsString(i), source.GetFieldAsString(i)) << c.name << " " << k;
      EXPECT_EQ(back->GetFieldAsDouble(i), source.GetFieldAsDouble(i)) << c.name << " " << k;
    }
  }
}

// The kind comes from the layer's type or, for none that decides it, from
// the first geometry (features before it keep their place); multi-part
// features become an element per part; Z is dropped, curves are made
// straight, and both are said.
TEST(TerrixWrite, ShapesMakeTheFileKindAndReadBackAsStored) {
  struct Case {
    OGRwkbGeometryType layerType;
    std::vector<const char*> wkts;  // null: no geometry
    int kind;
    Strings rows;  // "n|WKT"; empty: only the count is checked
    Strings warnings;
  };
  const std::vector<Case> cases = {
      {wkbUnknown,
       {nullptr, "GEOMETRYCOLLECTION EMPTY", "POLYGON ((0 0,0 1,1 1,1 0,0 0))",
        "MULTIPOLYGON (((5 5,5 6,6 6,5 5)),((7 7,7 8,8 8,7 7)))",
        "POLYGON ((0 0,4 0,4 4,0 4,0 0),(1 1,2 1,2 2,1 2,1 1))"},
       2,
       {"0|", "1|", "2|POLYGON ((0 0,0 1,1 1,1 0,0 0))", "3|MULTIPOLYGON (((5 5,5 6,6 6,5 5)),((7 7,7 8,8 8,7 7)))",
        "4|POLYGON ((0 0,0 4,4 4,4 0,0 0),(1 1,2 1,2 2,1 2,1 1))"},
       {}},
      {wkbUnknown, {"MULTILINESTRING ((0 0,1 1),(2 2,3 3,4 4))"}, 0,
       {"0|LINESTRING (0 0,1 1)", "0|LINESTRING (2 2,3 3,4 4)"}, {"1 multi-part feature became 2 elements"}},
      {wkbMultiPoint, {"MULTIPOINT ((1 2),(3 4))"}, 1, {"0|POINT (1 2)", "0|POINT (3 4)"},
       {"1 multi-part feature became 2 elements"}},
      {wkbPoint25D, {"POINT Z (0 0 100)", "POINT Z (1 1 101)"}, 1, {"0|POINT (0 0)", "1|POINT (1 1)"},
       {"Z values dropped from 2 features"}},
      {wkbCurvePolygon, {"CURVEPOLYGON (CIRCULARSTRING (0 0,1 1,2 0,1 -1,0 0))"}, 2, {}, {"1 feature with curves"}},
      {wkbNone, {nullptr, nullptr}, 7, {"0|", "1|"}, {}},
  };
  for (const Case& c : cases) {
    const std::string what = OGRGeometryTypeToName(c.layerType);
    tb::TempDir dir;
    ErrorLog log;
    {
      Dataset ds = CreateMap(dir.Path("shapes.tmf"));
      OGRLayer* layer = ds->CreateLayer("shapes", nullptr, c.layerType, nullptr);
      ASSERT_NE(layer, nullptr) << what;
      OGRFieldDefn n("n", OFTInteger);
      ASSERT_EQ(layer->CreateField(&n), OGRERR_NONE);
      for (std::size_t i = 0; i < c.wkts.size(); ++i) {
        OGRFeature f(layer->GetLayerDefn());
        f.SetField(0, static_cast<int>(i));
        if (c.wkts[i] != nullptr) f.SetGeometryDirectly(Wkt(c.wkts[i]).release());
        ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE) << what << log.All();
        EXPECT_EQ(f.GetFID(), static_cast<GIntBig>(i)) << what;
      }
      EXPECT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(c.wkts.size())) << what;
    }
    ExpectWarnings(log.Of(CE_Warning), c.warnings, what + "\n" + log.All());
    Terrix::Terrix_FastReader reader;
    ASSERT_EQ(reader.Open(tb::Widen(dir.Path("shapes.tmf")).c_str()), Terrix::Result::Success) << what;
    EXPECT_EQ(reader.GetShapeType(), c.kind) << what;
    Dataset ds = Open(dir.Path("shapes.tmf"), nullptr);
    ASSERT_TRUE(ds) << what;
    if (!c.rows.empty()) {
      EXPECT_EQ(Rows(ds->GetLayer(0)), c.rows) << what;
      continue;
    }
    std::unique_ptr<OGRFeature> circle(ds->GetLayer(0)->GetNextFeature());
    ASSERT_TRUE(circle && circle->GetGeometryRef());
    EXPECT_NEAR(circle->GetGeometryRef()->toPolygon()->get_Area(), M_PI, 0.05) << "the circle, in segments";
  }
}

// What the format cannot hold is refused with the feature named and the way
// round it; later features are refused too, and nothing is left behind.
TEST(TerrixWrite, RefusedShapesLeaveNothing) {
  struct Case {
    const char* good;  // a feature of the same kind, written before
    const char* bad;   // 1e999 reads as infinity
    const char* problem;
  };
  const std::vector<Case> cases = {
      {"POLYGON ((0 0,0 1,1 1,0 0))", "POLYGON ((0 0,1 1,0 0))", "too few points"},
      {"POLYGON ((0 0,0 1,1 1,0 0))", "POLYGON ((0 0,0 9,9 9,9 0,0 0),(1 1,1e999 2,2 2,1 1))", "not a finite number"},
      {"LINESTRING (0 0,1 1)", "LINESTRING (0 0,1e999 1)", "not a finite number"},
      {"POINT (0 0)", "POINT (1e999 1)", "not a finite number"},
  };
  for (const Case& c : cases) {
    tb::TempDir dir;
    ErrorLog log;
    {
      Dataset ds = CreateMap(dir.Path("bad.tmf"));
      OGRLayer* layer = ds->CreateLayer("bad", nullptr, wkbUnknown, nullptr);
      OGRFeature good(layer->GetLayerDefn()), bad(layer->GetLayerDefn());
      good.SetGeometryDirectly(Wkt(c.good).release());
      ASSERT_EQ(layer->CreateFeature(&good), OGRERR_NONE) << log.All();
      ASSERT_TRUE(Wkt(c.bad)) << c.bad;
      bad.SetGeometryDirectly(Wkt(c.bad).release());
      bad.SetFID(41);
      EXPECT_EQ(layer->CreateFeature(&bad), OGRERR_FAILURE) << c.bad;
      const std::string refusal = log.Of(CE_Failure).empty() ? "" : log.Of(CE_Failure).front();
      for (const char* text : {"feature 41", c.problem, "LOSSY=YES"})
        EXPECT_NE(refusal.find(text), std::string::npos) << c.bad << ": " << refusal;
      good.SetFID(OGRNullFID);
      EXPECT_EQ(layer->CreateFeature(&good), OGRERR_FAILURE) << "nothing more after a refusal";
    }
    EXPECT_EQ(FilesIn(dir.Path("")), Strings{}) << c.bad;
  }
}

// Through ogr2ogr: text the code page cannot hold stops it (naming the field,
// the feature, the character and the way round), and so does a failure found
// only when the file is laid out at closing; neither leaves a file. LOSSY=YES
// stores '?' and says how many values changed.
TEST(TerrixOgr2Ogr, FailuresStopOgr2OgrAndLeaveNothing) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir in, out;
  const std::string cities = in.Path("cities.geojson"), bare = in.Path("bare.geojson");
  std::ofstream(cities) << R"({"type":"FeatureCollection","features":[)"
                        << R"({"type":"Feature","properties":{"city":"北京"},"geometry":{"type":"Point","coordinates":[116.4,39.9]}},)"
                        << R"({"type":"Feature","properties":{"city":"São Paulo"},"geometry":{"type":"Point","coordinates":[-46.6,-23.5]}}]})";
  std::ofstream(bare) << R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},"geometry":null}]})";
  const std::vector<std::pair<std::string, Strings>> cases = {
      {cities, {"field \"city\"", "feature 1", "U+00E3", "GB18030", "LOSSY=YES"}},
      {bare, {"the features need at least one field"}},
  };
  for (const auto& [source, texts] : cases) {
    const ProgramRun run = Program(kOgr2Ogr + " -f Terrix " + out.Path("out.tmf") + " " + source);
    EXPECT_NE(run.status, 0) << run.out;
    for (const std::string& text : texts) EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    EXPECT_EQ(FilesIn(out.Path("")), Strings{}) << "no output file, no temporary file";
  }
  const ProgramRun lossy = Program(kOgr2Ogr + " -f Terrix " + out.Path("out.tmf") + " " + cities + " -lco LOSSY=YES");
  ASSERT_EQ(lossy.status, 0) << lossy.out;
  ExpectWarnings(lossy.warnings, {"field \"city\": 1 value held characters that GBK cannot hold (first U+00E3"},
                 lossy.out);
  EXPECT_EQ(RowsOf(out.Path("out.tmf")), (Strings{"北京|POINT (116.4 39.9)", "S?o Paulo|POINT (-46.6 -23.5)"}));
}

// Natural Earth's shapefiles through ogr2ogr into map files in GB18030 (it
// holds Côte d'Ivoire and São Tomé) read back bit for bit, without a word.
TEST(TerrixOgr2Ogr, NaturalEarthRoundTripIsExact) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  for (const std::string& shp : {kCountries, kCities}) {
    const std::string map = dir.Path(CPLGetBasename(shp.c_str()) + std::string(".tmf"));
    const ProgramRun run = Program(kOgr2Ogr + " -f Terrix " + map + " " + shp + " -lco CODEPAGE=GB18030");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.warnings, Strings{}) << run.out;
    Dataset a = Open(shp, nullptr), b = Open(map);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetLayer(0)->GetFeatureCount(), shp == kCountries ? 177 : 243);
    ExpectSameFeatures(a->GetLayer(0), b->GetLayer(0), map);
  }
}

// An update: a deletion alone is made in place (one state byte); other
// changes (a field, a changed and a new feature) are seen at once and make
// the close write the file anew with every feature, and the sidecar stays.
TEST(TerrixUpdate, DeletionsInPlaceOtherChangesWrittenAnew) {
  tb::TempDir dir;
  const std::string map = dir.Path("cities.tmf");
  MakeMap(map, kCities);
  const std::string bytes = ReadBytes(map);
  Strings expected = RowsOf(map);
  {
    Dataset ds = Open(map, kGb18030, true);
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    EXPECT_EQ(layer->DeleteFeature(5), OGRERR_NONE);
    for (GIntBig gone : {-1, 5, 243}) EXPECT_EQ(layer->DeleteFeature(gone), OGRERR_NON_EXISTING_FEATURE) << gone;
    EXPECT_EQ(layer->GetFeatureCount(), 242);
    EXPECT_EQ(layer->GetFeature(5), nullptr);
    EXPECT_FALSE(layer->TestCapability(OLCFastSetNextByIndex)) << "the generic walk now";
    ASSERT_EQ(layer->SetNextByIndex(5), OGRERR_NONE);
    std::unique_ptr<OGRFeature> sixth(layer->GetNextFeature());
    ASSERT_TRUE(sixth);
    EXPECT_EQ(sixth->GetFID(), 6);
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
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    OGRFieldDefn rank("rank", OFTString);
    ASSERT_EQ(layer->CreateField(&rank), OGRERR_NONE);
    EXPECT_EQ(layer->CreateField(&rank), OGRERR_FAILURE) << "there already";
    std::unique_ptr<OGRFeature> f(layer->GetFeature(2));
    ASSERT_TRUE(f);
    f->SetField("name", "Renamed");
    f->SetField("rank", "7");
    EXPECT_EQ(layer->SetFeature(f.get()), OGRERR_NONE);
    OGRFeature added(layer->GetLayerDefn());
    added.SetField("name", "Added");
    added.SetGeometryDirectly(new OGRPoint(-179.5, -89.5));
    EXPECT_EQ(layer->CreateFeature(&added), OGRERR_NONE);
    EXPECT_EQ(added.GetFID(), 243) << "after the file's elements";
    EXPECT_EQ(layer->GetFeatureCount(), 243);
    EXPECT_EQ(Row(*std::unique_ptr<OGRFeature>(layer->GetFeature(2)), false), "Renamed|7|" + expected[2].substr(expected[2].find('|') + 1));
    EXPECT_EQ(Row(*std::unique_ptr<OGRFeature>(layer->GetFeature(243)), false), "Added||POINT (-179.5 -89.5)");
    OGRFeature missing(layer->GetLayerDefn());
    missing.SetFID(999);
    EXPECT_EQ(layer->SetFeature(&missing), OGRERR_NON_EXISTING_FEATURE);
    // The stored extent no longer holds every feature.
    EXPECT_FALSE(layer->TestCapability(OLCFastGetExtent));
    OGREnvelope extent;
    ASSERT_EQ(layer->GetExtent(&extent, TRUE), OGRERR_NONE);
    EXPECT_EQ(extent.MinX, -179.5);
    EXPECT_EQ(extent.MinY, -89.5);
  }
  ExpectWarnings(log.Of(CE_Warning),
                 {"written anew with the changes", "field \"rank\": 242 null values stored as empty text"}, log.All());
  for (std::string& row : expected) row.insert(row.find('|') + 1, "|");  // the new field, null, read as ""
  expected[2] = "Renamed|7|" + expected[2].substr(expected[2].find("||") + 2);
  expected.push_back("Added||POINT (-179.5 -89.5)");
  EXPECT_EQ(RowsOf(map), expected);
  Dataset ds = Open(map);
  ASSERT_TRUE(ds);
  ASSERT_NE(ds->GetLayer(0)->GetSpatialRef(), nullptr);
  EXPECT_STREQ(ds->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "4326");
}

// A change the format cannot hold fails at closing, says so, and leaves the
// file byte for byte as it was.
TEST(TerrixUpdate, FailedRewriteLeavesTheFileAsItWas) {
  tb::TempDir dir;
  const std::string map = dir.Path("cities.tmf");
  MakeMap(map, kCities, {"-lco", "CODEPAGE=CP1252"});
  const std::string bytes = ReadBytes(map);
  ErrorLog log;
  {
    const char* const cp1252[] = {"CODEPAGE=CP1252", nullptr};
    Dataset ds = Open(map, cp1252, true);
    ASSERT_TRUE(ds);
    OGRFeature beijing(ds->GetLayer(0)->GetLayerDefn());
    beijing.SetField("name", "北京");
    beijing.SetGeometryDirectly(new OGRPoint(116.4, 39.9));
    EXPECT_EQ(ds->GetLayer(0)->CreateFeature(&beijing), OGRERR_NONE) << "refused only when laid out";
    EXPECT_EQ(ds->GetLayer(0)->DeleteFeature(0), OGRERR_NONE);
  }
  const Strings errors = log.Of(CE_Failure);
  ASSERT_EQ(errors.size(), 2u) << log.All();
  EXPECT_NE(errors[0].find("U+5317"), std::string::npos) << log.All();
  EXPECT_NE(errors[1].find("the changes are not saved; the file is as it was"), std::string::npos) << log.All();
  EXPECT_EQ(ReadBytes(map), bytes);
  EXPECT_EQ(FilesIn(dir.Path("")), (Strings{"cities.prj", "cities.tmf"}));
}

// ogr2ogr -update -append doubles the features (the terrix tool reads the
// file whole); -overwrite replaces the file, of another kind and coordinate
// system, and a failing one leaves the previous file.
TEST(TerrixUpdate, AppendAndOverwriteThroughOgr2Ogr) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  const std::string map = dir.Path("countries.tmf"), copy = dir.Path("copy.tmf");
  MakeMap(map, kCountries);
  MakeMap(copy, kCountries);
  const Strings once = RowsOf(map);
  Strings doubled = once;
  doubled.insert(doubled.end(), once.begin(), once.end());
  const ProgramRun append = Program(kOgr2Ogr + " -update -append " + map + " " + copy +
                             " -nln countries -oo CODEPAGE=GB18030 -doo CODEPAGE=GB18030");
  ASSERT_EQ(append.status, 0) << append.out;
  ExpectWarnings(append.warnings, {"written anew with the changes"}, append.out);
  EXPECT_EQ(RowsOf(map), doubled);
  if (!kTerrix.empty()) {
    const ProgramRun info = Program("(" + kTerrix + " info " + map + " && " + kTerrix + " check " + map + ")");
    EXPECT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("regions: 354 in use, 0 deleted"), std::string::npos) << info.out;
  }
  EXPECT_EQ(FilesIn(dir.Path("")), (Strings{"copy.prj", "copy.tmf", "countries.prj", "countries.tmf"}));

  const ProgramRun overwrite = Program(kOgr2Ogr + " -f Terrix -overwrite -t_srs EPSG:3857 " + map + " " + kCities +
                                " -nln countries -lco CODEPAGE=GB18030");
  ASSERT_EQ(overwrite.status, 0) << overwrite.out;
  Dataset ds = Open(map);
  ASSERT_TRUE(ds);
  EXPECT_EQ(ds->GetLayer(0)->GetGeomType(), wkbPoint);
  EXPECT_EQ(ds->GetLayer(0)->GetFeatureCount(), 243);
  ASSERT_NE(ds->GetLayer(0)->GetSpatialRef(), nullptr);
  EXPECT_STREQ(ds->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "3857");
  const std::string bytes = ReadBytes(map);
  std::ofstream(dir.Path("bad.geojson")) << R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
                                         << R"("properties":{},"geometry":{"type":"LineString","coordinates":[[0,0]]}}]})";
  const ProgramRun bad = Program(kOgr2Ogr + " -f Terrix -overwrite " + map + " " + dir.Path("bad.geojson") + " -nln countries");
  EXPECT_NE(bad.status, 0) << bad.out;
  EXPECT_EQ(ReadBytes(map), bytes);
}

// What a layer and a dataset declare is what they do. A file that cannot be
// changed where it is (a network file) is not opened for update, quietly,
// so that ogrinfo -sql, which asks for update first, reads it.
TEST_F(BuiltFiles, CapabilitiesAsTheyAreAndReadOnlyOpensQuietly) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  const ProgramRun sql = Program(kOgrInfo + " " + dir_.Path("net.tmf") + " -sql \"SELECT COUNT(*) FROM net_arcs\"");
  EXPECT_EQ(sql.status, 0) << sql.out;
  EXPECT_NE(sql.out.find("COUNT_* (Integer) = 2"), std::string::npos) << sql.out;
  EXPECT_EQ(sql.out.find("ERROR"), std::string::npos) << sql.out;
  {
    ErrorLog log;
    EXPECT_FALSE(Open(dir_.Path("net.tmf"), nullptr, true));
    EXPECT_EQ(log.All(), "");
  }
  const Strings layerCapabilities = {OLCRandomRead,   OLCFastFeatureCount, OLCFastSetNextByIndex, OLCFastGetExtent,
                                     OLCIgnoreFields, OLCStringsAsUTF8,    OLCSequentialWrite,    OLCRandomWrite,
                                     OLCDeleteFeature, OLCCreateField,     OLCCurveGeometries,    OLCDeleteField};
  const Strings datasetCapabilities = {ODsCCreateLayer, ODsCDeleteLayer, ODsCRandomLayerWrite, ODsCCurveGeometries};
  struct Case {
    const char* file;
    bool update;
    std::string layer, dataset;  // '1' where the capability above holds
  };
  const std::vector<Case> cases = {
      {"pts.tmf", false, "111111000000", "0000"},
      {"pts.tmf", true, "111111111110", "0101"},
      {"net.tmf", false, "111111000000", "0000"},
      {"rows.tmf", true, "111011111110", "0101"},
  };
  ErrorLog quiet;
  for (const Case& c : cases) {
    Dataset ds = Open(dir_.Path(c.file), nullptr, c.update);
    ASSERT_TRUE(ds) << c.file;
    std::string layer, dataset;
    for (const std::string& k : layerCapabilities) layer += ds->GetLayer(0)->TestCapability(k.c_str()) ? '1' : '0';
    for (const std::string& k : datasetCapabilities) dataset += ds->TestCapability(k.c_str()) ? '1' : '0';
    EXPECT_EQ(layer, c.layer) << c.file << (c.update ? " for update" : "");
    EXPECT_EQ(dataset, c.dataset) << c.file << (c.update ? " for update" : "");
    EXPECT_EQ(ds->GetLayer(0)->DeleteFeature(0) == OGRERR_NONE, c.update) << c.file;
  }
  Dataset folder = CreateMap(dir_.Path("out"));
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->TestCapability(ODsCCreateLayer) && folder->TestCapability(ODsCRandomLayerWrite));
  Dataset file = CreateMap(dir_.Path("new.tmf"));
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->TestCapability(ODsCCreateLayer));
  {
    ErrorLog log;
    const char* badCodePage[] = {"CODEPAGE=NO-SUCH-PAGE", nullptr};
    EXPECT_EQ(file->CreateLayer("a", nullptr, wkbPoint, const_cast<char**>(badCodePage)), nullptr);
  }
  ASSERT_NE(file->CreateLayer("a", nullptr, wkbPoint), nullptr);
  EXPECT_FALSE(file->TestCapability(ODsCCreateLayer));
  ErrorLog log;
  EXPECT_EQ(file->CreateLayer("b", nullptr, wkbPoint), nullptr);
  EXPECT_NE(log.All().find("a map file holds one layer"), std::string::npos) << log.All();
}

// A folder is a dataset: a GeoPackage of two layers becomes a folder of two
// map files with their coordinate systems and comes back whole; once more
// into it fails; opened for update, -overwrite replaces one layer's file,
// DeleteLayer removes a file and its sidecar at closing, and a new layer is
// a new file.
TEST(TerrixFolder, FolderOfLayersThroughOgr2OgrAndUpdate) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  const std::string gpkg = dir.Path("multi.gpkg"), folder = dir.Path("maps"), back = dir.Path("back.gpkg");
  for (const std::string& command :
       {kOgr2Ogr + " -f GPKG " + gpkg + " " + kCountries + " -nln countries",
        kOgr2Ogr + " -update " + gpkg + " " + kCities + " -nln cities",
        kOgr2Ogr + " -f Terrix " + folder + " " + gpkg + " -lco CODEPAGE=GB18030",
        kOgr2Ogr + " -f GPKG " + back + " " + folder + " -oo CODEPAGE=GB18030"}) {
    const ProgramRun run = Program(command);
    ASSERT_EQ(run.status, 0) << command << "\n" << run.out;
  }
  EXPECT_EQ(FilesIn(folder), (Strings{"cities.prj", "cities.tmf", "countries.prj", "countries.tmf"}));
  Dataset a = Open(gpkg, nullptr), b = Open(back, nullptr);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(b->GetLayerCount(), 2);
  for (const char* name : {"cities", "countries"}) {
    OGRLayer* la = a->GetLayerByName(name);
    OGRLayer* lb = b->GetLayerByName(name);
    ASSERT_TRUE(la && lb) << name;
    EXPECT_EQ(Rows(la), Rows(lb)) << name;
    ASSERT_NE(lb->GetSpatialRef(), nullptr);
    EXPECT_TRUE(lb->GetSpatialRef()->IsSame(la->GetSpatialRef())) << name;
  }
  const ProgramRun again = Program(kOgr2Ogr + " -f Terrix " + folder + " " + gpkg + " -lco CODEPAGE=GB18030");
  EXPECT_NE(again.status, 0) << again.out;
  const ProgramRun overwrite = Program(kOgr2Ogr + " -f Terrix -update -overwrite " + folder + " " + kCities +
                                " -nln countries -lco CODEPAGE=GB18030 -where \"name LIKE 'A%'\"");
  ASSERT_EQ(overwrite.status, 0) << overwrite.out;
  Dataset cities = Open(kCities, nullptr);
  cities->GetLayer(0)->SetAttributeFilter("name LIKE 'A%'");
  EXPECT_EQ(RowsOf(folder + "/countries.tmf"), Rows(cities->GetLayer(0))) << "the cities starting with A";
  {
    Dataset ds = Open(folder, kGb18030, true);
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetLayerCount(), 2);
    ASSERT_STREQ(ds->GetLayer(0)->GetName(), "cities");
    EXPECT_EQ(ds->DeleteLayer(0), OGRERR_NONE);
    EXPECT_EQ(ds->GetLayerCount(), 1);
    EXPECT_EQ(FilesIn(folder).size(), 4u) << "removed at closing";
    OGRLayer* roads = ds->CreateLayer("roads", nullptr, wkbLineString);
    ASSERT_NE(roads, nullptr);
    OGRFeature road(roads->GetLayerDefn());
    road.SetGeometryDirectly(Wkt("LINESTRING (0 0,1 1)").release());
    ASSERT_EQ(roads->CreateFeature(&road), OGRERR_NONE);
  }
  EXPECT_EQ(FilesIn(folder), (Strings{"countries.prj", "countries.tmf", "roads.tmf"}));
  EXPECT_EQ(RowsOf(folder + "/roads.tmf"), Strings{"LINESTRING (0 0,1 1)"});
}

// Through GDAL's virtual files: written into /vsimem/ (with its NAME.prj),
// read from a zip (the coordinate system when the zip holds the sidecar), by
// ogrinfo from standard input, and written by ogr2ogr to standard output,
// which takes the map file alone and says the coordinate system is not kept.
TEST(TerrixVirtualFiles, MemoryZipStandardInputAndOutput) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  const std::string memory = "/vsimem/terrix-test-" + std::to_string(::getpid());
  MakeMap(memory + "/cities.tmf", kCities);
  EXPECT_EQ(FilesIn(memory), (Strings{"cities.prj", "cities.tmf"}));
  const Strings rows = RowsOf(memory + "/cities.tmf");
  ASSERT_EQ(rows.size(), 243u);
  for (const std::string zip : {"nosrs.zip", "both.zip"})
    for (const std::string file : {"cities.tmf", "cities.prj"}) {
      if (zip == "nosrs.zip" && file == "cities.prj") continue;
      ASSERT_EQ(CPLCopyFile(("/vsizip/" + dir.Path(zip) + "/" + file).c_str(), (memory + "/" + file).c_str()), 0);
    }
  for (const std::string zip : {"nosrs.zip", "both.zip"}) {
    Dataset ds = Open("/vsizip/" + dir.Path(zip) + "/cities.tmf");
    ASSERT_TRUE(ds) << zip;
    EXPECT_EQ(Rows(ds->GetLayer(0)), rows) << zip;
    EXPECT_EQ(ds->GetLayer(0)->GetSpatialRef() != nullptr, zip == "both.zip");
  }
  const ProgramRun zipInfo = Program(kOgrInfo + " -so -al /vsizip/" + dir.Path("both.zip") + "/cities.tmf -oo CODEPAGE=GB18030");
  EXPECT_NE(zipInfo.out.find("Feature Count: 243"), std::string::npos) << zipInfo.out;
  EXPECT_NE(zipInfo.out.find("using driver `Terrix'"), std::string::npos) << zipInfo.out;

  const ProgramRun piped = Program("(" + kOgr2Ogr + " -f Terrix /vsistdout/ " + kCities +
                                   " -lco CODEPAGE=GB18030 > " + dir.Path("piped.tmf") + ")");
  EXPECT_EQ(piped.status, 0) << piped.out;
  ExpectWarnings(piped.warnings, {"coordinate system is not kept: standard output"}, piped.out);
  EXPECT_EQ(RowsOf(dir.Path("piped.tmf")), rows);
  const ProgramRun in = Program(kOgrInfo + " -so -al /vsistdin/ -oo CODEPAGE=GB18030 < " + dir.Path("piped.tmf"));
  EXPECT_EQ(in.status, 0) << in.out;
  EXPECT_NE(in.out.find("Feature Count: 243"), std::string::npos) << in.out;
  EXPECT_EQ(FilesIn(dir.Path("")), (Strings{"both.zip", "nosrs.zip", "piped.tmf"}));
  VSIRmdirRecursive(memory.c_str());
}

// NAME.prj: a shapefile in UTM 33N -> map file -> shapefile keeps its
// coordinate system (ESRI WKT read and written), -t_srs reprojects from the
// map file; a NAME.prj that NAME.shp shares is left as it is, and a map
// file of another coordinate system is said not to keep its own.
TEST(TerrixCoordinateSystem, SidecarKeptReadAndLeftWhenShared) {
  SKIP_WITHOUT_GDAL_PROGRAMS();
  tb::TempDir dir;
  const std::string utm = dir.Path("utm.shp"), map = dir.Path("map.tmf"), back = dir.Path("back.shp"),
                    wgs84 = dir.Path("wgs84.geojson");
  for (const std::string& command : {kOgr2Ogr + " -spat 9 35 21 60 -t_srs EPSG:32633 " + utm + " " + kCities,
                                     kOgr2Ogr + " -f Terrix " + map + " " + utm + " -lco CODEPAGE=GB18030",
                                     kOgr2Ogr + " " + back + " " + map + " -oo CODEPAGE=GB18030",
                                     kOgr2Ogr + " -f GeoJSON -t_srs EPSG:4326 " + wgs84 + " " + map +
                                         " -oo CODEPAGE=GB18030 -lco COORDINATE_PRECISION=9"}) {
    const ProgramRun run = Program(command);
    ASSERT_EQ(run.status, 0) << command << "\n" << run.out;
    EXPECT_EQ(run.warnings, Strings{}) << command << "\n" << run.out;
  }
  EXPECT_EQ(ReadBytes(dir.Path("back.prj")), ReadBytes(dir.Path("utm.prj")));
  EXPECT_EQ(RowsOf(back, nullptr), RowsOf(utm, nullptr));
  Dataset original = Open(kCities, nullptr), reprojected = Open(wgs84, nullptr);
  ASSERT_TRUE(original && reprojected);
  original->GetLayer(0)->SetSpatialFilterRect(9, 35, 21, 60);
  ASSERT_GT(reprojected->GetLayer(0)->GetFeatureCount(), 5);
  ASSERT_EQ(reprojected->GetLayer(0)->GetFeatureCount(), original->GetLayer(0)->GetFeatureCount());
  for (auto& f : *reprojected->GetLayer(0)) {
    std::unique_ptr<OGRFeature> o(original->GetLayer(0)->GetNextFeature());
    EXPECT_STREQ(f->GetFieldAsString("name"), o->GetFieldAsString("name"));
    EXPECT_NEAR(f->GetGeometryRef()->toPoint()->getX(), o->GetGeometryRef()->toPoint()->getX(), 1e-7);
    EXPECT_NEAR(f->GetGeometryRef()->toPoint()->getY(), o->GetGeometryRef()->toPoint()->getY(), 1e-7);
  }
  const std::string prj = ReadBytes(dir.Path("utm.prj"));
  const std::string toShared = kOgr2Ogr + " -f Terrix " + dir.Path("utm.tmf") + " " + utm + " -lco CODEPAGE=GB18030";
  const ProgramRun other = Program(toShared + " -t_srs EPSG:4326");
  EXPECT_EQ(other.status, 0) << other.out;
  ExpectWarnings(other.warnings, {"the layer's coordinate system is not kept"}, other.out);
  const ProgramRun same = Program(toShared);
  EXPECT_EQ(same.status, 0) << same.out;
  EXPECT_EQ(same.warnings, Strings{}) << same.out;
  EXPECT_EQ(ReadBytes(dir.Path("utm.prj")), prj);
}
