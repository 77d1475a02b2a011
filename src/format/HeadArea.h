// The head area and section directory of a vector map file, decoded once for
// every reader.
#pragma once

#include <cstdint>
#include <vector>

#include "core/File.h"
#include "terrix/FileKind.h"
#include "terrix/Records.h"

namespace Terrix::format {

struct HeadArea {
  TERRIX_HEAD head{};
  MAP_PARAstruct projection{};
  TERRIX_Element counts{};
  double extent[4]{};  // x minimum, y minimum, x maximum, y maximum
  std::int32_t ticCount = 0;
  std::uint32_t ticOffset = 0;
  std::vector<TERRIX_Part> directory;
  /// Set once the magic and kind checks have passed.
  bool kindAccepted = false;

  /// Directory entry `entry`, or false when the directory has no such entry.
  bool Section(int entry, TERRIX_Part& out) const;
  /// The head's kind field; a value that names no kind matches no FileKind enumerator.
  FileKind Kind() const { return static_cast<FileKind>(head.kind); }
};

enum class KindPolicy {
  AnyKind,   // line, point, region, network and table files
  Editable,  // the network kind is refused
};

/// Reads the head area and the directory in the format's order of checks:
/// head read, refusal flag, directory limits, magic and kind, then the fields
/// of the head area and the directory. Returns a result code.
std::int32_t ReadHeadArea(core::File& file, HeadArea& out, KindPolicy policy);

/// Loads an array of fixed-size records. A file cut short, or a record count
/// larger than the file can hold, costs no memory: records beyond what the
/// file holds read as zero bytes, as from a zero-filled table that a short
/// read left as it was.
class RecordTable {
 public:
  /// Reads count records of recordSize bytes at offset. Result::IoError when
  /// the read fails (what was read stays); Result::NoMemory without room.
  std::int32_t Load(core::File& file, std::uint64_t offset, std::int64_t count, std::uint32_t recordSize);
  /// An empty table of count records that all read as zero bytes until
  /// StoreRecord fills them; costs no memory until then.
  void Prepare(std::int64_t count, std::uint32_t recordSize);
  void Clear();

  bool Contains(std::int64_t index) const { return index >= 0 && index < count_; }
  std::int64_t Count() const { return count_; }
  /// Whether record `index` is Contains and some of its bytes were read from
  /// the file (or stored): changing it costs at most one record of memory.
  bool Loaded(std::int64_t index) const {
    return Contains(index) && static_cast<std::uint64_t>(index) * recordSize_ < bytes_.size();
  }
  /// Copies record `index` (which must be Contains) into out, recordSize bytes.
  void CopyRecord(std::int64_t index, void* out) const;
  /// Overwrites record `index` (materialising zero bytes up to it as needed).
  bool StoreRecord(std::int64_t index, const void* record);
  /// The loaded bytes: a prefix of count * recordSize.
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::int64_t count_ = 0;
  std::uint32_t recordSize_ = 0;
};

}  // namespace Terrix::format
