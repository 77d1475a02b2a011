// The measures and ring-order checks compared, ring by ring, with an independent
// implementation (GEOS) on real data: the Natural Earth countries (public domain),
// read with shapelib from data/naturalearth/.

#include <geos_c.h>
#include <gtest/gtest.h>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>

#include "GeometryHelpers.h"
#include "terrix/Functions.h"

using namespace testing_geometry;

namespace {

constexpr double kRelative = 1e-9;

// Every ring of every country, as stored.
std::vector<std::vector<XY>> ReadCountryRings() {
  const std::string path = std::string(TERRIX_SOURCE_DIR) + "/data/naturalearth/naturalearth_lowres";
  std::vector<std::vector<XY>> rings;
  SHPHandle shp = SHPOpen(path.c_str(), "rb");
  if (shp == nullptr) return rings;
  int count = 0;
  SHPGetInfo(shp, &count, nullptr, nullptr, nullptr);
  for (int i = 0; i < count; ++i) {
    SHPObject* obj = SHPReadObject(shp, i);
    if (obj == nullptr) continue;
    for (int k = 0; k < obj->nParts; ++k) {
      const int end = (k + 1 < obj->nParts) ? obj->panPartStart[k + 1] : obj->nVertices;
      std::vector<XY>& ring = rings.emplace_back();
      for (int v = obj->panPartStart[k]; v < end; ++v) ring.push_back({obj->padfX[v], obj->padfY[v]});
    }
    SHPDestroyObject(obj);
  }
  SHPClose(shp);
  return rings;
}

void IgnoreMessage(const char*, void*) {}

// A GEOS context for one test, with its own geometries released on the way out.
class Geos {
 public:
  Geos() : ctx_(GEOS_init_r()) {
    GEOSContext_setNoticeMessageHandler_r(ctx_, IgnoreMessage, nullptr);
    GEOSContext_setErrorMessageHandler_r(ctx_, IgnoreMessage, nullptr);
  }
  ~Geos() { GEOS_finish_r(ctx_); }
  Geos(const Geos&) = delete;
  Geos& operator=(const Geos&) = delete;

  GEOSCoordSequence* Sequence(const std::vector<XY>& points) const {
    GEOSCoordSequence* seq = GEOSCoordSeq_create_r(ctx_, static_cast<unsigned>(points.size()), 2);
    for (std::size_t i = 0; i < points.size(); ++i) {
      GEOSCoordSeq_setXY_r(ctx_, seq, static_cast<unsigned>(i), points[i].x, points[i].y);
    }
    return seq;
  }

  // Signed area: GEOS gives the magnitude, the orientation gives the sign
  // (counter-clockwise positive).
  bool SignedArea(const std::vector<XY>& points, double* area, bool* ccw) const {
    GEOSCoordSequence* seq = Sequence(points);
    char isCcw = 0;
    if (GEOSCoordSeq_isCCW_r(ctx_, seq, &isCcw) != 1) {
      GEOSCoordSeq_destroy_r(ctx_, seq);
      return false;
    }
    GEOSGeometry* shell = GEOSGeom_createLinearRing_r(ctx_, seq);
    if (shell == nullptr) return false;
    GEOSGeometry* polygon = GEOSGeom_createPolygon_r(ctx_, shell, nullptr, 0);
    double magnitude = 0.0;
    const bool ok = GEOSArea_r(ctx_, polygon, &magnitude) == 1;
    GEOSGeom_destroy_r(ctx_, polygon);
    *ccw = isCcw != 0;
    *area = *ccw ? magnitude : -magnitude;
    return ok;
  }

  double PathLength(const std::vector<XY>& points) const {
    GEOSGeometry* line = GEOSGeom_createLineString_r(ctx_, Sequence(points));
    double length = -1.0;
    GEOSLength_r(ctx_, line, &length);
    GEOSGeom_destroy_r(ctx_, line);
    return length;
  }

 private:
  GEOSContextHandle_t ctx_;
};

// Rounding bound of a shoelace sum over the ring: the products it adds are each
// off by half an ulp, and the running sum by one per step. A ring whose area is
// not well above this bound (a sliver of a few ulps) has no meaningful relative
// error, and is compared against the bound instead.
double ShoelaceRoundingBound(const std::vector<XY>& pts) {
  double products = 0.0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const XY& a = pts[i];
    const XY& b = pts[(i + 1) % pts.size()];
    products += std::fabs(a.x * b.y) + std::fabs(b.x * a.y);
  }
  return 2.0 * static_cast<double>(pts.size()) * std::numeric_limits<double>::epsilon() * products;
}

double Relative(double a, double b, double scale) {
  return std::fabs(a - b) / std::max(scale, std::numeric_limits<double>::min());
}

}  // namespace

TEST(ReferenceMeasures, RingsOfNaturalEarthCountries) {
  const std::vector<std::vector<XY>> stored = ReadCountryRings();
  ASSERT_GT(stored.size(), 200u) << "data/naturalearth/naturalearth_lowres.shp not read";
  Geos geos;
  std::size_t rings = 0, slivers = 0;
  double worstArea = 0.0, worstLength = 0.0;
  for (std::size_t r = 0; r < stored.size(); ++r) {
    // Each ring as stored and listed backwards, so both orientations are met.
    for (const std::vector<XY>& pts : {stored[r], std::vector<XY>(stored[r].rbegin(), stored[r].rend())}) {
      double reference = 0.0;
      bool ccw = false;
      ASSERT_TRUE(geos.SignedArea(pts, &reference, &ccw)) << r;
      auto ring = MakeGeometry(Terrix::ShapeType::Polygon, pts, {0});

      const double area = Terrix::GetGeoArea(ring.get());
      const double bound = ShoelaceRoundingBound(pts);
      if (std::fabs(reference) > 1e3 * bound) {
        const double areaError = Relative(area, reference, std::fabs(reference));
        EXPECT_LE(areaError, kRelative) << "ring " << r << ": " << area << " vs " << reference;
        worstArea = std::max(worstArea, areaError);
      } else {
        EXPECT_LE(std::fabs(area - reference), bound) << "ring " << r;
        ++slivers;
      }
      const double length = geos.PathLength(pts);
      const double lengthError = std::max(Relative(Terrix::GetGeoLength(ring.get()), length, length),
                                          Relative(Terrix::GetGeoPerimeter(ring.get()), length, length));
      EXPECT_LE(lengthError, kRelative) << "ring " << r;
      worstLength = std::max(worstLength, lengthError);

      // As the only ring, a counter-clockwise ring is out of order and is reversed.
      EXPECT_EQ(Terrix::CheckUnRingOrder(ring.get()), ccw) << "ring " << r;
      Terrix::FixGeoTopo(ring.get());
      ASSERT_TRUE(geos.SignedArea(VerticesOf(*ring), &reference, &ccw));
      EXPECT_FALSE(ccw) << "ring " << r;
      EXPECT_EQ(Terrix::CheckUnclosedRing(ring.get(), 0.0), 0);
      ++rings;
    }
  }
  std::printf(
      "compared %zu rings (%zu slivers within the rounding bound); worst relative error: area %.3g, "
      "length %.3g\n",
      rings, slivers, worstArea, worstLength);
  EXPECT_LT(slivers, 10u);
}
