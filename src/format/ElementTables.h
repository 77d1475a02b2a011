// The element tables of a vector map file (points, lines or arcs, polygons),
// loaded once per file, and the network node presented as a point record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/File.h"
#include "format/Coordinates.h"
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

// A network point handed out by the memory reader as a point record: the
// state byte, note length 1, note offset 0, x, y and 0.0 as the fast reader
// builds it, then style bytes 0-25 at 31-56; bytes 57-66 keep what the
// caller's record held; style bytes 36-53 at 67-84; zero at 85-92.
constexpr std::size_t kNetPointStyleHeadAt = kNodeStyleOffsetInPoint;  // 31
constexpr std::size_t kNetPointStyleHeadBytes = 26;                    // style 0 .. 25
constexpr std::size_t kNetPointKeptAt = 57;
constexpr std::size_t kNetPointKeptBytes = 10;
constexpr std::size_t kNetPointStyleTailFrom = 36;
constexpr std::size_t kNetPointStyleTailAt = 67;
constexpr std::size_t kNetPointStyleTailBytes = 18;  // style 36 .. 53
constexpr std::size_t kNetPointZeroAt = 85;
static_assert(kNetPointStyleHeadAt + kNetPointStyleHeadBytes == kNetPointKeptAt);
static_assert(kNetPointKeptAt + kNetPointKeptBytes == kNetPointStyleTailAt);
static_assert(kNetPointStyleTailAt + kNetPointStyleTailBytes == kNetPointZeroAt);
static_assert(kNetPointZeroAt < kPointRecordSize);
static_assert(kNetPointStyleTailFrom + kNetPointStyleTailBytes <= kNodeStyleBlockSize);

/// Fills `point` from a network point and its style block, leaving bytes
/// 57-66 as they were.
void NetPointIntoPoint(const TERRIX_NetPntInfo& node, const std::uint8_t (&style)[kNodeStyleBlockSize],
                       TERRIX_PntInfo& point);

/// Reads the 94-byte style block of a network node from the coordinate
/// section. False when the section is missing or the read fails.
bool ReadNodeStyle(core::File& file, const CoordinateSection& coordinates, const TERRIX_NetPntInfo& node,
                   std::uint8_t (&style)[kNodeStyleBlockSize]);

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
  /// Set when that load failed: a record it did not reach is unknown, not
  /// an empty record, and its reads answer Result::IoError.
  bool loadFailed = false;
  RecordTable points;   // 93-byte point records, or records built for network nodes
  RecordTable lines;    // 57-byte line or arc records
  RecordTable regions;  // 40-byte polygon records
  RecordTable nodes;    // 55-byte network node records, as stored (NetworkNodes::AsNodes)

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
  AsNodes,   // keep the node records as they are stored
  Skip,      // leave them to the reader
};

/// Loads the element tables of a file of `kind` once: the point table
/// (section 0 of a point file), the line table (section 0 of line, region and
/// network files), the polygon table (section 8 of a region file) and, for a
/// network file the point records built from section 4 (AsPoints) or the node
/// records themselves (AsNodes). A table
/// file or unknown kind answers Result::NotHandled, a failed read
/// Result::IoError (what was read stays), a second call Result::Success.
std::int32_t LoadElementTables(OpenedMap& map, FileKind kind, NetworkNodes nodes, ElementTables& tables);

/// Whether a file of `kind` has a table of points (point and network files),
/// lines or arcs (line, region and network files) or polygons (region files).
bool KindHasPoints(FileKind kind);
bool KindHasLines(FileKind kind);
bool KindHasRegions(FileKind kind);

/// Whether an element record is in use (its state byte is 1).
bool PointInUse(const TERRIX_PntInfo& record);
bool LineInUse(const TERRIX_LineInfo& record);
bool RegionInUse(const TERRIX_RegInfo& record);
/// Whether a network node is in use (its state byte, at offset 24, is 1).
bool NodeInUse(const TERRIX_NetPntInfo& record);

}  // namespace Terrix::format
