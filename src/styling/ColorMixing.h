// Mixing a colour of a colour library: its CMYK base plus its share of every ink.
#pragma once

#include "terrix/StyleRecords.h"

namespace Terrix::styling {

/// The colour's base with, for each ink of the head, ink channel x amount / 255
/// (truncated) added to every channel, saturating at 255. Only the inks a
/// colour has room for count (at most 28); an ink count of 0 or less leaves
/// the base unchanged.
CMYKQUAD MixColor(const TERRIX_Color& color, const COLORLIB_HEAD& head);

/// Each channel in percent of 255, truncated.
CMYKQUAD ToPercent(const CMYKQUAD& cmyk);

}  // namespace Terrix::styling
