#include "format/PolygonAssembly.h"

#include <algorithm>
#include <new>

#include "format/Layout.h"
#include "format/ShapeFill.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

ArcListShape MeasureArcList(std::int32_t total, const std::int32_t* entries, std::int64_t entryCount) {
  ArcListShape shape;
  shape.separators = std::count(entries, entries + std::max<std::int64_t>(entryCount, 0), kRingSeparator);
  shape.vertexCount = static_cast<std::int64_t>(total) - 1 - shape.separators;
  std::int64_t rings = 1 + shape.separators;
  if (entryCount >= 1 && entries[0] == kRingSeparator) --rings;
  if (entryCount >= 2 && entries[entryCount - 1] == kRingSeparator) --rings;
  shape.ringCount = static_cast<std::int32_t>(rings);
  return shape;
}

bool ArcListBacked(const CoordinateSection& coordinates, std::int32_t listCount) {
  return listCount >= 0 && static_cast<std::uint64_t>(listCount) * kArcListValueSize <= coordinates.fileSize;
}

std::int32_t ReadArcList(core::File& file, const CoordinateSection& coordinates, const TERRIX_RegInfo& region,
                         std::int32_t* total, std::int32_t* entries) {
  if (!coordinates.present) return Result::IoError;
  const std::int64_t entryCount = std::max<std::int64_t>(static_cast<std::int64_t>(region.listCount) - 1, 0);
  file.Seek(coordinates.At(region.listOffset));
  if (!file.Read(total, kArcListValueSize)) return Result::IoError;
  if (!file.Read(entries, static_cast<std::size_t>(entryCount) * kArcListValueSize)) return Result::IoError;
  return *total < 0 ? Result::BadArcList : Result::Success;
}

std::int32_t LoadArcList(core::File& file, const CoordinateSection& coordinates, const TERRIX_RegInfo& region,
                         ReadScratch& scratch, std::int32_t& total) {
  if (!ArcListBacked(coordinates, region.listCount)) return Result::NoMemory;
  try {
    scratch.entries.assign(static_cast<std::size_t>(static_cast<std::int64_t>(region.listCount) - 1), 0);
  } catch (const std::bad_alloc&) {
    return Result::NoMemory;
  }
  return ReadArcList(file, coordinates, region, &total, scratch.entries.data());
}

std::int32_t CountRings(core::File& file, const CoordinateSection& coordinates, const TERRIX_RegInfo& region,
                        ReadScratch& scratch, std::int32_t& rings) {
  std::int32_t total = 0;
  const std::int32_t rc = LoadArcList(file, coordinates, region, scratch, total);
  if (rc != Result::Success) return rc;
  rings = MeasureArcList(total, scratch.entries.data(), static_cast<std::int64_t>(scratch.entries.size()))
              .ringCount;
  return Result::Success;
}

std::int32_t ReadArcPoints(const ArcSource& source, std::int64_t arcNumber, std::int32_t* count, double* room,
                           std::int64_t roomPoints, PointReads how) {
  const std::int64_t record = arcNumber < 0 ? -arcNumber : arcNumber;
  if (record < 1 || record > static_cast<std::int64_t>(source.arcRecordCount) - 1 ||
      !source.arcs.Contains(record))
    return Result::IoError;
  TERRIX_LineInfo arc{};
  source.arcs.CopyRecord(record, &arc);
  if (!LineInUse(arc)) return Result::NotInUse;
  if (count != nullptr) *count = arc.pointCount;
  if (room == nullptr) return Result::Success;
  if (arc.pointCount < 0 || arc.pointCount > roomPoints || !source.coordinates.present)
    return Result::IoError;
  if (!ReadPointRun(source.file, source.coordinates.At(arc.pointOffset), arc.pointCount, room, how))
    return Result::IoError;
  if (arcNumber < 0) ReversePointRun(room, arc.pointCount);
  return Result::Success;
}

namespace {

// The most vertices a polygon may claim: the points its listed arcs can give
// (each arc at most what the file could hold) plus as many again as the file
// could hold, for a total that promises more points than the arcs give (they
// stay (0.0, 0.0)). A larger count comes from a corrupt total, and room for it
// is not obtained.
//
// Listing an arc more than once is legal, but a list that names one long arc
// thousands of times would make a small file ask for gigabytes. So a polygon
// may hold at most kRelistFactor times the points the file could hold, or
// kSmallFileVertices in a small file, whatever its arcs say.
constexpr std::int64_t kRelistFactor = 4;
constexpr std::int64_t kSmallFileVertices = std::int64_t{1} << 20;

bool VertexCountBacked(const ArcSource& source, std::int64_t vertexCount, const std::int32_t* entries,
                       std::int64_t entryCount) {
  if (vertexCount < 0) return false;
  const std::int64_t filePoints = static_cast<std::int64_t>(source.file.Size() / kCoordinatePairSize);
  if (vertexCount > std::max(kRelistFactor * filePoints, kSmallFileVertices)) return false;
  std::int64_t limit = filePoints;
  // The usual polygon is settled here, without looking at its arcs.
  if (vertexCount <= limit) return true;
  for (std::int64_t j = 0; j < entryCount && limit < vertexCount; ++j) {
    const std::int64_t record = entries[j] < 0 ? -static_cast<std::int64_t>(entries[j]) : entries[j];
    if (record == 0 || !source.arcs.Contains(record)) continue;
    TERRIX_LineInfo arc{};
    source.arcs.CopyRecord(record, &arc);
    if (LineInUse(arc)) limit += std::clamp<std::int64_t>(arc.pointCount, 0, filePoints);
  }
  return vertexCount <= limit;
}

bool AllocateParts(Geometry* g, std::int32_t count) {
  void* starts = nullptr;
  void* kinds = nullptr;
  const bool ok = AllocateZeroed(static_cast<std::size_t>(count), sizeof(std::int32_t), starts);
  g->partStart = static_cast<std::int32_t*>(starts);
  if (!ok) return false;
  const bool ok2 = AllocateZeroed(static_cast<std::size_t>(count), sizeof(std::int32_t), kinds);
  g->partType = static_cast<std::int32_t*>(kinds);
  return ok2;
}

}  // namespace

std::int32_t AssemblePolygon(const ArcSource& source, const TERRIX_RegInfo& region, Geometry* g,
                             const PolygonReadOptions& options, ReadScratch& scratch) {
  std::int32_t total = 0;
  const std::int32_t listRead = LoadArcList(source.file, source.coordinates, region, scratch, total);
  if (listRead != Result::Success) return listRead;
  const std::int32_t* entries = scratch.entries.data();
  const std::int64_t entryCount = static_cast<std::int64_t>(scratch.entries.size());

  const ArcListShape shape = MeasureArcList(total, entries, entryCount);
  if (!VertexCountBacked(source, shape.vertexCount, entries, entryCount)) return Result::NoMemory;
  const auto vertexCount = static_cast<std::int32_t>(shape.vertexCount);
  const std::int32_t ringCount = shape.ringCount;

  g->type = ShapeType::Polygon;
  g->id = -1;
  g->partCount = ringCount;
  g->vertexCount = vertexCount;
  if (!AllocateVertexArrays(g, vertexCount)) return Result::NoMemory;
  StartXYBounds(g);
  if (!AllocateParts(g, ringCount)) return Result::NoMemory;
  g->partStart[0] = 0;
  g->partType[0] = PartKind::Ring;

  try {
    scratch.points.assign(2 * static_cast<std::size_t>(vertexCount), 0.0);
  } catch (const std::bad_alloc&) {
    return Result::Refused;
  }
  double noRoom[2] = {};  // a non-null room of no points when the polygon has none
  double* work = vertexCount > 0 ? scratch.points.data() : noRoom;

  std::int64_t placed = 0;
  std::int32_t nextRing = 1;
  std::int32_t result = Result::Success;
  for (std::int64_t j = 0; j < entryCount; ++j) {
    const std::int32_t entry = entries[j];
    if (entry == kRingSeparator) {
      // A separator in the first or the last entry starts no ring.
      if (j > 0 && j < entryCount - 1 && nextRing < ringCount) {
        g->partStart[nextRing] = static_cast<std::int32_t>(placed);
        g->partType[nextRing] = PartKind::InnerRing;
        ++nextRing;
      }
      continue;
    }
    std::int32_t arcPoints = 0;
    result =
        ReadArcPoints(source, entry, &arcPoints, work + 2 * placed, vertexCount - placed, options.pointReads);
    if (result == Result::NotInUse && options.inactiveArc == InactiveArc::Skip) continue;
    if (result != Result::Success) break;
    placed += arcPoints;
    if (placed > vertexCount) {  // the room check above keeps this from happening
      result = Result::Refused;
      break;
    }
  }

  CopyPointsNarrowing(g, work, vertexCount);
  return result;
}

}  // namespace Terrix::format
