// Map files that claim far more than they hold, shared by the suites that
// check that reading them is bounded by their size.
#pragma once

#include <string>

namespace tb {

/// A region file of one polygon whose head claims 2^31 - 1 polygons.
void WriteOverclaimingRegions(const std::string& path);
/// A table file of one row whose table head claims 2^31 records.
void WriteOverclaimingRows(const std::string& path);
/// A network file of one arc (field "road" = "A1") and one node whose node
/// table has no valid head.
void WriteNetworkWithoutNodeTable(const std::string& path);

}  // namespace tb
