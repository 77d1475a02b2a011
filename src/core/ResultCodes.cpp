#include "terrix/ResultCodes.h"

namespace Terrix {

const char* ResultMessage(std::int32_t code) {
  switch (code) {
    case Result::Success:
      return "success";
    case Result::IoError:
      return "a read or write of the file failed, or an index is out of range";
    case Result::WriteBackFailed:
      return "a changed record could not be written back into the file";
    case Result::NotInUse:
      return "the element is not in use";
    case Result::NotHandled:
      return "the file kind, attribute table or field is not handled, or a table head is invalid";
    case Result::BadArcList:
      return "the polygon's arc list is empty or its leading total is negative";
    case Result::PartSkipped:
      return "a part of the geometry was skipped";
    case Result::CannotOpen:
      return "the file cannot be opened or created, or its directory lies beyond the limits";
    case Result::BadMagic:
      return "the file's magic does not match its kind, or the kind is unknown";
    case Result::NoMemory:
      return "memory could not be obtained";
    case Result::Refused:
      return "the file is refused, or a polygon's points exceed its vertex count";
    case Result::NotApplicable:
      return "the operation does not apply to this file kind";
    default:
      return "unknown result code";
  }
}

}  // namespace Terrix
