// Terrix_FastReader: attribute tables, field descriptions and typed value
// reads. The table mechanics live in format::AttributeTable; this reader adds
// the table selector and reads each table's records as one block.
#include "format/AttributeTable.h"
#include "readers/FastReaderState.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace {

format::ValueBytes RawValue(detail::FastReaderState& s, int record, int field) {
  return s.attributes.ReadValue(s.map.file, record, field, format::ValueKind::Raw);
}

}  // namespace

std::int32_t Terrix_FastReader::ReadFieldInfo(int selector) {
  detail::FastReaderState& s = *state_;
  if (s.attributes.HeadLoaded() && s.loadedSelector == selector) return Result::Success;
  ClearAttrBuffer();
  const int entry = format::AttributeTableEntry(s.map.Kind(), selector);
  std::uint64_t offset = 0;
  if (entry < 0 || !s.map.SectionOffset(entry, offset)) return Result::NotHandled;
  const std::int32_t rc = s.attributes.LoadHead(s.map.file, offset);
  if (rc == Result::Success) s.loadedSelector = selector;
  return rc;
}

std::int32_t Terrix_FastReader::ReadRecordAll() {
  return state_->attributes.LoadRecords(state_->map.file);
}

std::int32_t Terrix_FastReader::GetCurrentRecord() {
  // A record that cannot be loaded leaves no current record; the typed reads
  // then answer with the zero of their type.
  state_->attributes.FetchCurrentRecord(state_->map.file);
  return Result::Success;
}

void* Terrix_FastReader::ReadAttribute(int record, int field, int kind) {
  return state_->attributes.ReadValue(state_->map.file, record, field, kind).data;
}

void Terrix_FastReader::ClearAttrBuffer() {
  state_->attributes.Release();
  state_->loadedSelector = -1;
}

void Terrix_FastReader::SetAttributeType(int selector) {
  if (ReadFieldInfo(selector) == Result::Success) state_->tableSelector = selector;
}

std::int32_t Terrix_FastReader::GetFieldCount() {
  const std::int32_t rc = ReadFieldInfo(state_->tableSelector);
  return rc == Result::Success ? state_->attributes.FieldCount() : rc;
}

std::int32_t Terrix_FastReader::GetRecordCount() {
  const std::int32_t rc = ReadFieldInfo(state_->tableSelector);
  return rc == Result::Success ? state_->attributes.RecordCount() : rc;
}

std::int32_t Terrix_FastReader::GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength,
                                             int* auxByte) {
  return state_->attributes.DescribeField(field, format::SignChecks::RefuseNegative, name, width, auxLength,
                                          auxByte);
}

std::int32_t Terrix_FastReader::GetFieldIndex(const wchar_t* name) {
  return state_->attributes.FindFieldIndex(name);
}

const char* Terrix_FastReader::ReadStringAttribute(int record, int field) {
  return static_cast<const char*>(ReadAttribute(record, field, format::ValueKind::String));
}

const char* Terrix_FastReader::ReadTextAttribute(int record, int field) {
  return static_cast<const char*>(ReadAttribute(record, field, format::ValueKind::Text));
}

void* Terrix_FastReader::ReadBinareyAttribute(int record, int field) {
  return ReadAttribute(record, field, format::ValueKind::Raw);
}

unsigned char Terrix_FastReader::ReadByteAttribute(int record, int field) {
  return format::ValueAs<unsigned char>(RawValue(*state_, record, field));
}

short Terrix_FastReader::ReadShortAttribute(int record, int field) {
  return format::ValueAs<short>(RawValue(*state_, record, field));
}

std::int32_t Terrix_FastReader::ReadLongAttribute(int record, int field) {
  return format::ValueAs<std::int32_t>(RawValue(*state_, record, field));
}

float Terrix_FastReader::ReadFloatAttribute(int record, int field) {
  return format::ValueAs<float>(RawValue(*state_, record, field));
}

double Terrix_FastReader::ReadDoubleAttribute(int record, int field) {
  return format::ValueAs<double>(RawValue(*state_, record, field));
}

DATE_STRUstruct Terrix_FastReader::ReadDateAttribute(int record, int field) {
  return format::ValueAs<DATE_STRUstruct>(RawValue(*state_, record, field));
}

TIME_STRUstruct Terrix_FastReader::ReadTimeAttribute(int record, int field) {
  return format::ValueAs<TIME_STRUstruct>(RawValue(*state_, record, field));
}

TIMESTAMPstruct Terrix_FastReader::ReadTimeStampAttribute(int record, int field) {
  return format::ValueAs<TIMESTAMPstruct>(RawValue(*state_, record, field));
}

bool Terrix_FastReader::ReadBoolAttribute(int record, int field) {
  return format::ValueAs<std::uint8_t>(RawValue(*state_, record, field)) != 0;
}

}  // namespace Terrix
