// Everything a Terrix_FastReader holds. Copies of a reader share one state.
#pragma once

#include <cstdint>

#include "readers/ReaderCore.h"

namespace Terrix::detail {

/// The fast reader opens files of every kind for reading. It loads the tables
/// of the file's own kind and builds network nodes as points; it reads the
/// points of an arc in one run, refuses a line that the coordinate section as
/// the directory gives it cannot contain and leaves an arc not in use out of
/// its polygon. It reads a table's records as one block, and refuses a
/// negative width in a field description.
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

}  // namespace Terrix::detail
