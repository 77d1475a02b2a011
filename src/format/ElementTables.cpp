#include "format/ElementTables.h"

#include <cstring>

#include "format/Coordinates.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

TERRIX_PntInfo NodeAsPoint(const TERRIX_NetPntInfo& node, const std::uint8_t (&style)[kNodeStyleBlockSize]) {
  TERRIX_PntInfo point{};
  point.state = kStateInUse;
  point.noteLength = kNodePointNoteLength;
  point.noteOffset = 0;
  point.x = node.x;
  point.y = node.y;
  const double zero = 0.0;
  std::memcpy(point.display0, &zero, sizeof zero);
  auto* bytes = reinterpret_cast<std::uint8_t*>(&point);
  std::memcpy(bytes + kNodeStyleOffsetInPoint, style, kNodeStyleBytesInPoint);
  return point;
}

void NetPointIntoPoint(const TERRIX_NetPntInfo& node, const std::uint8_t (&style)[kNodeStyleBlockSize],
                       TERRIX_PntInfo& point) {
  std::uint8_t kept[kNetPointKeptBytes];
  auto* bytes = reinterpret_cast<std::uint8_t*>(&point);
  std::memcpy(kept, bytes + kNetPointKeptAt, sizeof kept);
  point = NodeAsPoint(node, style);
  point.state = node.state;
  std::memcpy(bytes + kNetPointStyleHeadAt, style, kNetPointStyleHeadBytes);
  std::memcpy(bytes + kNetPointKeptAt, kept, sizeof kept);
  std::memcpy(bytes + kNetPointStyleTailAt, style + kNetPointStyleTailFrom, kNetPointStyleTailBytes);
  std::memset(bytes + kNetPointZeroAt, 0, kPointRecordSize - kNetPointZeroAt);
}

bool ReadNodeStyle(core::File& file, const CoordinateSection& coordinates, const TERRIX_NetPntInfo& node,
                   std::uint8_t (&style)[kNodeStyleBlockSize]) {
  if (!coordinates.present) return false;
  file.Seek(coordinates.At(node.styleOffset));
  return file.Read(style, sizeof style);
}

void ElementTables::ReleaseTables() {
  points.Clear();
  lines.Clear();
  regions.Clear();
  nodes.Clear();
}

void ElementTables::Clear() {
  loaded = false;
  loadFailed = false;
  ReleaseTables();
  scratch = ReadScratch{};
}

bool KindHasPoints(FileKind kind) {
  return kind == FileKind::Point || kind == FileKind::Network;
}
bool KindHasLines(FileKind kind) {
  return kind == FileKind::Line || kind == FileKind::Region || kind == FileKind::Network;
}
bool KindHasRegions(FileKind kind) {
  return kind == FileKind::Region;
}

bool PointInUse(const TERRIX_PntInfo& record) {
  return record.state == kStateInUse;
}
bool LineInUse(const TERRIX_LineInfo& record) {
  return record.state == kStateInUse;
}
bool RegionInUse(const TERRIX_RegInfo& record) {
  return record.state == kStateInUse;
}
bool NodeInUse(const TERRIX_NetPntInfo& record) {
  return record.state == kStateInUse;
}

namespace {

std::int32_t LoadSection(OpenedMap& map, int section, std::int32_t records, std::uint32_t recordSize,
                         RecordTable& table) {
  std::uint64_t offset = 0;
  if (!map.SectionOffset(section, offset)) return Result::IoError;
  return table.Load(map.file, offset, records, recordSize);
}

// Builds point record j for every node record j, the reserved record 0
// included, so that node element i is again record i + 1. Node records beyond
// the end of the file were never stored: they stay zero (not in use) instead
// of costing one style-block read each.
std::int32_t BuildNodePoints(OpenedMap& map, RecordTable& points) {
  const std::int32_t records = map.head.counts.nodeRecordCount;
  points.Prepare(records, kPointRecordSize);
  RecordTable nodes;
  std::int32_t rc = LoadSection(map, Section::NetworkNodes, records, kNodeRecordSize, nodes);
  if (rc != Result::Success) return rc;
  const CoordinateSection coordinates = LocateCoordinates(map.head, map.file.Size());
  const std::int64_t stored =
      static_cast<std::int64_t>((nodes.Bytes().size() + kNodeRecordSize - 1) / kNodeRecordSize);
  for (std::int64_t j = 0; j < stored; ++j) {
    TERRIX_NetPntInfo node{};
    nodes.CopyRecord(j, &node);
    std::uint8_t style[kNodeStyleBlockSize] = {};
    if (!ReadNodeStyle(map.file, coordinates, node, style)) return Result::IoError;
    const TERRIX_PntInfo point = NodeAsPoint(node, style);
    if (!points.StoreRecord(j, &point)) return Result::NoMemory;
  }
  return Result::Success;
}

}  // namespace

namespace {

std::int32_t LoadTablesOfKind(OpenedMap& map, FileKind kind, NetworkNodes nodes, ElementTables& tables) {
  const TERRIX_Element& counts = map.head.counts;
  std::int32_t rc = Result::Success;
  switch (kind) {
    case FileKind::Point:
      return LoadSection(map, Section::Elements, counts.elementRecordCount, kPointRecordSize, tables.points);
    case FileKind::Line:
      return LoadSection(map, Section::Elements, counts.elementRecordCount, kLineRecordSize, tables.lines);
    case FileKind::Region:
      rc = LoadSection(map, Section::Elements, counts.elementRecordCount, kLineRecordSize, tables.lines);
      if (rc != Result::Success) return rc;
      return LoadSection(map, Section::Regions, counts.regionRecordCount, kRegionRecordSize, tables.regions);
    case FileKind::Network:
      if (nodes == NetworkNodes::AsPoints) rc = BuildNodePoints(map, tables.points);
      if (nodes == NetworkNodes::AsNodes)
        rc = LoadSection(map, Section::NetworkNodes, counts.nodeRecordCount, kNodeRecordSize, tables.nodes);
      if (rc != Result::Success) return rc;
      return LoadSection(map, Section::Elements, counts.elementRecordCount, kLineRecordSize, tables.lines);
    default:
      return Result::NotHandled;
  }
}

}  // namespace

std::int32_t LoadElementTables(OpenedMap& map, FileKind kind, NetworkNodes nodes, ElementTables& tables) {
  if (tables.loaded) return Result::Success;
  tables.loaded = true;
  const std::int32_t rc = LoadTablesOfKind(map, kind, nodes, tables);
  tables.loadFailed = rc == Result::IoError || rc == Result::NoMemory;
  return rc;
}

}  // namespace Terrix::format
