// Calls every reading operation of the three readers over a file's elements,
// tables and fields, handing each result code to `check`. Shared by the
// robustness suite and the fuzz targets: whatever a file holds, none of this
// may read or write outside a buffer, and every code must be a known one.
// Element loops are bounded (at most 200 elements, 100 records, 40 fields,
// 50 tics, plus the out-of-range neighbours), so that a file claiming
// millions of elements stays quick to read.
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
  using namespace Terrix::Result;
  static const std::set<std::int32_t> codes = {Success,    IoError,  NotInUse, NotHandled, BadArcList,
                                               CannotOpen, BadMagic, NoMemory, Refused};
  return codes.count(rc) == 1;
}

// Indices -1 .. min(count, bound): the range and its neighbours.
template <class Each>
void Indices(int count, int bound, Each each) {
  for (int i = -1; i < std::min(count, bound) + 1; ++i) each(i);
}

// Every typed read of every field of the current table.
template <class Reader>
void ReadAttributes(Reader& r) {
  const std::int32_t fields = r.GetFieldCount(), records = r.GetRecordCount();
  Indices(fields, 40, [&](int f) {
    wchar_t name[21];
    int width, aux, auxByte;
    r.GetFieldInfo(f, name, &width, &aux, &auxByte);
    Indices(records, 100, [&](int rec) {
      r.ReadStringAttribute(rec, f), r.ReadTextAttribute(rec, f), r.ReadByteAttribute(rec, f);
      r.ReadShortAttribute(rec, f), r.ReadLongAttribute(rec, f), r.ReadFloatAttribute(rec, f);
      r.ReadDoubleAttribute(rec, f), r.ReadDateAttribute(rec, f), r.ReadTimeAttribute(rec, f);
      r.ReadTimeStampAttribute(rec, f), r.ReadBoolAttribute(rec, f), r.ReadBinareyAttribute(rec, f);
    });
  });
  r.GetFieldIndex(L"name");
  r.GetFieldIndex(L"");
}

// The extent, the projection and the tics, as every reader offers them.
template <class Reader, class Check>
void ReadHead(Reader& r, int tics, Check check) {
  double box[4];
  r.GetExtentInfo(&box[0], &box[1], &box[2], &box[3]);
  Indices(tics, 50, [&](int t) {
    Terrix::TERRIX_Tic_Info tic;
    check(r.GetTicInfo(t, &tic), "GetTicInfo");
  });
}

// Each element of one class through `read` (ReadPointInfo, ReadArcInfo or
// ReadPolygonInfo): whole, as a record only and as a geometry only.
template <class Record, class Reader, class Read, class Check>
void ReadEachElement(Reader& r, Read read, int count, Terrix::Geometry* g, const char* what, Check check) {
  Indices(count, 200, [&](int i) {
    Record record;
    check((r.*read)(i, &record, g), what);
    Terrix::EmptyGeometry(g);
    check((r.*read)(i, nullptr, g), what);
    Terrix::EmptyGeometry(g);
    check((r.*read)(i, &record, nullptr), what);
  });
}

// Element and attribute reads common to the three readers.
template <class Reader, class Check>
void ReadElementsAndAttributes(Reader& r, int points, int arcs, int regions, Check check) {
  using namespace Terrix;
  GeometryHolder g = MakeGeometry();
  ReadEachElement<TERRIX_PntInfo>(r, &Reader::ReadPointInfo, points, g.get(), "ReadPointInfo", check);
  Indices(points, 200, [&](int i) {
    char note[260];
    check(r.GetNoteInfo(i, note), "GetNoteInfo");
  });
  ReadEachElement<TERRIX_LineInfo>(r, &Reader::ReadArcInfo, arcs, g.get(), "ReadArcInfo", check);
  ReadEachElement<TERRIX_RegInfo>(r, &Reader::ReadPolygonInfo, regions, g.get(), "ReadPolygonInfo", check);
  ReadAttributes(r);
}

template <class Check>
void ReadAllFast(const wchar_t* path, Check check) {
  using namespace Terrix;
  Terrix_FastReader r;
  check(r.Open(path), "Open");
  int points = 0, arcs = 0, regions = 0;
  r.GetPointCount(&points), r.GetArcCount(&arcs), r.GetPolygonCount(&regions);
  Indices(points, 200, [&](int i) {
    WKBPoint wp;
    TERRIX_PntInfo info;
    check(r.ReadPointWKB(i, nullptr, &wp), "ReadPointWKB");
    check(r.ReadPointWKB(i, &info, &wp), "ReadPointWKB");
  });
  Indices(arcs, 200, [&](int i) {
    WKBLineString wl{};
    TERRIX_LineInfo info;
    TERRIX_Topology t;
    check(r.ReadArcWKB(i, &info, &wl), "ReadArcWKB");
    std::free(wl.points);
    check(r.GetTopoInfo(i, &t), "GetTopoInfo");
  });
  Indices(regions, 200, [&](int i) {
    WKBPolygon wp{};
    TERRIX_RegInfo info;
    check(r.ReadPolygonWKB(i, &info, &wp), "ReadPolygonWKB");
  });
  MAP_PARAstruct projection;
  r.GetProjectionInfo(&projection);
  r.GetShapeType();
  ReadHead(r, r.GetTicCount(), check);
  for (int selector : {0, 1, 2, 7, 3, -1}) {  // every selector, and two that name no table
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
  int elements = 0, nodes = 0, regions = 0, arcs = 0;
  r.GetPntCount(&elements), r.GetArcCount(&arcs), r.GetNetPntCount(&nodes), r.GetRegCount(&regions);
  r.GetShapeType();
  MAP_PARAstruct projection;
  r.GetProjection(&projection);
  ReadHead(r, r.GetTicCount(), check);
  Indices(arcs, 200, [&](int i) {
    TERRIX_Topology t;
    check(r.GetTopoInfo(i, &t), "GetTopoInfo");
  });
  GeometryHolder g = MakeGeometry();
  Indices(nodes, 200, [&](int i) {
    TERRIX_PntInfo p;
    check(r.ReadNetPointInfo(i, &p, g.get()), "ReadNetPointInfo");
    EmptyGeometry(g.get());
  });
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
  Indices(count, 200, [&](int i) {
    TERRIX_RegExt label;
    check(r.GetPolyLab(i, &label), "GetPolyLab");
  });
  ReadElementsAndAttributes(r, count, count, count, check);
}

}  // namespace support
