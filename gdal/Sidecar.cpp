#include "Sidecar.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>

#include <memory>
#include <vector>

#include "VsiFiles.h"

namespace Terrix::Ogr {

namespace {

struct SrsReleaser {
  void operator()(OGRSpatialReference* srs) const {
    if (srs != nullptr) srs->Release();
  }
};
using Srs = std::unique_ptr<OGRSpatialReference, SrsReleaser>;

// Other files named NAME.* beside NAME.prj than the map file: a shapefile's
// parts, say, which own the sidecar as much as the map file does.
std::vector<std::string> SharersOf(const std::string& mapPath) {
  std::vector<std::string> sharers;
  const std::string base = CPLGetBasename(mapPath.c_str());
  const std::string self = CPLGetFilename(mapPath.c_str());
  std::string dir = CPLGetPath(mapPath.c_str());
  if (dir.empty()) dir = ".";
  for (const std::string& name : ListDirectory(dir)) {
    if (name == self || CPLGetBasename(name.c_str()) != base) continue;
    if (EQUAL(CPLGetExtension(name.c_str()), "prj") || STARTS_WITH(name.c_str(), (self + ".partial").c_str()))
      continue;
    sharers.push_back(name);
  }
  return sharers;
}

// The sidecar that exists (NAME.prj, else NAME.PRJ), or empty.
std::string ExistingSidecar(const std::string& mapPath) {
  const std::string lower = CPLResetExtension(mapPath.c_str(), "prj");
  if (Exists(lower)) return lower;
  const std::string upper = CPLResetExtension(mapPath.c_str(), "PRJ");
  return Exists(upper) ? upper : std::string();
}

Srs ParseSidecar(const std::string& text) {
  Srs srs(new OGRSpatialReference());
  // WKT of any version; ESRI's dialect is recognised as such and its names
  // made GDAL's.
  OGRErr rc = srs->importFromWkt(text.c_str());
  if (rc != OGRERR_NONE) {
    char** lines = CSLTokenizeString2(text.c_str(), "\r\n", 0);
    rc = srs->importFromESRI(lines);
    CSLDestroy(lines);
  }
  if (rc != OGRERR_NONE) return nullptr;
  // ESRI WKT names no authority: the best match restores it, as for
  // shapefiles.
  if (srs->GetAuthorityName(nullptr) == nullptr) {
    if (OGRSpatialReference* match = srs->FindBestMatch()) srs.reset(match);
  }
  srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

}  // namespace

std::string SidecarPath(const std::string& mapPath) {
  return CPLResetExtension(mapPath.c_str(), "prj");
}

OGRSpatialReference* ReadSidecar(const std::string& mapPath) {
  const std::string path = ExistingSidecar(mapPath);
  if (path.empty()) return nullptr;
  std::string text;
  Srs srs;
  if (ReadTextFile(path, text)) {
    CPLErrorStateBackuper keep;
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    srs = ParseSidecar(text);
  }
  if (!srs)
    CPLError(CE_Warning, CPLE_AppDefined, "%s: not a coordinate system GDAL can read; the layer has none",
             path.c_str());
  return srs.release();
}

std::string SidecarText(const OGRSpatialReference& srs) {
  CPLErrorStateBackuper keep;
  CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
  for (const char* format : {"FORMAT=WKT1", "FORMAT=WKT2_2018"}) {
    char* wkt = nullptr;
    const char* const options[] = {format, nullptr};
    if (srs.exportToWkt(&wkt, options) == OGRERR_NONE && wkt != nullptr && *wkt != '\0') {
      std::string text = wkt;
      CPLFree(wkt);
      return text;
    }
    CPLFree(wkt);
  }
  return {};
}

bool WriteSidecar(const std::string& mapPath, const OGRSpatialReference* srs) {
  const std::string existing = ExistingSidecar(mapPath);
  const std::vector<std::string> sharers = existing.empty() ? std::vector<std::string>() : SharersOf(mapPath);
  if (srs == nullptr) {
    if (existing.empty()) return true;
    if (sharers.empty()) return VSIUnlink(existing.c_str()) == 0;
    CPLError(CE_Warning, CPLE_AppDefined,
             "%s: the layer has no coordinate system, but %s (shared with %s) gives one: reading %s "
             "will take it; write the map file under a name no other file has to avoid that",
             mapPath.c_str(), existing.c_str(), sharers.front().c_str(), mapPath.c_str());
    return false;
  }
  const std::string text = SidecarText(*srs);
  if (text.empty()) {
    CPLError(CE_Warning, CPLE_AppDefined,
             "%s: the layer's coordinate system is not kept: it cannot be written as WKT", mapPath.c_str());
    return false;
  }
  if (!existing.empty()) {
    Srs there(ReadSidecar(mapPath));
    if (there && there->IsSame(srs)) return true;  // it says the same already
    if (!sharers.empty()) {
      CPLError(CE_Warning, CPLE_AppDefined,
               "%s: the layer's coordinate system is not kept: %s, shared with %s, gives another, and "
               "is left as it is; write the map file under a name no other file has to keep it",
               mapPath.c_str(), existing.c_str(), sharers.front().c_str());
      return false;
    }
    if (existing != SidecarPath(mapPath)) VSIUnlink(existing.c_str());
  }
  if (!WriteTextFile(SidecarPath(mapPath), text)) {
    CPLError(CE_Warning, CPLE_AppDefined, "%s: the layer's coordinate system is not kept", mapPath.c_str());
    return false;
  }
  return true;
}

std::string OwnSidecar(const std::string& mapPath) {
  const std::string existing = ExistingSidecar(mapPath);
  return !existing.empty() && SharersOf(mapPath).empty() ? existing : std::string();
}

void RemoveSidecar(const std::string& mapPath) {
  const std::string own = OwnSidecar(mapPath);
  if (!own.empty()) VSIUnlink(own.c_str());
}

}  // namespace Terrix::Ogr
