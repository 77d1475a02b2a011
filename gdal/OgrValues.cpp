#include "OgrValues.h"

#include <cstdio>
#include <memory>

#include "TypeCodes.h"

namespace terrix::ogr {

void AddFieldDefn(OGRFeatureDefn& defn, const FieldDesc& field) {
  OGRFieldType type = OFTString;
  OGRFieldSubType subType = OFSTNone;
  int width = 0;
  switch (ValueKindOf(field.typeCode)) {
    case ValueKind::String:
      width = field.width;  // bytes of the code page: at least as many characters
      break;
    case ValueKind::Byte:
    case ValueKind::Long:
      type = OFTInteger;
      break;
    case ValueKind::Short:
      type = OFTInteger;
      subType = OFSTInt16;
      break;
    case ValueKind::Float:
      type = OFTReal;
      subType = OFSTFloat32;
      break;
    case ValueKind::Double:
      type = OFTReal;
      break;
    case ValueKind::Date:
      type = OFTDate;
      break;
    case ValueKind::Bool:
      type = OFTInteger;
      subType = OFSTBoolean;
      break;
    default:  // text, and time, time stamp and binary as hex digits
      break;
  }
  OGRFieldDefn defnField(field.name.c_str(), type);
  defnField.SetSubType(subType);
  if (width > 0) defnField.SetWidth(width);
  defn.AddFieldDefn(&defnField);
}

void SetFieldFromValue(OGRFeature& feature, int index, int typeCode, const Json& value) {
  if (value.is_null()) {
    feature.SetFieldNull(index);
    return;
  }
  switch (ValueKindOf(typeCode)) {
    case ValueKind::Byte:
    case ValueKind::Short:
    case ValueKind::Long:
      feature.SetField(index, value.get<int>());
      break;
    case ValueKind::Bool:
      feature.SetField(index, value.get<bool>() ? 1 : 0);
      break;
    case ValueKind::Float:
    case ValueKind::Double:
      feature.SetField(index, value.get<double>());
      break;
    case ValueKind::Date: {
      // "YYYY-MM-DD"; the all-zero date of an empty value is no date.
      int year = 0, month = 0, day = 0;
      const std::string text = value.get<std::string>();
      if (std::sscanf(text.c_str(), "%d-%d-%d", &year, &month, &day) == 3 && (year | month | day) != 0)
        feature.SetField(index, year, month, day);
      else
        feature.SetFieldNull(index);
      break;
    }
    default:
      feature.SetField(index, value.get<std::string>().c_str());
      break;
  }
}

namespace {

OGRLinearRing* RingOf(const Ring& ring) {
  auto* r = new OGRLinearRing();
  r->setNumPoints(static_cast<int>(ring.size()), FALSE);
  for (std::size_t i = 0; i < ring.size(); ++i) r->setPoint(static_cast<int>(i), ring[i].x, ring[i].y);
  return r;
}

}  // namespace

OGRGeometry* GeometryOf(const Shape& shape) {
  if (shape.parts.empty()) return nullptr;
  switch (shape.shapeType) {
    case Terrix::ShapeType::Point:
      if (shape.parts[0].empty()) return nullptr;
      return new OGRPoint(shape.parts[0][0].x, shape.parts[0][0].y);
    case Terrix::ShapeType::Line: {
      auto* line = new OGRLineString();
      const Ring& points = shape.parts[0];
      line->setNumPoints(static_cast<int>(points.size()), FALSE);
      for (std::size_t i = 0; i < points.size(); ++i)
        line->setPoint(static_cast<int>(i), points[i].x, points[i].y);
      return line;
    }
    case Terrix::ShapeType::Polygon: {
      const auto groups = GroupRings(shape.parts);
      auto polygonOf = [&](const std::vector<std::size_t>& rings) {
        auto* polygon = new OGRPolygon();
        for (std::size_t r : rings) polygon->addRingDirectly(RingOf(shape.parts[r]));
        return polygon;
      };
      if (groups.size() == 1) return polygonOf(groups[0]);
      auto* multi = new OGRMultiPolygon();
      for (const auto& group : groups) multi->addGeometryDirectly(polygonOf(group));
      return multi;
    }
    default:
      return nullptr;
  }
}

int TypeCodeForField(const OGRFieldDefn& field, bool valuesBeyondLong) {
  switch (field.GetType()) {
    case OFTInteger:
      return field.GetSubType() == OFSTBoolean ? TypeCode::Bool : TypeCode::Long;
    case OFTInteger64:
      return valuesBeyondLong ? TypeCode::Double : TypeCode::Long;
    case OFTReal:
      return TypeCode::Double;
    default:
      return TypeCode::String;
  }
}

Json ValueOf(const OGRFeature& feature, int index) {
  if (!feature.IsFieldSetAndNotNull(index)) return nullptr;
  const OGRFieldDefn& field = *feature.GetFieldDefnRef(index);
  switch (field.GetType()) {
    case OFTInteger:
      if (field.GetSubType() == OFSTBoolean) return feature.GetFieldAsInteger(index) != 0;
      return feature.GetFieldAsInteger(index);
    case OFTInteger64:
      return static_cast<std::int64_t>(feature.GetFieldAsInteger64(index));
    case OFTReal:
      return feature.GetFieldAsDouble(index);
    default:
      return feature.GetFieldAsString(index);
  }
}

namespace {

Json Positions(const OGRSimpleCurve& curve) {
  Json positions = Json::array();
  for (int i = 0; i < curve.getNumPoints(); ++i)
    positions.push_back(Json::array({curve.getX(i), curve.getY(i)}));
  return positions;
}

Json PolygonRings(const OGRPolygon& polygon) {
  Json rings = Json::array();
  if (polygon.getExteriorRing() == nullptr) return rings;
  rings.push_back(Positions(*polygon.getExteriorRing()));
  for (int i = 0; i < polygon.getNumInteriorRings(); ++i)
    rings.push_back(Positions(*polygon.getInteriorRing(i)));
  return rings;
}

Json Typed(const char* type, Json coordinates) {
  return Json{{"type", type}, {"coordinates", std::move(coordinates)}};
}

}  // namespace

Json GeometryJson(const OGRGeometry* geometry) {
  if (geometry == nullptr || geometry->IsEmpty()) return nullptr;
  switch (wkbFlatten(geometry->getGeometryType())) {
    case wkbPoint: {
      const OGRPoint& p = *geometry->toPoint();
      return Typed("Point", Json::array({p.getX(), p.getY()}));
    }
    case wkbLineString:
      return Typed("LineString", Positions(*geometry->toLineString()));
    case wkbPolygon:
      return Typed("Polygon", PolygonRings(*geometry->toPolygon()));
    case wkbMultiPoint: {
      Json points = Json::array();
      for (const OGRPoint* p : *geometry->toMultiPoint())
        points.push_back(Json::array({p->getX(), p->getY()}));
      return Typed("MultiPoint", std::move(points));
    }
    case wkbMultiLineString: {
      Json lines = Json::array();
      for (const OGRLineString* l : *geometry->toMultiLineString()) lines.push_back(Positions(*l));
      return Typed("MultiLineString", std::move(lines));
    }
    case wkbMultiPolygon: {
      Json polygons = Json::array();
      for (const OGRPolygon* p : *geometry->toMultiPolygon()) polygons.push_back(PolygonRings(*p));
      return Typed("MultiPolygon", std::move(polygons));
    }
    case wkbGeometryCollection: {
      Json members = Json::array();
      for (const OGRGeometry* g : *geometry->toGeometryCollection()) {
        Json member = GeometryJson(g);
        if (!member.is_null()) members.push_back(std::move(member));
      }
      return Json{{"type", "GeometryCollection"}, {"geometries", std::move(members)}};
    }
    default:
      if (geometry->hasCurveGeometry()) {
        const std::unique_ptr<OGRGeometry> linear(geometry->getLinearGeometry());
        return GeometryJson(linear.get());
      }
      return nullptr;
  }
}

bool KindOfGeometryType(OGRwkbGeometryType type, ImportKind& kind) {
  switch (wkbFlatten(type)) {
    case wkbPoint:
    case wkbMultiPoint:
      kind = ImportKind::Point;
      return true;
    case wkbLineString:
    case wkbMultiLineString:
      kind = ImportKind::Line;
      return true;
    case wkbPolygon:
    case wkbMultiPolygon:
      kind = ImportKind::Region;
      return true;
    case wkbNone:
      kind = ImportKind::Table;
      return true;
    default:
      return false;
  }
}

}  // namespace terrix::ogr
