// The element-read members that the three reader classes share word for
// word: each hands the call to format::ElementReader, built by the reader's
// own ElementsOf with the rules that make the readers differ. Written once
// here and expanded into each class's source, since the classes have no
// common base.
#pragma once

#include "format/ElementReads.h"

// clang-format off
#define TERRIX_DEFINE_ELEMENT_READS(Class)                                                                 \
  std::int32_t Class::ReadGeomInfo() { return detail::ElementsOf(*state_).Load(); }                      \
  std::int32_t Class::ReadPointInfo(int index, TERRIX_PntInfo* info, Geometry* geometry) {               \
    return detail::ElementsOf(*state_).ReadPoint(index, info, geometry);                                 \
  }                                                                                                      \
  std::int32_t Class::GetNoteInfo(int index, char* note) {                                               \
    return detail::ElementsOf(*state_).ReadNote(index, note);                                            \
  }                                                                                                      \
  std::int32_t Class::ReadArcInfo(int index, TERRIX_LineInfo* info, Geometry* geometry) {                \
    return detail::ElementsOf(*state_).ReadLine(index, info, geometry);                                  \
  }                                                                                                      \
  std::int32_t Class::ReadPolygonInfo(int index, TERRIX_RegInfo* info, Geometry* geometry) {             \
    return detail::ElementsOf(*state_).ReadRegion(index, info, geometry);                                \
  }                                                                                                      \
  std::int32_t Class::ReadPolyArc(int arc, std::int32_t* count, double* points, int roomPoints) {        \
    return detail::ElementsOf(*state_).ReadArc(arc, count, points, roomPoints);                          \
  }                                                                                                      \
  std::int32_t Class::ReadPolyTopo(TERRIX_RegInfo region, std::int32_t* total, std::int32_t* entries) {  \
    return detail::ElementsOf(*state_).ReadArcList(region, total, entries);                              \
  }
// clang-format on
