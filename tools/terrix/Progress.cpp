#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace Terrix::Tool {

ProgressLine::ProgressLine(std::string label)
    : label_(std::move(label)),
      enabled_(::isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()),
      last_(start_) {}

ProgressLine::~ProgressLine() {
  if (shown_) std::fprintf(stderr, "\r%s: done      \n", label_.c_str());
}

Convert::ProgressFn ProgressLine::Callback() {
  if (!enabled_) return {};
  return [this](double fraction) {
    Update(fraction);
    return true;
  };
}

void ProgressLine::Update(double fraction) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) return;
  last_ = now;
  shown_ = true;
  std::fprintf(stderr, "\r%s: %3.0f%%", label_.c_str(), 100.0 * fraction);
  std::fflush(stderr);
}

}  // namespace Terrix::Tool
