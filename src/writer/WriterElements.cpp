// Terrix_Writer: points, lines, polygons and the arcs of their rings.
#include <algorithm>
#include <cstring>
#include <new>

#include "format/Layout.h"
#include "terrix/ResultCodes.h"
#include "terrix/Writer.h"
#include "writer/WriterState.h"

namespace Terrix {

namespace {

/// The sizes of every collection an element operation appends to, with the
/// extent and counts: an operation that runs out of memory halfway goes back
/// here, so a refused element leaves nothing behind.
class CollectionMark {
 public:
  explicit CollectionMark(const detail::WriterState& s)
      : points_(s.pointInfos.size()),
        lines_(s.lineInfos.size()),
        regions_(s.regionInfos.size()),
        coordinates_(s.arcCoordinates.size()),
        arcList_(s.regionArcList.size()),
        noteText_(s.noteText.size()),
        extent_(s.extent),
        counts_(s.counts) {}

  void Restore(detail::WriterState& s) const {
    s.pointInfos.resize(points_);
    s.lineInfos.resize(lines_);
    s.regionInfos.resize(regions_);
    s.arcCoordinates.Truncate(coordinates_);
    s.regionArcList.resize(arcList_);
    s.noteText.resize(noteText_);
    s.extent = extent_;
    s.counts = counts_;
  }

 private:
  std::size_t points_, lines_, regions_, coordinates_, arcList_, noteText_;
  detail::Extent extent_;
  TERRIX_Element counts_;
};

std::int32_t ToI32(std::size_t n) {
  return static_cast<std::int32_t>(n);
}

/// Counts words 0 and 1: elements and records of section 0 (L records, record 0 included).
void SetSectionZeroCounts(TERRIX_Element& c, std::size_t records) {
  c.elementCount = ToI32(records - 1);
  c.elementRecordCount = ToI32(records);
}

/// All counts after a point, line or polygon: `nodeRecords` is 0 for point
/// files and 1 (the node table's reserved record) for line and region files.
void SetElementCounts(TERRIX_Element& c, std::size_t sectionZeroRecords, std::int32_t nodeRecords,
                      std::size_t regionRecords) {
  SetSectionZeroCounts(c, sectionZeroRecords);
  c.nodeCount = 0;
  c.nodeRecordCount = nodeRecords;
  c.regionCount = regionRecords > 0 ? ToI32(regionRecords - 1) : 0;
  c.regionRecordCount = ToI32(regionRecords);
  c.further[0] = 0;                            // word 6
  c.further[1] = ToI32(sectionZeroRecords);    // word 7
  c.further[3] = format::kWriterCounterWord9;  // word 9; words 8 and 10 stay
}

/// Vertices [begin, end) of part `part`: the part range rule, with any part
/// index outside the part table (or no part table) taking all vertices, and
/// every bound kept inside the vertex arrays whatever the geometry holds.
struct VertexRange {
  std::int64_t begin = 0;
  std::int64_t end = 0;
};

VertexRange PartRange(const Geometry& g, int part) {
  const std::int64_t count = (g.vertexCount > 0 && g.x != nullptr && g.y != nullptr) ? g.vertexCount : 0;
  const std::int64_t parts = g.partStart != nullptr ? g.partCount : 0;
  VertexRange r;
  r.begin = (part >= 0 && part < parts) ? g.partStart[part] : 0;
  r.end = (part >= 0 && part < parts - 1) ? g.partStart[part + 1] : count;
  r.begin = std::clamp<std::int64_t>(r.begin, 0, count);
  r.end = std::clamp<std::int64_t>(r.end, r.begin, count);
  return r;
}

/// Appends one line or arc: the record with its point count and offset, its
/// points behind those of all arcs before it, and the extent widened by them.
/// Returns the number of points. Throws std::bad_alloc with partial appends,
/// which the caller's CollectionMark undoes.
std::int64_t AppendArc(detail::WriterState& s, TERRIX_LineInfo record, const Geometry& g, int part) {
  const VertexRange range = PartRange(g, part);
  const std::int64_t n = range.end - range.begin;
  const std::size_t firstValue = s.arcCoordinates.size();
  const std::uint64_t pointsBefore = firstValue / 2;
  record.pointCount = static_cast<std::int32_t>(n);
  record.pointOffset =
      static_cast<std::uint32_t>(format::kCoordinatePairSize * pointsBefore + format::kCoordinateLeadBytes);
  double* out = s.arcCoordinates.Append(2 * static_cast<std::size_t>(n));
  for (std::int64_t i = range.begin; i < range.end; ++i) {
    *out++ = g.x[i];
    *out++ = g.y[i];
    s.extent.Widen(g.x[i], g.y[i]);
  }
  s.lineInfos.push_back(record);
  return n;
}

/// The arc record of every ring of a polygon: in use, with the writer's fixed
/// display parameters.
TERRIX_LineInfo RingArcTemplate() {
  TERRIX_LineInfo record{};
  record.state = format::kStateInUse;
  const format::RingArcDisplay display;
  std::memcpy(record.display1, &display, sizeof record.display1);
  return record;
}

/// The common refusals of element operations: no file, another kind, or a
/// file already written.
std::int32_t CheckElementKind(const detail::WriterState& s, FileKind kind) {
  if (!s.ready) return Result::CannotOpen;
  if (s.flushed || s.kind != kind) return Result::NotHandled;
  return Result::Success;
}

// The arc step of AddArcInfo and AddPolyArcInfo for a file of `kind`; when
// memory runs out the collections are left as they were.
std::int32_t AddOneArc(detail::WriterState& s, FileKind kind, const TERRIX_LineInfo& record,
                       const Geometry& geometry, int part) {
  if (const std::int32_t rc = CheckElementKind(s, kind); rc != Result::Success) return rc;
  const CollectionMark mark(s);
  try {
    AppendArc(s, record, geometry, part);
  } catch (const std::bad_alloc&) {
    mark.Restore(s);
    return Result::NoMemory;
  }
  return Result::Success;
}

}  // namespace

std::int32_t Terrix_Writer::AddPointInfo(TERRIX_PntInfo record, const Geometry& /*geometry*/,
                                         const char* noteText) {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = CheckElementKind(s, FileKind::Point); rc != Result::Success) return rc;
  const CollectionMark mark(s);
  try {
    const std::size_t n = noteText != nullptr ? std::strlen(noteText) : 0;
    record.noteOffset = static_cast<std::uint32_t>(s.noteText.size() + format::kCoordinateLeadBytes);
    if (n > 0) {
      record.pointKind = 0;
      // The length field is 16 bits wide: a longer note keeps all its bytes but
      // records the low 16 bits of its length.
      record.noteLength = static_cast<std::int16_t>(static_cast<std::uint16_t>(n & 0xFFFFu));
      s.noteText.insert(s.noteText.end(), noteText, noteText + n);
    } else {
      // A point without note reserves one zero byte of the note area.
      record.pointKind = 1;
      record.noteLength = 0;
      s.noteText.push_back('\0');
    }
    s.pointInfos.push_back(record);
  } catch (const std::bad_alloc&) {
    mark.Restore(s);
    return Result::NoMemory;
  }
  SetElementCounts(s.counts, s.pointInfos.size(), 0, 0);
  s.extent.Widen(record.x, record.y);
  return Result::Success;
}

std::int32_t Terrix_Writer::AddArcInfo(TERRIX_LineInfo record, const Geometry& geometry, int part) {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = AddOneArc(s, FileKind::Line, record, geometry, part); rc != Result::Success)
    return rc;
  SetElementCounts(s.counts, s.lineInfos.size(), format::kWriterNodeRecordCount, 0);
  // Only a geometry of no part table or one part is a single line.
  const bool onePart = geometry.partCount == 0 || geometry.partCount == 1;
  return onePart ? Result::Success : Result::PartSkipped;
}

std::int32_t Terrix_Writer::AddPolyArcInfo(TERRIX_LineInfo record, const Geometry& geometry, int part) {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = AddOneArc(s, FileKind::Region, record, geometry, part); rc != Result::Success)
    return rc;
  SetSectionZeroCounts(s.counts, s.lineInfos.size());
  return Result::Success;
}

std::int32_t Terrix_Writer::AddPolygonInfo(TERRIX_RegInfo record, const Geometry& geometry) {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = CheckElementKind(s, FileKind::Region); rc != Result::Success) return rc;
  const CollectionMark mark(s);
  std::int32_t result = Result::Success;
  try {
    const std::size_t listStart = s.regionArcList.size();
    record.listOffset = static_cast<std::uint32_t>(format::kArcListValueSize * listStart);
    s.regionArcList.push_back(0);  // the leading total, set below
    const TERRIX_LineInfo arcTemplate = RingArcTemplate();
    const std::int32_t parts = geometry.partStart != nullptr ? geometry.partCount : 0;
    std::int64_t vertices = 0;
    std::int64_t separators = 0;
    for (std::int32_t i = 0; i < parts; ++i) {
      // A further outer ring (kind 2) makes no arc; its separator stays.
      const bool skipped =
          i > 0 && geometry.partType != nullptr && geometry.partType[i] == PartKind::OuterRing;
      if (i > 0) {
        s.regionArcList.push_back(0);
        ++separators;
      }
      if (skipped) {
        result = Result::PartSkipped;
        continue;
      }
      vertices += AppendArc(s, arcTemplate, geometry, i);
      s.regionArcList.push_back(static_cast<std::int32_t>(s.lineInfos.size() - 1));
    }
    // The readers take the total as the listed arcs' points plus 1 plus the
    // separators (V + k for k rings with none skipped) and derive the vertex
    // count back from it; the count is the number of values written.
    s.regionArcList[listStart] = static_cast<std::int32_t>(vertices + 1 + separators);
    record.listCount = static_cast<std::int32_t>(s.regionArcList.size() - listStart);
    s.regionInfos.push_back(record);
  } catch (const std::bad_alloc&) {
    mark.Restore(s);
    return Result::NoMemory;
  }
  SetElementCounts(s.counts, s.lineInfos.size(), format::kWriterNodeRecordCount, s.regionInfos.size());
  return result;
}

}  // namespace Terrix
