// Terrix_FastReader: elements as well-known-binary records.
#include <new>
#include <vector>

#include "format/Layout.h"
#include "format/PolygonAssembly.h"
#include "format/ShapeFill.h"
#include "readers/FastReaderState.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace {

// The records say little-endian as 0, although the doubles are in the
// machine's own (little-endian) order.
constexpr std::uint8_t kWkbByteOrder = 0;
constexpr std::uint32_t kWkbPoint = 1;
constexpr std::uint32_t kWkbLineString = 2;
constexpr std::uint32_t kWkbPolygon = 3;

}  // namespace

std::int32_t Terrix_FastReader::ReadPointWKB(int index, TERRIX_PntInfo* info, WKBPoint* wkb) {
  TERRIX_PntInfo record{};
  const std::int32_t rc = detail::ElementsOf(*state_).FindPoint(index, record);
  if (rc != Result::Success) return rc;
  if (info != nullptr) *info = record;
  if (wkb != nullptr) {
    wkb->byteOrder = kWkbByteOrder;
    wkb->wkbType = kWkbPoint;
    wkb->point = Point2D{record.x, record.y};
  }
  return Result::Success;
}

std::int32_t Terrix_FastReader::ReadArcWKB(int index, TERRIX_LineInfo* info, WKBLineString* wkb) {
  detail::FastReaderState& s = *state_;
  format::ElementReader elements = detail::ElementsOf(s);
  TERRIX_LineInfo record{};
  const std::int32_t rc = elements.FindLine(index, record);
  if (rc != Result::Success) return rc;
  if (info != nullptr) *info = record;
  if (wkb == nullptr) return Result::Success;
  const format::CoordinateSection coordinates = elements.Coordinates();
  const std::int32_t room =
      format::LineRoom(coordinates, record.pointCount, format::LineBound::SectionLength);
  if (room == Result::IoError) return room;

  wkb->byteOrder = kWkbByteOrder;
  wkb->wkbType = kWkbLineString;
  wkb->numPoints = static_cast<std::uint32_t>(record.pointCount);
  void* points = nullptr;
  const bool allocated =
      room == Result::Success &&
      format::AllocateZeroed(static_cast<std::size_t>(record.pointCount), sizeof(Point2D), points);
  wkb->points = static_cast<Point2D*>(points);
  if (!allocated) return Result::NoMemory;
  // One read straight into the caller's array: Point2D is x then y, as stored.
  static_assert(sizeof(Point2D) == format::kCoordinatePairSize);
  s.map.file.Seek(coordinates.At(record.pointOffset));
  if (!s.map.file.Read(points, static_cast<std::size_t>(record.pointCount) * sizeof(Point2D)))
    return Result::IoError;
  return Result::Success;
}

std::int32_t Terrix_FastReader::ReadPolygonWKB(int index, TERRIX_RegInfo* info, WKBPolygon* wkb) {
  try {
    detail::FastReaderState& s = *state_;
    format::ElementReader elements = detail::ElementsOf(s);
    TERRIX_RegInfo record{};
    const std::int32_t rc = elements.FindRegion(index, record);
    if (rc != Result::Success) return rc;
    if (record.listCount < 1) return Result::BadArcList;
    if (info != nullptr) *info = record;
    if (wkb == nullptr) return Result::Success;

    if (!format::ArcListBacked(elements.Coordinates(), record.listCount)) return Result::NoMemory;
    std::vector<std::int32_t>& entries = s.elements.scratch.entries;
    const std::int64_t entryCount = static_cast<std::int64_t>(record.listCount) - 1;
    try {
      entries.assign(static_cast<std::size_t>(entryCount), 0);
    } catch (const std::bad_alloc&) {
      return Result::NoMemory;
    }
    std::int32_t total = 0;
    // ReadPolyTopo reads nothing without an entries room: give a list of no
    // entries one all the same, so that its total is read and checked.
    std::int32_t noEntries = 0;
    const std::int32_t listRead = ReadPolyTopo(record, &total, entries.empty() ? &noEntries : entries.data());
    if (listRead != Result::Success) return listRead;

    wkb->byteOrder = kWkbByteOrder;
    wkb->wkbType = kWkbPolygon;
    wkb->numRings =
        static_cast<std::uint32_t>(format::MeasureArcList(total, entries.data(), entryCount).ringCount);
    return Result::Success;
  } catch (...) {
    return Result::Refused;
  }
}

}  // namespace Terrix
