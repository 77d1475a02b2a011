// Everything a Terrix_Writer holds. Copies of a writer share one state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/File.h"
#include "writer/ArcCoordinates.h"
#include "format/Layout.h"
#include "terrix/Records.h"

namespace Terrix::detail {

/// The file's extent in the order of the head area: x min, y min, x max, y max.
struct Extent {
  double minX = format::kBoundsStart;
  double minY = format::kBoundsStart;
  double maxX = -format::kBoundsStart;
  double maxY = -format::kBoundsStart;

  void Widen(double x, double y) {
    if (x < minX) minX = x;
    if (y < minY) minY = y;
    if (x > maxX) maxX = x;
    if (y > maxY) maxY = y;
  }
};

struct WriterState {
  core::File file;
  /// The kind given to Create; meaningful while `ready`.
  FileKind kind = FileKind::Line;
  /// Create succeeded: the file is open and the element tables are made.
  bool ready = false;
  /// Flush ran: the file on disk is complete and nothing more may be added.
  bool flushed = false;

  // Element tables, record 0 reserved and all zero.
  std::vector<TERRIX_PntInfo> pointInfos;
  std::vector<TERRIX_LineInfo> lineInfos;  // lines of a line file, arcs of a region file
  std::vector<TERRIX_RegInfo> regionInfos;
  /// The points of all lines or arcs back to back, x then y, in lineInfos order:
  /// exactly the coordinate part of section 1. Its size is D, the f64 count.
  ArcCoordinates arcCoordinates;
  /// The arc lists of all polygons back to back; the polygon records hold offsets
  /// into this list until they are written (WriteGeomInfo adds the coordinate part).
  std::vector<std::int32_t> regionArcList;
  /// The note texts of all points back to back (section 1 from its offset 2).
  std::vector<char> noteText;

  // The attribute table.
  TERRIX_FieldHead fieldHead{};
  std::vector<TERRIX_Field> fields;
  std::int32_t currentRecordIndex = -1;
  /// Record slots of fieldHead.recordLength bytes each, slot 0 first; empty until
  /// the first attribute write. Fields are refused once it exists, so every slot
  /// keeps the record length of its table.
  std::vector<std::uint8_t> records;

  // The head area as it will be written.
  TERRIX_HEAD head{};
  std::array<TERRIX_Part, format::kWriterDirectoryCount> directory{};
  MAP_PARAstruct projection{};
  TERRIX_Element counts{};
  Extent extent;
  std::int32_t ticCount = 0;
  std::uint32_t ticOffset = 0;
  /// BuildMapPart found that every section fits the 32-bit offsets of the directory.
  bool layoutFits = false;

  /// Back to the state of a new writer: file closed, every collection released.
  void Reset();
  /// The writer can take elements, fields and values.
  bool Collecting() const { return ready && !flushed; }
  std::uint32_t RecordLength() const { return fieldHead.recordLength; }
  std::uint32_t RecordCount() const { return fieldHead.recordCount; }
};

/// The directory entry of the file's own attribute table, or -1 for no table.
int AttributeSectionOf(FileKind kind);

}  // namespace Terrix::detail
