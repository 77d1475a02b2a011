// Shared helpers of the writer suites: a writer that exposes its Flush steps,
// and a view of a written file through its own bytes (the offsets known from
// the format description, not from the library).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "GeometryHelpers.h"
#include "builder/ByteWriter.h"
#include "builder/MapFileBuilder.h"
#include "terrix/Writer.h"

namespace writer_support {

constexpr std::size_t kDirectoryAt = 657;
constexpr std::size_t kFirstSection = 817;
constexpr std::size_t kProjectionAt = 91;
constexpr double kBoundsStart = 1.79769313486232e307;

class StepWriter : public Terrix::Terrix_Writer {
 public:
  using Terrix_Writer::BuildMapPart;
  using Terrix_Writer::GetCurrentRecord;
  using Terrix_Writer::WriteAttribute;
  using Terrix_Writer::WriteEndInfo;
  using Terrix_Writer::WriteFieldInfo;
  using Terrix_Writer::WriteGeometry;
  using Terrix_Writer::WriteGeomInfo;
  using Terrix_Writer::WriteHeadInfo;
  using Terrix_Writer::WriteRecordAll;
};

/// The bytes of a file, read in one piece (written files reach megabytes).
inline tb::Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  tb::Bytes bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

/// A written file's bytes with the readings the tests need.
struct FileView {
  tb::Bytes bytes;
  explicit FileView(const std::string& path) : bytes(ReadBytes(path)) {}
  template <typename T>
  T At(std::size_t offset) const {
    EXPECT_LE(offset + sizeof(T), bytes.size()) << "read beyond the file at " << offset;
    return offset + sizeof(T) <= bytes.size() ? tb::Peek<T>(bytes, offset) : T{};
  }
  std::uint32_t Offset(int entry) const { return At<std::uint32_t>(kDirectoryAt + 10 * entry); }
  std::uint32_t Length(int entry) const { return At<std::uint32_t>(kDirectoryAt + 10 * entry + 4); }
  std::pair<std::uint32_t, std::uint32_t> Entry(int entry) const { return {Offset(entry), Length(entry)}; }
  /// The eleven element counts of the head area.
  std::vector<std::int32_t> Counts() const {
    std::vector<std::int32_t> c;
    for (int i = 0; i < 11; ++i) c.push_back(At<std::int32_t>(260 + 4 * i));
    return c;
  }
  /// Four f64 from `offset`: the head's extent by default.
  std::array<double, 4> Extent(std::size_t offset = 304) const {
    return {At<double>(offset), At<double>(offset + 8), At<double>(offset + 16), At<double>(offset + 24)};
  }
  tb::Bytes Slice(std::size_t from, std::size_t length) const {
    EXPECT_LE(from + length, bytes.size());
    return from + length <= bytes.size() ? tb::Bytes(bytes.begin() + from, bytes.begin() + from + length)
                                         : tb::Bytes{};
  }
  bool AllZero(std::size_t from, std::size_t length) const {
    return Slice(from, length) == tb::Bytes(length, 0);
  }
};

/// A geometry of `points` with parts starting at `starts`, of kinds 5, 3, 3, ...
/// unless given. No points: no vertex arrays.
inline Terrix::GeometryHolder Geo(const std::vector<std::pair<double, double>>& points,
                                  const std::vector<std::int32_t>& starts,
                                  const std::vector<std::int32_t>& kinds = {}) {
  std::vector<testing_geometry::XY> xy;
  for (const auto& [x, y] : points) xy.push_back({x, y});
  Terrix::GeometryHolder g = testing_geometry::MakeGeometry(Terrix::ShapeType::Polygon, xy, starts);
  for (std::size_t i = 0; i < kinds.size() && i < starts.size(); ++i) g->partType[i] = kinds[i];
  return g;
}

/// `n` points (base + i, base + 2i), i from 0.
inline std::vector<std::pair<double, double>> Ramp(int n, double base = 0.0) {
  std::vector<std::pair<double, double>> p;
  for (int i = 0; i < n; ++i) p.emplace_back(base + i, base + 2.0 * i);
  return p;
}

/// An element record in use (state 1), every other byte zero.
template <typename Record>
Record InUse() {
  Record r{};
  r.state = 1;
  return r;
}

inline Terrix::TERRIX_PntInfo InUsePoint(double x, double y) {
  auto p = InUse<Terrix::TERRIX_PntInfo>();
  p.x = x;
  p.y = y;
  return p;
}

}  // namespace writer_support
