#include "terrix/Legend.h"

#include <cstring>
#include <vector>

#include "core/File.h"
#include "styling/RecordRead.h"
#include "styling/StyleLayout.h"
#include "terrix/ResultCodes.h"

namespace Terrix {

namespace detail {

/// Everything a Terrix_Legend holds; copies of a legend share one state.
struct LegendState {
  core::File file;
  LEGEND_HEAD head{};
  /// Items of a successful Open: `count` of them, of which those past
  /// `items` lay beyond the end of the file and read as zeros.
  std::int64_t count = 0;
  std::vector<TERRIX_LegendItem> items;
};

}  // namespace detail

namespace {

/// Clears the style record and reads it at the current position; false for a
/// missing destination or a failed read.
template <typename Style>
bool ReadStyle(core::File& file, Style* style) {
  return style != nullptr && styling::ReadCleared(file, *style);
}

}  // namespace

Terrix_Legend::Terrix_Legend() : state_(std::make_shared<detail::LegendState>()) {}
Terrix_Legend::Terrix_Legend(const Terrix_Legend& other) = default;
Terrix_Legend& Terrix_Legend::operator=(const Terrix_Legend& other) = default;
Terrix_Legend::~Terrix_Legend() = default;

std::int32_t Terrix_Legend::Open(const wchar_t* path) {
  // A state of its own: a file opened before is closed once no copy holds it.
  state_ = std::make_shared<detail::LegendState>();
  detail::LegendState& s = *state_;
  if (!s.file.Open(path, core::OpenMode::Read)) return Result::CannotOpen;

  if (!styling::ReadCleared(s.file, s.head)) return Result::IoError;
  if (!styling::MagicMatches(s.head.magic, styling::kLegendMagic)) {
    s.file.Close();
    return Result::BadMagic;
  }

  const std::int32_t count = s.head.legendCount;
  if (count < 1) return count;
  if (!styling::ReadTable(s.file, count, s.items)) return Result::IoError;
  s.count = count;
  return count;
}

std::int32_t Terrix_Legend::GetLegendNum() {
  return state_->file.IsOpen() ? state_->head.legendCount : 0;
}

std::int32_t Terrix_Legend::GetLegendInfo(int index, TERRIX_LegendItem* item, PNT_INFOstruct* point,
                                          LIN_INFOstruct* line, REG_INFOstruct* region) {
  detail::LegendState& s = *state_;
  if (!s.file.IsOpen() || index < 0 || index >= s.count) return Result::IoError;
  const std::size_t at = static_cast<std::size_t>(index);
  const TERRIX_LegendItem found = at < s.items.size() ? s.items[at] : TERRIX_LegendItem{};
  if (item != nullptr) std::memcpy(item, &found, sizeof found);

  const std::int8_t kind = found.kind;
  if (kind != styling::kLegendPoint && kind != styling::kLegendLine && kind != styling::kLegendRegion)
    return kind;

  // The style area follows the item table; the offset counts from its start.
  const std::int64_t position = static_cast<std::int64_t>(styling::kLegendItemTableOffset) +
                                s.count * static_cast<std::int64_t>(sizeof(TERRIX_LegendItem)) +
                                found.styleOffset;
  if (position < 0) return Result::IoError;
  s.file.Seek(static_cast<std::uint64_t>(position));

  bool read = false;
  if (kind == styling::kLegendPoint) read = ReadStyle(s.file, point);
  if (kind == styling::kLegendLine) read = ReadStyle(s.file, line);
  if (kind == styling::kLegendRegion) read = ReadStyle(s.file, region);
  return read ? kind : Result::IoError;
}

void Terrix_Legend::Close() {
  detail::LegendState& s = *state_;
  s.items.clear();
  s.items.shrink_to_fit();
  s.count = 0;
  s.file.Close();
}

}  // namespace Terrix
