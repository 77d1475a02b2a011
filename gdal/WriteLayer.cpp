#include "WriteLayer.h"

#include <cpl_error.h>
#include <cpl_string.h>

#include <exception>

#include "OutputFile.h"

namespace Terrix::Ogr {

namespace {

constexpr const char* kToolPrefix = "terrix:";

void Warn(const std::string& message) {
  CPLError(CE_Warning, CPLE_AppDefined, "%s", message.c_str());
}

}  // namespace

WriteLayer::WriteLayer(const std::string& path, const char* name, OGRwkbGeometryType geometryType,
                       const Convert::WriteOptions& options)
    : path_(path) {
  diagnostics_.sink = Warn;
  FileKind kind = FileKind::Line;
  const bool decided = KindOfGeometryType(geometryType, kind);
  writer_ = std::make_unique<Convert::FeatureWriter>(
      path, decided ? std::optional<FileKind>(kind) : std::nullopt, options, diagnostics_);
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
         EQUAL(capability, OLCStringsAsUTF8) || EQUAL(capability, OLCFastFeatureCount) ||
         // Curves arrive as they are, so that linearising them is reported.
         EQUAL(capability, OLCCurveGeometries);
}

void WriteLayer::Fail(const char* what) {
  failed_ = true;
  CPLError(CE_Failure, CPLE_AppDefined, "%s; %s is not written", what, path_.c_str());
}

OGRErr WriteLayer::CreateField(OGRFieldDefn* field, int) {
  if (!writer_) return OGRERR_FAILURE;
  try {
    Convert::FieldType declared = Convert::FieldType::String;
    FieldPlan plan = PlanOf(*field, declared);
    const std::string name = field->GetNameRef();
    if (name.rfind(kToolPrefix, 0) == 0 && name != kNoteField)
      Warn(path_ + ": field " + Convert::Quoted(name) +
           " is not written: names starting with \"terrix:\" are reserved for the format's tools");
    if (plan.asText)
      Warn(path_ + ": field " + Convert::Quoted(name) + " of type " +
           OGRFieldDefn::GetFieldTypeName(plan.type) +
           " is stored as text (its values as OGR writes them): the format has no such type");
    plan.writerField = writer_->AddField(name, declared);
    defn_->AddFieldDefn(field);
    plans_.push_back(plan);
    return OGRERR_NONE;
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
    return OGRERR_FAILURE;
  }
}

OGRErr WriteLayer::ICreateFeature(OGRFeature* feature) {
  if (failed_ || !writer_) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s: not written, as an earlier feature was refused",
             path_.c_str());
    return OGRERR_FAILURE;
  }
  try {
    Convert::GeometryInput& shape = writer_->Shape();
    if (const OGRGeometry* geometry = feature->GetGeometryRef(); geometry != nullptr)
      if (AddGeometry(*geometry, shape)) ++linearised_;
    const int fields = std::min(feature->GetFieldCount(), static_cast<int>(plans_.size()));
    for (int i = 0; i < fields; ++i) {
      if (!feature->IsFieldSetAndNotNull(i)) continue;
      const FieldPlan& plan = plans_[static_cast<std::size_t>(i)];
      ValueFromField(*feature, i, plan, writer_->ValueOf(plan.writerField));
    }
    const GIntBig fid = feature->GetFID();
    const GIntBig index = writer_->FeatureCount();
    if (fid != OGRNullFID) writer_->SetFeatureId(fid);
    writer_->Commit();
    if (fid == OGRNullFID) feature->SetFID(index);
    return OGRERR_NONE;
  } catch (const std::exception& e) {
    Fail(e.what());
    return OGRERR_FAILURE;
  }
}

bool WriteLayer::Finish() {
  if (!writer_) return false;
  std::unique_ptr<Convert::FeatureWriter> writer = std::move(writer_);
  if (failed_) return false;  // the writer leaves nothing behind
  try {
    if (linearised_ > 0)
      Warn(path_ + ": " + std::to_string(linearised_) + (linearised_ == 1 ? " feature" : " features") +
           " with curves: the curves were replaced by line segments (the format holds straight segments "
           "only)");
    writer->Finish();
    return true;
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
    return false;
  }
}

WriteDataset* WriteDataset::Create(const std::string& path) {
  try {
    Convert::OutputFile probe(path);  // a file beside the destination, removed again
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
  WriteDataset::FlushCache(true);
}

void WriteDataset::FlushCache(bool atClosing) {
  if (atClosing && layer_) layer_->Finish();
}

int WriteDataset::TestCapability(const char* capability) {
  if (EQUAL(capability, ODsCCurveGeometries)) return TRUE;
  return EQUAL(capability, ODsCCreateLayer) && !layer_;
}

OGRLayer* WriteDataset::ICreateLayer(const char* name, OGRSpatialReference*, OGRwkbGeometryType geometryType,
                                     char** options) {
  if (layer_) {
    CPLError(CE_Failure, CPLE_NotSupported, "%s: a map file holds one layer", path_.c_str());
    return nullptr;
  }
  Convert::WriteOptions write;
  write.codePage = CSLFetchNameValueDef(options, "CODEPAGE", Convert::CodePage::kDefault);
  write.lossy = CPLTestBool(CSLFetchNameValueDef(options, "LOSSY", "NO"));
  write.codePageOption = "the layer creation option CODEPAGE set to";
  write.lossyOption = "the layer creation option LOSSY=YES";
  try {
    layer_ = std::make_unique<WriteLayer>(path_, name, geometryType, write);
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_IllegalArg, "%s", e.what());
    return nullptr;
  }
  return layer_.get();
}

}  // namespace Terrix::Ogr
