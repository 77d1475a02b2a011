/// @file
/// Packed little-endian records of the project, colour library, legend and
/// symbol library files, and the Windows colour records of the colour
/// conversions. Bytes the library does not interpret are carried unchanged.
#pragma once

#include <cstdint>

#include "terrix/Records.h"

#pragma pack(push, 1)

/// Windows RGB triple: blue first.
struct tagRGBTRIPLE {
  /// Blue, 0 to 255.
  std::uint8_t rgbtBlue;
  /// Green, 0 to 255.
  std::uint8_t rgbtGreen;
  /// Red, 0 to 255.
  std::uint8_t rgbtRed;
};

/// Windows RGB quad: blue first, then a reserved byte.
struct tagRGBQUAD {
  /// Blue, 0 to 255.
  std::uint8_t rgbBlue;
  /// Green, 0 to 255.
  std::uint8_t rgbGreen;
  /// Red, 0 to 255.
  std::uint8_t rgbRed;
  /// Reserved; CMYK2RGBA stores 255, RGBA2CMYK ignores it.
  std::uint8_t rgbReserved;
};

#pragma pack(pop)

static_assert(sizeof(tagRGBTRIPLE) == 3);
static_assert(sizeof(tagRGBQUAD) == 4);

namespace Terrix {

#pragma pack(push, 1)

/// Head of a map project file, stored at offset 12 (behind the magic and the
/// format number), 1101 bytes.
struct PROJECTHEAD {
  /// Number of items.
  std::int16_t itemCount;
  /// The project extent, four values.
  double extent[4];  // handed out in this order by GetExtentInfo
  /// Not interpreted; carried unchanged.
  std::uint8_t reserved0[704];
  /// Offset of the first item from the start of the file.
  std::int32_t itemTableOffset;  // from the start of the file
  /// Not interpreted; carried unchanged.
  std::uint8_t reserved1[62];
  /// The projection parameters.
  MAP_PARAstruct projection;
  /// The project description: 8-bit text in the thread's code page, zero-terminated.
  char description[128];  // 8-bit text, zero-terminated
};

/// One item of a map project: a file of the map, 400 bytes.
struct PROJECTITEM {
  /// Stored kind: 1 point, 0 line, 2 region file, 7 and 11 two further kinds.
  /// Terrix_Prj hands it out as a shape type code (1, 3, 5, 7, 9).
  std::uint8_t kind;  // stored kind: 1 point, 0 line, 2 region, 7, 11
  /// Not interpreted.
  std::uint8_t reserved0;
  /// The item's name: 8-bit text in the thread's code page, zero-terminated.
  char name[128];         // 8-bit text, zero-terminated
  /// The item's description: 8-bit text in the thread's code page, zero-terminated.
  char description[194];  // 8-bit text, zero-terminated
  /// First value of the item, not interpreted by the library.
  double value1;
  /// Second value of the item, not interpreted by the library.
  double value2;
  /// Not interpreted; carried unchanged.
  std::uint8_t reserved1[60];
};

/// A CMYK colour, black first.
struct CMYKQUAD {
  /// Black.
  std::uint8_t cmykBlack;
  /// Cyan.
  std::uint8_t cmykCyan;
  /// Magenta.
  std::uint8_t cmykMagenta;
  /// Yellow.
  std::uint8_t cmykYellow;
};

/// One colour of a colour library: a CMYK base plus an amount of every ink.
struct TERRIX_Color {
  /// The CMYK base (0 to 255 per channel).
  CMYKQUAD base;
  /// Amount of each ink of the library head, ink 0 first: 0 none, 255 full.
  std::uint8_t inkAmount[28];  // ink 0 first; 0 none, 255 full
};

/// Head of a colour library file, 156 bytes; the colours follow it.
struct COLORLIB_HEAD {
  /// "PCOLOR 3".
  char magic[8];  // "PCOLOR 3"
  /// Number of colours that follow the head.
  std::int16_t colorCount;
  /// Number of inks in use; colours hold amounts of at most 28.
  std::int16_t inkCount;
  /// The inks as CMYK colours.
  CMYKQUAD inks[36];  // ink 0 first
};

/// Head of a legend file, 16 bytes; the item table follows it.
struct LEGEND_HEAD {
  /// "WMAP`D2>".
  char magic[8];  // "WMAP`D2>"
  /// Not interpreted.
  std::uint8_t reserved[4];
  /// Number of items in the item table.
  std::int32_t legendCount;
};

/// One legend entry, 333 bytes, tied to a style record in the style area.
struct TERRIX_LegendItem {
  /// Display parameters.
  std::uint8_t display0[256];
  /// Kind of the style record: 1 point, 0 line, 2 region; other values have none.
  std::int8_t kind;          // 1 point, 0 line, 2 region
  /// Offset of the style record from the start of the style area, which
  /// follows the item table.
  std::int32_t styleOffset;  // from the start of the style area
  /// Display parameters.
  std::uint8_t display1[72];
};

/// Point style record of a legend item, handed out as stored.
struct PNT_INFOstruct {
  /// The bytes as stored.
  std::uint8_t data[94];
};

/// Line style record of a legend item, handed out as stored.
struct LIN_INFOstruct {
  /// The bytes as stored.
  std::uint8_t data[67];
};

/// Region style record of a legend item, handed out as stored.
struct REG_INFOstruct {
  /// The bytes as stored.
  std::uint8_t data[63];
};

/// The first bytes of a symbol library file, handed out as stored.
struct TERRIX_SymbolHead {
  /// The bytes as stored.
  std::uint8_t data[26];
};

#pragma pack(pop)

static_assert(sizeof(PROJECTHEAD) == 1101);
static_assert(sizeof(PROJECTITEM) == 400);
static_assert(sizeof(CMYKQUAD) == 4);
static_assert(sizeof(TERRIX_Color) == 32);
static_assert(sizeof(COLORLIB_HEAD) == 156);
static_assert(sizeof(LEGEND_HEAD) == 16);
static_assert(sizeof(TERRIX_LegendItem) == 333);
static_assert(sizeof(PNT_INFOstruct) == 94);
static_assert(sizeof(LIN_INFOstruct) == 67);
static_assert(sizeof(REG_INFOstruct) == 63);
static_assert(sizeof(TERRIX_SymbolHead) == 26);

}  // namespace Terrix
