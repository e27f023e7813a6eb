// The language files the build puts beside the program, against the real
// windows: each loads, has an entry for every component and property the
// translators' template lists (and none the windows lack), translates them,
// keeps the text tables' order and placeholders, and fits the windows.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/about_dlg.h"
#include "app/main_dlg.h"
#include "app/settings_dialog.h"
#include "gui/win32/layout_check.h"
#include "i18n/lang_list.h"
#include "i18n/language_record.h"
#include "i18n/language_text.h"
#include "i18n/text_storage.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "tests/support/temp_tree.h"

namespace {

// The build gives the Linux folder; Wine shows "/" as drive Z:.
std::wstring ShippedFile(const std::wstring& name) {
  std::wstring path = L"Z:" + platform::FromUtf8(PURGELLO_LANGUAGE_DIR) + L"/" + name;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

// "Path.Property" of every entry line of a language file's text form, with
// the line's flags ("" or "translated").
std::map<std::string, std::string> EntriesOf(const std::wstring& file) {
  std::string text, error;
  EXPECT_TRUE(LanguageFileToText(file, text, error)) << error;
  std::map<std::string, std::string> entries;
  bool header = true;
  for (size_t from = 0; from < text.size();) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(from, end - from);
    from = end + 1;
    if (line.empty()) header = false;
    if (header || line.empty() || line[0] == '#') continue;
    const std::string left = line.substr(0, line.find(" = "));
    const size_t open = left.find(" [");
    entries[left.substr(0, open)] = open == std::string::npos ? "" : left.substr(open + 2, left.size() - open - 3);
  }
  return entries;
}

// The program's windows as the start-up creates them: the main window makes
// the About and settings dialogs.
struct Windows {
  ReviewList list;
  TMainDlg mainDlg{list, [] {
                     MainDlgEnvironment environment = DefaultMainDlgEnvironment();
                     environment.programPath = L"C:\\Purgello\\Purgello.exe";
                     return environment;
                   }()};
  TTextStorage& main_ts = mainDlg.main_ts;
  TTextStorage& TS_about = mainDlg.AboutDlg().TS_about;
  TSettingsDlg& settingsDlg = mainDlg.SettingsDlg();
  TAboutDlg& aboutDlg = mainDlg.AboutDlg();
};

// No text cut off, in both modes of the main window (also run at 144 DPI).
void ExpectTextsFit(Windows& windows) {
  // The subtitle as the start-up fills it.
  windows.mainDlg.SetSubtitle(windows.main_ts.Translate(L"Cleans your system of temporary and unwanted files.") +
                              L"\n\r" +
                              windows.main_ts.Translate(L"Purgello is a powerful and secured file cleaner. Use with care."));
  EXPECT_EQ(gui::LayoutFaults(windows.settingsDlg), std::vector<std::wstring>());
  EXPECT_EQ(gui::LayoutFaults(windows.aboutDlg), std::vector<std::wstring>());
  EXPECT_EQ(gui::LayoutFaults(windows.mainDlg), std::vector<std::wstring>());
  windows.mainDlg.SetExpertMode(false);
  EXPECT_EQ(gui::LayoutFaults(windows.mainDlg), std::vector<std::wstring>());
}

struct Shipped {
  const wchar_t* file;
  uint16_t languageId;
  const wchar_t* name;
  const wchar_t* heading;
  const wchar_t* settingsCaption;
  const wchar_t* doneText;  // main_ts' "Done !"
  const wchar_t* aboutCaption;
};
const Shipped kShipped[] = {
    {L"HV_0000040C.SPK", 0x040C, L"Fran\u00E7ais", L"Langue de l'interface", L"Param\u00E8tres", L"Termin\u00E9 !",
     L"\u00C0 propos Purgello"},
    {L"HV_00000407.SPK", 0x0407, L"Deutsch", L"Sprache der Oberfl\u00E4che", L"Einstellungen", L"Fertig !", L"\u00DCber Purgello"},
    {L"HV_00000C0A.SPK", 0x0C0A, L"Espa\u00F1ol", L"Idioma de la interfaz", L"Configuraci\u00F3n", L"\u00A1Hecho !",
     L"Acerca de Purgello"},
};

TEST(ShippedLanguagesTest, EachCoversTheTemplateAndFitsTheWindows) {
  for (const Shipped& s : kShipped) {
    SCOPED_TRACE(platform::ToUtf8(s.file));
    Windows windows;
    testsupport::TempTree tree;
    TLanguageRecord record(ApplicationComponent());
    record.SaveTemplate(tree.Path(L"HV_ORIGINAL.SPK"));
    const auto wanted = EntriesOf(tree.Path(L"HV_ORIGINAL.SPK"));
    const auto shipped = EntriesOf(ShippedFile(s.file));
    ASSERT_GT(wanted.size(), 70u);
    std::set<std::string> missing, stale, untranslated;
    for (const auto& [entry, flags] : wanted)
      if (!shipped.count(entry)) missing.insert(entry);
    for (const auto& [entry, flags] : shipped) {
      if (!wanted.count(entry)) stale.insert(entry);
      // The spin box's number is the user's setting, not a text; the main
      // window's caption is the program's name and version, set at start-up.
      if (flags.find("translated") == std::string::npos && entry != "SettingsDlg.auto_freq.Caption" &&
          entry != "MainDlg.Caption")
        untranslated.insert(entry);
    }
    EXPECT_EQ(missing, std::set<std::string>());
    EXPECT_EQ(stale, std::set<std::string>());
    EXPECT_EQ(untranslated, std::set<std::string>());

    ASSERT_EQ(record.LoadAndApply(ShippedFile(s.file)), LoadResult::Loaded);
    EXPECT_EQ(record.languageId, s.languageId);
    EXPECT_EQ(record.languageName, s.name);
    EXPECT_EQ(record.headingName, s.heading);
    EXPECT_TRUE(IsWellFormedBitmap(record.flagBitmap));
    EXPECT_EQ(windows.settingsDlg.Caption(), s.settingsCaption);
    EXPECT_EQ(windows.settingsDlg.auto_freq.Text(), L"1");
    EXPECT_EQ(windows.main_ts.Translate(L"Done !"), s.doneText);
    // The tables keep their length and their placeholders where they were.
    for (const TTextStorage* table : {&windows.main_ts, &windows.TS_about}) {
      ASSERT_EQ(table->Items().size(), table->EnglishItems().size());
      for (size_t i = 0; i < table->Items().size(); ++i)
        EXPECT_EQ(table->Items()[i] == L"unused", table->EnglishItems()[i] == L"unused") << i;
    }
    EXPECT_EQ(windows.main_ts.Items().size(), 34u);
    EXPECT_EQ(windows.TS_about.Items().size(), 8u);
    // As a switch does after applying the file.
    windows.mainDlg.LangueAfterLanguageSwitch();
    windows.aboutDlg.FillTexts();
    EXPECT_EQ(windows.aboutDlg.Caption(), s.aboutCaption);
    ExpectTextsFit(windows);
  }
}

TEST(ShippedLanguagesTest, TheBuiltInEnglishFitsTheWindows) {
  Windows windows;
  windows.aboutDlg.FillTexts();
  ExpectTextsFit(windows);
}

// What the user does while the dialog is shown; runs inside its modal loop.
std::function<void()> whileShown;
void CALLBACK RunWhileShown(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::function<void()> action = std::move(whileShown);
  action();
}

TEST(ShippedLanguagesTest, AClickInTheSettingsDialogSwitchesItsOwnTextsAtOnce) {
  const wchar_t kKey[] = L"Software\\Halvoris\\ShippedLanguagesTest";
  platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kKey);
  Component mainDlg{L"MainDlg", &ApplicationComponent()};
  TTextStorage main_ts = MakeMainTs(&mainDlg);
  TLangList Langue(&mainDlg, ApplicationComponent(), ShippedFile(L""));
  Langue.FilePrefix = L"HV_";
  Langue.RegKey = kKey;
  SettingsDlgEnvironment environment{L"C:\\Purgello\\Purgello.exe", [] { return platform::RegKey(); }};
  environment.languageList = &Langue;
  TSettingsDlg dlg(environment);
  const LanguageChoice& choice = dlg.LanguageChoice.Behaviour();
  ASSERT_EQ(choice.Rows().size(), 3u);  // French, German, Spanish in the table's order
  EXPECT_EQ(choice.Rows()[1].substr(0, 8), L"Deutsch ");

  std::wstring caption, save, heading;
  std::vector<std::wstring> faults;
  whileShown = [&] {
    HWND list = dlg.LanguageChoice.ListHwnd();
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(dlg.LanguageChoice.Hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), LPARAM(list));
    caption = dlg.Caption();
    save = dlg.save_btn.WindowText();
    heading = dlg.LanguageChoice.HeadingText();
    faults = gui::LayoutFaults(dlg);
    dlg.cancel_btn.Click();
  };
  SetTimer(nullptr, 0, 1, RunWhileShown);
  dlg.Execute();
  EXPECT_EQ(caption, L"Einstellungen");
  EXPECT_EQ(save, L"Speichern");
  EXPECT_EQ(heading, L"Sprache der Oberfl\u00E4che");
  EXPECT_EQ(faults, std::vector<std::wstring>());
  EXPECT_EQ(main_ts.Translate(L"Done !"), L"Fertig !");
  uint32_t saved = 0;
  EXPECT_TRUE(platform::RegKey::Open(platform::RegRoot::CurrentUser, kKey, platform::RegAccess::Read)
                  .ReadDword(L"Langue", saved));
  EXPECT_EQ(saved, 0x0407u);
  platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kKey);
}

}  // namespace
