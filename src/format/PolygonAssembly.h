// Polygon arc lists and the assembly of a polygon from its arcs, written once
// for every reader. The readers differ only in what the options say.
//
// An arc list is c i32 values in the coordinate section: a leading total, then
// c - 1 entries. Entry k > 0 is arc record k in stored order, k < 0 arc record
// -k reversed, 0 a ring separator (one in the first or last entry starts no
// ring). The polygon's vertex count is total - 1 - (number of zero entries).
#pragma once

#include <cstdint>

#include "core/File.h"
#include "format/Coordinates.h"
#include "format/ElementTables.h"
#include "format/HeadArea.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"

namespace Terrix::format {

constexpr std::int32_t kRingSeparator = 0;

/// What a reader does with a listed arc that is not in use.
enum class InactiveArc {
  Skip,  // leave it out and go on with the next entry
  Stop,  // stop gathering arcs; the polygon read answers Result::NotInUse
};

struct PolygonReadOptions {
  InactiveArc inactiveArc = InactiveArc::Skip;
  PointReads pointReads = PointReads::WholeRun;
};

/// What the arcs of a polygon are read from.
struct ArcSource {
  core::File& file;
  const CoordinateSection& coordinates;
  /// The loaded arc records.
  const RecordTable& arcs;
  /// Record count of section 0 as the head gives it: arc numbers lie in
  /// 1 .. arcRecordCount - 1.
  std::int32_t arcRecordCount;
};

/// The rings and vertices an arc list describes.
struct ArcListShape {
  std::int64_t separators = 0;   // zero entries
  std::int64_t vertexCount = 0;  // total - 1 - separators; negative for a bad total
  std::int32_t ringCount = 1;    // 1 + separators, less one for each end separator
};
ArcListShape MeasureArcList(std::int32_t total, const std::int32_t* entries, std::int64_t entryCount);

/// Whether room is made for an arc list of `listCount` values (leading total
/// included): no more values than the whole file could hold. A longer list
/// gets no room, as when the allocation fails (Result::NoMemory).
bool ArcListBacked(const CoordinateSection& coordinates, std::int32_t listCount);

/// Reads a polygon's arc list: the leading total with one read, then the
/// listCount - 1 entries with another. Result::IoError when a read fails or
/// the section is missing, Result::BadArcList for a negative total.
std::int32_t ReadArcList(core::File& file, const CoordinateSection& coordinates, const TERRIX_RegInfo& region,
                         std::int32_t* total, std::int32_t* entries);

/// Makes room for the arc list of `region` (list count at least 1) in
/// scratch.entries and reads the list into it and `total`: Result::NoMemory
/// when no room is made (a list longer than the file could back, or a failed
/// allocation), else the code of ReadArcList.
std::int32_t LoadArcList(core::File& file, const CoordinateSection& coordinates, const TERRIX_RegInfo& region,
                         ReadScratch& scratch, std::int32_t& total);

/// The ring count of `region` (list count at least 1; MeasureArcList), its
/// arc list read as AssemblePolygon reads it; Result::Success or the code of LoadArcList.
std::int32_t CountRings(core::File& file, const CoordinateSection& coordinates, const TERRIX_RegInfo& region,
                        ReadScratch& scratch, std::int32_t& rings);

/// Reads the points of arc `arcNumber` (negative: reversed) into `room`, which
/// has space for `roomPoints` points. `count`, when given, receives the arc's
/// point count, also without a room. Result::IoError for an arc number outside
/// the table, an arc that does not fit in the room (nothing is read) or a
/// failed read; Result::NotInUse for an arc not in use.
std::int32_t ReadArcPoints(const ArcSource& source, std::int64_t arcNumber, std::int32_t* count, double* room,
                           std::int64_t roomPoints, PointReads how);

/// Assembles the polygon of `region` (in use, with a list count of at least 1)
/// into `g`: reads its arc list, fills the container's arrays and walks the
/// entries, reading each arc straight into its place in a working array, then
/// copies the points into the vertex arrays with the x and y bounds. Points no
/// arc filled stay (0.0, 0.0). Answers the result of the walk, or the code of
/// the step that failed; arrays already in the container stay there.
std::int32_t AssemblePolygon(const ArcSource& source, const TERRIX_RegInfo& region, Geometry* g,
                             const PolygonReadOptions& options, ReadScratch& scratch);

}  // namespace Terrix::format
