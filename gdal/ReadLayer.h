// Reading map files through OGR: one layer per element class of the file
// (a network file: NAME_arcs and NAME_nodes), each on a feature reader of
// its own.
#pragma once

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <string>
#include <vector>

#include "CodePage.h"
#include "MapReader.h"

namespace Terrix::Ogr {

/// Feature ids are element numbers. Deleted elements are passed over by
/// sequential reads and give no feature from GetFeature. Spatial and attribute
/// filters are OGR's generic ones. What reading changed (text that does not
/// decode, invalid stored values, elements that cannot be read whole) is
/// reported once, as a warning, at the end of the first complete pass or when
/// the layer closes.
class ReadLayer final : public OGRLayer, public OGRGetNextFeatureThroughRaw<ReadLayer> {
  DEFINE_GET_NEXT_FEATURE_THROUGH_RAW(ReadLayer)

 public:
  /// Throws ConversionError when the file cannot be opened for the layer.
  ReadLayer(const std::string& path, const std::string& name, const Convert::LayerInfo& layer,
            std::shared_ptr<const Convert::CodePage> codePage, const double* extent);
  ~ReadLayer() override;
  ReadLayer(const ReadLayer&) = delete;
  ReadLayer& operator=(const ReadLayer&) = delete;

  void ResetReading() override { next_ = 0; }
  OGRFeature* GetFeature(GIntBig fid) override;
  OGRErr SetNextByIndex(GIntBig index) override;
  OGRFeatureDefn* GetLayerDefn() override { return defn_; }
  GIntBig GetFeatureCount(int force) override;
  OGRErr GetExtent(OGREnvelope* extent, int force) override;
  OGRErr GetExtent(int geomField, OGREnvelope* extent, int force) override;
  OGRErr SetIgnoredFields(const char** fields) override;
  int TestCapability(const char* capability) override;

 private:
  OGRFeature* GetNextRawFeature();
  /// The feature of element `index`; null for a deleted one.
  OGRFeature* ReadFeature(std::int32_t index);
  bool Filtered() const { return m_poFilterGeom != nullptr || m_poAttrQuery != nullptr; }
  void ReportOnce();

  std::string path_;
  std::shared_ptr<const Convert::CodePage> codePage_;
  std::unique_ptr<Convert::FeatureReader> reader_;
  Convert::Feature feature_;
  OGRFeatureDefn* defn_ = nullptr;
  int noteField_ = -1;  // the OGR index of "terrix:note", or -1
  bool skipNote_ = false;
  std::vector<bool> skipped_;
  std::int32_t count_ = 0;  // element numbers
  std::int32_t next_ = 0;
  GIntBig liveCount_ = -1;
  bool hasExtent_ = false;
  OGREnvelope extent_;
  // Elements in use that could not be read whole, and the first one's code.
  std::int64_t unreadable_ = 0;
  std::int32_t firstUnreadable_ = -1, firstCode_ = 0;
  bool reported_ = false;
};

/// A map file opened read-only.
class ReadDataset final : public GDALDataset {
 public:
  /// Opens the layers of the file; null after a CPLError when the file is
  /// refused or the code page cannot be used.
  static ReadDataset* Open(const std::string& path, const std::string& codePage);

  int GetLayerCount() override { return static_cast<int>(layers_.size()); }
  OGRLayer* GetLayer(int index) override;
  int TestCapability(const char*) override { return FALSE; }

 private:
  std::vector<std::unique_ptr<ReadLayer>> layers_;
};

}  // namespace Terrix::Ogr
