// The legend over any input: open, then every item with every destination and
// with none (a style read without its destination must fail cleanly).
#include "FuzzInput.h"
#include "terrix/Legend.h"

namespace {

// GetLegendInfo answers the item's kind byte, sign-extended, or a result code.
void CheckKind(std::int32_t rc) {
  fuzz::CheckStoredOr(rc, -128, 127, "GetLegendInfo");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Terrix;
  fuzz::InputFile input(data, size);
  if (!input.Ok()) return 0;
  Terrix_Legend legend;
  legend.Open(input.Path());  // a stored count below 1 comes back as it is: any value can be right
  for (int i = -1; i < std::min(legend.GetLegendNum(), 100) + 1; ++i) {
    TERRIX_LegendItem item;
    PNT_INFOstruct point;
    LIN_INFOstruct line;
    REG_INFOstruct region;
    CheckKind(legend.GetLegendInfo(i, &item, &point, &line, &region));
    CheckKind(legend.GetLegendInfo(i, nullptr, nullptr, nullptr, nullptr));
  }
  legend.Close();
  return 0;
}
