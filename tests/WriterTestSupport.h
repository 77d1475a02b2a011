// Shared helpers of the writer suites: a writer that exposes its Flush steps,
// and a view of a written file through its own bytes (plain file reads, the
// offsets known from the format description).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "builder/ByteWriter.h"
#include "builder/MapFileBuilder.h"
#include "terrix/Writer.h"

namespace wt {

/// Head-area offsets as the format description gives them.
constexpr std::size_t kDirectoryAt = 657;
constexpr std::size_t kFirstSection = 817;
constexpr std::size_t kProjectionAt = 91;
constexpr std::size_t kCountsAt = 260;
constexpr std::size_t kExtentAt = 304;
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
    if (offset + sizeof(T) > bytes.size()) return T{};
    return tb::Peek<T>(bytes, offset);
  }
  std::uint32_t Offset(int entry) const { return At<std::uint32_t>(kDirectoryAt + 10 * entry); }
  std::uint32_t Length(int entry) const { return At<std::uint32_t>(kDirectoryAt + 10 * entry + 4); }
  std::uint16_t Flag(int entry) const { return At<std::uint16_t>(kDirectoryAt + 10 * entry + 8); }
  std::pair<std::uint32_t, std::uint32_t> Entry(int entry) const { return {Offset(entry), Length(entry)}; }
  std::int32_t Count(int word) const { return At<std::int32_t>(kCountsAt + 4 * word); }
  double ExtentWord(int i) const { return At<double>(kExtentAt + 8 * i); }
  bool AllZero(std::size_t from, std::size_t length) const {
    if (from + length > bytes.size()) return false;
    for (std::size_t i = from; i < from + length; ++i)
      if (bytes[i] != 0) return false;
    return true;
  }
  /// Entries laid from 817 in the given order, each directly after the one before.
  void ExpectContiguous(const std::vector<int>& order) const {
    std::uint32_t expected = kFirstSection;
    for (int entry : order) {
      EXPECT_EQ(Offset(entry), expected) << "entry " << entry;
      expected += Length(entry);
    }
  }
};

/// A geometry with calloc'd arrays, parts starting at `starts`, released with the object.
class OwnedGeometry {
 public:
  OwnedGeometry(const std::vector<std::pair<double, double>>& points, const std::vector<std::int32_t>& starts,
                const std::vector<std::int32_t>& kinds = {})
      : g_(Terrix::CreateGeometry()) {
    g_->vertexCount = static_cast<std::int32_t>(points.size());
    g_->x = static_cast<double*>(std::calloc(points.size() + 1, sizeof(double)));
    g_->y = static_cast<double*>(std::calloc(points.size() + 1, sizeof(double)));
    for (std::size_t i = 0; i < points.size(); ++i) {
      g_->x[i] = points[i].first;
      g_->y[i] = points[i].second;
    }
    g_->partCount = static_cast<std::int32_t>(starts.size());
    if (!starts.empty()) {
      g_->partStart = static_cast<std::int32_t*>(std::calloc(starts.size(), sizeof(std::int32_t)));
      g_->partType = static_cast<std::int32_t*>(std::calloc(starts.size(), sizeof(std::int32_t)));
      for (std::size_t i = 0; i < starts.size(); ++i) {
        g_->partStart[i] = starts[i];
        g_->partType[i] = i < kinds.size() ? kinds[i] : (i == 0 ? 5 : 3);
      }
    }
  }
  ~OwnedGeometry() { Terrix::DestroyGeometry(g_); }
  OwnedGeometry(const OwnedGeometry&) = delete;
  OwnedGeometry& operator=(const OwnedGeometry&) = delete;
  Terrix::Geometry& operator*() { return *g_; }
  Terrix::Geometry* get() { return g_; }

 private:
  Terrix::Geometry* g_;
};

/// `n` points of a ring: (base + i, base + 2i), i from 0.
inline std::vector<std::pair<double, double>> Ramp(int n, double base = 0.0) {
  std::vector<std::pair<double, double>> p;
  for (int i = 0; i < n; ++i) p.emplace_back(base + i, base + 2.0 * i);
  return p;
}

inline Terrix::TERRIX_PntInfo InUsePoint(double x, double y) {
  Terrix::TERRIX_PntInfo p{};
  p.state = 1;
  p.x = x;
  p.y = y;
  return p;
}

inline Terrix::TERRIX_LineInfo InUseLine() {
  Terrix::TERRIX_LineInfo l{};
  l.state = 1;
  return l;
}

inline Terrix::TERRIX_RegInfo InUseRegion() {
  Terrix::TERRIX_RegInfo r{};
  r.state = 1;
  return r;
}

}  // namespace wt
