// JSON text for the tool's output: strings escaped, numbers in their
// shortest form that reads back the same.
#pragma once

#include <string>
#include <string_view>

namespace Terrix::Tool {

/// Appends `text` (UTF-8) as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace Terrix::Tool
