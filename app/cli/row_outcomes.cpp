#include "app/cli/row_outcomes.h"

#include <numeric>

#include "model/erase_indices.h"

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

void RowOutcomes::Removed(const std::vector<size_t>& indices) { EraseIndices(position_, indices); }
