// The well-known-binary reads of the element reader: the element's record as
// the element reads give it, and its shape in a WKBPoint, WKBLineString or
// WKBPolygon record instead of a Geometry container.
#include "format/ElementReads.h"
#include "format/Layout.h"
#include "format/PolygonAssembly.h"
#include "format/ShapeFill.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

namespace {

// The records say little-endian as 0, although the doubles are in the
// machine's own (little-endian) order.
constexpr std::uint8_t kWkbByteOrder = 0;
constexpr std::uint32_t kWkbPoint = 1;
constexpr std::uint32_t kWkbLineString = 2;
constexpr std::uint32_t kWkbPolygon = 3;

// Point2D is x then y, as the coordinate section stores a point.
static_assert(sizeof(Point2D) == kCoordinatePairSize);

}  // namespace

std::int32_t ElementReader::ReadPointWkb(int index, TERRIX_PntInfo* info, WKBPoint* wkb) {
  TERRIX_PntInfo record{};
  if (const std::int32_t rc = Take(index, record, info); rc != Result::Success || wkb == nullptr) return rc;
  wkb->byteOrder = kWkbByteOrder;
  wkb->wkbType = kWkbPoint;
  wkb->point = Point2D{record.x, record.y};
  return Result::Success;
}

std::int32_t ElementReader::ReadLineWkb(int index, TERRIX_LineInfo* info, WKBLineString* wkb) {
  TERRIX_LineInfo record{};
  if (const std::int32_t rc = Take(index, record, info); rc != Result::Success || wkb == nullptr) return rc;
  const CoordinateSection coordinates = Coordinates();
  const std::int32_t room = LineRoom(coordinates, record.pointCount, LineBound::SectionLength);
  if (room == Result::IoError) return room;

  // The record is filled before its array is obtained: without room it
  // carries the count and no array.
  wkb->byteOrder = kWkbByteOrder;
  wkb->wkbType = kWkbLineString;
  wkb->numPoints = static_cast<std::uint32_t>(record.pointCount);
  void* points = nullptr;
  const bool allocated = room == Result::Success &&
                         AllocateZeroed(static_cast<std::size_t>(record.pointCount), sizeof(Point2D), points);
  wkb->points = static_cast<Point2D*>(points);
  if (!allocated) return Result::NoMemory;
  // One read straight into the caller's array.
  if (!ReadPointRun(map_.file, coordinates.At(record.pointOffset), record.pointCount,
                    static_cast<double*>(points), PointReads::WholeRun))
    return Result::IoError;
  return Result::Success;
}

std::int32_t ElementReader::ReadRegionWkb(int index, TERRIX_RegInfo* info, WKBPolygon* wkb) {
  TERRIX_RegInfo record{};
  if (const std::int32_t rc = Take(index, record, info); rc != Result::Success || wkb == nullptr) return rc;
  std::int32_t rings = 0;
  const std::int32_t rc = CountRings(map_.file, Coordinates(), record, tables_.scratch, rings);
  if (rc != Result::Success) return rc;
  wkb->byteOrder = kWkbByteOrder;
  wkb->wkbType = kWkbPolygon;
  wkb->numRings = static_cast<std::uint32_t>(rings);
  return Result::Success;
}

}  // namespace Terrix::format
