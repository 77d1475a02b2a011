// Progress of long runs on stderr, shown only when stderr is a terminal and
// the run has taken more than a second.
#pragma once

#include <chrono>
#include <string>

namespace terrix {

class Progress {
 public:
  Progress(std::string label, long total);
  ~Progress();
  void Update(long done);

 private:
  std::string label_;
  long total_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace terrix
