// The 8-bit code page of a map file's texts (field names, strings, notes)
// and the conversions between it and UTF-8. The iconv descriptors are opened
// once per code page and thread and kept for the thread's life, so a string
// costs a conversion, never an open. ASCII text takes no conversion at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Terrix::Convert {

class CodePage {
 public:
  /// The code page of the files unless a client names another.
  static constexpr const char* kDefault = "GBK";

  /// Accepts the usual names (GBK, CP936, GB18030, UTF-8, UTF8, ISO-8859-1,
  /// LATIN1, WINDOWS-1252, CP1252, and any other name iconv knows). Throws
  /// ConversionError for a name iconv cannot convert, or a code page that does
  /// not keep ASCII as it is (the format's own bytes are ASCII).
  explicit CodePage(std::string_view name = kDefault);

  /// The canonical iconv name ("GBK", "GB18030", "UTF-8", "ISO-8859-1", "CP1252", ...).
  const std::string& Name() const { return name_; }
  /// Whether every Unicode character has a form in this code page.
  bool HoldsAllCharacters() const { return universal_; }

  /// Appends the UTF-8 form of the file's bytes; returns how many bytes did
  /// not decode (each became U+FFFD).
  std::size_t Decode(std::string_view bytes, std::string& out) const;

  struct EncodeResult {
    std::size_t replaced = 0;    // characters the code page cannot hold (or bad UTF-8 bytes)
    char32_t firstReplaced = 0;  // the first such character (U+FFFD for a bad byte)
  };
  /// Appends the file's form of UTF-8 text; characters the code page cannot
  /// hold become `replacement`.
  EncodeResult Encode(std::string_view utf8, std::string& out, char replacement = '?') const;

  /// The length of the longest prefix of `utf8` whose encoded form fits in
  /// `maxBytes`: a cut there falls on a character boundary in both forms.
  std::size_t FittingPrefix(std::string_view utf8, std::size_t maxBytes) const;

 private:
  std::string name_;
  bool universal_ = false;
};

/// U+XXXX and the character itself, for messages.
std::string DescribeCharacter(char32_t c);

/// The UTF-8 sequence at the start of `text`: its code point and length (a
/// bad sequence gives U+FFFD and length 1).
char32_t DecodeUtf8(std::string_view text, std::size_t& length);
void AppendUtf8(std::string& out, char32_t c);

/// Makes the library convert field names byte for byte (as ISO-8859-1) on the
/// calling thread while the scope lives, then restores the thread's code page:
/// names then cross the interface as their stored bytes, and this layer
/// converts them with the file's code page.
class LibraryBytesScope {
 public:
  LibraryBytesScope();
  ~LibraryBytesScope();
  LibraryBytesScope(const LibraryBytesScope&) = delete;
  LibraryBytesScope& operator=(const LibraryBytesScope&) = delete;

 private:
  std::uint32_t previous_;
};

/// Field names: wide strings whose characters are the stored bytes, as the
/// library gives and takes them inside a LibraryBytesScope. WideToBytes
/// answers false for a character beyond U+00FF (a text of the library's own).
bool WideToBytes(const wchar_t* wide, std::string& out);
std::wstring BytesToWide(std::string_view bytes);

/// Paths: UTF-8 to the wide form the library takes, and back.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace Terrix::Convert
