// Helpers of the round-trip suites: files written by Terrix_Writer and read
// back by the readers. Records are compared as bytes, coordinates bit for bit,
// so that a changed display byte or a rounded double cannot pass.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "WriterTestSupport.h"
#include "builder/MapFileBuilder.h"
#include "support/ElementReading.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"
#include "terrix/Writer.h"

namespace roundtrip {

/// A writer and a fast reader over one file in a fresh directory: Create,
/// add elements and values, then FlushAndOpen to read them back.
class WriteThenRead : public ::testing::Test {
 protected:
  tb::TempDir dir;
  Terrix::Terrix_Writer writer;
  Terrix::Terrix_FastReader reader;
  Terrix::GeometryHolder none = writer_support::Geo({}, {});

  void Create(int kind) {
    ASSERT_EQ(writer.Create(dir.WidePath("map.tmf").c_str(), kind), Terrix::Result::Success);
  }
  void FlushAndOpen() {
    writer.Flush();
    writer.Close();
    ASSERT_EQ(reader.Open(dir.WidePath("map.tmf").c_str()), Terrix::Result::Success);
  }
};

using Points = std::vector<std::pair<double, double>>;

/// A record whose every byte is a pattern that depends on `seed`; element
/// records are in use (state 1), so their display bytes must come back as given.
template <typename Record>
Record Pattern(std::uint8_t seed) {
  std::uint8_t bytes[sizeof(Record)];
  for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 37 * i + 11);
  Record r;
  std::memcpy(&r, bytes, sizeof r);
  if constexpr (!std::is_same_v<Record, Terrix::MAP_PARAstruct>) r.state = 1;
  return r;
}

/// Compares two records byte by byte, naming the first byte that differs.
template <typename Record>
::testing::AssertionResult SameRecord(const Record& expected, const Record& actual) {
  const auto* a = reinterpret_cast<const std::uint8_t*>(&expected);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&actual);
  const auto at = std::mismatch(a, a + sizeof(Record), b);
  if (at.first == a + sizeof(Record)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "byte " << (at.first - a) << ": expected " << int{*at.first} << ", read " << int{*at.second};
}

inline bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The vertices [from, from + expected.size()) of `g` equal `expected` bit for bit.
inline ::testing::AssertionResult SameVertices(const Terrix::Geometry& g, std::int32_t from,
                                               const Points& expected) {
  if (from < 0 || from + static_cast<std::int64_t>(expected.size()) > g.vertexCount)
    return ::testing::AssertionFailure() << "vertices " << from << " + " << expected.size()
                                         << " lie outside the " << g.vertexCount << " read";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::size_t v = static_cast<std::size_t>(from) + i;
    if (!SameBits(g.x[v], expected[i].first) || !SameBits(g.y[v], expected[i].second))
      return ::testing::AssertionFailure()
             << "vertex " << v << " reads (" << g.x[v] << ", " << g.y[v] << "), expected ("
             << expected[i].first << ", " << expected[i].second << ")";
  }
  return ::testing::AssertionSuccess();
}

/// Coordinates that a conversion through another type or a text form would
/// change: negative zero, a subnormal, the extremes, a quiet NaN with a payload.
inline Points AwkwardPoints() {
  double nan;
  const std::uint64_t nanBits = 0x7FF8'0000'DEAD'BEEFull;
  std::memcpy(&nan, &nanBits, sizeof nan);
  return {{-0.0, 4.9406564584124654e-324},
          {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()},
          {0.1 + 0.2, -1.0 / 3.0},
          {nan, 123456789.123456789},
          {-0.0, -0.0}};
}

/// The x and y bounds of points, narrowed as the format does it: x min, y min, x max, y max.
inline std::array<double, 4> BoundsOf(const Points& points) {
  std::array<double, 4> b = {writer_support::kBoundsStart, writer_support::kBoundsStart,
                             -writer_support::kBoundsStart, -writer_support::kBoundsStart};
  for (const auto& [x, y] : points) {
    if (x < b[0]) b[0] = x;
    if (y < b[1]) b[1] = y;
    if (x > b[2]) b[2] = x;
    if (y > b[3]) b[3] = y;
  }
  return b;
}

inline Points Concat(const std::vector<Points>& parts) {
  Points all;
  for (const Points& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

/// A geometry of the given parts and part kinds, for the writer.
inline Terrix::GeometryHolder PartsGeometry(const std::vector<Points>& parts,
                                            const std::vector<std::int32_t>& kinds) {
  std::vector<std::int32_t> starts;
  std::int32_t at = 0;
  for (const Points& p : parts) {
    starts.push_back(at);
    at += static_cast<std::int32_t>(p.size());
  }
  return writer_support::Geo(Concat(parts), starts, kinds);
}

}  // namespace roundtrip
