// The terrix commands. Each answers the process's exit status; what failed
// is told through ConversionError (one line naming the file) and what changed
// through the diagnostics.
#pragma once

#include <TerrixLib.h>

#include <ostream>
#include <string>

#include "Cli.h"
#include "Diagnostics.h"

namespace Terrix::Tool {

/// Describes every file, even when one of them fails (then 1).
int RunInfo(const Options& options, std::ostream& out, std::ostream& err, Convert::Diagnostics& diagnostics);
int RunExport(const Options& options, Convert::Diagnostics& diagnostics);
int RunImport(const Options& options, std::ostream& out, Convert::Diagnostics& diagnostics);
/// 1 when any element fails a check or cannot be read.
int RunCheck(const Options& options, std::ostream& out, Convert::Diagnostics& diagnostics);

/// A map file named "-" is read from standard input: it is copied to a
/// temporary file first (the readers need to seek), removed again at the end.
class InputPath {
 public:
  explicit InputPath(const std::string& operand);
  ~InputPath();
  InputPath(const InputPath&) = delete;
  InputPath& operator=(const InputPath&) = delete;
  /// Where to read.
  const std::string& Path() const { return path_; }
  /// How messages name it.
  const std::string& Name() const { return name_; }
  /// What its magic announces; throws ConversionError when it cannot be read.
  FileFormat Format() const;

 private:
  std::string path_, name_;
  bool temporary_ = false;
};

}  // namespace Terrix::Tool
