#include "settings/settings_vocabulary.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(SettingsVocabularyTest, DeletionMethodTextsBothWays) {
  const std::pair<const wchar_t*, DeletionMethod> reads[] = {
      {L"1Pass", DeletionMethod::OnePassRandom}, {L"3Pass", DeletionMethod::ThreePassDoD},
      {L"3pass", DeletionMethod::Standard},      {L"", DeletionMethod::Standard},
      {L"2Pass", DeletionMethod::Standard},      {L" 1Pass", DeletionMethod::Standard},
      {L"Recycle", DeletionMethod::Recycle},     {L"recycle", DeletionMethod::Standard},
      {L"Recycle ", DeletionMethod::Standard},
  };
  for (const auto& [text, method] : reads) EXPECT_EQ(DeletionMethodFromText(text), method) << text;
  for (DeletionMethod m : {DeletionMethod::Standard, DeletionMethod::OnePassRandom, DeletionMethod::ThreePassDoD,
                           DeletionMethod::Recycle})
    EXPECT_EQ(DeletionMethodFromText(DeletionMethodText(m)), m);
  EXPECT_EQ(DeletionMethodText(DeletionMethod::Standard), L"");
}

TEST(SettingsVocabularyTest, IntegersOrTheFallback) {
  const std::pair<const wchar_t*, int> cases[] = {
      {L"7", 7},      {L"-1", -1},   {L"+3", 3},          {L"0", 0},           {L"", 99},
      {L"x", 99},     {L"7x", 99},   {L" 7", 99},         {L"-", 99},          {L"2147483647", INT_MAX},
      {L"-2147483648", INT_MIN},     {L"2147483648", 99}, {L"99999999999999999999", 99},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(IntegerFromText(text, 99), expected) << text;
}

TEST(SettingsVocabularyTest, EveryNameOnceWithItsFallback) {
  for (size_t i = 0; i < kGeneralSettingCount; ++i)
    for (size_t j = i + 1; j < kGeneralSettingCount; ++j)
      EXPECT_NE(std::wstring(kGeneralSettings[i].name), kGeneralSettings[j].name);
  EXPECT_EQ(FindSetting(L"AutoFrequency")->fallback, std::wstring(L"1"));
  EXPECT_EQ(FindSetting(L"HTTPProxyPort")->fallback, std::wstring(L"80"));
  EXPECT_EQ(FindSetting(L"AutoUpdate")->kind, SettingKind::BoolUnlessZero);
  EXPECT_EQ(FindSetting(L"autoupdate"), nullptr);  // names are exact
}

}  // namespace
