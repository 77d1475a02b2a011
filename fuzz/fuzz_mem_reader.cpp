// The memory reader over any file, read as it is and with a region file read
// as a line file: counts, head, topology, network points, elements, the table.
#include "FuzzInput.h"

void FuzzOne(const fuzz::Input& in) {
  support::ReadAllMem(in.path, false, fuzz::Check);
  support::ReadAllMem(in.path, true, fuzz::Check);
}
