// Terrix_Writer: the steps of Flush, which lay out and write the whole file.
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "format/Layout.h"
#include "terrix/ResultCodes.h"
#include "terrix/Writer.h"
#include "writer/SectionWriter.h"
#include "writer/WriterState.h"

namespace Terrix {

namespace {

using format::Section::Attributes;
using format::Section::Coordinates;
using format::Section::Elements;
using format::Section::LineExtents;
using format::Section::LineWords;
using format::Section::NetworkNodes;
using format::Section::NodeAttributes;
using format::Section::PointExtents;
using format::Section::PointWords;
using format::Section::RegionAttributes;
using format::Section::RegionExtents;
using format::Section::Regions;
using format::Section::RegionWords;
using format::Section::TableEndMark;
using format::Section::Topology;

using SectionPlan = std::vector<std::pair<int, std::uint64_t>>;

/// Bytes of the coordinate part of section 1 of line and region files: the two
/// leading bytes and every arc's points. Arc lists of a region file follow it.
std::uint64_t CoordinatePartSize(const detail::WriterState& s) {
  return format::kCoordinateLeadBytes + sizeof(double) * std::uint64_t{s.arcCoordinates.size()};
}

std::uint64_t AttributeTableSize(const TERRIX_FieldHead& h) {
  return std::uint64_t{h.recordLength} * h.recordCount + h.recordOffset;
}

/// The sections of each kind with their lengths, in file order (entry order).
SectionPlan PlanSections(const detail::WriterState& s) {
  const std::uint64_t P = s.pointInfos.size();
  const std::uint64_t L = s.lineInfos.size();
  const std::uint64_t R = s.regionInfos.size();
  const std::uint64_t A = s.regionArcList.size();
  const std::uint64_t T = s.noteText.size();
  const std::uint64_t AT = AttributeTableSize(s.fieldHead);
  switch (s.kind) {
    case FileKind::Line:
      return {{Elements, format::kLineRecordSize * L},
              {Coordinates, CoordinatePartSize(s)},
              {Attributes, AT},
              {Topology, format::kTopologyRecordSize * L},
              {NetworkNodes, format::kReservedNodeSectionSize},
              {NodeAttributes, format::kReservedTableSize},
              {LineExtents, format::kPerElementExtentSize * L},
              {LineWords, sizeof(format::kPerElementWord) * L}};
    case FileKind::Point:
      return {{Elements, format::kPointRecordSize * P},
              {Coordinates, T + format::kCoordinateLeadBytes},
              {Attributes, AT},
              {PointExtents, format::kPerElementExtentSize * P},
              {PointWords, sizeof(format::kPerElementWord) * P}};
    case FileKind::Region:
      // One topology record per arc record, as the readers read it.
      return {{Elements, format::kLineRecordSize * L},
              {Coordinates, format::kArcListValueSize * A + CoordinatePartSize(s)},
              {Attributes, format::kReservedTableSize},
              {Topology, format::kTopologyRecordSize * L},
              {NetworkNodes, format::kReservedNodeSectionSize},
              {NodeAttributes, format::kReservedTableSize},
              {LineExtents, format::kPerElementExtentSize * L},
              {LineWords, sizeof(format::kPerElementWord) * L},
              {Regions, format::kRegionRecordSize * R},
              {RegionAttributes, AT},
              {RegionExtents, format::kPerElementExtentSize * R},
              {RegionWords, sizeof(format::kPerElementWord) * R}};
    case FileKind::Table:
      return {{Elements, AT}, {TableEndMark, format::kTableEndMarkSize}};
    default:
      return {};
  }
}

/// The extent as the head area and the per-element extent records hold it.
std::array<double, 4> ExtentWords(const detail::Extent& e) {
  return {e.minX, e.minY, e.maxX, e.maxY};
}
static_assert(sizeof(std::array<double, 4>) == format::kExtentSize);

/// Writes `count` copies of the extent and then `count` copies of the word 65536.
bool WritePerElementBlocks(detail::WriterState& s, int extentEntry, int wordEntry, std::size_t count) {
  const std::array<double, 4> extent = ExtentWords(s.extent);
  detail::SectionWriter extents(s.file, s.directory[extentEntry].offset);
  extents.PutRepeated(extent.data(), sizeof extent, count);
  if (!extents.Finish()) return false;
  detail::SectionWriter words(s.file, s.directory[wordEntry].offset);
  words.PutRepeated(&format::kPerElementWord, sizeof format::kPerElementWord, count);
  return words.Finish();
}

template <typename Record>
bool WriteTable(core::File& file, std::uint32_t offset, const std::vector<Record>& table) {
  if (table.empty()) return true;
  file.Seek(offset);
  return file.Write(table.data(), table.size() * sizeof(Record));
}

/// The polygon table in one write, its arc-list offsets made relative to
/// section 1 (behind the coordinates) for the write only: the records in memory
/// keep their list-relative offsets, so a second Flush writes the same bytes.
bool WriteRegionRecords(detail::WriterState& s) {
  const auto base = static_cast<std::uint32_t>(CoordinatePartSize(s));
  for (TERRIX_RegInfo& record : s.regionInfos) record.listOffset += base;
  const bool ok = WriteTable(s.file, s.directory[Regions].offset, s.regionInfos);
  for (TERRIX_RegInfo& record : s.regionInfos) record.listOffset -= base;
  return ok;
}

// What a writing step answers before it writes anything: a writer without a
// usable file writes nothing, nor does a layout beyond 32-bit offsets.
std::int32_t StepRefusal(const detail::WriterState& s) {
  if (!s.ready) return Result::CannotOpen;
  if (!s.layoutFits) return Result::IoError;
  return Result::Success;
}

}  // namespace

std::int32_t Terrix_Writer::BuildMapPart() {
  detail::WriterState& s = *state_;
  if (!s.ready) return Result::CannotOpen;
  for (TERRIX_Part& entry : s.directory) entry = TERRIX_Part{0, 0, format::kDirectoryFlag};
  // Section 0 begins behind the directory; every further section behind the one before.
  std::uint64_t offset = format::kFirstSectionOffset;
  s.layoutFits = true;
  try {
    for (const auto& [entry, length] : PlanSections(s)) {
      if (offset + length > std::numeric_limits<std::uint32_t>::max()) s.layoutFits = false;
      s.directory[entry].offset = static_cast<std::uint32_t>(offset);
      s.directory[entry].length = static_cast<std::uint32_t>(length);
      offset += length;
    }
  } catch (const std::bad_alloc&) {
    s.layoutFits = false;
  }
  // A file beyond the 32-bit offsets of the directory cannot be laid out: the
  // writing steps then write nothing.
  return s.layoutFits ? Result::Success : Result::IoError;
}

std::int32_t Terrix_Writer::WriteHeadInfo() {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = StepRefusal(s); rc != Result::Success) return rc;
  // The whole area up to the first section in one write; the reserved blocks
  // between the fields are zero, as the gaps of the file would be.
  std::uint8_t area[format::kFirstSectionOffset] = {};
  const std::array<double, 4> extent = ExtentWords(s.extent);
  const std::int32_t tics[2] = {s.ticCount, static_cast<std::int32_t>(s.ticOffset)};
  static_assert(sizeof tics == format::kTicFieldsSize);
  std::memcpy(area, &s.head, sizeof s.head);
  std::memcpy(area + format::kProjectionOffset, &s.projection, sizeof s.projection);
  std::memcpy(area + format::kCountsOffset, &s.counts, sizeof s.counts);
  std::memcpy(area + format::kExtentOffset, extent.data(), sizeof extent);
  std::memcpy(area + format::kTicCountOffset, tics, sizeof tics);
  std::memcpy(area + format::kWriterDirectoryOffset, s.directory.data(),
              format::kDirectoryEntrySize * s.directory.size());
  s.file.Seek(0);
  return s.file.Write(area, sizeof area) ? Result::Success : Result::IoError;
}

std::int32_t Terrix_Writer::WriteGeomInfo() {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = StepRefusal(s); rc != Result::Success) return rc;
  bool ok = true;
  try {
    switch (s.kind) {
      case FileKind::Point:
        ok = WriteTable(s.file, s.directory[Elements].offset, s.pointInfos);
        break;
      case FileKind::Line:
        ok = WriteTable(s.file, s.directory[Elements].offset, s.lineInfos);
        break;
      case FileKind::Region:
        ok = WriteTable(s.file, s.directory[Elements].offset, s.lineInfos) && WriteRegionRecords(s);
        break;
      default:
        break;
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  return ok ? Result::Success : Result::IoError;
}

std::int32_t Terrix_Writer::WriteGeometry() {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = StepRefusal(s); rc != Result::Success) return rc;
  // The first two bytes of section 1 are never written: every stored offset
  // into section 1 counts them.
  const std::uint64_t start = std::uint64_t{s.directory[Coordinates].offset} + format::kCoordinateLeadBytes;
  bool ok = true;
  switch (s.kind) {
    case FileKind::Point:
      s.file.Seek(start);
      if (!s.noteText.empty()) ok = s.file.Write(s.noteText.data(), s.noteText.size());
      break;
    case FileKind::Line:
    case FileKind::Region:
      s.file.Seek(start);
      ok = s.arcCoordinates.ForEachBlock(
          [&](const double* values, std::size_t count) { return s.file.Write(values, count * sizeof(double)); });
      // The arc lists follow the last arc's points directly.
      if (ok && s.kind == FileKind::Region && !s.regionArcList.empty())
        ok = s.file.Write(s.regionArcList.data(), s.regionArcList.size() * sizeof(std::int32_t));
      break;
    default:
      break;
  }
  return ok ? Result::Success : Result::IoError;
}

std::int32_t Terrix_Writer::WriteFieldInfo() {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = StepRefusal(s); rc != Result::Success) return rc;
  const int entry = detail::AttributeSectionOf(s.kind);
  if (entry < 0) return Result::Success;
  bool ok = true;
  try {
    detail::SectionWriter out(s.file, s.directory[entry].offset);
    out.Put(&s.fieldHead, sizeof s.fieldHead);
    out.Put(s.fields.data(), s.fields.size() * sizeof(TERRIX_Field));
    ok = out.Finish();
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  return ok ? Result::Success : Result::IoError;
}

std::int32_t Terrix_Writer::WriteRecordAll() {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = StepRefusal(s); rc != Result::Success) return rc;
  const int entry = detail::AttributeSectionOf(s.kind);
  if (entry < 0) return Result::Success;
  s.file.Seek(std::uint64_t{s.directory[entry].offset} + s.fieldHead.recordOffset);
  // No attribute write: the head says one record and the leading record stays zero.
  if (s.records.empty()) return Result::Success;
  return s.file.Write(s.records.data(), s.records.size()) ? Result::Success : Result::IoError;
}

std::int32_t Terrix_Writer::WriteEndInfo() {
  detail::WriterState& s = *state_;
  if (const std::int32_t rc = StepRefusal(s); rc != Result::Success) return rc;
  // Every element record, record 0 included, gets the whole file's extent.
  bool ok = true;
  try {
    switch (s.kind) {
      case FileKind::Point:
        ok = WritePerElementBlocks(s, PointExtents, PointWords, s.pointInfos.size());
        break;
      case FileKind::Line:
        ok = WritePerElementBlocks(s, LineExtents, LineWords, s.lineInfos.size());
        break;
      case FileKind::Region:
        ok = WritePerElementBlocks(s, LineExtents, LineWords, s.lineInfos.size()) &&
             WritePerElementBlocks(s, RegionExtents, RegionWords, s.regionInfos.size());
        break;
      case FileKind::Table: {
        const std::uint8_t endMark[format::kTableEndMarkSize] = {};
        s.file.Seek(s.directory[TableEndMark].offset);
        ok = s.file.Write(endMark, sizeof endMark);
        break;
      }
      default:
        break;
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  return ok ? Result::Success : Result::IoError;
}

}  // namespace Terrix
