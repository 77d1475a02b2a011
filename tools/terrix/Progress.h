// A progress line on standard error for long runs, drawn only when standard
// error is a terminal and the run has lasted a second.
#pragma once

#include <chrono>
#include <string>

#include "Diagnostics.h"

namespace Terrix::Tool {

class ProgressLine {
 public:
  explicit ProgressLine(std::string label);
  /// Ends the line when it was drawn.
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  /// A callback for the conversion layer (it never asks to stop).
  Convert::ProgressFn Callback();
  void Update(double fraction);

 private:
  std::string label_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace Terrix::Tool
