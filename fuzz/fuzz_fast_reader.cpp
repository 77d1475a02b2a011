// The fast reader over any file: counts, extent, projection, tics, topology,
// every element read with and without record and geometry, the well-known-
// binary reads, notes, every table selector and every typed read, on bounded
// ranges of indices that include the out-of-range ones.
#include "FuzzInput.h"

void FuzzOne(const fuzz::Input& in) {
  support::ReadAllFast(in.path, fuzz::Check);
}
