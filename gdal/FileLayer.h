// The layers of an existing map file: one per element class of the file (a
// network file: NAME_arcs and NAME_nodes), each on a feature reader of its
// own; opened for update, a layer takes deletions, changed and new features
// and new fields, and saves them when the dataset closes.
#pragma once

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CodePage.h"
#include "MapReader.h"
#include "MapWriter.h"

namespace Terrix::Ogr {

/// What a layer of an existing file is given when it opens.
struct FileLayerSetup {
  std::string path;
  std::string name;
  Convert::LayerInfo layer;
  std::shared_ptr<const Convert::CodePage> codePage;
  bool hasExtent = false;
  double extent[4] = {};
  OGRSpatialReference* srs = nullptr;  // not owned; the layer keeps a reference
  /// Opened for update and the file can be changed where it is.
  bool editable = false;
  bool lossy = false;      // a rewrite stores what the format cannot hold changed, with warnings
  int projectionType = 0;  // the file's projection parameters (0: none) and control points,
  int ticCount = 0;        // which a rewrite does not keep
};

/// Feature ids are element numbers, and features added during an update
/// follow them. Deleted elements are passed over by sequential reads and give
/// no feature from GetFeature. Spatial and attribute filters are OGR's generic
/// ones. What reading changed (text that does not decode, invalid stored
/// values, elements that cannot be read whole) is reported once, as a
/// warning, at the end of the first complete pass or when the layer closes.
///
/// Editing: deletions alone are made in place, through the library's editing
/// reader (an element's state byte set to 0), when the dataset is flushed or
/// closes. Anything else (a changed or new feature, a new field, a deletion in
/// a table file) waits in memory and makes the dataset's close write the file
/// anew through the feature writer, every live feature with the changes; the
/// file is replaced only when the new one is complete.
class FileLayer final : public OGRLayer, public OGRGetNextFeatureThroughRaw<FileLayer> {
  DEFINE_GET_NEXT_FEATURE_THROUGH_RAW(FileLayer)

 public:
  /// Throws ConversionError when the file cannot be opened for the layer.
  explicit FileLayer(const FileLayerSetup& setup);
  ~FileLayer() override;
  FileLayer(const FileLayer&) = delete;
  FileLayer& operator=(const FileLayer&) = delete;

  void ResetReading() override { next_ = 0; }
  OGRFeature* GetFeature(GIntBig fid) override;
  OGRErr SetNextByIndex(GIntBig index) override;
  OGRFeatureDefn* GetLayerDefn() override { return defn_; }
  GIntBig GetFeatureCount(int force) override;
  OGRErr GetExtent(OGREnvelope* extent, int force) override;
  OGRErr GetExtent(int geomField, OGREnvelope* extent, int force) override;
  OGRErr SetIgnoredFields(const char** fields) override;
  int TestCapability(const char* capability) override;

  OGRErr DeleteFeature(GIntBig fid) override;
  OGRErr ISetFeature(OGRFeature* feature) override;
  OGRErr ICreateFeature(OGRFeature* feature) override;
  OGRErr CreateField(OGRFieldDefn* field, int approxOK) override;

  const std::string& Path() const { return path_; }
  bool Editable() const { return editable_; }
  /// Writes what changed: deletions in place (also before closing), anything
  /// else by writing the file anew (at closing only). False after a CPLError.
  bool SaveChanges(bool closing);

 private:
  OGRFeature* GetNextRawFeature();
  /// The feature of element `index` as the file has it; null for a deleted one.
  OGRFeature* ReadFeature(std::int32_t index);
  /// The feature `fid` with this session's changes; null when there is none.
  OGRFeature* FeatureWithChanges(GIntBig fid);
  bool Filtered() const { return m_poFilterGeom != nullptr || m_poAttrQuery != nullptr; }
  bool Edited() const { return !deleted_.empty() || NeedsRewrite(); }
  bool NeedsRewrite() const;
  bool Refuse(const char* what) const;
  /// A copy of the feature on this layer's definition.
  std::unique_ptr<OGRFeature> Copy(const OGRFeature& feature) const;
  bool DeleteInPlace();
  bool Rewrite();
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
  std::int32_t next_ = 0;   // element numbers, then features added
  GIntBig liveCount_ = -1;  // live elements of the file
  bool hasExtent_ = false;
  OGREnvelope extent_;
  // Elements in use that could not be read whole, and the first one's code.
  std::int64_t unreadable_ = 0;
  std::int32_t firstUnreadable_ = -1, firstCode_ = 0;
  bool reported_ = false;

  // Changes of an update.
  bool editable_ = false;
  bool lossy_ = false;
  int projectionType_ = 0, ticCount_ = 0;
  std::set<std::int32_t> deleted_;  // live elements deleted this session
  std::size_t deletedInPlace_ = 0;  // the first ones of deleted_ (in order of deletion) already written
  std::vector<std::int32_t> deletionOrder_;
  std::map<std::int32_t, std::unique_ptr<OGRFeature>> replaced_;
  std::vector<std::unique_ptr<OGRFeature>> added_;  // null: added, then deleted
  GIntBig addedLive_ = 0;
  int fieldsAdded_ = 0;
  bool saved_ = false;
};

}  // namespace Terrix::Ogr
