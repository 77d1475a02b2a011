#include "OutputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Diagnostics.h"

namespace Terrix::Convert {

namespace {

// Links followed before a destination counts as a loop.
constexpr int kMaxLinks = 40;

// Temporary files not yet committed, for RemoveAllPending: fixed storage, so
// a signal handler can walk it without allocating.
constexpr int kPendingSlots = 16;
constexpr std::size_t kPendingPathBytes = 4096;
char pendingPaths[kPendingSlots][kPendingPathBytes];
std::atomic<bool> pendingUsed[kPendingSlots];

int Register(const std::string& path) {
  if (path.size() >= kPendingPathBytes) return -1;
  for (int i = 0; i < kPendingSlots; ++i) {
    bool expected = false;
    if (pendingUsed[i].compare_exchange_strong(expected, true)) {
      std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
      return i;
    }
  }
  return -1;
}

void Unregister(int slot) {
  if (slot >= 0) pendingUsed[slot].store(false);
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
  throw ConversionError(path, "cannot write: " + why);
}

const char* KindOfNonFile(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a directory";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
  if (S_ISFIFO(mode)) return "it is a named pipe";
  if (S_ISSOCK(mode)) return "it is a socket";
  return "it is not a regular file";
}

}  // namespace

bool IsStandardOutput(const std::string& path) {
  return path == "-" || path == "/dev/stdout";
}

OutputFile::OutputFile(const std::string& path) : path_(path), destination_(path) {
  if (path.empty()) Refuse(path, "no file name");
  // Follow symbolic links to the file they name: that file is replaced, the
  // links stay as they are.
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(destination_.c_str(), &st) != 0) {
      if (errno != ENOENT) Refuse(path, std::strerror(errno));
      break;  // a new file
    }
    if (S_ISLNK(st.st_mode)) {
      if (hops >= kMaxLinks) Refuse(path, "too many symbolic links");
      char target[PATH_MAX];
      const ssize_t n = ::readlink(destination_.c_str(), target, sizeof target - 1);
      if (n < 0) Refuse(path, std::strerror(errno));
      const std::string link(target, static_cast<std::size_t>(n));
      destination_ = link[0] == '/' ? link : DirectoryOf(destination_) + "/" + link;
      continue;
    }
    if (!S_ISREG(st.st_mode)) Refuse(path, KindOfNonFile(st.st_mode));
    keepMode_ = true;
    mode_ = st.st_mode & 07777;
    break;
  }
  std::string pattern = destination_ + ".partial-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) Refuse(path, std::strerror(errno));
  // mkstemp makes the file private; give it the permissions the file it
  // replaces had, or those a new file gets.
  if (keepMode_) {
    ::fchmod(fd, static_cast<mode_t>(mode_));
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  ::close(fd);
  temporary_ = pattern;
  slot_ = Register(temporary_);
}

OutputFile::~OutputFile() {
  if (!committed_) ::unlink(temporary_.c_str());
  Unregister(slot_);
}

void OutputFile::Commit() {
  // The destination may have become something else meanwhile: replace only a
  // regular file or nothing.
  struct stat st {};
  if (::lstat(destination_.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    Refuse(path_, KindOfNonFile(st.st_mode));
  if (std::rename(temporary_.c_str(), destination_.c_str()) != 0) Refuse(path_, std::strerror(errno));
  committed_ = true;
  Unregister(slot_);
  slot_ = -1;
}

void OutputFile::RemoveAllPending() {
  for (int i = 0; i < kPendingSlots; ++i)
    if (pendingUsed[i].load()) ::unlink(pendingPaths[i]);
}

}  // namespace Terrix::Convert
