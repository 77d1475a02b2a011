// Helpers shared by the element-reading suites: the fast reader's protected
// helpers made reachable, and comparisons that packed records need.
#pragma once

#include <cstring>

#include "builder/ElementRecords.h"
#include "builder/MapFileBuilder.h"
#include "terrix/FastReader.h"
#include "terrix/GeometryHolder.h"

namespace elements_test {

/// The fast reader with its protected element helpers reachable.
class Reader : public Terrix::Terrix_FastReader {
 public:
  using Terrix_FastReader::ReadGeomInfo;
  using Terrix_FastReader::ReadPolyArc;
  using Terrix_FastReader::ReadPolyTopo;
};

/// A copy of a field of a packed record: the assertion macros bind references
/// to their arguments, which a packed field cannot give (misaligned).
template <typename T>
T Value(T field) {
  return field;
}

/// Bitwise equality of doubles, so that a NaN or -0.0 compares as stored.
inline bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The bytes of a record, to compare records whole.
template <typename Record>
tb::Bytes BytesOf(const Record& r) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&r);
  return tb::Bytes(p, p + sizeof r);
}

}  // namespace elements_test
