// Terrix_Symbol: the head of a symbol library file.
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
class TERRIX_API Terrix_Symbol {
 public:
  Terrix_Symbol();
  Terrix_Symbol(const Terrix_Symbol& other);
  Terrix_Symbol& operator=(const Terrix_Symbol& other);
  ~Terrix_Symbol();

  /// Opens the file and reads the head (bytes beyond the end of a short file
  /// stay zero): 0, Result::CannotOpen, or Result::IoError when the head
  /// cannot be read. The file stays open until Close.
  std::int32_t Open(const wchar_t* path);
  /// Closes the file; the head stays.
  void Close();

  /// The head as read by the last Open.
  TERRIX_SymbolHead head;

 private:
  std::shared_ptr<detail::SymbolFile> file_;
};

}  // namespace Terrix
