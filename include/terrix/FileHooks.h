/// @file
/// File access supplied by a host: virtual file systems, archives, memory.
///
/// Every file the library opens (map files, project files, colour libraries,
/// legends, symbol libraries, for reading, updating or writing) goes through
/// the platform's files, or through the hooks the calling thread set. The
/// library's own read buffer and its handling of short reads stay above the
/// hooks, so a reader over hooks reads exactly as over the platform's files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "terrix/Export.h"

namespace Terrix {

/// The functions through which the library opens, reads and writes files, in
/// the manner of the C library's stdio. Every function must be given.
struct FileHooks {
  /// Opens a file.
  /// @param path     The path as the host named it to the library, in UTF-8.
  /// @param access   "rb" (read), "r+b" (read and write an existing file) or
  ///                 "w+b" (create or empty, then read and write).
  /// @param userData FileHooks::userData, as given.
  /// @return The open file, handed back to the other functions; null when it
  ///         cannot be opened (the library then answers Result::CannotOpen).
  void* (*Open)(const char* path, const char* access, void* userData);
  /// Reads at the current position.
  /// @param buffer Receives the bytes.
  /// @param size   Bytes wanted.
  /// @param file   A file from Open.
  /// @return The bytes read: fewer than `size` at the end of the file (the
  ///         library takes a short read as the end, not as a failure).
  std::size_t (*Read)(void* buffer, std::size_t size, void* file);
  /// Writes at the current position.
  /// @param buffer The bytes.
  /// @param size   Their number.
  /// @param file   A file from Open.
  /// @return The bytes written; fewer than `size` is a failed write.
  std::size_t (*Write)(const void* buffer, std::size_t size, void* file);
  /// Moves the current position.
  /// @param file   A file from Open.
  /// @param offset Bytes from the start of the file.
  /// @return 0, or non-zero when the position cannot be set (a read there
  ///         then meets the end of the file, a write fails).
  int (*Seek)(void* file, std::uint64_t offset);
  /// The current position.
  /// @param file A file from Open.
  /// @return Bytes from the start of the file.
  std::uint64_t (*Tell)(void* file);
  /// The size of a file.
  /// @param file A file from Open.
  /// @return Its size in bytes.
  std::uint64_t (*Size)(void* file);
  /// Closes a file; the library calls it once for every file Open gave.
  /// @param file A file from Open.
  /// @return 0, or non-zero on failure.
  int (*Close)(void* file);
  /// Handed to Open as it is; the library never reads it.
  void* userData;
};

/// Makes the calling thread open files through `hooks` from now on.
///
/// A file keeps the hooks it was opened with until it is closed, whatever the
/// thread sets later, so the table must outlive every file opened through it.
/// The setting belongs to the calling thread only.
///
/// @param hooks The host's functions, or null for the platform's own files.
/// @return The hooks in force before (null: the platform's files).
TERRIX_API const FileHooks* SetThreadFileHooks(const FileHooks* hooks);

/// The hooks in force on the calling thread.
///
/// @return The table SetThreadFileHooks last set on this thread, or null.
TERRIX_API const FileHooks* GetThreadFileHooks();

}  // namespace Terrix
