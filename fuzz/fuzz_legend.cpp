// The legend over any input: open, then every item with every destination and
// with none (a style read without its destination must fail cleanly).
// GetLegendInfo answers the item's kind byte, sign-extended, or a result code.
#include "FuzzInput.h"
#include "terrix/Legend.h"

TERRIX_FUZZ_FILE(path, data, size) {
  using namespace Terrix;
  Terrix_Legend legend;
  legend.Open(path);  // a stored count below 1 comes back as it is: any value can be right
  for (int i = -1; i < std::min(legend.GetLegendNum(), 100) + 1; ++i) {
    TERRIX_LegendItem item;
    PNT_INFOstruct point;
    LIN_INFOstruct line;
    REG_INFOstruct region;
    fuzz::CheckRange(legend.GetLegendInfo(i, &item, &point, &line, &region), -128, 127, "GetLegendInfo");
    fuzz::CheckRange(legend.GetLegendInfo(i, nullptr, nullptr, nullptr, nullptr), -128, 127, "GetLegendInfo");
  }
  legend.Close();
}
