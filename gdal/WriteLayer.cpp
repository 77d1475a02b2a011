#include "WriteLayer.h"

#include <cpl_error.h>
#include <cpl_string.h>

#include <cstdint>
#include <exception>

#include "Encoding.h"
#include "GeoJsonImport.h"
#include "OgrValues.h"
#include "Output.h"

namespace terrix::ogr {

namespace {

constexpr const char* kDefaultCodePage = "GBK";
constexpr const char* kToolPrefix = "terrix:";

bool IsToolField(const char* name) {
  return std::string(name).rfind(kToolPrefix, 0) == 0;
}

bool FitsLong(std::int64_t v) {
  return v >= INT32_MIN && v <= INT32_MAX;
}

}  // namespace

WriteLayer::WriteLayer(const char* name, OGRwkbGeometryType geometryType, const std::string& codePage)
    : codePage_(codePage) {
  SetDescription(name);
  defn_ = new OGRFeatureDefn(name);
  defn_->Reference();
  defn_->SetGeomType(geometryType);
}

WriteLayer::~WriteLayer() {
  defn_->Release();
}

int WriteLayer::TestCapability(const char* capability) {
  return EQUAL(capability, OLCSequentialWrite) || EQUAL(capability, OLCCreateField) ||
         EQUAL(capability, OLCStringsAsUTF8);
}

OGRErr WriteLayer::CreateField(OGRFieldDefn* field, int) {
  defn_->AddFieldDefn(field);
  beyondLong_.push_back(false);
  return OGRERR_NONE;
}

OGRErr WriteLayer::ICreateFeature(OGRFeature* feature) {
  try {
    Json properties = Json::object();
    for (int i = 0; i < defn_->GetFieldCount(); ++i) {
      Json value = ValueOf(*feature, i);
      if (value.is_number_integer() && !FitsLong(value.get<std::int64_t>()))
        beyondLong_[static_cast<std::size_t>(i)] = true;
      properties[defn_->GetFieldDefn(i)->GetNameRef()] = std::move(value);
    }
    const OGRGeometry* geometry = feature->GetGeometryRef();
    if (firstGeometryType_ == wkbNone && geometry != nullptr && !geometry->IsEmpty())
      firstGeometryType_ = geometry->getGeometryType();
    feature->SetFID(static_cast<GIntBig>(features_.size()));
    features_.push_back(
        Json{{"type", "Feature"}, {"geometry", GeometryJson(geometry)}, {"properties", properties}});
    return OGRERR_NONE;
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
    return OGRERR_FAILURE;
  }
}

bool WriteLayer::WriteFile(const std::string& path) {
  try {
    ImportKind kind = ImportKind::Table;
    if (!KindOfGeometryType(defn_->GetGeomType(), kind)) KindOfGeometryType(firstGeometryType_, kind);
    FileEncodingScope scope(codePage_);
    std::vector<FieldPlan> plans;
    for (int i = 0; i < defn_->GetFieldCount(); ++i) {
      const OGRFieldDefn& field = *defn_->GetFieldDefn(i);
      if (IsToolField(field.GetNameRef())) continue;
      plans.push_back(FieldPlan{field.GetNameRef(),
                                TypeCodeForField(field, beyondLong_[static_cast<std::size_t>(i)]), 0, true});
    }
    SizeFields(plans, features_);
    if (kind == ImportKind::Table && plans.empty() && !features_.empty()) {
      CPLError(CE_Failure, CPLE_AppDefined,
               "%s: a table file keeps its rows as attribute records: it needs fields", path.c_str());
      return false;
    }
    const ImportReport report = WriteFeatures(features_, plans, path, kind);
    if (report.skipped > 0)
      CPLError(CE_Warning, CPLE_AppDefined,
               "%s: %ld features without a geometry of the file's kind were not written", path.c_str(),
               report.skipped);
    return true;
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
    return false;
  }
}

WriteDataset* WriteDataset::Create(const std::string& path) {
  try {
    PendingOutput probe(path);  // a file beside the destination, removed again
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_OpenFailed, "%s", e.what());
    return nullptr;
  }
  auto* dataset = new WriteDataset();
  dataset->path_ = path;
  dataset->SetDescription(path.c_str());
  return dataset;
}

WriteDataset::~WriteDataset() {
  if (layer_) layer_->WriteFile(path_);
}

int WriteDataset::TestCapability(const char* capability) {
  return EQUAL(capability, ODsCCreateLayer) && !layer_;
}

OGRLayer* WriteDataset::ICreateLayer(const char* name, OGRSpatialReference*, OGRwkbGeometryType geometryType,
                                     char** options) {
  if (layer_) {
    CPLError(CE_Failure, CPLE_NotSupported, "%s: a map file holds one layer", path_.c_str());
    return nullptr;
  }
  const std::string codePage = CSLFetchNameValueDef(options, "CODEPAGE", kDefaultCodePage);
  try {
    FileEncodingScope check(codePage);
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_IllegalArg, "%s: %s", path_.c_str(), e.what());
    return nullptr;
  }
  layer_ = std::make_unique<WriteLayer>(name, geometryType, codePage);
  return layer_.get();
}

}  // namespace terrix::ogr
