// The driver "Terrix": registration, identification by magic, open and create.
// GDAL loads ogr_Terrix.so from GDAL_DRIVER_PATH and calls RegisterOGRTerrix,
// the name it derives from the file name.
#include <TerrixLib.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>

#include <string>

#include "Dataset.h"

namespace Terrix::Ogr {

namespace {

constexpr const char* kDriverName = "Terrix";

// Point, line, region, network and table files, by their magic alone; a
// folder may hold map files (Open looks).
int Identify(GDALOpenInfo* info) {
  if (info->bIsDirectory) return GDAL_IDENTIFY_UNKNOWN;
  if (info->nHeaderBytes < static_cast<int>(kMagicLength)) return FALSE;
  return IdentifyFile(info->pabyHeader, static_cast<std::size_t>(info->nHeaderBytes)).format ==
         FileFormat::VectorMap;
}

GDALDataset* Open(GDALOpenInfo* info) {
  if (Identify(info) == FALSE) return nullptr;
  return MapDataset::Open(info);
}

GDALDataset* Create(const char* name, int, int, int bands, GDALDataType, char**) {
  if (bands != 0) {
    CPLError(CE_Failure, CPLE_NotSupported, "the Terrix driver writes vector data only");
    return nullptr;
  }
  return MapDataset::Create(name);
}

}  // namespace

}  // namespace Terrix::Ogr

extern "C" __attribute__((visibility("default"))) void RegisterOGRTerrix() {
  using namespace Terrix::Ogr;
  if (!GDAL_CHECK_VERSION(kDriverName)) return;
  if (GDALGetDriverByName(kDriverName) != nullptr) return;
  auto* driver = new GDALDriver();
  driver->SetDescription(kDriverName);
  driver->SetMetadataItem(GDAL_DCAP_VECTOR, "YES");
  driver->SetMetadataItem(GDAL_DCAP_CREATE, "YES");
  driver->SetMetadataItem(GDAL_DMD_LONGNAME, "Terrix vector map file");
  driver->SetMetadataItem(GDAL_DMD_EXTENSIONS, "tmf");
  driver->SetMetadataItem(GDAL_DCAP_VIRTUALIO, "YES");
  driver->SetMetadataItem(GDAL_DCAP_OPEN, "YES");
  driver->SetMetadataItem(GDAL_DMD_CREATIONFIELDDATATYPES,
                          "Integer Integer64 Real String Date DateTime Time Binary");
  driver->SetMetadataItem(GDAL_DMD_CREATIONFIELDDATASUBTYPES, "Boolean Int16 Float32");
  driver->SetMetadataItem(GDAL_DMD_OPENOPTIONLIST,
                          "<OpenOptionList>"
                          "<Option name='CODEPAGE' type='string' default='GBK' "
                          "description='8-bit code page of the file (GBK, GB18030, UTF-8, CP1252, any iconv "
                          "name)'/>"
                          "<Option name='LOSSY' type='boolean' default='NO' "
                          "description='When a file opened for update is written anew, store what it cannot "
                          "hold with changes, each kind reported, instead of failing'/>"
                          "</OpenOptionList>");
  driver->SetMetadataItem(GDAL_DS_LAYER_CREATIONOPTIONLIST,
                          "<LayerCreationOptionList>"
                          "<Option name='CODEPAGE' type='string' default='GBK' "
                          "description='8-bit code page for field names, strings and notes (GB18030 holds "
                          "every character)'/>"
                          "<Option name='LOSSY' type='boolean' default='NO' "
                          "description='Store what the file cannot hold with changes (characters as ?, "
                          "notes cut, unwritable shapes skipped), each kind reported, instead of "
                          "failing'/>"
                          "</LayerCreationOptionList>");
  driver->pfnIdentify = Identify;
  driver->pfnOpen = Open;
  driver->pfnCreate = Create;
  GetGDALDriverManager()->RegisterDriver(driver);
}
