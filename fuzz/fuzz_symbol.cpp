// The symbol library head over any input: open, copy, close.
#include "FuzzInput.h"
#include "terrix/Symbol.h"

TERRIX_FUZZ_FILE(path, data, size) {
  Terrix::Terrix_Symbol symbol;
  fuzz::CheckCount(symbol.Open(path), "Open");
  Terrix::Terrix_Symbol copy(symbol);
  symbol.Close();
}
