/// @file
/// The 8-bit code page of the calling thread, used for field names, project
/// texts and every other conversion between the files' 8-bit text and wide strings.
///
/// The setting belongs to the thread, not to an object: every reader, writer
/// and project object converts with the code page of the thread that calls it.
/// Paths are not converted with it; they always go to the operating system as
/// UTF-8. Note texts and attribute values are handed out as stored bytes,
/// without conversion.
#pragma once

#include <cstdint>

#include "terrix/Export.h"

namespace Terrix {

/// The code page every thread starts with: GBK (936), the code page of the format's files.
constexpr std::uint32_t DefaultCodePage = 936;

/// Chooses the code page (a Windows code page identifier such as 936, 1252 or
/// 65001 for UTF-8) for conversions made on the calling thread.
///
/// Identifiers 936 (GBK), 54936 (GB18030), 65001 (UTF-8), 20127 (ASCII) and
/// 28591 (ISO-8859-1) are known by name; any other number N is taken as the
/// platform's converter "CPN". The choice holds for the calling thread only,
/// until it calls again; other threads keep their own setting.
///
/// When converting, bytes that do not decode become U+FFFD, and characters
/// that the code page cannot encode become '?'.
///
/// @param codePage The code page identifier.
/// @return Result::Success, or Result::NotHandled when the platform cannot
///         convert it; the previous code page then stays in force.
TERRIX_API std::int32_t SetThreadCodePage(std::uint32_t codePage);

/// The code page in force for the calling thread.
///
/// @return The identifier last accepted by SetThreadCodePage on this thread,
///         or DefaultCodePage when it never accepted one.
TERRIX_API std::uint32_t GetThreadCodePage();

}  // namespace Terrix
