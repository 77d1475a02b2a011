/// @file
/// Result codes returned by every operation of the library that can fail.
#pragma once

#include <cstdint>

#include "terrix/Export.h"

/// Everything the library exports, except Vec2d, Vec2f and the two Windows
/// colour records tagRGBTRIPLE and tagRGBQUAD, which are global.
namespace Terrix {

/// Named result codes. Operations return them as a signed 32-bit value.
///
/// Success is 99999; failures are negative. Some operations answer a value
/// instead of Success when they succeed (a count, a kind or a type code, as
/// Terrix_Prj::LoadProject or Terrix_FastReader::GetFieldCount do) and one of
/// these codes when they fail; their documentation says which. ResultMessage
/// gives a short text for each code.
namespace Result {
/// The operation succeeded.
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
/// The element was added all the same.
constexpr std::int32_t PartSkipped = -9969;
/// The file cannot be opened or created, or its directory lies beyond the head limits.
/// The writer also answers it for an operation made without a writable file.
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
///
/// @param code A result code, as an operation returned it.
/// @return A static, zero-terminated text that the caller must not free;
///         "unknown result code" for a value that is no code of Result.
TERRIX_API const char* ResultMessage(std::int32_t code);

}  // namespace Terrix
