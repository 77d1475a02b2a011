#include "OgrValues.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace Terrix::Ogr {

using Convert::FieldType;
using Convert::GeometryInput;
using Convert::InputPart;
using Convert::OgrFieldSubType;
using Convert::OgrFieldType;
using Convert::Value;
using Convert::ValueKind;

// The type table names OGR's types by OGR's own numbers.
static_assert(static_cast<int>(OgrFieldType::Integer) == OFTInteger);
static_assert(static_cast<int>(OgrFieldType::Real) == OFTReal);
static_assert(static_cast<int>(OgrFieldType::String) == OFTString);
static_assert(static_cast<int>(OgrFieldType::Binary) == OFTBinary);
static_assert(static_cast<int>(OgrFieldType::Date) == OFTDate);
static_assert(static_cast<int>(OgrFieldType::Time) == OFTTime);
static_assert(static_cast<int>(OgrFieldType::DateTime) == OFTDateTime);
static_assert(static_cast<int>(OgrFieldType::Integer64) == OFTInteger64);
static_assert(static_cast<int>(OgrFieldSubType::None) == OFSTNone);
static_assert(static_cast<int>(OgrFieldSubType::Boolean) == OFSTBoolean);
static_assert(static_cast<int>(OgrFieldSubType::Int16) == OFSTInt16);
static_assert(static_cast<int>(OgrFieldSubType::Float32) == OFSTFloat32);

namespace {

// OGR's time zone flag for an offset from UTC: 100 is UTC, each step 15 minutes.
constexpr int kUtcFlag = 100;
constexpr int kMinutesPerFlagStep = 15;

float SecondsOf(const Convert::TimeParts& t) {
  return static_cast<float>(static_cast<double>(t.second) + static_cast<double>(t.nanosecond) * 1e-9);
}

void SetTime(Convert::TimeParts& t, int hour, int minute, float second) {
  t.hour = hour;
  t.minute = minute;
  // OGR keeps seconds as a float, exact to about a microsecond, and shows
  // them to the millisecond: that is the value. A rounding that would carry
  // into the next minute stays at .999 (a second of 60 is a leap second).
  if (!(second >= 0.0f && second < 61.0f)) {
    // No second of a valid time: the writer reports it as out of range.
    t.second = 61;
    t.nanosecond = 0;
    return;
  }
  long total = std::lround(static_cast<double>(second) * 1000.0);
  if (total >= 60000 && second < 60.0f) total = 59999;
  t.second = static_cast<int>(total / 1000);
  t.nanosecond = static_cast<std::uint32_t>(total % 1000) * 1000000u;
}

OGRLinearRing* RingOf(const Convert::ShapeView& shape, Convert::Range r) {
  auto* ring = new OGRLinearRing();
  ring->setPoints(r.size(), shape.x + r.begin, shape.y + r.begin);
  return ring;
}

OGRPolygon* PolygonOf(const Convert::ShapeView& shape, std::uint32_t first, std::uint32_t end) {
  auto polygon = std::make_unique<OGRPolygon>();
  for (std::uint32_t k = first; k < end; ++k) {
    const Convert::Range r = shape.parts[k];
    if (r.size() > 0) polygon->addRingDirectly(RingOf(shape, r));
  }
  return polygon->IsEmpty() ? nullptr : polygon.release();
}

void AddCurve(const OGRSimpleCurve& curve, InputPart kind, GeometryInput& in) {
  const int n = curve.getNumPoints();
  if (n <= 0) return;
  in.BeginPart(kind);
  double* x = nullptr;
  double* y = nullptr;
  in.AddVertices(static_cast<std::size_t>(n), x, y);
  curve.getPoints(x, sizeof(double), y, sizeof(double));
}

void AddPolygon(const OGRCurvePolygon& polygon, GeometryInput& in) {
  // Linear rings only here: curve polygons are linearised before.
  int k = 0;
  for (const OGRCurve* ring : polygon) {
    AddCurve(*ring->toSimpleCurve(), k++ == 0 ? InputPart::OuterRing : InputPart::InnerRing, in);
  }
}

bool Add(const OGRGeometry& g, GeometryInput& in) {
  if (g.Is3D()) in.hasZ = true;
  if (g.IsMeasured()) in.hasM = true;
  bool linearised = false;
  switch (wkbFlatten(g.getGeometryType())) {
    case wkbPoint: {
      const OGRPoint& p = *g.toPoint();
      if (p.IsEmpty()) break;
      in.BeginPart(InputPart::Point);
      in.AddVertex(p.getX(), p.getY());
      break;
    }
    case wkbLineString:
      AddCurve(*g.toLineString(), InputPart::Line, in);
      break;
    case wkbPolygon:
    case wkbTriangle:
      AddPolygon(*g.toPolygon(), in);
      break;
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
    case wkbMultiCurve:
    case wkbMultiSurface:
      for (const OGRGeometry* member : *g.toGeometryCollection()) linearised |= Add(*member, in);
      break;
    case wkbPolyhedralSurface:
    case wkbTIN:
      for (const OGRPolygon* member : *g.toPolyhedralSurface()) linearised |= Add(*member, in);
      break;
    case wkbCircularString:
    case wkbCompoundCurve:
    case wkbCurvePolygon: {
      const std::unique_ptr<OGRGeometry> linear(g.getLinearGeometry());
      if (linear) Add(*linear, in);
      linearised = true;
      break;
    }
    default:
      ++in.unsupportedParts;
      break;
  }
  return linearised;
}

}  // namespace

void AddFieldDefn(OGRFeatureDefn& defn, const Convert::FieldDef& field) {
  OGRFieldDefn ogr(field.name.c_str(), static_cast<OGRFieldType>(field.row->ogrType));
  ogr.SetSubType(static_cast<OGRFieldSubType>(field.row->ogrSubType));
  if (field.row->kind == ValueKind::Text && field.width > 0) ogr.SetWidth(field.width);
  defn.AddFieldDefn(&ogr);
}

void SetFieldFromValue(OGRFeature& feature, int index, const Value& v) {
  switch (v.kind) {
    case ValueKind::Null:
      feature.SetFieldNull(index);
      break;
    case ValueKind::Integer:
    case ValueKind::Bool:
      feature.SetField(index, static_cast<int>(v.integer));
      break;
    case ValueKind::Integer64:
      feature.SetField(index, static_cast<GIntBig>(v.integer));
      break;
    case ValueKind::Real:
      feature.SetField(index, v.real);
      break;
    case ValueKind::Text:
      feature.SetField(index, v.bytes.c_str());
      break;
    case ValueKind::Date:
      feature.SetField(index, v.date.year, v.date.month, v.date.day, 0, 0, 0.0f, 0);
      break;
    case ValueKind::Time:
      feature.SetField(index, 0, 0, 0, v.time.hour, v.time.minute, SecondsOf(v.time), 0);
      break;
    case ValueKind::DateTime: {
      const int zone = v.hasZone ? kUtcFlag + v.zoneMinutes / kMinutesPerFlagStep : 0;
      feature.SetField(index, v.date.year, v.date.month, v.date.day, v.time.hour, v.time.minute,
                       SecondsOf(v.time), zone);
      break;
    }
    case ValueKind::Binary:
      feature.SetField(index, static_cast<int>(v.bytes.size()), v.bytes.data());
      break;
  }
}

OGRGeometry* GeometryOf(const Convert::ShapeView& shape) {
  if (shape.vertexCount <= 0 || shape.parts.empty()) return nullptr;
  switch (shape.type) {
    case ShapeType::Point:
      if (shape.parts[0].size() <= 0) return nullptr;
      return new OGRPoint(shape.x[shape.parts[0].begin], shape.y[shape.parts[0].begin]);
    case ShapeType::Line: {
      if (shape.parts.size() == 1) {
        auto* line = new OGRLineString();
        line->setPoints(shape.parts[0].size(), shape.x + shape.parts[0].begin,
                        shape.y + shape.parts[0].begin);
        return line;
      }
      auto* lines = new OGRMultiLineString();
      for (const Convert::Range& r : shape.parts) {
        auto* line = new OGRLineString();
        line->setPoints(r.size(), shape.x + r.begin, shape.y + r.begin);
        lines->addGeometryDirectly(line);
      }
      return lines;
    }
    case ShapeType::Polygon: {
      const std::size_t polygons = shape.PolygonCount();
      if (polygons == 1) return PolygonOf(shape, shape.polygonStarts[0], shape.polygonStarts[1]);
      auto multi = std::make_unique<OGRMultiPolygon>();
      for (std::size_t k = 0; k < polygons; ++k) {
        OGRPolygon* polygon = PolygonOf(shape, shape.polygonStarts[k], shape.polygonStarts[k + 1]);
        if (polygon != nullptr) multi->addGeometryDirectly(polygon);
      }
      return multi->IsEmpty() ? nullptr : multi.release();
    }
    default:
      return nullptr;
  }
}

FieldPlan PlanOf(const OGRFieldDefn& field, FieldType& declared) {
  FieldPlan plan;
  plan.type = field.GetType();
  plan.subType = field.GetSubType();
  switch (plan.type) {
    case OFTInteger:
      declared = plan.subType == OFSTBoolean ? FieldType::Boolean
                 : plan.subType == OFSTInt16 ? FieldType::Int16
                                             : FieldType::Integer;
      break;
    case OFTInteger64:
      declared = FieldType::Integer64;
      break;
    case OFTReal:
      declared = plan.subType == OFSTFloat32 ? FieldType::Float32 : FieldType::Real;
      break;
    case OFTString:
      declared = FieldType::String;
      break;
    case OFTDate:
      declared = FieldType::Date;
      break;
    case OFTTime:
      declared = FieldType::Time;
      break;
    case OFTDateTime:
      declared = FieldType::DateTime;
      break;
    case OFTBinary:
      declared = FieldType::Binary;
      break;
    default:  // lists and wide strings
      declared = FieldType::String;
      plan.asText = true;
      break;
  }
  return plan;
}

void ValueFromField(const OGRFeature& feature, int index, const FieldPlan& plan, Value& out) {
  const OGRField& raw = *feature.GetRawFieldRef(index);
  if (plan.asText) {
    const char* text = feature.GetFieldAsString(index);
    out.SetText(text, std::strlen(text));
    return;
  }
  switch (plan.type) {
    case OFTInteger:
      if (plan.subType == OFSTBoolean)
        out.SetBool(raw.Integer != 0);
      else
        out.SetInteger(raw.Integer);
      break;
    case OFTInteger64:
      out.SetInteger(raw.Integer64, ValueKind::Integer64);
      break;
    case OFTReal:
      out.SetReal(raw.Real);
      break;
    case OFTString:
      out.SetText(raw.String, std::strlen(raw.String));
      break;
    case OFTBinary:
      out.SetBinary(raw.Binary.paData, static_cast<std::size_t>(std::max(raw.Binary.nCount, 0)));
      break;
    case OFTDate:
    case OFTTime:
    case OFTDateTime:
      out.kind = plan.type == OFTDate   ? ValueKind::Date
                 : plan.type == OFTTime ? ValueKind::Time
                                        : ValueKind::DateTime;
      out.date = Convert::DateParts{raw.Date.Year, raw.Date.Month, raw.Date.Day};
      SetTime(out.time, raw.Date.Hour, raw.Date.Minute, raw.Date.Second);
      out.hasZone = plan.type == OFTDateTime && raw.Date.TZFlag > 1;
      out.zoneMinutes = out.hasZone ? (raw.Date.TZFlag - kUtcFlag) * kMinutesPerFlagStep : 0;
      break;
    default: {
      const char* text = feature.GetFieldAsString(index);
      out.SetText(text, std::strlen(text));
      break;
    }
  }
}

bool AddGeometry(const OGRGeometry& geometry, GeometryInput& in) {
  return Add(geometry, in);
}

bool KindOfGeometryType(OGRwkbGeometryType type, FileKind& kind) {
  switch (wkbFlatten(type)) {
    case wkbPoint:
    case wkbMultiPoint:
      kind = FileKind::Point;
      return true;
    case wkbLineString:
    case wkbMultiLineString:
    case wkbCircularString:
    case wkbCompoundCurve:
    case wkbMultiCurve:
      kind = FileKind::Line;
      return true;
    case wkbPolygon:
    case wkbMultiPolygon:
    case wkbCurvePolygon:
    case wkbMultiSurface:
    case wkbPolyhedralSurface:
    case wkbTIN:
    case wkbTriangle:
      kind = FileKind::Region;
      return true;
    case wkbNone:
      kind = FileKind::Table;
      return true;
    default:
      return false;
  }
}

}  // namespace Terrix::Ogr
