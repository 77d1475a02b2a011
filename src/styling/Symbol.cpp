#include "terrix/Symbol.h"

#include "core/File.h"
#include "styling/RecordRead.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace detail {

/// The open symbol library file; copies of a Terrix_Symbol share it.
struct SymbolFile {
  core::File file;
};

}  // namespace detail

Terrix_Symbol::Terrix_Symbol() : head{}, file_(std::make_shared<detail::SymbolFile>()) {}
Terrix_Symbol::Terrix_Symbol(const Terrix_Symbol& other) = default;
Terrix_Symbol& Terrix_Symbol::operator=(const Terrix_Symbol& other) = default;
Terrix_Symbol::~Terrix_Symbol() = default;

std::int32_t Terrix_Symbol::Open(const wchar_t* path) {
  // A file of its own: a file opened before is closed once no copy holds it.
  file_ = std::make_shared<detail::SymbolFile>();
  if (!file_->file.Open(path, core::OpenMode::Read)) return Result::CannotOpen;
  if (!styling::ReadCleared(file_->file, head)) return Result::IoError;
  return 0;
}

void Terrix_Symbol::Close() {
  file_->file.Close();
}

}  // namespace Terrix
