// The coordinate section (section 1): where it lies, how much of it the file
// really holds, and reading runs of points (f64 x, f64 y pairs) out of it.
#pragma once

#include <cstdint>

#include "core/File.h"
#include "format/HeadArea.h"
#include "format/Layout.h"

namespace Terrix::format {

struct CoordinateSection {
  /// False when the directory has no entry for the section.
  bool present = false;
  std::uint64_t offset = 0;
  /// Length as the directory gives it.
  std::uint64_t length = 0;
  /// Size of the whole file. No count read from the file gets more room than
  /// the file could fill, so a hostile count costs no memory.
  std::uint64_t fileSize = 0;

  /// File position of an item stored at `itemOffset` within the section.
  std::uint64_t At(std::uint32_t itemOffset) const { return offset + itemOffset; }
  /// Whole points (16 bytes each) the section's length can contain.
  std::uint64_t LengthPoints() const { return length / kCoordinatePairSize; }
  /// Whole points the file could hold.
  std::uint64_t FilePoints() const { return fileSize / kCoordinatePairSize; }
};

CoordinateSection LocateCoordinates(const HeadArea& head, std::uint64_t fileSize);

/// How a run of points is read from the file.
enum class PointReads {
  /// One read of n x 16 bytes (readers of files opened for reading).
  WholeRun,
  /// One 8-byte read per value, x then y, point after point; the first failed
  /// read ends the run (the editing reader, which reads through to the file).
  ValueByValue,
};

/// Reads `count` points at file position `position` into `xy` (2 x count
/// doubles, x then y per point). With ValueByValue a failure leaves the values
/// read before it in place. Bytes beyond the end of the file are not
/// transferred, so those values keep what `xy` held. Returns false when a read
/// fails.
bool ReadPointRun(core::File& file, std::uint64_t position, std::int64_t count, double* xy, PointReads how);

/// Turns a run of `count` points round in place: point j and point
/// count - 1 - j change places; a middle point stays.
void ReversePointRun(double* xy, std::int64_t count);

}  // namespace Terrix::format
