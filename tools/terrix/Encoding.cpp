#include "Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace terrix {

namespace {

std::string fileEncoding = "GBK";

// One iconv pass; an input sequence that does not convert becomes `replacement`
// (in the target encoding) and `skip` input bytes are passed over.
std::string Convert(const char* to, const char* from, const char* input, std::size_t length,
                    const std::string& replacement, std::size_t skip) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("cannot convert from ") + from + " to " + to);
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
      const std::size_t step = skip < inLeft ? skip : inLeft;
      in += step;
      inLeft -= step;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

void SetFileEncoding(const std::string& iconvName) {
  iconv_t probe = iconv_open("UTF-8", iconvName.c_str());
  if (probe == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("unknown code page: " + iconvName);
  iconv_close(probe);
  fileEncoding = iconvName;
}

const std::string& FileEncoding() { return fileEncoding; }

std::string FileTextToUtf8(const char* bytes, std::size_t length) {
  return Convert("UTF-8", fileEncoding.c_str(), bytes, length, "\xEF\xBF\xBD", 1);
}

std::string FileTextToUtf8(const std::string& bytes) { return FileTextToUtf8(bytes.data(), bytes.size()); }

std::string Utf8ToFileText(const std::string& utf8) {
  return Convert(fileEncoding.c_str(), "UTF-8", utf8.data(), utf8.size(), "?", 1);
}

std::string WideToUtf8(const std::wstring& wide) {
  return Convert("UTF-8", "WCHAR_T", reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t),
                 "\xEF\xBF\xBD", sizeof(wchar_t));
}

std::wstring Utf8ToWide(const std::string& utf8) {
  const std::string raw = Convert("WCHAR_T", "UTF-8", utf8.data(), utf8.size(), std::string(), 1);
  return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

}  // namespace terrix
