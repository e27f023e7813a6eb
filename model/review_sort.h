// Sorting the review list by one of its columns, as a click on the column's
// header asks: the item caption (0), the path (1) or the size (2, the last).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/review_list.h"

constexpr size_t kSizeColumn = 2;

// The direction each column keeps (1 ascending, -1 descending) and the column
// that sorts. The first click on a column sorts it ascending; each further
// click on it reverses.
class ColumnSort {
 public:
  explicit ColumnSort(size_t columns = kSizeColumn + 1) : directions_(columns, 0) {}
  void Click(size_t column);
  size_t Column() const { return column_; }
  int Direction() const { return column_ < directions_.size() ? directions_[column_] : 1; }

 private:
  std::vector<int> directions_;
  size_t column_ = 0;
};

// What the text columns compare: a to z upper-cased, nothing else changed, and
// an empty text as one blank.
std::wstring SortText(const std::wstring& text);

// The row order that sorts the list; sizes[i] is row i's current size (see
// CurrentRowSize) and is read only for the size column. Rows that compare equal
// keep their order. Empty when sizes does not match the list.
std::vector<size_t> SortedOrder(const ReviewList& list, size_t column, int direction,
                                const std::vector<uint64_t>& sizes);
