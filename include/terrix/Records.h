// The packed little-endian records that are at once file records and interface
// records. Bytes the library neither computes nor interprets are display
// parameters: kept, copied, read and written unchanged.
#pragma once

#include <cstdint>

namespace Terrix {

#pragma pack(push, 1)

/// File head, at offset 0 of every vector map file.
struct TERRIX_HEAD {
  char magic[8];
  std::int16_t kind;             // 0 line, 1 point, 2 region, 4 network, 7 table
  std::int16_t refusalFlag;      // non-zero: the file is refused
  std::int32_t directoryOffset;  // byte offset of the section directory
  std::int32_t directoryCount;   // entries in the section directory
};

/// Element counts of the head area: eleven i32. Each of the first three pairs
/// gives the elements counted by the writer and the records of the table,
/// the reserved record 0 included.
struct TERRIX_Element {
  std::int32_t elementCount;        // points, lines or arcs (section 0)
  std::int32_t elementRecordCount;  // records of section 0
  std::int32_t nodeCount;           // nodes of a network file (section 4)
  std::int32_t nodeRecordCount;
  std::int32_t regionCount;  // polygons of a region file (section 8)
  std::int32_t regionRecordCount;
  std::int32_t further[5];  // words 6 to 10: writer counters, unused by readers
};

/// Point element (section 0 of a point file), 93 bytes.
struct TERRIX_PntInfo {
  std::uint8_t state;  // 1: in use
  std::int16_t noteLength;
  std::uint32_t noteOffset;  // within the coordinate section
  double x;
  double y;
  std::uint8_t display0[8];
  std::uint8_t pointKind;  // writer: 0 with a note text, 1 without
  std::uint8_t display1[61];
};

/// Line or arc element (section 0 of line, region and network files), 57 bytes.
struct TERRIX_LineInfo {
  std::uint8_t state;
  std::uint8_t display0[9];
  std::int32_t pointCount;
  std::uint32_t pointOffset;  // within the coordinate section
  std::uint8_t display1[39];
};

/// Polygon element (section 8 of a region file), 40 bytes.
struct TERRIX_RegInfo {
  std::uint8_t state;
  std::int32_t listCount;    // i32 values of the arc list, leading total included
  std::uint32_t listOffset;  // within the coordinate section
  std::uint8_t display[31];
};

/// Network node (section 4 of a network file), 55 bytes.
struct TERRIX_NetPntInfo {
  double x;
  double y;
  std::uint8_t display0[8];
  std::uint8_t state;  // at offset 24
  std::uint8_t display1[5];
  std::uint32_t styleOffset;  // 94-byte style block within the coordinate section
  std::uint8_t display2[21];
};

/// Topology of one arc: six opaque 32-bit values.
struct TERRIX_Topology {
  std::int32_t values[6];
};

/// One control point (tic), opaque.
struct TERRIX_Tic_Info {
  std::uint8_t data[32];
};

/// One entry of the section directory.
struct TERRIX_Part {
  std::uint32_t offset;
  std::uint32_t length;
  std::uint16_t flag;  // the writer stores 0xFFFF; readers ignore it
};

struct TERRIX_Tic_Stru {
  std::uint8_t data[8];
};

/// Polygon label record of the editing reader's GetPolyLab, opaque.
struct TERRIX_RegExt {
  std::uint8_t data[16];
};

/// Projection parameters, 169 bytes.
struct MAP_PARAstruct {
  std::uint8_t type;  // 0: no projection
  std::uint8_t params0[51];
  double coefficient;  // handed out as 1.0 when type is 0 or it is below 0.001
  std::uint8_t params1[81];
  double param141;
  std::uint8_t params2[4];
  double param153;
  double param161;
};

/// Head of an attribute table, 348 bytes.
struct TERRIX_FieldHead {
  char magic[2];  // "`D"
  std::uint8_t dateStamp[4];
  std::uint8_t reserved0[6];
  std::uint32_t recordOffset;  // of record slot 0, from the start of the section
  std::uint8_t reserved1[24];
  std::uint8_t reserved2[280];
  std::uint16_t magic2;  // 0x4460
  std::int16_t fieldCount;
  std::uint32_t recordCount;   // record slots, the leading record included
  std::uint32_t recordLength;  // bytes per record, the record flag included
  std::uint8_t reserved3[16];
};

/// One field descriptor, 39 bytes.
struct TERRIX_Field {
  char fieldName[20];  // 8-bit text, zero-terminated only when shorter than 20
  std::uint8_t fieldType;
  std::uint32_t valueOffset;
  std::int16_t valueWidth;
  std::int16_t auxLength;
  std::int8_t auxByte;
  std::uint8_t fieldFlag;
  std::uint16_t reserved0;
  std::uint16_t fieldIndex;
  std::uint8_t reserved1[4];
};

struct ATTINFO_HEAD {
  std::uint8_t data[32];
};

/// The stored bytes of a date value.
struct DATE_STRUstruct {
  std::uint16_t year;
  std::uint8_t month;
  std::uint8_t day;
};

/// The stored bytes of a time value, opaque.
struct TIME_STRUstruct {
  std::uint8_t data[10];
};

/// The stored bytes of a time-stamp value, opaque.
struct TIMESTAMPstruct {
  std::uint8_t data[16];
};

#pragma pack(pop)

static_assert(sizeof(TERRIX_HEAD) == 20);
static_assert(sizeof(TERRIX_Element) == 44);
static_assert(sizeof(TERRIX_PntInfo) == 93);
static_assert(sizeof(TERRIX_LineInfo) == 57);
static_assert(sizeof(TERRIX_RegInfo) == 40);
static_assert(sizeof(TERRIX_NetPntInfo) == 55);
static_assert(sizeof(TERRIX_Topology) == 24);
static_assert(sizeof(TERRIX_Tic_Info) == 32);
static_assert(sizeof(TERRIX_Part) == 10);
static_assert(sizeof(TERRIX_Tic_Stru) == 8);
static_assert(sizeof(TERRIX_RegExt) == 16);
static_assert(sizeof(MAP_PARAstruct) == 169);
static_assert(sizeof(TERRIX_FieldHead) == 348);
static_assert(sizeof(TERRIX_Field) == 39);
static_assert(sizeof(ATTINFO_HEAD) == 32);
static_assert(sizeof(DATE_STRUstruct) == 4);
static_assert(sizeof(TIME_STRUstruct) == 10);
static_assert(sizeof(TIMESTAMPstruct) == 16);

}  // namespace Terrix
