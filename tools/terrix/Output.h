// Errors of the tool and output files that appear only when complete.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace terrix {

/// A failure that ends a command: one line naming the file and what went wrong.
class ToolError : public std::runtime_error {
 public:
  ToolError(const std::string& file, const std::string& what) : std::runtime_error(file + ": " + what) {}
};

/// Throws a ToolError naming the file and the meaning of a library result code.
[[noreturn]] void FailWithCode(const std::string& file, const std::string& operation, std::int32_t code);

/// An output file written under a temporary name beside its destination and
/// renamed into place by Commit; dropped without Commit, it leaves nothing.
class PendingOutput {
 public:
  explicit PendingOutput(const std::string& destination);
  ~PendingOutput();
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
  /// Where to write while the output is pending.
  const std::string& TemporaryPath() const { return temporary_; }
  void Commit();

 private:
  std::string destination_;
  std::string temporary_;
  bool committed_ = false;
};

}  // namespace terrix
