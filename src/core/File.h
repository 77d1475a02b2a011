// The one file class of the library: three open modes, positioned reads and
// writes with a current position, and a seam through which tests count
// operations and make the n-th read or write fail.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "terrix/FileHooks.h"

namespace Terrix::core {

enum class OpenMode {
  Read,    // read; others may read; fails when missing
  Update,  // read and write; others may read and write; fails when missing
  Create,  // write; an existing file is emptied, a missing one created
};

/// An open file with a current position. A read that meets the end of the file
/// transfers what is there and succeeds; only a failed system call fails.
///
/// Files opened for reading are read through a few block buffers: consecutive
/// small reads cost a copy, not a system call, also when they alternate between
/// distant parts of the file (a polygon's arc list behind all coordinates, then
/// its points). Update and Create go to the file every time, since others may
/// change what lies there.
class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  /// Opens by wide path (converted to UTF-8 for the operating system).
  bool Open(const wchar_t* path, OpenMode mode);
  bool OpenUtf8(const char* path, OpenMode mode);
  void Close();
  bool IsOpen() const { return fd_ >= 0 || hooked_ != nullptr; }

  /// Reads up to size bytes at the current position into out. Bytes beyond the
  /// end of the file are not transferred: that part of out keeps its content.
  /// The position advances by the bytes transferred.
  bool Read(void* out, std::size_t size);
  /// As Read, also reporting how many bytes were transferred.
  bool Read(void* out, std::size_t size, std::size_t& transferred);
  bool Write(const void* data, std::size_t size);

  void Seek(std::uint64_t position) { position_ = position; }
  void Skip(std::int64_t delta) { position_ += static_cast<std::uint64_t>(delta); }
  std::uint64_t Position() const { return position_; }
  /// Size of the file when it was opened (reading) or now (other modes).
  std::uint64_t Size() const;

 private:
  /// Bytes [start, start + fill) of the file, read in one piece.
  struct ReadBlock {
    std::vector<std::uint8_t> bytes;
    std::uint64_t start = 0;
    std::size_t fill = 0;
    std::uint64_t lastUse = 0;  // for replacing the least recently used block
  };
  static constexpr std::size_t kReadBlocks = 4;

  bool ReadThroughBuffer(std::uint8_t* out, std::size_t size, std::size_t& transferred);
  bool ReadDirect(std::uint8_t* out, std::size_t size, std::size_t& transferred);
  void DropReadBlocks();

  // Through the host's hooks (the thread's at Open) or the platform's files.
  bool OpenHooked(const FileHooks& hooks, const char* path, OpenMode mode);
  bool ReadAt(std::uint8_t* out, std::size_t size, std::uint64_t at, std::size_t& transferred);
  bool WriteAt(const std::uint8_t* data, std::size_t size, std::uint64_t at);

  int fd_ = -1;
  const FileHooks* hooks_ = nullptr;
  void* hooked_ = nullptr;  // the host's open file
  OpenMode mode_ = OpenMode::Read;
  std::uint64_t position_ = 0;
  std::uint64_t sizeAtOpen_ = 0;
  std::array<ReadBlock, kReadBlocks> blocks_;
  std::uint64_t useClock_ = 0;
};

/// The test seam of the file layer. Counters and failures are per thread and
/// count calls of File::Open (and OpenUtf8), File::Read and File::Write, not
/// system calls.
struct FileSeam {
  /// Clears the counters and any planned failure.
  static void Reset();
  /// The n-th read (1-based, counted from the last Reset) fails.
  static void FailReadAt(long n);
  /// The n-th write (1-based, counted from the last Reset) fails.
  static void FailWriteAt(long n);
  /// The n-th open (1-based, counted from the last Reset) fails.
  static void FailOpenAt(long n);
  static long ReadCount();
  static long WriteCount();
  static long OpenCount();
};

}  // namespace Terrix::core
