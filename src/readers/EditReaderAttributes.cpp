// Terrix_Reader: the one attribute table of the file kind, each record read
// from the file when it becomes the current one.
#include "format/KindTable.h"
#include "readers/EditReaderState.h"
#include "readers/TypedReads.h"
#include "terrix/Reader.h"

namespace Terrix {

std::int32_t Terrix_Reader::ReadFieldInfo() {
  detail::EditReaderState& s = *state_;
  return format::LoadTableAt(s.map, format::KindTableEntry(s.map.Kind(), format::KindPolicy::Editable),
                             s.attributes);
}

std::int32_t Terrix_Reader::ReadCurrentRecord() {
  return state_->attributes.FetchCurrentRecord(state_->map.file);
}

std::int32_t Terrix_Reader::GetFieldCount() {
  return format::FieldCountAfter(ReadFieldInfo(), state_->attributes);
}

std::int32_t Terrix_Reader::GetRecordCount() {
  return format::RecordCountAfter(ReadFieldInfo(), state_->attributes);
}

std::int32_t Terrix_Reader::GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength, int* auxByte) {
  return state_->attributes.DescribeField(field, format::SignChecks::PassThrough, name, width, auxLength,
                                          auxByte);
}

TERRIX_DEFINE_TYPED_READS(Terrix_Reader)

}  // namespace Terrix
