// Calls every reading operation of the three readers over a file's elements,
// tables and fields, handing each result code to `check`. Shared by the
// robustness suite and the fuzz target: whatever a file holds, none of this
// may read or write outside a buffer, and every code must be a known one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "terrix/FastReader.h"
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

// Element and attribute reads common to the three readers. Loops are bounded
// so that a file claiming millions of elements is still read quickly.
template <class Reader, class Check>
void ReadElementsAndAttributes(Reader& r, int points, int arcs, int regions, Check check) {
  using namespace Terrix;
  Geometry* g = CreateGeometry();
  for (int i = -1; i < std::min(points, 200) + 1; ++i) {
    TERRIX_PntInfo p;
    check(r.ReadPointInfo(i, &p, g), "ReadPointInfo");
    EmptyGeometry(g);
    char note[260];
    check(r.GetNoteInfo(i, note), "GetNoteInfo");
  }
  for (int i = -1; i < std::min(arcs, 200) + 1; ++i) {
    TERRIX_LineInfo l;
    check(r.ReadArcInfo(i, &l, g), "ReadArcInfo");
    EmptyGeometry(g);
  }
  for (int i = -1; i < std::min(regions, 200) + 1; ++i) {
    TERRIX_RegInfo reg;
    check(r.ReadPolygonInfo(i, &reg, g), "ReadPolygonInfo");
    EmptyGeometry(g);
  }
  DestroyGeometry(g);
  const std::int32_t fields = r.GetFieldCount();
  const std::int32_t records = r.GetRecordCount();
  for (int f = -1; f < std::min(fields, 40) + 1; ++f) {
    wchar_t name[21];
    int width, aux, auxByte;
    r.GetFieldInfo(f, name, &width, &aux, &auxByte);
    for (int rec = -1; rec < std::min(records, 100) + 1; ++rec) {
      r.ReadStringAttribute(rec, f);
      r.ReadLongAttribute(rec, f);
      r.ReadDoubleAttribute(rec, f);
      r.ReadBinareyAttribute(rec, f);
      r.ReadTimeStampAttribute(rec, f);
    }
  }
  r.GetFieldIndex(L"name");
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
    check(r.ReadPointWKB(i, nullptr, &wp), "ReadPointWKB");
  }
  for (int i = -1; i < std::min(arcs, 200) + 1; ++i) {
    WKBLineString wl{};
    check(r.ReadArcWKB(i, nullptr, &wl), "ReadArcWKB");
    std::free(wl.points);
    TERRIX_Topology t;
    check(r.GetTopoInfo(i, &t), "GetTopoInfo");
  }
  for (int i = -1; i < std::min(regions, 200) + 1; ++i) {
    WKBPolygon wp{};
    check(r.ReadPolygonWKB(i, nullptr, &wp), "ReadPolygonWKB");
  }
  for (int t = -1; t < std::min(r.GetTicCount(), 50) + 1; ++t) {
    TERRIX_Tic_Info tic;
    check(r.GetTicInfo(t, &tic), "GetTicInfo");
  }
  for (int selector : {0, 1, 2, 7}) {
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
  r.GetPntCount(&elements);
  r.GetNetPntCount(&nodes);
  r.GetRegCount(&regions);
  Geometry* g = CreateGeometry();
  for (int i = -1; i < std::min(nodes, 200) + 1; ++i) {
    TERRIX_PntInfo p;
    check(r.ReadNetPointInfo(i, &p, g), "ReadNetPointInfo");
    EmptyGeometry(g);
  }
  DestroyGeometry(g);
  ReadElementsAndAttributes(r, elements, elements, regions, check);
}

template <class Check>
void ReadAllEdit(const wchar_t* path, Check check) {
  using namespace Terrix;
  Terrix_Reader r;
  check(r.Open(path), "Open");
  int count = 0;
  r.GetInfo(&count, nullptr, nullptr);
  for (int i = -1; i < std::min(count, 200) + 1; ++i) {
    TERRIX_RegExt label;
    check(r.GetPolyLab(i, &label), "GetPolyLab");
  }
  ReadElementsAndAttributes(r, count, count, count, check);
}

}  // namespace support
