#include "ReadLayer.h"

#include <cpl_error.h>

#include <exception>

#include "Encoding.h"
#include "OgrValues.h"
#include "Output.h"

namespace terrix::ogr {

namespace {

std::string BaseName(const std::string& path) {
  std::string base = CPLGetBasename(path.c_str());
  return base.empty() ? std::string("map") : base;
}

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
    default:
      return wkbNone;
  }
}

void ReportLibraryCode(CPLErr level, const std::string& what, std::int32_t code) {
  CPLError(level, CPLE_AppDefined, "%s: %s (%d)", what.c_str(), Terrix::ResultMessage(code),
           static_cast<int>(code));
}

}  // namespace

ReadLayer::ReadLayer(const std::string& path, std::size_t classIndex, const std::string& codePage)
    : file_(path), codePage_(codePage) {
  FileEncodingScope scope(codePage_);
  const auto classes = file_.Classes();
  info_ = classes.at(classIndex);
  std::string name = BaseName(path);
  if (classes.size() > 1) name += std::string("_") + ElementClassName(info_.elementClass);
  SetDescription(name.c_str());
  defn_ = new OGRFeatureDefn(name.c_str());
  defn_->Reference();
  defn_->SetGeomType(LayerGeometryType(info_.elementClass));

  table_ = file_.DescribeTable(info_.attributeSelector);
  // A file without a table for the class is normal; a table that fails to
  // load is reported and the elements come without values.
  if (table_.status != Terrix::Result::Success && table_.status != Terrix::Result::NotHandled)
    ReportLibraryCode(CE_Warning, path + ": attribute table of the " + ElementClassName(info_.elementClass),
                      table_.status);
  for (const FieldDesc& field : table_.fields) AddFieldDefn(*defn_, field);
  hasNote_ = info_.elementClass == ElementClass::Point;
  if (hasNote_) {
    OGRFieldDefn note(kNoteField, OFTString);
    defn_->AddFieldDefn(&note);
  }
}

ReadLayer::~ReadLayer() {
  defn_->Release();
}

bool ReadLayer::InUse(int index) {
  // The element records are in memory once loaded: no coordinates are read.
  return info_.elementClass == ElementClass::Row ||
         file_.ReadGeometry(info_.elementClass, index, nullptr) == Terrix::Result::Success;
}

OGRFeature* ReadLayer::ReadFeature(int index) {
  if (!InUse(index)) return nullptr;
  auto feature = std::make_unique<OGRFeature>(defn_);
  feature->SetFID(index);
  Shape shape;
  std::string note;
  const std::int32_t rc = file_.ReadElement(info_.elementClass, index, shape, hasNote_ ? &note : nullptr);
  if (rc == Terrix::Result::Success) {
    feature->SetGeometryDirectly(GeometryOf(shape));
  } else {
    // The record is in use but its shape cannot be read (a damaged file):
    // the feature comes without a geometry.
    ReportLibraryCode(
        CE_Warning,
        file_.Path() + ": " + ElementClassName(info_.elementClass) + " element " + std::to_string(index), rc);
  }
  if (index < table_.recordCount) {
    for (std::size_t f = 0; f < table_.fields.size(); ++f)
      SetFieldFromValue(*feature, static_cast<int>(f), table_.fields[f].typeCode,
                        file_.ReadValue(table_, index, f));
  }
  if (hasNote_ && !note.empty()) feature->SetField(static_cast<int>(table_.fields.size()), note.c_str());
  return feature.release();
}

OGRFeature* ReadLayer::GetNextRawFeature() {
  try {
    FileEncodingScope scope(codePage_);
    while (next_ < info_.count) {
      OGRFeature* feature = ReadFeature(next_++);
      if (feature != nullptr) return feature;
    }
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
  }
  return nullptr;
}

OGRFeature* ReadLayer::GetFeature(GIntBig fid) {
  if (fid < 0 || fid >= info_.count) return nullptr;
  try {
    FileEncodingScope scope(codePage_);
    return ReadFeature(static_cast<int>(fid));
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
    return nullptr;
  }
}

GIntBig ReadLayer::GetFeatureCount(int force) {
  if (m_poFilterGeom != nullptr || m_poAttrQuery != nullptr) return OGRLayer::GetFeatureCount(force);
  // The stored count includes deleted elements: count the live ones from the
  // element records alone, once.
  if (liveCount_ < 0) {
    GIntBig live = 0;
    for (int i = 0; i < info_.count; ++i) live += InUse(i) ? 1 : 0;
    liveCount_ = live;
  }
  return liveCount_;
}

OGRErr ReadLayer::GetExtent(OGREnvelope* extent, int) {
  if (!HasGeometry()) return OGRERR_FAILURE;
  // The extent the file stores for all its elements.
  file_.Reader().GetExtentInfo(&extent->MinX, &extent->MinY, &extent->MaxX, &extent->MaxY);
  return OGRERR_NONE;
}

OGRErr ReadLayer::GetExtent(int geomField, OGREnvelope* extent, int force) {
  if (geomField != 0) return OGRERR_FAILURE;
  return GetExtent(extent, force);
}

int ReadLayer::TestCapability(const char* capability) {
  if (EQUAL(capability, OLCRandomRead) || EQUAL(capability, OLCStringsAsUTF8)) return TRUE;
  if (EQUAL(capability, OLCFastFeatureCount)) return m_poFilterGeom == nullptr && m_poAttrQuery == nullptr;
  if (EQUAL(capability, OLCFastGetExtent)) return HasGeometry();
  return FALSE;
}

ReadDataset* ReadDataset::Open(const std::string& path, const std::string& codePage) {
  try {
    FileEncodingScope scope(codePage);
    auto dataset = std::make_unique<ReadDataset>();
    VectorFile file(path);
    const std::size_t classes = file.Classes().size();
    for (std::size_t c = 0; c < classes; ++c)
      dataset->layers_.push_back(std::make_unique<ReadLayer>(path, c, codePage));
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

}  // namespace terrix::ogr
