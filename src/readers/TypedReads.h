// The attribute reads that the three reader classes share word for word: the
// value read behind the pointer reads, the twelve typed reads and the field
// lookup. They are written once here and expanded into each class's source,
// since the classes have no common base. A reader's state holds the open map
// in `map` and its attribute table in `attributes`.
#pragma once

#include <cstdint>

#include "format/AttributeTable.h"

namespace Terrix::detail {

/// The bytes of one value of the reader's table, trimmed for strings and texts.
template <typename State>
format::ValueBytes ValueOf(State& s, int record, int field, int kind) {
  return s.attributes.ReadValue(s.map.file, record, field, kind);
}

/// One value reinterpreted as T: its stored bytes, missing ones zero.
template <typename T, typename State>
T TypedValue(State& s, int record, int field) {
  return format::ValueAs<T>(ValueOf(s, record, field, format::ReadAs::Raw));
}

}  // namespace Terrix::detail

// clang-format off
#define TERRIX_DEFINE_TYPED_READS(Class)                                                                   \
  void* Class::ReadAttribute(int record, int field, int kind) {                                          \
    return detail::ValueOf(*state_, record, field, kind).data;                                           \
  }                                                                                                      \
  std::int32_t Class::GetFieldIndex(const wchar_t* name) { return state_->attributes.FindFieldIndex(name); } \
  const char* Class::ReadStringAttribute(int record, int field) {                                        \
    return static_cast<const char*>(ReadAttribute(record, field, format::ReadAs::String));            \
  }                                                                                                      \
  const char* Class::ReadTextAttribute(int record, int field) {                                          \
    return static_cast<const char*>(ReadAttribute(record, field, format::ReadAs::Text));              \
  }                                                                                                      \
  void* Class::ReadBinareyAttribute(int record, int field) {                                             \
    return ReadAttribute(record, field, format::ReadAs::Raw);                                         \
  }                                                                                                      \
  unsigned char Class::ReadByteAttribute(int record, int field) {                                        \
    return detail::TypedValue<unsigned char>(*state_, record, field);                                    \
  }                                                                                                      \
  short Class::ReadShortAttribute(int record, int field) {                                               \
    return detail::TypedValue<short>(*state_, record, field);                                            \
  }                                                                                                      \
  std::int32_t Class::ReadLongAttribute(int record, int field) {                                         \
    return detail::TypedValue<std::int32_t>(*state_, record, field);                                     \
  }                                                                                                      \
  float Class::ReadFloatAttribute(int record, int field) {                                               \
    return detail::TypedValue<float>(*state_, record, field);                                            \
  }                                                                                                      \
  double Class::ReadDoubleAttribute(int record, int field) {                                             \
    return detail::TypedValue<double>(*state_, record, field);                                           \
  }                                                                                                      \
  DATE_STRUstruct Class::ReadDateAttribute(int record, int field) {                                      \
    return detail::TypedValue<DATE_STRUstruct>(*state_, record, field);                                  \
  }                                                                                                      \
  TIME_STRUstruct Class::ReadTimeAttribute(int record, int field) {                                      \
    return detail::TypedValue<TIME_STRUstruct>(*state_, record, field);                                  \
  }                                                                                                      \
  TIMESTAMPstruct Class::ReadTimeStampAttribute(int record, int field) {                                 \
    return detail::TypedValue<TIMESTAMPstruct>(*state_, record, field);                                  \
  }                                                                                                      \
  bool Class::ReadBoolAttribute(int record, int field) {                                                 \
    return detail::TypedValue<std::uint8_t>(*state_, record, field) != 0;                                \
  }
// clang-format on
