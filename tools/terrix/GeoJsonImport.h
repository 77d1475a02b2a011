// Import of a GeoJSON FeatureCollection into a new vector map file through
// the library's writer.
#pragma once

#include <string>
#include <vector>

#include "TypeCodes.h"
#include "VectorModel.h"

namespace terrix {

enum class ImportKind { Point, Line, Region, Table };

struct ImportReport {
  long features = 0;  // features read
  long elements = 0;  // elements written (a MultiLineString gives one line per part)
  long skipped = 0;   // features without a geometry of the kind
};

/// A field of the file to write: its name (UTF-8), type code (TypeCodes.h)
/// and width in bytes.
struct FieldPlan {
  std::string name;
  int typeCode = TypeCode::Long;
  int width = 4;
  bool seen = false;  // a value decided the type
};

/// The fields of features (GeoJSON Feature objects) as the properties give
/// them, typed and sized as ImportGeoJson says.
std::vector<FieldPlan> PlanFields(const Json& features);
/// Sizes the fields of given types: string fields get the width of their
/// longest value in the file's code page (at least 1), the others their type's.
void SizeFields(std::vector<FieldPlan>& plans, const Json& features);

/// Writes features (GeoJSON Feature objects) as a new file of the kind with
/// the fields planned; `output` appears only when complete and read back.
/// Throws ToolError naming the output (and the library's result code).
ImportReport WriteFeatures(const Json& features, const std::vector<FieldPlan>& plans,
                           const std::string& output, ImportKind kind);

/// Reads `input`, writes `output` (only when complete). Fields come from the
/// feature properties: strings as type 0 with the longest value's width in the
/// file's code page, integers as 4-byte longs (type 3), other numbers as
/// 8-byte doubles (type 5), booleans as type 10. "terrix:note" becomes a
/// point's note; other "terrix:" properties are the tool's own and skipped.
ImportReport ImportGeoJson(const std::string& input, const std::string& output, ImportKind kind);

}  // namespace terrix
