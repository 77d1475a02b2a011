#include "WriteLayer.h"

#include <cpl_error.h>
#include <cpl_string.h>

#include <exception>

#include "OutputFile.h"
#include "Sidecar.h"

namespace Terrix::Ogr {

namespace {

constexpr const char* kToolPrefix = "terrix:";

void Warn(const std::string& message) {
  CPLError(CE_Warning, CPLE_AppDefined, "%s", message.c_str());
}

}  // namespace

WriteLayer::WriteLayer(const std::string& path, const char* name, OGRwkbGeometryType geometryType,
                       const Convert::WriteOptions& options, const OGRSpatialReference* srs, bool sidecar)
    : path_(path), sidecar_(sidecar) {
  diagnostics_.sink = [this](const std::string& message) { Warn(AsTold(message)); };
  FileKind kind = FileKind::Line;
  const bool decided = KindOfGeometryType(geometryType, kind);
  std::string written = path;
  if (IsVirtual(path)) {
    // The library seeks while it writes: it writes a local file, copied into
    // the target when complete.
    scratch_ = std::make_unique<LocalScratch>();
    std::string file = CPLGetFilename(path.c_str());
    if (file.empty() || file.find_first_not_of('.') == std::string::npos) file = "map.tmf";
    local_ = scratch_->Path() + "/" + file;
    written = local_;
  }
  try {
    writer_ = std::make_unique<Convert::FeatureWriter>(
        written, decided ? std::optional<FileKind>(kind) : std::nullopt, options, diagnostics_);
  } catch (const Convert::ConversionError& e) {
    throw Convert::ConversionError(AsTold(e.what()));
  }
  SetDescription(name);
  defn_ = new OGRFeatureDefn(name);
  defn_->Reference();
  defn_->SetGeomType(geometryType);
  if (srs != nullptr && geometryType != wkbNone) {
    srs_ = srs->Clone();
    srs_->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    defn_->GetGeomFieldDefn(0)->SetSpatialRef(srs_);
    if (sidecar_ && STARTS_WITH(path.c_str(), "/vsistdout")) {
      sidecar_ = false;
      Warn(path +
           ": the layer's coordinate system is not kept: standard output takes the map file "
           "alone (write to a file to keep it beside the map file, as NAME.prj)");
    }
  }
}

WriteLayer::~WriteLayer() {
  defn_->Release();
  if (srs_ != nullptr) srs_->Release();
}

std::string WriteLayer::AsTold(const std::string& message) const {
  if (local_.empty()) return message;
  std::string told = message;
  for (std::size_t at = 0; (at = told.find(local_, at)) != std::string::npos; at += path_.size())
    told.replace(at, local_.size(), path_);
  return told;
}

int WriteLayer::TestCapability(const char* capability) {
  return EQUAL(capability, OLCSequentialWrite) || EQUAL(capability, OLCCreateField) ||
         EQUAL(capability, OLCStringsAsUTF8) || EQUAL(capability, OLCFastFeatureCount) ||
         // Curves arrive as they are, so that linearising them is reported.
         EQUAL(capability, OLCCurveGeometries);
}

void WriteLayer::Fail(const std::string& what) {
  failed_ = true;
  CPLError(CE_Failure, CPLE_AppDefined, "%s; %s is not written", AsTold(what).c_str(), path_.c_str());
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
    CPLError(CE_Failure, CPLE_AppDefined, "%s", AsTold(e.what()).c_str());
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
    if (!local_.empty()) CopyIntoTarget(local_, path_);
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", AsTold(e.what()).c_str());
    return false;
  }
  if (sidecar_) WriteSidecar(path_, srs_);
  return true;
}

}  // namespace Terrix::Ogr
