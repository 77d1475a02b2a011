// Element lookups shared by the element reads and the well-known-binary reads
// of Terrix_FastReader.
#pragma once

#include <cstdint>

#include "format/Coordinates.h"
#include "readers/FastReaderState.h"
#include "terrix/Records.h"

namespace Terrix::detail {

/// Whether `index` names an element of the file's points (a point file's
/// points or a network file's nodes), lines or arcs, or polygons. A file
/// without such a table accepts no index, so nothing is loaded or read for it.
bool PointIndexValid(const FastReaderState& s, int index);
bool LineIndexValid(const FastReaderState& s, int index);
bool RegionIndexValid(const FastReaderState& s, int index);

/// Copies the loaded record of element `index` into `out`: Result::IoError
/// when the loaded table has no such record, Result::NotInUse when its state
/// byte is not 1, else Result::Success.
std::int32_t TakePoint(const FastReaderState& s, int index, TERRIX_PntInfo& out);
std::int32_t TakeLine(const FastReaderState& s, int index, TERRIX_LineInfo& out);
std::int32_t TakeRegion(const FastReaderState& s, int index, TERRIX_RegInfo& out);

format::CoordinateSection CoordinatesOf(FastReaderState& s);

/// Whether a line of `pointCount` points fits in the coordinate section as
/// the file holds it.
bool LineFits(const format::CoordinateSection& coordinates, std::int32_t pointCount);

}  // namespace Terrix::detail
