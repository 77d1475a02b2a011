#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace terrix {

Progress::Progress(std::string label, long total)
    : label_(std::move(label)), total_(total), enabled_(isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()), last_(start_) {}

Progress::~Progress() {
  if (shown_) std::fprintf(stderr, "\r%s: %ld/%ld done\n", label_.c_str(), total_, total_);
}

void Progress::Update(long done) {
  if (!enabled_ || (done & 0xFF) != 0) return;  // look at the clock every 256 steps
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) return;
  last_ = now;
  shown_ = true;
  const double percent = total_ > 0 ? 100.0 * static_cast<double>(done) / static_cast<double>(total_) : 0.0;
  std::fprintf(stderr, "\r%s: %ld/%ld (%.0f%%)", label_.c_str(), done, total_, percent);
  std::fflush(stderr);
}

}  // namespace terrix
