// Writing map files through OGR: one layer per file, collected in memory and
// written when the dataset closes (the library's writer lays a file out in
// one pass), through the terrix tool's feature writer.
#pragma once

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <string>
#include <vector>

#include "VectorModel.h"

namespace terrix::ogr {

/// The layer of a new file. The file kind comes from the layer's geometry
/// type (points, lines, polygons; none: a table file) or, for a type that
/// does not decide it, from the first feature with a geometry. Multi*
/// geometries become elements as in the terrix tool: a MultiPoint one point
/// per part, a MultiLineString one line per part, a MultiPolygon one polygon
/// with every ring. A string field "terrix:note" gives the note of a point.
class WriteLayer final : public OGRLayer {
 public:
  WriteLayer(const char* name, OGRwkbGeometryType geometryType, const std::string& codePage);
  ~WriteLayer() override;
  WriteLayer(const WriteLayer&) = delete;
  WriteLayer& operator=(const WriteLayer&) = delete;

  void ResetReading() override {}
  OGRFeature* GetNextFeature() override { return nullptr; }
  OGRFeatureDefn* GetLayerDefn() override { return defn_; }
  int TestCapability(const char* capability) override;
  OGRErr CreateField(OGRFieldDefn* field, int approxOK) override;
  OGRErr ICreateFeature(OGRFeature* feature) override;

  /// Writes the file; reports through CPLError and answers false on failure.
  bool WriteFile(const std::string& path);

 private:
  OGRFeatureDefn* defn_ = nullptr;
  std::string codePage_;
  Json features_ = Json::array();
  std::vector<bool> beyondLong_;  // per field: an Integer64 value outside 32 bits
  OGRwkbGeometryType firstGeometryType_ = wkbNone;
};

/// A new map file: it takes one layer and appears, complete, on close.
class WriteDataset final : public GDALDataset {
 public:
  /// Checks that the file can be written; null after a CPLError.
  static WriteDataset* Create(const std::string& path);
  ~WriteDataset() override;

  int GetLayerCount() override { return layer_ ? 1 : 0; }
  OGRLayer* GetLayer(int index) override { return index == 0 ? layer_.get() : nullptr; }
  int TestCapability(const char* capability) override;

 protected:
  OGRLayer* ICreateLayer(const char* name, OGRSpatialReference* srs, OGRwkbGeometryType geometryType,
                         char** options) override;

 private:
  std::string path_;
  std::unique_ptr<WriteLayer> layer_;
};

}  // namespace terrix::ogr
