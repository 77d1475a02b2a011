// Terrix_MemReader: the one attribute table of the reader's kind (the node
// table of a network file), read as one block on the first value read.
#include "format/KindTable.h"
#include "readers/MemReaderState.h"
#include "readers/TypedReads.h"
#include "terrix/MemReader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

std::int32_t Terrix_MemReader::ReadFieldInfo() {
  detail::MemReaderState& s = *state_;
  return format::LoadTableAt(s.map, format::KindTableEntry(s.kind, format::KindPolicy::AnyKind),
                             s.attributes);
}

std::int32_t Terrix_MemReader::ReadRecordAll() {
  return state_->attributes.LoadRecords(state_->map.file);
}

std::int32_t Terrix_MemReader::GetCurrentRecord() {
  // A record that cannot be loaded leaves no current record: the typed reads
  // then give the zero of their type.
  state_->attributes.FetchCurrentRecord(state_->map.file);
  return Result::Success;
}

std::int32_t Terrix_MemReader::GetFieldCount() {
  return format::FieldCountAfter(ReadFieldInfo(), state_->attributes);
}

std::int32_t Terrix_MemReader::GetRecordCount() {
  return format::RecordCountAfter(ReadFieldInfo(), state_->attributes);
}

std::int32_t Terrix_MemReader::GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength,
                                            int* auxByte) {
  return state_->attributes.DescribeField(field, format::SignChecks::PassThrough, name, width, auxLength,
                                          auxByte);
}

TERRIX_DEFINE_TYPED_READS(Terrix_MemReader)

}  // namespace Terrix
