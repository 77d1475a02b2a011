// Between the terrix tool's model of a map file (shared type-code table, rings,
// JSON values and features) and OGR's fields, features and geometries.
#pragma once

#include <ogrsf_frmts.h>

#include <string>

#include "GeoJsonImport.h"
#include "VectorModel.h"

namespace terrix::ogr {

/// Adds the OGR field that shows a field of the file, typed by the shared table.
void AddFieldDefn(OGRFeatureDefn& defn, const FieldDesc& field);

/// Sets field `index` of the feature from a value that VectorFile::ReadValue
/// read for a field of type `typeCode`; a null value leaves the field null.
void SetFieldFromValue(OGRFeature& feature, int index, int typeCode, const Json& value);

/// The OGR geometry of an element: Point, LineString, or a Polygon (one group
/// of rings by the orientation rule) or MultiPolygon (several); null for a
/// table row or an element without vertices.
OGRGeometry* GeometryOf(const Shape& shape);

/// The type code a new field of the OGR type gets from the shared table:
/// integers 3 (or 5 when a value does not fit 32 bits), booleans 10, other
/// numbers 5, anything else a string (0) of its OGR text.
int TypeCodeForField(const OGRFieldDefn& field, bool valuesBeyondLong);

/// The value of field `index` as the feature writer takes it (null when unset).
Json ValueOf(const OGRFeature& feature, int index);

/// A GeoJSON geometry object with the geometry's x and y coordinates as
/// doubles (no text on the way, so no digit is lost); curves are linearised.
/// Null for a missing or empty geometry.
Json GeometryJson(const OGRGeometry* geometry);

/// The kind of file a layer geometry type makes; false for a type that does
/// not decide it (unknown, geometry collection).
bool KindOfGeometryType(OGRwkbGeometryType type, ImportKind& kind);

}  // namespace terrix::ogr
