// The symbol library head over any input: open, copy, close.
#include "FuzzInput.h"
#include "terrix/Symbol.h"

void FuzzOne(const fuzz::Input& in) {
  Terrix::Terrix_Symbol symbol;
  fuzz::CheckCount(symbol.Open(in.path), "Open");
  Terrix::Terrix_Symbol copy(symbol);
  symbol.Close();
}
