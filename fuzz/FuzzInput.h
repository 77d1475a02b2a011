// What every fuzz target shares: the input as a file the library can open by
// path, and the check that turns an unknown result code into a report.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

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

/// Every answer must be one of the library's result codes (or, for the
/// operations that answer a count, a count): anything else is a finding.
inline void Check(std::int32_t rc, const char* what) {
  if (!support::IsResultCode(rc)) {
    std::fprintf(stderr, "%s answered the unknown code %d\n", what, rc);
    std::abort();
  }
}

/// For operations that answer a count on success: a count or a result code.
inline void CheckCount(std::int32_t rc, const char* what) {
  if (rc < 0) Check(rc, what);
}

/// For operations that answer a stored value in [low, high] on success (a
/// sign-extended kind byte, a 16-bit count): such a value or a result code.
inline void CheckStoredOr(std::int32_t rc, std::int32_t low, std::int32_t high, const char* what) {
  if (rc < low || rc > high) Check(rc, what);
}

/// A finding of a target's own checks (a value read back differently).
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

}  // namespace fuzz
