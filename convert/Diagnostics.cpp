#include "Diagnostics.h"

#include <TerrixLib.h>

namespace Terrix::Convert {

void FailWithCode(const std::string& file, const std::string& operation, std::int32_t code) {
  throw ConversionError(
      file, operation + " failed: " + Terrix::ResultMessage(code) + " (" + std::to_string(code) + ")");
}

void Diagnostics::Warn(std::string message) {
  if (sink)
    sink(message);
  else
    warnings_.push_back(std::move(message));
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace Terrix::Convert
