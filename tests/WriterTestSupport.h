// Shared helpers of the writer suites: a writer that exposes its Flush steps,
// and geometries and records to give it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "GeometryHelpers.h"
#include "builder/ByteWriter.h"
#include "builder/MapFileBuilder.h"
#include "terrix/Writer.h"

namespace writer_support {

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

/// A geometry of `points` with parts starting at `starts` (kinds 5, 3, 3, ...).
inline Terrix::GeometryHolder Geo(const std::vector<std::pair<double, double>>& points,
                                  const std::vector<std::int32_t>& starts) {
  std::vector<testing_geometry::XY> xy;
  for (const auto& [x, y] : points) xy.push_back({x, y});
  return testing_geometry::MakeGeometry(Terrix::ShapeType::Polygon, xy, starts);
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
