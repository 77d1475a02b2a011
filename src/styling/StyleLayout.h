// Magics, offsets and sizes of the project, colour library, legend and symbol
// library files, named once beside the records of terrix/StyleRecords.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "terrix/StyleRecords.h"

namespace Terrix::styling {

constexpr std::size_t kStyleMagicSize = 8;

// Map project file: magic, format number, head, then the item table.
constexpr char kProjectMagic[] = "WMAP`D2:";
constexpr std::int32_t kProjectFormatNumber = 9;
constexpr std::size_t kProjectFormatNumberSize = 4;
constexpr std::size_t kProjectHeadOffset = kStyleMagicSize + kProjectFormatNumberSize;
/// Where SaveProject expects the item table: directly behind the head.
constexpr std::uint64_t kProjectItemTableOffset = kProjectHeadOffset + sizeof(PROJECTHEAD);
static_assert(kProjectItemTableOffset == 1113);
static_assert(offsetof(PROJECTHEAD, itemTableOffset) == 738);
static_assert(offsetof(PROJECTHEAD, projection) == 804);
static_assert(offsetof(PROJECTHEAD, description) == 973);
static_assert(offsetof(PROJECTITEM, description) == 130);
static_assert(offsetof(PROJECTITEM, value1) == 324);

// Stored project item kinds and the shape type codes they cross the interface as.
constexpr std::uint8_t kStoredPoint = 1, kStoredLine = 0, kStoredRegion = 2, kStoredKind7 = 7,
                       kStoredKind11 = 11;
constexpr int kShapePoint = 1, kShapeLine = 3, kShapeRegion = 5, kShapeKind7 = 7, kShapeKind9 = 9;

// Colour library file: the head, then the colours.
constexpr char kColorLibMagic[] = "PCOLOR 3";
/// Inks a colour can hold an amount of; the head has room for 36.
constexpr int kColorInkRoom = static_cast<int>(sizeof(TERRIX_Color::inkAmount));
static_assert(kColorInkRoom <= static_cast<int>(sizeof(COLORLIB_HEAD::inks) / sizeof(CMYKQUAD)));

// Legend file: the head, the item table, then the style area.
constexpr char kLegendMagic[] = "WMAP`D2>";
constexpr std::uint64_t kLegendItemTableOffset = sizeof(LEGEND_HEAD);
static_assert(offsetof(TERRIX_LegendItem, kind) == 256);
static_assert(offsetof(TERRIX_LegendItem, styleOffset) == 257);
// Item kinds that carry a style record.
constexpr std::int8_t kLegendLine = 0, kLegendPoint = 1, kLegendRegion = 2;

static_assert(sizeof(kProjectMagic) == kStyleMagicSize + 1);
static_assert(sizeof(kColorLibMagic) == kStyleMagicSize + 1);
static_assert(sizeof(kLegendMagic) == kStyleMagicSize + 1);

/// True when the first kStyleMagicSize bytes of `bytes` are `magic`.
inline bool MagicMatches(const char* bytes, const char* magic) {
  return std::memcmp(bytes, magic, kStyleMagicSize) == 0;
}

}  // namespace Terrix::styling
