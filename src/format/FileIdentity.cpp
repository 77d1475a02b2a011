// Identification of a file by its magic: the vector map kinds named in
// format/Layout.h and the styling files named in styling/StyleLayout.h.
#include <cstring>

#include "format/Layout.h"
#include "styling/StyleLayout.h"
#include "terrix/FileKind.h"

namespace Terrix {

namespace {

constexpr FileKind kMapKinds[] = {FileKind::Line, FileKind::Point, FileKind::Region, FileKind::Network,
                                  FileKind::Table};
static_assert(kMagicLength == format::kMagicSize && kMagicLength == styling::kStyleMagicSize);

}  // namespace

FileIdentity IdentifyFile(const void* firstBytes, std::size_t length) {
  FileIdentity identity;
  if (firstBytes == nullptr || length < kMagicLength) return identity;
  const char* bytes = static_cast<const char*>(firstBytes);
  for (FileKind kind : kMapKinds) {
    if (std::memcmp(bytes, format::MagicOfKind(kind), kMagicLength) == 0) {
      identity.format = FileFormat::VectorMap;
      identity.kind = kind;
      return identity;
    }
  }
  if (styling::MagicMatches(bytes, styling::kProjectMagic))
    identity.format = FileFormat::Project;
  else if (styling::MagicMatches(bytes, styling::kColorLibMagic))
    identity.format = FileFormat::ColorLibrary;
  else if (styling::MagicMatches(bytes, styling::kLegendMagic))
    identity.format = FileFormat::Legend;
  return identity;
}

const char* FileKindName(FileKind kind) {
  switch (kind) {
    case FileKind::Line:
      return "line file";
    case FileKind::Point:
      return "point file";
    case FileKind::Region:
      return "region file";
    case FileKind::Network:
      return "network file";
    case FileKind::Table:
      return "table file";
  }
  return "unknown kind";
}

}  // namespace Terrix
