#include "core/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "core/Text.h"

namespace Terrix::core {

namespace {

// Reads smaller than this are served from one buffered block; larger ones go
// straight into the caller's memory.
constexpr std::size_t kReadBlockSize = 64 * 1024;

struct SeamState {
  long reads = 0;
  long writes = 0;
  long failRead = 0;
  long failWrite = 0;
  long opens = 0;
  long failOpen = 0;
};
thread_local SeamState seam;

bool SeamFailsRead() {
  return ++seam.reads == seam.failRead;
}
bool SeamFailsWrite() {
  return ++seam.writes == seam.failWrite;
}
bool SeamFailsOpen() {
  return ++seam.opens == seam.failOpen;
}

int OpenFlags(OpenMode mode) {
  switch (mode) {
    case OpenMode::Read:
      return O_RDONLY | O_CLOEXEC;
    case OpenMode::Update:
      return O_RDWR | O_CLOEXEC;
    case OpenMode::Create:
      return O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
  }
  return O_RDONLY | O_CLOEXEC;
}

// The host's hooks of each thread (SetThreadFileHooks).
thread_local const FileHooks* threadHooks = nullptr;

const char* HookAccess(OpenMode mode) {
  switch (mode) {
    case OpenMode::Read:
      return "rb";
    case OpenMode::Update:
      return "r+b";
    case OpenMode::Create:
      return "w+b";
  }
  return "rb";
}

}  // namespace

void FileSeam::Reset() {
  seam = SeamState{};
}
void FileSeam::FailReadAt(long n) {
  seam.failRead = seam.reads + n;
}
void FileSeam::FailWriteAt(long n) {
  seam.failWrite = seam.writes + n;
}
void FileSeam::FailOpenAt(long n) {
  seam.failOpen = seam.opens + n;
}
long FileSeam::OpenCount() {
  return seam.opens;
}
long FileSeam::ReadCount() {
  return seam.reads;
}
long FileSeam::WriteCount() {
  return seam.writes;
}

File::~File() {
  Close();
}

File::File(File&& other) noexcept {
  *this = std::move(other);
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    hooks_ = other.hooks_;
    hooked_ = other.hooked_;
    mode_ = other.mode_;
    position_ = other.position_;
    sizeAtOpen_ = other.sizeAtOpen_;
    blocks_ = std::move(other.blocks_);
    useClock_ = other.useClock_;
    other.fd_ = -1;
    other.hooks_ = nullptr;
    other.hooked_ = nullptr;
    other.DropReadBlocks();
  }
  return *this;
}

bool File::Open(const wchar_t* path, OpenMode mode) {
  if (path == nullptr) return false;
  const std::string utf8 = WideToUtf8(path);
  return OpenUtf8(utf8.c_str(), mode);
}

bool File::OpenUtf8(const char* path, OpenMode mode) {
  Close();
  if (SeamFailsOpen() || path == nullptr) return false;
  if (threadHooks != nullptr) return OpenHooked(*threadHooks, path, mode);
  int fd;
  do {
    fd = ::open(path, OpenFlags(mode), 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  mode_ = mode;
  position_ = 0;
  sizeAtOpen_ = static_cast<std::uint64_t>(st.st_size);
  DropReadBlocks();
  return true;
}

bool File::OpenHooked(const FileHooks& hooks, const char* path, OpenMode mode) {
  void* file = hooks.Open(path, HookAccess(mode), hooks.userData);
  if (file == nullptr) return false;
  hooks_ = &hooks;
  hooked_ = file;
  mode_ = mode;
  position_ = 0;
  sizeAtOpen_ = hooks.Size(file);
  DropReadBlocks();
  return true;
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  if (hooked_ != nullptr) hooks_->Close(hooked_);
  fd_ = -1;
  hooks_ = nullptr;
  hooked_ = nullptr;
  position_ = 0;
  sizeAtOpen_ = 0;
  DropReadBlocks();
}

void File::DropReadBlocks() {
  for (ReadBlock& block : blocks_) {
    block.bytes.clear();
    block.bytes.shrink_to_fit();
    block.start = 0;
    block.fill = 0;
    block.lastUse = 0;
  }
  useClock_ = 0;
}

std::uint64_t File::Size() const {
  if (!IsOpen()) return 0;
  if (mode_ == OpenMode::Read) return sizeAtOpen_;
  if (hooked_ != nullptr) return hooks_->Size(hooked_);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

bool File::Read(void* out, std::size_t size) {
  std::size_t transferred = 0;
  return Read(out, size, transferred);
}

bool File::Read(void* out, std::size_t size, std::size_t& transferred) {
  transferred = 0;
  if (SeamFailsRead() || !IsOpen() || mode_ == OpenMode::Create) return false;
  if (size == 0) return true;
  if (out == nullptr) return false;
  auto* dst = static_cast<std::uint8_t*>(out);
  const bool ok = (mode_ == OpenMode::Read && size < kReadBlockSize)
                      ? ReadThroughBuffer(dst, size, transferred)
                      : ReadDirect(dst, size, transferred);
  position_ += transferred;
  return ok;
}

bool File::ReadDirect(std::uint8_t* out, std::size_t size, std::size_t& transferred) {
  return ReadAt(out, size, position_, transferred);
}

bool File::ReadAt(std::uint8_t* out, std::size_t size, std::uint64_t at, std::size_t& transferred) {
  if (hooked_ != nullptr) {
    // A short read through the hooks is the end of the file.
    if (hooks_->Seek(hooked_, at) != 0) return true;
    transferred = hooks_->Read(out, size, hooked_);
    if (transferred > size) transferred = size;
    return true;
  }
  while (transferred < size) {
    const ssize_t got =
        ::pread(fd_, out + transferred, size - transferred, static_cast<off_t>(at + transferred));
    if (got < 0) {
      if (errno == EINTR) continue;
      // An offset beyond what the platform can address reads nothing, like the end.
      if (errno == EINVAL || errno == EOVERFLOW) return true;
      return false;
    }
    if (got == 0) break;  // end of file
    transferred += static_cast<std::size_t>(got);
  }
  return true;
}

bool File::ReadThroughBuffer(std::uint8_t* out, std::size_t size, std::size_t& transferred) {
  ReadBlock* block = nullptr;
  for (ReadBlock& candidate : blocks_) {
    if (position_ >= candidate.start && position_ + size <= candidate.start + candidate.fill) {
      block = &candidate;
      break;
    }
  }
  if (block == nullptr) {
    // Refill the least recently used block with the block that starts at the
    // requested position.
    block = &blocks_[0];
    for (ReadBlock& candidate : blocks_)
      if (candidate.lastUse < block->lastUse) block = &candidate;
    if (block->bytes.size() != kReadBlockSize) {
      // Without memory for the block the read goes straight to the file: a
      // read never raises an exception.
      try {
        block->bytes.resize(kReadBlockSize);
      } catch (const std::bad_alloc&) {
        return ReadDirect(out, size, transferred);
      }
    }
    block->start = position_;
    block->fill = 0;
    std::size_t filled = 0;
    const std::uint64_t saved = position_;
    const bool ok = ReadDirect(block->bytes.data(), kReadBlockSize, filled);
    position_ = saved;
    if (!ok) return false;
    block->fill = filled;
  }
  block->lastUse = ++useClock_;
  const std::uint64_t available =
      block->start + block->fill > position_ ? block->start + block->fill - position_ : 0;
  const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, available));
  if (count > 0) std::memcpy(out, block->bytes.data() + (position_ - block->start), count);
  transferred = count;
  return true;
}

bool File::Write(const void* data, std::size_t size) {
  if (SeamFailsWrite() || !IsOpen() || mode_ == OpenMode::Read) return false;
  if (size == 0) return true;
  if (data == nullptr) return false;
  if (!WriteAt(static_cast<const std::uint8_t*>(data), size, position_)) return false;
  position_ += size;
  return true;
}

bool File::WriteAt(const std::uint8_t* src, std::size_t size, std::uint64_t at) {
  if (hooked_ != nullptr) return hooks_->Seek(hooked_, at) == 0 && hooks_->Write(src, size, hooked_) == size;
  std::size_t written = 0;
  while (written < size) {
    const ssize_t put = ::pwrite(fd_, src + written, size - written, static_cast<off_t>(at + written));
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) return false;
    written += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace Terrix::core

namespace Terrix {

const FileHooks* SetThreadFileHooks(const FileHooks* hooks) {
  const FileHooks* previous = core::threadHooks;
  core::threadHooks = hooks;
  return previous;
}

const FileHooks* GetThreadFileHooks() {
  return core::threadHooks;
}

}  // namespace Terrix
