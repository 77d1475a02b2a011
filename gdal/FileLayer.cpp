#include "FileLayer.h"

#include <cpl_conv.h>
#include <cpl_error.h>

#include <algorithm>
#include <exception>

#include "OgrValues.h"
#include "VsiFiles.h"
#include "WriteLayer.h"

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

FileLayer::FileLayer(const FileLayerSetup& setup)
    : path_(setup.path),
      codePage_(setup.codePage),
      count_(setup.layer.count),
      editable_(setup.editable),
      lossy_(setup.lossy),
      projectionType_(setup.projectionType),
      ticCount_(setup.ticCount) {
  Convert::Diagnostics opening;
  {
    // The reader keeps the hooks it was opened with for all its reads.
    VsiScope vsi;
    reader_ = std::make_unique<Convert::FeatureReader>(path_, setup.layer, *codePage_, &opening);
  }
  EmitWarnings(opening);
  SetDescription(setup.name.c_str());
  defn_ = new OGRFeatureDefn(setup.name.c_str());
  defn_->Reference();
  defn_->SetGeomType(LayerGeometryType(setup.layer.elementClass));
  if (setup.srs != nullptr && defn_->GetGeomFieldCount() > 0)
    defn_->GetGeomFieldDefn(0)->SetSpatialRef(setup.srs);
  for (const Convert::FieldDef& field : reader_->Fields()) AddFieldDefn(*defn_, field);
  // The note field is there only when a point of the file has a note.
  if (reader_->HoldsNotes()) {
    noteField_ = defn_->GetFieldCount();
    OGRFieldDefn note(kNoteField, OFTString);
    defn_->AddFieldDefn(&note);
  }
  skipped_.assign(reader_->Fields().size(), false);
  if (setup.hasExtent) {
    hasExtent_ = true;
    extent_.MinX = setup.extent[0];
    extent_.MinY = setup.extent[1];
    extent_.MaxX = setup.extent[2];
    extent_.MaxY = setup.extent[3];
  }
}

FileLayer::~FileLayer() {
  ReportOnce();
  defn_->Release();
}

void FileLayer::ReportOnce() {
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

OGRFeature* FileLayer::ReadFeature(std::int32_t index) {
  const std::int32_t rc = reader_->Read(index, feature_);
  if (rc == Result::NotInUse) return nullptr;
  auto* feature = new OGRFeature(defn_);
  feature->SetFID(index);
  if (rc == Result::Success) {
    if (!defn_->IsGeometryIgnored()) {
      OGRGeometry* geometry = GeometryOf(feature_.shape);
      if (geometry != nullptr) geometry->assignSpatialReference(GetSpatialRef());
      feature->SetGeometryDirectly(geometry);
    }
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

OGRFeature* FileLayer::FeatureWithChanges(GIntBig fid) {
  if (fid < 0) return nullptr;
  if (fid >= count_) {
    const GIntBig slot = fid - count_;
    if (slot >= static_cast<GIntBig>(added_.size()) || !added_[static_cast<std::size_t>(slot)])
      return nullptr;
    return added_[static_cast<std::size_t>(slot)]->Clone();
  }
  const auto index = static_cast<std::int32_t>(fid);
  if (deleted_.count(index) > 0) return nullptr;
  if (const auto found = replaced_.find(index); found != replaced_.end()) return found->second->Clone();
  return ReadFeature(index);
}

OGRFeature* FileLayer::GetNextRawFeature() {
  try {
    const GIntBig end = count_ + static_cast<GIntBig>(added_.size());
    while (next_ < end) {
      OGRFeature* feature = FeatureWithChanges(next_++);
      if (feature != nullptr) return feature;
    }
    ReportOnce();
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
  }
  return nullptr;
}

OGRFeature* FileLayer::GetFeature(GIntBig fid) {
  try {
    return FeatureWithChanges(fid);
  } catch (const std::exception& e) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
    return nullptr;
  }
}

OGRErr FileLayer::SetNextByIndex(GIntBig index) {
  if (Filtered() || Edited()) return OGRLayer::SetNextByIndex(index);
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

GIntBig FileLayer::GetFeatureCount(int force) {
  if (Filtered()) return OGRLayer::GetFeatureCount(force);
  // The stored count includes deleted elements: the live ones are counted
  // from the element records alone, once.
  if (liveCount_ < 0) liveCount_ = reader_->CountLive();
  return liveCount_ - static_cast<GIntBig>(deleted_.size()) + addedLive_;
}

OGRErr FileLayer::GetExtent(OGREnvelope* extent, int force) {
  // Changed or new features may reach beyond the stored extent.
  if (NeedsRewrite()) return OGRLayer::GetExtent(extent, force);
  if (!hasExtent_) return OGRERR_FAILURE;
  *extent = extent_;  // the extent the file stores for all its elements
  return OGRERR_NONE;
}

OGRErr FileLayer::GetExtent(int geomField, OGREnvelope* extent, int force) {
  if (geomField != 0) return OGRERR_FAILURE;
  return GetExtent(extent, force);
}

OGRErr FileLayer::SetIgnoredFields(const char** fields) {
  const OGRErr rc = OGRLayer::SetIgnoredFields(fields);
  if (rc != OGRERR_NONE) return rc;
  for (std::size_t f = 0; f < skipped_.size(); ++f)
    skipped_[f] = defn_->GetFieldDefn(static_cast<int>(f))->IsIgnored() != 0;
  skipNote_ = noteField_ >= 0 && defn_->GetFieldDefn(noteField_)->IsIgnored() != 0;
  reader_->SkipFields(skipped_);
  reader_->SkipGeometry(defn_->IsGeometryIgnored() != 0);
  return OGRERR_NONE;
}

int FileLayer::TestCapability(const char* capability) {
  if (EQUAL(capability, OLCRandomRead) || EQUAL(capability, OLCStringsAsUTF8) ||
      EQUAL(capability, OLCIgnoreFields))
    return TRUE;
  if (EQUAL(capability, OLCFastFeatureCount)) return !Filtered();
  if (EQUAL(capability, OLCFastSetNextByIndex)) return !Filtered() && !Edited();
  if (EQUAL(capability, OLCFastGetExtent)) return hasExtent_ && !NeedsRewrite();
  if (EQUAL(capability, OLCSequentialWrite) || EQUAL(capability, OLCRandomWrite) ||
      EQUAL(capability, OLCDeleteFeature) || EQUAL(capability, OLCCreateField) ||
      EQUAL(capability, OLCCurveGeometries))
    return editable_;
  return FALSE;
}

bool FileLayer::NeedsRewrite() const {
  const bool tableRows = !deleted_.empty() && reader_->Layer().elementClass == ElementClass::Row;
  return tableRows || !replaced_.empty() || !added_.empty() || fieldsAdded_ > 0;
}

bool FileLayer::Refuse(const char* what) const {
  if (editable_) return false;
  CPLError(CE_Failure, CPLE_NotSupported, "%s: cannot %s: %s", path_.c_str(), what,
           reader_->Layer().elementClass == ElementClass::Arc ||
                   reader_->Layer().elementClass == ElementClass::Node
               ? "network files cannot be changed"
               : "the file is open read-only or cannot be written where it is");
  return true;
}

std::unique_ptr<OGRFeature> FileLayer::Copy(const OGRFeature& feature) const {
  if (feature.GetDefnRef() == defn_) return std::unique_ptr<OGRFeature>(feature.Clone());
  // A feature of another definition gives the fields of the same names.
  auto copy = std::make_unique<OGRFeature>(defn_);
  copy->SetFrom(&feature, TRUE);
  return copy;
}

OGRErr FileLayer::DeleteFeature(GIntBig fid) {
  if (Refuse("delete features")) return OGRERR_FAILURE;
  if (fid >= count_) {
    const GIntBig slot = fid - count_;
    if (slot >= static_cast<GIntBig>(added_.size()) || !added_[static_cast<std::size_t>(slot)])
      return OGRERR_NON_EXISTING_FEATURE;
    added_[static_cast<std::size_t>(slot)].reset();
    --addedLive_;
    return OGRERR_NONE;
  }
  if (fid < 0) return OGRERR_NON_EXISTING_FEATURE;
  const auto index = static_cast<std::int32_t>(fid);
  if (deleted_.count(index) > 0 || !reader_->InUse(index)) return OGRERR_NON_EXISTING_FEATURE;
  deleted_.insert(index);
  deletionOrder_.push_back(index);
  replaced_.erase(index);
  return OGRERR_NONE;
}

OGRErr FileLayer::ISetFeature(OGRFeature* feature) {
  if (Refuse("change features")) return OGRERR_FAILURE;
  const GIntBig fid = feature->GetFID();
  if (fid == OGRNullFID) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s: SetFeature needs a feature id", path_.c_str());
    return OGRERR_FAILURE;
  }
  std::unique_ptr<OGRFeature> copy = Copy(*feature);
  copy->SetFID(fid);
  if (fid >= count_) {
    const GIntBig slot = fid - count_;
    if (slot >= static_cast<GIntBig>(added_.size()) || !added_[static_cast<std::size_t>(slot)])
      return OGRERR_NON_EXISTING_FEATURE;
    added_[static_cast<std::size_t>(slot)] = std::move(copy);
    return OGRERR_NONE;
  }
  if (fid < 0) return OGRERR_NON_EXISTING_FEATURE;
  const auto index = static_cast<std::int32_t>(fid);
  if (deleted_.count(index) > 0 || !reader_->InUse(index)) return OGRERR_NON_EXISTING_FEATURE;
  replaced_[index] = std::move(copy);
  return OGRERR_NONE;
}

OGRErr FileLayer::ICreateFeature(OGRFeature* feature) {
  if (Refuse("add features")) return OGRERR_FAILURE;
  // New features follow the file's elements, whatever id they came with.
  const GIntBig fid = count_ + static_cast<GIntBig>(added_.size());
  std::unique_ptr<OGRFeature> copy = Copy(*feature);
  copy->SetFID(fid);
  feature->SetFID(fid);
  added_.push_back(std::move(copy));
  ++addedLive_;
  return OGRERR_NONE;
}

OGRErr FileLayer::CreateField(OGRFieldDefn* field, int) {
  if (Refuse("add fields")) return OGRERR_FAILURE;
  if (defn_->GetFieldIndex(field->GetNameRef()) >= 0) {
    CPLError(CE_Failure, CPLE_AppDefined, "%s: the layer has a field %s already", path_.c_str(),
             field->GetNameRef());
    return OGRERR_FAILURE;
  }
  defn_->AddFieldDefn(field);
  ++fieldsAdded_;
  // The features kept in memory grow by the new field, unset.
  std::vector<int> remap(static_cast<std::size_t>(defn_->GetFieldCount()));
  for (std::size_t i = 0; i < remap.size(); ++i) remap[i] = static_cast<int>(i);
  remap.back() = -1;
  for (auto& [index, f] : replaced_) f->RemapFields(nullptr, remap.data());
  for (auto& f : added_)
    if (f) f->RemapFields(nullptr, remap.data());
  return OGRERR_NONE;
}

bool FileLayer::SaveChanges(bool closing) {
  if (saved_ || !editable_) return true;
  if (NeedsRewrite()) {
    if (!closing) return true;  // the file is written anew once, at the end
    saved_ = true;
    return Rewrite();
  }
  if (closing) saved_ = true;
  return DeleteInPlace();
}

bool FileLayer::DeleteInPlace() {
  if (deletedInPlace_ == deletionOrder_.size()) return true;
  const ElementClass elementClass = reader_->Layer().elementClass;
  VsiScope vsi;
  Terrix_Reader editor;
  std::int32_t rc = editor.Open(Convert::Utf8ToWide(path_).c_str());
  for (std::size_t i = deletedInPlace_; i < deletionOrder_.size() && rc == Result::Success; ++i) {
    const std::int32_t index = deletionOrder_[i];
    // An element is deleted by the state byte of its record: 0 for not in use.
    if (elementClass == ElementClass::Point) {
      TERRIX_PntInfo record{};
      rc = editor.ReadPointInfo(index, &record, nullptr);
      record.state = 0;
      if (rc == Result::Success) rc = editor.SetPointInfo(index, record);
    } else if (elementClass == ElementClass::Line) {
      TERRIX_LineInfo record{};
      rc = editor.ReadArcInfo(index, &record, nullptr);
      record.state = 0;
      if (rc == Result::Success) rc = editor.SetArcInfo(index, record);
    } else if (elementClass == ElementClass::Region) {
      TERRIX_RegInfo record{};
      rc = editor.ReadPolygonInfo(index, &record, nullptr);
      record.state = 0;
      if (rc == Result::Success) rc = editor.SetPolygonInfo(index, record);
    } else {
      rc = Result::NotHandled;
    }
  }
  if (rc == Result::Success) rc = editor.WriteGeomInfo();
  if (rc != Result::Success) {
    CPLError(CE_Failure, CPLE_FileIO, "%s: the deletions cannot be written: %s (%d)", path_.c_str(),
             ResultMessage(rc), static_cast<int>(rc));
    return false;
  }
  deletedInPlace_ = deletionOrder_.size();
  return true;
}

bool FileLayer::Rewrite() {
  // Every feature is read whole again, whatever the client ignored.
  std::fill(skipped_.begin(), skipped_.end(), false);
  skipNote_ = false;
  reader_->SkipFields(skipped_);
  reader_->SkipGeometry(false);
  OGRFeatureDefn* defn = defn_;
  const bool ignoredGeometry = defn->IsGeometryIgnored() != 0;
  defn->SetGeometryIgnored(FALSE);

  Convert::WriteOptions options;
  options.codePage = codePage_->Name();
  options.lossy = lossy_;
  options.codePageOption = "the open option CODEPAGE set to";
  options.lossyOption = "the open option LOSSY=YES";
  std::string kept;
  if (projectionType_ != 0)
    kept += "its projection parameters (type " + std::to_string(projectionType_) + ")";
  if (ticCount_ > 0)
    kept += (kept.empty() ? "its " : " and its ") + std::to_string(ticCount_) + " control points";
  CPLError(CE_Warning, CPLE_AppDefined,
           "%s: written anew with the changes (the format cannot insert or change elements in place); %s%s",
           path_.c_str(), kept.empty() ? "" : (kept + " are not kept, and ").c_str(),
           "its elements' display parameters are written as for a new file");
  bool ok = false;
  try {
    WriteLayer out(path_, GetName(), defn->GetGeomType(), options, nullptr, false);
    for (int i = 0; i < defn->GetFieldCount(); ++i)
      if (out.CreateField(defn->GetFieldDefn(i), FALSE) != OGRERR_NONE) throw Convert::ConversionError("");
    const GIntBig end = count_ + static_cast<GIntBig>(added_.size());
    for (GIntBig fid = 0; fid < end; ++fid) {
      std::unique_ptr<OGRFeature> feature(FeatureWithChanges(fid));
      if (feature && out.CreateFeature(feature.get()) != OGRERR_NONE) throw Convert::ConversionError("");
    }
    ReportOnce();
    ok = out.Finish();
  } catch (const Convert::ConversionError& e) {
    ReportOnce();  // what reading changed, before the failure (GDAL's tools look at the last message)
    if (*e.what() != '\0') CPLError(CE_Failure, CPLE_AppDefined, "%s", e.what());
  }
  defn->SetGeometryIgnored(ignoredGeometry);
  if (!ok)
    CPLError(CE_Failure, CPLE_AppDefined, "%s: the changes are not saved; the file is as it was",
             path_.c_str());
  return ok;
}

}  // namespace Terrix::Ogr
