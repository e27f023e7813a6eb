#include "app/language_switch.h"

#include <gtest/gtest.h>

#include "model/format_size.h"

namespace {

TEST(LanguageSwitchTest, SizeTextsTakeTheUnitsOfTheLanguageAndBackToEnglish) {
  const SizeUnits before = CurrentSizeUnits();
  Component main{L"MainDlg"};
  TTextStorage main_ts = MakeMainTs(&main);
  std::vector<std::wstring> items = main_ts.Items();
  for (std::wstring& item : items) {
    if (item == L"b.") item = L"o";
    if (item == L"Kb.") item = L"Ko";
    if (item == L"Gb.") item = L"unused";  // a placeholder keeps the English name
  }
  main_ts.SetItems(items);
  TakeSizeUnitsFrom(main_ts);
  EXPECT_EQ(FormatSize(12), L"12   o");
  EXPECT_EQ(FormatSize(2048), L"2 Ko");
  EXPECT_EQ(FormatSize(int64_t(3) << 30), L"3 Gb.");
  EXPECT_EQ(FormatSize(int64_t(5) << 20), L"5 Mb.");

  main_ts.SetItems(main_ts.EnglishItems());
  TakeSizeUnitsFrom(main_ts);
  EXPECT_EQ(FormatSize(2048), L"2 Kb.");
  SetSizeUnits(before);
}

}  // namespace
