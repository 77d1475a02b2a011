// The attribute rows of a file being written, kept compactly until the
// fields' types and widths are known (a width is the longest value; a 64-bit
// integer field's storage depends on every value). Each row holds only the
// values that were given; the rows are read back once, in order, and their
// memory is released as they go.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Value.h"

namespace Terrix::Convert {

class RowStore {
 public:
  /// Starts a row; its values follow, then EndRow.
  void BeginRow();
  /// A value of field `field` (text already in the file's code page).
  void Put(std::uint32_t field, const Value& v);
  /// Ends the row: the number of elements it belongs to (a multi-part
  /// feature becomes several elements that share its values).
  void EndRow(std::uint32_t elements);
  /// Changes the element count of row `row` (rows written before the file
  /// kind was known).
  void SetElements(std::size_t row, std::uint32_t elements) { elements_[row] = elements; }
  std::size_t RowCount() const { return elements_.size(); }
  std::uint32_t ElementsOf(std::size_t row) const { return elements_[row]; }
  std::size_t Bytes() const { return bytes_; }

  /// Reads the rows in order, releasing each block once it has been read.
  class Reader {
   public:
    explicit Reader(RowStore& store) : store_(store) {}
    /// The next row's values (field, value) and element count; false at the end.
    bool Next(std::vector<std::pair<std::uint32_t, Value>>& values, std::size_t& count,
              std::uint32_t& elements);

   private:
    RowStore& store_;
    std::size_t block_ = 0, at_ = 0, row_ = 0;
  };

 private:
  static constexpr std::size_t kBlockBytes = 1 << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<std::size_t> used_;
  std::vector<std::uint32_t> elements_;
  std::string row_;  // the row being built
  std::uint32_t rowValues_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace Terrix::Convert
