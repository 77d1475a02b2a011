// File access supplied by a host: virtual file systems, archives, memory.
// Without hooks the library uses the platform's files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "terrix/Export.h"

namespace Terrix {

/// The functions through which the library opens, reads and writes files, in
/// the manner of the C library's stdio. `userData` is handed to Open as given.
struct FileHooks {
  /// Opens `path` (UTF-8) with `access` "rb" (read), "r+b" (read and write) or
  /// "w+b" (create or empty, then read and write); answers the open file, or
  /// null when it cannot be opened.
  void* (*Open)(const char* path, const char* access, void* userData);
  /// Reads up to `size` bytes at the current position; answers how many were
  /// read (fewer at the end of the file, or on a failure).
  std::size_t (*Read)(void* buffer, std::size_t size, void* file);
  /// Writes `size` bytes at the current position; answers how many were written.
  std::size_t (*Write)(const void* buffer, std::size_t size, void* file);
  /// Moves the current position to `offset` from the start; answers 0, or
  /// non-zero on failure.
  int (*Seek)(void* file, std::uint64_t offset);
  /// The current position.
  std::uint64_t (*Tell)(void* file);
  /// The file's size in bytes.
  std::uint64_t (*Size)(void* file);
  /// Closes the file; answers 0, or non-zero on failure.
  int (*Close)(void* file);
  void* userData;
};

/// Makes the calling thread open files through `hooks` (null: the platform's
/// own files) from now on, and answers the hooks in force before. A file keeps
/// the hooks it was opened with until it is closed, so the table must outlive
/// every file opened through it.
TERRIX_API const FileHooks* SetThreadFileHooks(const FileHooks* hooks);

/// The hooks in force on the calling thread, or null.
TERRIX_API const FileHooks* GetThreadFileHooks();

}  // namespace Terrix
