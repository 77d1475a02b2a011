#include "format/FieldNames.h"

#include <cstring>
#include <cwchar>

#include "core/Text.h"
#include "format/Layout.h"

namespace Terrix::format {

std::wstring DecodeFieldName(const TERRIX_Field& field) {
  // A name of exactly 20 bytes has no terminator: it must not run into the type byte.
  const void* zero = std::memchr(field.fieldName, 0, kFieldNameSize);
  const std::size_t length = zero != nullptr
                                 ? static_cast<std::size_t>(static_cast<const char*>(zero) - field.fieldName)
                                 : kFieldNameSize;
  return core::CodePageToWide(field.fieldName, length);
}

std::wstring FirstWord(const wchar_t* text) {
  if (text == nullptr) return {};
  const wchar_t* begin = text;
  while (*begin == L' ') ++begin;
  const wchar_t* end = begin;
  while (*end != L'\0' && *end != L' ') ++end;
  return std::wstring(begin, end);
}

void WriteFieldName(const TERRIX_Field& field, wchar_t* out) {
  if (out == nullptr) return;
  std::wstring word = FirstWord(DecodeFieldName(field).c_str());
  if (word.empty()) word = kBadFieldName;
  // 20 bytes decode to at most 20 characters in any code page; the cut only
  // guards the caller's buffer against a converter that says otherwise.
  const std::size_t length = word.size() < kFieldNameBufferSize ? word.size() : kFieldNameBufferSize - 1;
  std::wmemcpy(out, word.data(), length);
  out[length] = L'\0';
}

int FindField(const std::vector<TERRIX_Field>& fields, const wchar_t* key) {
  const std::wstring wanted = FirstWord(key);
  if (wanted.empty() || wanted.size() > kMaxKeyWordLength) return -1;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::wstring word = FirstWord(DecodeFieldName(fields[i]).c_str());
    if (!word.empty() && ::wcscasecmp(word.c_str(), wanted.c_str()) == 0) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace Terrix::format
