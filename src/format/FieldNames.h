// Field names of attribute tables: decoding the 20-byte name of a descriptor,
// taking its first word, and finding a field by a host's key. Every reader
// names and finds fields this way.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "terrix/Records.h"

namespace Terrix::format {

/// What a field without a first word (empty or spaces only) is called.
inline constexpr wchar_t kBadFieldName[] = L"字段名错误";
/// Wide characters a caller's name buffer holds, terminator included.
constexpr std::size_t kFieldNameBufferSize = 21;
/// A key whose first word is longer than this matches no field.
constexpr std::size_t kMaxKeyWordLength = 31;

/// The descriptor's name in the thread's code page converted to wide text: its
/// bytes up to the first zero, or all 20 when there is none.
std::wstring DecodeFieldName(const TERRIX_Field& field);

/// The run of characters up to the first space after any leading spaces;
/// empty when the text has none. A null text has none.
std::wstring FirstWord(const wchar_t* text);

/// Writes the first word of the field's name, or kBadFieldName when it has
/// none, with a terminating zero into out (kFieldNameBufferSize characters).
void WriteFieldName(const TERRIX_Field& field, wchar_t* out);

/// Index of the first field whose first word equals the key's first word
/// regardless of case; -1 when none does, the key has no word, or the key's
/// word is longer than kMaxKeyWordLength.
int FindField(const std::vector<TERRIX_Field>& fields, const wchar_t* key);

}  // namespace Terrix::format
