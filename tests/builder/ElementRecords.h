// Element records, coordinate-section items and whole element files, laid out
// byte by byte from the format description (no library headers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder/ByteWriter.h"
#include "builder/MapFileBuilder.h"

namespace tb {

// Record sizes and the state byte of an element in use.
constexpr std::size_t kPointRecordBytes = 93;
constexpr std::size_t kLineRecordBytes = 57;
constexpr std::size_t kRegionRecordBytes = 40;
constexpr std::size_t kNodeRecordBytes = 55;
constexpr std::size_t kNodeStyleBytes = 94;
constexpr std::uint8_t kInUse = 1;

/// Point record: state, note length (i16 at 1), note offset (u32 at 3), x, y
/// (f64 at 7 and 15), display bytes `fill` but the point kind at 31 (0 with a
/// note, 1 without).
Bytes PointRecord(std::uint8_t state, std::int16_t noteLength, std::uint32_t noteOffset, double x, double y,
                  std::uint8_t fill);
/// Line or arc record: state, point count (i32 at 10), point offset (u32 at 14).
Bytes LineRecord(std::uint8_t state, std::int32_t pointCount, std::uint32_t pointOffset, std::uint8_t fill);
/// Polygon record: state, list count (i32 at 1), list offset (u32 at 5).
Bytes RegionRecord(std::uint8_t state, std::int32_t listCount, std::uint32_t listOffset, std::uint8_t fill);

/// The coordinate section (section 1), item after item from offset 2 on, as
/// the writer places them. Each call returns the item's offset in the section.
class CoordinateArea {
 public:
  std::uint32_t Points(const std::vector<XY>& points);
  std::uint32_t Raw(const Bytes& bytes);
  /// The leading total, then the entries, each an i32.
  std::uint32_t ArcList(std::int32_t total, const std::vector<std::int32_t>& entries);
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_ = Bytes(2, 0);
};

/// A point, line, region or network file assembled from elements. Record 0
/// of every element table is the reserved (all-zero) record, so the element
/// added first is record 1.
class ElementFile {
 public:
  explicit ElementFile(int kind) : kind_(kind) {}

  /// An arc with its points in the coordinate section; returns its record number.
  int AddArc(const std::vector<XY>& points, std::uint8_t state = kInUse);
  int AddArcRecord(std::uint8_t state, std::int32_t pointCount, std::uint32_t pointOffset);
  /// A polygon whose total is what a writer stores: the points of the listed
  /// arcs (in use or not) plus 1 plus the zero entries.
  int AddPolygon(const std::vector<std::int32_t>& entries, std::uint8_t state = kInUse);
  int AddPolygonList(std::int32_t total, const std::vector<std::int32_t>& entries,
                     std::uint8_t state = kInUse);
  int AddPolygonRecord(std::uint8_t state, std::int32_t listCount, std::uint32_t listOffset);
  /// A point with its note text ("" for none); returns its record number.
  int AddPoint(double x, double y, const std::string& note, std::uint8_t state = kInUse);
  /// A network node (x, y, state at 24, style offset at 30) with its 94-byte style block.
  int AddNode(double x, double y, const Bytes& style, std::uint8_t state = kInUse);

  CoordinateArea& Coordinates() { return coordinates_; }
  const std::vector<XY>& ArcPoints(int record) const { return arcPoints_.at(record); }
  /// The display parameter byte each record carries (to check pass-through).
  static constexpr std::uint8_t kDisplayFill = 0x5A;

  /// The file: element sections, coordinate section and element counts.
  MapFileBuilder Build() const;

 private:
  int kind_;
  CoordinateArea coordinates_;
  std::vector<Bytes> arcs_{Bytes(kLineRecordBytes, 0)};
  std::vector<std::vector<XY>> arcPoints_{{}};
  std::vector<Bytes> regions_{Bytes(kRegionRecordBytes, 0)};
  std::vector<Bytes> points_{Bytes(kPointRecordBytes, 0)};
  std::vector<Bytes> nodes_{Bytes(kNodeRecordBytes, 0)};
};

}  // namespace tb
