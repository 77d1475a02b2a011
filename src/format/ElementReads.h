// The element reads of every reader: index checks, loading the element tables
// on first use, and handing out points, notes, lines, polygons, network points
// and the pieces of a polygon. The three readers differ only in the rules they
// pass (which kind the tables are loaded for, what a network's nodes become,
// how indices are checked, how points are read and bounded, what an arc not in
// use does to a polygon).
#pragma once

#include <cstdint>

#include "format/Coordinates.h"
#include "format/ElementTables.h"
#include "format/OpenedMap.h"
#include "format/PolygonAssembly.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"

namespace Terrix::format {

/// How a reader checks an element index before it loads anything.
enum class IndexRule {
  /// Only a table the file's kind has accepts an index (point file: points,
  /// network file: nodes as points; line, region, network: arcs; region: polygons).
  ByKind,
  /// The index is checked against the count record whatever the kind (points
  /// and arcs: the first pair, polygons: the third); a table that was not
  /// loaded then holds no record and the read answers Result::IoError.
  ByLoadedTable,
};

/// What a line's point count is checked against before room is made for it.
enum class LineBound {
  /// The coordinate section's length as the directory gives it: a line of
  /// more points than it can contain is refused with Result::IoError.
  SectionLength,
  /// Nothing: the points are read where they lie (the editing reader).
  None,
};

struct LineReadOptions {
  LineBound bound = LineBound::SectionLength;
  PointReads pointReads = PointReads::WholeRun;
};

/// What a reader's element reads do differently from another reader's.
struct ElementReadRules {
  NetworkNodes nodes = NetworkNodes::AsPoints;
  IndexRule indices = IndexRule::ByKind;
  LineReadOptions lines;
  PolygonReadOptions polygons;
};

/// Whether element `index` lies in a table of `recordCount` records (the
/// reserved record 0 included): 0 <= index < recordCount - 1.
bool ElementInRange(int index, std::int32_t recordCount);

/// Whether room is made for a line of `pointCount` points: Result::IoError
/// when `bound` refuses the count; Result::NoMemory for room that is not
/// obtained, a negative count (it passes the signed bound) or more points than
/// the whole file could hold; else Result::Success. Points of a line that
/// runs past the end of the file are not transferred and stay 0.0.
std::int32_t LineRoom(const CoordinateSection& coordinates, std::int32_t pointCount, LineBound bound);

/// The element side of an open reader: its map, its element tables, the kind
/// whose tables are loaded and whose notes are read, and its rules.
class ElementReader {
 public:
  ElementReader(OpenedMap& map, ElementTables& tables, FileKind kind, const ElementReadRules& rules)
      : map_(map), tables_(tables), kind_(kind), rules_(rules) {}

  /// Loads the element tables once (ReadGeomInfo).
  std::int32_t Load();

  bool PointIndexValid(int index) const;
  bool LineIndexValid(int index) const;
  bool RegionIndexValid(int index) const;

  /// Checks the index, loads the tables and copies the element's record into
  /// `out`: Result::IoError for a bad index or a table without that record,
  /// Result::NotInUse for a record whose state byte is not 1.
  std::int32_t FindPoint(int index, TERRIX_PntInfo& out);
  std::int32_t FindLine(int index, TERRIX_LineInfo& out);
  std::int32_t FindRegion(int index, TERRIX_RegInfo& out);
  /// A network point: the index counts against the node records.
  std::int32_t FindNetPoint(int index, TERRIX_NetPntInfo& out);

  /// The coordinate section as the file holds it.
  CoordinateSection Coordinates() const;

  std::int32_t ReadPoint(int index, TERRIX_PntInfo* info, Geometry* g);
  /// A point's note, cut at 259 bytes and terminated; a point without one
  /// leaves `note` as it was. The state byte is not looked at.
  std::int32_t ReadNote(int index, char* note);
  std::int32_t ReadLine(int index, TERRIX_LineInfo* info, Geometry* g);
  std::int32_t ReadRegion(int index, TERRIX_RegInfo* info, Geometry* g);
  /// A network point (element `index` of the node table) as a point record and
  /// a point shape; bytes 57-66 of `info` keep what they held.
  std::int32_t ReadNetPoint(int index, TERRIX_PntInfo* info, Geometry* g);
  /// One arc of a polygon (ReadPolyArc): arc record |arc|, reversed when negative.
  std::int32_t ReadArc(int arc, std::int32_t* count, double* points, int roomPoints);
  /// A polygon's arc list (ReadPolyTopo); nothing is read without both places.
  std::int32_t ReadArcList(const TERRIX_RegInfo& region, std::int32_t* total, std::int32_t* entries);

  // Well-known-binary reads (WkbReads.cpp): the checks and the record of
  // ReadPoint, ReadLine and ReadRegion, with the shape in a WKB record; a null
  // `wkb` makes them a plain read of `info`.
  std::int32_t ReadPointWkb(int index, TERRIX_PntInfo* info, WKBPoint* wkb);
  /// The points go to a new calloc'd array that belongs to the caller. The
  /// count is bounded by the section's length whatever the reader's rules.
  std::int32_t ReadLineWkb(int index, TERRIX_LineInfo* info, WKBLineString* wkb);
  /// The ring count only; `wkb->rings` keeps what it held.
  std::int32_t ReadRegionWkb(int index, TERRIX_RegInfo* info, WKBPolygon* wkb);

 private:
  /// Whether record `record` of `table` can be answered: inside the table,
  /// and read from the file unless the load failed before reaching it.
  bool Readable(const RecordTable& table, std::int64_t record) const {
    return table.Contains(record) && (!tables_.loadFailed || table.Loaded(record));
  }
  /// The first steps of every element read: find element `index`, refuse a
  /// polygon without an arc list (Result::BadArcList), copy the record into
  /// `info` when given. Result::Success leaves the record in `record`.
  std::int32_t Take(int index, TERRIX_PntInfo& record, TERRIX_PntInfo* info);
  std::int32_t Take(int index, TERRIX_LineInfo& record, TERRIX_LineInfo* info);
  std::int32_t Take(int index, TERRIX_RegInfo& record, TERRIX_RegInfo* info);
  template <typename Record>
  std::int32_t Find(bool indexValid, const RecordTable& table, int index, Record& out,
                    bool (*inUse)(const Record&));
  ArcSource Arcs(const CoordinateSection& coordinates) const;

  OpenedMap& map_;
  ElementTables& tables_;
  FileKind kind_;
  ElementReadRules rules_;
};

}  // namespace Terrix::format
