// The reading order of boxes laid out in columns, from their real positions:
// columns left to right, each top to bottom. A box's rank counts the boxes
// whose left edge lies more than 10 pixels left of its own, plus those not
// that far left whose top lies more than 10 pixels above its own and whose
// left edge is at most 10 pixels right of its own (the same column).
#pragma once

#include <cstddef>
#include <vector>

struct BoxOrigin {
  int left, top;
};

// The rank of each box (0 first), in the order given.
std::vector<size_t> ReadingRanks(const std::vector<BoxOrigin>& boxes);
