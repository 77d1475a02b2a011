// Helpers shared by the element-reading suites: a reader opened on a built
// file, and access to the fast reader's protected helpers.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include "builder/ElementRecords.h"
#include "builder/MapFileBuilder.h"
#include "terrix/FastReader.h"
#include "terrix/GeometryHolder.h"

namespace elements_test {

/// The fast reader with its protected element helpers reachable.
class Reader : public Terrix::Terrix_FastReader {
 public:
  using Terrix_FastReader::ClearGeomBuffer;
  using Terrix_FastReader::ReadGeomInfo;
  using Terrix_FastReader::ReadPolyArc;
  using Terrix_FastReader::ReadPolyTopo;
};

/// Writes the file into `dir` and opens `reader` on it; returns Open's code.
inline std::int32_t OpenBuilt(Reader& reader, const tb::TempDir& dir, const tb::MapFileBuilder& file,
                              const std::string& name = "map.tmf") {
  file.WriteTo(dir.Path(name));
  return reader.Open(dir.WidePath(name).c_str());
}

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

}  // namespace elements_test
