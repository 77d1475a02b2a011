// Everything a Terrix_MemReader holds. Copies of a reader share one state.
#pragma once

#include "readers/ReaderCore.h"

namespace Terrix::detail {

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

}  // namespace Terrix::detail
