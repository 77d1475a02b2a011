// Runs a program as a user would, through the shell, and collects what it
// printed on each stream and its exit status.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace support {

struct CommandRun {
  int status = -1;  // the exit status; -1 when the program did not exit (a signal)
  std::string out, err;
};

/// `command` is a shell command line; standard input comes from the file
/// `input` when one is named.
inline CommandRun RunCommand(const std::string& command, const std::string& input = "") {
  static int serial = 0;
  const std::string base =
      "/tmp/terrix-command-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
  std::string line = command + " >" + base + ".out 2>" + base + ".err";
  if (!input.empty()) line += " <" + input;
  const int status = std::system(line.c_str());
  auto slurp = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::remove(path.c_str());
    return s.str();
  };
  CommandRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = slurp(base + ".out");
  run.err = slurp(base + ".err");
  return run;
}

}  // namespace support
