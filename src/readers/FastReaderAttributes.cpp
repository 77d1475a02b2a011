// Terrix_FastReader: attribute tables, field descriptions and typed value
// reads. The table mechanics live in the reader core and format::AttributeTable;
// this reader adds the table selector and reads each table's records as one
// block.
#include "readers/ReaderStates.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

std::int32_t Terrix_FastReader::ReadFieldInfo(int selector) {
  detail::FastReaderState& s = *state_;
  if (s.core.attributes.HeadLoaded() && s.loadedSelector == selector) return Result::Success;
  ClearAttrBuffer();
  const std::int32_t rc = s.core.LoadSelectedTable(selector);
  if (rc == Result::Success) s.loadedSelector = selector;
  return rc;
}

std::int32_t Terrix_FastReader::ReadRecordAll() {
  return state_->core.LoadRecords();
}

std::int32_t Terrix_FastReader::GetCurrentRecord() {
  // A record that cannot be loaded leaves no current record; the typed reads
  // then answer with the zero of their type.
  state_->core.FetchCurrentRecord();
  return Result::Success;
}

void Terrix_FastReader::ClearAttrBuffer() {
  state_->core.attributes.Release();
  state_->loadedSelector = -1;
}

void Terrix_FastReader::SetAttributeType(int selector) {
  if (ReadFieldInfo(selector) == Result::Success) state_->tableSelector = selector;
}

std::int32_t Terrix_FastReader::GetFieldCount() {
  return state_->core.FieldCount(ReadFieldInfo(state_->tableSelector));
}

std::int32_t Terrix_FastReader::GetRecordCount() {
  return state_->core.RecordCount(ReadFieldInfo(state_->tableSelector));
}

std::int32_t Terrix_FastReader::GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength,
                                             int* auxByte) {
  return state_->core.DescribeField(field, name, width, auxLength, auxByte);
}

std::int32_t Terrix_FastReader::GetFieldIndex(const wchar_t* name) {
  return state_->core.attributes.FindFieldIndex(name);
}

void* Terrix_FastReader::ReadAttribute(int record, int field, int kind) {
  return state_->core.Value(record, field, kind);
}

const char* Terrix_FastReader::ReadStringAttribute(int record, int field) {
  return state_->core.Text(record, field, format::ReadAs::String);
}

const char* Terrix_FastReader::ReadTextAttribute(int record, int field) {
  return state_->core.Text(record, field, format::ReadAs::Text);
}

void* Terrix_FastReader::ReadBinareyAttribute(int record, int field) {
  return state_->core.Value(record, field, format::ReadAs::Raw);
}

unsigned char Terrix_FastReader::ReadByteAttribute(int record, int field) {
  return state_->core.Typed<unsigned char>(record, field);
}

short Terrix_FastReader::ReadShortAttribute(int record, int field) {
  return state_->core.Typed<short>(record, field);
}

std::int32_t Terrix_FastReader::ReadLongAttribute(int record, int field) {
  return state_->core.Typed<std::int32_t>(record, field);
}

float Terrix_FastReader::ReadFloatAttribute(int record, int field) {
  return state_->core.Typed<float>(record, field);
}

double Terrix_FastReader::ReadDoubleAttribute(int record, int field) {
  return state_->core.Typed<double>(record, field);
}

DATE_STRUstruct Terrix_FastReader::ReadDateAttribute(int record, int field) {
  return state_->core.Typed<DATE_STRUstruct>(record, field);
}

TIME_STRUstruct Terrix_FastReader::ReadTimeAttribute(int record, int field) {
  return state_->core.Typed<TIME_STRUstruct>(record, field);
}

TIMESTAMPstruct Terrix_FastReader::ReadTimeStampAttribute(int record, int field) {
  return state_->core.Typed<TIMESTAMPstruct>(record, field);
}

bool Terrix_FastReader::ReadBoolAttribute(int record, int field) {
  return state_->core.Flag(record, field);
}

}  // namespace Terrix
