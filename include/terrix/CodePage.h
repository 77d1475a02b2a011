// The 8-bit code page of the calling thread, used for field names, project
// texts and every other conversion between the files' 8-bit text and wide strings.
#pragma once

#include <cstdint>

#include "terrix/Export.h"

namespace Terrix {

/// The code page every thread starts with: GBK (936), the code page of the format's files.
constexpr std::uint32_t DefaultCodePage = 936;

/// Chooses the code page (a Windows code page identifier such as 936, 1252 or
/// 65001 for UTF-8) for conversions made on the calling thread. Returns
/// Result::Success, or Result::NotHandled when the platform cannot convert it;
/// the previous code page then stays in force.
TERRIX_API std::int32_t SetThreadCodePage(std::uint32_t codePage);

/// The code page in force for the calling thread.
TERRIX_API std::uint32_t GetThreadCodePage();

}  // namespace Terrix
