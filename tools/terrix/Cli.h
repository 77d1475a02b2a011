// The terrix command line: commands, options before or after the command,
// "--option value" or "--option=value", "-" for standard input or output.
#pragma once

#include <TerrixLib.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Terrix::Tool {

/// Exit statuses: success, a file failed, bad usage.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string command;  // info, export, import, check, help; empty with --version alone
  std::vector<std::string> operands;
  std::string output;  // export -o
  std::string codePage = "GBK";
  std::optional<FileKind> kind;  // import --kind
  bool wkt = false, json = false, symbol = false, lossy = false, help = false, version = false;
  unsigned threads = 0;
};

/// Parses the arguments after the program name; throws UsageError.
Options ParseArguments(const std::vector<std::string>& args);

/// The usage text of a command, or of the whole tool for an empty name.
std::string UsageText(const std::string& command);

/// "terrix 0.2.0 (TerrixLib ...)".
std::string VersionText();

}  // namespace Terrix::Tool
