// Result codes returned by every operation of the library that can fail.
#pragma once

#include <cstdint>

#include "terrix/Export.h"

namespace Terrix {

/// Named result codes. Operations return them as a signed 32-bit value.
namespace Result {
constexpr std::int32_t Success = 99999;
/// A read or write failed, or an element, record or tic index is out of range.
constexpr std::int32_t IoError = -9983;
/// A changed record could not be written back into an existing file.
constexpr std::int32_t WriteBackFailed = -9982;
/// The element asked for is not in use (its state byte is not 1).
constexpr std::int32_t NotInUse = -9981;
/// File kind, attribute table or field not handled, or a table head failed its checks.
constexpr std::int32_t NotHandled = -9980;
/// A polygon's arc list is empty or its leading total is negative.
constexpr std::int32_t BadArcList = -9979;
/// Notice: a line had more than one part, or a further outer ring was skipped.
constexpr std::int32_t PartSkipped = -9969;
/// The file cannot be opened or created, or its directory lies beyond the head limits.
constexpr std::int32_t CannotOpen = -9996;
/// The magic does not match the file kind, or the kind is unknown.
constexpr std::int32_t BadMagic = -9997;
/// Memory for a result could not be obtained.
constexpr std::int32_t NoMemory = -9999;
/// The refusal flag is set; for polygons: the working array failed or overflowed.
constexpr std::int32_t Refused = -10000;
/// A counting operation does not apply to this file kind.
constexpr std::int32_t NotApplicable = -1;
}  // namespace Result

/// A short English description of a result code, for messages of host programs.
TERRIX_API const char* ResultMessage(std::int32_t code);

}  // namespace Terrix
