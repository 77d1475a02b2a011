#include "format/ElementChanges.h"

#include "format/ElementReads.h"
#include "format/Layout.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

std::int32_t ChangeRecord(RecordTable& table, std::int32_t recordCount, int index, const void* record) {
  const std::int64_t slot = RecordOfElement(index);
  if (!ElementInRange(index, recordCount) || !table.Loaded(slot)) return Result::IoError;
  return table.StoreRecord(slot, record) ? Result::Success : Result::IoError;
}

namespace {

std::int32_t WriteTableAt(OpenedMap& map, int section, const RecordTable& table) {
  const std::vector<std::uint8_t>& bytes = table.Bytes();
  if (bytes.empty()) return Result::Success;  // no record, or none the file holds
  std::uint64_t offset = 0;
  if (!map.SectionOffset(section, offset)) return Result::WriteBackFailed;
  map.file.Seek(offset);
  return map.file.Write(bytes.data(), bytes.size()) ? Result::Success : Result::WriteBackFailed;
}

}  // namespace

std::int32_t WriteElementTables(OpenedMap& map, const ElementTables& tables) {
  switch (map.head.Kind()) {
    case FileKind::Point:
      return WriteTableAt(map, Section::Elements, tables.points);
    case FileKind::Line:
      return WriteTableAt(map, Section::Elements, tables.lines);
    case FileKind::Region:
      return WriteTableAt(map, Section::Regions, tables.regions);
    default:
      return Result::Success;
  }
}

std::int32_t RegionLabels::Read(OpenedMap& map, int index, TERRIX_RegExt* out) {
  const TERRIX_Element& counts = map.head.counts;
  if (map.head.Kind() != FileKind::Region || !ElementInRange(index, counts.regionRecordCount))
    return Result::IoError;
  if (!loaded) {
    std::uint64_t offset = 0;
    if (!map.SectionOffset(Section::Elements, offset)) return Result::IoError;
    if (records.Load(map.file, offset, counts.elementRecordCount, kRegionLabelSize) != Result::Success)
      return Result::IoError;
    loaded = true;
  }
  // The array holds one label per arc record: the index must stay below that too.
  if (!records.Contains(index)) return Result::IoError;
  if (out != nullptr) records.CopyRecord(index, out);
  return Result::Success;
}

void RegionLabels::Clear() {
  loaded = false;
  records.Clear();
}

}  // namespace Terrix::format
