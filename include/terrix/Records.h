/// @file
/// The packed little-endian records that are at once file records and interface
/// records. Bytes the library neither computes nor interprets are display
/// parameters: kept, copied, read and written unchanged.
///
/// Element records carry a state byte: 1 means the element is in use, any
/// other value that it is not (deleted), and every element read answers
/// Result::NotInUse for it. In each element table and attribute table record 0
/// is reserved: element i of the interface (counted from 0) is record i + 1.
/// Offsets "within the coordinate section" count from the start of section 1
/// of the file.
#pragma once

#include <cstdint>

namespace Terrix {

#pragma pack(push, 1)

/// File head, at offset 0 of every vector map file.
struct TERRIX_HEAD {
  /// The magic of the kind: "WMAP`D21", "WMAP`D22", "WMAP`D23", "WMAP`D25" or "WMAP`D28".
  char magic[8];
  /// The file kind: 0 line, 1 point, 2 region, 4 network, 7 table (see FileKind).
  std::int16_t kind;             // 0 line, 1 point, 2 region, 4 network, 7 table
  /// 0 in every readable file; any other value makes the readers refuse the file (Result::Refused).
  std::int16_t refusalFlag;      // non-zero: the file is refused
  /// Byte offset of the section directory; above 1024 the readers refuse the file (Result::CannotOpen).
  std::int32_t directoryOffset;  // byte offset of the section directory
  /// Entries of the section directory; above 1024 the readers refuse the file (Result::CannotOpen).
  std::int32_t directoryCount;   // entries in the section directory
};

/// Element counts of the head area: eleven i32. Each of the first three pairs
/// gives the elements counted by the writer and the records of the table,
/// the reserved record 0 included.
struct TERRIX_Element {
  /// Elements of section 0: points of a point file, lines of a line file, arcs
  /// of a region or network file.
  std::int32_t elementCount;        // points, lines or arcs (section 0)
  /// Records of section 0, record 0 included.
  std::int32_t elementRecordCount;  // records of section 0
  /// Nodes of a network file (section 4).
  std::int32_t nodeCount;           // nodes of a network file (section 4)
  /// Node records, record 0 included.
  std::int32_t nodeRecordCount;
  /// Polygons of a region file (section 8).
  std::int32_t regionCount;  // polygons of a region file (section 8)
  /// Polygon records, record 0 included.
  std::int32_t regionRecordCount;
  /// Words 6 to 10: counters of the writer, not used by the readers.
  std::int32_t further[5];  // words 6 to 10: writer counters, unused by readers
};

/// Point element (section 0 of a point file), 93 bytes.
///
/// The readers also build one for each network node (Terrix_FastReader,
/// Terrix_Reader) or network point (Terrix_MemReader::ReadNetPointInfo).
struct TERRIX_PntInfo {
  /// 1: in use.
  std::uint8_t state;  // 1: in use
  /// Length in bytes of the point's note text; 0 or less: no note.
  std::int16_t noteLength;
  /// Byte offset of the note text within the coordinate section.
  std::uint32_t noteOffset;  // within the coordinate section
  /// The x of the point.
  double x;
  /// The y of the point.
  double y;
  /// Display parameters (0.0 in a record built for a network node).
  std::uint8_t display0[8];
  /// Point kind; the writer stores 0 for a point with a note text, 1 for one without.
  std::uint8_t pointKind;  // writer: 0 with a note text, 1 without
  /// Display parameters.
  std::uint8_t display1[61];
};

/// Line or arc element (section 0 of line, region and network files), 57 bytes.
struct TERRIX_LineInfo {
  /// 1: in use.
  std::uint8_t state;
  /// Display parameters.
  std::uint8_t display0[9];
  /// Number of points of the line.
  std::int32_t pointCount;
  /// Byte offset of the line's points (x, y pairs of f64) within the coordinate section.
  std::uint32_t pointOffset;  // within the coordinate section
  /// Display parameters.
  std::uint8_t display1[39];
};

/// Polygon element (section 8 of a region file), 40 bytes.
///
/// Its arc list is listCount i32 values: a leading total, then listCount - 1
/// entries. Entry k > 0 names arc record k in stored order, k < 0 arc record
/// -k reversed, and 0 separates rings. The polygon's vertex count is the total
/// less 1 less the number of separators.
struct TERRIX_RegInfo {
  /// 1: in use.
  std::uint8_t state;
  /// Number of i32 values of the arc list, the leading total included.
  std::int32_t listCount;    // i32 values of the arc list, leading total included
  /// Byte offset of the arc list within the coordinate section.
  std::uint32_t listOffset;  // within the coordinate section
  /// Display parameters.
  std::uint8_t display[31];
};

/// Network node (section 4 of a network file), 55 bytes.
struct TERRIX_NetPntInfo {
  /// The x of the node.
  double x;
  /// The y of the node.
  double y;
  /// Display parameters.
  std::uint8_t display0[8];
  /// 1: in use.
  std::uint8_t state;  // at offset 24
  /// Display parameters.
  std::uint8_t display1[5];
  /// Byte offset of the node's 94-byte style block within the coordinate section.
  std::uint32_t styleOffset;  // 94-byte style block within the coordinate section
  /// Display parameters.
  std::uint8_t display2[21];
};

/// Topology of one arc: six opaque 32-bit values.
struct TERRIX_Topology {
  /// The values as stored.
  std::int32_t values[6];
};

/// One control point (tic), opaque.
struct TERRIX_Tic_Info {
  /// The bytes as stored.
  std::uint8_t data[32];
};

/// One entry of the section directory.
struct TERRIX_Part {
  /// Byte offset of the section from the start of the file.
  std::uint32_t offset;
  /// Length of the section in bytes.
  std::uint32_t length;
  /// Flag: the writer stores 0xFFFF; readers ignore it.
  std::uint16_t flag;  // the writer stores 0xFFFF; readers ignore it
};

/// An opaque 8-byte record of the interface; no operation reads or writes it.
struct TERRIX_Tic_Stru {
  /// The bytes.
  std::uint8_t data[8];
};

/// Polygon label record of the editing reader's GetPolyLab, opaque.
struct TERRIX_RegExt {
  /// The bytes as stored.
  std::uint8_t data[16];
};

/// Projection parameters, 169 bytes.
struct MAP_PARAstruct {
  /// Projection type; 0: no projection (plain coordinates).
  std::uint8_t type;  // 0: no projection
  /// Projection parameters.
  std::uint8_t params0[51];
  /// Coefficient at offset 52; the readers hand it out as 1.0 when type is 0
  /// or the stored value is below 0.001.
  double coefficient;  // handed out as 1.0 when type is 0 or it is below 0.001
  /// Projection parameters.
  std::uint8_t params1[81];
  /// Projection parameter at offset 141; a new file starts with 1.0.
  double param141;
  /// Projection parameters.
  std::uint8_t params2[4];
  /// Projection parameter at offset 153; a new file starts with 1.0.
  double param153;
  /// Projection parameter at offset 161; a new file starts with 1.0.
  double param161;
};

/// Head of an attribute table, 348 bytes.
///
/// The field descriptors follow the head directly; the records start at
/// recordOffset. Record slot s of a table lies at recordOffset + s x
/// recordLength from the start of the section; slot 0 is the leading record.
struct TERRIX_FieldHead {
  /// The bytes 0x60 0x44 ("`D"); a head without them is refused (Result::NotHandled).
  char magic[2];  // "`D"
  /// A date (u16 year, u8 month, u8 day); the writer stores 2012-05-22, readers ignore it.
  std::uint8_t dateStamp[4];
  /// Reserved, zero.
  std::uint8_t reserved0[6];
  /// Offset of record slot 0 from the start of the section.
  std::uint32_t recordOffset;  // of record slot 0, from the start of the section
  /// Reserved; not interpreted.
  std::uint8_t reserved1[24];
  /// Reserved, zero.
  std::uint8_t reserved2[280];
  /// 0x4460; a head without it is refused (Result::NotHandled).
  std::uint16_t magic2;  // 0x4460
  /// Number of field descriptors; a negative count is refused (Result::NotHandled).
  std::int16_t fieldCount;
  /// Record slots, the leading record included.
  std::uint32_t recordCount;   // record slots, the leading record included
  /// Bytes per record, the one-byte record flag included.
  std::uint32_t recordLength;  // bytes per record, the record flag included
  /// Reserved, zero.
  std::uint8_t reserved3[16];
};

/// One field descriptor, 39 bytes.
struct TERRIX_Field {
  /// The name: 8-bit text in the code page of the thread (see SetThreadCodePage),
  /// ending at the first zero byte or after all 20 bytes.
  char fieldName[20];  // 8-bit text, zero-terminated only when shorter than 20
  /// Type code, as the table's creator gave it. The library knows 0 (string)
  /// and 9 (text); every other code is the creator's and is passed through.
  std::uint8_t fieldType;
  /// Offset of the value within a record; the first field has 1.
  std::uint32_t valueOffset;
  /// Bytes the value takes in a record.
  std::int16_t valueWidth;
  /// Kept for the table's creator; the library gives it no meaning.
  std::int16_t auxLength;
  /// Kept for the table's creator; the library gives it no meaning.
  std::int8_t auxByte;
  /// 1 from the writer; readers ignore it.
  std::uint8_t fieldFlag;
  /// Reserved, zero.
  std::uint16_t reserved0;
  /// Position of the descriptor in the table, from 0.
  std::uint16_t fieldIndex;
  /// Reserved, zero.
  std::uint8_t reserved1[4];
};

/// An opaque 32-byte record of the interface; no operation reads or writes it.
struct ATTINFO_HEAD {
  /// The bytes.
  std::uint8_t data[32];
};

/// The stored bytes of a date value.
struct DATE_STRUstruct {
  /// The year.
  std::uint16_t year;
  /// The month.
  std::uint8_t month;
  /// The day.
  std::uint8_t day;
};

/// The stored bytes of a time value, opaque.
struct TIME_STRUstruct {
  /// The bytes as stored.
  std::uint8_t data[10];
};

/// The stored bytes of a time-stamp value, opaque.
struct TIMESTAMPstruct {
  /// The bytes as stored.
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
