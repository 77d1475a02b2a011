// Byte offsets, sizes and constants of the vector map files. Every layout
// number used by the readers and the writer is named here once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "terrix/FileKind.h"
#include "terrix/Records.h"

namespace Terrix::format {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "records are copied byte for byte: the files are little-endian");

// The i16 kind field of TERRIX_HEAD holds a Terrix::FileKind; each kind has
// its own magic in the first kMagicSize bytes.
constexpr std::size_t kMagicSize = kMagicLength;  // 8
/// The magic of a file kind, or null for a value that names no kind.
const char* MagicOfKind(FileKind kind);

// Head area, at offset 0 of every file. The readers walk it with relative skips.
constexpr std::uint32_t kHeadSize = sizeof(TERRIX_HEAD);  // 20
constexpr std::uint32_t kReservedAfterHead = 71;          // 20 .. 91
constexpr std::uint32_t kProjectionOffset = 91;
constexpr std::uint32_t kCountsOffset = 260;
constexpr std::uint32_t kExtentOffset = 304;
constexpr std::uint32_t kExtentSize = 32;
constexpr std::uint32_t kReservedAfterExtent = 256;  // 336 .. 592
constexpr std::uint32_t kTicCountOffset = 592;
constexpr std::uint32_t kTicFieldsSize = 8;  // tic count i32, tic offset u32
constexpr std::uint32_t kHeadAreaSize = 600;
static_assert(kHeadSize + kReservedAfterHead == kProjectionOffset);
static_assert(kProjectionOffset + sizeof(MAP_PARAstruct) == kCountsOffset);
static_assert(kCountsOffset + sizeof(TERRIX_Element) == kExtentOffset);
static_assert(kExtentOffset + kExtentSize + kReservedAfterExtent == kTicCountOffset);
static_assert(kTicCountOffset + kTicFieldsSize == kHeadAreaSize);

/// Directory offset and entry count above this are refused (compared as i32).
constexpr std::int32_t kMaxDirectoryOffset = 1024;
constexpr std::int32_t kMaxDirectoryCount = 1024;
constexpr std::uint32_t kDirectoryEntrySize = sizeof(TERRIX_Part);  // 10

// The layout the writer gives every file.
constexpr std::uint32_t kWriterDirectoryOffset = 657;
constexpr std::uint32_t kWriterDirectoryCount = 16;
constexpr std::uint32_t kFirstSectionOffset =
    kWriterDirectoryOffset + kWriterDirectoryCount * kDirectoryEntrySize;
static_assert(kFirstSectionOffset == 817);
constexpr std::uint16_t kDirectoryFlag = 0xFFFF;

/// Directory entries (sections) and what they hold per file kind.
namespace Section {
constexpr int Elements = 0;          // points, lines or arcs; the table of a table file
constexpr int Coordinates = 1;       // points, notes, arc lists, node styles, tics
constexpr int Attributes = 2;        // table of points, lines or arcs
constexpr int Topology = 3;          // line, region, network: 24 bytes per arc record
constexpr int PointExtents = 3;      // point file: 32 bytes per point record
constexpr int NetworkNodes = 4;      // network file: node records
constexpr int PointWords = 4;        // point file: 4 bytes per point record
constexpr int NodeAttributes = 5;    // line and network files
constexpr int LineExtents = 6;       // line and region files: 32 per arc record
constexpr int LineWords = 7;         // line and region files: 4 per arc record
constexpr int Regions = 8;           // region file: polygon records
constexpr int RegionAttributes = 9;  // region file
constexpr int RegionExtents = 10;
constexpr int RegionWords = 11;
constexpr int TableEndMark = 1;  // table file: two zero bytes
}  // namespace Section

// Element and coordinate sections.
constexpr std::uint32_t kPointRecordSize = sizeof(TERRIX_PntInfo);      // 93
constexpr std::uint32_t kLineRecordSize = sizeof(TERRIX_LineInfo);      // 57
constexpr std::uint32_t kRegionRecordSize = sizeof(TERRIX_RegInfo);     // 40
constexpr std::uint32_t kNodeRecordSize = sizeof(TERRIX_NetPntInfo);    // 55
constexpr std::uint32_t kTopologyRecordSize = sizeof(TERRIX_Topology);  // 24
constexpr std::uint32_t kTicRecordSize = sizeof(TERRIX_Tic_Info);       // 32
constexpr std::uint32_t kCoordinatePairSize = 16;                       // f64 x, f64 y
constexpr std::uint32_t kArcListValueSize = 4;                          // i32
constexpr std::uint32_t kNodeStyleBlockSize = 94;
/// The 16-byte records the editing reader hands out as polygon labels: taken
/// from the start of section 0 of a region file, one per arc record.
constexpr std::uint32_t kRegionLabelSize = sizeof(TERRIX_RegExt);
constexpr std::uint32_t kMaxNoteBytes = 259;       // notes are cut here and terminated
constexpr std::uint32_t kCoordinateLeadBytes = 2;  // the writer's first item is at offset 2
constexpr std::uint8_t kStateInUse = 1;
constexpr std::uint32_t kPerElementExtentSize = 32;
constexpr std::int32_t kPerElementWord = 65536;
constexpr std::uint32_t kReservedNodeSectionSize = 55;
constexpr std::uint32_t kReservedTableSize = 392;

/// Start values of the x and y bounds: this decimal value, not the largest double.
constexpr double kBoundsStart = 1.79769313486232e307;

// Attribute sections.
constexpr std::uint32_t kFieldHeadSize = sizeof(TERRIX_FieldHead);  // 348
constexpr std::uint32_t kFieldSize = sizeof(TERRIX_Field);          // 39
constexpr std::uint8_t kFieldHeadMagic0 = 0x60;                     // '`'
constexpr std::uint8_t kFieldHeadMagic1 = 0x44;                     // 'D'
constexpr std::uint16_t kFieldHeadMagic2 = 0x4460;
constexpr std::size_t kFieldNameSize = sizeof(TERRIX_Field::fieldName);  // 20

// The writer's fixed choices within the layout.
/// Bytes 2..5 of every attribute head the writer makes: the date 2012-05-22 (u16 year, u8, u8).
constexpr std::uint8_t kWriterDateStamp[4] = {0xDC, 0x07, 0x05, 0x16};
constexpr std::uint8_t kWriterFieldFlag = 1;        // TERRIX_Field::fieldFlag
constexpr std::uint8_t kRecordFlag = 1;             // byte 0 of every attribute record the writer makes
constexpr std::uint32_t kRecordFlagSize = 1;        // the first field's value starts behind it
constexpr std::uint32_t kTableEndMarkSize = 2;      // section 1 of a table file: zero bytes
constexpr double kWriterProjectionParam = 1.0;      // MAP_PARAstruct param141, param153, param161
constexpr std::int32_t kWriterNodeRecordCount = 1;  // counts word 3: the node table's reserved record
constexpr std::int32_t kWriterCounterWord9 = 1;     // counts word 9 once an element exists

/// The display parameters of the arc record the writer gives every ring of a
/// polygon: TERRIX_LineInfo::display1 (bytes 18 to 56) as the writer fills it.
/// The rest of a ring arc is zero but for the state and the point count and
/// offset, set as for any arc. A host cannot choose these values for ring
/// arcs, and the library gives them no meaning of its own (only programs that
/// draw the map interpret them), so each field is named by what it holds.
#pragma pack(push, 1)
struct RingArcDisplay {
  std::uint8_t zero0[4] = {};
  std::uint16_t shortOne = 1;  // 22
  std::uint8_t zero1 = 0;
  std::uint8_t byteOne = 1;   // 25
  std::uint32_t longOne = 1;  // 26
  float tenth = 0.1f;         // 30: bits 0x3DCCCCCD
  std::uint8_t zero2 = 0;
  float unitPair[2] = {1.0f, 1.0f};  // 35 and 39
  std::uint32_t lastOne = 1;         // 43
  std::uint8_t zero3[10] = {};       // 47 to 56
};
#pragma pack(pop)
static_assert(sizeof(RingArcDisplay) == sizeof(TERRIX_LineInfo::display1));
static_assert(offsetof(TERRIX_LineInfo, display1) + offsetof(RingArcDisplay, shortOne) == 22);
static_assert(offsetof(TERRIX_LineInfo, display1) + offsetof(RingArcDisplay, tenth) == 30);
static_assert(offsetof(TERRIX_LineInfo, display1) + offsetof(RingArcDisplay, lastOne) == 43);

/// Element i of the interface is record i + 1: record 0 of each table is reserved.
constexpr std::int64_t RecordOfElement(std::int64_t element) {
  return element + 1;
}

}  // namespace Terrix::format
