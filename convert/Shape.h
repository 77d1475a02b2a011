// Element geometry on both sides of a conversion. Reading: views into the
// reader's container, polygons grouped from their rings by orientation.
// Writing: parts gathered from a client's geometry, checked, closed and
// oriented the format's way so that reading groups them back exactly.
//
// The format's ring order: the first ring of a polygon runs clockwise, its
// holes counter-clockwise. An element may hold several polygons, one after
// another: a ring that runs the way the element's first ring runs starts the
// next polygon, any other ring is a hole of the polygon before it.
#pragma once

#include <TerrixLib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Terrix::Convert {

/// Vertices [begin, end) of a container.
struct Range {
  std::int32_t begin = 0;
  std::int32_t end = 0;
  std::int32_t size() const { return end - begin; }
};

/// The signed area of a closed or unclosed ring (the closing edge is
/// implied): negative when it runs clockwise, the orientation of a first ring.
double RingSignedArea(const double* x, const double* y, Range ring);

/// The polygons of an element's rings: polygon k holds rings
/// [starts[k], starts[k + 1]); `starts` ends with the ring count.
void GroupRings(const double* x, const double* y, const std::vector<Range>& rings,
                std::vector<std::uint32_t>& starts);

/// An element's shape as a reader gives it, pointing into the reader's
/// container (valid until the next read).
struct ShapeView {
  std::int32_t type = ShapeType::None;
  const double* x = nullptr;
  const double* y = nullptr;
  std::int32_t vertexCount = 0;
  std::vector<Range> parts;                  // a point has one part of one vertex
  std::vector<std::uint32_t> polygonStarts;  // polygons only, as GroupRings gives them

  std::size_t PolygonCount() const { return polygonStarts.empty() ? 0 : polygonStarts.size() - 1; }
  /// Back to no shape, keeping the capacity of the part lists for the next read.
  void Clear() {
    type = ShapeType::None;
    x = y = nullptr;
    vertexCount = 0;
    parts.clear();
    polygonStarts.clear();
  }
};

/// Views the container a reader filled: part ranges outside the arrays are cut
/// to them, and a polygon's rings are grouped.
void ViewGeometry(const Geometry& g, ShapeView& out);

/// What a part of a client's geometry is.
enum class InputPart : std::uint8_t { Point, Line, OuterRing, InnerRing };

/// A client's geometry, gathered part by part: points, lines, and polygons as
/// an outer ring followed by its holes. Collections add their members' parts.
class GeometryInput {
 public:
  void Clear();
  void BeginPart(InputPart kind);
  void AddVertex(double x, double y) {
    x_.push_back(x);
    y_.push_back(y);
  }
  /// Appends n vertices to the current part; the caller fills them through
  /// the two pointers (valid until the next call).
  void AddVertices(std::size_t n, double*& x, double*& y);
  /// Z or M values were given (the format keeps x and y only).
  bool hasZ = false;
  bool hasM = false;
  /// Parts of a kind no map file holds (curves the client did not linearise).
  std::size_t unsupportedParts = 0;

  struct Part {
    InputPart kind;
    Range range;
  };
  std::size_t PartCount() const { return kinds_.size(); }
  Part PartAt(std::size_t k) const;
  bool Has(InputPart kind) const;
  bool Empty() const { return kinds_.empty(); }
  const double* X() const { return x_.data(); }
  const double* Y() const { return y_.data(); }

 private:
  std::vector<double> x_, y_;
  std::vector<InputPart> kinds_;
  std::vector<std::int32_t> starts_;
};

/// One element ready for the writer: flat arrays in the container's layout,
/// lent to a library container for the call (BorrowedGeometry).
struct ElementShape {
  std::vector<double> x, y;
  std::vector<std::int32_t> partStart, partType;
  void Clear() {
    x.clear();
    y.clear();
    partStart.clear();
    partType.clear();
  }
};

/// A library container whose arrays point into an ElementShape while it
/// lives; it never releases them.
class BorrowedGeometry {
 public:
  BorrowedGeometry();
  ~BorrowedGeometry();
  BorrowedGeometry(const BorrowedGeometry&) = delete;
  BorrowedGeometry& operator=(const BorrowedGeometry&) = delete;
  const Geometry& Lend(std::int32_t shapeType, ElementShape& shape);

 private:
  Geometry* g_;
};

/// What preparing a part found wrong, for the message that names it.
enum class PartProblem : std::uint8_t { None, NotFinite, TooFewPoints, NoArea };
const char* PartProblemText(PartProblem problem);

/// Checks a part as a line (finite coordinates, at least two vertices) or as
/// a ring (finite, at least four vertices with the closing one, which
/// `unclosed` says is missing).
PartProblem CheckLine(const double* x, const double* y, Range part);
PartProblem CheckRing(const double* x, const double* y, Range part, bool& unclosed);

/// Appends ring `part` of `in` to `out` as a ring of the given orientation
/// (clockwise for an outer ring), closing it when its last vertex is not its
/// first (`closed` is then set). Nothing is appended for a problem.
PartProblem AppendRing(const GeometryInput& in, Range part, bool clockwise, ElementShape& out, bool& closed);

/// Whether (px, py) lies inside the ring (crossing count; a point on an edge
/// may count either way).
bool PointInRing(double px, double py, const double* x, const double* y, Range ring);

/// How a polygon element's rings keep the format's order (first ring
/// clockwise, further rings counter-clockwise): in order; several outer rings,
/// each clockwise and outside the rings before it (several polygons in one
/// element, which the order rule groups correctly); or a ring against the
/// order (a first ring counter-clockwise, or a clockwise ring inside an
/// earlier outer ring, that is a hole running the wrong way).
enum class RingOrder : std::uint8_t { InOrder, SeveralOuterRings, AgainstOrder };
RingOrder ClassifyRingOrder(const ShapeView& shape);

}  // namespace Terrix::Convert
