// Terrix_MemReader: the one attribute table of the kind the reader reads the
// file as (the node table of a network file), read as one block on the first
// value read.
#include "readers/ReaderStates.h"
#include "terrix/MemReader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

std::int32_t Terrix_MemReader::ReadFieldInfo() {
  return state_->core.LoadKindTable();
}

std::int32_t Terrix_MemReader::ReadRecordAll() {
  return state_->core.LoadRecords();
}

std::int32_t Terrix_MemReader::GetCurrentRecord() {
  // A record that cannot be loaded leaves no current record: the typed reads
  // then give the zero of their type.
  state_->core.FetchCurrentRecord();
  return Result::Success;
}

std::int32_t Terrix_MemReader::GetFieldCount() {
  return state_->core.FieldCount(ReadFieldInfo());
}

std::int32_t Terrix_MemReader::GetRecordCount() {
  return state_->core.RecordCount(ReadFieldInfo());
}

std::int32_t Terrix_MemReader::GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength,
                                            int* auxByte) {
  return state_->core.DescribeField(field, name, width, auxLength, auxByte);
}

std::int32_t Terrix_MemReader::GetFieldIndex(const wchar_t* name) {
  return state_->core.attributes.FindFieldIndex(name);
}

void* Terrix_MemReader::ReadAttribute(int record, int field, int kind) {
  return state_->core.Value(record, field, kind);
}

const char* Terrix_MemReader::ReadStringAttribute(int record, int field) {
  return state_->core.Text(record, field, format::ReadAs::String);
}

const char* Terrix_MemReader::ReadTextAttribute(int record, int field) {
  return state_->core.Text(record, field, format::ReadAs::Text);
}

void* Terrix_MemReader::ReadBinareyAttribute(int record, int field) {
  return state_->core.Value(record, field, format::ReadAs::Raw);
}

unsigned char Terrix_MemReader::ReadByteAttribute(int record, int field) {
  return state_->core.Typed<unsigned char>(record, field);
}

short Terrix_MemReader::ReadShortAttribute(int record, int field) {
  return state_->core.Typed<short>(record, field);
}

std::int32_t Terrix_MemReader::ReadLongAttribute(int record, int field) {
  return state_->core.Typed<std::int32_t>(record, field);
}

float Terrix_MemReader::ReadFloatAttribute(int record, int field) {
  return state_->core.Typed<float>(record, field);
}

double Terrix_MemReader::ReadDoubleAttribute(int record, int field) {
  return state_->core.Typed<double>(record, field);
}

DATE_STRUstruct Terrix_MemReader::ReadDateAttribute(int record, int field) {
  return state_->core.Typed<DATE_STRUstruct>(record, field);
}

TIME_STRUstruct Terrix_MemReader::ReadTimeAttribute(int record, int field) {
  return state_->core.Typed<TIME_STRUstruct>(record, field);
}

TIMESTAMPstruct Terrix_MemReader::ReadTimeStampAttribute(int record, int field) {
  return state_->core.Typed<TIMESTAMPstruct>(record, field);
}

bool Terrix_MemReader::ReadBoolAttribute(int record, int field) {
  return state_->core.Flag(record, field);
}

}  // namespace Terrix
