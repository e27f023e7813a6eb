// The settings dialog under Wine, driven in-process: each Execute runs its
// modal loop while a timer callback reads and presses the controls as a user
// would, then closes it with "Save" or "Cancel".
#include "app/settings_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <map>

#include "gui/component_paths.h"
#include "gui/win32/layout_check.h"
#include "model/catalogue.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"

namespace {

using platform::RegKey;
using platform::RegRoot;

const std::wstring kProgram = L"C:\\Program Files\\Halvoris\\Purgello\\Purgello.exe";

// The boxes in the order the user reads them (and tabs through them).
const std::vector<std::wstring> kReadingOrder = {
    L"Recycle_Bin", L"Windows_Installer_Duplicates", L"Apple_Installer_Cache", L"Sun__Java_Installer_Cache",
    L"Adobe_Reader_Installer_Cache", L"ATI_Drivers_Installer_Cache", L"Skype_Installer_Cache", L"Dr_Watson_Logs",
    L"Temporary_Files", L"Recent_Files", L"Cookies", L"Temporary_Internet_Files", L"Firefox_Cache", L"MSN_Messenger",
    L"Opera_Cache", L"QLM_Cache", L"Google_Updater_Cache", L"Google_Earth_Cache", L"XnView_Cache", L"Songbird_Cache",
    L"PCHealth_Dumps", L"TomTom_Cache", L"Macromedia_Cache", L"Hotfixes_Uninstallers", L"Windows_Log_files",
    L"Quicktime_Cache", L"Google_Chrome_Cache", L"Adobe_Reader_Cache", L"DynDNS_Logs", L"MSTerminal_Cache",
    L"AdAware_Update_Cache", L"Spybot_Update_Cache", L"COMODO_Sys_Log", L"Windows_Live_Cache",
    L"Windows_Defender_History", L"Windows_Error_Reports", L"Windows_Thumbnails", L"Windows_VirtualStore",
    L"Microsoft_Edge", L"Microsoft_Edge_Chromium", L"NVIDIA_Drivers_Cache", L"Brave_Browser",
};
const wchar_t* const kOffByDefault[] = {L"Windows_Installer_Duplicates", L"Adobe_Reader_Installer_Cache",
                                        L"Hotfixes_Uninstallers"};

// What the user does while the dialog is shown; runs inside its modal loop.
std::function<void()> whileShown;
void CALLBACK RunWhileShown(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::function<void()> action = std::move(whileShown);
  action();
}

// Name to text (the registry lists values in an order of its own).
std::map<std::wstring, std::wstring> StoredSettings() {
  std::map<std::wstring, std::wstring> values;
  RegKey branch = RegKey::Open(RegRoot::CurrentUser, kSettingsBranch, platform::RegAccess::Read);
  for (const platform::RegValueInfo& v : branch.Values()) {
    std::wstring text;
    branch.ReadString(v.name, text);
    values.emplace(v.name, text);
  }
  return values;
}

std::optional<std::wstring> RunEntry() {
  std::wstring text;
  RegKey run = RegKey::Open(RegRoot::CurrentUser, kRunKey, platform::RegAccess::Read);
  if (!run.ReadString(L"Purgello", text)) return std::nullopt;
  return text;
}

class SettingsDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteSettingsBranch(L"Purgello");
    RegKey::Create(RegRoot::CurrentUser, kRunKey).DeleteValue(L"Purgello");
  }
  void TearDown() override { whileShown = nullptr; }

  // Executes with the user's part; true when the dialog closed with "Save".
  bool Execute(std::function<void()> user) {
    whileShown = std::move(user);
    SetTimer(nullptr, 0, 1, RunWhileShown);
    return dlg.Execute();
  }
  void Save() { dlg.save_btn.Click(); }
  void Cancel() { dlg.cancel_btn.Click(); }
  gui::CheckBox& Box(const std::wstring& key) {
    return *static_cast<gui::CheckBox*>(dlg.FindComponent(key));
  }
  // A branch that has been through a first run already.
  void NotFirstRun() { SetSetting(L"Recycle_Bin", L"1"); }

  SettingsDlgEnvironment environment{kProgram,
                                     [] { return RegKey::Create(RegRoot::CurrentUser, kRunKey); }};
  TSettingsDlg dlg{environment};
};

TEST_F(SettingsDlgTest, WindowAndControlsAsDesigned) {
  EXPECT_EQ(dlg.Caption(), L"Settings");
  const LONG_PTR style = GetWindowLongPtrW(dlg.Hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  // The program's icon, not the system's, drawn for the DPI.
  EXPECT_EQ(gui::WindowIconWidth(dlg.Hwnd(), ICON_SMALL), gui::Scale(16, dlg.Dpi()));
  EXPECT_EQ(gui::WindowIconWidth(dlg.Hwnd(), ICON_BIG), gui::Scale(32, dlg.Dpi()));
  const std::pair<const wchar_t*, const wchar_t*> captions[] = {
      {L"options_grp", L"Options"}, {L"startup_chk", L"Load at startup"}, {L"once_chk", L"Clean once and close"},
      {L"expert_chk", L"Expert mode by default"}, {L"tray_chk", L"Minimize to system tray"},
      {L"log_del_chk", L"Log Deletions"}, {L"autoupdate_chk", L"Update detection"}, {L"debug_chk", L"Debug mode"},
      {L"auto_grp", L"Automatic mode"}, {L"freq_lbl", L"Frequency : "}, {L"hours_lbl", L"hour(s)"},
      {L"secu_grp", L"Data Security"}, {L"scramble_chk", L"Scramble files names before deletion"},
      {L"trim_chk", L"Trim files before deletion"}, {L"method_lbl", L"Deletion method"}, {L"fast_btn", L"Fast"},
      {L"secure_btn", L"Secure"}, {L"types_grp", L"Files types"}, {L"default_btn", L"Default"},
      {L"all_btn", L"Check All"}, {L"unall_btn", L"Uncheck All"}, {L"lang_grp", L"Language"},
      {L"save_btn", L"Save"}, {L"cancel_btn", L"Cancel"}, {L"Spybot_Update_Cache", L"Spybot Search && Destroy Update Cache"},
  };
  const std::vector<ComponentPath> paths = CollectComponents(ApplicationComponent());
  for (const auto& [name, caption] : captions) {
    Component* c = FindByPath(paths, std::wstring(L"SettingsDlg.") + name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(std::get<std::wstring>(*c->GetProperty(L"Caption")), caption) << name;
  }
  EXPECT_EQ(std::get<StringList>(*FindByPath(paths, L"SettingsDlg.method_cmb")->GetProperty(L"Items")),
            (StringList{L"Standard", L"1 Pass Random", L"3 Pass DoD 5220.22-M", L"Recycle Bin (can be undone)"}));
  EXPECT_NE(FindByPath(paths, L"SettingsDlg.auto_freq"), nullptr);
  for (const std::wstring& key : kReadingOrder) EXPECT_NE(FindByPath(paths, L"SettingsDlg." + key), nullptr) << key;
}

// A language file's view: the real controls change as their properties are set by name.
TEST_F(SettingsDlgTest, ControlsShowPropertiesSetByName) {
  const std::vector<ComponentPath> paths = CollectComponents(ApplicationComponent());
  Component* startup = FindByPath(paths, L"settingsdlg.STARTUP_CHK");
  ASSERT_TRUE(startup->SetProperty(L"Caption", std::wstring(L"Charger au d\u00e9marrage")));
  wchar_t text[64] = L"";
  GetWindowTextW(dlg.startup_chk.Hwnd(), text, 64);
  EXPECT_STREQ(text, L"Charger au d\u00e9marrage");
  ASSERT_TRUE(startup->SetProperty(L"hint", std::wstring(L"Astuce")));
  ASSERT_TRUE(startup->SetProperty(L"ShowHint", true));
  EXPECT_EQ(dlg.ShownHint(dlg.startup_chk), L"Astuce");

  Component* method = FindByPath(paths, L"SettingsDlg.method_cmb");
  ASSERT_TRUE(method->SetProperty(L"Items", StringList{L"Standard", L"1 passe", L"3 passes"}));
  ASSERT_TRUE(method->SetProperty(L"ItemIndex", 2));
  EXPECT_EQ(SendMessageW(dlg.method_cmb.Hwnd(), CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(dlg.method_cmb.Text(), L"3 passes");

  ASSERT_TRUE(FindByPath(paths, L"SettingsDlg.Cookies")->SetProperty(L"Font", FontSpec{L"Tahoma", 204, 9}));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Box(L"Cookies").Hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  EXPECT_EQ(font.lfCharSet, 204);
  EXPECT_EQ(font.lfHeight, -MulDiv(9, dlg.Dpi(), 72));
}

TEST_F(SettingsDlgTest, OptionBoxesLoadByTheirRule) {
  const wchar_t* const onlyOne[] = {kExpertModeSetting, kCleanOnceSetting, kMinSysTraySetting, kLogDeletionsSetting,
                                    kScrambleSetting,   kTrimSetting,      kDebugModeSetting};
  struct Case {
    const wchar_t* text;
    bool onlyOneChecked, autoUpdateChecked;
  };
  for (const Case& c : {Case{L"1", true, true}, Case{L"0", false, false}, Case{L"", false, true},
                        Case{L"yes", false, true}, Case{L"01", false, true}}) {
    SCOPED_TRACE(c.text);
    NotFirstRun();
    for (const wchar_t* name : onlyOne) SetSetting(name, c.text);
    SetSetting(kAutoUpdateSetting, c.text);
    RegKey::Create(RegRoot::CurrentUser, kRunKey).WriteString(L"Purgello", StartupEntryFor(kProgram));
    Execute([&] {
      for (gui::CheckBox* box : {&dlg.expert_chk, &dlg.once_chk, &dlg.tray_chk, &dlg.log_del_chk, &dlg.scramble_chk,
                                 &dlg.trim_chk, &dlg.debug_chk})
        EXPECT_EQ(box->Checked(), c.onlyOneChecked) << box->Name();
      EXPECT_EQ(dlg.autoupdate_chk.Checked(), c.autoUpdateChecked);
      Cancel();
    });
  }
}

TEST_F(SettingsDlgTest, FrequencyAndMethodLoad) {
  const std::pair<const wchar_t*, const wchar_t*> frequencies[] = {
      {L"7", L"7"}, {L"x", L"1"}, {L"", L"1"}, {L"24", L"24"}, {L"3", L"3"}, {L"2", L"2"}};
  const std::pair<const wchar_t*, const wchar_t*> methods[] = {
      {L"1Pass", L"1 Pass Random"}, {L"3Pass", L"3 Pass DoD 5220.22-M"},       {L"3pass", L"Standard"},
      {L"", L"Standard"},           {L"Recycle", L"Recycle Bin (can be undone)"}, {L"recycle", L"Standard"}};
  for (size_t i = 0; i < std::size(methods); ++i) {
    NotFirstRun();
    SetSetting(kAutoFrequencySetting, frequencies[i].first);
    SetSetting(kDeletionMethodSetting, methods[i].first);
    Execute([&] {
      EXPECT_EQ(dlg.auto_freq.Text(), frequencies[i].second) << frequencies[i].first;
      EXPECT_EQ(dlg.method_cmb.Text(), methods[i].second) << methods[i].first;
      Cancel();
    });
  }
}

// A language file written for three methods shows the fourth in English, so a
// stored "Recycle" shows as itself and survives Save.
TEST_F(SettingsDlgTest, RecycleSurvivesALanguageFileWithThreeMethods) {
  const std::vector<ComponentPath> paths = CollectComponents(ApplicationComponent());
  ASSERT_TRUE(FindByPath(paths, L"SettingsDlg.method_cmb")
                  ->SetProperty(L"Items", StringList{L"Standard", L"1 passe", L"3 passes"}));
  NotFirstRun();
  SetSetting(kDeletionMethodSetting, L"Recycle");
  Execute([&] {
    EXPECT_EQ(dlg.method_cmb.Items(), (StringList{L"Standard", L"1 passe", L"3 passes", L"Recycle Bin (can be undone)"}));
    EXPECT_EQ(dlg.method_cmb.Text(), L"Recycle Bin (can be undone)");
    Save();
  });
  EXPECT_EQ(GetSetting(kDeletionMethodSetting), L"Recycle");
}

TEST_F(SettingsDlgTest, CategoryBoxesLoadWithTheirDefaultByTag) {
  struct Case {
    const wchar_t* text;
    bool onByDefaultChecked, offByDefaultChecked;
  };
  for (const Case& c : {Case{L"1", true, true}, Case{L"0", false, false}, Case{L"2", false, false},
                        Case{L"-1", false, false}, Case{L"", true, false}, Case{L"x", true, false}}) {
    SCOPED_TRACE(c.text);
    NotFirstRun();
    SetSetting(L"Temporary_Files", c.text);
    SetSetting(L"Hotfixes_Uninstallers", c.text);
    Execute([&] {
      EXPECT_EQ(Box(L"Temporary_Files").Checked(), c.onByDefaultChecked);
      EXPECT_EQ(Box(L"Hotfixes_Uninstallers").Checked(), c.offByDefaultChecked);
      Cancel();
    });
  }
}

// What Save writes, value by value (the order of the category boxes is the
// reading order, checked with the tab order).
TEST_F(SettingsDlgTest, SaveStoresEveryControl) {
  struct Case {
    const char* what;
    std::function<void(TSettingsDlg&)> user;
    std::vector<std::wstring> options;  // ExpertMode ... DeletionMethod, in writing order
    const wchar_t* categories;          // every box: "d" its default, "1" or "0"
  };
  const Case cases[] = {
      {"untouched", [](TSettingsDlg&) {}, {L"0", L"0", L"0", L"1", L"0", L"0", L"0", L"1", L"0", L""}, L"d"},
      {"everything on",
       [](TSettingsDlg& d) {
         for (gui::CheckBox* box : {&d.startup_chk, &d.once_chk, &d.expert_chk, &d.tray_chk, &d.log_del_chk,
                                    &d.scramble_chk, &d.trim_chk, &d.debug_chk})
           box->Click();
         d.autoupdate_chk.Click();  // off
         d.auto_freq.SetText(L"12");
         d.method_cmb.SetItemIndex(1);
         d.all_btn.Click();
       },
       {L"1", L"1", L"1", L"12", L"1", L"1", L"1", L"0", L"1", L"1Pass"},
       L"1"},
      {"all off", [](TSettingsDlg& d) { d.unall_btn.Click(); },
       {L"0", L"0", L"0", L"1", L"0", L"0", L"0", L"1", L"0", L""}, L"0"},
      {"defaults again",
       [](TSettingsDlg& d) {
         d.unall_btn.Click();
         d.default_btn.Click();
       },
       {L"0", L"0", L"0", L"1", L"0", L"0", L"0", L"1", L"0", L""}, L"d"},
  };
  const wchar_t* const optionNames[] = {kExpertModeSetting,   kCleanOnceSetting, kMinSysTraySetting,
                                        kAutoFrequencySetting, kLogDeletionsSetting, kScrambleSetting,
                                        kTrimSetting,         kAutoUpdateSetting, kDebugModeSetting,
                                        kDeletionMethodSetting};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteSettingsBranch(L"Purgello");
    NotFirstRun();
    EXPECT_TRUE(Execute([&] {
      c.user(dlg);
      Save();
    }));
    std::map<std::wstring, std::wstring> expected;
    for (size_t i = 0; i < 10; ++i) expected[optionNames[i]] = c.options[i];
    for (const std::wstring& key : kReadingOrder) expected[key] = L"";
    for (auto& [name, value] : expected) {
      if (!FindCategory(name)) continue;
      const bool off = std::find(std::begin(kOffByDefault), std::end(kOffByDefault), name) != std::end(kOffByDefault);
      value = c.categories == std::wstring(L"d") ? (off ? L"0" : L"1") : c.categories;
    }
    EXPECT_EQ(StoredSettings(), expected);
  }
}

TEST_F(SettingsDlgTest, CancelStoresNothing) {
  NotFirstRun();
  const auto before = StoredSettings();
  EXPECT_FALSE(Execute([&] {
    dlg.expert_chk.Click();
    dlg.unall_btn.Click();
    dlg.startup_chk.Click();
    Cancel();
  }));
  EXPECT_EQ(StoredSettings(), before);
  EXPECT_EQ(RunEntry(), std::nullopt);
  // The close button and Escape cancel as well.
  EXPECT_FALSE(Execute([&] { PostMessageW(dlg.Hwnd(), WM_CLOSE, 0, 0); }));
  EXPECT_FALSE(Execute([&] { PostMessageW(dlg.expert_chk.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); }));
  EXPECT_EQ(StoredSettings(), before);
  // Enter saves.
  EXPECT_TRUE(Execute([&] { PostMessageW(dlg.expert_chk.Hwnd(), WM_KEYDOWN, VK_RETURN, 0); }));
  EXPECT_NE(StoredSettings(), before);
}

TEST_F(SettingsDlgTest, FirstRunStoresTheDefaultsEvenWhenCancelled) {
  SetSetting(L"Recycle_Bin", L"");  // empty counts as a first run too
  EXPECT_FALSE(Execute([&] { Cancel(); }));
  std::map<std::wstring, std::wstring> expected;
  for (const std::wstring& key : kReadingOrder) {
    const bool off = std::find(std::begin(kOffByDefault), std::end(kOffByDefault), key) != std::end(kOffByDefault);
    expected[key] = off ? L"0" : L"1";
  }
  EXPECT_EQ(StoredSettings(), expected);
}

TEST_F(SettingsDlgTest, FastAndSecurePresetsThenSave) {
  struct Case {
    const wchar_t* before[3];  // Trim, Scramble, DeletionMethod
    bool secure;
    const wchar_t* after[3];
  };
  for (const Case& c : {Case{{L"0", L"0", L""}, true, {L"1", L"1", L"3Pass"}},
                        Case{{L"1", L"1", L"1Pass"}, false, {L"0", L"0", L""}}}) {
    NotFirstRun();
    SetSetting(kTrimSetting, c.before[0]);
    SetSetting(kScrambleSetting, c.before[1]);
    SetSetting(kDeletionMethodSetting, c.before[2]);
    Execute([&] {
      (c.secure ? dlg.secure_btn : dlg.fast_btn).Click();
      // Nothing is stored before Save.
      EXPECT_EQ(GetSetting(kTrimSetting), c.before[0]);
      Save();
    });
    EXPECT_EQ(GetSetting(kTrimSetting), c.after[0]);
    EXPECT_EQ(GetSetting(kScrambleSetting), c.after[1]);
    EXPECT_EQ(GetSetting(kDeletionMethodSetting), c.after[2]);
  }
}

TEST_F(SettingsDlgTest, CleanOnceOnlyWithLoadAtStartup) {
  NotFirstRun();
  SetSetting(kCleanOnceSetting, L"1");
  Execute([&] {
    EXPECT_FALSE(dlg.startup_chk.Checked());
    EXPECT_FALSE(dlg.once_chk.Checked());  // unchecked by the start-up rule
    EXPECT_FALSE(dlg.once_chk.Enabled());
    dlg.startup_chk.Click();
    EXPECT_TRUE(dlg.once_chk.Enabled());
    dlg.once_chk.Click();
    EXPECT_TRUE(dlg.once_chk.Checked());
    dlg.startup_chk.Click();
    EXPECT_FALSE(dlg.once_chk.Checked());
    EXPECT_FALSE(dlg.once_chk.Enabled());
    Save();
  });
  EXPECT_EQ(GetSetting(kCleanOnceSetting), L"0");
}

TEST_F(SettingsDlgTest, StartupEntryCases) {
  const std::wstring quoted = L"\"" + kProgram + L"\" /minimized";
  const std::wstring other = L"\"C:\\Tools\\Purgello\\Purgello.exe\" /minimized";
  struct Case {
    const char* what;
    std::optional<std::wstring> entry;
    bool shownChecked;
    bool clickStartup;  // toggles the box before Save
    std::optional<std::wstring> after;
  };
  const Case cases[] = {
      {"absent, left off", std::nullopt, false, false, std::nullopt},
      {"absent, turned on", std::nullopt, false, true, quoted},
      {"own quoted, kept", quoted, true, false, quoted},
      {"own quoted, turned off", quoted, true, true, std::nullopt},
      {"own unquoted, rewritten quoted", kProgram + L" /minimized", true, false, quoted},
      {"own path in other letter case", L"\"C:\\PROGRAM FILES\\Halvoris\\Purgello\\Purgello.exe\" /minimized",
       false, true, quoted},
      {"another copy's, left off: deleted", other, false, false, std::nullopt},
      {"moved program, turned on: rewritten", other, false, true, quoted},
      {"own path without the switch", L"\"" + kProgram + L"\"", false, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NotFirstRun();
    RegKey run = RegKey::Create(RegRoot::CurrentUser, kRunKey);
    if (c.entry) {
      run.WriteString(L"Purgello", *c.entry);
    } else {
      run.DeleteValue(L"Purgello");
    }
    Execute([&] {
      EXPECT_EQ(dlg.startup_chk.Checked(), c.shownChecked);
      if (c.clickStartup) dlg.startup_chk.Click();
      Save();
    });
    EXPECT_EQ(RunEntry(), c.after);
  }
}

TEST(SettingsDlgRunKeyTest, ARunKeyThatCannotBeOpenedIsLeftAlone) {
  DeleteSettingsBranch(L"Purgello");
  SetSetting(L"Recycle_Bin", L"1");
  RegKey::Create(RegRoot::CurrentUser, kRunKey).WriteString(L"Purgello", StartupEntryFor(kProgram));
  TSettingsDlg dlg(SettingsDlgEnvironment{kProgram, [] { return RegKey(); }});
  whileShown = [&] {
    EXPECT_FALSE(dlg.startup_chk.Checked());
    dlg.startup_chk.Click();
    dlg.expert_chk.Click();
    dlg.save_btn.Click();
  };
  SetTimer(nullptr, 0, 1, RunWhileShown);
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(RunEntry(), StartupEntryFor(kProgram));  // neither written nor deleted
  EXPECT_EQ(GetSetting(kExpertModeSetting), L"1");   // the rest is stored
  // Unchecked on Save: still not deleted.
  whileShown = [&] { dlg.save_btn.Click(); };
  SetTimer(nullptr, 0, 1, RunWhileShown);
  dlg.Execute();
  EXPECT_EQ(RunEntry(), StartupEntryFor(kProgram));
}

// Also run at 144 DPI (PURGELLO_WINE_DPI sets the prefix's LogPixels).
TEST_F(SettingsDlgTest, NothingIsCutOffOrOverlapping) {
  EXPECT_EQ(gui::LayoutFaults(dlg), std::vector<std::wstring>());
}

TEST_F(SettingsDlgTest, TabOrderIsTheReadingOrder) {
  if (const char* dpi = std::getenv("PURGELLO_WINE_DPI")) {
    EXPECT_EQ(dlg.Dpi(), std::atoi(dpi));
  }
  NotFirstRun();
  std::vector<std::wstring> names;
  Execute([&] {
    HWND box = Box(kReadingOrder[0]).Hwnd();
    for (size_t i = 0; i < kReadingOrder.size(); ++i) {
      names.push_back(gui::Control::FromHwnd(box)->Name());
      box = GetNextDlgTabItem(dlg.Hwnd(), box, FALSE);
    }
    EXPECT_EQ(gui::Control::FromHwnd(box), &dlg.default_btn);
    Cancel();
  });
  EXPECT_EQ(names, kReadingOrder);
  std::vector<std::wstring> computed;
  for (gui::CheckBox* box : dlg.CategoryBoxesInReadingOrder()) computed.push_back(box->Name());
  EXPECT_EQ(computed, kReadingOrder);
}

}  // namespace
