#include "CodePage.h"

#include <TerrixLib.h>
#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "Diagnostics.h"

namespace Terrix::Convert {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
constexpr char32_t kReplacementCharacter = 0xFFFD;
// The library's identifier of ISO-8859-1, which maps every byte to the
// character of the same number and back.
constexpr std::uint32_t kBytesCodePage = 28591;

// The canonical iconv name of a code page name as users write it.
std::string CanonicalName(std::string_view name) {
  std::string key;
  for (char c : name)
    if (c != '-' && c != '_' && c != ' ')
      key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Alias {
    const char* key;
    const char* name;
  };
  static const Alias kAliases[] = {
      {"GBK", "GBK"},           {"CP936", "GBK"},          {"936", "GBK"},
      {"MS936", "GBK"},         {"WINDOWS936", "GBK"},     {"GB18030", "GB18030"},
      {"CP54936", "GB18030"},   {"54936", "GB18030"},      {"UTF8", "UTF-8"},
      {"CP65001", "UTF-8"},     {"65001", "UTF-8"},        {"ISO88591", "ISO-8859-1"},
      {"LATIN1", "ISO-8859-1"}, {"L1", "ISO-8859-1"},      {"CP28591", "ISO-8859-1"},
      {"28591", "ISO-8859-1"},  {"WINDOWS1252", "CP1252"}, {"CP1252", "CP1252"},
      {"1252", "CP1252"},       {"ASCII", "ASCII"},        {"USASCII", "ASCII"},
  };
  for (const Alias& a : kAliases)
    if (key == a.key) return a.name;
  bool digits = !key.empty();
  for (char c : key) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  return digits ? "CP" + key : std::string(name);
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The descriptors of one code page on one thread, opened on first use and
// closed when the thread ends.
struct Descriptors {
  std::string name;
  iconv_t toUtf8 = kNoDescriptor;
  iconv_t fromUtf8 = kNoDescriptor;
};

struct ThreadDescriptors {
  std::vector<Descriptors> entries;
  ~ThreadDescriptors() {
    for (Descriptors& d : entries) {
      if (d.toUtf8 != kNoDescriptor) iconv_close(d.toUtf8);
      if (d.fromUtf8 != kNoDescriptor) iconv_close(d.fromUtf8);
    }
  }
  // Null when iconv cannot convert the code page.
  const Descriptors* Find(const std::string& name) {
    for (const Descriptors& d : entries)
      if (d.name == name) return &d;
    Descriptors d;
    d.name = name;
    d.toUtf8 = iconv_open("UTF-8", name.c_str());
    d.fromUtf8 = iconv_open(name.c_str(), "UTF-8");
    if (d.toUtf8 == kNoDescriptor || d.fromUtf8 == kNoDescriptor) {
      if (d.toUtf8 != kNoDescriptor) iconv_close(d.toUtf8);
      if (d.fromUtf8 != kNoDescriptor) iconv_close(d.fromUtf8);
      return nullptr;
    }
    entries.push_back(d);
    return &entries.back();
  }
};

const Descriptors& DescriptorsOf(const std::string& name) {
  thread_local ThreadDescriptors cache;
  const Descriptors* d = cache.Find(name);
  // The constructor checked the name on its own thread; iconv answers the same on every thread.
  if (d == nullptr) throw ConversionError("the code page " + name + " cannot be converted");
  return *d;
}

// One iconv pass. On an input sequence that does not convert, `onBad` is
// told where it starts and answers how many input bytes to pass over after
// appending its replacement.
template <typename OnBad>
void Run(iconv_t cd, std::string_view input, std::string& out, OnBad onBad) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[1024];
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, sizeof buffer - dstLeft);
    if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    std::size_t skip = onBad(std::string_view(in, inLeft));
    if (skip < 1) skip = 1;
    if (skip > inLeft) skip = inLeft;
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = buffer;
  std::size_t dstLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(buffer, sizeof buffer - dstLeft);
}

}  // namespace

char32_t DecodeUtf8(std::string_view text, std::size_t& length) {
  length = 1;
  if (text.empty()) return kReplacementCharacter;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return lead;
  std::size_t n;
  char32_t c;
  if (lead >= 0xC2 && lead < 0xE0) {
    n = 2;
    c = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    n = 3;
    c = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead < 0xF5) {
    n = 4;
    c = lead & 0x07u;
  } else {
    return kReplacementCharacter;
  }
  if (text.size() < n) return kReplacementCharacter;
  for (std::size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) != 0x80) return kReplacementCharacter;
    c = (c << 6) | (b & 0x3Fu);
  }
  // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
  static const char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMinimum[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacementCharacter;
  length = n;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
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

std::string DescribeCharacter(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  std::string text = code;
  if (c >= 0x20 && c != 0x7F && c != kReplacementCharacter) {
    text += " '";
    AppendUtf8(text, c);
    text += "'";
  }
  return text;
}

CodePage::CodePage(std::string_view name) : name_(CanonicalName(name)) {
  if (name_.empty()) throw ConversionError("an empty code page name");
  const Descriptors* d = nullptr;
  try {
    d = &DescriptorsOf(name_);
  } catch (const ConversionError&) {
    throw ConversionError("unknown code page " + std::string(name) +
                          " (an iconv name such as GBK, GB18030, "
                          "UTF-8, ISO-8859-1 or CP1252)");
  }
  // The format's own texts and the names of files are ASCII: a code page
  // must keep them as they are.
  std::string ascii;
  for (char c = 0x20; c < 0x7F; ++c) ascii += c;
  std::string encoded;
  Run(d->fromUtf8, ascii, encoded, [](std::string_view) { return std::size_t{1}; });
  if (encoded != ascii)
    throw ConversionError("the code page " + std::string(name) + " does not keep ASCII text as it is");
  universal_ = name_ == "GB18030" || name_ == "UTF-8";
}

std::size_t CodePage::Decode(std::string_view bytes, std::string& out) const {
  if (IsAscii(bytes)) {
    out.append(bytes.data(), bytes.size());
    return 0;
  }
  std::size_t bad = 0;
  Run(DescriptorsOf(name_).toUtf8, bytes, out, [&](std::string_view) {
    ++bad;
    AppendUtf8(out, kReplacementCharacter);
    return std::size_t{1};
  });
  return bad;
}

CodePage::EncodeResult CodePage::Encode(std::string_view utf8, std::string& out, char replacement) const {
  EncodeResult result;
  if (IsAscii(utf8)) {
    out.append(utf8.data(), utf8.size());
    return result;
  }
  Run(DescriptorsOf(name_).fromUtf8, utf8, out, [&](std::string_view rest) {
    std::size_t length = 1;
    const char32_t c = DecodeUtf8(rest, length);
    if (result.replaced++ == 0) result.firstReplaced = c;
    out += replacement;
    return length;
  });
  return result;
}

std::size_t CodePage::FittingPrefix(std::string_view utf8, std::size_t maxBytes) const {
  std::size_t used = 0, at = 0;
  std::string one;
  while (at < utf8.size()) {
    std::size_t length = 1;
    DecodeUtf8(utf8.substr(at), length);
    std::size_t bytes = 1;
    if (static_cast<unsigned char>(utf8[at]) >= 0x80) {
      one.clear();
      Encode(utf8.substr(at, length), one);
      bytes = one.size();
    }
    if (used + bytes > maxBytes) break;
    used += bytes;
    at += length;
  }
  return at;
}

LibraryBytesScope::LibraryBytesScope() : previous_(Terrix::GetThreadCodePage()) {
  if (Terrix::SetThreadCodePage(kBytesCodePage) != Terrix::Result::Success)
    throw ConversionError("the library cannot convert field names as bytes (ISO-8859-1)");
}

LibraryBytesScope::~LibraryBytesScope() {
  Terrix::SetThreadCodePage(previous_);
}

bool WideToBytes(const wchar_t* wide, std::string& out) {
  out.clear();
  for (const wchar_t* p = wide; *p != 0; ++p) {
    if (*p < 0 || *p > 0xFF) return false;
    out += static_cast<char>(*p);
  }
  return true;
}

std::wstring BytesToWide(std::string_view bytes) {
  std::wstring wide;
  wide.reserve(bytes.size());
  for (char c : bytes) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring wide;
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = 1;
    wide += static_cast<wchar_t>(DecodeUtf8(utf8.substr(at), length));
    at += length;
  }
  return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
  std::string out;
  for (wchar_t c : wide) {
    const auto u = static_cast<char32_t>(c);
    AppendUtf8(out, u <= 0x10FFFF && (u < 0xD800 || u > 0xDFFF) ? u : kReplacementCharacter);
  }
  return out;
}

}  // namespace Terrix::Convert
