// Helpers of the round-trip suites: files written by Terrix_Writer and read
// back by Terrix_FastReader. Records are compared as bytes, coordinates bit for
// bit, so that a changed display byte or a rounded double cannot pass.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "WriterTestSupport.h"
#include "support/ElementReading.h"
#include "terrix/FastReader.h"
#include "terrix/Writer.h"

namespace roundtrip {

using Points = std::vector<std::pair<double, double>>;

/// A record whose every byte is a pattern that depends on `seed`.
template <typename Record>
Record Pattern(std::uint8_t seed) {
  std::uint8_t bytes[sizeof(Record)];
  for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 37 * i + 11);
  Record r;
  std::memcpy(&r, bytes, sizeof r);
  return r;
}

/// An element record of pattern bytes in use: display parameters that must
/// come back as given.
template <typename Record>
Record Patterned(std::uint8_t seed) {
  Record r = Pattern<Record>(seed);
  r.state = 1;
  return r;
}

template <typename Record>
std::vector<std::uint8_t> BytesOf(const Record& r) {
  std::vector<std::uint8_t> out(sizeof r);
  std::memcpy(out.data(), &r, sizeof r);
  return out;
}

/// Compares two records byte by byte, naming the first byte that differs.
template <typename Record>
::testing::AssertionResult SameRecord(const Record& expected, const Record& actual) {
  const std::vector<std::uint8_t> a = BytesOf(expected);
  const std::vector<std::uint8_t> b = BytesOf(actual);
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i])
      return ::testing::AssertionFailure()
             << "byte " << i << ": expected " << int{a[i]} << ", read " << int{b[i]};
  return ::testing::AssertionSuccess();
}

inline bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The vertices [from, to) of `g` equal `expected` bit for bit.
inline ::testing::AssertionResult SameVertices(const Terrix::Geometry& g, std::int32_t from,
                                               const Points& expected) {
  if (from < 0 ||
      static_cast<std::int64_t>(from) + static_cast<std::int64_t>(expected.size()) > g.vertexCount)
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

/// The x and y bounds of a set of points, as the readers and the writer narrow them.
struct Bounds {
  double minX = wt::kBoundsStart;
  double minY = wt::kBoundsStart;
  double maxX = -wt::kBoundsStart;
  double maxY = -wt::kBoundsStart;
  void Add(const Points& points) {
    for (const auto& [x, y] : points) {
      if (x < minX) minX = x;
      if (y < minY) minY = y;
      if (x > maxX) maxX = x;
      if (y > maxY) maxY = y;
    }
  }
};

inline Points Concat(const std::vector<Points>& parts) {
  Points all;
  for (const Points& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

/// A multi-part geometry of the given parts and part kinds, for the writer.
struct PartsGeometry {
  std::vector<Points> parts;
  std::vector<std::int32_t> kinds;
  mutable wt::OwnedGeometry geometry;  // the writer only reads it
  PartsGeometry(std::vector<Points> p, std::vector<std::int32_t> k)
      : parts(std::move(p)), kinds(std::move(k)), geometry(Concat(parts), Starts(parts), kinds) {}
  static std::vector<std::int32_t> Starts(const std::vector<Points>& parts) {
    std::vector<std::int32_t> starts;
    std::int32_t at = 0;
    for (const Points& p : parts) {
      starts.push_back(at);
      at += static_cast<std::int32_t>(p.size());
    }
    return starts;
  }
};

}  // namespace roundtrip
