#include "builder/HostileFiles.h"

#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"

namespace tb {

void WriteOverclaimingRegions(const std::string& path) {
  ElementFile regions(kRegion);
  regions.AddArc({{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}});
  regions.AddPolygon({1});
  regions.Build().Count(4, 0x7FFFFFFF).Count(5, 0x7FFFFFFF).WriteTo(path);
}

void WriteOverclaimingRows(const std::string& path) {
  AttributeSection rows;
  rows.Field("v", 3, 4).Elements(1).RecordCount(0x80000000u);
  MapFileBuilder(kTable).Section(0, rows.Build()).Section(1, Bytes(2, 0)).WriteTo(path);
}

void WriteNetworkWithoutNodeTable(const std::string& path) {
  ElementFile net(kNetwork);
  net.AddArc({{0, 0}, {1, 0}});
  net.AddNode(0, 0, Bytes(94, 0));
  AttributeSection arcs, badNodes;
  arcs.Field("road", 0, 6).Text(0, 0, "A1");
  badNodes.Field("id", 3, 4).Elements(1).Magic(0, 0);
  net.Build().Section(2, arcs.Build()).Section(5, badNodes.Build()).WriteTo(path);
}

}  // namespace tb
