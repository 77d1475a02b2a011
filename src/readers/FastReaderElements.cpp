// Terrix_FastReader: loading the element tables and reading points, notes,
// lines and polygons.
#include "readers/FastReaderElements.h"

#include <algorithm>
#include <cstring>

#include "format/ElementTables.h"
#include "format/Layout.h"
#include "format/PolygonAssembly.h"
#include "format/ShapeFill.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace detail {

namespace {

bool InRange(int index, std::int32_t recordCount) {
  return index >= 0 && static_cast<std::int64_t>(index) < static_cast<std::int64_t>(recordCount) - 1;
}

template <typename Record>
std::int32_t Take(const format::RecordTable& table, int index, Record& out) {
  const std::int64_t record = format::RecordOfElement(index);
  if (!table.Contains(record)) return Result::IoError;
  table.CopyRecord(record, &out);
  return Result::Success;
}

}  // namespace

bool PointIndexValid(const FastReaderState& s, int index) {
  const TERRIX_Element& counts = s.map.head.counts;
  switch (s.map.Kind()) {
    case format::FileKind::Point:
      return InRange(index, counts.elementRecordCount);
    case format::FileKind::Network:
      return InRange(index, counts.nodeRecordCount);
    default:
      return false;
  }
}

bool LineIndexValid(const FastReaderState& s, int index) {
  return format::KindHasLines(s.map.Kind()) && InRange(index, s.map.head.counts.elementRecordCount);
}

bool RegionIndexValid(const FastReaderState& s, int index) {
  return format::KindHasRegions(s.map.Kind()) && InRange(index, s.map.head.counts.regionRecordCount);
}

std::int32_t TakePoint(const FastReaderState& s, int index, TERRIX_PntInfo& out) {
  const std::int32_t rc = Take(s.elements.points, index, out);
  if (rc != Result::Success) return rc;
  return format::PointInUse(out) ? Result::Success : Result::NotInUse;
}

std::int32_t TakeLine(const FastReaderState& s, int index, TERRIX_LineInfo& out) {
  const std::int32_t rc = Take(s.elements.lines, index, out);
  if (rc != Result::Success) return rc;
  return format::LineInUse(out) ? Result::Success : Result::NotInUse;
}

std::int32_t TakeRegion(const FastReaderState& s, int index, TERRIX_RegInfo& out) {
  const std::int32_t rc = Take(s.elements.regions, index, out);
  if (rc != Result::Success) return rc;
  return format::RegionInUse(out) ? Result::Success : Result::NotInUse;
}

format::CoordinateSection CoordinatesOf(FastReaderState& s) {
  return format::LocateCoordinates(s.map.head, s.map.file.Size());
}

bool LineFits(const format::CoordinateSection& coordinates, std::int32_t pointCount) {
  return pointCount >= 0 && static_cast<std::uint64_t>(pointCount) <= coordinates.HeldPoints();
}

}  // namespace detail

std::int32_t Terrix_FastReader::ReadGeomInfo() {
  detail::FastReaderState& s = *state_;
  return format::LoadElementTables(s.map, s.map.Kind(), format::NetworkNodes::AsPoints, s.elements);
}

void Terrix_FastReader::ClearGeomBuffer() {
  state_->elements.ReleaseTables();
}

std::int32_t Terrix_FastReader::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {
  detail::FastReaderState& s = *state_;
  if (!detail::PointIndexValid(s, index)) return Result::IoError;
  ReadGeomInfo();
  TERRIX_PntInfo record{};
  const std::int32_t rc = detail::TakePoint(s, index, record);
  if (rc != Result::Success) return rc;
  if (info != nullptr) *info = record;
  if (geometry == nullptr) return Result::Success;
  return format::FillPointShape(geometry, record.x, record.y);
}

std::int32_t Terrix_FastReader::GetNoteInfo(int index, char* note) {
  detail::FastReaderState& s = *state_;
  if (s.map.Kind() != format::FileKind::Point || !detail::PointIndexValid(s, index)) return Result::IoError;
  ReadGeomInfo();
  if (note == nullptr) return Result::Success;
  // The state byte is not looked at: a deleted point's note is read all the same.
  TERRIX_PntInfo record{};
  if (!s.elements.points.Contains(format::RecordOfElement(index))) return Result::IoError;
  s.elements.points.CopyRecord(format::RecordOfElement(index), &record);
  if (record.noteLength <= 0) return Result::Success;

  const format::CoordinateSection coordinates = detail::CoordinatesOf(s);
  if (!coordinates.present) return Result::IoError;
  const std::size_t length =
      std::min<std::size_t>(static_cast<std::size_t>(record.noteLength), format::kMaxNoteBytes);
  char text[format::kMaxNoteBytes + 1] = {};
  s.map.file.Seek(coordinates.At(record.noteOffset));
  if (!s.map.file.Read(text, length)) return Result::IoError;
  text[length] = '\0';
  std::memcpy(note, text, length + 1);
  return Result::Success;
}

std::int32_t Terrix_FastReader::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {
  detail::FastReaderState& s = *state_;
  if (!detail::LineIndexValid(s, index)) return Result::IoError;
  ReadGeomInfo();
  TERRIX_LineInfo record{};
  const std::int32_t rc = detail::TakeLine(s, index, record);
  if (rc != Result::Success) return rc;
  if (info != nullptr) *info = record;
  if (geometry == nullptr) return Result::Success;
  const format::CoordinateSection coordinates = detail::CoordinatesOf(s);
  if (!detail::LineFits(coordinates, record.pointCount)) return Result::IoError;
  return format::FillLineShape(geometry, s.map.file, coordinates.At(record.pointOffset), record.pointCount,
                               format::PointReads::WholeRun, s.elements.scratch.points);
}

std::int32_t Terrix_FastReader::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {
  detail::FastReaderState& s = *state_;
  if (!detail::RegionIndexValid(s, index)) return Result::IoError;
  ReadGeomInfo();
  TERRIX_RegInfo record{};
  const std::int32_t rc = detail::TakeRegion(s, index, record);
  if (rc != Result::Success) return rc;
  if (record.listCount < 1) return Result::BadArcList;
  if (info != nullptr) *info = record;
  if (geometry == nullptr) return Result::Success;
  const format::CoordinateSection coordinates = detail::CoordinatesOf(s);
  const format::ArcSource source{s.map.file, coordinates, s.elements.lines,
                                 s.map.head.counts.elementRecordCount};
  return format::AssemblePolygon(source, record, geometry, format::PolygonReadOptions{}, s.elements.scratch);
}

std::int32_t Terrix_FastReader::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {
  detail::FastReaderState& s = *state_;
  const std::int64_t record = arc < 0 ? -static_cast<std::int64_t>(arc) : arc;
  if (!format::KindHasLines(s.map.Kind()) || record < 1 ||
      record > static_cast<std::int64_t>(s.map.head.counts.elementRecordCount) - 1)
    return Result::IoError;
  ReadGeomInfo();
  const format::CoordinateSection coordinates = detail::CoordinatesOf(s);
  const format::ArcSource source{s.map.file, coordinates, s.elements.lines,
                                 s.map.head.counts.elementRecordCount};
  return format::ReadArcPoints(source, arc, count, points, roomPoints, format::PointReads::WholeRun);
}

std::int32_t Terrix_FastReader::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total,
                                             std::int32_t* entries) {
  if (total == nullptr || entries == nullptr) return Result::Success;
  detail::FastReaderState& s = *state_;
  return format::ReadArcList(s.map.file, detail::CoordinatesOf(s), region, total, entries);
}

}  // namespace Terrix
