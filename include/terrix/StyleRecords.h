// Packed little-endian records of the project, colour library, legend and
// symbol library files, and the Windows colour records of the colour
// conversions. Bytes the library does not interpret are carried unchanged.
#pragma once

#include <cstdint>

#include "terrix/Records.h"

#pragma pack(push, 1)

/// Windows RGB triple: blue first.
struct tagRGBTRIPLE {
  std::uint8_t rgbtBlue;
  std::uint8_t rgbtGreen;
  std::uint8_t rgbtRed;
};

/// Windows RGB quad: blue first, then a reserved byte.
struct tagRGBQUAD {
  std::uint8_t rgbBlue;
  std::uint8_t rgbGreen;
  std::uint8_t rgbRed;
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
  std::int16_t itemCount;
  double extent[4];  // handed out in this order by GetExtentInfo
  std::uint8_t reserved0[704];
  std::int32_t itemTableOffset;  // from the start of the file
  std::uint8_t reserved1[62];
  MAP_PARAstruct projection;
  char description[128];  // 8-bit text, zero-terminated
};

/// One item of a map project: a file of the map, 400 bytes.
struct PROJECTITEM {
  std::uint8_t kind;  // stored kind: 1 point, 0 line, 2 region, 7, 11
  std::uint8_t reserved0;
  char name[128];         // 8-bit text, zero-terminated
  char description[194];  // 8-bit text, zero-terminated
  double value1;
  double value2;
  std::uint8_t reserved1[60];
};

/// A CMYK colour, black first.
struct CMYKQUAD {
  std::uint8_t cmykBlack;
  std::uint8_t cmykCyan;
  std::uint8_t cmykMagenta;
  std::uint8_t cmykYellow;
};

/// One colour of a colour library: a CMYK base plus an amount of every ink.
struct TERRIX_Color {
  CMYKQUAD base;
  std::uint8_t inkAmount[28];  // ink 0 first; 0 none, 255 full
};

/// Head of a colour library file, 156 bytes; the colours follow it.
struct COLORLIB_HEAD {
  char magic[8];  // "PCOLOR 3"
  std::int16_t colorCount;
  std::int16_t inkCount;
  CMYKQUAD inks[36];  // ink 0 first
};

/// Head of a legend file, 16 bytes; the item table follows it.
struct LEGEND_HEAD {
  char magic[8];  // "WMAP`D2>"
  std::uint8_t reserved[4];
  std::int32_t legendCount;
};

/// One legend entry, 333 bytes, tied to a style record in the style area.
struct TERRIX_LegendItem {
  std::uint8_t display0[256];
  std::int8_t kind;          // 1 point, 0 line, 2 region
  std::int32_t styleOffset;  // from the start of the style area
  std::uint8_t display1[72];
};

/// Point style record of a legend item, handed out as stored.
struct PNT_INFOstruct {
  std::uint8_t data[94];
};

/// Line style record of a legend item, handed out as stored.
struct LIN_INFOstruct {
  std::uint8_t data[67];
};

/// Region style record of a legend item, handed out as stored.
struct REG_INFOstruct {
  std::uint8_t data[63];
};

/// The first bytes of a symbol library file, handed out as stored.
struct TERRIX_SymbolHead {
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
