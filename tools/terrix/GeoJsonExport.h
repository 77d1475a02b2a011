// Export of a vector map file as a GeoJSON FeatureCollection or as WKT lines.
#pragma once

#include <ostream>
#include <string>

namespace terrix {

enum class ExportFormat { GeoJson, Wkt };

/// Writes every element in use of the file (deleted ones are left out).
/// Properties: the element's attribute values typed by their field,
/// "terrix:note" for a point's note text, "terrix:class" for the element
/// class of a network file. Returns the number of elements written.
long ExportVectorFile(const std::string& path, std::ostream& out, ExportFormat format);

}  // namespace terrix
