#include "Output.h"

#include <TerrixLib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace terrix {

void FailWithCode(const std::string& file, const std::string& operation, std::int32_t code) {
  throw ToolError(file, operation + " failed: " + Terrix::ResultMessage(code) + " (" + std::to_string(code) + ")");
}

PendingOutput::PendingOutput(const std::string& destination) : destination_(destination) {
  std::string pattern = destination + ".partial-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) throw ToolError(destination, std::string("cannot write: ") + std::strerror(errno));
  // mkstemp makes the file private; give it the permissions a new file gets.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  temporary_ = pattern;
}

PendingOutput::~PendingOutput() {
  if (!committed_) std::remove(temporary_.c_str());
}

void PendingOutput::Commit() {
  if (std::rename(temporary_.c_str(), destination_.c_str()) != 0)
    throw ToolError(destination_, std::string("cannot write: ") + std::strerror(errno));
  committed_ = true;
}

}  // namespace terrix
