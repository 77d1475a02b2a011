// Everything each reader class holds: the reader core under the reader's
// profile, and the few members of its own. Side by side, the three profiles
// say every way in which the readers differ. Copies of a reader share one
// state.
#pragma once

#include <cstdint>

#include "format/ElementChanges.h"
#include "readers/ReaderCore.h"

namespace Terrix::detail {

/// The fast reader opens files of every kind for reading. It loads the tables
/// of the file's own kind and builds network nodes as points; it reads the
/// points of an arc in one run, refuses a line that the coordinate section as
/// the directory gives it cannot contain and leaves an arc not in use out of
/// its polygon. It reads a table's records as one block, and refuses a field
/// description whose width or auxiliary sizes are negative.
constexpr ReaderProfile kFastReaderProfile = {
    core::OpenMode::Read,
    format::KindPolicy::AnyKind,
    format::ElementReadRules{
        format::NetworkNodes::AsPoints, format::IndexRule::ByKind,
        format::LineReadOptions{format::LineBound::SectionLength, format::PointReads::WholeRun},
        format::PolygonReadOptions{format::InactiveArc::Skip, format::PointReads::WholeRun}},
    format::RecordAccess::WholeBlock,
    format::SignChecks::RefuseNegative,
};

struct FastReaderState {
  ReaderCore core{kFastReaderProfile};
  /// Which attribute table the attribute operations use; set at open.
  std::int32_t tableSelector = 0;
  /// The selector whose table core.attributes holds, -1 when none is loaded.
  std::int32_t loadedSelector = -1;
};

/// The memory reader opens files of every kind for reading. It loads the
/// tables of the kind it reads the file as (so a region file read as a line
/// file loads only its arcs), keeps network nodes as network points, and
/// checks indices against the count record and the tables loaded; lines and
/// polygons it reads as the fast reader does. It reads a table's records as
/// one block, and describes fields as they are stored.
constexpr ReaderProfile kMemReaderProfile = {
    core::OpenMode::Read,
    format::KindPolicy::AnyKind,
    format::ElementReadRules{
        format::NetworkNodes::AsNodes, format::IndexRule::ByLoadedTable,
        format::LineReadOptions{format::LineBound::SectionLength, format::PointReads::WholeRun},
        format::PolygonReadOptions{format::InactiveArc::Skip, format::PointReads::WholeRun}},
    format::RecordAccess::WholeBlock,
    format::SignChecks::PassThrough,
};

struct MemReaderState {
  /// ReadAsPolyArc makes the core read the file as a line file.
  ReaderCore core{kMemReaderProfile};
};

/// The editing reader opens point, line, region and table files for update
/// and reads through to the disk: points one coordinate at a time. It does
/// not compare a line's count with the coordinate section (a line running
/// past the end of the file reads as 0.0 there), and stops a polygon at an arc
/// that is not in use. It reads the current attribute record from the file
/// whenever another is asked for, and describes fields as they are stored.
/// The element tables it loads it also changes in memory until WriteGeomInfo.
constexpr ReaderProfile kEditReaderProfile = {
    core::OpenMode::Update,
    format::KindPolicy::Editable,
    format::ElementReadRules{
        format::NetworkNodes::AsPoints, format::IndexRule::ByKind,
        format::LineReadOptions{format::LineBound::None, format::PointReads::ValueByValue},
        format::PolygonReadOptions{format::InactiveArc::Stop, format::PointReads::ValueByValue}},
    format::RecordAccess::OneRecord,
    format::SignChecks::PassThrough,
};

struct EditReaderState {
  ReaderCore core{kEditReaderProfile};
  /// The 16-byte label records of a region file, loaded by GetPolyLab.
  format::RegionLabels labels;
};

}  // namespace Terrix::detail
