// Following rows across sweeps, and telling running browsers from window titles.
#include <gtest/gtest.h>

#include "app/cli/row_outcomes.h"
#include "app/running_browsers.h"

namespace {

TEST(RowOutcomes, EachRowKeepsItsLastOutcomeAcrossSweeps) {
  RowOutcomes outcomes(5);
  // Pass 1: row 3's file had gone (no report); the sweep removes rows 0 and 3.
  EXPECT_EQ(outcomes.Handled(0, L"a", RowOutcome::Deleted), 0u);
  EXPECT_EQ(outcomes.Handled(1, L"b", RowOutcome::Failed), 1u);
  EXPECT_EQ(outcomes.Handled(2, L"c", RowOutcome::Skipped), 2u);
  EXPECT_EQ(outcomes.Handled(4, L"e", RowOutcome::Scheduled), 4u);
  outcomes.Removed({0, 3});
  // Pass 2 sees b, c, e at 0, 1, 2.
  EXPECT_EQ(outcomes.Handled(0, L"b", RowOutcome::Deleted), 1u);
  EXPECT_EQ(outcomes.Handled(1, L"c", RowOutcome::Skipped), 2u);
  EXPECT_EQ(outcomes.Handled(2, L"e", RowOutcome::Scheduled), 4u);
  outcomes.Removed({0});

  const std::vector<RowOutcomes::Row>& rows = outcomes.Rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[1].outcome, RowOutcome::Deleted);
  EXPECT_EQ(rows[2].outcome, RowOutcome::Skipped);
  EXPECT_EQ(rows[2].label, L"c");
  EXPECT_FALSE(rows[3].handled);
  EXPECT_EQ(rows[4].outcome, RowOutcome::Scheduled);
  EXPECT_EQ(outcomes.Remaining(), (std::vector<size_t>{2, 4}));
}

TEST(RunningBrowsers, TitlesThatShowFirefoxOrSongbird) {
  struct Case {
    const wchar_t* title;
    bool firefox, songbird;
  };
  const Case cases[] = {
      {L"Start Page - Mozilla Firefox", true, false},
      {L"ab Mozilla Firefox", true, false},
      {L"aMozilla Firefox", false, false},  // fewer than two characters before it
      {L"Mozilla Firefox", false, false},
      {L"C:\\Program Files\\Mozilla Firefox", false, false},  // an explorer window on its folder
      {L"x - mozilla firefox", false, false},                 // letter case counts
      {L"SONGBIRD", false, true},
      {L"Songbird - playing", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TitlesShowFirefox({L"", c.title}), c.firefox) << c.title;
    EXPECT_EQ(TitlesShowSongbird({c.title}), c.songbird) << c.title;
  }
  // Only the first occurrence in a title counts.
  EXPECT_FALSE(TitlesShowFirefox({L"C:\\Mozilla Firefox - Mozilla Firefox"}));
}

}  // namespace
