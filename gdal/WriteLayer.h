// Writing map files through OGR: one layer per file, streamed into the
// conversion layer's feature writer as the features arrive (shapes go to the
// library's writer at once, values into its compact row store) and written
// when the dataset closes. A target of GDAL's virtual file systems (/vsimem/,
// /vsistdout/) is written as a local file first and copied there when
// complete, as the library's writer needs to seek.
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
#include "VsiFiles.h"

namespace Terrix::Ogr {

/// The layer of a new file. The file kind comes from the layer's geometry
/// type (points, lines, polygons; none: a table file) or, for a type that does
/// not decide it, from the first feature with a geometry. A field
/// "terrix:note" gives a point's note. The writer's warnings reach CPLError as
/// they arise. After a feature is refused the file is not written: later
/// features are refused too, and closing leaves nothing behind. The layer's
/// coordinate system goes beside the file (Sidecar.h) when `sidecar` is set.
class WriteLayer final : public OGRLayer {
 public:
  /// Throws ConversionError when the file cannot be written there or the code
  /// page is unknown.
  WriteLayer(const std::string& path, const char* name, OGRwkbGeometryType geometryType,
             const Convert::WriteOptions& options, const OGRSpatialReference* srs, bool sidecar);
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
  /// The file the layer writes.
  const std::string& Path() const { return path_; }

 private:
  void Fail(const std::string& what);
  /// A message of the conversion layer naming the file as the user named it.
  std::string AsTold(const std::string& message) const;

  std::string path_;   // the target
  std::string local_;  // where the library writes, when not the target itself
  std::unique_ptr<LocalScratch> scratch_;
  OGRSpatialReference* srs_ = nullptr;
  bool sidecar_ = false;
  OGRFeatureDefn* defn_ = nullptr;
  Convert::Diagnostics diagnostics_;
  std::unique_ptr<Convert::FeatureWriter> writer_;
  std::vector<FieldPlan> plans_;  // per OGR field
  std::int64_t linearised_ = 0;   // features whose curves became line segments
  bool failed_ = false;
};

}  // namespace Terrix::Ogr
