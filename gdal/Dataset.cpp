#include "Dataset.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>

#include <algorithm>
#include <exception>

#include "OutputFile.h"
#include "Sidecar.h"
#include "VsiFiles.h"

namespace Terrix::Ogr {

namespace {

void EmitWarnings(const Convert::Diagnostics& diagnostics) {
  for (const std::string& warning : diagnostics.Warnings())
    CPLError(CE_Warning, CPLE_AppDefined, "%s", warning.c_str());
}

// A layer name as a file name: no directory separators, no leading dots.
std::string FileNameOf(const std::string& layer) {
  std::string name = layer;
  for (char& c : name)
    if (c == '/' || c == '\\' || c == '\0') c = '_';
  while (!name.empty() && name.front() == '.') name.erase(0, 1);
  return name.empty() ? std::string("layer") : name;
}

}  // namespace

MapDataset* MapDataset::Open(GDALOpenInfo* info) {
  auto dataset = std::make_unique<MapDataset>();
  dataset->path_ = info->pszFilename;
  dataset->update_ = info->eAccess == GA_Update;
  dataset->options_.codePage =
      CSLFetchNameValueDef(info->papszOpenOptions, "CODEPAGE", Convert::CodePage::kDefault);
  dataset->options_.lossy = CPLTestBool(CSLFetchNameValueDef(info->papszOpenOptions, "LOSSY", "NO"));
  dataset->SetDescription(info->pszFilename);
  if (info->bIsDirectory) {
    dataset->folder_ = true;
    std::vector<std::string> files;
    for (const std::string& name : ListDirectory(dataset->path_)) {
      const std::string file = CPLFormFilename(dataset->path_.c_str(), name.c_str(), nullptr);
      if (IsMapFile(file)) files.push_back(file);
    }
    if (files.empty()) return nullptr;  // another driver's folder, or none's
    if (dataset->update_ && !IsWritable(dataset->path_)) {
      CPLDebug("Terrix", "%s cannot be changed where it is: not opened for update", info->pszFilename);
      return nullptr;
    }
    for (const std::string& file : files) dataset->AddFile(file);
    if (dataset->layers_.empty()) {
      CPLError(CE_Failure, CPLE_OpenFailed, "%s: none of its map files can be opened", info->pszFilename);
      return nullptr;
    }
    return dataset.release();
  }
  if (!dataset->AddFile(dataset->path_)) return nullptr;
  if (dataset->update_ && !dataset->layers_.front().existing->Editable()) {
    // Not an error: GDAL's tools that ask for update first (ogrinfo -sql)
    // then open the file read-only.
    CPLDebug("Terrix", "%s cannot be changed where it is: not opened for update", info->pszFilename);
    return nullptr;
  }
  return dataset.release();
}

bool MapDataset::AddFile(const std::string& file) {
  try {
    auto page = std::make_shared<const Convert::CodePage>(options_.codePage);
    Convert::Diagnostics opening;
    FileLayerSetup setup;
    std::vector<Convert::LayerInfo> infos;
    {
      VsiScope vsi;
      Convert::MapFile map(file, opening);
      infos = map.Layers();
      setup.hasExtent = map.Extent(setup.extent);
      setup.projectionType = map.ProjectionType();
      setup.ticCount = map.TicCount();
      setup.editable = update_ && map.Kind() != FileKind::Network && IsWritable(file);
    }
    EmitWarnings(opening);
    setup.path = file;
    setup.codePage = page;
    setup.lossy = options_.lossy;
    OGRSpatialReference* srs = ReadSidecar(file);
    std::string base = CPLGetBasename(file.c_str());
    if (base.empty()) base = "map";
    std::vector<Entry> added;
    for (const Convert::LayerInfo& layer : infos) {
      setup.name = base;
      if (infos.size() > 1) setup.name += std::string("_") + Convert::ElementClassName(layer.elementClass);
      if (folder_) setup.name = UniqueName(setup.name);
      setup.layer = layer;
      const bool geometry = layer.elementClass != Convert::ElementClass::Row;
      setup.srs = geometry ? srs : nullptr;
      const bool hasExtent = setup.hasExtent;
      setup.hasExtent = hasExtent && geometry;
      Entry entry;
      auto opened = std::make_unique<FileLayer>(setup);
      setup.hasExtent = hasExtent;
      entry.existing = opened.get();
      entry.file = file;
      entry.layer = std::move(opened);
      added.push_back(std::move(entry));
    }
    if (srs != nullptr) srs->Release();
    for (Entry& entry : added) layers_.push_back(std::move(entry));
    return true;
  } catch (const std::exception& e) {
    if (folder_) {
      CPLError(CE_Warning, CPLE_OpenFailed, "%s; it is left out of %s", e.what(), path_.c_str());
    } else {
      CPLError(CE_Failure, CPLE_OpenFailed, "%s", e.what());
    }
    return false;
  }
}

std::string MapDataset::UniqueName(const std::string& name) const {
  auto taken = [&](const std::string& candidate) {
    return std::any_of(layers_.begin(), layers_.end(),
                       [&](const Entry& e) { return EQUAL(e.layer->GetName(), candidate.c_str()); });
  };
  if (!taken(name)) return name;
  for (int k = 1;; ++k)
    if (!taken(name + "_" + std::to_string(k))) return name + "_" + std::to_string(k);
}

MapDataset* MapDataset::Create(const std::string& path) {
  auto dataset = std::make_unique<MapDataset>();
  dataset->path_ = path;
  dataset->update_ = true;
  dataset->options_.codePage = Convert::CodePage::kDefault;
  dataset->SetDescription(path.c_str());
  const bool isFolder = IsDirectory(path);
  const bool standardOutput = STARTS_WITH(path.c_str(), "/vsistdout");
  const bool newFolder =
      !standardOutput && !Exists(path) && std::string(CPLGetExtension(path.c_str())).empty();
  if (isFolder || newFolder) {
    dataset->folder_ = true;
    if (isFolder) {
      // An existing folder: its map files are layers already.
      for (const std::string& name : ListDirectory(path)) {
        const std::string file = CPLFormFilename(path.c_str(), name.c_str(), nullptr);
        if (IsMapFile(file)) dataset->AddFile(file);
      }
    } else if (VSIMkdir(path.c_str(), 0777) != 0) {
      CPLError(CE_Failure, CPLE_OpenFailed, "%s: the folder cannot be made", path.c_str());
      return nullptr;
    }
    return dataset.release();
  }
  if (!IsVirtual(path)) {
    try {
      Convert::OutputFile probe(path);  // a file beside the destination, removed again
    } catch (const std::exception& e) {
      CPLError(CE_Failure, CPLE_OpenFailed, "%s", e.what());
      return nullptr;
    }
  }
  return dataset.release();
}

MapDataset::~MapDataset() {
  Finish();
}

OGRLayer* MapDataset::GetLayer(int index) {
  if (index < 0 || index >= GetLayerCount()) return nullptr;
  return layers_[static_cast<std::size_t>(index)].layer.get();
}

int MapDataset::TestCapability(const char* capability) {
  if (EQUAL(capability, ODsCCreateLayer)) return update_ && (folder_ || layers_.empty());
  if (EQUAL(capability, ODsCDeleteLayer) || EQUAL(capability, ODsCCurveGeometries)) return update_;
  if (EQUAL(capability, ODsCRandomLayerWrite)) return update_ && folder_;
  return FALSE;
}

OGRErr MapDataset::DeleteLayer(int index) {
  if (index < 0 || index >= GetLayerCount()) return OGRERR_FAILURE;
  Entry& entry = layers_[static_cast<std::size_t>(index)];
  if (!update_) {
    CPLError(CE_Failure, CPLE_NotSupported, "%s: opened read-only", path_.c_str());
    return OGRERR_FAILURE;
  }
  if (entry.existing != nullptr) {
    const auto sharing =
        std::count_if(layers_.begin(), layers_.end(), [&](const Entry& e) { return e.file == entry.file; });
    if (sharing > 1) {
      CPLError(CE_Failure, CPLE_NotSupported, "%s: the layer shares its file with another (a network file)",
               entry.file.c_str());
      return OGRERR_FAILURE;
    }
    if (!IsWritable(entry.file)) {
      CPLError(CE_Failure, CPLE_NotSupported, "%s cannot be removed where it is", entry.file.c_str());
      return OGRERR_FAILURE;
    }
    // The file goes at closing, unless a new layer is written over it: the
    // previous file stays until a new one is complete.
    removals_.push_back(entry.file);
  }
  layers_.erase(layers_.begin() + index);
  return OGRERR_NONE;
}

OGRLayer* MapDataset::ICreateLayer(const char* name, OGRSpatialReference* srs,
                                   OGRwkbGeometryType geometryType, char** options) {
  if (!update_) {
    CPLError(CE_Failure, CPLE_NotSupported, "%s: opened read-only", path_.c_str());
    return nullptr;
  }
  std::string file = path_;
  if (folder_) {
    file = CPLFormFilename(path_.c_str(), FileNameOf(name).c_str(), "tmf");
    for (const Entry& e : layers_)
      if (e.file == file || EQUAL(e.layer->GetName(), name)) {
        CPLError(CE_Failure, CPLE_AppDefined, "%s: a layer %s is there already (%s)", path_.c_str(), name,
                 e.file.c_str());
        return nullptr;
      }
    const auto removed = std::find(removals_.begin(), removals_.end(), file);
    if (removed != removals_.end()) {
      removals_.erase(removed);
    } else if (Exists(file)) {
      CPLError(CE_Failure, CPLE_AppDefined, "%s is there already and is not a map file of the folder",
               file.c_str());
      return nullptr;
    }
  } else if (!layers_.empty()) {
    CPLError(CE_Failure, CPLE_NotSupported,
             "%s: a map file holds one layer (a folder holds one map file per layer: name one without an "
             "extension)",
             path_.c_str());
    return nullptr;
  } else {
    removals_.clear();  // the one file is written anew
  }
  Convert::WriteOptions write;
  write.codePage = CSLFetchNameValueDef(options, "CODEPAGE", Convert::CodePage::kDefault);
  write.lossy = CPLTestBool(CSLFetchNameValueDef(options, "LOSSY", "NO"));
  write.codePageOption = "the layer creation option CODEPAGE set to";
  write.lossyOption = "the layer creation option LOSSY=YES";
  try {
    auto layer = std::make_unique<WriteLayer>(file, name, geometryType, write, srs, true);
    Entry entry;
    entry.created = layer.get();
    entry.file = file;
    entry.layer = std::move(layer);
    layers_.push_back(std::move(entry));
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_IllegalArg, "%s", e.what());
    return nullptr;
  }
  return layers_.back().layer.get();
}

void MapDataset::FlushCache(bool atClosing) {
  if (atClosing) {
    Finish();
    return;
  }
  for (Entry& e : layers_)
    if (e.existing != nullptr) e.existing->SaveChanges(false);
}

bool MapDataset::Finish() {
  if (finished_) return true;
  finished_ = true;
  bool ok = true;
  for (Entry& e : layers_) {
    if (e.existing != nullptr) ok = e.existing->SaveChanges(true) && ok;
    if (e.created != nullptr) ok = e.created->Finish() && ok;
  }
  for (const std::string& file : removals_) {
    if (VSIUnlink(file.c_str()) != 0) {
      CPLError(CE_Failure, CPLE_FileIO, "%s cannot be removed", file.c_str());
      ok = false;
      continue;
    }
    RemoveSidecar(file);
  }
  // GDAL's tools tell a failed close by the last message being an error.
  if (!ok && CPLGetLastErrorType() != CE_Failure)
    CPLError(CE_Failure, CPLE_AppDefined, "%s: not everything was written (see the messages above)",
             path_.c_str());
  return ok;
}

char** MapDataset::GetFileList() {
  CPLStringList files;
  for (const Entry& e : layers_) {
    if (files.FindString(e.file.c_str()) >= 0 || !Exists(e.file)) continue;
    files.AddString(e.file.c_str());
    // Not a sidecar that another file of the same name (a shapefile) owns too.
    const std::string sidecar = OwnSidecar(e.file);
    if (!sidecar.empty()) files.AddString(sidecar.c_str());
  }
  return files.StealList();
}

}  // namespace Terrix::Ogr
