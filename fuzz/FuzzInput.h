// What every fuzz target shares: the input as a file the library can open by
// path, and the check that turns an unknown result code into a report.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/ReadAll.h"

namespace fuzz {

/// The input bytes in an anonymous memory file, reached through its /proc
/// path: no disk traffic, and the library opens it like any other file, for
/// reading or (the editing reader) for updating.
class InputFile {
 public:
  InputFile(const std::uint8_t* data, std::size_t size) {
    fd_ = memfd_create("terrix-fuzz", 0);
    if (fd_ < 0) return;
    if (size > 0 && write(fd_, data, size) != static_cast<ssize_t>(size)) {
      close(fd_);
      fd_ = -1;
      return;
    }
    const std::string narrow = "/proc/self/fd/" + std::to_string(fd_);
    path_.assign(narrow.begin(), narrow.end());
  }
  ~InputFile() {
    if (fd_ >= 0) close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool Ok() const { return fd_ >= 0; }
  const wchar_t* Path() const { return path_.c_str(); }

 private:
  int fd_ = -1;
  std::wstring path_;
};

/// Every answer must be one of the library's result codes, or a value in
/// [low, high] for the operations that answer one on success (a count, a
/// sign-extended kind byte, a 16-bit stored count): anything else is a finding.
inline void CheckRange(std::int32_t rc, std::int32_t low, std::int32_t high, const char* what) {
  if ((rc < low || rc > high) && !support::IsResultCode(rc)) {
    std::fprintf(stderr, "%s answered the unknown code %d\n", what, rc);
    std::abort();
  }
}
inline void Check(std::int32_t rc, const char* what) {
  CheckRange(rc, 1, 0, what);
}
inline void CheckCount(std::int32_t rc, const char* what) {
  CheckRange(rc, 0, INT32_MAX, what);
}

/// A finding of a target's own checks (a value read back differently).
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

}  // namespace fuzz

/// Defines the fuzz entry point of a target that opens the input as a file:
/// `TERRIX_FUZZ_FILE(path, data, size) { ... }` runs the body with the path
/// of the input file and the input's bytes.
#define TERRIX_FUZZ_FILE(path, data, size)                                             \
  static void FuzzFile(const wchar_t* path, [[maybe_unused]] const std::uint8_t* data, \
                       [[maybe_unused]] std::size_t size);                             \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {  \
    fuzz::InputFile input(data, size);                                                 \
    if (input.Ok()) FuzzFile(input.Path(), data, size);                                \
    return 0;                                                                          \
  }                                                                                    \
  static void FuzzFile(const wchar_t* path, [[maybe_unused]] const std::uint8_t* data, \
                       [[maybe_unused]] std::size_t size)
