// Text fields of the project file: 8-bit text in the thread's code page in a
// fixed-width field, handed out as the first space-separated token.
#pragma once

#include <cstddef>
#include <string>

namespace Terrix::styling {

/// The text of a fixed-width field up to its first zero byte (or the whole
/// width when there is none), converted with the thread's code page and cut to
/// its first token: leading spaces are skipped and the token ends at the next
/// space. Empty when the field holds no token.
std::wstring FirstToken(const char* field, std::size_t width);

/// Writes `token`, or `replacement` when the token is empty, to `out` with a
/// terminating zero, never more than `capacity` wide characters in all.
void PutToken(const std::wstring& token, const wchar_t* replacement, wchar_t* out, std::size_t capacity);

/// Stores `text` converted with the thread's code page into a fixed-width
/// field with its terminating zero, cut at the last whole character that
/// leaves room for the terminator. The bytes behind the terminator are kept.
void StoreText(const wchar_t* text, char* field, std::size_t width);

}  // namespace Terrix::styling
