// Text conversion between the files' 8-bit code page and wide strings
// (wchar_t is UTF-32 on Linux).
#pragma once

#include <cstddef>
#include <string>

namespace Terrix::core {

/// Converts 8-bit text in the thread's code page to a wide string. Bytes that do
/// not decode become U+FFFD. Throws std::runtime_error only when the code page
/// itself cannot be opened.
std::wstring CodePageToWide(const char* bytes, std::size_t length);
/// Converts a wide string to the thread's code page; characters that the code
/// page cannot encode become '?'.
std::string WideToCodePage(const wchar_t* text, std::size_t length);
std::string WideToCodePage(const std::wstring& text);

/// Decoding with a named iconv encoding, independent of the thread setting
/// (the fixed GBK texts of the library are checked with it).
std::wstring DecodeToWide(const char* bytes, std::size_t length, const char* encoding);

/// UTF-32 to UTF-8 without the thread's code page: file system paths.
std::string WideToUtf8(const wchar_t* text);

/// The iconv name of a Windows code page identifier ("GBK" for 936).
std::string IconvNameOf(unsigned codePage);

}  // namespace Terrix::core
