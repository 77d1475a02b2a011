// The attribute type codes that the terrix tools write and read, one table
// shared by every tool. Codes 0 (string) and 9 (text) are fixed by the format;
// the others are this tool family's choice.
//
// | code | kind       | width written | JSON value                         |
// |------|------------|---------------|------------------------------------|
// | 0    | string     | longest value | string (code page -> UTF-8)        |
// | 1    | byte       | 1             | integer 0..255                     |
// | 2    | short      | 2             | integer                            |
// | 3    | long       | 4             | integer                            |
// | 4    | float      | 4             | number                             |
// | 5    | double     | 8             | number (non-finite: null)          |
// | 6    | date       | 4             | string "YYYY-MM-DD"                |
// | 7    | time       | 10            | string of hex digits (raw bytes)   |
// | 8    | time stamp | 16            | string of hex digits (raw bytes)   |
// | 9    | text       | longest value | string (code page -> UTF-8)        |
// | 10   | bool       | 1             | true / false                       |
// | 11   | binary     | as given      | string of hex digits (raw bytes)   |
// Any other code is read as binary.
#pragma once

namespace terrix {

enum class ValueKind { String, Byte, Short, Long, Float, Double, Date, Time, TimeStamp, Text, Bool, Binary };

namespace TypeCode {
constexpr int String = 0;
constexpr int Byte = 1;
constexpr int Short = 2;
constexpr int Long = 3;
constexpr int Float = 4;
constexpr int Double = 5;
constexpr int Date = 6;
constexpr int Time = 7;
constexpr int TimeStamp = 8;
constexpr int Text = 9;
constexpr int Bool = 10;
constexpr int Binary = 11;
}  // namespace TypeCode

inline ValueKind ValueKindOf(int typeCode) {
  switch (typeCode) {
    case TypeCode::String:
      return ValueKind::String;
    case TypeCode::Byte:
      return ValueKind::Byte;
    case TypeCode::Short:
      return ValueKind::Short;
    case TypeCode::Long:
      return ValueKind::Long;
    case TypeCode::Float:
      return ValueKind::Float;
    case TypeCode::Double:
      return ValueKind::Double;
    case TypeCode::Date:
      return ValueKind::Date;
    case TypeCode::Time:
      return ValueKind::Time;
    case TypeCode::TimeStamp:
      return ValueKind::TimeStamp;
    case TypeCode::Text:
      return ValueKind::Text;
    case TypeCode::Bool:
      return ValueKind::Bool;
    default:
      return ValueKind::Binary;
  }
}

}  // namespace terrix
