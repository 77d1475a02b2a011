#include "builder/ElementRecords.h"

#include <cstdlib>

namespace tb {

Bytes PointRecord(std::uint8_t state, std::int16_t noteLength, std::uint32_t noteOffset, double x, double y,
                  std::uint8_t fill) {
  ByteWriter w;
  w.u8(state).i16(noteLength).u32(noteOffset).f64(x).f64(y).fill(8, fill);
  return w.u8(noteLength > 0 ? 0 : 1).fill(61, fill).take();
}

Bytes LineRecord(std::uint8_t state, std::int32_t pointCount, std::uint32_t pointOffset, std::uint8_t fill) {
  return ByteWriter().u8(state).fill(9, fill).i32(pointCount).u32(pointOffset).fill(39, fill).take();
}

Bytes RegionRecord(std::uint8_t state, std::int32_t listCount, std::uint32_t listOffset, std::uint8_t fill) {
  return ByteWriter().u8(state).i32(listCount).u32(listOffset).fill(31, fill).take();
}

std::uint32_t CoordinateArea::Points(const std::vector<XY>& points) {
  ByteWriter w;
  for (const XY& p : points) w.f64(p.x).f64(p.y);
  return Raw(w.data());
}

std::uint32_t CoordinateArea::Raw(const Bytes& bytes) {
  const auto at = static_cast<std::uint32_t>(bytes_.size());
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return at;
}

std::uint32_t CoordinateArea::ArcList(std::int32_t total, const std::vector<std::int32_t>& entries) {
  ByteWriter w;
  w.i32(total);
  for (std::int32_t e : entries) w.i32(e);
  return Raw(w.data());
}

int ElementFile::AddArc(const std::vector<XY>& points, std::uint8_t state) {
  const int record =
      AddArcRecord(state, static_cast<std::int32_t>(points.size()), coordinates_.Points(points));
  arcPoints_.back() = points;
  return record;
}

int ElementFile::AddArcRecord(std::uint8_t state, std::int32_t pointCount, std::uint32_t pointOffset) {
  arcs_.push_back(LineRecord(state, pointCount, pointOffset, kDisplayFill));
  arcPoints_.emplace_back();
  return static_cast<int>(arcs_.size()) - 1;
}

int ElementFile::AddPolygon(const std::vector<std::int32_t>& entries, std::uint8_t state) {
  std::int32_t total = 1;
  for (std::int32_t e : entries)
    total += e == 0 ? 1 : static_cast<std::int32_t>(ArcPoints(std::abs(e)).size());
  return AddPolygonList(total, entries, state);
}

int ElementFile::AddPolygonList(std::int32_t total, const std::vector<std::int32_t>& entries,
                                std::uint8_t state) {
  return AddPolygonRecord(state, static_cast<std::int32_t>(entries.size()) + 1,
                          coordinates_.ArcList(total, entries));
}

int ElementFile::AddPolygonRecord(std::uint8_t state, std::int32_t listCount, std::uint32_t listOffset) {
  regions_.push_back(RegionRecord(state, listCount, listOffset, kDisplayFill));
  return static_cast<int>(regions_.size()) - 1;
}

int ElementFile::AddPoint(double x, double y, const std::string& note, std::uint8_t state) {
  const std::uint32_t offset = note.empty() ? 0 : coordinates_.Raw(Bytes(note.begin(), note.end()));
  points_.push_back(PointRecord(state, static_cast<std::int16_t>(note.size()), offset, x, y, kDisplayFill));
  return static_cast<int>(points_.size()) - 1;
}

int ElementFile::AddNode(double x, double y, const Bytes& style, std::uint8_t state) {
  Bytes block = style;
  block.resize(kNodeStyleBytes, 0);
  const std::uint32_t offset = coordinates_.Raw(block);
  ByteWriter w;
  w.f64(x).f64(y).fill(8, kDisplayFill).u8(state).fill(5, kDisplayFill).u32(offset).fill(21, kDisplayFill);
  nodes_.push_back(w.take());
  return static_cast<int>(nodes_.size()) - 1;
}

namespace {
Bytes Join(const std::vector<Bytes>& records) {
  Bytes out;
  for (const Bytes& r : records) out.insert(out.end(), r.begin(), r.end());
  return out;
}
std::int32_t Size(const std::vector<Bytes>& records) {
  return static_cast<std::int32_t>(records.size());
}
}  // namespace

MapFileBuilder ElementFile::Build() const {
  MapFileBuilder b(kind_);
  const std::vector<Bytes>& first = kind_ == kPoint ? points_ : arcs_;
  b.Count(0, Size(first) - 1).Count(1, Size(first)).Section(0, Join(first)).Section(1, coordinates_.bytes());
  if (kind_ == kNetwork) b.Count(2, Size(nodes_) - 1).Count(3, Size(nodes_)).Section(4, Join(nodes_));
  if (kind_ == kRegion) b.Count(4, Size(regions_) - 1).Count(5, Size(regions_)).Section(8, Join(regions_));
  return b;
}

}  // namespace tb
