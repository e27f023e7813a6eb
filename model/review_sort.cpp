#include "model/review_sort.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

void ColumnSort::Click(size_t column) {
  if (column >= directions_.size()) return;
  int& direction = directions_[column];
  if (std::abs(direction) != 1) direction = -1;
  direction = -direction;
  column_ = column;
}

std::wstring SortText(const std::wstring& text) {
  if (text.empty()) return L" ";
  std::wstring upper = text;
  for (wchar_t& c : upper)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return upper;
}

namespace {

const std::wstring& ColumnText(const FoundItem& item, size_t column) {
  return column == 0 ? item.caption : item.path;
}

}  // namespace

std::vector<size_t> SortedOrder(const ReviewList& list, size_t column, int direction,
                                const std::vector<uint64_t>& sizes) {
  const size_t count = list.Count();
  if (column > kSizeColumn || (column == kSizeColumn && sizes.size() != count)) return {};
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), size_t{0});
  if (column == kSizeColumn) {
    // Compared, not subtracted: no difference of two sizes can overflow.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return direction > 0 ? sizes[a] < sizes[b] : sizes[b] < sizes[a];
    });
    return order;
  }
  // Each row's text is made once, not once per comparison.
  std::vector<std::wstring> keys(count);
  for (size_t i = 0; i < count; ++i) keys[i] = SortText(ColumnText(list.At(i), column));
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return direction > 0 ? keys[a] < keys[b] : keys[b] < keys[a];
  });
  return order;
}
