// Export of a map file's elements as a GeoJSON FeatureCollection or as one
// WKT line per element, streamed in element order. Elements are formatted in
// chunks on several threads, each with its own reader, and written in order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "Diagnostics.h"

namespace Terrix::Tool {

enum class ExportFormat { GeoJson, Wkt };

struct ExportOptions {
  ExportFormat format = ExportFormat::GeoJson;
  std::string codePage = "GBK";
  /// Leave out rings, lines and points GeoJSON cannot hold (too few points,
  /// coordinates that are not finite), with a warning, instead of failing.
  bool lossy = false;
  /// Formatting threads; 0: one per core, at most 4.
  unsigned threads = 0;
};

/// Writes every element in use (deleted ones are left out). Properties: the
/// element's values typed by their field, "terrix:note" for a point's note,
/// "terrix:class" for the element class of a network file. Returns the number
/// of features written. Throws ConversionError naming the file and element.
std::int64_t ExportMap(const std::string& path, std::FILE* out, const ExportOptions& options,
                       Convert::Diagnostics& diagnostics, const Convert::ProgressFn& progress = {});

}  // namespace Terrix::Tool
