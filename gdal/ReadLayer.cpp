#include "ReadLayer.h"

#include <cpl_conv.h>
#include <cpl_error.h>

#include <algorithm>
#include <exception>

#include "OgrValues.h"

namespace Terrix::Ogr {

using Convert::ElementClass;

namespace {

OGRwkbGeometryType LayerGeometryType(ElementClass c) {
  switch (c) {
    case ElementClass::Point:
    case ElementClass::Node:
      return wkbPoint;
    case ElementClass::Line:
    case ElementClass::Arc:
      return wkbLineString;
    case ElementClass::Region:
      // As the shapefile driver declares it: features are Polygon, or
      // MultiPolygon when the rings make several polygons.
      return wkbPolygon;
    case ElementClass::Row:
      return wkbNone;
  }
  return wkbNone;
}

void EmitWarnings(const Convert::Diagnostics& diagnostics) {
  for (const std::string& warning : diagnostics.Warnings())
    CPLError(CE_Warning, CPLE_AppDefined, "%s", warning.c_str());
}

}  // namespace

ReadLayer::ReadLayer(const std::string& path, const std::string& name, const Convert::LayerInfo& layer,
                     std::shared_ptr<const Convert::CodePage> codePage, const double* extent)
    : path_(path), codePage_(std::move(codePage)), count_(layer.count) {
  Convert::Diagnostics opening;
  reader_ = std::make_unique<Convert::FeatureReader>(path, layer, *codePage_, &opening);
  EmitWarnings(opening);
  SetDescription(name.c_str());
  defn_ = new OGRFeatureDefn(name.c_str());
  defn_->Reference();
  defn_->SetGeomType(LayerGeometryType(layer.elementClass));
  for (const Convert::FieldDef& field : reader_->Fields()) AddFieldDefn(*defn_, field);
  // The note field is there only when a point of the file has a note.
  if (reader_->HoldsNotes()) {
    noteField_ = defn_->GetFieldCount();
    OGRFieldDefn note(kNoteField, OFTString);
    defn_->AddFieldDefn(&note);
  }
  skipped_.assign(reader_->Fields().size(), false);
  if (extent != nullptr) {
    hasExtent_ = true;
    extent_.MinX = extent[0];
    extent_.MinY = extent[1];
    extent_.MaxX = extent[2];
    extent_.MaxY = extent[3];
  }
}

ReadLayer::~ReadLayer() {
  ReportOnce();
  defn_->Release();
}

void ReadLayer::ReportOnce() {
  if (reported_) return;
  Convert::Diagnostics found;
  reader_->Changes().Report(reader_->Fields(), *codePage_, path_, found);
  if (unreadable_ > 0)
    found.Warn(path_ + ": " + std::to_string(unreadable_) + " " +
               Convert::ElementClassName(reader_->Layer().elementClass) +
               " in use could not be read whole (the first: element " + std::to_string(firstUnreadable_) +
               ", " + ResultMessage(firstCode_) + " (" + std::to_string(firstCode_) +
               ")); they come without geometry");
  EmitWarnings(found);
  reported_ = !found.Warnings().empty();
}

OGRFeature* ReadLayer::ReadFeature(std::int32_t index) {
  const std::int32_t rc = reader_->Read(index, feature_);
  if (rc == Result::NotInUse) return nullptr;
  auto* feature = new OGRFeature(defn_);
  feature->SetFID(index);
  if (rc == Result::Success) {
    if (!defn_->IsGeometryIgnored()) feature->SetGeometryDirectly(GeometryOf(feature_.shape));
  } else if (unreadable_++ == 0) {
    // In use, but its shape cannot be read (a damaged file): what could be
    // read comes without a geometry.
    firstUnreadable_ = index;
    firstCode_ = rc;
  }
  const std::size_t fields = std::min(feature_.values.size(), skipped_.size());
  for (std::size_t f = 0; f < fields; ++f)
    if (!skipped_[f]) SetFieldFromValue(*feature, static_cast<int>(f), feature_.values[f]);
  if (noteField_ >= 0 && !skipNote_) {
    if (feature_.hasNote)
      feature->SetField(noteField_, feature_.note.c_str());
    else
      feature->SetFieldNull(noteField_);
  }
  return feature;
}

OGRFeature* ReadLayer::GetNextRawFeature() {
  try {
    while (next_ < count_) {
      OGRFeature* feature = ReadFeature(next_++);
      if (feature != nullptr) return feature;
    }
    ReportOnce();
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
  }
  return nullptr;
}

OGRFeature* ReadLayer::GetFeature(GIntBig fid) {
  if (fid < 0 || fid >= count_) return nullptr;
  try {
    return ReadFeature(static_cast<std::int32_t>(fid));
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
    return nullptr;
  }
}

OGRErr ReadLayer::SetNextByIndex(GIntBig index) {
  if (Filtered()) return OGRLayer::SetNextByIndex(index);
  if (index < 0) return OGRERR_FAILURE;
  // The index counts live elements: without deleted ones it is the element
  // number; otherwise the element records (no coordinates) are walked.
  if (GetFeatureCount(TRUE) == count_) {
    next_ = static_cast<std::int32_t>(std::min<GIntBig>(index, count_));
    return index < count_ ? OGRERR_NONE : OGRERR_FAILURE;
  }
  GIntBig seen = 0;
  for (std::int32_t i = 0; i < count_; ++i) {
    if (!reader_->InUse(i)) continue;
    if (seen++ == index) {
      next_ = i;
      return OGRERR_NONE;
    }
  }
  next_ = count_;
  return OGRERR_FAILURE;
}

GIntBig ReadLayer::GetFeatureCount(int force) {
  if (Filtered()) return OGRLayer::GetFeatureCount(force);
  // The stored count includes deleted elements: the live ones are counted
  // from the element records alone, once.
  if (liveCount_ < 0) liveCount_ = reader_->CountLive();
  return liveCount_;
}

OGRErr ReadLayer::GetExtent(OGREnvelope* extent, int) {
  if (!hasExtent_) return OGRERR_FAILURE;
  *extent = extent_;  // the extent the file stores for all its elements
  return OGRERR_NONE;
}

OGRErr ReadLayer::GetExtent(int geomField, OGREnvelope* extent, int force) {
  if (geomField != 0) return OGRERR_FAILURE;
  return GetExtent(extent, force);
}

OGRErr ReadLayer::SetIgnoredFields(const char** fields) {
  const OGRErr rc = OGRLayer::SetIgnoredFields(fields);
  if (rc != OGRERR_NONE) return rc;
  for (std::size_t f = 0; f < skipped_.size(); ++f)
    skipped_[f] = defn_->GetFieldDefn(static_cast<int>(f))->IsIgnored() != 0;
  skipNote_ = noteField_ >= 0 && defn_->GetFieldDefn(noteField_)->IsIgnored() != 0;
  reader_->SkipFields(skipped_);
  reader_->SkipGeometry(defn_->IsGeometryIgnored() != 0);
  return OGRERR_NONE;
}

int ReadLayer::TestCapability(const char* capability) {
  if (EQUAL(capability, OLCRandomRead) || EQUAL(capability, OLCStringsAsUTF8) ||
      EQUAL(capability, OLCIgnoreFields))
    return TRUE;
  if (EQUAL(capability, OLCFastFeatureCount) || EQUAL(capability, OLCFastSetNextByIndex)) return !Filtered();
  if (EQUAL(capability, OLCFastGetExtent)) return hasExtent_;
  return FALSE;
}

ReadDataset* ReadDataset::Open(const std::string& path, const std::string& codePage) {
  try {
    auto page = std::make_shared<const Convert::CodePage>(codePage);
    auto dataset = std::make_unique<ReadDataset>();
    dataset->SetDescription(path.c_str());
    Convert::Diagnostics opening;
    Convert::MapFile file(path, opening);
    EmitWarnings(opening);
    double extent[4] = {};
    const bool hasExtent = file.Extent(extent);
    std::string base = CPLGetBasename(path.c_str());
    if (base.empty()) base = "map";
    for (const Convert::LayerInfo& layer : file.Layers()) {
      std::string name = base;
      if (file.Layers().size() > 1) name += std::string("_") + Convert::ElementClassName(layer.elementClass);
      const bool geometry = layer.elementClass != ElementClass::Row;
      dataset->layers_.push_back(
          std::make_unique<ReadLayer>(path, name, layer, page, hasExtent && geometry ? extent : nullptr));
    }
    return dataset.release();
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_OpenFailed, "%s", e.what());
    return nullptr;
  }
}

OGRLayer* ReadDataset::GetLayer(int index) {
  if (index < 0 || index >= GetLayerCount()) return nullptr;
  return layers_[static_cast<std::size_t>(index)].get();
}

}  // namespace Terrix::Ogr
