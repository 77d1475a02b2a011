// A dataset of the driver: one map file, or a folder whose every map file
// is a layer (as shapefiles make a folder a dataset), read-only, opened for
// update, or new.
#pragma once

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <string>
#include <vector>

#include "FileLayer.h"
#include "WriteLayer.h"

namespace Terrix::Ogr {

/// Open and creation options the dataset keeps for the layers it opens.
struct DatasetOptions {
  std::string codePage;
  bool lossy = false;
};

class MapDataset final : public GDALDataset {
 public:
  /// A map file, or a folder holding map files (null, without an error, for a
  /// folder without any). Null after a CPLError when a single file is refused.
  static MapDataset* Open(GDALOpenInfo* info);
  /// A new map file; a folder for a new path without an extension or an
  /// existing folder (which is then opened for update). Null after a CPLError.
  static MapDataset* Create(const std::string& path);
  /// Writes what changed and the new layers. GDAL 3.6 has no way to return a
  /// failure from closing: it is reported through CPLError only.
  ~MapDataset() override;

  int GetLayerCount() override { return static_cast<int>(layers_.size()); }
  OGRLayer* GetLayer(int index) override;
  int TestCapability(const char* capability) override;
  OGRErr DeleteLayer(int index) override;
  /// Deletions are written in place whenever asked; new files and files
  /// written anew only at closing (a file can be laid out only once every
  /// feature is known).
  void FlushCache(bool atClosing) override;
  char** GetFileList() override;

 protected:
  OGRLayer* ICreateLayer(const char* name, OGRSpatialReference* srs, OGRwkbGeometryType geometryType,
                         char** options) override;

 private:
  struct Entry {
    std::unique_ptr<OGRLayer> layer;
    std::string file;
    FileLayer* existing = nullptr;  // one of these two
    WriteLayer* created = nullptr;
  };
  /// Adds the layers of one map file; false after a message (an error for a
  /// single file, a warning for a file of a folder, which is left out).
  bool AddFile(const std::string& file);
  std::string UniqueName(const std::string& name) const;
  bool Finish();

  std::string path_;
  bool folder_ = false;
  bool update_ = false;
  DatasetOptions options_;
  std::vector<Entry> layers_;
  std::vector<std::string> removals_;  // files of deleted layers, removed at closing unless written anew
  bool finished_ = false;
};

}  // namespace Terrix::Ogr
