// What every fuzz target shares: the entry point, which hands FuzzOne (each
// target's) the input's bytes and a file holding them, and the checks that
// turn an unknown result code or a wrong read-back into a report.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/ReadAll.h"

namespace fuzz {

/// Bytes in an anonymous memory file, which the library opens by its /proc
/// path like any other file: to read, update or write anew. No disk traffic.
struct File {
  File(const std::uint8_t* data, std::size_t size) : fd(memfd_create("terrix-fuzz", 0)) {
    if (fd >= 0 && (size == 0 || write(fd, data, size) == static_cast<ssize_t>(size)))
      for (char c : "/proc/self/fd/" + std::to_string(fd)) path += static_cast<wchar_t>(c);
  }
  ~File() {
    if (fd >= 0) close(fd);
  }
  File(const File&) = delete;
  const int fd;
  std::wstring path;  // empty when no such file could be made
};

/// One input: its bytes, and the file that holds a copy of them.
struct Input {
  const std::uint8_t* data;
  std::size_t size;
  const wchar_t* path;
};

/// Every answer must be one of the library's result codes, or a value in
/// [low, high] for the operations that answer one on success (a count, a
/// sign-extended kind byte, a 16-bit stored count): anything else is a finding.
struct Codes {
  std::int32_t low = 1, high = 0;
  void operator()(std::int32_t rc, const char* what) const {
    if ((rc < low || rc > high) && !support::IsResultCode(rc)) {
      std::fprintf(stderr, "%s answered the unknown code %d\n", what, rc);
      std::abort();
    }
  }
};
inline constexpr Codes Check{}, CheckCount{0, INT32_MAX}, CheckShort{INT16_MIN, INT16_MAX},
    CheckByte{-128, 127};

/// A finding of a target's own checks (a value read back differently).
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

}  // namespace fuzz

void FuzzOne(const fuzz::Input& in);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::File file(data, size);
  if (!file.path.empty()) FuzzOne({data, size, file.path.c_str()});
  return 0;
}
