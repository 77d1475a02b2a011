// Text conversion for the tool: the files' 8-bit code page, UTF-8 for JSON
// and the terminal, wide strings for the library's paths and names.
#pragma once

#include <string>

namespace terrix {

/// The files' 8-bit code page (iconv name) of the calling thread; GBK unless
/// --codepage says otherwise. It also becomes the library's thread code page,
/// which converts field names. Throws std::runtime_error for a code page that
/// iconv or the library cannot convert.
void SetFileEncoding(const std::string& iconvName);
const std::string& FileEncoding();

/// Makes `iconvName` the calling thread's file code page while the scope
/// lives and restores the one before: for hosts that serve files of several
/// code pages from one thread.
class FileEncodingScope {
 public:
  explicit FileEncodingScope(const std::string& iconvName);
  ~FileEncodingScope();
  FileEncodingScope(const FileEncodingScope&) = delete;
  FileEncodingScope& operator=(const FileEncodingScope&) = delete;

 private:
  std::string previous_;
};

/// 8-bit text of the file's code page to UTF-8 (undecodable bytes become U+FFFD).
std::string FileTextToUtf8(const char* bytes, std::size_t length);
std::string FileTextToUtf8(const std::string& bytes);
/// UTF-8 to the file's code page (unencodable characters become '?').
std::string Utf8ToFileText(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
std::wstring Utf8ToWide(const std::string& utf8);

}  // namespace terrix
