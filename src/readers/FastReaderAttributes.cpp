// Terrix_FastReader: attribute tables, field descriptions and typed value
// reads. The table mechanics live in format::AttributeTable; this reader adds
// the table selector and reads each table's records as one block.
#include "format/AttributeTable.h"
#include "format/KindTable.h"
#include "readers/FastReaderState.h"
#include "readers/TypedReads.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

std::int32_t Terrix_FastReader::ReadFieldInfo(int selector) {
  detail::FastReaderState& s = *state_;
  if (s.attributes.HeadLoaded() && s.loadedSelector == selector) return Result::Success;
  ClearAttrBuffer();
  const std::int32_t rc =
      format::LoadTableAt(s.map, format::AttributeTableEntry(s.map.Kind(), selector), s.attributes);
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

void Terrix_FastReader::ClearAttrBuffer() {
  state_->attributes.Release();
  state_->loadedSelector = -1;
}

void Terrix_FastReader::SetAttributeType(int selector) {
  if (ReadFieldInfo(selector) == Result::Success) state_->tableSelector = selector;
}

std::int32_t Terrix_FastReader::GetFieldCount() {
  return format::FieldCountAfter(ReadFieldInfo(state_->tableSelector), state_->attributes);
}

std::int32_t Terrix_FastReader::GetRecordCount() {
  return format::RecordCountAfter(ReadFieldInfo(state_->tableSelector), state_->attributes);
}

std::int32_t Terrix_FastReader::GetFieldInfo(int field, wchar_t* name, int* width, int* auxLength,
                                             int* auxByte) {
  return state_->attributes.DescribeField(field, format::SignChecks::RefuseNegative, name, width, auxLength,
                                          auxByte);
}

TERRIX_DEFINE_TYPED_READS(Terrix_FastReader)

}  // namespace Terrix
