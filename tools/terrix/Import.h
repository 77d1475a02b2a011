// Import of GeoJSON (a FeatureCollection, a Feature or a geometry) into a new
// map file, streamed: the input is parsed event by event and each feature is
// handed to the conversion layer's writer as soon as it ends, so memory is
// bounded by the file written, not by the input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "Diagnostics.h"
#include "MapWriter.h"

namespace Terrix::Tool {

struct ImportOptions {
  /// The file kind; none: the first feature with a geometry decides.
  std::optional<FileKind> kind;
  Convert::WriteOptions write;
};

struct ImportSummary {
  std::int64_t features = 0;
  FileKind kind = FileKind::Table;
};

/// Reads GeoJSON from `input` (`inputName` names it in messages; `inputSize`,
/// when known, measures progress) and writes `output`. Fields come from the
/// properties: strings, integers (32-bit longs, 64-bit integers by what their
/// values need), other numbers as doubles, booleans; nested values as their
/// JSON text. "terrix:note" becomes a point's note; other "terrix:" keys are
/// the tools' own and left out. Throws ConversionError.
ImportSummary ImportGeoJson(std::FILE* input, const std::string& inputName, std::uint64_t inputSize,
                            const std::string& output, const ImportOptions& options,
                            Convert::Diagnostics& diagnostics, const Convert::ProgressFn& progress = {});

/// JSON nesting deeper than this is refused (GeoJSON needs about ten levels).
constexpr std::size_t kMaxJsonDepth = 128;

}  // namespace Terrix::Tool
