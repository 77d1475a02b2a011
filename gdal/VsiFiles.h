// The plugin's files through GDAL's virtual file functions: the library opens
// map files through a FileHooks table over VSIFOpenL and its kin, so that
// /vsizip/, /vsimem/, /vsistdin/, /vsicurl/ and plain paths read alike; and
// the helpers for what the library cannot do on a virtual target (writing
// where it cannot seek): a private local directory to write in, and the copy
// of a finished file into its target.
#pragma once

#include <TerrixLib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Terrix::Ogr {

/// The hooks over GDAL's VSI functions; the table lives as long as the
/// program, so files opened through it may outlive any scope.
const FileHooks& VsiHooks();

/// Makes the calling thread open files through VsiHooks() while it lives,
/// then restores the hooks that were in force before.
class VsiScope {
 public:
  VsiScope() : previous_(SetThreadFileHooks(&VsiHooks())) {}
  ~VsiScope() { SetThreadFileHooks(previous_); }
  VsiScope(const VsiScope&) = delete;
  VsiScope& operator=(const VsiScope&) = delete;

 private:
  const FileHooks* previous_;
};

/// Whether GDAL serves the path through one of its virtual file systems.
bool IsVirtual(const std::string& path);
/// Whether a path is a directory (through VSI).
bool IsDirectory(const std::string& path);
/// Whether anything exists at the path (through VSI).
bool Exists(const std::string& path);
/// The names of the entries of a directory, sorted; "." and ".." left out.
std::vector<std::string> ListDirectory(const std::string& path);
/// Whether the first bytes of the file are a vector map file's.
bool IsMapFile(const std::string& path);
/// Whether the file (or folder) can be changed where it is: a local one the
/// process may write in a directory it may write, or one of /vsimem/.
bool IsWritable(const std::string& path);

/// A directory of the process's own under the temporary directory
/// (CPL_TMPDIR, TMPDIR or /tmp), removed with what is left in it.
class LocalScratch {
 public:
  /// Throws ConversionError when it cannot be made.
  LocalScratch();
  ~LocalScratch();
  LocalScratch(const LocalScratch&) = delete;
  LocalScratch& operator=(const LocalScratch&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

/// Copies a local file into a target through VSI ("wb"). Throws
/// ConversionError when it fails; the target is then removed where that can
/// be done (not for standard output).
void CopyIntoTarget(const std::string& local, const std::string& target);

/// Writes a small text file through VSI, whole or not at all where the
/// file system allows (a local file takes its name only when complete).
/// Answers false after a CPLError warning.
bool WriteTextFile(const std::string& path, const std::string& text);
/// Reads a small text file through VSI; false when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& text, std::size_t limit = 1 << 20);

}  // namespace Terrix::Ogr
