// The fast reader over any file: counts, extent, projection, tics, topology,
// every element read with and without record and geometry, the well-known-
// binary reads, notes, every table selector and every typed read, on bounded
// ranges of indices that include the out-of-range ones.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputFile input(data, size);
  if (input.Ok()) support::ReadAllFast(input.Path(), fuzz::Check);
  return 0;
}
