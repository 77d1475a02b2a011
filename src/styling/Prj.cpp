#include "terrix/Prj.h"

#include <cstring>

#include "core/File.h"
#include "core/ProjectionRule.h"
#include "styling/FieldText.h"
#include "styling/RecordRead.h"
#include "styling/StyleLayout.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace {

// Capacities of the host's text buffers, terminator included.
constexpr std::size_t kNameCapacity = sizeof(PROJECTITEM::name);
constexpr std::size_t kMpjDescCapacity = sizeof(PROJECTHEAD::description);
constexpr std::size_t kItemDescCapacity = sizeof(PROJECTITEM::description);

constexpr const wchar_t* kNoDescription = L"NULL";
constexpr const wchar_t* kNoName = L"字段名错误";

int InterfaceKind(std::uint8_t stored) {
  using namespace styling;
  switch (stored) {
    case kStoredPoint:
      return kShapePoint;
    case kStoredLine:
      return kShapeLine;
    case kStoredRegion:
      return kShapeRegion;
    case kStoredKind7:
      return kShapeKind7;
    case kStoredKind11:
      return kShapeKind9;
    default:
      return 0;
  }
}

/// The stored kind of an interface code; false for a code not in the table.
bool StoredKind(int code, std::uint8_t& stored) {
  using namespace styling;
  switch (code) {
    case kShapePoint:
      stored = kStoredPoint;
      return true;
    case kShapeLine:
      stored = kStoredLine;
      return true;
    case kShapeRegion:
      stored = kStoredRegion;
      return true;
    case kShapeKind7:
      stored = kStoredKind7;
      return true;
    case kShapeKind9:
      stored = kStoredKind11;
      return true;
    default:
      return false;
  }
}

}  // namespace

Terrix_Prj::Terrix_Prj() : head_{} {}
Terrix_Prj::Terrix_Prj(const Terrix_Prj& other) = default;
Terrix_Prj& Terrix_Prj::operator=(const Terrix_Prj& other) = default;
Terrix_Prj::~Terrix_Prj() = default;

PROJECTITEM* Terrix_Prj::Item(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return nullptr;
  return &items_[static_cast<std::size_t>(index)];
}

std::int32_t Terrix_Prj::LoadProject(const wchar_t* path) {
  core::File file;
  if (!file.Open(path, core::OpenMode::Read)) return Result::CannotOpen;
  // The file closes with `file` on every return below.

  char magic[styling::kStyleMagicSize] = {};
  if (!file.Read(magic, sizeof magic)) return Result::IoError;
  if (!styling::MagicMatches(magic, styling::kProjectMagic)) return Result::BadMagic;

  std::int32_t formatNumber = 0;
  if (!file.Read(&formatNumber, sizeof formatNumber)) return Result::IoError;
  if (formatNumber != styling::kProjectFormatNumber) return Result::BadMagic;

  if (!styling::ReadCleared(file, head_)) return Result::IoError;

  // The old items go once the new head is in. File positions are unsigned
  // 32-bit: a negative table offset lies far beyond the end of the file.
  const std::int32_t count = head_.itemCount;
  file.Seek(static_cast<std::uint32_t>(head_.itemTableOffset));
  if (!styling::ReadTable(file, count, items_)) return Result::IoError;
  // Items beyond the end of the file read as zeros; the 16-bit count bounds
  // them to 13 MiB.
  if (count > 0) items_.resize(static_cast<std::size_t>(count), PROJECTITEM{});
  return count;
}

std::int32_t Terrix_Prj::SaveProject(const wchar_t* path) {
  core::File file;
  if (!file.Open(path, core::OpenMode::Update)) return Result::CannotOpen;

  // Magic and format number are read past, not compared.
  char magic[styling::kStyleMagicSize] = {};
  std::int32_t formatNumber = 0;
  if (!file.Read(magic, sizeof magic)) return Result::IoError;
  if (!file.Read(&formatNumber, sizeof formatNumber)) return Result::IoError;
  if (!styling::ReadCleared(file, head_)) return Result::IoError;

  if (head_.itemCount <= 0) return 0;
  // Items go over the file's own item table: never over its head, and never
  // past the end of the file, which would grow it by up to 2 GiB.
  if (head_.itemTableOffset < 0 ||
      static_cast<std::uint64_t>(head_.itemTableOffset) < styling::kProjectItemTableOffset ||
      static_cast<std::uint64_t>(head_.itemTableOffset) > file.Size())
    return Result::NotHandled;
  // Never more than the file's table counts or the object holds.
  std::size_t count = static_cast<std::size_t>(head_.itemCount);
  if (count > items_.size()) count = items_.size();
  if (count == 0) return 0;

  file.Seek(static_cast<std::uint64_t>(head_.itemTableOffset));
  for (std::size_t i = 0; i < count; ++i)
    if (!file.Write(&items_[i], sizeof(PROJECTITEM))) return Result::WriteBackFailed;
  return static_cast<std::int32_t>(count);
}

void Terrix_Prj::GetExtentInfo(double* extent0, double* extent1, double* extent2, double* extent3) {
  double* const outs[] = {extent0, extent1, extent2, extent3};
  for (std::size_t i = 0; i < 4; ++i)
    if (outs[i] != nullptr) *outs[i] = head_.extent[i];
}

char Terrix_Prj::GetProjectionInfo(MAP_PARAstruct* out) {
  return core::HandOutProjection(head_.projection, out);
}

std::int32_t Terrix_Prj::GetMpjDesc(wchar_t* out) {
  if (out == nullptr) return 0;
  styling::PutToken(styling::FirstToken(head_.description, sizeof head_.description), kNoDescription, out,
                    kMpjDescCapacity);
  return 0;
}

std::int32_t Terrix_Prj::GetItemDesc(int index, wchar_t* out) {
  const PROJECTITEM* item = Item(index);
  if (item == nullptr) return Result::IoError;
  if (out == nullptr) return 0;
  styling::PutToken(styling::FirstToken(item->description, sizeof item->description), kNoDescription, out,
                    kItemDescCapacity);
  return 0;
}

std::int32_t Terrix_Prj::GetItemInfo(int index, wchar_t* name, double* value1, double* value2) {
  const PROJECTITEM* item = Item(index);
  if (item == nullptr) return Result::IoError;
  if (value1 != nullptr) *value1 = item->value1;
  if (value2 != nullptr) *value2 = item->value2;
  if (name != nullptr)
    styling::PutToken(styling::FirstToken(item->name, sizeof item->name), kNoName, name, kNameCapacity);
  return InterfaceKind(item->kind);
}

std::int32_t Terrix_Prj::SetItemInfo(int index, const wchar_t* name, double value1, double value2, int kind) {
  if (items_.empty()) return 0;
  PROJECTITEM* item = Item(index);
  if (item == nullptr) return Result::IoError;
  item->value1 = value1;
  item->value2 = value2;
  if (name != nullptr) styling::StoreText(name, item->name, sizeof item->name);
  std::uint8_t stored = 0;
  if (StoredKind(kind, stored)) item->kind = stored;
  return static_cast<std::int8_t>(item->kind);
}

}  // namespace Terrix
