#include "Encoding.h"

#include <TerrixLib.h>
#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace terrix {

namespace {

// Per thread, as the library's own code page is.
thread_local std::string fileEncoding = "GBK";

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

constexpr std::size_t kSkipUtf8Sequence = 0;

// One iconv pass; an input sequence that does not convert becomes `replacement`
// (in the target encoding) and `skip` input bytes are passed over (a whole
// UTF-8 sequence for kSkipUtf8Sequence).
std::string Convert(const char* to, const char* from, const char* input, std::size_t length,
                    const std::string& replacement, std::size_t skip) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("cannot convert from ") + from + " to " + to);
  std::string out;
  char buffer[4096];
  char* in = const_cast<char*>(input);
  std::size_t inLeft = length;
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, sizeof buffer - dstLeft);
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += replacement;
      const std::size_t want =
          skip == kSkipUtf8Sequence ? Utf8SequenceLength(static_cast<unsigned char>(*in)) : skip;
      const std::size_t step = want < inLeft ? want : inLeft;
      in += step;
      inLeft -= step;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

// The library converts field names with the thread's code page, given as a
// Windows code page identifier: the one that matches the iconv name, if any.
static std::uint32_t CodePageIdOf(const std::string& iconvName) {
  std::string upper;
  for (char c : iconvName) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "GBK" || upper == "CP936") return 936;
  if (upper == "GB18030") return 54936;
  if (upper == "UTF-8" || upper == "UTF8") return 65001;
  if (upper.rfind("CP", 0) == 0)
    return static_cast<std::uint32_t>(std::strtoul(upper.c_str() + 2, nullptr, 10));
  return 0;
}

void SetFileEncoding(const std::string& iconvName) {
  iconv_t probe = iconv_open("UTF-8", iconvName.c_str());
  if (probe == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("unknown code page: " + iconvName);
  iconv_close(probe);
  const std::uint32_t id = CodePageIdOf(iconvName);
  if (id == 0 || Terrix::SetThreadCodePage(id) != Terrix::Result::Success)
    throw std::runtime_error("the library cannot use the code page " + iconvName);
  fileEncoding = iconvName;
}

const std::string& FileEncoding() {
  return fileEncoding;
}

FileEncodingScope::FileEncodingScope(const std::string& iconvName) : previous_(fileEncoding) {
  if (iconvName != previous_) SetFileEncoding(iconvName);
}

FileEncodingScope::~FileEncodingScope() {
  if (fileEncoding == previous_) return;
  try {
    SetFileEncoding(previous_);
  } catch (const std::exception&) {
    // The previous code page was in force before, so it converts; nothing to report.
  }
}

std::string FileTextToUtf8(const char* bytes, std::size_t length) {
  return Convert("UTF-8", fileEncoding.c_str(), bytes, length, "\xEF\xBF\xBD", 1);
}

std::string FileTextToUtf8(const std::string& bytes) {
  return FileTextToUtf8(bytes.data(), bytes.size());
}

std::string Utf8ToFileText(const std::string& utf8) {
  return Convert(fileEncoding.c_str(), "UTF-8", utf8.data(), utf8.size(), "?", kSkipUtf8Sequence);
}

std::string WideToUtf8(const std::wstring& wide) {
  return Convert("UTF-8", "WCHAR_T", reinterpret_cast<const char*>(wide.data()),
                 wide.size() * sizeof(wchar_t), "\xEF\xBF\xBD", sizeof(wchar_t));
}

std::wstring Utf8ToWide(const std::string& utf8) {
  const std::string raw =
      Convert("WCHAR_T", "UTF-8", utf8.data(), utf8.size(), std::string(), kSkipUtf8Sequence);
  return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

}  // namespace terrix
