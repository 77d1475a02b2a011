#include "format/KindTable.h"

#include "format/Layout.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

int KindTableEntry(FileKind kind, KindPolicy policy) {
  switch (kind) {
    case FileKind::Line:
      return AttributeTableEntry(kind, TableSelector::LineOrArc);
    case FileKind::Point:
      return AttributeTableEntry(kind, TableSelector::PointOrNode);
    case FileKind::Region:
      return AttributeTableEntry(kind, TableSelector::Region);
    case FileKind::Network:
      return policy == KindPolicy::Editable ? -1 : AttributeTableEntry(kind, TableSelector::PointOrNode);
    case FileKind::Table:
      return AttributeTableEntry(kind, TableSelector::Table);
    default:
      return -1;
  }
}

std::int32_t LoadTableAt(OpenedMap& map, int entry, AttributeTable& table) {
  if (table.HeadLoaded()) return Result::Success;
  std::uint64_t offset = 0;
  if (entry < 0 || !map.SectionOffset(entry, offset)) return Result::NotHandled;
  return table.LoadHead(map.file, offset);
}

}  // namespace Terrix::format
