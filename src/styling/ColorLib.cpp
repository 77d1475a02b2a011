#include "terrix/ColorLib.h"

#include "core/File.h"
#include "styling/ColorMixing.h"
#include "styling/RecordRead.h"
#include "styling/StyleLayout.h"
#include "terrix/Functions.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

Terrix_ColorLib::Terrix_ColorLib() : head_{} {}
Terrix_ColorLib::Terrix_ColorLib(const Terrix_ColorLib& other) = default;
Terrix_ColorLib& Terrix_ColorLib::operator=(const Terrix_ColorLib& other) = default;
Terrix_ColorLib::~Terrix_ColorLib() = default;

std::int32_t Terrix_ColorLib::LoadColors(const wchar_t* path) {
  core::File file;
  if (!file.Open(path, core::OpenMode::Read)) return Result::CannotOpen;
  // The file closes with `file` on every return below.

  if (!styling::ReadCleared(file, head_)) return Result::IoError;
  if (!styling::MagicMatches(head_.magic, styling::kColorLibMagic)) return Result::BadMagic;

  const std::int32_t count = head_.colorCount;
  if (!styling::ReadTable(file, count, colors_)) return Result::IoError;
  // Colours beyond the end of the file read as zeros; the 16-bit count bounds
  // them to 1 MiB.
  if (count > 0) colors_.resize(static_cast<std::size_t>(count), TERRIX_Color{});
  return count;
}

std::int32_t Terrix_ColorLib::GetColorNum() {
  return head_.colorCount;
}

bool Terrix_ColorLib::Mix(std::int32_t number, CMYKQUAD& mixed) const {
  if (number < 1 || static_cast<std::size_t>(number) > colors_.size()) return false;
  mixed = styling::MixColor(colors_[static_cast<std::size_t>(number) - 1], head_);
  return true;
}

tagRGBTRIPLE Terrix_ColorLib::GetRGB(std::int32_t number) {
  CMYKQUAD mixed{};
  if (!Mix(number, mixed)) return tagRGBTRIPLE{0, 0, 0};
  return CMYK2RGB(mixed);
}

CMYKQUAD Terrix_ColorLib::GetCMYK(std::int32_t number) {
  CMYKQUAD mixed{};
  if (!Mix(number, mixed)) return CMYKQUAD{0, 0, 0, 0};
  return styling::ToPercent(mixed);
}

}  // namespace Terrix
