#include "Cli.h"

#include <cstdlib>

namespace Terrix::Tool {

namespace {

const char* const kCommands[] = {"info", "export", "import", "check", "help"};

bool IsCommand(const std::string& word) {
  for (const char* c : kCommands)
    if (word == c) return true;
  return false;
}

FileKind ParseKind(const std::string& kind) {
  if (kind == "point") return FileKind::Point;
  if (kind == "line") return FileKind::Line;
  if (kind == "region") return FileKind::Region;
  if (kind == "table") return FileKind::Table;
  throw UsageError("unknown kind " + kind + " (point, line, region or table)");
}

unsigned ParseThreads(const std::string& text) {
  char* end = nullptr;
  const unsigned long n = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n > 64) throw UsageError("--threads takes a number from 0 to 64");
  return static_cast<unsigned>(n);
}

}  // namespace

Options ParseArguments(const std::vector<std::string>& args) {
  Options o;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
      if (o.command.empty() && !optionsEnded && IsCommand(a))
        o.command = a;
      else if (o.command.empty())
        throw UsageError("unknown command " + a);
      else
        o.operands.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=value" or "--name value".
    std::string value;
    bool inlineValue = false;
    const std::size_t eq = a.find('=');
    if (a.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
      inlineValue = true;
    }
    auto valueOf = [&]() -> std::string {
      if (inlineValue) return value;
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      return args[++i];
    };
    auto flag = [&](bool& target) {
      if (inlineValue) throw UsageError(a + " takes no value");
      target = true;
    };
    if (a == "-o" || a == "--output")
      o.output = valueOf();
    else if (a == "--codepage")
      o.codePage = valueOf();
    else if (a == "--kind")
      o.kind = ParseKind(valueOf());
    else if (a == "--threads")
      o.threads = ParseThreads(valueOf());
    else if (a == "--wkt")
      flag(o.wkt);
    else if (a == "--json")
      flag(o.json);
    else if (a == "--symbol")
      flag(o.symbol);
    else if (a == "--lossy")
      flag(o.lossy);
    else if (a == "-h" || a == "--help")
      flag(o.help);
    else if (a == "--version")
      flag(o.version);
    else
      throw UsageError("unknown option " + a);
  }
  if (o.command.empty() && !o.version && !o.help) throw UsageError("no command given");
  if (o.help || o.version || o.command == "help") return o;
  const std::size_t n = o.operands.size();
  if (o.command == "info" && n == 0) throw UsageError("info needs at least one file");
  if (o.command == "export" && n != 1) throw UsageError("export needs one file");
  if (o.command == "import" && n != 2) throw UsageError("import needs an input and an output");
  if (o.command == "check" && n != 1) throw UsageError("check needs one file");
  if (o.command != "export" && !o.output.empty()) throw UsageError("-o belongs to export");
  if (o.command != "import" && o.kind) throw UsageError("--kind belongs to import");
  return o;
}

std::string UsageText(const std::string& command) {
  const std::string common =
      "options anywhere on the line, as --option value or --option=value:\n"
      "  --codepage NAME   the files' 8-bit code page (GBK by default; GB18030 holds every character;\n"
      "                    also UTF-8, ISO-8859-1, CP1252 or any iconv name)\n"
      "  -h, --help        this text; --version: the version\n"
      "exit status: 0 success, 1 a file failed, 2 bad usage\n";
  if (command == "info")
    return "usage: terrix info [--json] [--symbol] FILE...\n"
           "  describes map files (kind, counts, extent, projection, tics, attribute tables), project "
           "files,\n"
           "  colour libraries and legends, recognised by their magic; FILE - reads standard input.\n"
           "  --json    one JSON document per file, a line each\n"
           "  --symbol  read the files as symbol libraries (they have no magic)\n" +
           common;
  if (command == "export")
    return "usage: terrix export FILE [-o OUT] [--wkt] [--lossy] [--threads N]\n"
           "  every element in use as a GeoJSON FeatureCollection (or one WKT line per element);\n"
           "  OUT - or no -o: standard output. FILE - reads standard input.\n"
           "  --lossy      leave out parts GeoJSON cannot hold (too few points, coordinates that are\n"
           "               not finite) with a warning, instead of failing\n"
           "  --threads N  formatting threads (0, the default: one per core, at most 4)\n" +
           common;
  if (command == "import")
    return "usage: terrix import IN.geojson OUT [--kind point|line|region|table] [--lossy]\n"
           "  a GeoJSON FeatureCollection, Feature or geometry as a new map file; IN or OUT - for standard\n"
           "  input or output. Without --kind the first feature with a geometry decides.\n"
           "  --lossy  store characters the code page cannot hold as '?', cut notes at 259 bytes and skip\n"
           "           shapes the format cannot hold, with warnings, instead of failing\n" +
           common;
  if (command == "check")
    return "usage: terrix check [--json] FILE\n"
           "  runs the library's geometry checks over every element; exits 1 when an element fails one.\n" +
           common;
  return "usage: terrix COMMAND [OPTIONS] ...\n"
         "  info     describe map, project, colour, legend or symbol files\n"
         "  export   elements as GeoJSON (or WKT)\n"
         "  import   GeoJSON as a new map file\n"
         "  check    the library's geometry checks over every element\n"
         "  help     this text, or a command's: terrix help COMMAND (or terrix COMMAND -h)\n" +
         common;
}

std::string VersionText() {
  return std::string("terrix ") + TERRIX_TOOL_VERSION + "\n";
}

}  // namespace Terrix::Tool
