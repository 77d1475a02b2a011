#include "core/Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "terrix/CodePage.h"
#include "terrix/ResultCodes.h"

namespace Terrix::core {

namespace {

// wchar_t holds UTF-32 in the machine's byte order.
static_assert(sizeof(wchar_t) == 4, "wide strings are expected to be UTF-32");
constexpr const char* kWideEncoding = "UTF-32LE";

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Runs iconv over input; on an input sequence that does not convert, emits
// `replacement` (already in the target encoding) and skips `skip` input bytes.
std::string Convert(iconv_t cd, const char* input, std::size_t length, const std::string& replacement,
                    std::size_t skip) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.reserve(length * 4 + 16);
  char buffer[1024];
  char* in = const_cast<char*>(input);
  std::size_t inLeft = length;
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof(buffer);
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, sizeof(buffer) - dstLeft);
    if (rc == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence at the end): replace and go on.
      out += replacement;
      const std::size_t step = skip < inLeft ? skip : inLeft;
      in += step;
      inLeft -= step;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* dst = buffer;
  std::size_t dstLeft = sizeof(buffer);
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(buffer, sizeof(buffer) - dstLeft);
  return out;
}

std::wstring BytesToWide(const std::string& utf32) {
  std::wstring result(utf32.size() / 4, L'\0');
  if (!result.empty()) std::memcpy(&result[0], utf32.data(), result.size() * 4);
  return result;
}

std::string Replacement32(char32_t c) {
  std::string s(4, '\0');
  std::memcpy(&s[0], &c, 4);
  return s;
}

// Per-thread converters for the thread's code page, reopened when it changes.
struct ThreadCodePage {
  unsigned codePage = DefaultCodePage;
  unsigned openedFor = 0;
  std::unique_ptr<Converter> toWide;
  std::unique_ptr<Converter> fromWide;

  void EnsureOpen() {
    if (openedFor == codePage && toWide && fromWide) return;
    const std::string name = IconvNameOf(codePage);
    auto to = std::make_unique<Converter>(kWideEncoding, name.c_str());
    auto from = std::make_unique<Converter>(name.c_str(), kWideEncoding);
    if (!to->ok() || !from->ok()) throw std::runtime_error("code page cannot be converted: " + name);
    toWide = std::move(to);
    fromWide = std::move(from);
    openedFor = codePage;
  }
};
thread_local ThreadCodePage threadCodePage;

}  // namespace

std::string IconvNameOf(unsigned codePage) {
  switch (codePage) {
    case 936:
      return "GBK";
    case 54936:
      return "GB18030";
    case 65001:
      return "UTF-8";
    case 20127:
      return "ASCII";
    case 28591:
      return "ISO-8859-1";
    default:
      return "CP" + std::to_string(codePage);
  }
}

std::wstring CodePageToWide(const char* bytes, std::size_t length) {
  threadCodePage.EnsureOpen();
  if (bytes == nullptr || length == 0) return std::wstring();
  return BytesToWide(Convert(threadCodePage.toWide->get(), bytes, length, Replacement32(0xFFFD), 1));
}

std::string WideToCodePage(const wchar_t* text, std::size_t length) {
  threadCodePage.EnsureOpen();
  if (text == nullptr || length == 0) return std::string();
  return Convert(threadCodePage.fromWide->get(), reinterpret_cast<const char*>(text), length * 4, "?", 4);
}

std::string WideToCodePage(const std::wstring& text) { return WideToCodePage(text.data(), text.size()); }

std::wstring DecodeToWide(const char* bytes, std::size_t length, const char* encoding) {
  Converter c(kWideEncoding, encoding);
  if (!c.ok()) throw std::runtime_error(std::string("encoding cannot be converted: ") + encoding);
  if (bytes == nullptr || length == 0) return std::wstring();
  return BytesToWide(Convert(c.get(), bytes, length, Replacement32(0xFFFD), 1));
}

std::string WideToUtf8(const wchar_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const wchar_t* p = text; *p != L'\0'; ++p) {
    auto c = static_cast<std::uint32_t>(*p);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace Terrix::core

namespace Terrix {

std::int32_t SetThreadCodePage(std::uint32_t codePage) {
  const std::string name = core::IconvNameOf(codePage);
  iconv_t probe = iconv_open("UTF-32LE", name.c_str());
  if (probe == reinterpret_cast<iconv_t>(-1)) return Result::NotHandled;
  iconv_close(probe);
  core::threadCodePage.codePage = codePage;
  return Result::Success;
}

std::uint32_t GetThreadCodePage() { return core::threadCodePage.codePage; }

}  // namespace Terrix
