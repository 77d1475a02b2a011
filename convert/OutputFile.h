// Where a conversion writes: a temporary file beside the destination that
// takes the destination's name only when complete. Nothing else is touched:
// a symbolic link has its target written, and devices, pipes, sockets and
// directories are refused.
#pragma once

#include <string>

namespace Terrix::Convert {

class OutputFile {
 public:
  /// Resolves the destination and creates the temporary file. Throws
  /// ConversionError naming the path when it cannot be written this way.
  explicit OutputFile(const std::string& path);
  /// Removes the temporary file unless Commit ran.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// The path as the user gave it, for messages.
  const std::string& Path() const { return path_; }
  /// The file written in the end (a link's target).
  const std::string& Destination() const { return destination_; }
  /// Where to write until Commit.
  const std::string& TemporaryPath() const { return temporary_; }
  /// Gives the temporary file the destination's name, keeping the permission
  /// bits of a file it replaces. Throws ConversionError when that fails.
  void Commit();

  /// Removes the temporary files of every OutputFile not yet committed;
  /// async-signal-safe, for a client's handler of SIGINT and SIGTERM.
  static void RemoveAllPending();

 private:
  std::string path_;
  std::string destination_;
  std::string temporary_;
  int slot_ = -1;  // in the registry of pending files
  bool committed_ = false;
  bool keepMode_ = false;
  unsigned mode_ = 0;
};

/// Whether a path names standard output for a text output ("-", /dev/stdout).
bool IsStandardOutput(const std::string& path);

}  // namespace Terrix::Convert
