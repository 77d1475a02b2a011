#include "readers/ReaderCore.h"

#include "format/KindTable.h"
#include "terrix/ResultCodes.h"

namespace Terrix::detail {

std::int32_t ReaderCore::ReadHead() {
  treatAs_ = false;
  return format::ReadHeadArea(map.file, map.head, profile_.kinds);
}

void ReaderCore::Close() {
  elements.Clear();
  attributes.Release();
  map.Close();
  treatAs_ = false;
}

format::ElementReader ReaderCore::Elements() {
  return format::ElementReader(map, elements, ReadKind(), profile_.elementReads);
}

std::int32_t ReaderCore::LoadSelectedTable(int selector) {
  return format::LoadTableAt(map, format::AttributeTableEntry(ReadKind(), selector), attributes);
}

std::int32_t ReaderCore::LoadKindTable() {
  return format::LoadTableAt(map, format::KindTableEntry(ReadKind(), profile_.kinds), attributes);
}

std::int32_t ReaderCore::FieldCount(std::int32_t rc) const {
  return rc == Result::Success ? attributes.FieldCount() : rc;
}

std::int32_t ReaderCore::RecordCount(std::int32_t rc) const {
  return rc == Result::Success ? attributes.RecordCount() : rc;
}

std::int32_t ReaderCore::DescribeField(int field, wchar_t* name, int* width, int* auxLength,
                                       int* auxByte) const {
  return attributes.DescribeField(field, profile_.signs, name, width, auxLength, auxByte);
}

}  // namespace Terrix::detail
