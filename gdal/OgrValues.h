// Between the conversion layer's fields, values and shapes and OGR's: the
// OGR field that shows a field of a map file, the value an element gives an
// OGR feature, the geometry of an element, and the other way round for
// writing (OGR field types to declared types, OGR values and geometries to
// the feature writer's input).
#pragma once

#include <ogrsf_frmts.h>

#include <cstdint>
#include <string>

#include "MapReader.h"
#include "MapWriter.h"
#include "TypeTable.h"
#include "Value.h"

namespace Terrix::Ogr {

/// The name of the field that carries a point's note, in both directions.
constexpr const char* kNoteField = "terrix:note";

/// Adds the OGR field showing a field of the file: type and subtype from its
/// row of the type table, the width for text (bytes of the code page, at
/// least the number of characters).
void AddFieldDefn(OGRFeatureDefn& defn, const Convert::FieldDef& field);

/// Sets OGR field `index` from a value read from the file (a null value
/// makes the field null).
void SetFieldFromValue(OGRFeature& feature, int index, const Convert::Value& value);

/// The OGR geometry of an element: Point, LineString (MultiLineString for
/// several parts), Polygon, or MultiPolygon when its rings make several
/// polygons; null for an element without vertices.
OGRGeometry* GeometryOf(const Convert::ShapeView& shape);

/// How an OGR field goes to the feature writer.
struct FieldPlan {
  int writerField = -1;
  OGRFieldType type = OFTString;
  OGRFieldSubType subType = OFSTNone;
  bool asText = false;  // no form in the format (lists, wide strings): OGR's text of the value
};

/// The plan of a new OGR field: the declared type it is stored as.
FieldPlan PlanOf(const OGRFieldDefn& field, Convert::FieldType& declared);

/// Puts OGR field `index` of the feature, set and not null, into `out`. A
/// date-time with a time zone keeps its offset. Fractional seconds are kept
/// to the millisecond, the precision OGR itself gives them.
void ValueFromField(const OGRFeature& feature, int index, const FieldPlan& plan, Convert::Value& out);

/// Adds the parts of an OGR geometry to the writer's input: points, lines,
/// polygons as an outer ring and its holes; collections (and polyhedral
/// surfaces) add their members, curves are linearised. Z and M values are
/// flagged (the format drops them). Returns whether a curve was linearised.
bool AddGeometry(const OGRGeometry& geometry, Convert::GeometryInput& in);

/// The file kind a layer's geometry type gives; false for a type that does
/// not decide it (unknown, geometry collection): the first geometry decides.
bool KindOfGeometryType(OGRwkbGeometryType type, FileKind& kind);

}  // namespace Terrix::Ogr
