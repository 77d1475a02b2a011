#include "format/HeadArea.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "format/Layout.h"
#include "terrix/ResultCodes.h"

namespace Terrix::format {

bool HeadArea::Section(int entry, TERRIX_Part& out) const {
  if (entry < 0 || static_cast<std::size_t>(entry) >= directory.size()) return false;
  out = directory[static_cast<std::size_t>(entry)];
  return true;
}

std::int32_t ReadHeadArea(core::File& file, HeadArea& out, KindPolicy policy) {
  out.kindAccepted = false;
  file.Seek(0);
  if (!file.Read(&out.head, sizeof out.head)) return Result::IoError;
  if (out.head.refusalFlag != 0) return Result::Refused;
  if (out.head.directoryOffset > kMaxDirectoryOffset || out.head.directoryCount > kMaxDirectoryCount)
    return Result::CannotOpen;

  const char* magic = MagicOfKind(out.Kind());
  if (policy == KindPolicy::Editable && out.Kind() == FileKind::Network) magic = nullptr;
  if (magic == nullptr || std::memcmp(out.head.magic, magic, kMagicSize) != 0) return Result::BadMagic;
  out.kindAccepted = true;

  file.Skip(kReservedAfterHead);
  if (!file.Read(&out.projection, sizeof out.projection)) return Result::IoError;
  if (!file.Read(&out.counts, sizeof out.counts)) return Result::IoError;
  if (!file.Read(out.extent, sizeof out.extent)) return Result::IoError;
  file.Skip(kReservedAfterExtent);
  std::uint8_t tics[kTicFieldsSize] = {};
  if (!file.Read(tics, sizeof tics)) return Result::IoError;
  std::memcpy(&out.ticCount, tics, 4);
  std::memcpy(&out.ticOffset, tics + 4, 4);

  // A negative entry count passes the signed limit check; it holds no entries.
  const std::size_t entries = static_cast<std::size_t>(std::max(out.head.directoryCount, 0));
  out.directory.assign(entries, TERRIX_Part{});
  file.Seek(static_cast<std::uint32_t>(out.head.directoryOffset));
  if (entries > 0 && !file.Read(out.directory.data(), entries * kDirectoryEntrySize)) return Result::IoError;
  return Result::Success;
}

std::int32_t RecordTable::Load(core::File& file, std::uint64_t offset, std::int64_t count,
                               std::uint32_t recordSize) {
  Clear();
  count_ = std::max<std::int64_t>(count, 0);
  recordSize_ = recordSize;
  const std::uint64_t wanted = static_cast<std::uint64_t>(count_) * recordSize;
  const std::uint64_t size = file.Size();
  const std::uint64_t present = offset < size ? std::min(wanted, size - offset) : 0;
  try {
    bytes_.resize(static_cast<std::size_t>(present));
  } catch (const std::bad_alloc&) {
    return Result::NoMemory;
  }
  file.Seek(offset);
  std::size_t transferred = 0;
  const bool ok = file.Read(bytes_.data(), bytes_.size(), transferred);
  // The file may have shrunk since it was opened: keep only what arrived.
  bytes_.resize(transferred);
  return ok ? Result::Success : Result::IoError;
}

void RecordTable::Prepare(std::int64_t count, std::uint32_t recordSize) {
  Clear();
  count_ = std::max<std::int64_t>(count, 0);
  recordSize_ = recordSize;
}

void RecordTable::Clear() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  count_ = 0;
  recordSize_ = 0;
}

void RecordTable::CopyRecord(std::int64_t index, void* out) const {
  const std::uint64_t start = static_cast<std::uint64_t>(index) * recordSize_;
  auto* dst = static_cast<std::uint8_t*>(out);
  std::memset(dst, 0, recordSize_);
  if (start < bytes_.size()) {
    const std::size_t have =
        static_cast<std::size_t>(std::min<std::uint64_t>(recordSize_, bytes_.size() - start));
    std::memcpy(dst, bytes_.data() + start, have);
  }
}

bool RecordTable::StoreRecord(std::int64_t index, const void* record) {
  if (!Contains(index)) return false;
  const std::uint64_t end = static_cast<std::uint64_t>(index + 1) * recordSize_;
  try {
    if (bytes_.size() < end) bytes_.resize(static_cast<std::size_t>(end), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::memcpy(bytes_.data() + (end - recordSize_), record, recordSize_);
  return true;
}

}  // namespace Terrix::format
