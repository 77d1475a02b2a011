/// @file
/// What a file is, from its first bytes: the kinds of vector map file and the
/// other files of the format (project, colour library, legend).
///
/// Magics (the first 8 bytes): "WMAP`D21" line, "WMAP`D22" point, "WMAP`D23"
/// region, "WMAP`D25" network and "WMAP`D28" table file; "WMAP`D2:" map
/// project, "PCOLOR 3" colour library, "WMAP`D2>" legend.
#pragma once

#include <cstddef>
#include <cstdint>

#include "terrix/Export.h"

namespace Terrix {

/// The kind of a vector map file: the value of the head's kind field.
enum class FileKind : std::int16_t { Line = 0, Point = 1, Region = 2, Network = 4, Table = 7 };
/// @var FileKind::Line
/// Line file (magic "WMAP`D21"): lines with their attribute table.
/// @var FileKind::Point
/// Point file ("WMAP`D22"): points with note texts.
/// @var FileKind::Region
/// Region file ("WMAP`D23"): polygons whose rings are built from arcs.
/// @var FileKind::Network
/// Network file ("WMAP`D25"): arcs and nodes; read only.
/// @var FileKind::Table
/// Table file ("WMAP`D28"): one attribute table, no geometry.

/// The files the format has, as their magic announces them. A symbol library
/// has no magic and is never identified.
enum class FileFormat { Unknown, VectorMap, Project, ColorLibrary, Legend };
/// @var FileFormat::Unknown
/// No magic of the format, or fewer than kMagicLength bytes given.
/// @var FileFormat::VectorMap
/// A vector map file; FileIdentity::kind tells which kind.
/// @var FileFormat::Project
/// A map project file (Terrix_Prj).
/// @var FileFormat::ColorLibrary
/// A colour library file (Terrix_ColorLib).
/// @var FileFormat::Legend
/// A legend file (Terrix_Legend).

/// Bytes of a file's magic: identification needs this many.
constexpr std::size_t kMagicLength = 8;

/// What IdentifyFile found.
struct FileIdentity {
  /// The format the magic names.
  FileFormat format = FileFormat::Unknown;
  /// The kind the magic names; meaningful for FileFormat::VectorMap only.
  FileKind kind = FileKind::Line;
};

/// Identifies a file from its first `length` bytes (kMagicLength are needed;
/// fewer give FileFormat::Unknown). The head's kind field is not consulted:
/// Open checks it against the magic.
///
/// Thread-safe: it reads only the bytes given.
///
/// @param firstBytes The first bytes of the file; null gives FileFormat::Unknown.
/// @param length     How many bytes `firstBytes` holds.
/// @return The format and, for a vector map file, its kind.
TERRIX_API FileIdentity IdentifyFile(const void* firstBytes, std::size_t length);

/// "line file", "point file", "region file", "network file", "table file",
/// or "unknown kind" for a value that names no kind.
///
/// @param kind A file kind, possibly a value outside the enumeration.
/// @return A static English text that the caller must not free.
TERRIX_API const char* FileKindName(FileKind kind);

}  // namespace Terrix
