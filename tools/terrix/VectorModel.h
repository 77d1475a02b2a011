// A vector map file as the tool sees it: element classes with their attribute
// tables, elements as rings of vertices, attribute values as JSON values.
#pragma once

#include <TerrixLib.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace terrix {

using Json = nlohmann::ordered_json;

struct Vertex {
  double x;
  double y;
};
using Ring = std::vector<Vertex>;

/// An element's shape: a point (one part, one vertex), a line (one part) or a
/// polygon (its rings in stored order); shapeType 0 for a table row.
struct Shape {
  int shapeType = 0;
  std::vector<Ring> parts;
};

/// What a file holds: points, lines, arcs, nodes, regions or table rows.
enum class ElementClass { Point, Line, Arc, Node, Region, Row };
const char* ElementClassName(ElementClass c);

struct FieldDesc {
  std::string name;  // UTF-8
  int typeCode = 0;
  int width = 0;
};

struct TableDesc {
  std::int32_t status = Terrix::Result::Success;  // of loading the table
  std::vector<FieldDesc> fields;
  int recordCount = 0;
};

struct ClassInfo {
  ElementClass elementClass;
  int attributeSelector;  // the reader's table selector for this class
  int count;              // element indices the reads accept
};

class VectorFile {
 public:
  /// Opens the file; throws ToolError when it cannot be opened or is refused.
  explicit VectorFile(const std::string& path);
  int Kind();
  const char* KindName();
  const std::string& Path() const { return path_; }
  /// The element classes of the file kind, in export order.
  std::vector<ClassInfo> Classes();
  /// Reads element `index` of a class into a container (or only its record,
  /// with none): the reader's code. Table rows have no geometry: Success.
  std::int32_t ReadGeometry(ElementClass c, int index, Terrix::Geometry* g);
  /// Reads element `index` of a class: Result::Success, Result::NotInUse for
  /// a deleted element, or another failure code.
  std::int32_t ReadElement(ElementClass c, int index, Shape& shape, std::string* noteUtf8);
  /// Selects and describes the attribute table of a selector.
  TableDesc DescribeTable(int selector);
  /// The values of record `index` of the table selected by DescribeTable.
  Json ReadProperties(const TableDesc& table, int index);
  /// One value of record `index`, typed by its field (see TypeCodes.h).
  Json ReadValue(const TableDesc& table, int index, std::size_t field);
  Terrix::Terrix_FastReader& Reader() { return reader_; }

 private:
  std::string path_;
  Terrix::Terrix_FastReader reader_;
};

/// Groups a polygon's rings by the library's orientation rule (the first ring
/// runs clockwise, holes the other way): ring 0 is an outer ring; a further
/// ring is a hole of the outer ring before it when it runs opposite to ring 0,
/// else it starts another polygon. Whichever way ring 0 runs, so files whose
/// outer rings run counter-clockwise group the same. Returns polygons as lists
/// of ring indices.
std::vector<std::vector<std::size_t>> GroupRings(const std::vector<Ring>& rings);

/// The shortest text that reads back as the same double.
std::string ShortestNumber(double v);

/// The signed area of a ring as the library measures it: negative when the
/// ring runs clockwise (the orientation of a first ring), positive otherwise.
double RingArea(const Ring& ring);

}  // namespace terrix
