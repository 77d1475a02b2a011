#include "format/AttributeTable.h"

#include <algorithm>
#include <new>

#include "format/FieldNames.h"
#include "format/Layout.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

int AttributeTableEntry(FileKind kind, int selector) {
  switch (kind) {
    case FileKind::Line:
    case FileKind::Network:
      if (selector == TableSelector::LineOrArc) return Section::Attributes;
      if (selector == TableSelector::PointOrNode) return Section::NodeAttributes;
      return -1;
    case FileKind::Point:
      return selector == TableSelector::PointOrNode ? Section::Attributes : -1;
    case FileKind::Region:
      if (selector == TableSelector::LineOrArc) return Section::Attributes;
      if (selector == TableSelector::Region) return Section::RegionAttributes;
      return -1;
    case FileKind::Table:
      return selector == TableSelector::Table ? Section::Elements : -1;
    default:
      return -1;
  }
}

void TrimSpaces(char* text) {
  if (text == nullptr) return;
  std::size_t lead = 0;
  while (text[lead] == ' ') ++lead;
  std::size_t length = std::strlen(text + lead);
  if (lead > 0) std::memmove(text, text + lead, length + 1);
  while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
}

std::int32_t AttributeTable::LoadHead(core::File& file, std::uint64_t sectionOffset) {
  Release();
  sectionOffset_ = sectionOffset;
  // A short read leaves the rest zero, and a zero head fails the magic check.
  TERRIX_FieldHead head{};
  file.Seek(sectionOffset);
  if (!file.Read(&head, sizeof head)) return Result::IoError;
  const bool magicsMatch = static_cast<std::uint8_t>(head.magic[0]) == kFieldHeadMagic0 &&
                           static_cast<std::uint8_t>(head.magic[1]) == kFieldHeadMagic1 &&
                           head.magic2 == kFieldHeadMagic2;
  if (!magicsMatch || head.fieldCount < 0) return Result::NotHandled;

  // At most 32767 descriptors (1.3 MB): bounded by the i16 count itself.
  // Descriptors beyond the end of the file stay zero.
  try {
    fields_.assign(static_cast<std::size_t>(head.fieldCount), TERRIX_Field{});
  } catch (const std::bad_alloc&) {
    return Result::NoMemory;
  }
  if (!fields_.empty() && !file.Read(fields_.data(), fields_.size() * kFieldSize)) {
    fields_.clear();
    return Result::IoError;
  }
  head_ = head;
  headLoaded_ = true;
  return Result::Success;
}

std::int32_t AttributeTable::LoadRecords(core::File& file) {
  if (recordsLoaded_) return Result::Success;
  if (!headLoaded_) return Result::NotHandled;
  const std::int32_t rc =
      records_.Load(file, sectionOffset_ + head_.recordOffset, head_.recordCount, head_.recordLength);
  if (rc != Result::Success) {
    records_.Clear();
    return rc;
  }
  recordsLoaded_ = true;
  return Result::Success;
}

std::int32_t AttributeTable::FetchCurrentRecord(core::File& file) {
  currentSlot_ = -1;
  if (!ContainsRecord(currentIndex_)) return Result::IoError;
  const std::int64_t slot = RecordOfElement(currentIndex_);
  if (access_ == RecordAccess::WholeBlock) {
    const std::int32_t rc = LoadRecords(file);
    if (rc != Result::Success) return rc;
    currentSlot_ = slot;
    return Result::Success;
  }
  const std::uint64_t offset =
      sectionOffset_ + head_.recordOffset + static_cast<std::uint64_t>(slot) * head_.recordLength;
  const std::int32_t rc = records_.Load(file, offset, 1, head_.recordLength);
  if (rc != Result::Success) {
    records_.Clear();
    return rc;
  }
  currentSlot_ = 0;
  return Result::Success;
}

bool AttributeTable::ContainsRecord(int record) const {
  return headLoaded_ && record >= 0 && RecordOfElement(record) < static_cast<std::int64_t>(head_.recordCount);
}

ValueBytes AttributeTable::ReadValue(core::File& file, int record, int field, int readAs) {
  if (!headLoaded_ || field < 0 || static_cast<std::size_t>(field) >= fields_.size()) return {};
  if (!ContainsRecord(record)) return {};
  if (record != currentIndex_) {
    currentIndex_ = record;
    FetchCurrentRecord(file);
  }
  if (currentSlot_ < 0) return {};

  const TERRIX_Field& descriptor = fields_[static_cast<std::size_t>(field)];
  if (descriptor.valueWidth < 0) return {};
  const std::size_t width = static_cast<std::size_t>(descriptor.valueWidth);
  if (static_cast<std::uint64_t>(descriptor.valueOffset) + width > head_.recordLength) return {};
  try {
    if (scratch_.size() < width + 1) scratch_.resize(width + 1);
  } catch (const std::bad_alloc&) {
    return {};
  }

  // The loaded block may end before the record does (a file cut short): the
  // bytes it lacks are zero.
  const std::vector<std::uint8_t>& block = records_.Bytes();
  const std::uint64_t start =
      static_cast<std::uint64_t>(currentSlot_) * head_.recordLength + descriptor.valueOffset;
  const std::size_t present =
      start < block.size() ? static_cast<std::size_t>(std::min<std::uint64_t>(width, block.size() - start))
                           : 0;
  if (present > 0) std::memcpy(scratch_.data(), block.data() + start, present);
  std::memset(scratch_.data() + present, 0, width + 1 - present);

  if (readAs == ReadAs::String || readAs == ReadAs::Text)
    TrimSpaces(reinterpret_cast<char*>(scratch_.data()));
  return ValueBytes{scratch_.data(), width};
}

std::int32_t AttributeTable::DescribeField(int field, SignChecks checks, wchar_t* name, int* width,
                                           int* auxLength, int* auxByte) const {
  if (!headLoaded_ || field < 0 || static_cast<std::size_t>(field) >= fields_.size())
    return Result::NotHandled;
  const TERRIX_Field& descriptor = fields_[static_cast<std::size_t>(field)];
  const bool refuseNegative = checks == SignChecks::RefuseNegative;
  if (refuseNegative) WriteFieldName(descriptor, name);
  if (width != nullptr) {
    *width = descriptor.valueWidth;
    if (refuseNegative && descriptor.valueWidth < 0) return Result::NotHandled;
  }
  if (auxLength != nullptr) {
    *auxLength = descriptor.auxLength;
    if (refuseNegative && descriptor.auxLength < 0) return Result::NotHandled;
  }
  if (auxByte != nullptr) {
    *auxByte = descriptor.auxByte;
    if (refuseNegative && descriptor.auxByte < 0) return Result::NotHandled;
  }
  if (!refuseNegative) WriteFieldName(descriptor, name);
  return static_cast<std::int8_t>(descriptor.fieldType);
}

int AttributeTable::FindFieldIndex(const wchar_t* key) const {
  return headLoaded_ ? FindField(fields_, key) : -1;
}

void AttributeTable::Release() {
  headLoaded_ = false;
  recordsLoaded_ = false;
  sectionOffset_ = 0;
  head_ = TERRIX_FieldHead{};
  fields_.clear();
  fields_.shrink_to_fit();
  records_.Clear();
  currentIndex_ = -1;
  currentSlot_ = -1;
  scratch_.clear();
  scratch_.shrink_to_fit();
}

}  // namespace Terrix::format
