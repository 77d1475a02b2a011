// What a file is, from its first bytes: the kinds of vector map file and the
// other files of the format (project, colour library, legend).
#pragma once

#include <cstddef>
#include <cstdint>

#include "terrix/Export.h"

namespace Terrix {

/// The kind of a vector map file: the value of the head's kind field.
enum class FileKind : std::int16_t { Line = 0, Point = 1, Region = 2, Network = 4, Table = 7 };

/// The files the format has, as their magic announces them. A symbol library
/// has no magic and is never identified.
enum class FileFormat { Unknown, VectorMap, Project, ColorLibrary, Legend };

/// Bytes of a file's magic: identification needs this many.
constexpr std::size_t kMagicLength = 8;

struct FileIdentity {
  FileFormat format = FileFormat::Unknown;
  /// The kind the magic names; meaningful for FileFormat::VectorMap only.
  FileKind kind = FileKind::Line;
};

/// Identifies a file from its first `length` bytes (kMagicLength are needed;
/// fewer give FileFormat::Unknown). The head's kind field is not consulted:
/// Open checks it against the magic.
TERRIX_API FileIdentity IdentifyFile(const void* firstBytes, std::size_t length);

/// "line file", "point file", "region file", "network file", "table file",
/// or "unknown kind" for a value that names no kind.
TERRIX_API const char* FileKindName(FileKind kind);

}  // namespace Terrix
