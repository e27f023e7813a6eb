#include "model/catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Catalogue, OrderKeysAndDefaults) {
  EXPECT_STREQ(kCatalogue[0].key, L"Recycle_Bin");
  EXPECT_STREQ(kCatalogue[17].key, L"Temporary_Files");
  EXPECT_STREQ(kCatalogue[41].key, L"Windows_Log_files");
  std::set<std::wstring> keys, off;
  for (const Category& c : kCatalogue) {
    keys.insert(c.key);
    if (!c.enabledByDefault) off.insert(c.key);
  }
  EXPECT_EQ(keys.size(), kCategoryCount);
  EXPECT_EQ(off, (std::set<std::wstring>{L"Windows_Installer_Duplicates", L"Adobe_Reader_Installer_Cache",
                                          L"Hotfixes_Uninstallers"}));
}

TEST(Catalogue, CaptionsThatDiffer) {
  struct Case {
    const wchar_t *key, *settings, *status, *item;
  };
  const Case cases[] = {
      {L"Windows_Installer_Duplicates", L"Windows Installer Duplicates", L"Windows Installer Duplicates", L"Windows Installer Duplicate"},
      {L"Spybot_Update_Cache", L"Spybot Search && Destroy Update Cache", L"Spybot Update Cache", L"Spybot Update Cache"},
      {L"COMODO_Sys_Log", L"COMODO System Cleaner Logs", L"COMODO System Cleaner log", L"COMODO System Cleaner log"},
      {L"Dr_Watson_Logs", L"Dr Watson Logs", L"Dr Watson Logs", L"Dr Watson"},
      {L"Temporary_Internet_Files", L"Temporary Internet Files", L"Temporary Internet Files", L"Temporary Internet File"},
      {L"Hotfixes_Uninstallers", L"Hotfixes / Service Packs Uninstallers", L"Hotfixes Uninstallers", L"Hotfixes / Service Packs Uninstallers"},
  };
  for (const Case& c : cases) {
    const Category* category = FindCategory(c.key);
    ASSERT_NE(category, nullptr) << c.key;
    EXPECT_STREQ(category->settingsCaption, c.settings);
    EXPECT_STREQ(category->statusCaption, c.status);
    EXPECT_STREQ(category->itemCaption, c.item);
  }
  EXPECT_EQ(FindCategory(L"recycle_bin"), nullptr);
}

}  // namespace
