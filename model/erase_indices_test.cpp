#include "model/erase_indices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(EraseIndices, TheOthersKeepTheirOrder) {
  const struct {
    std::vector<size_t> indices;
    std::vector<std::string> kept;
  } cases[] = {
      {{}, {"a", "b", "c", "d", "e"}},
      {{1, 3}, {"a", "c", "e"}},
      {{0, 1, 2, 3, 4}, {}},
      {{2, 2, 4}, {"a", "b", "d"}},  // a repeated index must not stop the ones after it
      {{4, 0, 2}, {"b", "d"}},
      {{3, 9}, {"a", "b", "c", "e"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> items{"a", "b", "c", "d", "e"};
    EraseIndices(items, c.indices);
    EXPECT_EQ(items, c.kept) << ::testing::PrintToString(c.indices);
  }
}

}  // namespace
