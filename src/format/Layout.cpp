#include "format/Layout.h"

namespace Terrix::format {

const char* MagicOfKind(FileKind kind) {
  switch (kind) {
    case FileKind::Line:
      return "WMAP`D21";
    case FileKind::Point:
      return "WMAP`D22";
    case FileKind::Region:
      return "WMAP`D23";
    case FileKind::Network:
      return "WMAP`D25";
    case FileKind::Table:
      return "WMAP`D28";
    default:
      return nullptr;
  }
}

}  // namespace Terrix::format
