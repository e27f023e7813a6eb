#include "platform/clock.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// Each test run has a fresh prefix, so changing its user locale is harmless.
TEST(Win32ClockTest, TimeSeparatorFollowsTheUserLocale) {
  EXPECT_EQ(platform::TimeSeparator(), L":");
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L"."));
  EXPECT_EQ(platform::TimeSeparator(), L".");
  EXPECT_EQ(platform::SystemClock().TimeSeparator(), L".");
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L":");
}

}  // namespace
