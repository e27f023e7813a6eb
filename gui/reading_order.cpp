#include "gui/reading_order.h"

std::vector<size_t> ReadingRanks(const std::vector<BoxOrigin>& boxes) {
  constexpr int kSlack = 10;
  std::vector<size_t> ranks(boxes.size(), 0);
  for (size_t i = 0; i < boxes.size(); ++i) {
    for (size_t j = 0; j < boxes.size(); ++j) {
      if (i == j) continue;
      const BoxOrigin& me = boxes[i];
      const BoxOrigin& other = boxes[j];
      if (other.left < me.left - kSlack) {
        ++ranks[i];
      } else if (other.top < me.top - kSlack && other.left <= me.left + kSlack) {
        ++ranks[i];
      }
    }
  }
  return ranks;
}
