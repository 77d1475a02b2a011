#include "VectorModel.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "Encoding.h"
#include "Output.h"
#include "TypeCodes.h"

namespace terrix {

namespace {

using GeometryPtr = std::unique_ptr<Terrix::Geometry, void (*)(Terrix::Geometry*)>;
GeometryPtr NewGeometry() {
  return GeometryPtr(Terrix::CreateGeometry(), Terrix::DestroyGeometry);
}

// Copies the container's parts into rings; part ranges outside the arrays are cut.
void CopyParts(const Terrix::Geometry& g, Shape& shape) {
  shape.shapeType = g.type;
  shape.parts.clear();
  const int n = g.vertexCount;
  if (g.type == Terrix::ShapeType::Point || g.partCount <= 0 || g.partStart == nullptr) {
    Ring ring;
    for (int i = 0; i < n; ++i) ring.push_back({g.x[i], g.y[i]});
    shape.parts.push_back(std::move(ring));
    return;
  }
  for (int k = 0; k < g.partCount; ++k) {
    int begin = g.partStart[k];
    int end = k + 1 < g.partCount ? g.partStart[k + 1] : n;
    begin = std::max(0, std::min(begin, n));
    end = std::max(begin, std::min(end, n));
    Ring ring;
    for (int i = begin; i < end; ++i) ring.push_back({g.x[i], g.y[i]});
    shape.parts.push_back(std::move(ring));
  }
}

std::string Hex(const void* data, int width) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (int i = 0; data != nullptr && i < width; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

}  // namespace

const char* ElementClassName(ElementClass c) {
  switch (c) {
    case ElementClass::Point:
      return "points";
    case ElementClass::Line:
      return "lines";
    case ElementClass::Arc:
      return "arcs";
    case ElementClass::Node:
      return "nodes";
    case ElementClass::Region:
      return "regions";
    case ElementClass::Row:
      return "rows";
  }
  return "elements";
}

VectorFile::VectorFile(const std::string& path) : path_(path) {
  const std::int32_t rc = reader_.Open(Utf8ToWide(path).c_str());
  if (rc != Terrix::Result::Success) FailWithCode(path, "opening", rc);
}

int VectorFile::Kind() {
  return reader_.GetShapeType();
}

const char* VectorFile::KindName() {
  switch (Kind()) {
    case 0:
      return "line file";
    case 1:
      return "point file";
    case 2:
      return "region file";
    case 4:
      return "network file";
    case 7:
      return "table file";
    default:
      return "unknown kind";
  }
}

std::vector<ClassInfo> VectorFile::Classes() {
  int count = 0;
  std::vector<ClassInfo> out;
  switch (Kind()) {
    case 0:
      reader_.GetArcCount(&count);
      out.push_back({ElementClass::Line, 0, count});
      break;
    case 1:
      reader_.GetPointCount(&count);
      out.push_back({ElementClass::Point, 1, count});
      break;
    case 2:
      reader_.GetPolygonCount(&count);
      out.push_back({ElementClass::Region, 2, count});
      break;
    case 4: {
      reader_.GetArcCount(&count);
      out.push_back({ElementClass::Arc, 0, count});
      int nodes = 0;
      reader_.GetPointCount(&nodes);
      out.push_back({ElementClass::Node, 1, nodes});
      break;
    }
    case 7:
      reader_.SetAttributeType(7);
      count = std::max(0, static_cast<int>(reader_.GetRecordCount()));
      out.push_back({ElementClass::Row, 7, count});
      break;
    default:
      break;
  }
  return out;
}

std::int32_t VectorFile::ReadGeometry(ElementClass c, int index, Terrix::Geometry* g) {
  switch (c) {
    case ElementClass::Point:
    case ElementClass::Node:
      return reader_.ReadPointInfo(index, nullptr, g);
    case ElementClass::Line:
    case ElementClass::Arc:
      return reader_.ReadArcInfo(index, nullptr, g);
    case ElementClass::Region:
      return reader_.ReadPolygonInfo(index, nullptr, g);
    default:
      return Terrix::Result::Success;
  }
}

std::int32_t VectorFile::ReadElement(ElementClass c, int index, Shape& shape, std::string* noteUtf8) {
  shape = Shape{};
  if (c == ElementClass::Row) return Terrix::Result::Success;
  GeometryPtr g = NewGeometry();
  const std::int32_t rc = ReadGeometry(c, index, g.get());
  if (rc != Terrix::Result::Success) return rc;
  CopyParts(*g, shape);
  if (noteUtf8 != nullptr) {
    noteUtf8->clear();
    if (c == ElementClass::Point) {
      char note[260] = {};
      if (reader_.GetNoteInfo(index, note) == Terrix::Result::Success)
        *noteUtf8 = FileTextToUtf8(note, std::strlen(note));
    }
  }
  return rc;
}

TableDesc VectorFile::DescribeTable(int selector) {
  TableDesc table;
  reader_.SetAttributeType(selector);
  const std::int32_t fields = reader_.GetFieldCount();
  if (fields < 0) {
    table.status = fields;
    return table;
  }
  table.recordCount = std::max(0, static_cast<int>(reader_.GetRecordCount()));
  for (int f = 0; f < fields; ++f) {
    wchar_t name[32] = {};
    int width = 0, aux = 0, auxByte = 0;
    const std::int32_t type = reader_.GetFieldInfo(f, name, &width, &aux, &auxByte);
    table.fields.push_back({WideToUtf8(name), static_cast<int>(type), width});
  }
  return table;
}

Json VectorFile::ReadProperties(const TableDesc& table, int index) {
  Json props = Json::object();
  for (std::size_t i = 0; i < table.fields.size(); ++i)
    props[table.fields[i].name] = ReadValue(table, index, i);
  return props;
}

Json VectorFile::ReadValue(const TableDesc& table, int index, std::size_t fieldIndex) {
  const FieldDesc& f = table.fields.at(fieldIndex);
  const int field = static_cast<int>(fieldIndex);
  switch (ValueKindOf(f.typeCode)) {
    case ValueKind::String:
    case ValueKind::Text: {
      const char* s = f.typeCode == TypeCode::Text ? reader_.ReadTextAttribute(index, field)
                                                   : reader_.ReadStringAttribute(index, field);
      return s != nullptr ? Json(FileTextToUtf8(s, std::strlen(s))) : Json();
    }
    case ValueKind::Byte:
      return reader_.ReadByteAttribute(index, field);
    case ValueKind::Short:
      return reader_.ReadShortAttribute(index, field);
    case ValueKind::Long:
      return reader_.ReadLongAttribute(index, field);
    case ValueKind::Float: {
      const float v = reader_.ReadFloatAttribute(index, field);
      return std::isfinite(v) ? Json(v) : Json();
    }
    case ValueKind::Double: {
      const double v = reader_.ReadDoubleAttribute(index, field);
      return std::isfinite(v) ? Json(v) : Json();
    }
    case ValueKind::Bool:
      return reader_.ReadBoolAttribute(index, field);
    case ValueKind::Date: {
      const Terrix::DATE_STRUstruct d = reader_.ReadDateAttribute(index, field);
      const unsigned year = d.year, month = d.month, day = d.day;
      char text[16];
      std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
      return text;
    }
    default:
      return Hex(reader_.ReadBinareyAttribute(index, field), f.width);
  }
}

std::string ShortestNumber(double v) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

double RingArea(const Ring& ring) {
  // The library's signed area, the measure its ring-order check uses: the
  // container borrows the ring's coordinates for the call.
  std::vector<double> x(ring.size()), y(ring.size());
  for (std::size_t i = 0; i < ring.size(); ++i) {
    x[i] = ring[i].x;
    y[i] = ring[i].y;
  }
  Terrix::Geometry* g = Terrix::CreateGeometry();
  g->vertexCount = static_cast<std::int32_t>(ring.size());
  g->x = x.data();
  g->y = y.data();
  const double area = Terrix::GetGeoArea(g);
  g->x = g->y = nullptr;
  Terrix::DestroyGeometry(g);
  return area;
}

std::vector<std::vector<std::size_t>> GroupRings(const std::vector<Ring>& rings) {
  std::vector<std::vector<std::size_t>> polygons;
  if (rings.empty()) return polygons;
  const bool firstClockwise = RingArea(rings[0]) < 0;
  for (std::size_t i = 0; i < rings.size(); ++i) {
    const bool clockwise = RingArea(rings[i]) < 0;
    if (i == 0 || clockwise == firstClockwise)
      polygons.push_back({i});
    else
      polygons.back().push_back(i);
  }
  return polygons;
}

}  // namespace terrix
