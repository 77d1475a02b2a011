#include "Value.h"

#include <charconv>
#include <cstdio>

namespace Terrix::Convert {

const char* ValueKindName(ValueKind kind) {
  switch (kind) {
    case ValueKind::Null:
      return "null";
    case ValueKind::Integer:
      return "integer";
    case ValueKind::Integer64:
      return "64-bit integer";
    case ValueKind::Real:
      return "real";
    case ValueKind::Text:
      return "text";
    case ValueKind::Date:
      return "date";
    case ValueKind::Time:
      return "time";
    case ValueKind::DateTime:
      return "date and time";
    case ValueKind::Bool:
      return "boolean";
    case ValueKind::Binary:
      return "binary";
  }
  return "value";
}

bool IsValidDate(const DateParts& d) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.month < 1 || d.month > 12 || d.day < 1) return false;
  if (d.day > kDays[d.month - 1]) return false;
  const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  return !(d.month == 2 && d.day == 29 && !leap);
}

bool IsValidTime(const TimeParts& t) {
  // A second of 60 is a leap second.
  return t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second <= 60 &&
         t.nanosecond < 1000000000u;
}

void AppendDate(std::string& out, const DateParts& d) {
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  out.append(text, static_cast<std::size_t>(n));
}

void AppendTime(std::string& out, const TimeParts& t) {
  char text[40];
  int n = std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  if (t.nanosecond != 0) {
    char fraction[16];
    int digits = std::snprintf(fraction, sizeof fraction, "%09u", t.nanosecond);
    while (digits > 1 && fraction[digits - 1] == '0') --digits;
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ".%.*s", digits, fraction);
  }
  out.append(text, static_cast<std::size_t>(n));
}

void AppendDateTime(std::string& out, const Value& v) {
  AppendDate(out, v.date);
  out += 'T';
  AppendTime(out, v.time);
  if (!v.hasZone) return;
  if (v.zoneMinutes == 0) {
    out += 'Z';
    return;
  }
  const int minutes = v.zoneMinutes < 0 ? -v.zoneMinutes : v.zoneMinutes;
  char zone[16];
  const int n = std::snprintf(zone, sizeof zone, "%c%02d:%02d", v.zoneMinutes < 0 ? '-' : '+', minutes / 60,
                              minutes % 60);
  out.append(zone, static_cast<std::size_t>(n));
}

void AppendHex(std::string& out, const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
}

void AppendShortest(std::string& out, double v) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr);
}

void AppendShortestFloat(std::string& out, float v) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr);
}

std::string ShortestNumber(double v) {
  std::string out;
  AppendShortest(out, v);
  return out;
}

}  // namespace Terrix::Convert

namespace Terrix::Convert {

void AppendAsText(std::string& out, const Value& v) {
  switch (v.kind) {
    case ValueKind::Null:
      return;
    case ValueKind::Integer:
    case ValueKind::Integer64: {
      char buffer[24];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, v.integer);
      out.append(buffer, result.ptr);
      return;
    }
    case ValueKind::Real:
      AppendShortest(out, v.real);
      return;
    case ValueKind::Bool:
      out += v.integer != 0 ? "true" : "false";
      return;
    case ValueKind::Text:
      out += v.bytes;
      return;
    case ValueKind::Date:
      AppendDate(out, v.date);
      return;
    case ValueKind::Time:
      AppendTime(out, v.time);
      return;
    case ValueKind::DateTime:
      AppendDateTime(out, v);
      return;
    case ValueKind::Binary:
      AppendHex(out, v.bytes);
      return;
  }
}

}  // namespace Terrix::Convert
