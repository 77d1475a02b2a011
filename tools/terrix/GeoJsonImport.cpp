#include "GeoJsonImport.h"

#include <TerrixLib.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>

#include "Encoding.h"
#include "Output.h"
#include "Progress.h"
#include "TypeCodes.h"
#include "VectorModel.h"

namespace terrix {

namespace {

constexpr const char* kToolPrefix = "terrix:";
constexpr const char* kNoteKey = "terrix:note";

bool IsToolKey(const std::string& key) {
  return key.rfind(kToolPrefix, 0) == 0;
}

bool FitsLong(const Json& v) {
  if (v.is_number_unsigned()) return v.get<std::uint64_t>() <= static_cast<std::uint64_t>(INT32_MAX);
  if (v.is_number_integer()) {
    const auto i = v.get<std::int64_t>();
    return i >= INT32_MIN && i <= INT32_MAX;
  }
  return false;
}

std::string AsText(const Json& v) {
  return v.is_string() ? v.get<std::string>() : v.dump();
}

// A container whose arrays the tool fills from GeoJSON positions.
class BuiltGeometry {
 public:
  BuiltGeometry() : g_(Terrix::CreateGeometry()) {}
  ~BuiltGeometry() { Terrix::DestroyGeometry(g_); }
  BuiltGeometry(const BuiltGeometry&) = delete;
  BuiltGeometry& operator=(const BuiltGeometry&) = delete;

  void Set(int shapeType, const std::vector<Ring>& parts) {
    Terrix::EmptyGeometry(g_);
    std::size_t n = 0;
    for (const Ring& r : parts) n += r.size();
    g_->type = shapeType;
    g_->id = -1;
    g_->partCount = static_cast<std::int32_t>(parts.size());
    g_->vertexCount = static_cast<std::int32_t>(n);
    g_->partStart = Alloc<std::int32_t>(parts.size());
    g_->partType = Alloc<std::int32_t>(parts.size());
    g_->x = Alloc<double>(n);
    g_->y = Alloc<double>(n);
    std::size_t v = 0;
    for (std::size_t k = 0; k < parts.size(); ++k) {
      g_->partStart[k] = static_cast<std::int32_t>(v);
      // The first ring is the outer ring; every further ring is kept (kind 3),
      // so the rings of a MultiPolygon all reach the file.
      g_->partType[k] = k == 0 ? Terrix::PartKind::Ring : Terrix::PartKind::InnerRing;
      for (const Vertex& p : parts[k]) {
        g_->x[v] = p.x;
        g_->y[v] = p.y;
        ++v;
      }
    }
  }
  const Terrix::Geometry& get() const { return *g_; }

 private:
  template <typename T>
  static T* Alloc(std::size_t n) {
    auto* p = static_cast<T*>(std::calloc(n > 0 ? n : 1, sizeof(T)));
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  Terrix::Geometry* g_;
};

Ring ParseRing(const Json& positions) {
  Ring ring;
  if (!positions.is_array()) return ring;
  for (const Json& p : positions)
    if (p.is_array() && p.size() >= 2 && p[0].is_number() && p[1].is_number())
      ring.push_back({p[0].get<double>(), p[1].get<double>()});
  return ring;
}

// The shapes a feature gives for the wanted kind: points, lines or polygons
// (each a list of rings). An empty result means the feature has none.
std::vector<std::vector<Ring>> ShapesOf(const Json& geometry, ImportKind kind) {
  std::vector<std::vector<Ring>> shapes;
  if (!geometry.is_object() || !geometry.contains("type")) return shapes;
  const std::string type = geometry.value("type", "");
  const Json& c = geometry.contains("coordinates") ? geometry["coordinates"] : Json();
  if (type == "GeometryCollection" && geometry.contains("geometries")) {
    for (const Json& g : geometry["geometries"])
      for (auto& s : ShapesOf(g, kind)) shapes.push_back(std::move(s));
    return shapes;
  }
  switch (kind) {
    case ImportKind::Point:
      if (type == "Point") shapes.push_back({ParseRing(Json::array({c}))});
      if (type == "MultiPoint")
        for (const Json& p : c) shapes.push_back({ParseRing(Json::array({p}))});
      break;
    case ImportKind::Line:
      if (type == "LineString") shapes.push_back({ParseRing(c)});
      if (type == "MultiLineString")
        for (const Json& l : c) shapes.push_back({ParseRing(l)});
      break;
    case ImportKind::Region:
      if (type == "Polygon") {
        std::vector<Ring> rings;
        for (const Json& r : c) rings.push_back(ParseRing(r));
        shapes.push_back(std::move(rings));
      }
      if (type == "MultiPolygon") {
        std::vector<Ring> rings;  // one polygon with every ring of every part
        for (const Json& poly : c)
          for (const Json& r : poly) rings.push_back(ParseRing(r));
        shapes.push_back(std::move(rings));
      }
      break;
    case ImportKind::Table:
      break;
  }
  return shapes;
}

int WriterKind(ImportKind kind) {
  switch (kind) {
    case ImportKind::Point:
      return 1;
    case ImportKind::Line:
      return 0;
    case ImportKind::Region:
      return 2;
    default:
      return 7;
  }
}

// Writes the feature's values. A missing or null value is written only when
// `everyField` is set (table rows, which exist only through their records),
// as the zero of the field's type.
void WriteValues(Terrix::Terrix_Writer& writer, int element, const std::vector<FieldPlan>& plans,
                 const Json& props, const std::string& output, bool everyField) {
  for (std::size_t f = 0; f < plans.size(); ++f) {
    const FieldPlan& p = plans[f];
    const bool present = props.is_object() && props.contains(p.name) && !props[p.name].is_null();
    if (!present && !everyField) continue;
    const Json v = present ? props[p.name]
                           : Json(p.typeCode == TypeCode::Bool     ? Json(false)
                                  : p.typeCode == TypeCode::String ? Json("")
                                                                   : Json(0));
    const int field = static_cast<int>(f);
    bool ok = true;
    switch (p.typeCode) {
      case TypeCode::Bool:
        ok = writer.WriteBoolAttribute(element, field, v.get<bool>());
        break;
      case TypeCode::Long:
        ok = writer.WriteLongAttribute(element, field, static_cast<std::int32_t>(v.get<std::int64_t>()));
        break;
      case TypeCode::Double:
        ok = writer.WriteDoubleAttribute(element, field, v.get<double>());
        break;
      default:
        ok = writer.WriteStringAttribute(element, field, Utf8ToFileText(AsText(v)).c_str());
        break;
    }
    if (!ok)
      throw ToolError(output,
                      "writing attribute " + p.name + " of element " + std::to_string(element) + " failed");
  }
}

// The element and record counts of the written file must be those written.
void VerifyWritten(const std::string& path, const std::string& output, ImportKind kind, long elements,
                   bool hasFields) {
  Terrix::Terrix_FastReader reader;
  const std::int32_t rc = reader.Open(Utf8ToWide(path).c_str());
  if (rc != Terrix::Result::Success) FailWithCode(output, "reading back the written file", rc);
  int count = 0;
  switch (kind) {
    case ImportKind::Point:
      reader.GetPointCount(&count);
      break;
    case ImportKind::Line:
      reader.GetArcCount(&count);
      break;
    case ImportKind::Region:
      reader.GetPolygonCount(&count);
      break;
    case ImportKind::Table:
      count = static_cast<int>(elements);
      break;
  }
  // Elements whose values were all null at the end have no record; a table
  // file's rows are its records, so each row was given one.
  const std::int32_t records = hasFields ? reader.GetRecordCount() : 0;
  const bool recordsOk =
      kind == ImportKind::Table ? records == elements : records >= 0 && records <= elements;
  if (count != elements || !recordsOk)
    throw ToolError(output, "the written file does not read back complete");
}

}  // namespace

// One pass over all properties decides each field's type and width: any
// string (or other non-number) makes a string field; integers that fit 32
// bits make a long; other numbers a double; booleans a bool.
std::vector<FieldPlan> PlanFields(const Json& features) {
  std::vector<FieldPlan> plans;
  auto find = [&](const std::string& key) -> FieldPlan& {
    for (FieldPlan& p : plans)
      if (p.name == key) return p;
    plans.push_back(FieldPlan{key, TypeCode::Long, 4, false});
    return plans.back();
  };
  for (const Json& f : features) {
    const Json& props = f.contains("properties") ? f["properties"] : Json();
    if (!props.is_object()) continue;
    for (auto it = props.begin(); it != props.end(); ++it) {
      if (IsToolKey(it.key())) continue;
      FieldPlan& p = find(it.key());
      const Json& v = it.value();
      if (v.is_null()) continue;
      int type;
      if (v.is_boolean())
        type = TypeCode::Bool;
      else if (FitsLong(v))
        type = TypeCode::Long;
      else if (v.is_number())
        type = TypeCode::Double;
      else
        type = TypeCode::String;
      if (!p.seen) {
        p.typeCode = type;
      } else if (p.typeCode != type) {
        // Mixed kinds: longs widen to doubles, anything else becomes a string.
        const bool numeric = (p.typeCode == TypeCode::Long || p.typeCode == TypeCode::Double) &&
                             (type == TypeCode::Long || type == TypeCode::Double);
        p.typeCode = numeric ? TypeCode::Double : TypeCode::String;
      }
      p.seen = true;
    }
  }
  SizeFields(plans, features);
  return plans;
}

void SizeFields(std::vector<FieldPlan>& plans, const Json& features) {
  for (FieldPlan& p : plans) {
    switch (p.typeCode) {
      case TypeCode::Bool:
        p.width = 1;
        break;
      case TypeCode::Long:
        p.width = 4;
        break;
      case TypeCode::Double:
        p.width = 8;
        break;
      default:
        p.width = 1;
        for (const Json& f : features) {
          const Json& props = f.contains("properties") ? f["properties"] : Json();
          if (props.is_object() && props.contains(p.name) && !props[p.name].is_null())
            p.width = std::max(p.width, static_cast<int>(Utf8ToFileText(AsText(props[p.name])).size()));
        }
        break;
    }
  }
}

ImportReport ImportGeoJson(const std::string& input, const std::string& output, ImportKind kind) {
  std::ifstream in(input, std::ios::binary);
  if (!in) throw ToolError(input, std::string("cannot open: ") + std::strerror(errno));
  Json doc;
  try {
    doc = Json::parse(in);
  } catch (const Json::exception& e) {
    throw ToolError(input, std::string("not valid JSON: ") + e.what());
  }
  Json features;
  if (doc.value("type", "") == "FeatureCollection" && doc.contains("features") && doc["features"].is_array())
    features = doc["features"];
  else if (doc.value("type", "") == "Feature")
    features = Json::array({doc});
  else
    throw ToolError(input, "not a GeoJSON FeatureCollection");

  const std::vector<FieldPlan> plans = PlanFields(features);
  if (kind == ImportKind::Table && plans.empty() && !features.empty())
    throw ToolError(input, "a table file keeps its rows as attribute records: the features need properties");
  return WriteFeatures(features, plans, output, kind);
}

ImportReport WriteFeatures(const Json& features, const std::vector<FieldPlan>& plans,
                           const std::string& output, ImportKind kind) {
  PendingOutput pending(output);
  Terrix::Terrix_Writer writer;
  std::int32_t rc = writer.Create(Utf8ToWide(pending.TemporaryPath()).c_str(), WriterKind(kind));
  if (rc != Terrix::Result::Success) FailWithCode(output, "creating", rc);
  for (const FieldPlan& p : plans) {
    rc = writer.AddFieldInfo(Utf8ToWide(p.name).c_str(), p.typeCode, p.width, 0, 0);
    if (rc < 0) FailWithCode(output, "adding field " + p.name, rc);
  }

  ImportReport report;
  BuiltGeometry geometry;
  Progress progress("import", static_cast<long>(features.size()));
  for (const Json& f : features) {
    progress.Update(report.features);
    ++report.features;
    const Json props =
        f.contains("properties") && f["properties"].is_object() ? f["properties"] : Json::object();
    if (kind == ImportKind::Table) {
      WriteValues(writer, static_cast<int>(report.elements), plans, props, output, true);
      ++report.elements;
      continue;
    }
    const auto shapes = ShapesOf(f.contains("geometry") ? f["geometry"] : Json(), kind);
    if (shapes.empty()) {
      ++report.skipped;
      continue;
    }
    for (const auto& rings : shapes) {
      const int element = static_cast<int>(report.elements);
      switch (kind) {
        case ImportKind::Point: {
          if (rings.empty() || rings[0].empty()) continue;
          Terrix::TERRIX_PntInfo record{};
          record.state = 1;
          record.x = rings[0][0].x;
          record.y = rings[0][0].y;
          const std::string note = props.contains(kNoteKey) ? Utf8ToFileText(AsText(props[kNoteKey])) : "";
          rc = writer.AddPointInfo(record, geometry.get(), note.c_str());
          break;
        }
        case ImportKind::Line: {
          Terrix::TERRIX_LineInfo record{};
          record.state = 1;
          geometry.Set(Terrix::ShapeType::Line, rings);
          rc = writer.AddArcInfo(record, geometry.get(), 0);
          break;
        }
        default: {
          Terrix::TERRIX_RegInfo record{};
          record.state = 1;
          geometry.Set(Terrix::ShapeType::Polygon, rings);
          rc = writer.AddPolygonInfo(record, geometry.get());
          break;
        }
      }
      if (rc != Terrix::Result::Success && rc != Terrix::Result::PartSkipped)
        FailWithCode(output, "adding element " + std::to_string(element), rc);
      WriteValues(writer, element, plans, props, output, false);
      ++report.elements;
    }
  }
  writer.Flush();
  writer.Close();
  // Flush reports nothing: read the file back before it takes the output's name.
  VerifyWritten(pending.TemporaryPath(), output, kind, report.elements, !plans.empty());
  pending.Commit();
  return report;
}

}  // namespace terrix
