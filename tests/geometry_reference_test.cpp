// The measures and ring-order checks against GEOS on the Natural Earth countries (public
// domain, data/naturalearth/, read with shapelib), each ring as stored and listed backwards.
#include <geos_c.h>
#include <gtest/gtest.h>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "GeometryHelpers.h"
#include "terrix/Functions.h"

using namespace testing_geometry;

namespace {

std::vector<std::vector<XY>> ReadCountryRings() {
  const std::string path = std::string(TERRIX_SOURCE_DIR) + "/data/naturalearth/naturalearth_lowres";
  std::vector<std::vector<XY>> rings;
  SHPHandle shp = SHPOpen(path.c_str(), "rb");
  int count = 0;
  if (shp != nullptr) SHPGetInfo(shp, &count, nullptr, nullptr, nullptr);
  for (int i = 0; i < count; ++i) {
    SHPObject* obj = SHPReadObject(shp, i);
    for (int k = 0; obj != nullptr && k < obj->nParts; ++k) {
      const int end = (k + 1 < obj->nParts) ? obj->panPartStart[k + 1] : obj->nVertices;
      std::vector<XY> ring;
      for (int v = obj->panPartStart[k]; v < end; ++v) ring.push_back({obj->padfX[v], obj->padfY[v]});
      rings.emplace_back(ring.rbegin(), ring.rend());
      rings.push_back(std::move(ring));
    }
    SHPDestroyObject(obj);
  }
  if (shp != nullptr) SHPClose(shp);
  return rings;
}

// GEOS's length, orientation and signed area (counter-clockwise positive) of a ring, and
// the rounding bound of a shoelace sum over it, below which a sliver has no relative error.
struct Reference {
  double area = 0.0, length = -1.0, bound = 0.0;
  char ccw = 0;
};
Reference Measure(GEOSContextHandle_t ctx, const std::vector<XY>& points) {
  GEOSCoordSequence* seq = GEOSCoordSeq_create_r(ctx, static_cast<unsigned>(points.size()), 2);
  Reference r;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const XY &a = points[i], &b = points[(i + 1) % points.size()];
    GEOSCoordSeq_setXY_r(ctx, seq, static_cast<unsigned>(i), a.x, a.y);
    r.bound += 2.0 * points.size() * std::numeric_limits<double>::epsilon() *
               (std::fabs(a.x * b.y) + std::fabs(b.x * a.y));
  }
  GEOSCoordSeq_isCCW_r(ctx, seq, &r.ccw);
  GEOSGeometry* line = GEOSGeom_createLineString_r(ctx, GEOSCoordSeq_clone_r(ctx, seq));
  GEOSLength_r(ctx, line, &r.length);
  GEOSGeometry* polygon = GEOSGeom_createPolygon_r(ctx, GEOSGeom_createLinearRing_r(ctx, seq), nullptr, 0);
  GEOSArea_r(ctx, polygon, &r.area);
  GEOSGeom_destroy_r(ctx, line), GEOSGeom_destroy_r(ctx, polygon);
  r.area = r.ccw ? r.area : -r.area;
  return r;
}

TEST(ReferenceMeasures, RingsOfNaturalEarthCountries) {
  const std::vector<std::vector<XY>> rings = ReadCountryRings();
  ASSERT_GT(rings.size(), 400u) << "data/naturalearth/naturalearth_lowres.shp not read";
  GEOSContextHandle_t ctx = GEOS_init_r();
  for (std::size_t r = 0; r < rings.size(); ++r) {
    const Reference ref = Measure(ctx, rings[r]);
    auto ring = MakeGeometry(Terrix::ShapeType::Polygon, rings[r], {0});
    const double area = Terrix::GetGeoArea(ring.get());
    EXPECT_LE(std::fabs(area - ref.area), std::max(1e-9 * std::fabs(ref.area), ref.bound)) << r;
    EXPECT_LE(std::fabs(Terrix::GetGeoLength(ring.get()) - ref.length), 1e-9 * ref.length) << r;
    EXPECT_LE(std::fabs(Terrix::GetGeoPerimeter(ring.get()) - ref.length), 1e-9 * ref.length) << r;
    // As the only ring, a counter-clockwise ring is out of order and is reversed.
    EXPECT_EQ(Terrix::CheckUnRingOrder(ring.get()), ref.ccw != 0) << r;
    Terrix::FixGeoTopo(ring.get());
    EXPECT_EQ(Measure(ctx, VerticesOf(*ring)).ccw, 0) << r;
  }
  GEOS_finish_r(ctx);
}

}  // namespace
