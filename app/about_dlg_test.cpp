// The About dialog under Wine, driven in-process: its texts follow its text
// table and show the executable's own version, the maker buttons hand the
// vendor's addresses to the shell (recorded, not made), and the main window's
// "About" shows it modally over the main window until "Ok".
#include "app/about_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "app/main_dlg.h"
#include "app/vendor.h"
#include "gui/win32/layout_check.h"
#include "i18n/text_storage.h"
#include "platform/text_codec.h"

namespace {

// The build's Purgello.exe (a Linux path; Wine shows "/" as drive Z:).
std::wstring ProgramExe() {
  std::wstring path = L"Z:" + platform::FromUtf8(PURGELLO_EXE);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

struct Opened {
  HWND owner;
  std::wstring target;
};

class AboutDlgTest : public ::testing::Test {
 protected:
  AboutDlgEnvironment Environment() {
    AboutDlgEnvironment environment;
    environment.programPath = ProgramExe();
    environment.shellOpen = [this](HWND owner, const std::wstring& target) { opened.push_back({owner, target}); };
    return environment;
  }
  std::vector<Opened> opened;
};

TEST_F(AboutDlgTest, TextsFollowTheTableAndShowTheProgramsVersion) {
  TAboutDlg dlg(Environment());
  EXPECT_EQ(dlg.Caption(), L"About ");
  // The program's icon, not the system's, drawn for the DPI.
  EXPECT_EQ(gui::WindowIconWidth(dlg.Hwnd(), ICON_SMALL), gui::Scale(16, dlg.Dpi()));
  EXPECT_EQ(gui::WindowIconWidth(dlg.Hwnd(), ICON_BIG), gui::Scale(32, dlg.Dpi()));
  const std::wstring version = platform::FromUtf8(PURGELLO_VERSION_TEXT);
  struct Case {
    std::vector<std::wstring> items;  // empty: as designed
    std::wstring caption, name, versionPrefix;
  } cases[] = {
      {{}, L"About Purgello", L"Application Name : Purgello", L"Version : "},
      {{L"\u00C0 propos", L"Nom de l'application :", L"Version :", L"unused", L"unused", L"unused", L"unused",
        L"unused"},
       L"\u00C0 propos Purgello", L"Nom de l'application : Purgello", L"Version : "},
      {{L"Acerca de", L"Nombre de la aplicaci\u00F3n :", L"Versi\u00F3n :", L"unused", L"unused", L"unused", L"unused",
        L"unused"},
       L"Acerca de Purgello", L"Nombre de la aplicaci\u00F3n : Purgello", L"Versi\u00F3n : "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.caption));
    if (!c.items.empty()) dlg.TS_about.SetItems(c.items);
    dlg.FillTexts();
    EXPECT_EQ(dlg.Caption(), c.caption);
    EXPECT_EQ(dlg.appname_lbl.Caption(), c.name);
    EXPECT_EQ(dlg.version_lbl.Caption(), c.versionPrefix + version);
    // Also run at 144 DPI.
    EXPECT_EQ(gui::LayoutFaults(dlg), std::vector<std::wstring>());
  }
}

TEST_F(AboutDlgTest, MakerButtonsOpenTheVendorsAddressesForTheDialog) {
  TAboutDlg dlg(Environment());
  const std::pair<gui::Button*, std::wstring> cases[] = {
      {&dlg.email_btn, L"mailto:" + VendorEmail()},
      {&dlg.web_btn, L"https://" + VendorServer()},
      {&dlg.forum_btn, L"https://" + VendorServer() + L"/forum"},
  };
  for (const auto& [button, target] : cases) {
    opened.clear();
    button->Click();
    ASSERT_EQ(opened.size(), 1u) << button->Name().c_str();
    EXPECT_EQ(opened[0].target, target);
    EXPECT_EQ(opened[0].owner, dlg.Hwnd());
  }
}

// What the user does while a modal dialog is shown; runs inside its loop.
std::function<void()> whileShown;
void CALLBACK RunWhileShown(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::function<void()> action = std::move(whileShown);
  action();
}

TEST_F(AboutDlgTest, AboutCommandShowsItOverTheMainWindowUntilOk) {
  ReviewList list;
  TMainDlg main(list);
  main.Show();
  TAboutDlg& about = main.AboutDlg();
  bool shown = false, mainEnabled = true;
  std::wstring caption;
  POINT centre{}, mainCentre{};
  whileShown = [&] {
    shown = about.IsVisible();
    mainEnabled = IsWindowEnabled(main.Hwnd()) != FALSE;
    caption = about.Caption();
    RECT a{}, m{};
    GetWindowRect(about.Hwnd(), &a);
    GetWindowRect(main.Hwnd(), &m);
    centre = POINT{(a.left + a.right) / 2, (a.top + a.bottom) / 2};
    mainCentre = POINT{(m.left + m.right) / 2, (m.top + m.bottom) / 2};
    about.ok_btn.Click();
  };
  SetTimer(nullptr, 0, 1, RunWhileShown);
  main.MenuItemNamed(L"About1").Click();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(mainEnabled) << "modal";
  EXPECT_EQ(caption, L"About Purgello");
  EXPECT_NEAR(centre.x, mainCentre.x, 1);
  EXPECT_NEAR(centre.y, mainCentre.y, 1);
  EXPECT_FALSE(about.IsVisible());
  EXPECT_TRUE(IsWindowEnabled(main.Hwnd()));
  EXPECT_EQ(GetWindowLongPtrW(about.Hwnd(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX),
            LONG_PTR(WS_MINIMIZEBOX));
}

}  // namespace
