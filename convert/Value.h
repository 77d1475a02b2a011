// Typed attribute values as they cross a conversion: what a field of a map
// file holds, in a form every client (GeoJSON, OGR) can take without loss.
#pragma once

#include <cstdint>
#include <string>

namespace Terrix::Convert {

/// What a value is. Text is UTF-8; Binary is raw bytes.
enum class ValueKind : std::uint8_t {
  Null,
  Integer,
  Integer64,
  Real,
  Text,
  Date,
  Time,
  DateTime,
  Bool,
  Binary
};

const char* ValueKindName(ValueKind kind);

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct TimeParts {
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::uint32_t nanosecond = 0;
};

/// One value. Only the members of its kind are meaningful: `integer` for
/// Integer, Integer64 and Bool (0 or 1), `real` for Real, `bytes` for Text and
/// Binary, `date` and `time` for Date, Time and DateTime. A DateTime may carry
/// the offset of its time zone from UTC in minutes (`hasZone`).
struct Value {
  ValueKind kind = ValueKind::Null;
  std::int64_t integer = 0;
  double real = 0.0;
  std::string bytes;
  DateParts date;
  TimeParts time;
  bool hasZone = false;
  int zoneMinutes = 0;

  bool IsNull() const { return kind == ValueKind::Null; }
  // Setters keep the capacity of `bytes`, so a reused value allocates rarely.
  void SetNull() { kind = ValueKind::Null; }
  void SetInteger(std::int64_t v, ValueKind k = ValueKind::Integer) {
    kind = k;
    integer = v;
  }
  void SetReal(double v) {
    kind = ValueKind::Real;
    real = v;
  }
  void SetBool(bool v) {
    kind = ValueKind::Bool;
    integer = v ? 1 : 0;
  }
  void SetText(const char* data, std::size_t length) {
    kind = ValueKind::Text;
    bytes.assign(data, length);
  }
  void SetBinary(const void* data, std::size_t length) {
    kind = ValueKind::Binary;
    bytes.assign(static_cast<const char*>(data), length);
  }
};

/// Calendar checks shared by the readers and writers of dates and times.
bool IsValidDate(const DateParts& d);
bool IsValidTime(const TimeParts& t);

/// "YYYY-MM-DD", "HH:MM:SS[.fffffffff]" (fraction without trailing zeros) and
/// "YYYY-MM-DDTHH:MM:SS[.f]" with "Z" or "+HH:MM" when the value has a zone.
void AppendDate(std::string& out, const DateParts& d);
void AppendTime(std::string& out, const TimeParts& t);
void AppendDateTime(std::string& out, const Value& v);

/// Lower-case hexadecimal digits of the bytes.
void AppendHex(std::string& out, const std::string& bytes);

/// The shortest decimal text that reads back as the same double (or float).
void AppendShortest(std::string& out, double v);
void AppendShortestFloat(std::string& out, float v);
std::string ShortestNumber(double v);

}  // namespace Terrix::Convert

namespace Terrix::Convert {

/// The value as text: Text as it is, numbers as their shortest decimal form,
/// booleans as "true" or "false", dates and times as above, binary as hex.
void AppendAsText(std::string& out, const Value& v);

}  // namespace Terrix::Convert
