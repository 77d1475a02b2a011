#include "Shape.h"

#include <algorithm>
#include <cmath>

namespace Terrix::Convert {

double RingSignedArea(const double* x, const double* y, Range ring) {
  const std::int32_t n = ring.size();
  if (n < 3) return 0.0;
  // Coordinates relative to the first vertex keep the products small, so the
  // sign survives for rings far from the origin.
  const double x0 = x[ring.begin], y0 = y[ring.begin];
  double sum = 0.0;
  for (std::int32_t i = ring.begin + 1; i + 1 < ring.end; ++i)
    sum += (x[i] - x0) * (y[i + 1] - y0) - (x[i + 1] - x0) * (y[i] - y0);
  return 0.5 * sum;
}

void GroupRings(const double* x, const double* y, const std::vector<Range>& rings,
                std::vector<std::uint32_t>& starts) {
  starts.clear();
  if (rings.empty()) return;
  const bool firstClockwise = RingSignedArea(x, y, rings[0]) < 0;
  starts.push_back(0);
  for (std::size_t i = 1; i < rings.size(); ++i)
    if ((RingSignedArea(x, y, rings[i]) < 0) == firstClockwise)
      starts.push_back(static_cast<std::uint32_t>(i));
  starts.push_back(static_cast<std::uint32_t>(rings.size()));
}

void ViewGeometry(const Geometry& g, ShapeView& out) {
  out.type = g.type;
  out.x = g.x;
  out.y = g.y;
  const std::int32_t n = g.x != nullptr && g.y != nullptr ? std::max(0, g.vertexCount) : 0;
  out.vertexCount = n;
  out.parts.clear();
  out.polygonStarts.clear();
  if (g.partCount <= 0 || g.partStart == nullptr) {
    if (n > 0) out.parts.push_back({0, n});
  } else {
    for (std::int32_t k = 0; k < g.partCount; ++k) {
      const std::int32_t begin = std::clamp(g.partStart[k], 0, n);
      const std::int32_t end = std::clamp(k + 1 < g.partCount ? g.partStart[k + 1] : n, begin, n);
      out.parts.push_back({begin, end});
    }
  }
  if (g.type == ShapeType::Polygon) GroupRings(out.x, out.y, out.parts, out.polygonStarts);
}

void GeometryInput::Clear() {
  x_.clear();
  y_.clear();
  kinds_.clear();
  starts_.clear();
  hasZ = hasM = false;
  unsupportedParts = 0;
}

void GeometryInput::BeginPart(InputPart kind) {
  kinds_.push_back(kind);
  starts_.push_back(static_cast<std::int32_t>(x_.size()));
}

void GeometryInput::AddVertices(std::size_t n, double*& x, double*& y) {
  const std::size_t at = x_.size();
  x_.resize(at + n);
  y_.resize(at + n);
  x = x_.data() + at;
  y = y_.data() + at;
}

GeometryInput::Part GeometryInput::PartAt(std::size_t k) const {
  const auto end = k + 1 < starts_.size() ? starts_[k + 1] : static_cast<std::int32_t>(x_.size());
  return Part{kinds_[k], Range{starts_[k], end}};
}

bool GeometryInput::Has(InputPart kind) const {
  return std::find(kinds_.begin(), kinds_.end(), kind) != kinds_.end();
}

BorrowedGeometry::BorrowedGeometry() : g_(CreateGeometry()) {}

BorrowedGeometry::~BorrowedGeometry() {
  // The arrays belong to the ElementShape last lent: the container forgets them.
  g_->partStart = g_->partType = nullptr;
  g_->x = g_->y = nullptr;
  DestroyGeometry(g_);
}

const Geometry& BorrowedGeometry::Lend(std::int32_t shapeType, ElementShape& shape) {
  g_->type = shapeType;
  g_->id = -1;
  g_->vertexCount = static_cast<std::int32_t>(shape.x.size());
  g_->x = shape.x.data();
  g_->y = shape.y.data();
  g_->partCount = static_cast<std::int32_t>(shape.partStart.size());
  g_->partStart = shape.partStart.data();
  g_->partType = shape.partType.data();
  return *g_;
}

const char* PartProblemText(PartProblem problem) {
  switch (problem) {
    case PartProblem::None:
      return "no problem";
    case PartProblem::NotFinite:
      return "a coordinate that is not a finite number (NaN or infinite)";
    case PartProblem::TooFewPoints:
      return "too few points (a line needs 2, a ring 4 with its closing point)";
    case PartProblem::NoArea:
      return "a ring without area";
  }
  return "a problem";
}

namespace {

bool AllFinite(const double* x, const double* y, Range r) {
  for (std::int32_t i = r.begin; i < r.end; ++i)
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return false;
  return true;
}

}  // namespace

PartProblem CheckLine(const double* x, const double* y, Range part) {
  if (!AllFinite(x, y, part)) return PartProblem::NotFinite;
  return part.size() < 2 ? PartProblem::TooFewPoints : PartProblem::None;
}

PartProblem CheckRing(const double* x, const double* y, Range part, bool& unclosed) {
  const std::int32_t n = part.size();
  unclosed = !(n > 0 && x[part.begin] == x[part.end - 1] && y[part.begin] == y[part.end - 1]);
  if (!AllFinite(x, y, part)) return PartProblem::NotFinite;
  return n + (unclosed ? 1 : 0) < 4 ? PartProblem::TooFewPoints : PartProblem::None;
}

PartProblem AppendRing(const GeometryInput& in, Range part, bool clockwise, ElementShape& out, bool& closed) {
  const double* x = in.X();
  const double* y = in.Y();
  const PartProblem problem = CheckRing(x, y, part, closed);
  if (problem != PartProblem::None) return problem;
  const std::int32_t n = part.size();
  const bool isClosed = !closed;
  const double area = RingSignedArea(x, y, part);
  if (area == 0.0) return PartProblem::NoArea;
  const bool reverse = (area < 0) != clockwise;

  const auto start = static_cast<std::int32_t>(out.x.size());
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t k = reverse ? part.end - 1 - i : part.begin + i;
    out.x.push_back(x[k]);
    out.y.push_back(y[k]);
  }
  if (!isClosed) {
    out.x.push_back(out.x[static_cast<std::size_t>(start)]);
    out.y.push_back(out.y[static_cast<std::size_t>(start)]);
  }
  // Reversal sums the same products in another order: a ring whose area is
  // lost in rounding may not come out as wanted, and is refused as without area.
  const Range written{start, static_cast<std::int32_t>(out.x.size())};
  if ((RingSignedArea(out.x.data(), out.y.data(), written) < 0) != clockwise) {
    out.x.resize(static_cast<std::size_t>(start));
    out.y.resize(static_cast<std::size_t>(start));
    return PartProblem::NoArea;
  }
  out.partStart.push_back(start);
  out.partType.push_back(out.partType.empty() ? Terrix::PartKind::Ring : Terrix::PartKind::InnerRing);
  return PartProblem::None;
}

}  // namespace Terrix::Convert

namespace Terrix::Convert {

bool PointInRing(double px, double py, const double* x, const double* y, Range ring) {
  bool inside = false;
  for (std::int32_t i = ring.begin, j = ring.end - 1; i < ring.end; j = i++) {
    if ((y[i] > py) != (y[j] > py) && px < (x[j] - x[i]) * (py - y[i]) / (y[j] - y[i]) + x[i])
      inside = !inside;
  }
  return inside;
}

RingOrder ClassifyRingOrder(const ShapeView& shape) {
  if (shape.parts.empty()) return RingOrder::InOrder;
  if (RingSignedArea(shape.x, shape.y, shape.parts[0]) > 0) return RingOrder::AgainstOrder;
  RingOrder order = RingOrder::InOrder;
  std::vector<std::size_t> outers = {0};
  for (std::size_t k = 1; k < shape.parts.size(); ++k) {
    const Range ring = shape.parts[k];
    if (ring.size() == 0 || !(RingSignedArea(shape.x, shape.y, ring) < 0)) continue;
    const double px = shape.x[ring.begin], py = shape.y[ring.begin];
    for (std::size_t o : outers)
      if (PointInRing(px, py, shape.x, shape.y, shape.parts[o])) return RingOrder::AgainstOrder;
    outers.push_back(k);
    order = RingOrder::SeveralOuterRings;
  }
  return order;
}

}  // namespace Terrix::Convert
