// Languages of the real Purgello.exe: a language chosen in the settings
// dialog rewrites every window at once and is the one the next start applies,
// whether the settings live in the registry (installed) or in settings.ini
// beside the program (portable).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/purgello_exe_fixture.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "settings/settings_store.h"

namespace {

using namespace exetest;
using platform::RegKey;

const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kRegistration[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PurgelloLanguageTest";

struct FindByClass {
  const wchar_t* className;
  HWND found;
  static BOOL CALLBACK Visit(HWND child, LPARAM param) {
    auto& s = *reinterpret_cast<FindByClass*>(param);
    if (lstrcmpiW(ClassOf(child).c_str(), s.className) != 0) return TRUE;
    s.found = child;
    return FALSE;
  }
};

// The first window of this class anywhere below parent.
HWND Descendant(HWND parent, const wchar_t* className) {
  FindByClass search{className, nullptr};
  EnumChildWindows(parent, FindByClass::Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<std::wstring> ListRows(HWND list) {
  std::vector<std::wstring> rows;
  const int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0) < 256)
      SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
    rows.push_back(text);
  }
  return rows;
}

// A click with the mouse in the middle of the row's height, near its left end.
void ClickRow(HWND list, int row) {
  const int height = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  const LPARAM at = MAKELPARAM(8, height * row + height / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
}

struct StoreCase {
  const char* name;
  bool installed;
};
void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

class PurgelloLanguageTest : public PurgelloExeTest, public ::testing::WithParamInterface<StoreCase> {
 protected:
  void SetUp() override {
    PurgelloExeTest::SetUp();
    for (const wchar_t* file : {L"HV_0000040C.SPK", L"HV_00000407.SPK", L"HV_00000C0A.SPK"}) ShipLanguage(file);
  }
  void TearDown() override {
    platform::DeleteKeyTree(RegRoot::CurrentUser, kRegistration);
    PurgelloExeTest::TearDown();
  }

  // The language the settings keep: the registry's value, or the file's line.
  std::wstring KeptLanguage() const {
    if (!GetParam().installed) {
      const Entries dwords = IniSection(L"Settings_DWORD");
      return dwords.count(L"Langue") ? dwords.at(L"Langue") : L"";
    }
    uint32_t code = 0;
    const RegKey branch = RegKey::Open(RegRoot::CurrentUser, kSettingsBranch, platform::RegAccess::Read);
    return branch.IsOpen() && branch.ReadDword(L"Langue", code) ? std::to_wstring(code) : L"";
  }
  // Where the settings are between runs: the file only, or the registry only.
  void ExpectSettingsOnlyWhereTheyBelong() const {
    EXPECT_EQ(BranchExists(kSettingsBranch), GetParam().installed);
    EXPECT_EQ(tree_.Exists(L"settings.ini"), !GetParam().installed);
  }
};

// The first start shows the settings dialog (no category setting yet); the
// user clicks French in its language list, saves and closes. The next start
// is in French from its first line of the log on.
TEST_P(PurgelloLanguageTest, ChoiceInTheSettingsDialogIsAppliedAtTheNextStart) {
  if (GetParam().installed) {
    // The installer's registration makes the copy an installed one.
    ASSERT_TRUE(platform::KeyExists(RegRoot::CurrentUser, kUninstall) ||
                RegKey::Create(RegRoot::CurrentUser, kUninstall).IsOpen());
    ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kRegistration).WriteString(L"DisplayName", L"Halvoris Purgello 1.0"));
    ASSERT_TRUE(SetSetting(L"DebugMode", L"1"));
    ASSERT_TRUE(SetSetting(L"AutoUpdate", L"0"));
  } else {
    tree_.WriteFile(L"settings.ini", "[Settings]\r\nAutoUpdate=0\r\nDebugMode=1\r\n");
  }
  const std::wstring mode = GetParam().installed ? L"Portable : No" : L"Portable : Yes";
  {
    RunningProgram program;
    ASSERT_TRUE(Start(program, L""));
    const HWND notice = program.WaitForBox(L"Purgello");
    ASSERT_TRUE(notice) << "no first-run notice";
    RunningProgram::Answer(notice, IDOK);
    const HWND settings = program.WaitForBox(L"Settings");
    ASSERT_TRUE(settings) << "no settings dialog after the notice";
    const HWND list = Descendant(settings, WC_LISTBOXW);
    ASSERT_TRUE(list);
    // The languages in the table's order, each with the version it was made for.
    const std::vector<std::wstring> rows = ListRows(list);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].rfind(L"Fran\u00E7ais [", 0), 0u) << platform::ToUtf8(rows[0]);
    EXPECT_EQ(rows[1].rfind(L"Deutsch [", 0), 0u) << platform::ToUtf8(rows[1]);
    EXPECT_EQ(rows[2].rfind(L"Espa\u00F1ol [", 0), 0u) << platform::ToUtf8(rows[2]);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR) << "no language chosen yet";

    ClickRow(list, 0);
    // Every live window takes the language at once.
    ASSERT_TRUE(WaitUntil([&] { return WindowText(settings) == L"Param\u00E8tres"; }, 20000))
        << platform::ToUtf8(WindowText(settings));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(program.Button(L"Nettoyer"));
    EXPECT_TRUE(program.Button(L"Simuler"));
    // The caption the start-up gave it, with the version, stays.
    EXPECT_EQ(WindowText(program.MainWindow()).rfind(L"Purgello v", 0), 0u)
        << platform::ToUtf8(WindowText(program.MainWindow()));
    HoldForScreenshot(settings, "french-settings");
    ASSERT_TRUE(RunningProgram::PressAndLeave(FindWindowExW(settings, nullptr, WC_BUTTONW, L"Enregistrer")));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }, 10000));
    RunningProgram::Sync(program.MainWindow());
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(program.WaitForExit(60000), 0u);
  }
  EXPECT_TRUE(LogHas({L"Info", L"Language : Fran\u00E7ais"}));
  EXPECT_EQ(KeptLanguage(), L"1036");  // 0x040C
  ExpectSettingsOnlyWhereTheyBelong();

  // A log of the next run alone.
  testsupport::RemoveTree(DataFolder());
  {
    RunningProgram program;
    ASSERT_TRUE(Start(program, L""));
    ASSERT_TRUE(program.WaitForMainWindow());
    EXPECT_TRUE(program.Button(L"Nettoyer"));
    HoldForScreenshot(program.MainWindow(), "french-main");
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(program.WaitForExit(60000), 0u);
  }
  EXPECT_TRUE(LogHas({L"Info", mode}));
  EXPECT_EQ(LogMessagesStartingWith({L"Language : "}), (std::vector<std::wstring>{L"Language : Fran\u00E7ais"}));
  EXPECT_EQ(KeptLanguage(), L"1036");
  ExpectSettingsOnlyWhereTheyBelong();
}

INSTANTIATE_TEST_SUITE_P(Stores, PurgelloLanguageTest,
                         ::testing::Values(StoreCase{"Installed", true}, StoreCase{"Portable", false}),
                         [](const ::testing::TestParamInfo<StoreCase>& info) { return info.param.name; });

}  // namespace
