// The Terrix driver as GDAL loads it from GDAL_DRIVER_PATH: ogrinfo on files
// of every kind built byte by byte, counts, extents and features checked
// against the library's own reader, and ogr2ogr round trips (Natural Earth
// through GeoJSON, a layer of every field type through GeoPackage) with what
// is kept, what is refused and what is reported.
#include <TerrixLib.h>
#include <cpl_conv.h>
#include <cpl_error.h>
#include <dirent.h>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "OgrTestSupport.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"

namespace {

using namespace ogrtest;
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GdalEnvironment);

const std::string kBeijingGbk = "\xB1\xB1\xBE\xA9";  // 北京
const std::string kBridgeGbk = "\xC7\xC5";           // 桥

std::unique_ptr<OGRGeometry> Wkt(const char* wkt) {
  OGRGeometry* g = nullptr;
  OGRGeometryFactory::createFromWkt(wkt, nullptr, &g);
  return std::unique_ptr<OGRGeometry>(g);
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

struct Vertex {
  double x, y;
};

// Every vertex of a geometry in order: rings of polygons one after another.
void CollectVertices(const OGRGeometry* g, std::vector<Vertex>& out) {
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

// The library's own reading of element `i` of a layer: whether it is in use,
// and its vertices in order.
bool LibraryElement(Terrix::Terrix_FastReader& reader, const std::string& layerName, int i,
                    std::vector<Vertex>& vertices) {
  Terrix::GeometryHolder g = Terrix::MakeGeometry();
  const bool points = reader.GetShapeType() == 1 || layerName.find("_nodes") != std::string::npos;
  const std::int32_t rc = points                       ? reader.ReadPointInfo(i, nullptr, g.get())
                          : reader.GetShapeType() == 2 ? reader.ReadPolygonInfo(i, nullptr, g.get())
                                                       : reader.ReadArcInfo(i, nullptr, g.get());
  vertices.clear();
  for (std::int32_t v = 0; v < g->vertexCount; ++v) vertices.push_back({g->x[v], g->y[v]});
  return rc == Terrix::Result::Success;
}

int LibraryCount(Terrix::Terrix_FastReader& reader, const std::string& layerName) {
  int count = 0;
  const int kind = reader.GetShapeType();
  if (kind == 1 || layerName.find("_nodes") != std::string::npos)
    reader.GetPointCount(&count);
  else if (kind == 2)
    reader.GetPolygonCount(&count);
  else
    reader.GetArcCount(&count);
  return count;
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
  // Only a file whose points have notes shows the note field.
  const CommandRun lines = Command(kOgrInfo + " -al -so " + dir_.Path("lines.tmf"));
  EXPECT_EQ(lines.out.find("terrix:note"), std::string::npos) << lines.out;
  const CommandRun net = Command(kOgrInfo + " -al -so " + dir_.Path("net.tmf"));
  EXPECT_EQ(net.out.find("terrix:note"), std::string::npos) << net.out;
}

// Feature counts, extents, GetFeature and sequential reads against the
// library's fast reader.
TEST_F(BuiltFiles, CountsExtentsAndFeaturesAgreeWithTheReader) {
  for (const std::string name : {"pts.tmf", "lines.tmf", "regions.tmf", "net.tmf"}) {
    Dataset ds = OpenVector(dir_.Path(name));
    ASSERT_TRUE(ds) << name << ": " << CPLGetLastErrorMsg();
    EXPECT_STREQ(ds->GetDriver()->GetDescription(), "Terrix");
    Terrix::Terrix_FastReader reader;
    ASSERT_EQ(reader.Open(tb::Widen(dir_.Path(name)).c_str()), Terrix::Result::Success);
    ASSERT_EQ(ds->GetLayerCount(), reader.GetShapeType() == 4 ? 2 : 1) << name;
    double xmin, ymin, xmax, ymax;
    reader.GetExtentInfo(&xmin, &ymin, &xmax, &ymax);
    for (int c = 0; c < ds->GetLayerCount(); ++c) {
      OGRLayer* layer = ds->GetLayer(c);
      const std::string layerName = layer->GetName();
      const int count = LibraryCount(reader, layerName);
      GIntBig live = 0;
      std::vector<GIntBig> liveIds;
      for (int i = 0; i < count; ++i) {
        std::vector<Vertex> expected, got;
        const bool inUse = LibraryElement(reader, layerName, i, expected);
        live += inUse;
        std::unique_ptr<OGRFeature> feature(layer->GetFeature(i));
        ASSERT_EQ(feature != nullptr, inUse) << name << " element " << i;
        if (!inUse) continue;
        liveIds.push_back(i);
        CollectVertices(feature->GetGeometryRef(), got);
        ASSERT_EQ(got.size(), expected.size()) << name << " element " << i;
        for (std::size_t v = 0; v < got.size(); ++v) {
          EXPECT_EQ(got[v].x, expected[v].x) << name << " element " << i;
          EXPECT_EQ(got[v].y, expected[v].y) << name << " element " << i;
        }
      }
      EXPECT_EQ(std::unique_ptr<OGRFeature>(layer->GetFeature(count)), nullptr) << "beyond the last element";
      EXPECT_EQ(std::unique_ptr<OGRFeature>(layer->GetFeature(-1)), nullptr);
      EXPECT_TRUE(layer->TestCapability(OLCFastFeatureCount));
      EXPECT_EQ(layer->GetFeatureCount(), live) << name;
      OGREnvelope extent;
      ASSERT_EQ(layer->GetExtent(&extent), OGRERR_NONE);
      EXPECT_EQ(extent.MinX, xmin);
      EXPECT_EQ(extent.MinY, ymin);
      EXPECT_EQ(extent.MaxX, xmax);
      EXPECT_EQ(extent.MaxY, ymax);
      // Sequential reads pass over the deleted element; SetNextByIndex counts
      // live features, not element numbers.
      std::vector<GIntBig> ids;
      for (auto& f : *layer) ids.push_back(f->GetFID());
      EXPECT_EQ(ids, liveIds) << name;
      ASSERT_EQ(layer->SetNextByIndex(1), OGRERR_NONE);
      std::unique_ptr<OGRFeature> second(layer->GetNextFeature());
      ASSERT_NE(second, nullptr);
      EXPECT_EQ(second->GetFID(), liveIds.at(1)) << name;
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

  // A table file has rows, no geometry and no extent.
  Dataset rows = OpenVector(dir_.Path("rows.tmf"));
  ASSERT_TRUE(rows);
  OGRLayer* table = rows->GetLayer(0);
  OGREnvelope none;
  EXPECT_NE(table->GetExtent(&none), OGRERR_NONE);
  EXPECT_FALSE(table->TestCapability(OLCFastGetExtent));
  std::unique_ptr<OGRFeature> row0(table->GetFeature(0)), row1(table->GetFeature(1));
  EXPECT_EQ(row0->GetGeometryRef(), nullptr);
  EXPECT_EQ(row0->GetFieldAsInteger("flag"), 1);
  EXPECT_EQ(row1->GetFieldAsDouble("ratio"), 0.5);
}

TEST_F(BuiltFiles, TextFiltersNotesAndIgnoredFields) {
  Dataset ds = OpenVector(dir_.Path("pts.tmf"));
  ASSERT_TRUE(ds);
  OGRLayer* layer = ds->GetLayer(0);
  std::unique_ptr<OGRFeature> first(layer->GetFeature(0));
  EXPECT_STREQ(first->GetFieldAsString("name"), "北京");
  EXPECT_STREQ(first->GetFieldAsString("terrix:note"), "桥");
  EXPECT_EQ(first->GetFieldAsInteger("pop"), 7);

  ASSERT_EQ(layer->SetAttributeFilter("pop > 8"), OGRERR_NONE);
  EXPECT_EQ(layer->GetFeatureCount(), 1);
  EXPECT_FALSE(layer->TestCapability(OLCFastFeatureCount)) << "counting with a filter reads features";
  layer->SetAttributeFilter(nullptr);
  layer->SetSpatialFilterRect(0, 0, 2, 3);
  layer->ResetReading();
  std::unique_ptr<OGRFeature> inside(layer->GetNextFeature());
  ASSERT_NE(inside, nullptr);
  EXPECT_EQ(inside->GetFID(), 0);
  EXPECT_EQ(std::unique_ptr<OGRFeature>(layer->GetNextFeature()), nullptr);
  layer->SetSpatialFilter(nullptr);

  // Ignored fields and geometry are not read; the others still are.
  ASSERT_TRUE(layer->TestCapability(OLCIgnoreFields));
  const char* ignored[] = {"name", "OGR_GEOMETRY", nullptr};
  ASSERT_EQ(layer->SetIgnoredFields(ignored), OGRERR_NONE);
  std::unique_ptr<OGRFeature> lean(layer->GetFeature(0));
  EXPECT_FALSE(lean->IsFieldSet(lean->GetFieldIndex("name")));
  EXPECT_EQ(lean->GetGeometryRef(), nullptr);
  EXPECT_EQ(lean->GetFieldAsInteger("pop"), 7);

  // Text in another code page than the file's is reported once, after the
  // first complete pass, not hidden and not repeated.
  {
    ErrorLog wrongPage;
    const char* utf8[] = {"CODEPAGE=UTF-8", nullptr};
    Dataset asUtf8 = OpenVector(dir_.Path("pts.tmf"), utf8);
    ASSERT_TRUE(asUtf8);
    OGRLayer* l = asUtf8->GetLayer(0);
    for (int pass = 0; pass < 2; ++pass) {
      std::vector<std::string> names;
      for (auto& f : *l) names.emplace_back(f->GetFieldAsString("name"));
      EXPECT_EQ(names, (std::vector<std::string>{"\uFFFD\uFFFD\uFFFD\uFFFD", "x"}));
      EXPECT_EQ(wrongPage.Of(CE_Warning).size(), 2u) << wrongPage.All();
    }
    asUtf8.reset();
    const std::vector<std::string> warnings = wrongPage.Of(CE_Warning);
    ASSERT_EQ(warnings.size(), 2u) << wrongPage.All();
    EXPECT_NE(warnings[0].find("field \"name\": 1 values hold bytes that are not UTF-8 text"),
              std::string::npos)
        << warnings[0];
    EXPECT_NE(warnings[1].find("1 notes hold bytes that are not UTF-8 text"), std::string::npos)
        << warnings[1];
  }
  const char* bad[] = {"CODEPAGE=NO-SUCH-PAGE", nullptr};
  ErrorLog log;
  EXPECT_FALSE(OpenVector(dir_.Path("pts.tmf"), bad));
  EXPECT_NE(log.All().find("NO-SUCH-PAGE"), std::string::npos) << log.All();
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
  {
    ErrorLog log;
    EXPECT_FALSE(OpenVector(dir_.Path("mismatch.tmf")));
  }
  const std::string message = CPLGetLastErrorMsg();
  EXPECT_NE(message.find(Terrix::ResultMessage(Terrix::Result::BadMagic)), std::string::npos) << message;
  EXPECT_NE(message.find("(-9997)"), std::string::npos) << message;
}

// Writing through the C++ API: the kind from the first geometry, Multi* parts
// as separate lines, types from the type table, strings in the code page.
TEST(TerrixWrite, KindFieldsAndCodePage) {
  tb::TempDir dir;
  {
    Dataset ds = CreateMap(dir.Path("w.tmf"));
    ASSERT_TRUE(ds);
    {
      ErrorLog log;
      const char* badCodePage[] = {"CODEPAGE=NO-SUCH-PAGE", nullptr};
      EXPECT_EQ(ds->CreateLayer("w", nullptr, wkbUnknown, const_cast<char**>(badCodePage)), nullptr);
    }
    OGRLayer* layer = ds->CreateLayer("w", nullptr, wkbUnknown, nullptr);
    ASSERT_NE(layer, nullptr);
    OGRFieldDefn name("name", OFTString), big("big", OFTInteger64), flag("flag", OFTInteger);
    flag.SetSubType(OFSTBoolean);
    for (OGRFieldDefn* f : {&name, &big, &flag}) ASSERT_EQ(layer->CreateField(f), OGRERR_NONE);
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField("name", "北京");
    feature.SetField("big", GIntBig{5000000000});
    feature.SetField("flag", 1);
    feature.SetGeometryDirectly(Wkt("MULTILINESTRING ((0 0, 1 1), (2 2, 3 3, 4 4))").release());
    ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    ErrorLog log;
    EXPECT_EQ(ds->CreateLayer("second", nullptr, wkbPoint, nullptr), nullptr) << "one layer per file";
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

// Every field type through the API and back, the types OGR reports included:
// Time, Binary, Int16 and Float32 (GeoPackage has no time type, so the
// ogr2ogr round trip below cannot carry it).
TEST(TerrixWrite, EveryFieldTypeReadsBackAsItsType) {
  tb::TempDir dir;
  struct Column {
    const char* name;
    OGRFieldType type;
    OGRFieldSubType subType;
  };
  const std::vector<Column> columns = {
      {"i16", OFTInteger, OFSTInt16},   {"i32", OFTInteger, OFSTNone}, {"flag", OFTInteger, OFSTBoolean},
      {"i64", OFTInteger64, OFSTNone},  {"f32", OFTReal, OFSTFloat32}, {"real", OFTReal, OFSTNone},
      {"text", OFTString, OFSTNone},    {"day", OFTDate, OFSTNone},    {"clock", OFTTime, OFSTNone},
      {"stamp", OFTDateTime, OFSTNone}, {"blob", OFTBinary, OFSTNone},
  };
  const GByte blob[] = {0x00, 0xFF, 0x10, 0x00};
  ErrorLog log;
  {
    Dataset ds = CreateMap(dir.Path("types.tmf"));
    ASSERT_TRUE(ds);
    const char* options[] = {"CODEPAGE=GB18030", nullptr};
    OGRLayer* layer = ds->CreateLayer("types", nullptr, wkbPoint, const_cast<char**>(options));
    ASSERT_NE(layer, nullptr);
    for (const Column& c : columns) {
      OGRFieldDefn defn(c.name, c.type);
      defn.SetSubType(c.subType);
      ASSERT_EQ(layer->CreateField(&defn), OGRERR_NONE) << c.name;
    }
    OGRFeature f(layer->GetLayerDefn());
    f.SetField("i16", -32768);
    f.SetField("i32", 2147483647);
    f.SetField("flag", 1);
    f.SetField("i64", GIntBig{-9223372036854775807LL});
    f.SetField("f32", 0.5);
    f.SetField("real", 0.1);
    f.SetField("text", "Zürich 北京");
    f.SetField(f.GetFieldIndex("day"), 1999, 12, 31);
    f.SetField(f.GetFieldIndex("clock"), 0, 0, 0, 23, 59, 58.125f);
    f.SetField(f.GetFieldIndex("stamp"), 2024, 2, 29, 13, 14, 15.5f);
    f.SetField(f.GetFieldIndex("blob"), static_cast<int>(sizeof blob), blob);
    f.SetGeometryDirectly(Wkt("POINT (1.25 -2.5)").release());
    ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE);
    // The same with a time zone (+01:00): the format keeps the time as given.
    f.SetFID(OGRNullFID);
    f.SetField(f.GetFieldIndex("stamp"), 2024, 2, 29, 13, 14, 15.5f, 104);
    ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE);
  }
  const std::vector<std::string> warnings = log.Of(CE_Warning);
  ASSERT_EQ(warnings.size(), 2u) << log.All();
  EXPECT_NE(warnings[0].find("field \"i64\": 64-bit integers stored as decimal text"), std::string::npos)
      << warnings[0];
  EXPECT_NE(warnings[1].find("field \"stamp\": 1 time zone dropped"), std::string::npos) << warnings[1];
  const char* open[] = {"CODEPAGE=GB18030", nullptr};
  Dataset ds = OpenVector(dir.Path("types.tmf"), open);
  ASSERT_TRUE(ds);
  OGRLayer* layer = ds->GetLayer(0);
  OGRFeatureDefn* defn = layer->GetLayerDefn();
  ASSERT_EQ(defn->GetFieldCount(), static_cast<int>(columns.size())) << "no note field without notes";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const OGRFieldDefn* field = defn->GetFieldDefn(static_cast<int>(i));
    EXPECT_STREQ(field->GetNameRef(), columns[i].name);
    EXPECT_EQ(field->GetType(), columns[i].type) << columns[i].name;
    EXPECT_EQ(field->GetSubType(), columns[i].subType) << columns[i].name;
  }
  std::unique_ptr<OGRFeature> f(layer->GetNextFeature());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->GetFieldAsInteger("i16"), -32768);
  EXPECT_EQ(f->GetFieldAsInteger("i32"), 2147483647);
  EXPECT_EQ(f->GetFieldAsInteger("flag"), 1);
  EXPECT_EQ(f->GetFieldAsInteger64("i64"), -9223372036854775807LL);
  EXPECT_EQ(f->GetFieldAsDouble("f32"), 0.5);
  EXPECT_EQ(f->GetFieldAsDouble("real"), 0.1);
  EXPECT_STREQ(f->GetFieldAsString("text"), "Zürich 北京");
  int y, m, d, h, mi, tz;
  float s;
  ASSERT_TRUE(f->GetFieldAsDateTime(f->GetFieldIndex("day"), &y, &m, &d, &h, &mi, &s, &tz));
  EXPECT_EQ(y * 10000 + m * 100 + d, 19991231);
  ASSERT_TRUE(f->GetFieldAsDateTime(f->GetFieldIndex("clock"), &y, &m, &d, &h, &mi, &s, &tz));
  EXPECT_EQ(h * 100 + mi, 2359);
  EXPECT_EQ(s, 58.125f);
  ASSERT_TRUE(f->GetFieldAsDateTime(f->GetFieldIndex("stamp"), &y, &m, &d, &h, &mi, &s, &tz));
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  EXPECT_EQ(h * 100 + mi, 1314);
  EXPECT_EQ(s, 15.5f);
  int bytes = 0;
  const GByte* stored = f->GetFieldAsBinary(f->GetFieldIndex("blob"), &bytes);
  ASSERT_EQ(bytes, static_cast<int>(sizeof blob));
  EXPECT_EQ(std::memcmp(stored, blob, sizeof blob), 0);
  ASSERT_NE(f->GetGeometryRef(), nullptr);
  EXPECT_EQ(f->GetGeometryRef()->toPoint()->getX(), 1.25);
  EXPECT_EQ(f->GetGeometryRef()->toPoint()->getY(), -2.5);
  std::unique_ptr<OGRFeature> zoned(layer->GetNextFeature());
  ASSERT_NE(zoned, nullptr);
  ASSERT_TRUE(zoned->GetFieldAsDateTime(zoned->GetFieldIndex("stamp"), &y, &m, &d, &h, &mi, &s, &tz));
  EXPECT_EQ(h * 100 + mi, 1314);
  EXPECT_EQ(tz, 0) << "no zone stored";
}

// What the format cannot hold is refused with the feature named, and then
// nothing is written; what it changes (Z values) is said once.
TEST(TerrixWrite, RefusedShapesAndDroppedZ) {
  const double nan = std::nan("");
  struct Case {
    const char* what;
    const char* goodWkt;  // a feature of the same kind, written before
    std::function<OGRGeometry*()> bad;
    const char* problem;
  };
  const std::vector<Case> cases = {
      {"a ring of 3 points", "POLYGON ((0 0, 0 1, 1 1, 0 0))",
       [] { return Wkt("POLYGON ((0 0, 1 1, 0 0))").release(); }, "too few points"},
      {"a hole with NaN", "POLYGON ((0 0, 0 1, 1 1, 0 0))",
       [nan] {
         auto* polygon = Wkt("POLYGON ((0 0, 0 9, 9 9, 9 0, 0 0))").release()->toPolygon();
         auto* hole = new OGRLinearRing();
         hole->addPoint(1, 1);
         hole->addPoint(nan, 2);
         hole->addPoint(2, 2);
         hole->addPoint(1, 1);
         polygon->addRingDirectly(hole);
         return static_cast<OGRGeometry*>(polygon);
       },
       "not a finite number"},
      {"a line with NaN", "LINESTRING (0 0, 1 1)",
       [nan] {
         auto* line = new OGRLineString();
         line->addPoint(0, 0);
         line->addPoint(nan, 1);
         return static_cast<OGRGeometry*>(line);
       },
       "not a finite number"},
      // OGR takes a point with NaN for an empty point: an infinite one reaches the writer.
      {"an infinite point", "POINT (0 0)",
       [] { return static_cast<OGRGeometry*>(new OGRPoint(HUGE_VAL, 1)); }, "not a finite number"},
  };
  for (const Case& c : cases) {
    tb::TempDir dir;
    ErrorLog log;
    {
      Dataset ds = CreateMap(dir.Path("bad.tmf"));
      ASSERT_TRUE(ds);
      OGRLayer* layer = ds->CreateLayer("bad", nullptr, wkbUnknown, nullptr);
      ASSERT_NE(layer, nullptr);
      OGRFeature good(layer->GetLayerDefn());
      good.SetGeometryDirectly(Wkt(c.goodWkt).release());
      ASSERT_EQ(layer->CreateFeature(&good), OGRERR_NONE) << log.All();
      OGRFeature bad(layer->GetLayerDefn());
      bad.SetGeometryDirectly(c.bad());
      bad.SetFID(41);
      EXPECT_EQ(layer->CreateFeature(&bad), OGRERR_FAILURE) << c.what;
      const std::string refusal = log.Of(CE_Failure).empty() ? "" : log.Of(CE_Failure).front();
      EXPECT_NE(refusal.find("feature 41"), std::string::npos) << refusal;
      EXPECT_NE(refusal.find(c.problem), std::string::npos) << refusal;
      EXPECT_NE(refusal.find("LOSSY=YES"), std::string::npos) << refusal;
      good.SetFID(OGRNullFID);
      EXPECT_EQ(layer->CreateFeature(&good), OGRERR_FAILURE) << "nothing more after a refusal";
    }
    EXPECT_EQ(FilesIn(dir.Path("")), std::vector<std::string>{}) << c.what << ": nothing left behind";
  }

  tb::TempDir dir;
  ErrorLog log;
  {
    Dataset ds = CreateMap(dir.Path("z.tmf"));
    OGRLayer* layer = ds->CreateLayer("z", nullptr, wkbPoint25D, nullptr);
    ASSERT_NE(layer, nullptr);
    for (int i = 0; i < 3; ++i) {
      OGRFeature f(layer->GetLayerDefn());
      f.SetGeometryDirectly(new OGRPoint(i, i, 100.0 + i));
      ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE);
      EXPECT_EQ(layer->GetFeatureCount(), i + 1) << "counted while writing";
    }
  }
  const std::vector<std::string> warnings = log.Of(CE_Warning);
  ASSERT_EQ(warnings.size(), 1u) << log.All();
  EXPECT_NE(warnings[0].find("Z values dropped from 3 features"), std::string::npos) << warnings[0];
  Dataset back = OpenVector(dir.Path("z.tmf"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetLayer(0)->GetFeatureCount(), 3);
}

// With no kind from the layer, the first geometry decides: features before
// it without a shape keep their place and values as empty elements.
TEST(TerrixWrite, FirstGeometryDecidesTheKind) {
  tb::TempDir dir;
  {
    Dataset ds = CreateMap(dir.Path("late.tmf"));
    OGRLayer* layer = ds->CreateLayer("late", nullptr, wkbUnknown, nullptr);
    ASSERT_NE(layer, nullptr);
    OGRFieldDefn n("n", OFTInteger);
    ASSERT_EQ(layer->CreateField(&n), OGRERR_NONE);
    const char* shapes[] = {nullptr, "GEOMETRYCOLLECTION EMPTY", "POLYGON ((0 0, 0 1, 1 1, 1 0, 0 0))",
                            "MULTIPOLYGON (((5 5, 5 6, 6 6, 5 5)), ((7 7, 7 8, 8 8, 7 7)))",
                            "POLYGON ((2 2, 2 3, 3 3, 2 2))"};
    int i = 0;
    for (const char* wkt : shapes) {
      OGRFeature f(layer->GetLayerDefn());
      f.SetField("n", i++);
      if (wkt != nullptr) f.SetGeometryDirectly(Wkt(wkt).release());
      ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE) << CPLGetLastErrorMsg();
    }
  }
  Terrix::Terrix_FastReader reader;
  ASSERT_EQ(reader.Open(tb::Widen(dir.Path("late.tmf")).c_str()), Terrix::Result::Success);
  EXPECT_EQ(reader.GetShapeType(), 2) << "a region file";
  Dataset ds = OpenVector(dir.Path("late.tmf"));
  ASSERT_TRUE(ds);
  std::vector<int> values, rings;
  for (auto& f : *ds->GetLayer(0)) {
    values.push_back(f->GetFieldAsInteger("n"));
    std::vector<Vertex> vertices;
    CollectVertices(f->GetGeometryRef(), vertices);
    rings.push_back(static_cast<int>(vertices.size()));
  }
  EXPECT_EQ(values, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(rings, (std::vector<int>{0, 0, 5, 8, 4})) << "every polygon, the empty ones without geometry";
}

// What the format has no form for is converted, and said: curves become
// line segments, list fields text.
TEST(TerrixWrite, CurvesAndListsAreConvertedAndReported) {
  tb::TempDir dir;
  ErrorLog log;
  {
    Dataset ds = CreateMap(dir.Path("curve.tmf"));
    OGRLayer* layer = ds->CreateLayer("curve", nullptr, wkbCurvePolygon, nullptr);
    ASSERT_NE(layer, nullptr);
    OGRFieldDefn list("list", OFTIntegerList);
    ASSERT_EQ(layer->CreateField(&list), OGRERR_NONE);
    OGRFeature f(layer->GetLayerDefn());
    const int values[] = {1, 2, 3};
    f.SetField(0, 3, values);
    f.SetGeometryDirectly(Wkt("CURVEPOLYGON (CIRCULARSTRING (0 0, 1 1, 2 0, 1 -1, 0 0))").release());
    ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE) << log.All();
  }
  const std::vector<std::string> warnings = log.Of(CE_Warning);
  ASSERT_EQ(warnings.size(), 2u) << log.All();
  EXPECT_NE(warnings[0].find("field \"list\" of type IntegerList is stored as text"), std::string::npos)
      << warnings[0];
  EXPECT_NE(warnings[1].find("1 feature with curves"), std::string::npos) << warnings[1];
  Dataset ds = OpenVector(dir.Path("curve.tmf"));
  ASSERT_TRUE(ds);
  std::unique_ptr<OGRFeature> back(ds->GetLayer(0)->GetNextFeature());
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetFieldAsString("list"), "(3:1,2,3)");
  ASSERT_NE(back->GetGeometryRef(), nullptr);
  ASSERT_EQ(wkbFlatten(back->GetGeometryRef()->getGeometryType()), wkbPolygon);
  EXPECT_GT(back->GetGeometryRef()->toPolygon()->getExteriorRing()->getNumPoints(), 16);
  EXPECT_NEAR(back->GetGeometryRef()->toPolygon()->get_Area(), M_PI, 0.05) << "the circle, linearised";
}

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Bit for bit: coordinates and ring structure.
void ExpectSameGeometry(const OGRGeometry* a, const OGRGeometry* b, const std::string& where) {
  ASSERT_EQ(a == nullptr, b == nullptr) << where;
  if (a == nullptr) return;
  ASSERT_EQ(wkbFlatten(a->getGeometryType()), wkbFlatten(b->getGeometryType())) << where;
  std::vector<Vertex> va, vb;
  CollectVertices(a, va);
  CollectVertices(b, vb);
  ASSERT_EQ(va.size(), vb.size()) << where;
  for (std::size_t i = 0; i < va.size(); ++i) {
    EXPECT_EQ(std::memcmp(&va[i], &vb[i], sizeof(Vertex)), 0)
        << where << " vertex " << i << ": " << va[i].x << " " << va[i].y << " vs " << vb[i].x << " "
        << vb[i].y;
  }
  if (wkbFlatten(a->getGeometryType()) == wkbMultiPolygon) {
    const OGRMultiPolygon* ma = a->toMultiPolygon();
    const OGRMultiPolygon* mb = b->toMultiPolygon();
    ASSERT_EQ(ma->getNumGeometries(), mb->getNumGeometries()) << where;
    for (int k = 0; k < ma->getNumGeometries(); ++k)
      EXPECT_EQ(ma->getGeometryRef(k)->getNumInteriorRings(), mb->getGeometryRef(k)->getNumInteriorRings())
          << where;
  }
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
      EXPECT_EQ(WarningsOf(run.out), std::vector<std::string>{}) << command << "\n" << run.out;
    }
    // OGR's geometries hold the doubles themselves (GDAL's GeoJSON writer rounds
    // some even at 17 digits): the shapefile against the map file read back.
    const char* gb18030[] = {"CODEPAGE=GB18030", nullptr};
    Dataset a = OpenVector(shp), b = OpenVector(map, gb18030);
    ASSERT_TRUE(a && b);
    OGRLayer* la = a->GetLayer(0);
    OGRLayer* lb = b->GetLayer(0);
    ASSERT_EQ(la->GetFeatureCount(), lb->GetFeatureCount()) << name;
    ASSERT_EQ(la->GetFeatureCount(), name == "naturalearth_lowres" ? 177 : 243);
    for (GIntBig i = 0; i < la->GetFeatureCount(); ++i) {
      std::unique_ptr<OGRFeature> fa(la->GetNextFeature()), fb(lb->GetNextFeature());
      ASSERT_TRUE(fa && fb);
      const std::string where = name + " feature " + std::to_string(i);
      ExpectSameGeometry(fa->GetGeometryRef(), fb->GetGeometryRef(), where);
      for (int f = 0; f < fa->GetFieldCount(); ++f) {
        const OGRFieldDefn* field = fa->GetFieldDefnRef(f);
        const int g = fb->GetFieldIndex(field->GetNameRef());
        ASSERT_GE(g, 0) << where << " " << field->GetNameRef();
        if (field->GetType() == OFTString)
          EXPECT_STREQ(fa->GetFieldAsString(f), fb->GetFieldAsString(g))
              << where << " " << field->GetNameRef();
        else
          EXPECT_EQ(fa->GetFieldAsDouble(f), fb->GetFieldAsDouble(g)) << where << " " << field->GetNameRef();
      }
    }
    // The driver's count is the library's.
    Terrix::Terrix_FastReader reader;
    ASSERT_EQ(reader.Open(tb::Widen(map).c_str()), Terrix::Result::Success);
    const char* open[] = {"CODEPAGE=GB18030", nullptr};
    Dataset ds = OpenVector(map, open);
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->GetLayer(0)->GetFeatureCount(), LibraryCount(reader, ""));
  }
}

namespace {

// The GeoPackage source of the round trip: every field type GeoPackage has,
// text of several scripts, long field names, NULLs in every field, a polygon
// whose hole winds the way its shell does, and a multipolygon.
struct SourceRow {
  const char* name;
  int date[3];
  int stamp[6];
  float seconds;
  GIntBig beyond53;
  GIntBig fits32;
  double real;
  int flag;
  const char* wkt;
};

const SourceRow kRows[] = {
    {"São Paulo",
     {2020, 2, 29},
     {2021, 3, 4, 5, 6, 7},
     7.0f,
     (GIntBig{1} << 53) + 1,
     123456,
     0.1,
     1,
     "POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0), (2 2, 4 2, 4 4, 2 4, 2 2))"},
    {"Zürich",
     {1999, 12, 31},
     {2000, 1, 1, 23, 59, 59},
     59.25f,
     -(GIntBig{1} << 62),
     -5,
     -1e300,
     0,
     "MULTIPOLYGON (((20 0, 21 0, 21 1, 20 1, 20 0)), ((30 0, 31 0, 31 1, 30 1, 30 0)))"},
    {"Côte d'Ivoire",
     {1, 1, 1},
     {1970, 1, 1, 0, 0, 0},
     0.125f,
     42,
     2147483647,
     5e-324,
     1,
     "POLYGON ((40 0, 40 1, 41 1, 41 0, 40 0))"},
    {"北京",
     {2024, 1, 1},
     {2024, 1, 1, 12, 0, 0},
     0.0f,
     7,
     -2147483647 - 1,
     123.456,
     0,
     "POLYGON ((50 0, 51 0, 51 1, 50 1, 50 0))"},
};

const char* const kFieldNames[] = {"name",
                                   "day",
                                   "stamp",
                                   "beyond53",
                                   "fits32",
                                   "real",
                                   "flag",
                                   "population_estimate_2020",
                                   "population_estimate_2021"};

void BuildGeoPackage(const std::string& path) {
  GDALDriver* gpkg = GetGDALDriverManager()->GetDriverByName("GPKG");
  ASSERT_NE(gpkg, nullptr);
  Dataset ds(gpkg->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  ASSERT_TRUE(ds);
  OGRLayer* layer = ds->CreateLayer("places", nullptr, wkbUnknown, nullptr);
  ASSERT_NE(layer, nullptr);
  const OGRFieldType types[] = {OFTString, OFTDate,    OFTDateTime, OFTInteger64, OFTInteger64,
                                OFTReal,   OFTInteger, OFTInteger,  OFTInteger};
  for (std::size_t i = 0; i < std::size(kFieldNames); ++i) {
    OGRFieldDefn field(kFieldNames[i], types[i]);
    if (std::string(kFieldNames[i]) == "flag") field.SetSubType(OFSTBoolean);
    ASSERT_EQ(layer->CreateField(&field), OGRERR_NONE);
  }
  int k = 0;
  for (const SourceRow& r : kRows) {
    OGRFeature f(layer->GetLayerDefn());
    f.SetField("name", r.name);
    f.SetField(1, r.date[0], r.date[1], r.date[2]);
    f.SetField(2, r.stamp[0], r.stamp[1], r.stamp[2], r.stamp[3], r.stamp[4], r.seconds, 0);
    f.SetField("beyond53", r.beyond53);
    f.SetField("fits32", r.fits32);
    f.SetField("real", r.real);
    f.SetField("flag", r.flag);
    f.SetField(7, k * 1000);
    f.SetField(8, k * 1000 + 1);
    ++k;
    f.SetGeometryDirectly(Wkt(r.wkt).release());
    ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE);
  }
  // The last feature: every field NULL.
  OGRFeature nulls(layer->GetLayerDefn());
  for (int i = 0; i < nulls.GetFieldCount(); ++i) nulls.SetFieldNull(i);
  nulls.SetGeometryDirectly(Wkt("POLYGON ((60 0, 61 0, 61 1, 60 1, 60 0))").release());
  ASSERT_EQ(layer->CreateFeature(&nulls), OGRERR_NONE);
}

}  // namespace

// GeoPackage -> map file -> GeoPackage keeps every value, type and geometry,
// or says exactly what changed: long names cut (and told apart), NULLs of
// types without a null stored as their empty value.
TEST(TerrixOgr2Ogr, GeoPackageRoundTripKeepsValuesOrSaysWhatChanged) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  tb::TempDir dir;
  const std::string source = dir.Path("source.gpkg"), map = dir.Path("places.tmf"),
                    back = dir.Path("back.gpkg");
  BuildGeoPackage(source);
  const CommandRun in = Command(kOgr2Ogr + " -f Terrix " + map + " " + source + " -lco CODEPAGE=GB18030");
  ASSERT_EQ(in.status, 0) << in.out;
  ExpectExactlyTheWarnings(
      WarningsOf(in.out),
      {"field names made to fit the format (at most 20 bytes, no spaces, unique): "
       "\"population_estimate_2020\" -> "
       "\"population_estimate_\", \"population_estimate_2021\" -> \"population_estimat_1\"",
       "field \"beyond53\": 64-bit integers stored as decimal text",
       "field \"name\": 1 null value stored as empty text", "field \"fits32\": 1 null value stored as 0",
       "field \"real\": 1 null value stored as 0", "field \"flag\": 1 null value stored as false",
       "field \"population_estimate_\": 1 null value stored as 0",
       "field \"population_estimat_1\": 1 null value stored as 0"},
      in.out);
  const CommandRun out =
      Command(kOgr2Ogr + " -f GPKG -nlt GEOMETRY " + back + " " + map + " -oo CODEPAGE=GB18030");
  ASSERT_EQ(out.status, 0) << out.out;
  EXPECT_EQ(WarningsOf(out.out), std::vector<std::string>{}) << out.out;

  Dataset a = OpenVector(source), b = OpenVector(back);
  ASSERT_TRUE(a && b);
  OGRLayer* la = a->GetLayer(0);
  OGRLayer* lb = b->GetLayer(0);
  ASSERT_EQ(lb->GetFeatureCount(), la->GetFeatureCount());
  const std::vector<std::string> readBack = {"name",
                                             "day",
                                             "stamp",
                                             "beyond53",
                                             "fits32",
                                             "real",
                                             "flag",
                                             "population_estimate_",
                                             "population_estimat_1"};
  OGRFeatureDefn* da = la->GetLayerDefn();
  OGRFeatureDefn* db = lb->GetLayerDefn();
  ASSERT_EQ(db->GetFieldCount(), da->GetFieldCount());
  for (int i = 0; i < da->GetFieldCount(); ++i) {
    EXPECT_EQ(db->GetFieldDefn(i)->GetNameRef(), readBack[static_cast<std::size_t>(i)]);
    EXPECT_EQ(db->GetFieldDefn(i)->GetType(), da->GetFieldDefn(i)->GetType()) << readBack[i];
    EXPECT_EQ(db->GetFieldDefn(i)->GetSubType(), da->GetFieldDefn(i)->GetSubType()) << readBack[i];
  }
  // Fields whose NULL survives: dates, time stamps, 64-bit integers stored as text.
  const std::vector<bool> keepsNull = {false, true, true, true, false, false, false, false, false};
  for (GIntBig n = 0; n < la->GetFeatureCount(); ++n) {
    std::unique_ptr<OGRFeature> fa(la->GetNextFeature()), fb(lb->GetNextFeature());
    ASSERT_TRUE(fa && fb);
    const std::string where = "feature " + std::to_string(n);
    for (int i = 0; i < da->GetFieldCount(); ++i) {
      const std::string field = where + " " + readBack[static_cast<std::size_t>(i)];
      if (fa->IsFieldNull(i)) {
        if (keepsNull[static_cast<std::size_t>(i)]) {
          EXPECT_TRUE(fb->IsFieldNull(i)) << field;
        } else {
          ASSERT_FALSE(fb->IsFieldNull(i)) << field;
          EXPECT_STREQ(fb->GetFieldAsString(i), da->GetFieldDefn(i)->GetType() == OFTString ? "" : "0")
              << field;
        }
        continue;
      }
      switch (da->GetFieldDefn(i)->GetType()) {
        case OFTInteger64:
          EXPECT_EQ(fb->GetFieldAsInteger64(i), fa->GetFieldAsInteger64(i)) << field;
          break;
        case OFTReal: {
          const double x = fa->GetFieldAsDouble(i), y = fb->GetFieldAsDouble(i);
          EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << field << ": " << x << " vs " << y;
          break;
        }
        case OFTDate:
        case OFTDateTime: {
          int ya, ma, dd, ha, mi, tza, yb, mb, db2, hb, mib, tzb;
          float sa, sb;
          fa->GetFieldAsDateTime(i, &ya, &ma, &dd, &ha, &mi, &sa, &tza);
          fb->GetFieldAsDateTime(i, &yb, &mb, &db2, &hb, &mib, &sb, &tzb);
          EXPECT_EQ(std::vector<int>({ya, ma, dd, ha, mi}), std::vector<int>({yb, mb, db2, hb, mib}))
              << field;
          EXPECT_EQ(sa, sb) << field;
          EXPECT_EQ(tza, tzb) << field;
          break;
        }
        default:
          EXPECT_STREQ(fb->GetFieldAsString(i), fa->GetFieldAsString(i)) << field;
      }
    }
    const OGRGeometry* ga = fa->GetGeometryRef();
    const OGRGeometry* gb = fb->GetGeometryRef();
    ASSERT_TRUE(ga && gb) << where;
    EXPECT_EQ(wkbFlatten(gb->getGeometryType()), wkbFlatten(ga->getGeometryType())) << where;
    const double areaA = wkbFlatten(ga->getGeometryType()) == wkbPolygon ? ga->toPolygon()->get_Area()
                                                                         : ga->toMultiPolygon()->get_Area();
    const double areaB = wkbFlatten(gb->getGeometryType()) == wkbPolygon ? gb->toPolygon()->get_Area()
                                                                         : gb->toMultiPolygon()->get_Area();
    EXPECT_EQ(areaB, areaA) << where;
    if (OGRGeometryFactory::haveGEOS()) {
      std::unique_ptr<OGRGeometry> na(ga->Normalize()), nb(gb->Normalize());
      ASSERT_TRUE(na && nb) << where;
      EXPECT_TRUE(na->Equals(nb.get())) << where;
    }
  }
  // The hole that wound like its shell is a hole, not a second polygon.
  lb->ResetReading();
  std::unique_ptr<OGRFeature> first(lb->GetNextFeature());
  ASSERT_EQ(wkbFlatten(first->GetGeometryRef()->getGeometryType()), wkbPolygon);
  EXPECT_EQ(first->GetGeometryRef()->toPolygon()->getNumInteriorRings(), 1);
  EXPECT_EQ(first->GetGeometryRef()->toPolygon()->get_Area(), 96.0);
}

// Strict by default: text the code page cannot hold stops ogr2ogr, names the
// field, the feature and the character, and leaves no file; LOSSY=YES stores
// '?' and says how many values changed.
TEST(TerrixOgr2Ogr, StrictByDefaultLossyOnRequest) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  tb::TempDir in, out;
  const std::string source = in.Path("cities.geojson");
  WriteText(
      source,
      R"({"type":"FeatureCollection","features":[)"
      R"({"type":"Feature","properties":{"city":"Beijing 北京"},"geometry":{"type":"Point","coordinates":[116.4,39.9]}},)"
      R"({"type":"Feature","properties":{"city":"São Paulo"},"geometry":{"type":"Point","coordinates":[-46.6,-23.5]}},)"
      R"({"type":"Feature","properties":{"city":"Zürich"},"geometry":{"type":"Point","coordinates":[8.5,47.4]}}]})");
  const CommandRun strict = Command(kOgr2Ogr + " -f Terrix " + out.Path("c.tmf") + " " + source);
  EXPECT_NE(strict.status, 0) << strict.out;
  for (const char* text : {"field \"city\"", "feature 1", "U+00E3", "GB18030", "LOSSY=YES"})
    EXPECT_NE(strict.out.find(text), std::string::npos) << text << "\n" << strict.out;
  EXPECT_EQ(FilesIn(out.Path("")), std::vector<std::string>{}) << "no output file, no temporary file";

  const CommandRun lossy =
      Command(kOgr2Ogr + " -f Terrix " + out.Path("c.tmf") + " " + source + " -lco LOSSY=YES");
  ASSERT_EQ(lossy.status, 0) << lossy.out;
  ExpectExactlyTheWarnings(WarningsOf(lossy.out),
                           {"field \"city\": 1 value held characters that GBK cannot hold (first U+00E3"},
                           lossy.out);
  Dataset ds = OpenVector(out.Path("c.tmf"));
  ASSERT_TRUE(ds);
  std::vector<std::string> cities;
  for (auto& f : *ds->GetLayer(0)) cities.emplace_back(f->GetFieldAsString("city"));
  EXPECT_EQ(cities, (std::vector<std::string>{"Beijing 北京", "S?o Paulo", "Zürich"}));
}

// Features whose every field is NULL still get their record, first, between
// and last: the file has one record per element and reads back whole.
TEST(TerrixOgr2Ogr, AllNullFeaturesKeepTheirRecords) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  tb::TempDir dir;
  const std::string source = dir.Path("nulls.geojson"), map = dir.Path("nulls.tmf");
  const std::string point = R"("geometry":{"type":"Point","coordinates":[1,2]})";
  WriteText(source, R"({"type":"FeatureCollection","features":[)"
                    R"({"type":"Feature","properties":{"a":null,"b":null},)" +
                        point + R"(},{"type":"Feature","properties":{"a":"x","b":3},)" + point +
                        R"(},{"type":"Feature","properties":{"a":null,"b":null},)" + point + "}]}");
  const CommandRun run = Command(kOgr2Ogr + " -f Terrix " + map + " " + source);
  ASSERT_EQ(run.status, 0) << run.out;
  ExpectExactlyTheWarnings(
      WarningsOf(run.out),
      {"field \"a\": 2 null values stored as empty text", "field \"b\": 2 null values stored as 0"}, run.out);
  Terrix::Terrix_FastReader reader;
  ASSERT_EQ(reader.Open(tb::Widen(map).c_str()), Terrix::Result::Success);
  int points = 0;
  reader.GetPointCount(&points);
  reader.SetAttributeType(1);
  EXPECT_EQ(points, 3);
  EXPECT_EQ(reader.GetRecordCount(), points) << "one record per element";
  Dataset ds = OpenVector(map);
  ASSERT_TRUE(ds);
  std::vector<std::string> values;
  for (auto& f : *ds->GetLayer(0)) {
    std::string both = f->GetFieldAsString("a");
    both += f->GetFieldAsString("b");
    values.push_back(both);
  }
  EXPECT_EQ(values, (std::vector<std::string>{"0", "x3", "0"}));
}

// A failure found only when the file is laid out at close (a table file
// without fields) still makes ogr2ogr fail, and leaves no file.
TEST(TerrixOgr2Ogr, FailureAtCloseLeavesNothing) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "ogr2ogr (gdal-bin) is not installed";
  tb::TempDir in, out;
  const std::string source = in.Path("bare.geojson");
  WriteText(
      source,
      R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},"geometry":null}]})");
  const CommandRun run = Command(kOgr2Ogr + " -f Terrix " + out.Path("bare.tmf") + " " + source);
  EXPECT_NE(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("the features need at least one field"), std::string::npos) << run.out;
  EXPECT_EQ(FilesIn(out.Path("")), std::vector<std::string>{});
}
