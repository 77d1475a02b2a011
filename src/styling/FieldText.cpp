#include "styling/FieldText.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "core/Text.h"

namespace Terrix::styling {

std::wstring FirstToken(const char* field, std::size_t width) {
  const void* zero = std::memchr(field, 0, width);
  const std::size_t length =
      zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : width;
  const std::wstring text = core::CodePageToWide(field, length);
  const std::size_t begin = text.find_first_not_of(L' ');
  if (begin == std::wstring::npos) return std::wstring();
  const std::size_t end = text.find(L' ', begin);
  return text.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
}

void PutToken(const std::wstring& token, const wchar_t* replacement, wchar_t* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return;
  const wchar_t* text = token.empty() ? replacement : token.c_str();
  const std::size_t length = std::min(std::wcslen(text), capacity - 1);
  std::wmemcpy(out, text, length);
  out[length] = L'\0';
}

void StoreText(const wchar_t* text, char* field, std::size_t width) {
  if (width == 0) return;
  const std::size_t room = width - 1;
  std::string bytes = core::WideToCodePage(text, std::wcslen(text));
  if (bytes.size() > room) {
    // Too long: keep the whole characters that fit, so that no multi-byte
    // character loses its trailing bytes.
    std::string kept;
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
      const std::string one = core::WideToCodePage(c, 1);
      if (kept.size() + one.size() > room) break;
      kept += one;
    }
    bytes.swap(kept);
  }
  // The text and its terminator only: the bytes behind them stay as they were.
  std::memcpy(field, bytes.data(), bytes.size());
  field[bytes.size()] = '\0';
}

}  // namespace Terrix::styling
