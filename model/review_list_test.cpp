#include "model/review_list.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

namespace {

TEST(ReviewList, CheckedTotalsReadSizesAgain) {
  testsupport::TempTree tree;
  ReviewList list;
  list.Add(L"Temporary File", tree.WriteFile(L"a.tmp", std::string(100, 'a')), L"100  b.");
  list.Add(L"Temporary File", tree.WriteFile(L"b.tmp", std::string(10, 'b')), L"10   b.");
  list.Add(L"Cookie", tree.WriteFile(L"c.txt", std::string(1, 'c')), L"1    b.");
  EXPECT_EQ(list.CheckedItemsCount(), 3u);
  EXPECT_EQ(list.CheckedItemsSize(), 111u);

  // A file deleted since the analysis keeps its old text and counts 0 bytes.
  ASSERT_TRUE(platform::DeleteFileAt(list.At(1).path));
  EXPECT_EQ(list.CheckedItemsSize(), 101u);
  EXPECT_EQ(list.At(1).sizeText, L"10   b.");

  list.SetCheckByCaption(L"Temporary File", false);
  EXPECT_EQ(list.CheckedItemsCount(), 1u);
  EXPECT_EQ(list.CheckedItemsSize(), 1u);
  list.SetCheckByCaption(L"Temporary", true);  // exact captions only
  EXPECT_EQ(list.CheckedItemsCount(), 1u);
  list.SetCheckAll(true);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.At(0).caption, L"Temporary File");
  EXPECT_EQ(list.CheckedItemsSize(), 1u);
}

TEST(ReviewList, RecycleBinRowCountsTheBinsItemsNotOne) {
  ReviewList list;
  list.Add(L"Recycle Bin", L"", L"0    b.");
  list.Add(L"recycle bin", L"", L"0    b.");  // not the row: the caption is compared exactly
  // The test's own Recycle Bin is empty: the row stands for 0 items, the
  // look-alike for one (missing) file.
  EXPECT_EQ(list.CheckedItemsCount(), 1u);
  EXPECT_EQ(list.CheckedItemsSize(), 0u);
}

// A helper thread reads a copy while the GUI thread goes on with the original:
// the copy keeps the rows, their order and their checks as they were.
TEST(ReviewList, ACopyKeepsItsRowsAndChecksWhateverTheOriginalDoes) {
  ReviewList list;
  list.Add(L"Temporary File", L"C:\\t\\a.tmp", L"1");
  list.Add(L"Cookie", L"C:\\c\\b.txt", L"2");
  list.Add(L"Temporary File", L"C:\\t\\c.tmp", L"3");
  list.SetChecked(1, false);
  const ReviewList copy = list;

  list.SetCheckAll(false);
  list.SetChecked(2, true);
  list.Reorder({2, 0, 1});
  list.Delete(1);
  list.Add(L"Cookie", L"C:\\c\\d.txt", L"4");

  ASSERT_EQ(copy.Count(), 3u);
  std::wstring rows;
  for (size_t i = 0; i < copy.Count(); ++i) rows += copy.At(i).sizeText + (copy.Checked(i) ? L"x " : L"- ");
  EXPECT_EQ(rows, L"1x 2- 3x ");
  // The original's checks went with their rows when they moved.
  std::wstring now;
  for (size_t i = 0; i < list.Count(); ++i) now += list.At(i).sizeText + (list.Checked(i) ? L"x " : L"- ");
  EXPECT_EQ(now, L"3x 2- 4x ");
}

}  // namespace
