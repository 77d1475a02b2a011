// terrix: inspect, export, import and check the files of the Terrix format.
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Encoding.h"
#include "Output.h"

namespace {

const char* kUsage =
    "usage:\n"
    "  terrix info [--symbol] FILE...            describe map, project, colour, legend or symbol files\n"
    "  terrix export FILE [-o OUT] [--wkt]       elements as a GeoJSON FeatureCollection (or WKT lines)\n"
    "  terrix import IN.geojson OUT --kind point|line|region|table\n"
    "  terrix check FILE                         run the geometry checks over every element\n"
    "options:\n"
    "  --codepage NAME    the files' 8-bit code page as an iconv name (default GBK)\n";

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "terrix: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("");
  if (args[0] == "-h" || args[0] == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const std::string command = args[0];
  std::vector<std::string> positional;
  std::string output, kind;
  bool wkt = false;
  terrix::InfoOptions info;
  try {
    for (std::size_t i = 1; i < args.size(); ++i) {
      const std::string& a = args[i];
      auto value = [&](const char* option) -> std::string {
        if (i + 1 >= args.size()) throw std::invalid_argument(std::string(option) + " needs a value");
        return args[++i];
      };
      if (a == "-o" || a == "--output")
        output = value("-o");
      else if (a == "--kind")
        kind = value("--kind");
      else if (a == "--wkt")
        wkt = true;
      else if (a == "--symbol")
        info.symbol = true;
      else if (a == "--codepage")
        terrix::SetFileEncoding(value("--codepage"));
      else if (a.size() > 1 && a[0] == '-')
        throw std::invalid_argument("unknown option " + a);
      else
        positional.push_back(a);
    }
  } catch (const std::exception& e) {
    return Usage(e.what());
  }

  try {
    if (command == "info") {
      if (positional.empty()) return Usage("info needs at least one file");
      return terrix::RunInfo(positional, info, std::cout);
    }
    if (command == "export") {
      if (positional.size() != 1) return Usage("export needs one file");
      return terrix::RunExport(positional[0], output, wkt, std::cout);
    }
    if (command == "import") {
      if (positional.size() != 2 || kind.empty()) return Usage("import needs IN, OUT and --kind");
      return terrix::RunImport(positional[0], positional[1], kind, std::cout);
    }
    if (command == "check") {
      if (positional.size() != 1) return Usage("check needs one file");
      return terrix::RunCheck(positional[0], std::cout);
    }
    return Usage("unknown command " + command);
  } catch (const terrix::ToolError& e) {
    std::fprintf(stderr, "terrix: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "terrix: %s\n", e.what());
    return 1;
  }
}
