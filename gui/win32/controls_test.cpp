// The toolkit's controls under Wine: properties by name reach the real
// windows, the dialog's keys, and the barrier around window procedures.
#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/component_paths.h"
#include "gui/win32/button.h"
#include "gui/win32/check_box.h"
#include "gui/win32/combo_box.h"
#include "gui/win32/dialog.h"
#include "gui/win32/group_box.h"
#include "gui/win32/label.h"
#include "gui/win32/guard.h"
#include "gui/win32/spin_edit.h"
#include "system/log.h"

namespace {

using gui::DesignRect;

std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = L"";
  GetWindowTextW(hwnd, text, 256);
  return text;
}

LOGFONTW FontOf(HWND hwnd) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

class TestDlg : public gui::Dialog {
 public:
  TestDlg() : gui::Dialog(L"TestDlg", gui::DialogSpec{L"Test"}) {
    SetDesignClientSize(300, 200);
    LayOut();
  }
  gui::GroupBox group{*this, L"group_grp", L"Group", DesignRect{8, 8, 280, 150}};
  gui::CheckBox check{*this, L"check_chk", L"Check", DesignRect{16, 24, 120, 17}};
  gui::Label label{*this, L"some_lbl", L"Label", DesignRect{16, 48, 0, 0}};
  gui::ComboBox combo{*this, L"some_cmb", {L"one", L"two", L"three"}, DesignRect{16, 70, 120, 21}};
  gui::SpinEdit spin{*this, L"some_spin", 1, 24, 1, DesignRect{16, 100, 50, 21}};
  gui::Button ok{*this, L"ok_btn", L"OK", DesignRect{130, 168, 75, 25}, gui::ButtonRole::Default};
  gui::Button cancel{*this, L"cancel_btn", L"Cancel", DesignRect{213, 168, 75, 25}, gui::ButtonRole::Cancel};
};

TEST(ControlsTest, PropertiesByNameReachTheWindows) {
  TestDlg dlg;
  const std::vector<ComponentPath> paths = CollectComponents(ApplicationComponent());
  Component* check = FindByPath(paths, L"testdlg.CHECK_CHK");
  ASSERT_EQ(check, &dlg.check);

  ASSERT_TRUE(check->SetProperty(L"caption", std::wstring(L"Coche")));
  EXPECT_EQ(TextOf(dlg.check.Hwnd()), L"Coche");
  ASSERT_TRUE(FindByPath(paths, L"TestDlg")->SetProperty(L"Caption", std::wstring(L"Essai")));
  EXPECT_EQ(TextOf(dlg.Hwnd()), L"Essai");

  ASSERT_TRUE(check->SetProperty(L"Hint", std::wstring(L"An explanation")));
  EXPECT_EQ(dlg.ShownHint(dlg.check), L"");  // ShowHint still off
  ASSERT_TRUE(check->SetProperty(L"ShowHint", true));
  EXPECT_EQ(dlg.ShownHint(dlg.check), L"An explanation");
  ASSERT_TRUE(check->SetProperty(L"ShowHint", false));
  EXPECT_EQ(dlg.ShownHint(dlg.check), L"");

  Component* combo = FindByPath(paths, L"TestDlg.some_cmb");
  dlg.combo.SetItemIndex(2);
  ASSERT_TRUE(combo->SetProperty(L"Items", StringList{L"un", L"deux", L"trois"}));
  ASSERT_TRUE(combo->SetProperty(L"ItemIndex", 2));
  EXPECT_EQ(SendMessageW(dlg.combo.Hwnd(), CB_GETCURSEL, 0, 0), 2);
  wchar_t item[32] = L"";
  SendMessageW(dlg.combo.Hwnd(), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"deux");
  EXPECT_EQ(std::get<std::wstring>(*combo->GetProperty(L"Text")), L"trois");

  EXPECT_EQ(std::get<FontSpec>(*check->GetProperty(L"Font")), DesignFont());
  ASSERT_TRUE(check->SetProperty(L"Font", FontSpec{L"Tahoma", 238, 12}));
  const LOGFONTW font = FontOf(dlg.check.Hwnd());
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  EXPECT_EQ(font.lfCharSet, 238);
  EXPECT_EQ(font.lfHeight, -MulDiv(12, dlg.Dpi(), 72));

  EXPECT_FALSE(dlg.label.HasProperty(L"Items"));
  EXPECT_FALSE(dlg.spin.HasProperty(L"Caption"));
  ASSERT_TRUE(dlg.spin.SetProperty(L"Text", std::wstring(L"30")));
  EXPECT_EQ(dlg.spin.Value(), 24);  // kept within the range
}

TEST(ControlsTest, AutoSizedLabelFollowsItsCaption) {
  TestDlg dlg;
  const LONG before = dlg.label.PixelRect().right;
  dlg.label.SetCaption(L"A much longer label text");
  EXPECT_GT(dlg.label.PixelRect().right, before);
}

// Keys as the user presses them, in the dialog's own loop.
TEST(ControlsTest, EnterPressesTheDefaultButtonAndEscapeCancels) {
  struct Case {
    WPARAM key;
    int result;
    int okClicks, cancelClicks;
  };
  for (const Case& c : {Case{VK_RETURN, IDOK, 1, 0}, Case{VK_ESCAPE, IDCANCEL, 0, 1}}) {
    TestDlg dlg;
    int okClicks = 0, cancelClicks = 0;
    dlg.ok.onClick = [&] { ++okClicks, dlg.EndModal(IDOK); };
    dlg.cancel.onClick = [&] { ++cancelClicks, dlg.EndModal(IDCANCEL); };
    PostMessageW(dlg.check.Hwnd(), WM_KEYDOWN, c.key, 0);
    EXPECT_EQ(dlg.ShowModal(), c.result);
    EXPECT_EQ(okClicks, c.okClicks);
    EXPECT_EQ(cancelClicks, c.cancelClicks);
    EXPECT_FALSE(IsWindowVisible(dlg.Hwnd()));
  }
}

TEST(ControlsTest, AnExceptionStopsAtTheWindowProcedureAndIsLogged) {
  TKLog log(L"C:\\no such folder\\test.log", 100, false);
  gui::SetWindowProcedureLog(&log);
  TestDlg dlg;
  int clicks = 0;
  dlg.ok.onClick = [&] {
    ++clicks;
    throw std::runtime_error("handler failed");
  };
  dlg.ok.Click();
  dlg.ok.Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(IsWindow(dlg.Hwnd()));
  gui::SetWindowProcedureLog(nullptr);
  const std::wstring newest = log.Lines().front();
  EXPECT_EQ(newest.substr(newest.rfind(L'\t') + 1), L"Unexpected error in a window procedure: handler failed");
}

}  // namespace
