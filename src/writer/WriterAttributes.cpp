// Terrix_Writer: field definitions and the typed attribute writes.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <limits>
#include <new>
#include <string>

#include "core/Text.h"
#include "format/Layout.h"
#include "terrix/ResultCodes.h"
#include "terrix/Writer.h"
#include "writer/WriterState.h"

namespace Terrix {

namespace {

constexpr std::size_t kSlotSize = 4;  // the 4-byte family: bool, byte, short, long, float

/// Appends record slot `recordCount`: zero-filled with its record flag set.
bool AppendRecord(detail::WriterState& s) {
  const std::size_t length = s.RecordLength();
  try {
    s.records.resize(s.records.size() + length, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  s.records[s.records.size() - length] = format::kRecordFlag;
  return true;
}

/// Selects the record of s.currentRecordIndex, appending it when it is the next one.
std::int32_t SelectCurrentRecord(detail::WriterState& s) {
  const std::int64_t index = s.currentRecordIndex;
  const std::int64_t next = std::int64_t{s.RecordCount()} - 1;
  if (index < 0 || index > next) return Result::NotHandled;
  if (index == next) {
    if (!AppendRecord(s)) return Result::NoMemory;
    ++s.fieldHead.recordCount;
  }
  return Result::Success;
}

/// Stores a value into field `field` of element `element`: the first bytes of
/// `value` (at most `available` of them, at most the field's width), zeros for
/// the rest of the field. `textValue` stops at the text's terminator.
bool StoreValue(detail::WriterState& s, int element, int field, const void* value, std::size_t available,
                bool textValue) {
  if (!s.Collecting() || value == nullptr) return false;
  if (field < 0 || static_cast<std::size_t>(field) >= s.fields.size()) return false;
  // Records are made in element order: an element beyond the next one has none.
  if (element < 0 || std::int64_t{element} > std::int64_t{s.RecordCount()} - 1) return false;

  if (s.records.empty()) {
    if (!AppendRecord(s)) return false;  // the leading record, slot 0
    s.fieldHead.recordCount = 1;
  }
  if (element != s.currentRecordIndex) {
    s.currentRecordIndex = element;
    if (SelectCurrentRecord(s) != Result::Success) {
      s.currentRecordIndex = -1;
      return false;
    }
  }

  const TERRIX_Field& f = s.fields[static_cast<std::size_t>(field)];
  const std::size_t width = f.valueWidth > 0 ? static_cast<std::size_t>(f.valueWidth) : 0;
  const std::size_t slot = format::RecordOfElement(s.currentRecordIndex);
  std::uint8_t* at = s.records.data() + slot * s.RecordLength() + f.valueOffset;
  if (textValue) available = strnlen(static_cast<const char*>(value), std::min(available, width));
  const std::size_t copied = std::min(available, width);
  std::memcpy(at, value, copied);
  std::memset(at + copied, 0, width - copied);
  return true;
}

bool StoreSlot(detail::WriterState& s, int element, int field, std::int32_t slotValue) {
  std::uint8_t slot[kSlotSize];
  std::memcpy(slot, &slotValue, sizeof slot);
  return StoreValue(s, element, field, slot, sizeof slot, false);
}

}  // namespace

std::int32_t Terrix_Writer::AddFieldInfo(const wchar_t* name, int type, int width, int auxLength,
                                         int auxByte) {
  detail::WriterState& s = *state_;
  if (!s.ready) return Result::CannotOpen;
  // Existing records keep the record length of their moment: no field may follow them.
  if (s.flushed || !s.records.empty()) return Result::NotHandled;
  if (width < 0 || width > std::numeric_limits<std::int16_t>::max()) return Result::NotHandled;
  const std::size_t i = s.fields.size();
  if (i >= static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) return Result::NotHandled;

  TERRIX_Field f{};
  if (name != nullptr) {
    // Names are cut at the 20 bytes of the descriptor (no terminator when full).
    const std::string bytes = core::WideToCodePage(name, std::wcslen(name));
    std::memcpy(f.fieldName, bytes.data(), std::min(bytes.size(), format::kFieldNameSize));
  }
  f.fieldType = static_cast<std::uint8_t>(type);
  f.valueOffset = s.fieldHead.recordLength;
  f.valueWidth = static_cast<std::int16_t>(width);
  f.auxLength = static_cast<std::int16_t>(auxLength);
  f.auxByte = static_cast<std::int8_t>(auxByte);
  f.fieldFlag = format::kWriterFieldFlag;
  f.fieldIndex = static_cast<std::uint16_t>(i);
  try {
    s.fields.push_back(f);
  } catch (const std::bad_alloc&) {
    return Result::NoMemory;
  }
  s.fieldHead.recordLength += static_cast<std::uint32_t>(width);
  s.fieldHead.fieldCount = static_cast<std::int16_t>(i + 1);
  s.fieldHead.recordOffset =
      static_cast<std::uint32_t>(format::kFieldHeadSize + format::kFieldSize * (i + 1));
  return static_cast<std::int32_t>(i + 1);
}

std::int32_t Terrix_Writer::GetCurrentRecord() {
  detail::WriterState& s = *state_;
  if (!s.Collecting() || s.records.empty()) return Result::NotHandled;
  return SelectCurrentRecord(s);
}

bool Terrix_Writer::WriteAttribute(int element, int field, const void* value) {
  return StoreValue(*state_, element, field, value, std::numeric_limits<std::size_t>::max(), false);
}

bool Terrix_Writer::WriteStringAttribute(int element, int field, const char* value) {
  return StoreValue(*state_, element, field, value, std::numeric_limits<std::size_t>::max(), true);
}
bool Terrix_Writer::WriteTextAttribute(int element, int field, const char* value) {
  return StoreValue(*state_, element, field, value, std::numeric_limits<std::size_t>::max(), true);
}
// Date and time values are the stored bytes of their records, not text: they
// may hold zero bytes, so the field's whole width is taken.
bool Terrix_Writer::WriteDateAttribute(int element, int field, const char* value) {
  return WriteAttribute(element, field, value);
}
bool Terrix_Writer::WriteTimeAttribute(int element, int field, const char* value) {
  return WriteAttribute(element, field, value);
}
bool Terrix_Writer::WriteBinareyAttribute(int element, int field, const void* value) {
  return WriteAttribute(element, field, value);
}

bool Terrix_Writer::WriteBoolAttribute(int element, int field, bool value) {
  return StoreSlot(*state_, element, field, value ? 1 : 0);
}
bool Terrix_Writer::WriteByteAttribute(int element, int field, unsigned char value) {
  return StoreSlot(*state_, element, field, value);
}
bool Terrix_Writer::WriteShortAttribute(int element, int field, short value) {
  return StoreSlot(*state_, element, field, value);
}
bool Terrix_Writer::WriteLongAttribute(int element, int field, std::int32_t value) {
  return StoreSlot(*state_, element, field, value);
}
bool Terrix_Writer::WriteFloatAttribute(int element, int field, float value) {
  std::int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return StoreSlot(*state_, element, field, bits);
}
bool Terrix_Writer::WriteDoubleAttribute(int element, int field, double value) {
  return StoreValue(*state_, element, field, &value, sizeof value, false);
}

}  // namespace Terrix
