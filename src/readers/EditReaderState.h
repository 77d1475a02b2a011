// Everything a Terrix_Reader holds. Copies of a reader share one state.
#pragma once

#include "format/AttributeTable.h"
#include "format/ElementChanges.h"
#include "format/ElementReads.h"
#include "format/ElementTables.h"
#include "format/OpenedMap.h"

namespace Terrix::detail {

struct EditReaderState {
  format::OpenedMap map;

  // Element tables.
  /// Point, line and polygon tables, loaded on the first element read (or
  /// change) and changed in memory until WriteGeomInfo.
  format::ElementTables elements;
  /// The 16-byte label records of a region file, loaded by GetPolyLab.
  format::RegionLabels labels;

  // Attribute table.
  /// The table of the file kind: one record at a time, read from the file
  /// whenever another record is asked for.
  format::AttributeTable attributes{format::RecordAccess::OneRecord};
};

/// The editing reader's element reads: the file opened for update is read
/// through to the disk, so points are read one coordinate at a time; a line's
/// count is not compared with the coordinate section (a line running past the
/// end of the file reads as 0.0 there); a polygon stops at an arc that is not
/// in use.
inline format::ElementReader ElementsOf(EditReaderState& s) {
  format::ElementReadRules rules;
  rules.kind = s.map.Kind();
  rules.nodes = format::NetworkNodes::AsPoints;
  rules.indices = format::IndexRule::ByKind;
  rules.lines = format::LineReadOptions{format::LineBound::None, format::PointReads::ValueByValue};
  rules.polygons = format::PolygonReadOptions{format::InactiveArc::Stop, format::PointReads::ValueByValue};
  return format::ElementReader(s.map, s.elements, rules);
}

}  // namespace Terrix::detail
