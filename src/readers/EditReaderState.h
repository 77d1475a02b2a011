// Everything a Terrix_Reader holds. Copies of a reader share one state.
#pragma once

#include "format/ElementChanges.h"
#include "readers/ReaderCore.h"

namespace Terrix::detail {

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
