/// @file
/// Terrix_ColorLib: a colour library, resolving colour numbers to RGB and CMYK.
#pragma once

#include <cstdint>
#include <vector>

#include "terrix/Export.h"
#include "terrix/StyleRecords.h"

namespace Terrix {

/// Loads a colour library file: a set of inks and a list of colours, each a
/// CMYK base plus an amount of every ink. Each object holds its own copy of
/// the colours: copies are independent.
///
/// A colour is mixed by adding, per channel, ink channel x amount / 255 of
/// each ink in use (at most 28) to its base, capped at 255. The file is open
/// only within LoadColors. Threads: an object is used by one thread at a time.
class TERRIX_API Terrix_ColorLib {
 public:
  /// A library with no colours and a zero head.
  Terrix_ColorLib();
  /// An independent copy of the head and the colours of `other`.
  /// @param other The library to copy.
  Terrix_ColorLib(const Terrix_ColorLib& other);
  /// Replaces the head and the colours with copies of those of `other`.
  /// @param other The library to copy.
  /// @return This library.
  Terrix_ColorLib& operator=(const Terrix_ColorLib& other);
  /// Releases the colours.
  ~Terrix_ColorLib();

  /// Loads head and colours: the colour count on success, Result::CannotOpen,
  /// Result::BadMagic or Result::IoError on failure.
  ///
  /// Colours beyond the end of the file read as zeros. A negative stored count
  /// loads no colour and is returned as it stands. On failure the head may
  /// already be the new file's.
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @return The head's colour count; Result::CannotOpen when the file cannot
  ///         be opened; Result::BadMagic when the magic is not "PCOLOR 3";
  ///         Result::IoError when a read fails.
  std::int32_t LoadColors(const wchar_t* path);
  /// The colour count of the head (0 before a library is loaded).
  /// @return The head's colour count.
  std::int32_t GetColorNum();
  /// RGB of colour `number`, counted from 1; (0, 0, 0) when out of range.
  ///
  /// The colour is mixed under the inks and converted as CMYK2RGB converts it.
  /// @param number The colour, from 1 to the number of colours loaded.
  /// @return The RGB colour.
  tagRGBTRIPLE GetRGB(std::int32_t number);
  /// CMYK of colour `number` in percent (0 to 100); all 0 when out of range.
  ///
  /// Each mixed channel (0 to 255) is given as channel x 100 / 255, truncated.
  /// @param number The colour, from 1 to the number of colours loaded.
  /// @return The CMYK colour in percent.
  CMYKQUAD GetCMYK(std::int32_t number);

  /// The head as loaded, for TERRIXCLR2RGB.
  /// @return The head, owned by this object.
  const COLORLIB_HEAD& GetHead() const { return head_; }

 private:
  /// Mixes colour `number`; false when it is out of range.
  bool Mix(std::int32_t number, CMYKQUAD& mixed) const;

  COLORLIB_HEAD head_;
  std::vector<TERRIX_Color> colors_;
};

}  // namespace Terrix
