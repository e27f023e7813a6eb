// The last outcome of every row of one cleaning. The worker reports a row by
// its index in the list as it stands, and the sweep after each pass removes
// rows; this follows each row across those removals, so that a row retried in
// a later pass is reported once, with how it ended.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cleaning/clean_thread.h"

class RowOutcomes {
 public:
  struct Row {
    std::wstring label;
    bool handled = false;
    RowOutcome outcome = RowOutcome::Failed;  // the last one; meaningful when handled
  };

  explicit RowOutcomes(size_t rowCount);

  // Returns the row's number in the original list.
  size_t Handled(size_t index, const std::wstring& label, RowOutcome outcome);
  // The indices the sweep removed, as they were before the removal.
  void Removed(const std::vector<size_t>& indices);

  // In original order.
  const std::vector<Row>& Rows() const { return rows_; }
  // Original numbers of the rows still in the list.
  const std::vector<size_t>& Remaining() const { return position_; }

 private:
  std::vector<Row> rows_;
  std::vector<size_t> position_;  // list index -> original number
};
