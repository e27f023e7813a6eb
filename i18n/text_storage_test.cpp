#include "i18n/text_storage.h"

#include <gtest/gtest.h>

namespace {

// Language files address the items by position: these anchors catch a text
// moved, dropped, or "corrected" (the spellings are kept as shipped).
TEST(TextStorageTest, TablesKeepTheirPositions) {
  const std::vector<std::wstring>& main = MainTsTexts();
  ASSERT_EQ(main.size(), 34u);
  const std::pair<size_t, const wchar_t*> anchors[] = {
      {0, L"Purgello is a powerful and secured file cleaner. Use with care."},
      {1, L"Purgello will automatically analyze and delete files. Continue ?"},
      {2, L"Firefox is running. Its associated file will not be cleanned. Please close Firefox and retry"},
      {3, L"Cleaning..."},
      {6, L"Analysis : Complete"},
      {9, L"Next :"},
      {10, L"In Progress..."},
      {11, L"b."},
      {12, L"Kb."},
      {13, L"Mb."},
      {14, L"Gb."},
      {15, L"Tb."},
      {16, L"items"},
      {19, L"Size"},
      {20, L"Songbird is running. Its associated file will not be cleanned. Please close Songbird and retry"},
      {21, L"Done !"},
      {23, L"Hide files"},
      {24, L"Show files"},
      {28, L"Total :"},
      {29, L"Cleans your system of temporary and unwanted files."},
      {32, L"Purgello is already up to date."},
      {33, L"The list could not be saved as"},
  };
  for (const auto& anchor : anchors) EXPECT_EQ(main[anchor.first], anchor.second) << "position " << anchor.first;
  std::vector<size_t> unusedAt;
  for (size_t i = 0; i < main.size(); ++i)
    if (main[i] == L"unused") unusedAt.push_back(i);
  EXPECT_EQ(unusedAt, (std::vector<size_t>{22, 25, 26, 27, 30, 31}));

  EXPECT_EQ(TsAboutTexts(), (std::vector<std::wstring>{L"About", L"Application Name :", L"Version :", L"unused",
                                                       L"unused", L"unused", L"unused", L"unused"}));
  EXPECT_EQ(MakeMainTs().Name(), L"main_ts");
  EXPECT_EQ(MakeTsAbout().Name(), L"TS_about");
}

TEST(TextStorageTest, WithoutALanguageEveryTextTranslatesToItself) {
  TTextStorage table = MakeMainTs();
  for (const std::wstring& english : MainTsTexts()) EXPECT_EQ(table.Translate(english), english);
  // The table's own item, not the argument, when only the letter case differs.
  EXPECT_EQ(table.Translate(L"kb."), L"Kb.");
}

TEST(TextStorageTest, TranslateAfterALanguageSwitch) {
  TTextStorage table = MakeMainTs();
  std::vector<std::wstring> items = MainTsTexts();
  items[3] = L"Nettoyage...";
  items[12] = L"Ko.";
  items[21] = L"unused";      // a translator left this one out
  items[22] = L"premier";     // the first "unused" position
  items[25] = L"deuxi\u00e8me";
  table.SetItems(items);

  struct Case {
    const wchar_t* english;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"Cleaning...", L"Nettoyage..."},
      {L"kb.", L"Ko."},                          // letter case ignored
      {L"KB.", L"Ko."},
      {L"Done !", L"Done !"},                    // item "unused": the English text
      {L"Not in the table", L"Not in the table"},
      {L"", L""},
      {L"unused", L"premier"},                   // the first match counts
      {L"Stop", L"Stop"},
  };
  for (const Case& c : cases) EXPECT_EQ(table.Translate(c.english), c.expected) << "for " << c.english;
  EXPECT_EQ(table.EnglishItems(), MainTsTexts());
}

TEST(TextStorageTest, ItemsReplacedOneByOneOrByAShorterList) {
  TTextStorage table = MakeTsAbout();
  EXPECT_TRUE(table.SetItem(0, L"\u00c0 propos"));
  EXPECT_FALSE(table.SetItem(8, L"past the end"));
  EXPECT_EQ(table.Items().size(), 8u);
  EXPECT_EQ(table.Translate(L"about"), L"\u00c0 propos");

  // A list shorter than the table leaves the later texts untranslated.
  table.SetItems({L"A", L"Nom :"});
  EXPECT_EQ(table.Translate(L"Application Name :"), L"Nom :");
  EXPECT_EQ(table.Translate(L"Version :"), L"Version :");
}

// A language file reaches a table as a component of its window: by path and
// through its Items property, which is all it exposes.
TEST(TextStorageTest, IsAComponentWithItems) {
  Component window(L"AboutDlg");
  TTextStorage table = MakeTsAbout(&window);
  EXPECT_EQ(window.FindComponent(L"ts_about"), &table);
  EXPECT_FALSE(table.HasProperty(L"Caption"));
  std::vector<std::wstring> items = std::get<StringList>(*table.GetProperty(L"items"));
  EXPECT_EQ(items, TsAboutTexts());
  items[2] = L"Versione :";
  ASSERT_TRUE(table.SetProperty(L"ITEMS", items));
  EXPECT_EQ(table.Translate(L"Version :"), L"Versione :");
  EXPECT_EQ(table.EnglishItems(), TsAboutTexts());
}

}  // namespace
