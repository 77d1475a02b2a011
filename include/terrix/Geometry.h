// The geometry container and the small value records that go with it.
#pragma once

#include <cstdint>

#include "terrix/Export.h"

/// Two doubles: element 0 is x, element 1 is y.
class TERRIX_API Vec2d {
 public:
  Vec2d(double x = 0.0, double y = 0.0) : v_{x, y} {}
  /// Throws the int 0 for any index other than 0 or 1 (negative ones included).
  double& operator[](short index);
  const double& operator[](short index) const;
  Vec2d& operator=(const Vec2d&) = default;
  ~Vec2d() {}

 private:
  double v_[2];
};

/// Two floats, with the same indexing rule as Vec2d.
class TERRIX_API Vec2f {
 public:
  Vec2f(float x = 0.0f, float y = 0.0f) : v_{x, y} {}
  float& operator[](short index);
  const float& operator[](short index) const;
  Vec2f& operator=(const Vec2f&) = default;
  ~Vec2f() {}

 private:
  float v_[2];
};

namespace Terrix {

class Geometry;
TERRIX_API Geometry* CreateGeometry();
TERRIX_API void EmptyGeometry(Geometry* geometry);
TERRIX_API void DestroyGeometry(Geometry* geometry);

/// A flat multi-part shape: one set of vertex arrays shared by all parts and a
/// table of part starts. Part k covers the vertices from partStart[k] up to,
/// not including, partStart[k + 1]; the last part ends at vertexCount.
///
/// Arrays come from calloc and are released with free (EmptyGeometry and
/// DestroyGeometry do so). Copy assignment copies the array pointers: the two
/// containers then share their arrays and only one may be emptied or destroyed.
class TERRIX_API Geometry {
 public:
  std::int32_t type;  // 1 point, 3 line, 5 polygon, 0 no shape
  std::int32_t id;    // readers set -1
  std::int32_t partCount;
  std::int32_t* partStart;
  std::int32_t* partType;  // 5 ring, 3 inner ring, 2 further outer ring
  std::int32_t vertexCount;
  double* x;
  double* y;
  double* z;
  double* m;
  double minX, minY, minZ, minM;
  double maxX, maxY, maxZ, maxM;

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
constexpr std::int32_t Ring = 5;
constexpr std::int32_t InnerRing = 3;
constexpr std::int32_t OuterRing = 2;
}  // namespace PartKind

/// Shape types of Geometry::type.
namespace ShapeType {
constexpr std::int32_t None = 0;
constexpr std::int32_t Point = 1;
constexpr std::int32_t Line = 3;
constexpr std::int32_t Polygon = 5;
}  // namespace ShapeType

#pragma pack(push, 1)

struct Point2D {
  double x;
  double y;
};

struct LinearRing {
  std::uint32_t numPoints;
  Point2D* points;
};

struct WKBPoint {
  std::uint8_t byteOrder;
  std::uint32_t wkbType;  // 1
  Point2D point;
};

/// `points` is allocated with calloc by the reader and belongs to the caller (free it).
struct WKBLineString {
  std::uint8_t byteOrder;
  std::uint32_t wkbType;  // 2
  std::uint32_t numPoints;
  Point2D* points;
};

struct WKBPolygon {
  std::uint8_t byteOrder;
  std::uint32_t wkbType;  // 3
  std::uint32_t numRings;
  LinearRing* rings;
};

#pragma pack(pop)

static_assert(sizeof(Point2D) == 16);
static_assert(sizeof(WKBPoint) == 21);
static_assert(sizeof(WKBLineString) == 9 + sizeof(void*));
static_assert(sizeof(WKBPolygon) == 9 + sizeof(void*));

struct D_3DOT {
  double x;
  double y;
  double z;
};

}  // namespace Terrix
