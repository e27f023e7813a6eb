#include "i18n/language_choice.h"

#include <gtest/gtest.h>

#include "i18n/record_file.h"
#include "platform/registry.h"
#include "tests/support/fake_components.h"
#include "tests/support/own_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

void WriteLanguage(testsupport::TempTree& tree, const std::wstring& name, uint16_t id, const std::string& language,
                   const std::string& heading) {
  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = tree.Path(name);
  file.Open();
  file.AppendInteger(0, id);  // revision 0: identity and names only
  for (const std::string& text : {language, heading, std::string("r"), std::string(), std::string()})
    file.AppendString(static_cast<int32_t>(file.RecordCount()), text);
  file.Close();
}

TEST(LanguageChoiceTest, RowsHeadingAndSelectionFollowTheSwitcher) {
  testsupport::TempTree tree;
  const testsupport::OwnPrefix prefix(tree.Path(L"prefix"));
  WriteLanguage(tree, L"prog\\HV_0000040C.SPK", 0x040C, "Francais", "Langue");
  WriteLanguage(tree, L"prog\\HV_00000407.SPK", 0x0407, "Deutsch", "Sprache");
  Component app{L""};
  testsupport::FakeControl main{L"MainDlg", &app};
  TLangList langue(&main, app, tree.Path(L"prog"));
  langue.FilePrefix = L"HV_";
  langue.RegKey = L"Software\\Halvoris\\LanguageChoiceTest";
  platform::DeleteKeyTree(platform::RegRoot::CurrentUser, langue.RegKey);
  langue.userDefaultLanguage = [] { return uint16_t{0x0407}; };
  int windowHeard = 0, changes = 0, clicks = 0;
  langue.AfterLanguageSwitch = [&] { ++windowHeard; };

  LanguageChoice choice;
  choice.onChanged = [&] { ++changes; };
  choice.OnClick = [&] { ++clicks; };
  choice.SetLanguageList(&langue);
  EXPECT_EQ(choice.Rows(), (std::vector<std::wstring>{L"Francais - r", L"Deutsch - r"}));
  EXPECT_EQ(choice.SelectedRow(), -1);

  langue.FirstActivation({}, nullptr, nullptr);  // restores German
  EXPECT_EQ(windowHeard, 1);
  EXPECT_EQ(choice.SelectedRow(), 1);
  EXPECT_EQ(choice.Heading(), L"  Sprache");

  EXPECT_EQ(choice.Click(0), SwitchResult::Loaded);
  EXPECT_EQ(windowHeard, 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(choice.SelectedRow(), 0);
  EXPECT_EQ(choice.Heading(), L"Langue");
  EXPECT_GE(changes, 3);

  // Unbound: no rows, and the window hears the switches directly again.
  choice.SetLanguageList(nullptr);
  EXPECT_TRUE(choice.Rows().empty());
  EXPECT_EQ(choice.Click(1), SwitchResult::Unchanged);
  langue.SetLanguageIndex(1);
  EXPECT_EQ(windowHeard, 3);
  EXPECT_EQ(choice.Heading(), L"Langue");
  platform::DeleteKeyTree(platform::RegRoot::CurrentUser, langue.RegKey);
}

TEST(LanguageChoiceTest, RowPartsAreCentredWithTruncatingDivisions) {
  const struct Case {
    int left, top, bottom, flagWidth, flagHeight, textHeight;
    FlagRowLayout expected;
    int dpi = 96;
  } cases[] = {
      {0, 0, 32, 22, 14, 13, {3, 1, 24, 16, 4, 2, 34, 9}},
      {5, 32, 64, 16, 11, 16, {8, 33, 18, 13, 9, 34, 33, 40}},
      {0, -10, 5, 16, 11, 14, {3, -17, 18, 13, 4, -16, 28, -9}},  // -33 / 2 is -16, -19 / 2 is -9
      // At 144 DPI a 48-pixel row: distances 4 -> 6, 28 -> 42, 1 -> 2 (1.5 rounds up), 2 -> 3, 10 -> 15.
      {0, 0, 48, 45, 30, 20, {4, 1, 49, 34, 6, 3, 63, 14}, 144},
  };
  for (const Case& c : cases) {
    const FlagRowLayout l = LayOutFlagRow(c.left, c.top, c.bottom, c.flagWidth, c.flagHeight, c.textHeight, c.dpi);
    const FlagRowLayout& e = c.expected;
    EXPECT_EQ(std::vector<int>({l.frameLeft, l.frameTop, l.frameWidth, l.frameHeight, l.flagLeft, l.flagTop, l.textLeft,
                                l.textTop}),
              std::vector<int>({e.frameLeft, e.frameTop, e.frameWidth, e.frameHeight, e.flagLeft, e.flagTop, e.textLeft,
                                e.textTop}))
        << c.top << " " << c.bottom;
  }
}

}  // namespace
