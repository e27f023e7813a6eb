#include "app/cli/row_outcomes.h"

#include <numeric>

RowOutcomes::RowOutcomes(size_t rowCount) : rows_(rowCount), position_(rowCount) {
  std::iota(position_.begin(), position_.end(), size_t(0));
}

size_t RowOutcomes::Handled(size_t index, const std::wstring& label, RowOutcome outcome) {
  const size_t original = position_.at(index);
  Row& row = rows_[original];
  row.label = label;
  row.handled = true;
  row.outcome = outcome;
  return original;
}

void RowOutcomes::Removed(const std::vector<size_t>& ascendingIndices) {
  // One walk that keeps every position not named, in order.
  size_t kept = 0, next = 0;
  for (size_t i = 0; i < position_.size(); ++i) {
    if (next < ascendingIndices.size() && ascendingIndices[next] == i) {
      ++next;
      continue;
    }
    position_[kept++] = position_[i];
  }
  position_.resize(kept);
}
