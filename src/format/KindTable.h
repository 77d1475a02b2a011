// Loading an attribute table of an open map: the table a directory entry
// holds, or the one table that belongs to the file kind (the memory and
// editing readers have no table selector).
#pragma once

#include <cstdint>

#include "format/AttributeTable.h"
#include "format/HeadArea.h"
#include "format/OpenedMap.h"

namespace Terrix::format {

/// Directory entry of the table of a file of `kind`: the line table (entry 2)
/// of a line file, the point table (2) of a point file, the region table (9)
/// of a region file, the node table (5) of a network file and the table (0)
/// of a table file; -1 for any other kind, and for a network file under
/// KindPolicy::Editable.
int KindTableEntry(FileKind kind, KindPolicy policy);

/// Loads head and descriptors of the table at directory entry `entry` (-1:
/// none) unless a table is loaded already: Result::NotHandled without such an
/// entry, else the code of AttributeTable::LoadHead.
std::int32_t LoadTableAt(OpenedMap& map, int entry, AttributeTable& table);

}  // namespace Terrix::format
