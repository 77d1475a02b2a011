// terrix: describe, export, import and check the files of the Terrix format.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "Cli.h"
#include "Commands.h"
#include "OutputFile.h"

namespace {

// An interrupted conversion leaves no temporary file behind; the destination
// is as it was, since it is replaced only when complete.
extern "C" void OnSignal(int signal) {
  Terrix::Convert::OutputFile::RemoveAllPending();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace Terrix::Tool;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGHUP, OnSignal);

  Options options;
  try {
    options = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::cerr << "terrix: " << e.what() << "\n"
              << "(terrix help for usage)\n";
    return kExitUsage;
  }
  if (options.version) {
    std::cout << VersionText();
    return kExitSuccess;
  }
  if (options.help || options.command == "help") {
    const std::string topic =
        options.command == "help" ? (options.operands.empty() ? "" : options.operands[0]) : options.command;
    std::cout << UsageText(topic);
    return kExitSuccess;
  }

  Terrix::Convert::Diagnostics diagnostics;
  diagnostics.sink = [](const std::string& warning) { std::cerr << "terrix: warning: " << warning << "\n"; };
  try {
    if (options.command == "info") return RunInfo(options, std::cout, std::cerr, diagnostics);
    if (options.command == "export") return RunExport(options, diagnostics);
    if (options.command == "import") return RunImport(options, std::cout, diagnostics);
    if (options.command == "check") return RunCheck(options, std::cout, diagnostics);
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "terrix: " << e.what() << "\n";
    return kExitFailed;
  }
  return kExitUsage;
}
