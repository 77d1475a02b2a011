// The legend over any input: open, then every item with every destination and
// with none (a style read without its destination must fail cleanly).
// GetLegendInfo answers the item's kind byte, sign-extended, or a result code.
#include "FuzzInput.h"
#include "terrix/Legend.h"

void FuzzOne(const fuzz::Input& in) {
  Terrix::Terrix_Legend legend;
  legend.Open(in.path);  // a stored count below 1 comes back as it is: any value
                         // can be right
  for (int i = -1; i < std::min(legend.GetLegendNum(), 100) + 1; ++i) {
    Terrix::TERRIX_LegendItem item;
    Terrix::PNT_INFOstruct point;
    Terrix::LIN_INFOstruct line;
    Terrix::REG_INFOstruct region;
    fuzz::CheckByte(legend.GetLegendInfo(i, &item, &point, &line, &region), "GetLegendInfo");
    fuzz::CheckByte(legend.GetLegendInfo(i, nullptr, nullptr, nullptr, nullptr), "GetLegendInfo");
  }
  legend.Close();
}
