// Everything a Terrix_MemReader holds. Copies of a reader share one state.
#pragma once

#include "format/AttributeTable.h"
#include "format/ElementReads.h"
#include "format/ElementTables.h"
#include "format/OpenedMap.h"

namespace Terrix::detail {

struct MemReaderState {
  format::OpenedMap map;
  /// The file kind the reader works with: the head's kind, or the line kind
  /// after ReadAsPolyArc.
  FileKind kind = FileKind::Line;

  // Element tables.
  /// Point, line and polygon tables, and the node records of a network file
  /// as stored, loaded on the first element read for `kind`.
  format::ElementTables elements;

  // Attribute table.
  /// The table of `kind`, read as one block on the first value read.
  format::AttributeTable attributes{format::RecordAccess::WholeBlock};
};

/// The memory reader's element reads: tables loaded for the reader's kind
/// (so a region file read as a line file loads only its arcs), network nodes
/// kept as network points, indices checked against the count record and the
/// tables loaded; lines and polygons read as the fast reader reads them.
inline format::ElementReader ElementsOf(MemReaderState& s) {
  format::ElementReadRules rules;
  rules.kind = s.kind;
  rules.nodes = format::NetworkNodes::AsNodes;
  rules.indices = format::IndexRule::ByLoadedTable;
  return format::ElementReader(s.map, s.elements, rules);
}

}  // namespace Terrix::detail
