// Import of a GeoJSON FeatureCollection into a new vector map file through
// the library's writer.
#pragma once

#include <string>

namespace terrix {

enum class ImportKind { Point, Line, Region, Table };

struct ImportReport {
  long features = 0;  // features read
  long elements = 0;  // elements written (a MultiLineString gives one line per part)
  long skipped = 0;   // features without a geometry of the kind
};

/// Reads `input`, writes `output` (only when complete). Fields come from the
/// feature properties: strings as type 0 with the longest value's width in the
/// file's code page, integers as 4-byte longs (type 3), other numbers as
/// 8-byte doubles (type 5), booleans as type 10. "terrix:note" becomes a
/// point's note; other "terrix:" properties are the tool's own and skipped.
ImportReport ImportGeoJson(const std::string& input, const std::string& output, ImportKind kind);

}  // namespace terrix
