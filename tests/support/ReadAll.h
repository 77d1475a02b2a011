// Calls every reading operation of the three readers over a file's elements,
// tables and fields, handing each result code to `check`. Shared by the
// robustness suite and the fuzz targets: whatever a file holds, none of this
// may read or write outside a buffer, and every code must be a known one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "terrix/FastReader.h"
#include "terrix/GeometryHolder.h"
#include "terrix/MemReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

namespace support {

inline bool IsResultCode(std::int32_t rc) {
  using namespace Terrix;
  static const std::set<std::int32_t> codes = {Result::Success,    Result::IoError,    Result::NotInUse,
                                               Result::NotHandled, Result::BadArcList, Result::CannotOpen,
                                               Result::BadMagic,   Result::NoMemory,   Result::Refused};
  return codes.count(rc) == 1;
}

// Every typed read of every field of the current table, on a bounded range
// of records that includes the out-of-range neighbours on both sides.
template <class Reader>
void ReadAttributes(Reader& r) {
  const std::int32_t fields = r.GetFieldCount();
  const std::int32_t records = r.GetRecordCount();
  for (int f = -1; f < std::min(fields, 40) + 1; ++f) {
    wchar_t name[21];
    int width, aux, auxByte;
    r.GetFieldInfo(f, name, &width, &aux, &auxByte);
    for (int rec = -1; rec < std::min(records, 100) + 1; ++rec) {
      r.ReadStringAttribute(rec, f);
      r.ReadTextAttribute(rec, f);
      r.ReadByteAttribute(rec, f);
      r.ReadShortAttribute(rec, f);
      r.ReadLongAttribute(rec, f);
      r.ReadFloatAttribute(rec, f);
      r.ReadDoubleAttribute(rec, f);
      r.ReadDateAttribute(rec, f);
      r.ReadTimeAttribute(rec, f);
      r.ReadTimeStampAttribute(rec, f);
      r.ReadBoolAttribute(rec, f);
      r.ReadBinareyAttribute(rec, f);
    }
  }
  r.GetFieldIndex(L"name");
  r.GetFieldIndex(L"");
}

// The extent and the tics, as every reader offers them.
template <class Reader, class Check>
void ReadHead(Reader& r, int tics, Check check) {
  using namespace Terrix;
  double box[4];
  r.GetExtentInfo(&box[0], &box[1], &box[2], &box[3]);
  for (int t = -1; t < std::min(tics, 50) + 1; ++t) {
    TERRIX_Tic_Info tic;
    check(r.GetTicInfo(t, &tic), "GetTicInfo");
  }
}

// Reads elements [-1, min(count, 200)] of one class through `read` (a
// reader's ReadPointInfo, ReadArcInfo or ReadPolygonInfo): each whole, as a
// record only and as a geometry only. The bound keeps a file claiming millions
// of elements quick to read.
template <class Record, class Reader, class Read, class Check>
void ReadEachElement(Reader& r, Read read, int count, Terrix::Geometry* g, const char* what, Check check) {
  for (int i = -1; i < std::min(count, 200) + 1; ++i) {
    Record record;
    check((r.*read)(i, &record, g), what);
    Terrix::EmptyGeometry(g);
    check((r.*read)(i, nullptr, g), what);
    Terrix::EmptyGeometry(g);
    check((r.*read)(i, &record, nullptr), what);
  }
}

// Element and attribute reads common to the three readers.
template <class Reader, class Check>
void ReadElementsAndAttributes(Reader& r, int points, int arcs, int regions, Check check) {
  using namespace Terrix;
  GeometryHolder holder = MakeGeometry();
  Geometry* g = holder.get();
  ReadEachElement<TERRIX_PntInfo>(r, &Reader::ReadPointInfo, points, g, "ReadPointInfo", check);
  for (int i = -1; i < std::min(points, 200) + 1; ++i) {
    char note[260];
    check(r.GetNoteInfo(i, note), "GetNoteInfo");
  }
  ReadEachElement<TERRIX_LineInfo>(r, &Reader::ReadArcInfo, arcs, g, "ReadArcInfo", check);
  ReadEachElement<TERRIX_RegInfo>(r, &Reader::ReadPolygonInfo, regions, g, "ReadPolygonInfo", check);
  ReadAttributes(r);
}

template <class Check>
void ReadAllFast(const wchar_t* path, Check check) {
  using namespace Terrix;
  Terrix_FastReader r;
  check(r.Open(path), "Open");
  int points = 0, arcs = 0, regions = 0;
  r.GetPointCount(&points);
  r.GetArcCount(&arcs);
  r.GetPolygonCount(&regions);
  for (int i = -1; i < std::min(points, 200) + 1; ++i) {
    WKBPoint wp;
    TERRIX_PntInfo info;
    check(r.ReadPointWKB(i, nullptr, &wp), "ReadPointWKB");
    check(r.ReadPointWKB(i, &info, &wp), "ReadPointWKB");
  }
  for (int i = -1; i < std::min(arcs, 200) + 1; ++i) {
    WKBLineString wl{};
    TERRIX_LineInfo info;
    check(r.ReadArcWKB(i, &info, &wl), "ReadArcWKB");
    std::free(wl.points);
    TERRIX_Topology t;
    check(r.GetTopoInfo(i, &t), "GetTopoInfo");
  }
  for (int i = -1; i < std::min(regions, 200) + 1; ++i) {
    WKBPolygon wp{};
    TERRIX_RegInfo info;
    check(r.ReadPolygonWKB(i, &info, &wp), "ReadPolygonWKB");
  }
  MAP_PARAstruct projection;
  r.GetProjectionInfo(&projection);
  r.GetShapeType();
  ReadHead(r, r.GetTicCount(), check);
  // Every selector, and two that name no table.
  for (int selector : {0, 1, 2, 7, 3, -1}) {
    r.SetAttributeType(selector);
    ReadElementsAndAttributes(r, points, arcs, regions, check);
  }
}

template <class Check>
void ReadAllMem(const wchar_t* path, bool asPolyArc, Check check) {
  using namespace Terrix;
  Terrix_MemReader r;
  check(r.Open(path), "Open");
  if (asPolyArc) r.ReadAsPolyArc();
  int elements = 0, nodes = 0, regions = 0;
  int arcs = 0;
  r.GetPntCount(&elements);
  r.GetArcCount(&arcs);
  r.GetNetPntCount(&nodes);
  r.GetRegCount(&regions);
  r.GetShapeType();
  MAP_PARAstruct projection;
  r.GetProjection(&projection);
  ReadHead(r, r.GetTicCount(), check);
  for (int i = -1; i < std::min(arcs, 200) + 1; ++i) {
    TERRIX_Topology t;
    check(r.GetTopoInfo(i, &t), "GetTopoInfo");
  }
  GeometryHolder g = MakeGeometry();
  for (int i = -1; i < std::min(nodes, 200) + 1; ++i) {
    TERRIX_PntInfo p;
    check(r.ReadNetPointInfo(i, &p, g.get()), "ReadNetPointInfo");
    EmptyGeometry(g.get());
  }
  ReadElementsAndAttributes(r, elements, arcs, regions, check);
}

template <class Check>
void ReadAllEdit(const wchar_t* path, Check check) {
  using namespace Terrix;
  Terrix_Reader r;
  check(r.Open(path), "Open");
  int count = 0, shapeType = 0, tics = 0;
  r.GetInfo(&count, &shapeType, &tics);
  MAP_PARAstruct projection;
  r.GetProjection(&projection);
  ReadHead(r, tics, check);
  for (int i = -1; i < std::min(count, 200) + 1; ++i) {
    TERRIX_RegExt label;
    check(r.GetPolyLab(i, &label), "GetPolyLab");
  }
  ReadElementsAndAttributes(r, count, count, count, check);
}

}  // namespace support
