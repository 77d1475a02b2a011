// The object lifecycle the three reader classes share word for word: one
// reference-counted state per open reader, shared by its copies, so that
// closing one copy closes the file for all and destroying them all releases
// it once; Open closes what was open, opens the file in the reader's mode and
// reads the head area through the class's own ReadHeadInfo.
#pragma once

#include <memory>

#include "core/File.h"
#include "terrix/ResultCodes.h"

// clang-format off
#define TERRIX_DEFINE_READER_LIFECYCLE(Class, State, Mode)                                                 \
  Class::Class() : state_(std::make_shared<State>()) {}                                                  \
  Class::Class(const Class& other) = default;                                                            \
  Class& Class::operator=(const Class& other) = default;                                                 \
  /* The last copy to go closes the file: the shared state's destructor does it. */                     \
  Class::~Class() = default;                                                                             \
  std::int32_t Class::Open(const wchar_t* path) {                                                        \
    Close();                                                                                             \
    if (!state_->map.file.Open(path, Mode)) return Result::CannotOpen;                                   \
    return ReadHeadInfo();                                                                               \
  }
// clang-format on
