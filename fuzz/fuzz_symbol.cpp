// The symbol library head over any input: open, copy, close.
#include "FuzzInput.h"
#include "terrix/Symbol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputFile input(data, size);
  if (!input.Ok()) return 0;
  Terrix::Terrix_Symbol symbol;
  fuzz::CheckCount(symbol.Open(input.Path()), "Open");
  Terrix::Terrix_Symbol copy(symbol);
  symbol.Close();
  return 0;
}
