#include "format/ElementReads.h"

#include <algorithm>
#include <cstring>

#include "format/Layout.h"
#include "format/ShapeFill.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

bool ElementInRange(int index, std::int32_t recordCount) {
  return index >= 0 && static_cast<std::int64_t>(index) < static_cast<std::int64_t>(recordCount) - 1;
}

std::int32_t LineRoom(const CoordinateSection& coordinates, std::int32_t pointCount, LineBound bound) {
  if (bound == LineBound::SectionLength && pointCount > 0 &&
      static_cast<std::uint64_t>(pointCount) > coordinates.LengthPoints())
    return Result::IoError;
  if (pointCount < 0 || static_cast<std::uint64_t>(pointCount) > coordinates.FilePoints())
    return Result::NoMemory;
  return Result::Success;
}

std::int32_t ElementReader::Load() {
  return LoadElementTables(map_, kind_, rules_.nodes, tables_);
}

bool ElementReader::PointIndexValid(int index) const {
  const TERRIX_Element& counts = map_.head.counts;
  if (rules_.indices == IndexRule::ByLoadedTable) return ElementInRange(index, counts.elementRecordCount);
  switch (map_.head.Kind()) {
    case FileKind::Point:
      return ElementInRange(index, counts.elementRecordCount);
    case FileKind::Network:
      return ElementInRange(index, counts.nodeRecordCount);
    default:
      return false;
  }
}

bool ElementReader::LineIndexValid(int index) const {
  const bool kindHasLines = rules_.indices == IndexRule::ByLoadedTable || KindHasLines(map_.head.Kind());
  return kindHasLines && ElementInRange(index, map_.head.counts.elementRecordCount);
}

bool ElementReader::RegionIndexValid(int index) const {
  const bool kindHasRegions = rules_.indices == IndexRule::ByLoadedTable || KindHasRegions(map_.head.Kind());
  return kindHasRegions && ElementInRange(index, map_.head.counts.regionRecordCount);
}

template <typename Record>
std::int32_t ElementReader::Find(bool indexValid, const RecordTable& table, int index, Record& out,
                                 bool (*inUse)(const Record&)) {
  if (!indexValid) return Result::IoError;
  Load();
  const std::int64_t record = RecordOfElement(index);
  if (!Readable(table, record)) return Result::IoError;
  table.CopyRecord(record, &out);
  return inUse(out) ? Result::Success : Result::NotInUse;
}

std::int32_t ElementReader::FindPoint(int index, TERRIX_PntInfo& out) {
  return Find(PointIndexValid(index), tables_.points, index, out, PointInUse);
}

std::int32_t ElementReader::FindLine(int index, TERRIX_LineInfo& out) {
  return Find(LineIndexValid(index), tables_.lines, index, out, LineInUse);
}

std::int32_t ElementReader::FindRegion(int index, TERRIX_RegInfo& out) {
  return Find(RegionIndexValid(index), tables_.regions, index, out, RegionInUse);
}

std::int32_t ElementReader::FindNetPoint(int index, TERRIX_NetPntInfo& out) {
  return Find(ElementInRange(index, map_.head.counts.nodeRecordCount), tables_.nodes, index, out, NodeInUse);
}

CoordinateSection ElementReader::Coordinates() const {
  return LocateCoordinates(map_.head, map_.file.Size());
}

namespace {

template <typename Record>
std::int32_t Handed(std::int32_t found, const Record& record, Record* info) {
  if (found == Result::Success && info != nullptr) *info = record;
  return found;
}

}  // namespace

std::int32_t ElementReader::Take(int index, TERRIX_PntInfo& record, TERRIX_PntInfo* info) {
  return Handed(FindPoint(index, record), record, info);
}

std::int32_t ElementReader::Take(int index, TERRIX_LineInfo& record, TERRIX_LineInfo* info) {
  return Handed(FindLine(index, record), record, info);
}

std::int32_t ElementReader::Take(int index, TERRIX_RegInfo& record, TERRIX_RegInfo* info) {
  std::int32_t rc = FindRegion(index, record);
  if (rc == Result::Success && record.listCount < 1) rc = Result::BadArcList;
  return Handed(rc, record, info);
}

ArcSource ElementReader::Arcs(const CoordinateSection& coordinates) const {
  return ArcSource{map_.file, coordinates, tables_.lines, map_.head.counts.elementRecordCount};
}

std::int32_t ElementReader::ReadPoint(int index, TERRIX_PntInfo* info, Geometry* g) {
  TERRIX_PntInfo record{};
  if (const std::int32_t rc = Take(index, record, info); rc != Result::Success || g == nullptr) return rc;
  return FillPointShape(g, record.x, record.y);
}

std::int32_t ElementReader::ReadNote(int index, char* note) {
  if (kind_ != FileKind::Point || !ElementInRange(index, map_.head.counts.elementRecordCount))
    return Result::IoError;
  Load();
  if (note == nullptr) return Result::Success;
  const std::int64_t slot = RecordOfElement(index);
  if (!Readable(tables_.points, slot)) return Result::IoError;
  TERRIX_PntInfo record{};
  tables_.points.CopyRecord(slot, &record);
  if (record.noteLength <= 0) return Result::Success;

  const CoordinateSection coordinates = Coordinates();
  if (!coordinates.present) return Result::IoError;
  const std::size_t length =
      std::min<std::size_t>(static_cast<std::size_t>(record.noteLength), kMaxNoteBytes);
  char text[kMaxNoteBytes + 1] = {};
  map_.file.Seek(coordinates.At(record.noteOffset));
  if (!map_.file.Read(text, length)) return Result::IoError;
  text[length] = '\0';
  std::memcpy(note, text, length + 1);
  return Result::Success;
}

std::int32_t ElementReader::ReadLine(int index, TERRIX_LineInfo* info, Geometry* g) {
  TERRIX_LineInfo record{};
  if (const std::int32_t rc = Take(index, record, info); rc != Result::Success || g == nullptr) return rc;
  const CoordinateSection coordinates = Coordinates();
  if (!coordinates.present) return Result::IoError;
  const std::int32_t room = LineRoom(coordinates, record.pointCount, rules_.lines.bound);
  if (room != Result::Success) return room;
  return FillLineShape(g, map_.file, coordinates.At(record.pointOffset), record.pointCount,
                       rules_.lines.pointReads, tables_.scratch.points);
}

std::int32_t ElementReader::ReadRegion(int index, TERRIX_RegInfo* info, Geometry* g) {
  TERRIX_RegInfo record{};
  if (const std::int32_t rc = Take(index, record, info); rc != Result::Success || g == nullptr) return rc;
  return AssemblePolygon(Arcs(Coordinates()), record, g, rules_.polygons, tables_.scratch);
}

std::int32_t ElementReader::ReadNetPoint(int index, TERRIX_PntInfo* info, Geometry* g) {
  TERRIX_NetPntInfo node{};
  const std::int32_t rc = FindNetPoint(index, node);
  if (rc != Result::Success) return rc;
  if (info != nullptr) {
    std::uint8_t style[kNodeStyleBlockSize] = {};
    if (!ReadNodeStyle(map_.file, Coordinates(), node, style)) return Result::IoError;
    NetPointIntoPoint(node, style, *info);
  }
  if (g == nullptr) return Result::Success;
  return FillPointShape(g, node.x, node.y);
}

std::int32_t ElementReader::ReadArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  const std::int64_t record = arc < 0 ? -static_cast<std::int64_t>(arc) : arc;
  const bool kindHasLines = rules_.indices == IndexRule::ByLoadedTable || KindHasLines(map_.head.Kind());
  if (!kindHasLines || record < 1 ||
      record > static_cast<std::int64_t>(map_.head.counts.elementRecordCount) - 1)
    return Result::IoError;
  Load();
  const CoordinateSection coordinates = Coordinates();
  return ReadArcPoints(Arcs(coordinates), arc, count, points, roomPoints, rules_.polygons.pointReads);
}

std::int32_t ElementReader::ReadArcList(const TERRIX_RegInfo& region, std::int32_t* total,
                                        std::int32_t* entries) {
  if (total == nullptr || entries == nullptr) return Result::Success;
  return format::ReadArcList(map_.file, Coordinates(), region, total, entries);
}

}  // namespace Terrix::format
