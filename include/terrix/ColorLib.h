// Terrix_ColorLib: a colour library, resolving colour numbers to RGB and CMYK.
#pragma once

#include <cstdint>
#include <vector>

#include "terrix/Export.h"
#include "terrix/StyleRecords.h"

namespace Terrix {

/// Loads a colour library file: a set of inks and a list of colours, each a
/// CMYK base plus an amount of every ink. Each object holds its own copy of
/// the colours: copies are independent.
class TERRIX_API Terrix_ColorLib {
 public:
  Terrix_ColorLib();
  Terrix_ColorLib(const Terrix_ColorLib& other);
  Terrix_ColorLib& operator=(const Terrix_ColorLib& other);
  ~Terrix_ColorLib();

  /// Loads head and colours: the colour count on success, Result::CannotOpen,
  /// Result::BadMagic or Result::IoError on failure.
  std::int32_t LoadColors(const wchar_t* path);
  /// The colour count of the head (0 before a library is loaded).
  std::int32_t GetColorNum();
  /// RGB of colour `number`, counted from 1; (0, 0, 0) when out of range.
  tagRGBTRIPLE GetRGB(std::int32_t number);
  /// CMYK of colour `number` in percent (0 to 100); all 0 when out of range.
  CMYKQUAD GetCMYK(std::int32_t number);

  /// The head as loaded, for TERRIXCLR2RGB.
  const COLORLIB_HEAD& GetHead() const { return head_; }

 private:
  /// Mixes colour `number`; false when it is out of range.
  bool Mix(std::int32_t number, CMYKQUAD& mixed) const;

  COLORLIB_HEAD head_;
  std::vector<TERRIX_Color> colors_;
};

}  // namespace Terrix
