// The element tables of a vector map file (points, lines or arcs, polygons),
// loaded once per file, and the network node presented as a point record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/HeadArea.h"
#include "format/Layout.h"
#include "format/OpenedMap.h"
#include "terrix/Records.h"

namespace Terrix::format {

// A network node presented as a point record: state 1, note length 1, note
// offset 0, the node's x and y, 0.0 at the first display parameter, and from
// the point kind on the first 62 bytes of the node's 94-byte style block.
constexpr std::int16_t kNodePointNoteLength = 1;
constexpr std::size_t kNodeStyleOffsetInPoint = offsetof(TERRIX_PntInfo, pointKind);  // 31
constexpr std::size_t kNodeStyleBytesInPoint = kPointRecordSize - kNodeStyleOffsetInPoint;
static_assert(kNodeStyleOffsetInPoint == 31 && kNodeStyleBytesInPoint == 62);
static_assert(kNodeStyleBytesInPoint <= kNodeStyleBlockSize);

/// Builds the point record of a network node from the node record and the
/// node's style block.
TERRIX_PntInfo NodeAsPoint(const TERRIX_NetPntInfo& node, const std::uint8_t (&style)[kNodeStyleBlockSize]);

/// Working arrays of element reads: a line's points before they are spread
/// into the vertex arrays, a polygon's working points and its arc entries.
struct ReadScratch {
  std::vector<double> points;  // x, y pairs
  std::vector<std::int32_t> entries;
};

/// Element-table state that every reader keeps: loaded once, on the first
/// element read, and kept until Close.
struct ElementTables {
  /// Set when loading starts: a load that failed is not tried again.
  bool loaded = false;
  RecordTable points;   // 93-byte point records, or records built for network nodes
  RecordTable lines;    // 57-byte line or arc records
  RecordTable regions;  // 40-byte polygon records

  // Working memory of the element reads, kept between calls so that reading
  // one element after another does not allocate for every element.
  ReadScratch scratch;

  /// Releases the point, line and polygon tables (the flag stays).
  void ReleaseTables();
  /// Releases everything and clears the flag.
  void Clear();
};

/// What a reader does with the node records of a network file.
enum class NetworkNodes {
  AsPoints,  // build a point record per node record (nodes then read as points)
  Skip,      // leave them to the reader
};

/// Loads the element tables of a file of `kind` once: the point table
/// (section 0 of a point file), the line table (section 0 of line, region and
/// network files), the polygon table (section 8 of a region file) and, for a
/// network file with AsPoints, the point records built from section 4. A table
/// file or unknown kind answers Result::NotHandled, a failed read
/// Result::IoError (what was read stays), a second call Result::Success.
std::int32_t LoadElementTables(OpenedMap& map, int kind, NetworkNodes nodes, ElementTables& tables);

/// Whether a file of `kind` has a table of points (point and network files),
/// lines or arcs (line, region and network files) or polygons (region files).
bool KindHasPoints(int kind);
bool KindHasLines(int kind);
bool KindHasRegions(int kind);

/// Whether an element record is in use (its state byte is 1).
bool PointInUse(const TERRIX_PntInfo& record);
bool LineInUse(const TERRIX_LineInfo& record);
bool RegionInUse(const TERRIX_RegInfo& record);

}  // namespace Terrix::format
