// Writing map files through OGR: one layer per file, streamed into the
// conversion layer's feature writer as the features arrive (shapes go to the
// library's writer at once, values into its compact row store) and written
// when the dataset closes.
#pragma once

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Diagnostics.h"
#include "MapWriter.h"
#include "OgrValues.h"

namespace Terrix::Ogr {

/// The layer of a new file. The file kind comes from the layer's geometry
/// type (points, lines, polygons; none: a table file) or, for a type that does
/// not decide it, from the first feature with a geometry. A field
/// "terrix:note" gives a point's note. The writer's warnings reach CPLError as
/// they arise. After a feature is refused the file is not written: later
/// features are refused too, and closing leaves nothing behind.
class WriteLayer final : public OGRLayer {
 public:
  /// Throws ConversionError when the file cannot be written there or the code
  /// page is unknown.
  WriteLayer(const std::string& path, const char* name, OGRwkbGeometryType geometryType,
             const Convert::WriteOptions& options);
  ~WriteLayer() override;
  WriteLayer(const WriteLayer&) = delete;
  WriteLayer& operator=(const WriteLayer&) = delete;

  void ResetReading() override {}
  OGRFeature* GetNextFeature() override { return nullptr; }
  OGRFeatureDefn* GetLayerDefn() override { return defn_; }
  GIntBig GetFeatureCount(int) override { return writer_ ? writer_->FeatureCount() : 0; }
  int TestCapability(const char* capability) override;
  OGRErr CreateField(OGRFieldDefn* field, int approxOK) override;
  OGRErr ICreateFeature(OGRFeature* feature) override;

  /// Writes the file (once); reports through CPLError and answers false when
  /// it is not written.
  bool Finish();

 private:
  void Fail(const char* what);

  std::string path_;
  OGRFeatureDefn* defn_ = nullptr;
  Convert::Diagnostics diagnostics_;
  std::unique_ptr<Convert::FeatureWriter> writer_;
  std::vector<FieldPlan> plans_;  // per OGR field
  std::int64_t linearised_ = 0;   // features whose curves became line segments
  bool failed_ = false;
};

/// A new map file: it takes one layer and appears, complete, on close.
class WriteDataset final : public GDALDataset {
 public:
  /// Checks that the file can be written there; null after a CPLError.
  static WriteDataset* Create(const std::string& path);
  /// Writes the file unless that was done. GDAL 3.6 has no way to return a
  /// failure from closing: it is reported through CPLError only.
  ~WriteDataset() override;

  int GetLayerCount() override { return layer_ ? 1 : 0; }
  OGRLayer* GetLayer(int index) override { return index == 0 ? layer_.get() : nullptr; }
  int TestCapability(const char* capability) override;
  /// At closing, writes the file; before, there is nothing to flush (the
  /// file can only be laid out once every feature is known).
  void FlushCache(bool atClosing) override;

 protected:
  OGRLayer* ICreateLayer(const char* name, OGRSpatialReference* srs, OGRwkbGeometryType geometryType,
                         char** options) override;

 private:
  std::string path_;
  std::unique_ptr<WriteLayer> layer_;
};

}  // namespace Terrix::Ogr
