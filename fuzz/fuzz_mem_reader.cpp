// The memory reader over any file, read as it is and with a region file read
// as a line file: counts, head, topology, network points, elements, the table.
#include "FuzzInput.h"

TERRIX_FUZZ_FILE(path, data, size) {
  support::ReadAllMem(path, false, fuzz::Check);
  support::ReadAllMem(path, true, fuzz::Check);
}
