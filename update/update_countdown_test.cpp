#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/update_addresses.h"
#include "update/update_countdown.h"

namespace {

TEST(UpdateCountdown, CountsFrom20To1ThenClosesAndStartsAfreshAtTheNextShowing) {
  UpdateCountdown countdown;
  std::wstring caption = countdown.Start(L"Close");
  EXPECT_EQ(caption, L"Close");
  for (int showing = 0; showing < 2; ++showing) {
    SCOPED_TRACE(showing);
    std::vector<std::wstring> captions;
    bool closed = false;
    int ticks = 0;
    while (!closed && ticks < 100) {
      const UpdateCountdown::Step step = countdown.Tick();
      captions.push_back(step.caption);
      closed = step.close;
      ++ticks;
    }
    EXPECT_EQ(ticks, 20);
    EXPECT_EQ(captions.front(), L"Close\n\r(20)");
    EXPECT_EQ(captions[1], L"Close\n\r(19)");
    EXPECT_EQ(captions.back(), L"Close\n\r(1)");
    // The button still shows "(1)" when the dialog shows again: no leftover.
    caption = countdown.Start(captions.back());
    EXPECT_EQ(caption, L"Close");
    EXPECT_EQ(countdown.SecondsLeft(), 20);
  }
}

TEST(UpdateCountdown, PicksUpATranslatedCaptionAndStopsEarlyWhenShownAgain) {
  UpdateCountdown countdown;
  countdown.Start(L"Close");
  countdown.Tick();
  countdown.Tick();  // closed by hand at (19)
  EXPECT_EQ(countdown.Start(L"Fermer"), L"Fermer");  // a language was loaded meanwhile
  EXPECT_EQ(countdown.Tick().caption, L"Fermer\n\r(20)");
  // A first caption that holds "(" is saved all the same.
  UpdateCountdown other;
  EXPECT_EQ(other.Start(L"Close (Esc)"), L"Close (Esc)");
}

TEST(UpdateAddresses, TheVendorsPagesOnTheConfiguredServer) {
  EXPECT_EQ(UpdateViewPageUrl(L"v.test"), L"https://v.test/pylo/view.php?&ProductName=Purgello&Company=Halvoris&prot=2");
  EXPECT_EQ(UpdateDownloadUrl(L"v.test"), L"https://v.test/files/purgello_lite.exe");
  EXPECT_EQ(ChangeLogUrl(L"v.test"), L"https://v.test/bugs/changelog_page.php?project_id=12");
  EXPECT_EQ(BugTrackerUrl(L"v.test"), L"https://v.test/bugs/view_all_bug_page.php?project_id=12");
}

}  // namespace
