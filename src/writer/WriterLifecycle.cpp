// Terrix_Writer: the object, Create, the projection, Flush and Close.
#include <cstring>

#include "format/Layout.h"
#include "terrix/ResultCodes.h"
#include "terrix/Writer.h"
#include "writer/WriterState.h"

namespace Terrix {

namespace detail {

namespace {

/// Swapping with an empty container releases the memory, which clear() keeps.
template <typename Container>
void Release(Container& c) {
  Container().swap(c);
}

// Compared as int: a value beyond the i16 of a FileKind must not wrap onto one.
bool IsWritableKind(int kind) {
  for (const FileKind writable : {FileKind::Line, FileKind::Point, FileKind::Region, FileKind::Table})
    if (kind == static_cast<int>(writable)) return true;
  return false;
}

TERRIX_FieldHead NewFieldHead() {
  TERRIX_FieldHead h{};
  h.magic[0] = static_cast<char>(format::kFieldHeadMagic0);
  h.magic[1] = static_cast<char>(format::kFieldHeadMagic1);
  std::memcpy(h.dateStamp, format::kWriterDateStamp, sizeof h.dateStamp);
  h.recordOffset = format::kFieldHeadSize;
  h.magic2 = format::kFieldHeadMagic2;
  h.fieldCount = 0;
  h.recordCount = 1;  // the leading record
  h.recordLength = format::kRecordFlagSize;
  return h;
}

MAP_PARAstruct NewProjection() {
  MAP_PARAstruct p{};
  p.param141 = format::kWriterProjectionParam;
  p.param153 = format::kWriterProjectionParam;
  p.param161 = format::kWriterProjectionParam;
  return p;
}

}  // namespace

void WriterState::Reset() {
  file.Close();
  kind = FileKind::Line;
  ready = false;
  flushed = false;
  Release(pointInfos);
  Release(lineInfos);
  Release(regionInfos);
  arcCoordinates.Release();
  Release(regionArcList);
  Release(noteText);
  fieldHead = TERRIX_FieldHead{};
  Release(fields);
  currentRecordIndex = -1;
  Release(records);
  head = TERRIX_HEAD{};
  directory = {};
  projection = MAP_PARAstruct{};
  counts = TERRIX_Element{};
  extent = Extent{};
  ticCount = 0;
  ticOffset = 0;
  layoutFits = false;
}

int AttributeSectionOf(FileKind kind) {
  switch (kind) {
    case FileKind::Line:
    case FileKind::Point:
      return format::Section::Attributes;
    case FileKind::Region:
      return format::Section::RegionAttributes;
    case FileKind::Table:
      return format::Section::Elements;
    default:
      return -1;
  }
}

}  // namespace detail

Terrix_Writer::Terrix_Writer() : state_(std::make_shared<detail::WriterState>()) {}
Terrix_Writer::Terrix_Writer(const Terrix_Writer& other) = default;
Terrix_Writer& Terrix_Writer::operator=(const Terrix_Writer& other) = default;
// The last copy to go closes the file (the shared state's file closes itself);
// nothing is written.
Terrix_Writer::~Terrix_Writer() = default;

std::int32_t Terrix_Writer::Create(const wchar_t* path, int kind) {
  detail::WriterState& s = *state_;
  // A reused writer starts from nothing, so it makes the same bytes as a new one.
  s.Reset();
  if (path == nullptr || !s.file.Open(path, core::OpenMode::Create)) return Result::CannotOpen;
  if (!detail::IsWritableKind(kind)) return Result::BadMagic;  // the empty file stays open

  try {
    std::memcpy(s.head.magic, format::MagicOfKind(static_cast<FileKind>(kind)), format::kMagicSize);
    s.head.kind = static_cast<std::int16_t>(kind);
    s.head.refusalFlag = 0;
    s.head.directoryOffset = static_cast<std::int32_t>(format::kWriterDirectoryOffset);
    s.head.directoryCount = static_cast<std::int32_t>(format::kWriterDirectoryCount);
    s.projection = detail::NewProjection();
    for (TERRIX_Part& entry : s.directory) entry = TERRIX_Part{0, 0, format::kDirectoryFlag};
    s.fieldHead = detail::NewFieldHead();
    // Every table starts with its reserved record 0, all zero, whatever the kind.
    s.pointInfos.assign(1, TERRIX_PntInfo{});
    s.lineInfos.assign(1, TERRIX_LineInfo{});
    s.regionInfos.assign(1, TERRIX_RegInfo{});
  } catch (const std::bad_alloc&) {
    s.Reset();
    return Result::NoMemory;
  }
  s.kind = static_cast<FileKind>(kind);
  s.ready = true;
  return Result::Success;
}

void Terrix_Writer::WriteProjection(const MAP_PARAstruct* projection) {
  detail::WriterState& s = *state_;
  if (projection == nullptr || !s.ready) return;
  s.projection = *projection;
  s.file.Seek(format::kProjectionOffset);
  s.file.Write(&s.projection, sizeof s.projection);
}

void Terrix_Writer::Flush() {
  detail::WriterState& s = *state_;
  if (!s.ready) return;
  // The results are not reported: each step runs whatever the one before it did.
  BuildMapPart();
  WriteHeadInfo();
  WriteGeomInfo();
  WriteGeometry();
  WriteFieldInfo();
  WriteRecordAll();
  WriteEndInfo();
  s.flushed = true;
}

void Terrix_Writer::Close() {
  state_->Reset();
}

}  // namespace Terrix
