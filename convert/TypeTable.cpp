#include "TypeTable.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace Terrix::Convert {

namespace {

// The stored layouts of dates, times and time stamps (little-endian).
constexpr int kDateBytes = 4;
constexpr int kTimeBytes = 10;       // hour, minute, second: u16; nanoseconds: u32
constexpr int kTimeStampBytes = 16;  // year: i16; month, day, hour, minute, second: u16; nanoseconds: u32
static_assert(sizeof(DATE_STRUstruct) == kDateBytes);
static_assert(sizeof(TIME_STRUstruct) == kTimeBytes);
static_assert(sizeof(TIMESTAMPstruct) == kTimeStampBytes);

std::uint16_t U16At(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32At(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
void PutU16(std::uint8_t* p, int v) {
  const auto u = static_cast<std::uint16_t>(v);
  std::memcpy(p, &u, sizeof u);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
  std::memcpy(p, &v, sizeof v);
}
bool AllZero(const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

TimeParts TimeAt(const std::uint8_t* p) {
  return TimeParts{U16At(p), U16At(p + 2), U16At(p + 4), U32At(p + 6)};
}
void PutTime(std::uint8_t* p, const TimeParts& t) {
  PutU16(p, t.hour);
  PutU16(p + 2, t.minute);
  PutU16(p + 4, t.second);
  PutU32(p + 6, t.nanosecond);
}

// Reads. Each answers false when the stored bytes are no valid value of the
// type (the value is then null).

bool ReadString(Terrix_FastReader& r, int record, int field, int, Value& out) {
  const char* s = r.ReadStringAttribute(record, field);
  out.SetText(s, s != nullptr ? std::strlen(s) : 0);
  return true;
}
bool ReadText(Terrix_FastReader& r, int record, int field, int, Value& out) {
  const char* s = r.ReadTextAttribute(record, field);
  out.SetText(s, s != nullptr ? std::strlen(s) : 0);
  return true;
}
bool ReadInteger64Text(Terrix_FastReader& r, int record, int field, int, Value& out) {
  const char* s = r.ReadStringAttribute(record, field);
  const std::size_t n = s != nullptr ? std::strlen(s) : 0;
  std::int64_t v = 0;
  const auto result = std::from_chars(s, s + n, v);
  if (n == 0 || result.ec != std::errc() || result.ptr != s + n) {
    out.SetNull();
    return n == 0;  // an empty value is a null the format could not hold
  }
  out.SetInteger(v, ValueKind::Integer64);
  return true;
}
bool ReadByte(Terrix_FastReader& r, int record, int field, int, Value& out) {
  out.SetInteger(r.ReadByteAttribute(record, field));
  return true;
}
bool ReadShort(Terrix_FastReader& r, int record, int field, int, Value& out) {
  out.SetInteger(r.ReadShortAttribute(record, field));
  return true;
}
bool ReadLong(Terrix_FastReader& r, int record, int field, int, Value& out) {
  out.SetInteger(r.ReadLongAttribute(record, field));
  return true;
}
bool ReadLong64(Terrix_FastReader& r, int record, int field, int, Value& out) {
  out.SetInteger(r.ReadLongAttribute(record, field), ValueKind::Integer64);
  return true;
}
bool ReadFloat(Terrix_FastReader& r, int record, int field, int, Value& out) {
  out.SetReal(static_cast<double>(r.ReadFloatAttribute(record, field)));
  return true;
}
bool ReadDouble(Terrix_FastReader& r, int record, int field, int, Value& out) {
  out.SetReal(r.ReadDoubleAttribute(record, field));
  return true;
}
bool ReadDouble64(Terrix_FastReader& r, int record, int field, int, Value& out) {
  const double v = r.ReadDoubleAttribute(record, field);
  // 2^63 itself is out of range; every integer below it in magnitude converts.
  if (!(std::fabs(v) < 9223372036854775808.0) || std::trunc(v) != v) {
    out.SetNull();
    return false;
  }
  out.SetInteger(static_cast<std::int64_t>(v), ValueKind::Integer64);
  return true;
}
bool ReadDate(Terrix_FastReader& r, int record, int field, int, Value& out) {
  const DATE_STRUstruct d = r.ReadDateAttribute(record, field);
  out.SetNull();
  if (d.year == 0 && d.month == 0 && d.day == 0) return true;
  const DateParts parts{d.year, d.month, d.day};
  if (!IsValidDate(parts)) return false;
  out.kind = ValueKind::Date;
  out.date = parts;
  return true;
}
bool ReadTime(Terrix_FastReader& r, int record, int field, int, Value& out) {
  const TIME_STRUstruct t = r.ReadTimeAttribute(record, field);
  const TimeParts parts = TimeAt(t.data);
  out.SetNull();
  if (!IsValidTime(parts)) return false;
  out.kind = ValueKind::Time;
  out.time = parts;
  return true;
}
bool ReadTimeStamp(Terrix_FastReader& r, int record, int field, int, Value& out) {
  const TIMESTAMPstruct s = r.ReadTimeStampAttribute(record, field);
  out.SetNull();
  if (AllZero(s.data, sizeof s.data)) return true;
  std::int16_t year;
  std::memcpy(&year, s.data, sizeof year);
  const DateParts date{year, U16At(s.data + 2), U16At(s.data + 4)};
  const TimeParts time = TimeAt(s.data + 6);
  if (!IsValidDate(date) || !IsValidTime(time)) return false;
  out.kind = ValueKind::DateTime;
  out.date = date;
  out.time = time;
  out.hasZone = false;
  return true;
}
bool ReadBool(Terrix_FastReader& r, int record, int field, int, Value& out) {
  out.SetBool(r.ReadBoolAttribute(record, field));
  return true;
}
bool ReadBinary(Terrix_FastReader& r, int record, int field, int width, Value& out) {
  const void* bytes = r.ReadBinareyAttribute(record, field);
  out.SetBinary(bytes, bytes != nullptr && width > 0 ? static_cast<std::size_t>(width) : 0);
  return true;
}

// Writes. The value's kind is one the field's plan allows for the row.

const char* TextOf(const Value& v, std::string& scratch) {
  if (v.kind == ValueKind::Text) return v.bytes.c_str();
  scratch.clear();
  AppendAsText(scratch, v);
  return scratch.c_str();
}
double RealOf(const Value& v) {
  return v.kind == ValueKind::Real ? v.real : static_cast<double>(v.integer);
}

bool WriteString(Terrix_Writer& w, int element, int field, int, const Value& v, std::string& scratch) {
  return w.WriteStringAttribute(element, field, TextOf(v, scratch));
}
bool WriteText(Terrix_Writer& w, int element, int field, int, const Value& v, std::string& scratch) {
  return w.WriteTextAttribute(element, field, TextOf(v, scratch));
}
bool WriteByte(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  return w.WriteByteAttribute(element, field, static_cast<unsigned char>(v.integer));
}
bool WriteShort(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  return w.WriteShortAttribute(element, field, static_cast<short>(v.integer));
}
bool WriteLong(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  return w.WriteLongAttribute(element, field, static_cast<std::int32_t>(v.integer));
}
bool WriteFloat(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  return w.WriteFloatAttribute(element, field, static_cast<float>(RealOf(v)));
}
bool WriteDouble(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  return w.WriteDoubleAttribute(element, field, RealOf(v));
}
bool WriteDate(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  DATE_STRUstruct d{static_cast<std::uint16_t>(v.date.year), static_cast<std::uint8_t>(v.date.month),
                    static_cast<std::uint8_t>(v.date.day)};
  char bytes[kDateBytes];
  std::memcpy(bytes, &d, sizeof bytes);
  return w.WriteDateAttribute(element, field, bytes);
}
bool WriteTime(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  std::uint8_t bytes[kTimeBytes] = {};
  PutTime(bytes, v.time);
  return w.WriteTimeAttribute(element, field, reinterpret_cast<const char*>(bytes));
}
bool WriteTimeStamp(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  std::uint8_t bytes[kTimeStampBytes] = {};
  PutU16(bytes, v.date.year);
  PutU16(bytes + 2, v.date.month);
  PutU16(bytes + 4, v.date.day);
  if (v.kind == ValueKind::DateTime) PutTime(bytes + 6, v.time);
  return w.WriteBinareyAttribute(element, field, bytes);
}
bool WriteBool(Terrix_Writer& w, int element, int field, int, const Value& v, std::string&) {
  return w.WriteBoolAttribute(element, field, v.integer != 0);
}
bool WriteBinary(Terrix_Writer& w, int element, int field, int width, const Value& v, std::string& scratch) {
  // The field takes exactly its width: shorter values are padded with zeros.
  scratch.assign(static_cast<std::size_t>(width), '\0');
  std::memcpy(scratch.data(), v.bytes.data(), std::min(v.bytes.size(), scratch.size()));
  return w.WriteBinareyAttribute(element, field, scratch.data());
}

using FT = FieldType;
using OT = OgrFieldType;
using OS = OgrFieldSubType;
using VK = ValueKind;

const TypeRow kRows[] = {
    {0, 0, "string", FT::String, VK::Text, 0, OT::String, OS::None, JsonForm::Text, false, ReadString,
     WriteString},
    {0, kInteger64Marker, "64-bit integer as text", FT::Integer64, VK::Integer64, 0, OT::Integer64, OS::None,
     JsonForm::Number, true, ReadInteger64Text, WriteString},
    {1, 0, "byte", FT::Byte, VK::Integer, 1, OT::Integer, OS::None, JsonForm::Number, false, ReadByte,
     WriteByte},
    {2, 0, "short", FT::Int16, VK::Integer, 2, OT::Integer, OS::Int16, JsonForm::Number, false, ReadShort,
     WriteShort},
    {3, 0, "long", FT::Integer, VK::Integer, 4, OT::Integer, OS::None, JsonForm::Number, false, ReadLong,
     WriteLong},
    {3, kInteger64Marker, "64-bit integer as long", FT::Integer64, VK::Integer64, 4, OT::Integer64, OS::None,
     JsonForm::Number, false, ReadLong64, WriteLong},
    {4, 0, "float", FT::Float32, VK::Real, 4, OT::Real, OS::Float32, JsonForm::Float, false, ReadFloat,
     WriteFloat},
    {5, 0, "double", FT::Real, VK::Real, 8, OT::Real, OS::None, JsonForm::Number, false, ReadDouble,
     WriteDouble},
    {5, kInteger64Marker, "64-bit integer as double", FT::Integer64, VK::Integer64, 8, OT::Integer64,
     OS::None, JsonForm::Number, false, ReadDouble64, WriteDouble},
    {6, 0, "date", FT::Date, VK::Date, kDateBytes, OT::Date, OS::None, JsonForm::Date, true, ReadDate,
     WriteDate},
    {7, 0, "time", FT::Time, VK::Time, kTimeBytes, OT::Time, OS::None, JsonForm::Time, false, ReadTime,
     WriteTime},
    {8, 0, "time stamp", FT::DateTime, VK::DateTime, kTimeStampBytes, OT::DateTime, OS::None,
     JsonForm::DateTime, true, ReadTimeStamp, WriteTimeStamp},
    {9, 0, "text", FT::Text, VK::Text, 0, OT::String, OS::None, JsonForm::Text, false, ReadText, WriteText},
    {10, 0, "bool", FT::Boolean, VK::Bool, 1, OT::Integer, OS::Boolean, JsonForm::Bool, false, ReadBool,
     WriteBool},
    {11, 0, "binary", FT::Binary, VK::Binary, 0, OT::Binary, OS::None, JsonForm::Hex, false, ReadBinary,
     WriteBinary},
};
constexpr std::size_t kBinaryRow = sizeof kRows / sizeof kRows[0] - 1;

}  // namespace

const TypeRow& RowOfField(int code, int auxByte) {
  const TypeRow* plain = nullptr;
  for (const TypeRow& row : kRows) {
    if (row.code != code) continue;
    if (row.auxByte == auxByte) return row;
    if (row.auxByte == 0) plain = &row;
  }
  return plain != nullptr ? *plain : kRows[kBinaryRow];
}

const TypeRow& RowOfType(FieldType type) {
  for (const TypeRow& row : kRows)
    if (row.type == type && row.auxByte == 0) return row;
  return kRows[0];  // Infer and Integer64 are decided by the planner; text is the safe answer
}

const TypeRow& RowOfInteger64(Integer64Storage storage) {
  const int code = storage == Integer64Storage::Long ? 3 : storage == Integer64Storage::Double ? 5 : 0;
  return RowOfField(code, kInteger64Marker);
}

}  // namespace Terrix::Convert
