#include "GeoJsonExport.h"

#include "Output.h"
#include "Progress.h"
#include "VectorModel.h"

namespace terrix {

namespace {

Json Position(const Vertex& v) {
  return Json::array({v.x, v.y});
}

Json RingJson(const Ring& ring) {
  Json coords = Json::array();
  for (const Vertex& v : ring) coords.push_back(Position(v));
  return coords;
}

Json GeometryJson(const Shape& shape) {
  switch (shape.shapeType) {
    case Terrix::ShapeType::Point:
      return {{"type", "Point"},
              {"coordinates", shape.parts.at(0).empty() ? Json::array() : Position(shape.parts[0][0])}};
    case Terrix::ShapeType::Line:
      return {{"type", "LineString"}, {"coordinates", RingJson(shape.parts.at(0))}};
    case Terrix::ShapeType::Polygon: {
      const auto groups = GroupRings(shape.parts);
      auto polygon = [&](const std::vector<std::size_t>& rings) {
        Json p = Json::array();
        for (std::size_t r : rings) p.push_back(RingJson(shape.parts[r]));
        return p;
      };
      if (groups.size() == 1) return {{"type", "Polygon"}, {"coordinates", polygon(groups[0])}};
      Json multi = Json::array();
      for (const auto& g : groups) multi.push_back(polygon(g));
      return {{"type", "MultiPolygon"}, {"coordinates", multi}};
    }
    default:
      return nullptr;
  }
}

void AppendNumber(std::string& out, double v) {
  out += ShortestNumber(v);
}

void AppendRing(std::string& out, const Ring& ring) {
  out += '(';
  for (std::size_t i = 0; i < ring.size(); ++i) {
    if (i > 0) out += ", ";
    AppendNumber(out, ring[i].x);
    out += ' ';
    AppendNumber(out, ring[i].y);
  }
  out += ')';
}

std::string Wkt(const Shape& shape) {
  std::string out;
  switch (shape.shapeType) {
    case Terrix::ShapeType::Point:
      if (shape.parts.at(0).empty()) return "POINT EMPTY";
      out = "POINT ";
      AppendRing(out, shape.parts[0]);
      return out;
    case Terrix::ShapeType::Line:
      if (shape.parts.at(0).empty()) return "LINESTRING EMPTY";
      out = "LINESTRING ";
      AppendRing(out, shape.parts[0]);
      return out;
    case Terrix::ShapeType::Polygon: {
      const auto groups = GroupRings(shape.parts);
      if (groups.empty()) return "POLYGON EMPTY";
      auto polygon = [&](const std::vector<std::size_t>& rings) {
        out += '(';
        for (std::size_t i = 0; i < rings.size(); ++i) {
          if (i > 0) out += ", ";
          AppendRing(out, shape.parts[rings[i]]);
        }
        out += ')';
      };
      if (groups.size() == 1) {
        out = "POLYGON ";
        polygon(groups[0]);
        return out;
      }
      out = "MULTIPOLYGON (";
      for (std::size_t g = 0; g < groups.size(); ++g) {
        if (g > 0) out += ", ";
        polygon(groups[g]);
      }
      out += ')';
      return out;
    }
    default:
      return "GEOMETRYCOLLECTION EMPTY";
  }
}

}  // namespace

long ExportVectorFile(const std::string& path, std::ostream& out, ExportFormat format) {
  VectorFile file(path);
  const auto classes = file.Classes();
  const bool tagClass = classes.size() > 1;
  long written = 0;
  if (format == ExportFormat::GeoJson) out << "{\"type\":\"FeatureCollection\",\"features\":[";
  for (const ClassInfo& c : classes) {
    const TableDesc table = file.DescribeTable(c.attributeSelector);
    Progress progress(std::string("export ") + ElementClassName(c.elementClass), c.count);
    Shape shape;
    std::string note;
    for (int i = 0; i < c.count; ++i) {
      progress.Update(i);
      const std::int32_t rc = file.ReadElement(c.elementClass, i, shape, &note);
      if (rc == Terrix::Result::NotInUse) continue;
      if (rc != Terrix::Result::Success)
        FailWithCode(
            path, std::string("reading ") + ElementClassName(c.elementClass) + " " + std::to_string(i), rc);
      if (format == ExportFormat::Wkt) {
        out << Wkt(shape) << '\n';
      } else {
        Json properties = table.status == Terrix::Result::Success && i < table.recordCount
                              ? file.ReadProperties(table, i)
                              : Json::object();
        if (c.elementClass == ElementClass::Point && !note.empty()) properties["terrix:note"] = note;
        if (tagClass) properties["terrix:class"] = ElementClassName(c.elementClass);
        const Json feature = {
            {"type", "Feature"}, {"id", i}, {"properties", properties}, {"geometry", GeometryJson(shape)}};
        out << (written > 0 ? ",\n" : "\n") << feature.dump(-1, ' ', false, Json::error_handler_t::replace);
      }
      ++written;
    }
  }
  if (format == ExportFormat::GeoJson) out << "\n]}\n";
  if (!out) throw ToolError(path, "writing the output failed");
  return written;
}

}  // namespace terrix
