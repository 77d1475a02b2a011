// The memory reader over any file, read as it is and with a region file read
// as a line file: counts, head, topology, network points, elements, the table.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputFile input(data, size);
  if (!input.Ok()) return 0;
  support::ReadAllMem(input.Path(), false, fuzz::Check);
  support::ReadAllMem(input.Path(), true, fuzz::Check);
  return 0;
}
