// Menus under Wine: the bar and popups built from their description, items
// retitled by name, shortcuts through the program's message loop, and popups
// driven by the keys the user presses while they are open.
#include <gtest/gtest.h>

#include <vector>

#include "gui/component_paths.h"
#include "gui/win32/list_view.h"
#include "gui/win32/menu.h"
#include "gui/win32/window.h"
#include "tests/support/menu_keys.h"

namespace {

using gui::MenuItemSpec;

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = L"";
  GetMenuStringW(menu, position, text, int(std::size(text)), MF_BYPOSITION);
  return text;
}

UINT MenuState(HMENU menu, UINT position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_FTYPE;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return info.fState | info.fType;
}

std::vector<std::wstring> Texts(HMENU menu) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
    texts.push_back((MenuState(menu, UINT(i)) & MFT_SEPARATOR) ? L"-" : MenuText(menu, UINT(i)));
  return texts;
}

class OneRowSource : public gui::ListViewSource {
 public:
  std::wstring CellText(size_t, int) const override { return L"Temporary Files"; }
  bool RowChecked(size_t) const override { return true; }
  void SetRowChecked(size_t, bool) override {}
};

class MenuWindow : public gui::Window {
 public:
  MenuWindow() : gui::Window(L"MenuWnd", gui::WindowSpec{L"PurgelloMenuTest", WS_OVERLAPPEDWINDOW, 0, L"Menus"}) {
    SetDesignClientSize(400, 300);
    LayOut();
    list.AddColumn(L"Type", 150);
    list.SetRowCount(3);
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(Hwnd());
  }
  gui::MainMenu bar{*this,
                    L"MainMenu1",
                    {
                        {L"File1", L"File", L"", {{L"Quit1", L"Quit", L"Ctrl+Q"}}},
                        {L"Options1",
                         L"Options",
                         L"",
                         {{L"Expertmode1", L"Expert mode", L"Ctrl+E"},
                          {L"N1", L"-"},
                          {L"Settings1", L"Settings", L"Ctrl+Shift+S"}}},
                    }};
  int openClicks = 0;
  gui::PopupMenu popup{*this,
                       L"PopupLst",
                       {
                           {L"CheckAll1", L"Check All"},
                           {L"UncheckAll1", L"Uncheck All"},
                           {L"N2", L"-"},
                           gui::MenuItemSpec(L"Opencontaining1", L"Open containing folder").Default().OnClick([this] { ++openClicks; }),
                       }};
  OneRowSource source;
  gui::ListView list{*this, L"lst", gui::DesignRect{0, 0, 400, 300}, source};
};

TEST(MenuTest, TheBarShowsItsDescription) {
  MenuWindow w;
  HMENU bar = GetMenu(w.Hwnd());
  ASSERT_EQ(bar, w.bar.Handle());
  EXPECT_EQ(Texts(bar), (std::vector<std::wstring>{L"File", L"Options"}));
  HMENU options = GetSubMenu(bar, 1);
  EXPECT_EQ(Texts(options), (std::vector<std::wstring>{L"Expert mode\tCtrl+E", L"-", L"Settings\tCtrl+Shift+S"}));
  EXPECT_EQ(Texts(w.popup.Handle()),
            (std::vector<std::wstring>{L"Check All", L"Uncheck All", L"-", L"Open containing folder"}));
  EXPECT_TRUE(MenuState(w.popup.Handle(), 3) & MFS_DEFAULT);

  w.bar.Item(L"Expertmode1")->SetChecked(true);
  w.bar.Item(L"Settings1")->SetEnabled(false);
  EXPECT_TRUE(MenuState(options, 0) & MFS_CHECKED);
  EXPECT_TRUE(MenuState(options, 2) & MFS_DISABLED);
  w.bar.Item(L"N1")->SetVisible(false);
  w.bar.Item(L"Expertmode1")->SetVisible(false);
  EXPECT_EQ(Texts(options), (std::vector<std::wstring>{L"Settings\tCtrl+Shift+S"}));
  w.bar.Item(L"Expertmode1")->SetVisible(true);
  EXPECT_EQ(Texts(options), (std::vector<std::wstring>{L"Expert mode\tCtrl+E", L"Settings\tCtrl+Shift+S"}));
  EXPECT_TRUE(MenuState(options, 0) & MFS_CHECKED);

  // What a click on an item sends.
  int clicks = 0;
  w.bar.Item(L"Quit1")->onClick = [&] { ++clicks; };
  SendMessageW(w.Hwnd(), WM_COMMAND, MAKEWPARAM(w.bar.Item(L"Quit1")->Id(), 0), 0);
  EXPECT_EQ(clicks, 1);
  SendMessageW(w.Hwnd(), WM_COMMAND, MAKEWPARAM(w.popup.Item(L"Opencontaining1")->Id(), 0), 0);
  EXPECT_EQ(w.openClicks, 1);
  // A command that arrives for a disabled item (queued before it was disabled) does nothing.
  w.bar.Item(L"Settings1")->onClick = [&] { ++clicks; };
  SendMessageW(w.Hwnd(), WM_COMMAND, MAKEWPARAM(w.bar.Item(L"Settings1")->Id(), 0), 0);
  EXPECT_EQ(clicks, 1);
}

TEST(MenuTest, ItemsAreComponentsOfTheWindowThatLanguageFilesRetitle) {
  MenuWindow w;
  const std::vector<ComponentPath> paths = CollectComponents(ApplicationComponent());
  std::vector<std::wstring> names;
  for (const ComponentPath& p : paths)
    if (p.path.rfind(L"MenuWnd.", 0) == 0) names.push_back(p.path.substr(8));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"MainMenu1", L"File1", L"Quit1", L"Options1", L"Expertmode1", L"N1",
                                              L"Settings1", L"PopupLst", L"CheckAll1", L"UncheckAll1", L"N2",
                                              L"Opencontaining1", L"lst"}));

  Component* quit = FindByPath(paths, L"menuwnd.QUIT1");
  ASSERT_NE(quit, nullptr);
  ASSERT_TRUE(quit->SetProperty(L"CAPTION", std::wstring(L"&Beenden")));
  EXPECT_EQ(MenuText(GetSubMenu(w.bar.Handle(), 0), 0), L"&Beenden\tCtrl+Q");
  ASSERT_TRUE(FindByPath(paths, L"MenuWnd.File1")->SetProperty(L"Caption", std::wstring(L"Datei")));
  EXPECT_EQ(MenuText(w.bar.Handle(), 0), L"Datei");
  ASSERT_TRUE(quit->SetProperty(L"hint", std::wstring(L"Beendet das Programm")));
  EXPECT_EQ(std::get<std::wstring>(*quit->GetProperty(L"Hint")), L"Beendet das Programm");
  EXPECT_FALSE(quit->HasProperty(L"Items"));
  EXPECT_FALSE(w.bar.HasProperty(L"Caption"));
}

TEST(MenuTest, ShortcutTextsNameTheirKeys) {
  struct Case {
    const wchar_t* text;
    bool valid;
    BYTE modifiers;
    WORD key;
  };
  const Case cases[] = {
      {L"Ctrl+Q", true, FCONTROL, 'Q'},        {L"ctrl+shift+s", true, FCONTROL | FSHIFT, 'S'},
      {L"Alt+F4", true, FALT, VK_F4},          {L"F12", true, 0, VK_F12},
      {L"Ctrl+Del", true, FCONTROL, VK_DELETE}, {L"Ctrl+5", true, FCONTROL, '5'},
      {L"", false, 0, 0},                      {L"Ctrl+", false, 0, 0},
      {L"Hyper+Q", false, 0, 0},               {L"Ctrl+QQ", false, 0, 0},
      {L"F25", false, 0, 0},                   {L"Ctrl+\u00e9", false, 0, 0},
  };
  for (const Case& c : cases) {
    const std::optional<ACCEL> accel = gui::ParseShortcut(c.text);
    ASSERT_EQ(accel.has_value(), c.valid) << c.text;
    if (!accel) continue;
    EXPECT_EQ(accel->fVirt, FVIRTKEY | c.modifiers) << c.text;
    EXPECT_EQ(accel->key, c.key) << c.text;
  }
}

// Keys posted as the keyboard would queue them, with the modifiers held in
// the thread's key state, through the program's own message loop.
TEST(MenuTest, ShortcutsWorkInTheMessageLoopWhileTheirItemIsEnabled) {
  struct Case {
    std::vector<BYTE> held;
    WPARAM key;
    bool settingsEnabled;
    int quits, expert, settings;
  };
  const Case cases[] = {
      {{VK_CONTROL}, 'Q', true, 1, 0, 0},
      {{}, 'Q', true, 0, 0, 0},
      {{VK_CONTROL, VK_SHIFT}, 'Q', true, 0, 0, 0},
      {{VK_CONTROL}, 'E', true, 0, 1, 0},
      {{VK_CONTROL, VK_SHIFT}, 'S', true, 0, 0, 1},
      {{VK_CONTROL, VK_SHIFT}, 'S', false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    MenuWindow w;
    int quits = 0, expert = 0, settings = 0;
    w.bar.Item(L"Quit1")->onClick = [&] { ++quits; };
    w.bar.Item(L"Expertmode1")->onClick = [&] { ++expert; };
    w.bar.Item(L"Settings1")->onClick = [&] { ++settings; };
    w.bar.Item(L"Settings1")->SetEnabled(c.settingsEnabled);
    BYTE keys[256] = {};
    for (BYTE k : c.held) keys[k] = 0x80;
    SetKeyboardState(keys);
    // At the list, where the focus is in the real window.
    PostMessageW(w.list.Hwnd(), WM_KEYDOWN, c.key, 1);
    PostQuitMessage(7);  // seen once the queue is empty
    EXPECT_EQ(gui::RunMessageLoop(), 7);
    BYTE none[256] = {};
    SetKeyboardState(none);
    EXPECT_EQ(quits, c.quits) << c.key << " " << c.held.size();
    EXPECT_EQ(expert, c.expert) << c.key << " " << c.held.size();
    EXPECT_EQ(settings, c.settings) << c.key << " " << c.held.size();
  }
}

TEST(MenuTest, PopupPreparesItselfAndRunsTheChosenItem) {
  struct Case {
    std::vector<WPARAM> keys;
    const wchar_t* chosen;  // nullptr: none
  };
  const Case cases[] = {
      {{VK_DOWN, VK_RETURN}, L"UncheckAll1"},  // the first item is hidden by onPopup
      {{VK_DOWN, VK_DOWN, VK_RETURN}, L"Opencontaining1"},
      {{VK_ESCAPE}, nullptr},
  };
  for (const Case& c : cases) {
    MenuWindow w;
    std::vector<std::wstring> ran;
    std::vector<std::wstring> shownAtPopup;
    for (const wchar_t* name : {L"CheckAll1", L"UncheckAll1", L"Opencontaining1"})
      w.popup.Item(name)->onClick = [&ran, name] { ran.push_back(name); };
    w.popup.onPopup = [&] {
      w.popup.Item(L"CheckAll1")->SetVisible(false);
      w.popup.Item(L"UncheckAll1")->SetCaption(L"Uncheck All : Temporary Files");
      shownAtPopup = Texts(w.popup.Handle());
    };
    // The pointer off the menu: an item under it would be chosen instead.
    SetCursorPos(0, 0);
    test_support::MenuKeys keys(c.keys);
    gui::MenuItem* chosen = w.popup.ShowAt(POINT{120, 140});
    EXPECT_EQ(shownAtPopup,
              (std::vector<std::wstring>{L"Uncheck All : Temporary Files", L"-", L"Open containing folder"}));
    ASSERT_TRUE(keys.MenuSeen());
    EXPECT_EQ(keys.MenuRect().left, 120);
    EXPECT_EQ(keys.MenuRect().top, 140);
    EXPECT_EQ(chosen, c.chosen ? w.popup.Item(c.chosen) : nullptr);
    EXPECT_EQ(ran, c.chosen ? std::vector<std::wstring>{c.chosen} : std::vector<std::wstring>{});
  }
}

TEST(MenuTest, TheListsMenuKeyOpensThePopupBelowTheSelectedRow) {
  MenuWindow w;
  w.list.onContextMenu = [&](POINT p) { w.popup.ShowAt(p); };
  w.list.SelectRow(1);
  int ran = 0;
  w.popup.Item(L"CheckAll1")->onClick = [&] { ++ran; };
  SetCursorPos(0, 0);
  test_support::MenuKeys keys({VK_DOWN, VK_RETURN});
  SendMessageW(w.list.Hwnd(), WM_CONTEXTMENU, WPARAM(w.list.Hwnd()), -1);
  EXPECT_EQ(ran, 1);
  const POINT expected = w.list.PopupPoint();
  EXPECT_EQ(keys.MenuRect().left, expected.x);
  EXPECT_EQ(keys.MenuRect().top, expected.y);
}

}  // namespace
