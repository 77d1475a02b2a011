#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "Commands.h"

namespace Terrix::Tool {

InputPath::InputPath(const std::string& operand) : path_(operand), name_(operand) {
  if (operand != "-") return;
  name_ = "standard input";
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/terrix-input-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw Convert::ConversionError(name_, std::string("cannot copy: ") + std::strerror(errno));
  path_ = pattern;
  temporary_ = true;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    bool ok = n > 0;
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t w = ::write(fd, buffer + done, static_cast<std::size_t>(n - done));
      ok = w > 0 || (w < 0 && errno == EINTR);
      done += w > 0 ? w : 0;
    }
    if (!ok) {
      const int error = errno;
      ::close(fd);
      ::unlink(path_.c_str());
      throw Convert::ConversionError(name_, std::string("cannot copy: ") + std::strerror(error));
    }
  }
  ::close(fd);
}

FileFormat InputPath::Format() const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) throw Convert::ConversionError(name_, "cannot open: " + std::string(std::strerror(errno)));
  char magic[kMagicLength] = {};
  in.read(magic, sizeof magic);
  return IdentifyFile(magic, static_cast<std::size_t>(in.gcount())).format;
}

InputPath::~InputPath() {
  if (temporary_) ::unlink(path_.c_str());
}

}  // namespace Terrix::Tool
