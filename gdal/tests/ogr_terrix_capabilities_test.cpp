// The driver beside GDAL's own: map files through virtual file systems
// (/vsizip/, /vsimem/, /vsistdin/, /vsistdout/), update (appending, deleting
// in place, changing and adding features and fields, overwriting), a folder
// of map files as a dataset of several layers, the coordinate system kept in
// NAME.prj, and capabilities declared as they are.
#include <TerrixLib.h>
#include <cpl_vsi.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "OgrTestSupport.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"

namespace {

using namespace ogrtest;
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GdalEnvironment);

const std::string kNaturalEarth = TERRIX_NATURALEARTH_DIR;
const std::string kCountries = kNaturalEarth + "/naturalearth_lowres.shp";
const std::string kCities = kNaturalEarth + "/naturalearth_cities.shp";
const std::string kTerrix = TERRIX_TOOL;
const char* const kGb18030[] = {"CODEPAGE=GB18030", nullptr};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a GDAL program that must succeed without errors; answers what it printed.
std::string RunOk(const std::string& command) {
  const CommandRun run = Command(command);
  EXPECT_EQ(run.status, 0) << command << "\n" << run.out;
  EXPECT_EQ(run.out.find("ERROR"), std::string::npos) << command << "\n" << run.out;
  return run.out;
}

// A map file of the Natural Earth countries (177 polygons, WGS 84), or of
// the cities (243 points).
std::string MakeMap(const tb::TempDir& dir, const std::string& name, const std::string& source) {
  const std::string path = dir.Path(name);
  RunOk(kOgr2Ogr + " -f Terrix " + path + " " + source + " -lco CODEPAGE=GB18030");
  return path;
}

GIntBig CountOf(const std::string& path, int layer = 0) {
  Dataset ds = OpenVector(path, kGb18030);
  if (!ds || ds->GetLayer(layer) == nullptr) return -1;
  return ds->GetLayer(layer)->GetFeatureCount();
}

Dataset OpenUpdate(const std::string& path) {
  return Dataset(
      GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, kGb18030, nullptr));
}

// Every feature of a layer: fields as text and geometry as WKT, in order.
std::vector<std::string> Contents(OGRLayer* layer) {
  std::vector<std::string> rows;
  layer->ResetReading();
  while (OGRFeature* f = layer->GetNextFeature()) {
    std::string row;
    for (int i = 0; i < f->GetFieldCount(); ++i) row += std::string(f->GetFieldAsString(i)) + "|";
    if (const OGRGeometry* g = f->GetGeometryRef()) row += g->exportToWkt();
    rows.push_back(row);
    OGRFeature::DestroyFeature(f);
  }
  return rows;
}

std::vector<std::string> ContentsOf(const std::string& path, const char* layerName = nullptr) {
  Dataset ds = OpenVector(path, kGb18030);
  if (!ds) return {};
  return Contents(layerName != nullptr ? ds->GetLayerByName(layerName) : ds->GetLayer(0));
}

// Copies a local file into a GDAL virtual file (writing a zip member makes the zip).
void CopyInto(const std::string& local, const std::string& target) {
  const std::string bytes = ReadBytes(local);
  VSILFILE* f = VSIFOpenL(target.c_str(), "wb");
  ASSERT_NE(f, nullptr) << target;
  ASSERT_EQ(VSIFWriteL(bytes.data(), 1, bytes.size(), f), bytes.size());
  ASSERT_EQ(VSIFCloseL(f), 0);
}

}  // namespace

// --- Virtual files -------------------------------------------------------

// ogrinfo and ogr2ogr read a map file inside a zip as they read it on disk,
// and so does the API.
TEST(TerrixVirtualFiles, ZippedMapFileReadsAsOnDisk) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = MakeMap(dir, "countries.tmf", kCountries);
  const std::string zipped = "/vsizip/" + dir.Path("maps.zip") + "/countries.tmf";
  CopyInto(map, zipped);
  // A zip that holds the sidecar too gives the coordinate system.
  const std::string both = "/vsizip/" + dir.Path("both.zip");
  CopyInto(map, both + "/countries.tmf");
  CopyInto(dir.Path("countries.prj"), both + "/countries.prj");

  const std::string info = RunOk(kOgrInfo + " -so -al " + zipped + " -oo CODEPAGE=GB18030");
  EXPECT_NE(info.find("Feature Count: 177"), std::string::npos) << info;
  EXPECT_NE(info.find("using driver `Terrix'"), std::string::npos) << info;

  RunOk(kOgr2Ogr + " -f GeoJSON " + dir.Path("from-zip.geojson") + " " + both +
        "/countries.tmf -oo CODEPAGE=GB18030");
  RunOk(kOgr2Ogr + " -f GeoJSON " + dir.Path("from-disk.geojson") + " " + map + " -oo CODEPAGE=GB18030");
  const std::string fromZip = ReadBytes(dir.Path("from-zip.geojson"));
  EXPECT_GT(fromZip.size(), 100000u);
  EXPECT_EQ(fromZip, ReadBytes(dir.Path("from-disk.geojson")));

  EXPECT_EQ(ContentsOf(zipped), ContentsOf(map));
  Dataset ds = OpenVector(zipped, kGb18030);
  ASSERT_TRUE(ds);
  EXPECT_EQ(ds->GetLayer(0)->GetSpatialRef(), nullptr);  // maps.zip holds no .prj
  Dataset withSrs = OpenVector(both + "/countries.tmf", kGb18030);
  ASSERT_TRUE(withSrs);
  ASSERT_NE(withSrs->GetLayer(0)->GetSpatialRef(), nullptr);
  EXPECT_STREQ(withSrs->GetLayer(0)->GetSpatialRef()->GetAuthorityCode(nullptr), "4326");
}

// Standard input is read like a file; standard output takes the map file
// alone and says once that the coordinate system is not kept.
TEST(TerrixVirtualFiles, StandardInputAndOutput) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = MakeMap(dir, "cities.tmf", kCities);
  const CommandRun in = Command(kOgrInfo + " -so -al /vsistdin/ -oo CODEPAGE=GB18030 < " + map);
  EXPECT_EQ(in.status, 0) << in.out;
  EXPECT_NE(in.out.find("Feature Count: 243"), std::string::npos) << in.out;

  const CommandRun out = Command("(" + kOgr2Ogr + " -f Terrix /vsistdout/ " + kCities +
                                 " -lco CODEPAGE=GB18030 > " + dir.Path("piped.tmf") + ")");
  EXPECT_EQ(out.status, 0) << out.out;
  ExpectExactlyTheWarnings(WarningsOf(out.out), {"coordinate system is not kept: standard output"}, out.out);
  EXPECT_EQ(ContentsOf(dir.Path("piped.tmf")), ContentsOf(map));
  EXPECT_EQ(FilesIn(dir.Path("")), (std::vector<std::string>{"cities.prj", "cities.tmf", "piped.tmf"}));
}

// /vsimem/ is written, read and updated as a folder on disk is; the
// coordinate system lands beside the file there too.
TEST(TerrixVirtualFiles, MemoryFilesWrittenReadAndUpdated) {
  const std::string dir = "/vsimem/terrix-test-" + std::to_string(::getpid());
  const std::string path = dir + "/cities.tmf";
  {
    Dataset source = OpenVector(kCities);
    ASSERT_TRUE(source);
    const char* const options[] = {"-f", "Terrix", "-lco", "CODEPAGE=GB18030", nullptr};
    GDALVectorTranslateOptions* translate =
        GDALVectorTranslateOptionsNew(const_cast<char**>(options), nullptr);
    GDALDatasetH src = GDALDataset::ToHandle(source.get());
    int usage = 0;
    GDALDatasetH out = GDALVectorTranslate(path.c_str(), nullptr, 1, &src, translate, &usage);
    GDALVectorTranslateOptionsFree(translate);
    ASSERT_NE(out, nullptr);
    GDALClose(out);
  }
  VSIStatBufL st{};
  ASSERT_EQ(VSIStatL(path.c_str(), &st), 0);
  EXPECT_GT(st.st_size, 243 * 93);
  ASSERT_EQ(VSIStatL((dir + "/cities.prj").c_str(), &st), 0);
  EXPECT_EQ(CountOf(path), 243);
  {
    Dataset ds = OpenUpdate(path);
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->GetLayer(0)->DeleteFeature(0), OGRERR_NONE);
  }
  EXPECT_EQ(CountOf(path), 242);
  {
    Dataset ds = OpenUpdate(path);
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField("name", "Nowhere");
    feature.SetGeometryDirectly(new OGRPoint(1, 2));
    EXPECT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
  }
  EXPECT_EQ(CountOf(path), 243);
  const std::vector<std::string> rows = ContentsOf(path);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back(), "Nowhere|POINT (1 2)");
  VSIRmdirRecursive(dir.c_str());
}

// --- Update ----------------------------------------------------------------

// ogr2ogr -update -append doubles the features; the file stays one that the
// terrix tool reads whole, with the appended features after the others.
TEST(TerrixUpdate, AppendDoublesTheFeatures) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = MakeMap(dir, "countries.tmf", kCountries);
  const std::string copy = MakeMap(dir, "copy.tmf", kCountries);
  const std::vector<std::string> before = ContentsOf(map);
  ASSERT_EQ(before.size(), 177u);
  const CommandRun run = Command(kOgr2Ogr + " -update -append " + map + " " + copy +
                                 " -nln countries -oo CODEPAGE=GB18030 -doo CODEPAGE=GB18030");
  ASSERT_EQ(run.status, 0) << run.out;
  ExpectExactlyTheWarnings(WarningsOf(run.out), {"written anew with the changes"}, run.out);
  std::vector<std::string> doubled = before;
  doubled.insert(doubled.end(), before.begin(), before.end());
  EXPECT_EQ(ContentsOf(map), doubled);
  if (!kTerrix.empty()) {
    const CommandRun info = Command(kTerrix + " info " + map);
    EXPECT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("regions: 354 in use, 0 deleted"), std::string::npos) << info.out << info.err;
    const CommandRun check = Command(kTerrix + " check " + map);
    EXPECT_EQ(check.status, 0) << check.out;
  }
  EXPECT_EQ(FilesIn(dir.Path("")),
            (std::vector<std::string>{"copy.prj", "copy.tmf", "countries.prj", "countries.tmf"}));
}

// DeleteFeature marks the element deleted in place: the count drops at once
// and after reopening, the file keeps its size and every other byte of the
// other elements, and the library counts one element deleted.
TEST(TerrixUpdate, DeleteFeatureInPlace) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = MakeMap(dir, "cities.tmf", kCities);
  const std::string bytes = ReadBytes(map);
  std::vector<std::string> expected = ContentsOf(map);
  {
    Dataset ds = OpenUpdate(map);
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    EXPECT_TRUE(layer->TestCapability(OLCDeleteFeature));
    EXPECT_EQ(layer->DeleteFeature(5), OGRERR_NONE);
    EXPECT_EQ(layer->DeleteFeature(5), OGRERR_NON_EXISTING_FEATURE);
    EXPECT_EQ(layer->DeleteFeature(243), OGRERR_NON_EXISTING_FEATURE);
    EXPECT_EQ(layer->GetFeatureCount(), 242);
    EXPECT_EQ(layer->GetFeature(5), nullptr);
    EXPECT_FALSE(layer->TestCapability(OLCFastSetNextByIndex));  // the generic walk is used now
    ASSERT_EQ(layer->SetNextByIndex(5), OGRERR_NONE);
    std::unique_ptr<OGRFeature> sixth(layer->GetNextFeature());
    ASSERT_TRUE(sixth);
    EXPECT_EQ(sixth->GetFID(), 6);
  }
  expected.erase(expected.begin() + 5);
  EXPECT_EQ(ContentsOf(map), expected);
  const std::string after = ReadBytes(map);
  ASSERT_EQ(after.size(), bytes.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) differing += bytes[i] != after[i] ? 1 : 0;
  EXPECT_EQ(differing, 1u);  // the state byte of the element
  Terrix::Terrix_FastReader reader;
  ASSERT_EQ(reader.Open(tb::Widen(map).c_str()), Terrix::Result::Success);
  EXPECT_EQ(reader.ReadPointInfo(5, nullptr, nullptr), Terrix::Result::NotInUse);
  EXPECT_EQ(reader.ReadPointInfo(6, nullptr, nullptr), Terrix::Result::Success);
}

// SetFeature, CreateFeature and CreateField on an opened file: the session
// sees the changes at once, the file has them after closing, every other
// feature as it was, and the new field is null where no value was given.
TEST(TerrixUpdate, ChangedAndNewFeaturesAndFields) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = MakeMap(dir, "cities.tmf", kCities);
  std::vector<std::string> expected = ContentsOf(map);
  {
    Dataset ds = OpenUpdate(map);
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    for (const char* capability : {OLCRandomWrite, OLCSequentialWrite, OLCCreateField})
      EXPECT_TRUE(layer->TestCapability(capability)) << capability;
    OGRFieldDefn rank("rank", OFTString);
    ASSERT_EQ(layer->CreateField(&rank), OGRERR_NONE);
    EXPECT_EQ(layer->CreateField(&rank), OGRERR_FAILURE);  // there already
    std::unique_ptr<OGRFeature> f(layer->GetFeature(2));
    ASSERT_TRUE(f);
    f->SetField("name", "Renamed");
    f->SetField("rank", "7");
    EXPECT_EQ(layer->SetFeature(f.get()), OGRERR_NONE);
    OGRFeature added(layer->GetLayerDefn());
    added.SetField("name", "Added");
    added.SetGeometryDirectly(new OGRPoint(10.5, -20.25));
    EXPECT_EQ(layer->CreateFeature(&added), OGRERR_NONE);
    EXPECT_EQ(added.GetFID(), 243);
    EXPECT_EQ(layer->GetFeatureCount(), 244);
    std::unique_ptr<OGRFeature> seen(layer->GetFeature(243));
    ASSERT_TRUE(seen);
    EXPECT_STREQ(seen->GetFieldAsString("name"), "Added");
    OGRFeature missing(layer->GetLayerDefn());
    missing.SetFID(999);
    EXPECT_EQ(layer->SetFeature(&missing), OGRERR_NON_EXISTING_FEATURE);
  }
  for (std::string& row : expected) row.insert(row.find('|') + 1, "|");  // the new field, null
  expected[2].replace(0, expected[2].find("|") + 2, "Renamed|7|");
  expected.push_back("Added||POINT (10.5 -20.25)");
  EXPECT_EQ(ContentsOf(map), expected);
  Dataset ds = OpenVector(map, kGb18030);
  ASSERT_TRUE(ds);
  EXPECT_STREQ(ds->GetLayer(0)->GetLayerDefn()->GetFieldDefn(1)->GetNameRef(), "rank");
  EXPECT_NE(ds->GetLayer(0)->GetSpatialRef(), nullptr);  // the sidecar stays
}

// A change the format cannot hold fails at closing, says so, and leaves the
// file byte for byte as it was.
TEST(TerrixUpdate, FailedRewriteLeavesTheFileAsItWas) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = dir.Path("cities.tmf");
  RunOk(kOgr2Ogr + " -f Terrix " + map + " " + kCities + " -lco CODEPAGE=CP1252");
  const std::string bytes = ReadBytes(map);
  ErrorLog log;
  {
    const char* const cp1252[] = {"CODEPAGE=CP1252", nullptr};
    Dataset ds(GDALDataset::Open(map.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, cp1252, nullptr));
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    OGRFeature beijing(layer->GetLayerDefn());
    beijing.SetField("name", "北京");  // not in the code page: refused when the file is laid out
    beijing.SetGeometryDirectly(new OGRPoint(116.4, 39.9));
    EXPECT_EQ(layer->CreateFeature(&beijing), OGRERR_NONE);
    EXPECT_EQ(layer->DeleteFeature(0), OGRERR_NONE);
  }
  const std::vector<std::string> errors = log.Of(CE_Failure);
  ASSERT_EQ(errors.size(), 2u) << log.All();
  EXPECT_NE(errors[0].find("U+5317"), std::string::npos) << log.All();
  EXPECT_NE(errors[1].find("the changes are not saved; the file is as it was"), std::string::npos)
      << log.All();
  EXPECT_EQ(ReadBytes(map), bytes);
  EXPECT_EQ(FilesIn(dir.Path("")), (std::vector<std::string>{"cities.prj", "cities.tmf"}));
}

// -overwrite replaces the file, of another kind now, and its coordinate
// system; the previous file stays until the new one is complete.
TEST(TerrixUpdate, Overwrite) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = MakeMap(dir, "layer.tmf", kCities);
  RunOk(kOgr2Ogr + " -clipsrc 9 35 21 60 -t_srs EPSG:32633 " + dir.Path("utm.shp") + " " + kCountries);
  RunOk(kOgr2Ogr + " -f Terrix -overwrite " + map + " " + dir.Path("utm.shp") +
        " -nln layer -lco CODEPAGE=GB18030");
  Dataset ds = OpenVector(map, kGb18030);
  ASSERT_TRUE(ds);
  OGRLayer* layer = ds->GetLayer(0);
  EXPECT_EQ(layer->GetGeomType(), wkbPolygon);
  EXPECT_EQ(layer->GetFeatureCount(), CountOf(dir.Path("utm.shp")));
  ASSERT_NE(layer->GetSpatialRef(), nullptr);
  EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr), "32633");

  // A feature the format cannot hold: ogr2ogr fails, the previous file stays.
  const std::string bytes = ReadBytes(map);
  const std::string bad = dir.Path("bad.geojson");
  std::ofstream(bad) << R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},)"
                     << R"("geometry":{"type":"LineString","coordinates":[[0,0]]}}]})";
  const CommandRun run = Command(kOgr2Ogr + " -f Terrix -overwrite " + map + " " + bad + " -nln layer");
  EXPECT_NE(run.status, 0) << run.out;
  EXPECT_EQ(ReadBytes(map), bytes);
}

// ogrinfo -sql opens for update first: a file that cannot be changed where
// it is (in a zip, a network file) opens read-only without a word from the
// driver; the driver's update open answers no dataset and raises no error.
TEST(TerrixUpdate, ReadOnlyOpensQuietly) {
  if (kOgrInfo.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  tb::ElementFile net(tb::kNetwork);
  net.AddArc({{0, 0}, {1, 0}});
  net.AddNode(0, 0, tb::Bytes(94, 0));
  tb::AttributeSection arcTable;
  arcTable.Field("road", 0, 6).Text(0, 0, "A1");
  net.Build().Extent(0, 0, 1, 0).Section(2, arcTable.Build()).WriteTo(dir.Path("net.tmf"));
  const CommandRun run =
      Command(kOgrInfo + " " + dir.Path("net.tmf") + " -sql \"SELECT COUNT(*) FROM net_arcs\"");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("COUNT_* (Integer) = 1"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("ERROR"), std::string::npos) << run.out;
  ErrorLog log;
  EXPECT_FALSE(OpenUpdate(dir.Path("net.tmf")));
  EXPECT_EQ(log.All(), "");
  Dataset readOnly = OpenVector(dir.Path("net.tmf"));
  ASSERT_TRUE(readOnly);
  EXPECT_EQ(readOnly->GetLayer(0)->DeleteFeature(0), OGRERR_FAILURE);
  EXPECT_FALSE(readOnly->GetLayer(0)->TestCapability(OLCDeleteFeature));
}

// What each kind of dataset and layer declares is what it does.
TEST(TerrixUpdate, CapabilitiesAsTheyAre) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string map = MakeMap(dir, "cities.tmf", kCities);
  Dataset ro = OpenVector(map, kGb18030);
  ASSERT_TRUE(ro);
  OGRLayer* read = ro->GetLayer(0);
  for (const char* yes : {OLCRandomRead, OLCFastFeatureCount, OLCFastSetNextByIndex, OLCFastGetExtent,
                          OLCIgnoreFields, OLCStringsAsUTF8})
    EXPECT_TRUE(read->TestCapability(yes)) << yes;
  for (const char* no : {OLCSequentialWrite, OLCRandomWrite, OLCDeleteFeature, OLCCreateField, OLCDeleteField,
                         OLCTransactions})
    EXPECT_FALSE(read->TestCapability(no)) << no;
  for (const char* no : {ODsCCreateLayer, ODsCDeleteLayer}) EXPECT_FALSE(ro->TestCapability(no)) << no;
  // The cities hold no notes: no note field.
  EXPECT_LT(read->GetLayerDefn()->GetFieldIndex("terrix:note"), 0);

  Dataset rw = OpenUpdate(map);
  ASSERT_TRUE(rw);
  EXPECT_TRUE(rw->TestCapability(ODsCDeleteLayer));
  EXPECT_FALSE(rw->TestCapability(ODsCCreateLayer));  // a map file holds one layer
  OGRFeature feature(rw->GetLayer(0)->GetLayerDefn());
  feature.SetGeometryDirectly(new OGRPoint(-179.5, -89.5));
  ASSERT_EQ(rw->GetLayer(0)->CreateFeature(&feature), OGRERR_NONE);
  // With a change waiting, the extent and positions are found the generic way.
  EXPECT_FALSE(rw->GetLayer(0)->TestCapability(OLCFastGetExtent));
  EXPECT_FALSE(rw->GetLayer(0)->TestCapability(OLCFastSetNextByIndex));
  OGREnvelope extent;
  ASSERT_EQ(rw->GetLayer(0)->GetExtent(&extent, TRUE), OGRERR_NONE);
  EXPECT_EQ(extent.MinX, -179.5);
  EXPECT_EQ(extent.MinY, -89.5);

  Dataset folder = CreateMap(dir.Path("out"));
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->TestCapability(ODsCCreateLayer));
  EXPECT_TRUE(folder->TestCapability(ODsCRandomLayerWrite));
  Dataset file = CreateMap(dir.Path("new.tmf"));
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->TestCapability(ODsCCreateLayer));
  ASSERT_NE(file->CreateLayer("a", nullptr, wkbPoint), nullptr);
  EXPECT_FALSE(file->TestCapability(ODsCCreateLayer));
  ErrorLog log;
  EXPECT_EQ(file->CreateLayer("b", nullptr, wkbPoint), nullptr);
  EXPECT_NE(log.All().find("a map file holds one layer"), std::string::npos) << log.All();
}

// --- Folders -----------------------------------------------------------

// A GeoPackage of two layers becomes a folder of two map files (with their
// coordinate systems) and comes back whole.
TEST(TerrixFolder, TwoLayerGeoPackageToFolderAndBack) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string gpkg = dir.Path("multi.gpkg"), folder = dir.Path("maps"), back = dir.Path("back.gpkg");
  RunOk(kOgr2Ogr + " -f GPKG " + gpkg + " " + kCountries + " -nln countries");
  RunOk(kOgr2Ogr + " -update " + gpkg + " " + kCities + " -nln cities");
  RunOk(kOgr2Ogr + " -f Terrix " + folder + " " + gpkg + " -lco CODEPAGE=GB18030");
  EXPECT_EQ(FilesIn(folder),
            (std::vector<std::string>{"cities.prj", "cities.tmf", "countries.prj", "countries.tmf"}));
  const std::string info = RunOk(kOgrInfo + " " + folder + " -oo CODEPAGE=GB18030");
  EXPECT_NE(info.find("1: cities (Point)"), std::string::npos) << info;
  EXPECT_NE(info.find("2: countries (Polygon)"), std::string::npos) << info;
  RunOk(kOgr2Ogr + " -f GPKG " + back + " " + folder + " -oo CODEPAGE=GB18030");
  Dataset a = OpenVector(gpkg), b = OpenVector(back);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(b->GetLayerCount(), 2);
  for (const char* name : {"cities", "countries"}) {
    OGRLayer* la = a->GetLayerByName(name);
    OGRLayer* lb = b->GetLayerByName(name);
    ASSERT_TRUE(la && lb) << name;
    EXPECT_EQ(Contents(la), Contents(lb)) << name;
    ASSERT_NE(lb->GetSpatialRef(), nullptr);
    EXPECT_TRUE(lb->GetSpatialRef()->IsSame(la->GetSpatialRef())) << name;
  }
  // Once more into the same folder: the layers are there already.
  const CommandRun again = Command(kOgr2Ogr + " -f Terrix " + folder + " " + gpkg + " -lco CODEPAGE=GB18030");
  EXPECT_NE(again.status, 0) << again.out;
  EXPECT_EQ(FilesIn(folder).size(), 4u);
}

// In a folder opened for update: -overwrite replaces one layer's file,
// DeleteLayer removes a file with its sidecar at closing, and a new layer is
// a new file.
TEST(TerrixFolder, UpdateReplacesDeletesAndAddsLayers) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string folder = dir.Path("maps");
  RunOk(kOgr2Ogr + " -f Terrix " + folder + " " + kCities + " -nln cities -lco CODEPAGE=GB18030");
  RunOk(kOgr2Ogr + " -f Terrix -update " + folder + " " + kCountries +
        " -nln countries -lco CODEPAGE=GB18030");
  EXPECT_EQ(CountOf(folder + "/countries.tmf"), 177);
  RunOk(kOgr2Ogr + " -f Terrix -update -overwrite " + folder + " " + kCities +
        " -nln countries -lco CODEPAGE=GB18030 -where \"name LIKE 'A%'\"");
  const GIntBig startingWithA = CountOf(folder + "/countries.tmf");
  EXPECT_GT(startingWithA, 0);
  EXPECT_LT(startingWithA, 243);
  {
    Dataset ds = OpenUpdate(folder);
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetLayerCount(), 2);
    int cities = -1;
    for (int i = 0; i < 2; ++i)
      if (std::string(ds->GetLayer(i)->GetName()) == "cities") cities = i;
    ASSERT_GE(cities, 0);
    EXPECT_EQ(ds->DeleteLayer(cities), OGRERR_NONE);
    EXPECT_EQ(ds->GetLayerCount(), 1);
    EXPECT_EQ(FilesIn(folder).size(), 4u);  // removed at closing
    OGRLayer* roads = ds->CreateLayer("roads", nullptr, wkbLineString);
    ASSERT_NE(roads, nullptr);
    OGRFeature road(roads->GetLayerDefn());
    OGRGeometry* line = nullptr;
    ASSERT_EQ(OGRGeometryFactory::createFromWkt("LINESTRING (0 0,1 1)", nullptr, &line), OGRERR_NONE);
    road.SetGeometryDirectly(line);
    ASSERT_EQ(roads->CreateFeature(&road), OGRERR_NONE);
  }
  EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"countries.prj", "countries.tmf", "roads.tmf"}));
  EXPECT_EQ(ContentsOf(folder + "/roads.tmf"), std::vector<std::string>{"LINESTRING (0 0,1 1)"});
}

// --- Coordinate systems --------------------------------------------------------

// A shapefile in UTM 33N -> map file -> shapefile keeps the coordinate system;
// reprojecting from the map file gives the source's positions.
TEST(TerrixCoordinateSystem, ShapefileUtmRoundTripAndReprojection) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  const std::string utm = dir.Path("utm.shp"), map = dir.Path("utm_map.tmf"), back = dir.Path("back.shp");
  RunOk(kOgr2Ogr + " -spat 9 35 21 60 -t_srs EPSG:32633 " + utm + " " + kCities);
  RunOk(kOgr2Ogr + " -f Terrix " + map + " " + utm + " -lco CODEPAGE=GB18030");
  RunOk(kOgr2Ogr + " " + back + " " + map + " -oo CODEPAGE=GB18030");
  EXPECT_EQ(ReadBytes(dir.Path("back.prj")), ReadBytes(dir.Path("utm.prj")));
  Dataset ds = OpenVector(map, kGb18030);
  ASSERT_TRUE(ds);
  const OGRSpatialReference* srs = ds->GetLayer(0)->GetSpatialRef();
  ASSERT_NE(srs, nullptr);
  EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "32633");
  EXPECT_EQ(ContentsOf(back), ContentsOf(utm));

  const std::string wgs84 = dir.Path("wgs84.geojson");
  RunOk(kOgr2Ogr + " -f GeoJSON -t_srs EPSG:4326 " + wgs84 + " " + map + " -oo CODEPAGE=GB18030");
  Dataset original = OpenVector(kCities), reprojected = OpenVector(wgs84);
  ASSERT_TRUE(original && reprojected);
  OGRLayer* lo = original->GetLayer(0);
  OGRLayer* lr = reprojected->GetLayer(0);
  lo->SetSpatialFilterRect(9, 35, 21, 60);
  ASSERT_GT(lr->GetFeatureCount(), 5);
  ASSERT_EQ(lr->GetFeatureCount(), lo->GetFeatureCount());
  for (auto& f : *lr) {
    std::unique_ptr<OGRFeature> o(lo->GetNextFeature());
    ASSERT_TRUE(o);
    EXPECT_STREQ(f->GetFieldAsString("name"), o->GetFieldAsString("name"));
    const OGRPoint* p = f->GetGeometryRef()->toPoint();
    const OGRPoint* q = o->GetGeometryRef()->toPoint();
    EXPECT_NEAR(p->getX(), q->getX(), 1e-7);
    EXPECT_NEAR(p->getY(), q->getY(), 1e-7);
  }
}

// NAME.prj that a shapefile of the same name owns is not overwritten with
// another coordinate system: the map file's is then said not to be kept.
TEST(TerrixCoordinateSystem, SharedSidecarLeftAsItIs) {
  if (kOgr2Ogr.empty()) GTEST_SKIP() << "gdal-bin is not installed";
  tb::TempDir dir;
  RunOk(kOgr2Ogr + " -spat 9 35 21 60 " + dir.Path("cities.shp") + " " + kCities);
  const std::string prj = ReadBytes(dir.Path("cities.prj"));
  const CommandRun run = Command(kOgr2Ogr + " -f Terrix -t_srs EPSG:32633 " + dir.Path("cities.tmf") + " " +
                                 dir.Path("cities.shp") + " -lco CODEPAGE=GB18030");
  EXPECT_EQ(run.status, 0) << run.out;
  ExpectExactlyTheWarnings(WarningsOf(run.out), {"the layer's coordinate system is not kept"}, run.out);
  EXPECT_EQ(ReadBytes(dir.Path("cities.prj")), prj);
  // With the same coordinate system, the shared sidecar serves both.
  const CommandRun same = Command(kOgr2Ogr + " -f Terrix " + dir.Path("cities.tmf") + " " +
                                  dir.Path("cities.shp") + " -lco CODEPAGE=GB18030");
  EXPECT_EQ(same.status, 0) << same.out;
  EXPECT_EQ(WarningsOf(same.out), std::vector<std::string>{}) << same.out;
  EXPECT_EQ(ReadBytes(dir.Path("cities.prj")), prj);
}
