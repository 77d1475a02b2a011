/// @file
/// The geometry container and the small value records that go with it.
#pragma once

#include <cstdint>

#include "terrix/Export.h"

/// Two doubles: element 0 is x, element 1 is y.
class TERRIX_API Vec2d {
 public:
  /// A pair of the given values.
  /// @param x Element 0.
  /// @param y Element 1.
  Vec2d(double x = 0.0, double y = 0.0) : v_{x, y} {}
  /// Throws the int 0 for any index other than 0 or 1 (negative ones included).
  /// @param index 0 for x, 1 for y.
  /// @return The element, for reading and writing.
  double& operator[](short index);
  /// As the non-const operator: throws the int 0 for any index other than 0 or 1.
  /// @param index 0 for x, 1 for y.
  /// @return The element.
  const double& operator[](short index) const;
  /// Copies both elements.
  /// @return This pair.
  Vec2d& operator=(const Vec2d&) = default;
  /// Does nothing.
  ~Vec2d() {}

 private:
  double v_[2];
};

/// Two floats, with the same indexing rule as Vec2d.
class TERRIX_API Vec2f {
 public:
  /// A pair of the given values.
  /// @param x Element 0.
  /// @param y Element 1.
  Vec2f(float x = 0.0f, float y = 0.0f) : v_{x, y} {}
  /// Throws the int 0 for any index other than 0 or 1 (negative ones included).
  /// @param index 0 for x, 1 for y.
  /// @return The element, for reading and writing.
  float& operator[](short index);
  /// As the non-const operator: throws the int 0 for any index other than 0 or 1.
  /// @param index 0 for x, 1 for y.
  /// @return The element.
  const float& operator[](short index) const;
  /// Copies both elements.
  /// @return This pair.
  Vec2f& operator=(const Vec2f&) = default;
  /// Does nothing.
  ~Vec2f() {}

 private:
  float v_[2];
};

namespace Terrix {

class Geometry;
/// Makes a new, empty container: type 0, id 0, no parts, no vertices, null
/// arrays and all bounds 0.0.
///
/// @return The container; release it with DestroyGeometry (or hold it in a
///         GeometryHolder). Never null: throws std::bad_alloc when memory is
///         exhausted.
TERRIX_API Geometry* CreateGeometry();
/// Releases the arrays of a container with free and leaves it empty: no
/// vertices, no parts, null arrays. Type, id and bounds stay as they are.
///
/// Call it after every element read, whether it succeeded or not, before the
/// container is given to the next read: the readers store fresh arrays in it
/// without releasing what it held.
///
/// @param geometry The container; null does nothing.
TERRIX_API void EmptyGeometry(Geometry* geometry);
/// Releases the arrays of a container (as EmptyGeometry) and the container itself.
///
/// @param geometry A container from CreateGeometry; null does nothing.
TERRIX_API void DestroyGeometry(Geometry* geometry);

/// A flat multi-part shape: one set of vertex arrays shared by all parts and a
/// table of part starts. Part k covers the vertices from partStart[k] up to,
/// not including, partStart[k + 1]; the last part ends at vertexCount.
///
/// Arrays come from calloc and are released with free (EmptyGeometry and
/// DestroyGeometry do so). Copy assignment copies the array pointers: the two
/// containers then share their arrays and only one may be emptied or destroyed.
///
/// A container is made only by CreateGeometry (or MakeGeometry) and destroyed
/// only by DestroyGeometry. A host may fill it itself for the writer and the
/// geometry functions; arrays it gives the container must then come from
/// calloc or malloc as well when EmptyGeometry or DestroyGeometry releases them.
///
/// What the readers put in it:
/// - a point: type 1, id -1, no parts (partCount 0, the part arrays left as
///   they were), one vertex, z and m 0.0, every bound that vertex's;
/// - a line: type 3, id -1, one part of kind 5 starting at 0, z and m 0.0,
///   the x and y bounds of its points;
/// - a polygon: type 5, id -1, one part per ring (the first of kind 5, the
///   further ones of kind 3), z and m 0.0, the x and y bounds of its points.
/// The z and m bounds of lines and polygons are left as they were. With no vertex the
/// x and y bounds keep their start values, 1.79769313486232e307 for the
/// minima and its negative for the maxima.
class TERRIX_API Geometry {
 public:
  /// Shape type: one of the ShapeType values.
  std::int32_t type;  // 1 point, 3 line, 5 polygon, 0 no shape
  /// Identifier, free for the host; readers set -1.
  std::int32_t id;    // readers set -1
  /// Number of parts: entries of partStart and partType.
  std::int32_t partCount;
  /// First vertex of each part (partCount entries).
  std::int32_t* partStart;
  /// Ring kind of each part (partCount entries): one of the PartKind values.
  std::int32_t* partType;  // 5 ring, 3 inner ring, 2 further outer ring
  /// Number of vertices: entries of x, y, z and m.
  std::int32_t vertexCount;
  /// The x coordinates (vertexCount entries).
  double* x;
  /// The y coordinates (vertexCount entries).
  double* y;
  /// The z values (vertexCount entries); the readers fill them with 0.0.
  double* z;
  /// The measures (vertexCount entries); the readers fill them with 0.0.
  double* m;
  /// The lower bound of x.
  double minX, minY, minZ, minM;
  /// The upper bound of x.
  double maxX, maxY, maxZ, maxM;
  /// @var minY
  /// The lower bound of y.
  /// @var minZ
  /// The lower bound of z.
  /// @var minM
  /// The lower bound of m.
  /// @var maxY
  /// The upper bound of y.
  /// @var maxZ
  /// The upper bound of z.
  /// @var maxM
  /// The upper bound of m.

  /// Copies every field, the array pointers included: the two containers then
  /// share their arrays, and only one of them may be emptied or destroyed.
  /// @return This container.
  Geometry& operator=(const Geometry&) = default;

 private:
  Geometry() {}
  Geometry(const Geometry&) = default;
  ~Geometry() {}
  friend TERRIX_API Geometry* CreateGeometry();
  friend TERRIX_API void DestroyGeometry(Geometry* geometry);
};

/// Ring kinds of Geometry::partType.
namespace PartKind {
/// A ring: the first ring of a polygon, or the one part of a line.
constexpr std::int32_t Ring = 5;
/// A further ring of a polygon (a hole).
constexpr std::int32_t InnerRing = 3;
/// A further outer ring: the writer skips such a part (Result::PartSkipped).
constexpr std::int32_t OuterRing = 2;
}  // namespace PartKind

/// Shape types of Geometry::type.
namespace ShapeType {
/// No shape.
constexpr std::int32_t None = 0;
/// A point.
constexpr std::int32_t Point = 1;
/// A line.
constexpr std::int32_t Line = 3;
/// A polygon.
constexpr std::int32_t Polygon = 5;
}  // namespace ShapeType

#pragma pack(push, 1)

/// One point of a well-known-binary record: x then y, as stored in the files.
struct Point2D {
  /// The x coordinate.
  double x;
  /// The y coordinate.
  double y;
};

/// One ring of a well-known-binary polygon. The library does not fill rings:
/// Terrix_FastReader::ReadPolygonWKB leaves WKBPolygon::rings as it was.
struct LinearRing {
  /// Number of points.
  std::uint32_t numPoints;
  /// The points.
  Point2D* points;
};

/// A point as a well-known-binary record, filled by Terrix_FastReader::ReadPointWKB.
///
/// These records are packed structs in memory, not byte streams. byteOrder is
/// 0 in every record the library fills, yet every number of the record
/// (wkbType, the counts and the doubles) is in the machine's little-endian
/// order. In the usual well-known-binary encoding 0 announces big-endian
/// numbers: a host that serialises a record must write the byte order 1 for
/// these little-endian numbers, or swap them.
struct WKBPoint {
  /// 0 in every record the library fills, although the numbers are little-endian.
  std::uint8_t byteOrder;
  /// 1 (point).
  std::uint32_t wkbType;  // 1
  /// The point.
  Point2D point;
};

/// `points` is allocated with calloc by the reader and belongs to the caller (free it).
///
/// Filled by Terrix_FastReader::ReadArcWKB. byteOrder is 0, although the
/// numbers are little-endian (see WKBPoint).
struct WKBLineString {
  /// 0 in every record the library fills, although the numbers are little-endian.
  std::uint8_t byteOrder;
  /// 2 (line string).
  std::uint32_t wkbType;  // 2
  /// Number of points.
  std::uint32_t numPoints;
  /// numPoints points from calloc; the caller frees them with free.
  Point2D* points;
};

/// A polygon as a well-known-binary record, filled by
/// Terrix_FastReader::ReadPolygonWKB with its ring count only. byteOrder is
/// 0, although the numbers are little-endian (see WKBPoint).
struct WKBPolygon {
  /// 0 in every record the library fills, although the numbers are little-endian.
  std::uint8_t byteOrder;
  /// 3 (polygon).
  std::uint32_t wkbType;  // 3
  /// Number of rings.
  std::uint32_t numRings;
  /// The rings; the library neither fills nor allocates them.
  LinearRing* rings;
};

#pragma pack(pop)

static_assert(sizeof(Point2D) == 16);
static_assert(sizeof(WKBPoint) == 21);
static_assert(sizeof(WKBLineString) == 9 + sizeof(void*));
static_assert(sizeof(WKBPolygon) == 9 + sizeof(void*));

/// A shift and a factor for OffsetGeometry.
struct D_3DOT {
  /// Added to x after the scaling.
  double x;
  /// Added to y after the scaling.
  double y;
  /// The factor x and y are multiplied by first.
  double z;
};

}  // namespace Terrix
