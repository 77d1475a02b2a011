// The attribute type codes of the map files and everything a conversion
// needs to know about each, in one table: the width a field of the type
// takes, how a value is read and written, the OGR field type that shows it
// and its GeoJSON form. Every place that would switch on a type code asks
// this table instead.
//
// | code | aux | type       | value      | width         | OGR                 | GeoJSON            |
// |------|-----|------------|------------|---------------|---------------------|--------------------|
// | 0    |     | string     | Text       | longest value | String              | string             |
// | 0    | 64  | 64-bit int | Integer64  | longest value | Integer64           | number             |
// | 1    |     | byte       | Integer    | 1             | Integer             | number             |
// | 2    |     | short      | Integer    | 2             | Integer(Int16)      | number             |
// | 3    |     | long       | Integer    | 4             | Integer             | number             |
// | 3    | 64  | 64-bit int | Integer64  | 4             | Integer64           | number             |
// | 4    |     | float      | Real       | 4             | Real(Float32)       | number (as float)  |
// | 5    |     | double     | Real       | 8             | Real                | number             |
// | 5    | 64  | 64-bit int | Integer64  | 8             | Integer64           | number             |
// | 6    |     | date       | Date       | 4             | Date                | "YYYY-MM-DD"       |
// | 7    |     | time       | Time       | 10            | Time                | "HH:MM:SS[.f]"     |
// | 8    |     | time stamp | DateTime   | 16            | DateTime            | "YYYY-MM-DDTHH:MM:SS[.f]" |
// | 9    |     | text       | Text       | longest value | String              | string             |
// | 10   |     | bool       | Bool       | 1             | Integer(Boolean)    | true / false       |
// | 11   |     | binary     | Binary     | longest value | Binary              | hex digits         |
// Any other code reads as binary. Codes 0 and 9 are the format's own; the
// others are this tool family's choice. The auxiliary byte 64 marks a field
// that holds 64-bit integers in a long, a double (every value exact in 53
// bits) or decimal text, so that they read back as 64-bit integers.
//
// Stored layouts: a date is year (u16), month (u8), day (u8); a time is hour,
// minute, second (u16 each) and nanoseconds (u32); a time stamp is year (i16),
// month, day, hour, minute, second (u16 each) and nanoseconds (u32), all
// little-endian. All-zero dates and time stamps are no value (null), and so
// is an empty 64-bit integer text; no other type has a null.
#pragma once

#include <TerrixLib.h>

#include <cstdint>
#include <string>

#include "Value.h"

namespace Terrix::Convert {

/// The type of a field as a client declares or a reader reports it.
/// Infer: decided by the values a writer is given.
enum class FieldType : std::uint8_t {
  Infer,
  Byte,
  Int16,
  Integer,
  Integer64,
  Float32,
  Real,
  String,
  Text,
  Date,
  Time,
  DateTime,
  Boolean,
  Binary
};

/// OGR's field types and subtypes, with OGR's own numbers (the plugin checks
/// them against GDAL's headers), so the table can name them without GDAL.
enum class OgrFieldType : int {
  Integer = 0,
  Real = 2,
  String = 4,
  Binary = 8,
  Date = 9,
  Time = 10,
  DateTime = 11,
  Integer64 = 12
};
enum class OgrFieldSubType : int { None = 0, Boolean = 1, Int16 = 2, Float32 = 3 };

/// How a value of the type is written in GeoJSON.
enum class JsonForm : std::uint8_t { Text, Number, Float, Bool, Date, Time, DateTime, Hex };

/// How a 64-bit integer field is stored (the table's three rows with aux 64).
enum class Integer64Storage : std::uint8_t { Long, Double, Text };

constexpr int kInteger64Marker = 64;

/// Reads the value of `field` (width bytes) of element `record`. Text comes
/// out as the file's bytes (code page), for the caller to decode.
/// Answers false when the stored bytes are no valid value of the type (the
/// value is then null).
using ReadValueFn = bool (*)(Terrix_FastReader& reader, int record, int field, int width, Value& out);
/// Writes a value whose text is already in the file's code page; false when
/// the library refuses it. `scratch` is the caller's reusable buffer.
using WriteValueFn = bool (*)(Terrix_Writer& writer, int element, int field, int width, const Value& value,
                              std::string& scratch);

struct TypeRow {
  int code;
  int auxByte;  // 0, or kInteger64Marker
  const char* name;
  FieldType type;
  ValueKind kind;
  int fixedWidth;  // bytes; 0: as wide as the longest value
  OgrFieldType ogrType;
  OgrFieldSubType ogrSubType;
  JsonForm json;
  bool holdsNull;  // a null has a stored form (zero bytes, empty text) that reads back as null
  ReadValueFn read;
  WriteValueFn write;
};

/// The row of a field as a file describes it (unknown codes: binary).
const TypeRow& RowOfField(int code, int auxByte);
/// The row a writer uses for a declared type (not Infer or Integer64).
const TypeRow& RowOfType(FieldType type);
const TypeRow& RowOfInteger64(Integer64Storage storage);

/// Widest field the format takes, in bytes.
constexpr int kMaxFieldWidth = 32767;

}  // namespace Terrix::Convert
