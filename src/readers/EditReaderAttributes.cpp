// Terrix_Reader: the one attribute table of the file kind, each record read
// from the file when it becomes the current one.
#include "readers/ReaderStates.h"
#include "terrix/Reader.h"

namespace Terrix {

std::int32_t Terrix_Reader::ReadFieldInfo() {
  return state_->core.LoadKindTable();
}

std::int32_t Terrix_Reader::ReadCurrentRecord() {
  return state_->core.FetchCurrentRecord();
}

std::int32_t Terrix_Reader::GetFieldCount() {
  return state_->core.FieldCount(ReadFieldInfo());
}

std::int32_t Terrix_Reader::GetRecordCount() {
  return state_->core.RecordCount(ReadFieldInfo());
}

std::int32_t Terrix_Reader::GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength, int* auxByte) {
  return state_->core.DescribeField(field, name, width, auxLength, auxByte);
}

std::int32_t Terrix_Reader::GetFieldIndex(const wchar_t* name) {
  return state_->core.attributes.FindFieldIndex(name);
}

void* Terrix_Reader::ReadAttribute(int record, int field, int kind) {
  return state_->core.Value(record, field, kind);
}

const char* Terrix_Reader::ReadStringAttribute(int record, int field) {
  return state_->core.Text(record, field, format::ReadAs::String);
}

const char* Terrix_Reader::ReadTextAttribute(int record, int field) {
  return state_->core.Text(record, field, format::ReadAs::Text);
}

void* Terrix_Reader::ReadBinareyAttribute(int record, int field) {
  return state_->core.Value(record, field, format::ReadAs::Raw);
}

unsigned char Terrix_Reader::ReadByteAttribute(int record, int field) {
  return state_->core.Typed<unsigned char>(record, field);
}

short Terrix_Reader::ReadShortAttribute(int record, int field) {
  return state_->core.Typed<short>(record, field);
}

std::int32_t Terrix_Reader::ReadLongAttribute(int record, int field) {
  return state_->core.Typed<std::int32_t>(record, field);
}

float Terrix_Reader::ReadFloatAttribute(int record, int field) {
  return state_->core.Typed<float>(record, field);
}

double Terrix_Reader::ReadDoubleAttribute(int record, int field) {
  return state_->core.Typed<double>(record, field);
}

DATE_STRUstruct Terrix_Reader::ReadDateAttribute(int record, int field) {
  return state_->core.Typed<DATE_STRUstruct>(record, field);
}

TIME_STRUstruct Terrix_Reader::ReadTimeAttribute(int record, int field) {
  return state_->core.Typed<TIME_STRUstruct>(record, field);
}

TIMESTAMPstruct Terrix_Reader::ReadTimeStampAttribute(int record, int field) {
  return state_->core.Typed<TIMESTAMPstruct>(record, field);
}

bool Terrix_Reader::ReadBoolAttribute(int record, int field) {
  return state_->core.Flag(record, field);
}

}  // namespace Terrix
