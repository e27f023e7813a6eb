// Removing rows by their positions: the review list and whatever follows its
// rows (the console program's outcomes) must drop the same ones, so both do it
// here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

// Removes the elements at the given positions in one pass and keeps the others
// in their order. The positions may come in any order; a repeated one is
// removed once and one past the end is ignored.
template <typename T>
void EraseIndices(std::vector<T>& items, std::vector<size_t> indices) {
  std::sort(indices.begin(), indices.end());
  size_t next = 0, kept = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    while (next < indices.size() && indices[next] < i) ++next;
    if (next < indices.size() && indices[next] == i) continue;
    if (kept != i) items[kept] = std::move(items[i]);
    ++kept;
  }
  items.erase(items.begin() + std::ptrdiff_t(kept), items.end());
}
