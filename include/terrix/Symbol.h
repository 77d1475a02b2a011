/// @file
/// Terrix_Symbol: the head of a symbol library file.
#pragma once

#include <cstdint>
#include <memory>

#include "terrix/Export.h"
#include "terrix/StyleRecords.h"

namespace Terrix {

namespace detail {
struct SymbolFile;
}

/// Opens a symbol library file and reads its head into `head`, which the host
/// reads from the object; the bytes are not interpreted. Copies share the open
/// file: closing one closes both, and destroying both is harmless.
///
/// A symbol library has no magic: any file that opens is accepted.
/// Threads: an object and its copies are used by one thread at a time.
class TERRIX_API Terrix_Symbol {
 public:
  /// An object with no file open and a zero head.
  Terrix_Symbol();
  /// A copy of the head that shares the open file of `other`.
  /// @param other The object to copy.
  Terrix_Symbol(const Terrix_Symbol& other);
  /// Copies the head and shares the open file of `other` (this object's file
  /// is closed when no other copy holds it).
  /// @param other The object to copy.
  /// @return This object.
  Terrix_Symbol& operator=(const Terrix_Symbol& other);
  /// The last copy to go closes the file.
  ~Terrix_Symbol();

  /// Opens the file and reads the head (bytes beyond the end of a short file
  /// stay zero): 0, Result::CannotOpen, or Result::IoError when the head
  /// cannot be read. The file stays open until Close.
  ///
  /// The object leaves the file it shared with its copies, which keep it.
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @return 0 on success (not Result::Success); Result::CannotOpen when the
  ///         file cannot be opened (`head` then stays as it was);
  ///         Result::IoError when the read fails.
  std::int32_t Open(const wchar_t* path);
  /// Closes the file; the head stays.
  ///
  /// Acts for every copy that shares the file.
  void Close();

  /// The head as read by the last Open.
  TERRIX_SymbolHead head;

 private:
  std::shared_ptr<detail::SymbolFile> file_;
};

}  // namespace Terrix
