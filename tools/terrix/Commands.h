// The terrix subcommands. Each returns the process exit status and throws
// ToolError for a failure that names its file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace terrix {

struct InfoOptions {
  bool symbol = false;  // read the files as symbol libraries (they carry no magic)
};
int RunInfo(const std::vector<std::string>& files, const InfoOptions& options, std::ostream& out);
int RunExport(const std::string& file, const std::string& output, bool wkt, std::ostream& out);
int RunImport(const std::string& input, const std::string& output, const std::string& kind, std::ostream& out);
int RunCheck(const std::string& file, std::ostream& out);

}  // namespace terrix
