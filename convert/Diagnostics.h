// How a conversion speaks to its user: an error that stops it, and the
// warnings that say what changed on the way and how to avoid it.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Terrix::Convert {

/// A failure that ends a conversion: one line naming the file (or field and
/// feature) and what went wrong.
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(const std::string& what) : std::runtime_error(what) {}
  ConversionError(const std::string& file, const std::string& what)
      : std::runtime_error(file + ": " + what) {}
};

/// Throws a ConversionError naming the file, the operation and the meaning of
/// a library result code.
[[noreturn]] void FailWithCode(const std::string& file, const std::string& operation, std::int32_t code);

/// The warnings of one conversion, in the order they arose. A client prints
/// them (or hands them to GDAL) before it ends; `sink`, when set, is told of
/// each as it arises instead of collecting it.
class Diagnostics {
 public:
  void Warn(std::string message);
  const std::vector<std::string>& Warnings() const { return warnings_; }
  void Clear() { warnings_.clear(); }
  std::function<void(const std::string&)> sink;

 private:
  std::vector<std::string> warnings_;
};

/// Progress of a long run: the fraction done (0 to 1). Answering false asks
/// the run to stop (it then fails with a ConversionError saying so).
using ProgressFn = std::function<bool(double fraction)>;

/// The text in double quotes, for messages.
std::string Quoted(const std::string& text);

}  // namespace Terrix::Convert
