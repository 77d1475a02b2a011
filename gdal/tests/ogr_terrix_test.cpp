// The Terrix driver as GDAL loads it from GDAL_DRIVER_PATH: ogrinfo on files
// of every kind built byte by byte, ogr2ogr round trips of Natural Earth, and
// counts, extents and features checked against the library's own reader.
#include <TerrixLib.h>
#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "Encoding.h"
#include "VectorModel.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"

using terrix::Json;

namespace {

const std::string kOgrInfo = TERRIX_OGRINFO;
const std::string kOgr2Ogr = TERRIX_OGR2OGR;
const std::string kBeijingGbk = "\xB1\xB1\xBE\xA9";  // 北京
const std::string kBridgeGbk = "\xC7\xC5";           // 桥

class GdalEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR, 1);  // for the programs run below too
    CPLSetConfigOption("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR);
    GDALAllRegister();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GdalEnvironment);

struct CommandRun {
  int status;
  std::string out;
};

CommandRun Command(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  std::string out;
  char buffer[4096];
  while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

struct DatasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

Dataset OpenVector(const std::string& path) {
  return Dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
}

// One file of each kind, with a deleted element in every element class and
// GBK text in names, values and notes.
void BuildFiles(const tb::TempDir& dir) {
  tb::ElementFile points(tb::kPoint);
  points.AddPoint(1, 2, kBridgeGbk);
  points.AddPoint(3, 4, "", 0);
  points.AddPoint(5, 6, "");
  tb::AttributeSection pointTable;
  pointTable.Field("name", 0, 8).Field("pop", 3, 4).Elements(3);
  pointTable.Text(0, 0, kBeijingGbk).Put(0, 1, std::int32_t{7}).Text(2, 0, "x").Put(2, 1, std::int32_t{9});
  points.Build().Extent(1, 2, 5, 6).Section(2, pointTable.Build()).WriteTo(dir.Path("pts.tmf"));

  tb::ElementFile lines(tb::kLine);
  lines.AddArc({{0, 0}, {1, 1}});
  lines.AddArc({{2, 2}, {3, 3}});
  lines.AddArc({{9, 9}, {8, 8}}, 0);
  tb::AttributeSection lineTable;
  lineTable.Field("len", 5, 8).Put(0, 0, 1.5).Put(1, 0, 2.5);
  lines.Build().Extent(0, 0, 3, 3).Section(2, lineTable.Build()).WriteTo(dir.Path("lines.tmf"));

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
  regions.Build().Extent(0, 0, 11, 4).Section(9, regionTable.Build()).WriteTo(dir.Path("regions.tmf"));

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
      .WriteTo(dir.Path("net.tmf"));

  tb::AttributeSection rows;
  rows.Field("flag", 10, 1).Field("ratio", 4, 4).Put(0, 0, std::uint8_t{1}).Put(1, 1, 0.5f).Elements(3);
  tb::MapFileBuilder(tb::kTable)
      .Section(0, rows.Build())
      .Section(1, tb::Bytes(2, 0))
      .WriteTo(dir.Path("rows.tmf"));
}

// Every vertex of a geometry in order: rings of polygons one after another.
void CollectVertices(const OGRGeometry* g, std::vector<terrix::Vertex>& out) {
  if (g == nullptr) return;
  switch (wkbFlatten(g->getGeometryType())) {
    case wkbPoint:
      out.push_back({g->toPoint()->getX(), g->toPoint()->getY()});
      break;
    case wkbLineString:
      for (const OGRPoint& p : *g->toLineString()) out.push_back({p.getX(), p.getY()});
      break;
    case wkbPolygon:
      for (const OGRLinearRing* ring : *g->toPolygon()) CollectVertices(ring->toLineString(), out);
      break;
    default:
      for (const OGRGeometry* member : *g->toGeometryCollection()) CollectVertices(member, out);
  }
}

class BuiltFiles : public ::testing::Test {
 protected:
  void SetUp() override { BuildFiles(dir_); }
  tb::TempDir dir_;
};

}  // namespace

TEST_F(BuiltFiles, OgrInfoSummarisesEveryKind) {
  if (kOgrInfo.empty()) GTEST_SKIP() << "ogrinfo (gdal-bin) is not installed";
  struct Expect {
    std::string file;
    std::vector<std::string> lines;
  };
  const std::vector<Expect> expected = {
      {"pts.tmf",
       {"using driver `Terrix'", "Layer name: pts", "Geometry: Point", "Feature Count: 2",
        "Extent: (1.000000, 2.000000) - (5.000000, 6.000000)", "name: String (8.0)", "pop: Integer (0.0)",
        "terrix:note: String (0.0)"}},
      {"lines.tmf", {"Layer name: lines", "Geometry: Line String", "Feature Count: 2", "len: Real (0.0)"}},
      {"regions.tmf",
       {"Layer name: regions", "Geometry: Polygon", "Feature Count: 2", "code: Integer(Int16) (0.0)"}},
      {"net.tmf",
       {"Layer name: net_arcs", "Geometry: Line String", "road: String (6.0)", "Layer name: net_nodes",
        "Geometry: Point", "Feature Count: 2", "id: Integer (0.0)"}},
      {"rows.tmf",
       {"Layer name: rows", "Geometry: None", "Feature Count: 3", "flag: Integer(Boolean) (0.0)",
        "ratio: Real(Float32) (0.0)"}},
  };
  for (const Expect& e : expected) {
    const CommandRun run = Command(kOgrInfo + " -al -so " + dir_.Path(e.file));
    EXPECT_EQ(run.status, 0) << run.out;
    for (const std::string& line : e.lines)
      EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
}

// Feature counts, extents and GetFeature against the library's fast reader.
TEST_F(BuiltFiles, CountsExtentsAndFeaturesAgreeWithTheReader) {
  for (const std::string name : {"pts.tmf", "lines.tmf", "regions.tmf", "net.tmf"}) {
    Dataset ds = OpenVector(dir_.Path(name));
    ASSERT_TRUE(ds) << name << ": " << CPLGetLastErrorMsg();
    EXPECT_STREQ(ds->GetDriver()->GetDescription(), "Terrix");
    terrix::VectorFile file(dir_.Path(name));
    const auto classes = file.Classes();
    ASSERT_EQ(static_cast<std::size_t>(ds->GetLayerCount()), classes.size()) << name;
    double xmin, ymin, xmax, ymax;
    file.Reader().GetExtentInfo(&xmin, &ymin, &xmax, &ymax);
    for (std::size_t c = 0; c < classes.size(); ++c) {
      OGRLayer* layer = ds->GetLayer(static_cast<int>(c));
      GIntBig live = 0;
      std::vector<GIntBig> liveIds;
      for (int i = 0; i < classes[c].count; ++i) {
        terrix::Shape shape;
        const bool inUse =
            file.ReadElement(classes[c].elementClass, i, shape, nullptr) == Terrix::Result::Success;
        live += inUse;
        std::unique_ptr<OGRFeature> feature(layer->GetFeature(i));
        ASSERT_EQ(feature != nullptr, inUse) << name << " element " << i;
        if (!inUse) continue;
        liveIds.push_back(i);
        std::vector<terrix::Vertex> expected, got;
        for (const terrix::Ring& part : shape.parts)
          expected.insert(expected.end(), part.begin(), part.end());
        CollectVertices(feature->GetGeometryRef(), got);
        ASSERT_EQ(got.size(), expected.size()) << name << " element " << i;
        for (std::size_t v = 0; v < got.size(); ++v) {
          EXPECT_EQ(got[v].x, expected[v].x) << name << " element " << i;
          EXPECT_EQ(got[v].y, expected[v].y) << name << " element " << i;
        }
      }
      EXPECT_EQ(layer->GetFeatureCount(), live) << name;
      OGREnvelope extent;
      ASSERT_EQ(layer->GetExtent(&extent), OGRERR_NONE);
      EXPECT_EQ(extent.MinX, xmin);
      EXPECT_EQ(extent.MaxY, ymax);
      // Sequential reads pass over the deleted element.
      std::vector<GIntBig> ids;
      for (auto& f : *layer) ids.push_back(f->GetFID());
      EXPECT_EQ(ids, liveIds) << name;
    }
  }
  Dataset regions = OpenVector(dir_.Path("regions.tmf"));
  OGRLayer* layer = regions->GetLayer(0);
  std::unique_ptr<OGRFeature> hole(layer->GetFeature(0)), two(layer->GetFeature(1));
  ASSERT_EQ(wkbFlatten(hole->GetGeometryRef()->getGeometryType()), wkbPolygon);
  EXPECT_EQ(hole->GetGeometryRef()->toPolygon()->getNumInteriorRings(), 1);
  ASSERT_EQ(wkbFlatten(two->GetGeometryRef()->getGeometryType()), wkbMultiPolygon);
  EXPECT_EQ(two->GetGeometryRef()->toMultiPolygon()->getNumGeometries(), 2);
  EXPECT_EQ(hole->GetFieldAsInteger("code"), -3);
}

TEST_F(BuiltFiles, TextFiltersAndNotes) {
  Dataset ds = OpenVector(dir_.Path("pts.tmf"));
  ASSERT_TRUE(ds);
  OGRLayer* layer = ds->GetLayer(0);
  std::unique_ptr<OGRFeature> first(layer->GetFeature(0));
  EXPECT_STREQ(first->GetFieldAsString("name"), "北京");
  EXPECT_STREQ(first->GetFieldAsString("terrix:note"), "桥");
  EXPECT_EQ(first->GetFieldAsInteger("pop"), 7);

  ASSERT_EQ(layer->SetAttributeFilter("pop > 8"), OGRERR_NONE);
  EXPECT_EQ(layer->GetFeatureCount(), 1);
  layer->SetAttributeFilter(nullptr);
  layer->SetSpatialFilterRect(0, 0, 2, 3);
  layer->ResetReading();
  std::unique_ptr<OGRFeature> inside(layer->GetNextFeature());
  ASSERT_NE(inside, nullptr);
  EXPECT_EQ(inside->GetFID(), 0);
  EXPECT_EQ(std::unique_ptr<OGRFeature>(layer->GetNextFeature()), nullptr);
}

// Identified by magic whatever the name; a file the library refuses is not
// opened and the error names the library's result.
TEST_F(BuiltFiles, IdentifiedByMagicAndRefusedFilesNotOpened) {
  std::rename(dir_.Path("lines.tmf").c_str(), dir_.Path("lines.dat").c_str());
  EXPECT_TRUE(OpenVector(dir_.Path("lines.dat")));
  std::ofstream(dir_.Path("junk.tmf")) << "not a map file at all";
  EXPECT_FALSE(OpenVector(dir_.Path("junk.tmf")));

  tb::MapFileBuilder(tb::kPoint).KindField(tb::kLine).WriteTo(dir_.Path("mismatch.tmf"));
  CPLErrorReset();
  CPLPushErrorHandler(CPLQuietErrorHandler);
  EXPECT_FALSE(OpenVector(dir_.Path("mismatch.tmf")));
  CPLPopErrorHandler();
  const std::string message = CPLGetLastErrorMsg();
  EXPECT_NE(message.find(Terrix::ResultMessage(Terrix::Result::BadMagic)), std::string::npos) << message;
  EXPECT_NE(message.find("(-9997)"), std::string::npos) << message;
}

// Writing through the C++ API: the kind from the first geometry, Multi* parts
// as separate lines, types from the shared table, strings in the code page.
TEST(TerrixWrite, KindFieldsAndCodePage) {
  tb::TempDir dir;
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Terrix");
  ASSERT_NE(driver, nullptr);
  {
    Dataset ds(driver->Create(dir.Path("w.tmf").c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_TRUE(ds);
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const char* badCodePage[] = {"CODEPAGE=NO-SUCH-PAGE", nullptr};
    EXPECT_EQ(ds->CreateLayer("w", nullptr, wkbUnknown, const_cast<char**>(badCodePage)), nullptr);
    CPLPopErrorHandler();
    OGRLayer* layer = ds->CreateLayer("w", nullptr, wkbUnknown, nullptr);
    ASSERT_NE(layer, nullptr);
    OGRFieldDefn name("name", OFTString), big("big", OFTInteger64), flag("flag", OFTInteger);
    flag.SetSubType(OFSTBoolean);
    for (OGRFieldDefn* f : {&name, &big, &flag}) ASSERT_EQ(layer->CreateField(f), OGRERR_NONE);
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField("name", "北京");
    feature.SetField("big", GIntBig{5000000000});
    feature.SetField("flag", 1);
    OGRGeometry* lines = nullptr;
    OGRGeometryFactory::createFromWkt("MULTILINESTRING ((0 0, 1 1), (2 2, 3 3, 4 4))", nullptr, &lines);
    feature.SetGeometryDirectly(lines);
    ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    CPLPushErrorHandler(CPLQuietErrorHandler);
    EXPECT_EQ(ds->CreateLayer("second", nullptr, wkbPoint, nullptr), nullptr) << "one layer per file";
    CPLPopErrorHandler();
  }
  Terrix::Terrix_FastReader reader;
  ASSERT_EQ(reader.Open(tb::Widen(dir.Path("w.tmf")).c_str()), Terrix::Result::Success);
  EXPECT_EQ(reader.GetShapeType(), 0);
  int count = 0;
  reader.GetArcCount(&count);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(reader.GetFieldCount(), 3);
  int width = 0;
  wchar_t field[32] = {};
  EXPECT_EQ(reader.GetFieldInfo(0, field, &width, nullptr, nullptr), 0);
  EXPECT_EQ(width, 4) << "the longest value's GBK bytes";
  EXPECT_EQ(reader.GetFieldInfo(1, field, nullptr, nullptr, nullptr), 5) << "beyond 32 bits: a double";
  EXPECT_EQ(reader.GetFieldInfo(2, field, nullptr, nullptr, nullptr), 10);
  for (int element : {0, 1}) {
    EXPECT_EQ(std::string(reader.ReadStringAttribute(element, 0)), kBeijingGbk);
    EXPECT_EQ(reader.ReadDoubleAttribute(element, 1), 5e9);
    EXPECT_TRUE(reader.ReadBoolAttribute(element, 2));
  }
}

namespace {

Json ReadJson(const std::string& path) {
  std::ifstream in(path);
  return Json::parse(in);
}

// Bit for bit, and the same nesting (rings grouped into the same polygons).
void ExpectSamePositions(const Json& a, const Json& b, const std::string& where) {
  ASSERT_EQ(a.is_array(), b.is_array()) << where;
  if (!a.is_array()) {
    const double x = a.get<double>(), y = b.get<double>();
    EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << where << ": " << x << " vs " << y;
    return;
  }
  ASSERT_EQ(a.size(), b.size()) << where;
  for (std::size_t i = 0; i < a.size(); ++i) ExpectSamePositions(a[i], b[i], where);
}

}  // namespace

// Shapefile -> map file -> GeoJSON gives what shapefile -> GeoJSON gives. The
// names need a code page that holds them all (Côte d'Ivoire, São Tomé):
// GB18030, the extension of GBK that covers all of Unicode.
TEST(TerrixOgr2Ogr, NaturalEarthRoundTrip) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  tb::TempDir dir;
  for (const std::string name : {"naturalearth_lowres", "naturalearth_cities"}) {
    const std::string shp = std::string(TERRIX_NATURALEARTH_DIR) + "/" + name + ".shp";
    const std::string map = dir.Path(name + ".tmf"), via = dir.Path(name + "-via.geojson"),
                      direct = dir.Path(name + ".geojson");
    const std::string json = " -lco SIGNIFICANT_FIGURES=17 -lco RFC7946=NO ";
    for (const std::string& command :
         {kOgr2Ogr + " -f Terrix " + map + " " + shp + " -lco CODEPAGE=GB18030",
          kOgr2Ogr + " -f GeoJSON " + via + " " + map + " -oo CODEPAGE=GB18030" + json,
          kOgr2Ogr + " -f GeoJSON " + direct + " " + shp + json}) {
      const CommandRun run = Command(command);
      ASSERT_EQ(run.status, 0) << command << "\n" << run.out;
    }
    const Json a = ReadJson(direct)["features"], b = ReadJson(via)["features"];
    ASSERT_EQ(a.size(), b.size()) << name;
    ASSERT_GT(a.size(), 100u);
    for (std::size_t i = 0; i < a.size(); ++i) {
      const std::string where = name + " feature " + std::to_string(i);
      EXPECT_EQ(a[i]["geometry"]["type"], b[i]["geometry"]["type"]) << where;
      ExpectSamePositions(a[i]["geometry"]["coordinates"], b[i]["geometry"]["coordinates"], where);
      for (auto it = a[i]["properties"].begin(); it != a[i]["properties"].end(); ++it) {
        const Json& got = b[i]["properties"][it.key()];
        if (it.value().is_number())
          EXPECT_EQ(it.value().get<double>(), got.get<double>()) << where << " " << it.key();
        else
          EXPECT_EQ(it.value(), got) << where << " " << it.key();
      }
    }
    // The driver's count is the library's.
    terrix::VectorFile file(map);
    Dataset ds = OpenVector(map);
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->GetLayer(0)->GetFeatureCount(), file.Classes().at(0).count);
  }
}
