// Reading map files through OGR: one layer per element class of the file
// (network files: arcs and nodes), each on its own reader.
#pragma once

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <string>
#include <vector>

#include "VectorModel.h"

namespace terrix::ogr {

/// The name of the field that carries the note text of a point.
constexpr const char* kNoteField = "terrix:note";

/// Feature ids are element indices (element i is record i + 1 of its table).
/// Deleted elements are passed over by sequential reads and give no feature
/// from GetFeature. Spatial and attribute filters are OGR's generic ones.
class ReadLayer final : public OGRLayer, public OGRGetNextFeatureThroughRaw<ReadLayer> {
  DEFINE_GET_NEXT_FEATURE_THROUGH_RAW(ReadLayer)

 public:
  /// Opens the file for the class `classIndex` of its classes; throws
  /// ToolError when the library refuses it.
  ReadLayer(const std::string& path, std::size_t classIndex, const std::string& codePage);
  ~ReadLayer() override;
  ReadLayer(const ReadLayer&) = delete;
  ReadLayer& operator=(const ReadLayer&) = delete;

  void ResetReading() override { next_ = 0; }
  OGRFeature* GetFeature(GIntBig fid) override;
  OGRFeatureDefn* GetLayerDefn() override { return defn_; }
  GIntBig GetFeatureCount(int force) override;
  OGRErr GetExtent(OGREnvelope* extent, int force) override;
  OGRErr GetExtent(int geomField, OGREnvelope* extent, int force) override;
  int TestCapability(const char* capability) override;

 private:
  OGRFeature* GetNextRawFeature();
  /// The feature of element `index`, or null when it is not in use (or the
  /// element cannot be read at all, which is reported).
  OGRFeature* ReadFeature(int index);
  bool InUse(int index);
  bool HasGeometry() const { return info_.elementClass != ElementClass::Row; }

  VectorFile file_;
  ClassInfo info_{};
  TableDesc table_;
  std::string codePage_;
  OGRFeatureDefn* defn_ = nullptr;
  bool hasNote_ = false;
  int next_ = 0;
  GIntBig liveCount_ = -1;
};

/// A map file opened read-only.
class ReadDataset final : public GDALDataset {
 public:
  /// Opens the layers of the file; null after a CPLError when the library
  /// refuses the file or the code page cannot be used.
  static ReadDataset* Open(const std::string& path, const std::string& codePage);

  int GetLayerCount() override { return static_cast<int>(layers_.size()); }
  OGRLayer* GetLayer(int index) override;
  int TestCapability(const char*) override { return FALSE; }

 private:
  std::vector<std::unique_ptr<ReadLayer>> layers_;
};

}  // namespace terrix::ogr
