// The points of all arcs of a file being written, back to back, kept in
// blocks: growing never copies what is stored. (A vector that doubles holds
// the old and the new array at once, half again the coordinates' size.)
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace Terrix::detail {

class ArcCoordinates {
 public:
  /// Values (x, y, x, y, ...) stored.
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  /// Appends `n` values and answers where to write them, contiguous. Throws
  /// std::bad_alloc when no memory is left (nothing is then appended).
  double* Append(std::size_t n);
  /// Drops every value from `size` on: the values of a refused element, the
  /// last ones appended.
  void Truncate(std::size_t size);
  /// Hands every block's values in order to `write(values, count)` until it
  /// answers false; answers whether every call succeeded.
  template <typename Write>
  bool ForEachBlock(Write write) const {
    for (const Block& b : blocks_)
      if (b.used > 0 && !write(b.values.get(), b.used)) return false;
    return true;
  }
  void Release() {
    std::vector<Block>().swap(blocks_);
    size_ = 0;
  }

 private:
  // Values per block: large enough that a file takes few writes, small enough
  // that the unused end of the last block costs little.
  static constexpr std::size_t kBlockValues = std::size_t{1} << 20;
  struct Block {
    std::unique_ptr<double[]> values;
    std::size_t capacity = 0;
    std::size_t used = 0;
  };
  std::vector<Block> blocks_;
  std::size_t size_ = 0;
};

inline double* ArcCoordinates::Append(std::size_t n) {
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < n) {
    Block b;
    b.capacity = n > kBlockValues ? n : kBlockValues;
    blocks_.reserve(blocks_.size() + 1);  // may throw before anything changes
    b.values.reset(new double[b.capacity]);
    blocks_.push_back(std::move(b));
  }
  Block& b = blocks_.back();
  double* at = b.values.get() + b.used;
  b.used += n;
  size_ += n;
  return at;
}

inline void ArcCoordinates::Truncate(std::size_t size) {
  while (size_ > size && !blocks_.empty()) {
    Block& b = blocks_.back();
    const std::size_t drop = size_ - size < b.used ? size_ - size : b.used;
    b.used -= drop;
    size_ -= drop;
    if (b.used == 0) blocks_.pop_back();
  }
}

}  // namespace Terrix::detail
