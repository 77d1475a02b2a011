// terrix export and import: the conversions, with their files.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "Export.h"
#include "Import.h"
#include "OutputFile.h"
#include "Progress.h"

namespace Terrix::Tool {

using namespace Terrix::Convert;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A map file written for standard output: made under a temporary name (the
// writer needs to seek), copied out, removed.
class TemporaryOutput {
 public:
  TemporaryOutput() {
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/terrix-output-XXXXXX";
    const int fd = ::mkstemp(path_.data());
    if (fd < 0)
      throw ConversionError("standard output",
                            "cannot make a temporary file: " + std::string(std::strerror(errno)));
    ::close(fd);
  }
  ~TemporaryOutput() { ::unlink(path_.c_str()); }
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;
  const std::string& Path() const { return path_; }
  void CopyToStandardOutput() const {
    FilePtr in(std::fopen(path_.c_str(), "rb"));
    if (!in) throw ConversionError("standard output", "cannot read the temporary file");
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0)
      if (std::fwrite(buffer, 1, n, stdout) != n) throw ConversionError("standard output", "writing failed");
    if (std::fflush(stdout) != 0) throw ConversionError("standard output", "writing failed");
  }

 private:
  std::string path_;
};

}  // namespace

int RunExport(const Options& options, Diagnostics& diagnostics) {
  const InputPath input(options.operands.at(0));
  if (input.Format() != FileFormat::VectorMap)
    throw ConversionError(input.Name(), "not a vector map file (unknown magic)");
  ExportOptions eo;
  eo.format = options.wkt ? ExportFormat::Wkt : ExportFormat::GeoJson;
  eo.codePage = options.codePage;
  eo.lossy = options.lossy;
  eo.threads = options.threads;
  ProgressLine progress("export");
  if (options.output.empty() || IsStandardOutput(options.output)) {
    ExportMap(input.Path(), stdout, eo, diagnostics, progress.Callback());
    return kExitSuccess;
  }
  OutputFile output(options.output);
  {
    FilePtr file(std::fopen(output.TemporaryPath().c_str(), "wb"));
    if (!file) throw ConversionError(options.output, "cannot write: " + std::string(std::strerror(errno)));
    std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 20);
    ExportMap(input.Path(), file.get(), eo, diagnostics, progress.Callback());
    if (std::fclose(file.release()) != 0) throw ConversionError(options.output, "writing failed");
  }
  output.Commit();
  return kExitSuccess;
}

int RunImport(const Options& options, std::ostream& out, Diagnostics& diagnostics) {
  const std::string& in = options.operands.at(0);
  const std::string& target = options.operands.at(1);
  FilePtr file;
  std::uint64_t size = 0;
  std::FILE* source = stdin;
  const std::string inputName = in == "-" ? "standard input" : in;
  if (in != "-") {
    file.reset(std::fopen(in.c_str(), "rb"));
    if (!file) throw ConversionError(in, "cannot open: " + std::string(std::strerror(errno)));
    struct stat st {};
    if (::fstat(::fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode))
      size = static_cast<std::uint64_t>(st.st_size);
    source = file.get();
  }
  ImportOptions io;
  io.kind = options.kind;
  io.write.codePage = options.codePage;
  io.write.lossy = options.lossy;
  io.write.codePageOption = "--codepage";
  io.write.lossyOption = "--lossy";
  ProgressLine progress("import");
  const bool toStandardOutput = IsStandardOutput(target);
  std::unique_ptr<TemporaryOutput> temporary;
  if (toStandardOutput) temporary = std::make_unique<TemporaryOutput>();
  const ImportSummary summary =
      ImportGeoJson(source, inputName, size, toStandardOutput ? temporary->Path() : target, io, diagnostics,
                    progress.Callback());
  if (toStandardOutput) temporary->CopyToStandardOutput();
  // With the file on standard output, the summary goes with the messages.
  (toStandardOutput ? std::cerr : out)
      << (toStandardOutput ? std::string("standard output") : target) << ": " << summary.features
      << " features written as a " << FileKindName(summary.kind) << "\n";
  return kExitSuccess;
}

}  // namespace Terrix::Tool
