#include "FileDetect.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "Output.h"

namespace terrix {

FileType FileTypeOfMagic(const char* bytes, std::size_t length) {
  const std::string m(bytes, length < 8 ? length : 8);
  if (m == "WMAP`D21" || m == "WMAP`D22" || m == "WMAP`D23" || m == "WMAP`D25" || m == "WMAP`D28")
    return FileType::VectorMap;
  if (m == "WMAP`D2:") return FileType::Project;
  if (m == "WMAP`D2>") return FileType::Legend;
  if (m == "PCOLOR 3") return FileType::ColorLibrary;
  return FileType::Unknown;
}

FileType DetectFileType(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(path, std::string("cannot open: ") + std::strerror(errno));
  char magic[8] = {};
  in.read(magic, sizeof magic);
  return FileTypeOfMagic(magic, static_cast<std::size_t>(in.gcount()));
}

const char* FileTypeName(FileType type) {
  switch (type) {
    case FileType::VectorMap:
      return "vector map file";
    case FileType::Project:
      return "map project file";
    case FileType::ColorLibrary:
      return "colour library";
    case FileType::Legend:
      return "legend file";
    default:
      return "unknown file";
  }
}

}  // namespace terrix
