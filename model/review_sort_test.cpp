#include "model/review_sort.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Order = std::vector<size_t>;

TEST(ColumnSort, FirstClickAscendsAndEachColumnKeepsItsDirection) {
  ColumnSort sort;
  const std::pair<size_t, int> clicks[] = {{0, 1}, {0, -1}, {2, 1}, {0, 1}, {2, -1}, {1, 1}};
  for (const auto& [column, direction] : clicks) {
    sort.Click(column);
    EXPECT_EQ(sort.Column(), column);
    EXPECT_EQ(sort.Direction(), direction) << "after a click on column " << column;
  }
  sort.Click(7);  // no such column
  EXPECT_EQ(sort.Column(), 1u);
}

TEST(ReviewSort, TextsCompareUpperCasedAToZOnly) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L" "}, {L"abc", L"ABC"}, {L"Zz9_", L"ZZ9_"}, {L"\u00e9t\u00e9", L"\u00e9T\u00e9"}, {L"C:\\a", L"C:\\A"}};
  for (const auto& [text, key] : cases) EXPECT_EQ(SortText(text), key);
}

ReviewList Rows(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> rows) {
  ReviewList list;
  for (const auto& [caption, path] : rows) list.Add(caption, path, L"1    b.");
  return list;
}

TEST(ReviewSort, TextColumnsSortOrdinallyAndStably) {
  // Case apart, texts equal keep their order; letters beyond z sort by code,
  // after Z; an empty path sorts as a blank, before every letter.
  ReviewList list = Rows({{L"cookie", L"C:\\b"}, {L"\u00c9crans", L""}, {L"Cookie", L"c:\\A"}, {L"Zip", L"C:\\a"}});
  EXPECT_EQ(SortedOrder(list, 0, 1, {}), (Order{0, 2, 3, 1}));
  EXPECT_EQ(SortedOrder(list, 0, -1, {}), (Order{1, 3, 0, 2}));
  EXPECT_EQ(SortedOrder(list, 1, 1, {}), (Order{1, 2, 3, 0}));
  EXPECT_EQ(SortedOrder(list, 3, 1, {}), Order{});  // no such column
}

TEST(ReviewSort, SizesCompareAsWholeNumbersWithoutOverflow) {
  ReviewList list = Rows({{L"a", L"x"}, {L"b", L"y"}, {L"c", L"z"}, {L"d", L"w"}});
  // A difference past the signed range must not flip the order.
  const std::vector<uint64_t> sizes = {1, (uint64_t{1} << 63) + 5, 0, 1};
  EXPECT_EQ(SortedOrder(list, kSizeColumn, 1, sizes), (Order{2, 0, 3, 1}));
  EXPECT_EQ(SortedOrder(list, kSizeColumn, -1, sizes), (Order{1, 0, 3, 2}));
  EXPECT_EQ(SortedOrder(list, kSizeColumn, 1, {1, 2}), Order{});  // sizes of another list
}

TEST(ReviewSort, ReorderMovesWholeRowsAndRefusesWhatIsNoOrder) {
  ReviewList list = Rows({{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}});
  list.SetChecked(1, false);
  for (const Order& bad : {Order{0, 1}, Order{0, 0, 1}, Order{0, 1, 3}}) {
    list.Reorder(bad);
    EXPECT_EQ(list.At(0).caption, L"a");
  }
  list.Reorder({1, 2, 0});
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.At(0).caption, L"b");
  EXPECT_EQ(list.At(0).path, L"2");
  EXPECT_FALSE(list.Checked(0));
  EXPECT_EQ(list.At(2).caption, L"a");
  EXPECT_TRUE(list.Checked(2));
}

}  // namespace
