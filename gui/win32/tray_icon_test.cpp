// The notification-area icon under Wine. Wine's shell keeps the icons it is
// given and answers for them, so presence is checked by asking the shell to
// change the icon (it refuses for an icon it does not have); what the icon and
// its tooltip look like cannot be read back. Clicks arrive as the shell's
// callback message, sent here as the shell would.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "gui/win32/menu.h"
#include "gui/win32/program_icon.h"
#include "gui/win32/tray_icon.h"
#include "gui/win32/window.h"
#include "tests/support/menu_keys.h"

namespace {

class TrayWindow : public gui::Window {
 public:
  TrayWindow() : gui::Window(L"TrayWnd", gui::WindowSpec{L"PurgelloTrayTest", WS_OVERLAPPEDWINDOW, 0, L"Tray"}) {}
  gui::ProgramIcon icon{GetSystemMetrics(SM_CXSMICON)};
  gui::TrayIcon tray{*this, L"tray", icon.Handle()};
  gui::PopupMenu traymenu{*this, L"traymenu", {gui::MenuItemSpec(L"Show1", L"Show").Default(), {L"Quit2", L"Quit"}}};
};

// True when the shell holds the icon (it refuses to change one it has not).
bool ShellHas(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = NIF_TIP;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

TEST(TrayIconTest, TheIconIsThereWhileActiveAndGoesWithTheObject) {
  HWND window = nullptr;
  UINT id = 0;
  {
    TrayWindow w;
    window = w.tray.MessageWindow();
    id = w.tray.IconId();
    EXPECT_FALSE(ShellHas(window, id));
    ASSERT_TRUE(w.tray.SetActive(true));
    EXPECT_TRUE(ShellHas(window, id));
    w.tray.SetHint(L"Purgello\r\nTotal : 0 b.");
    w.tray.SetIcon(w.icon.Handle());
    EXPECT_TRUE(ShellHas(window, id));
    ASSERT_TRUE(w.tray.SetActive(false));
    EXPECT_FALSE(ShellHas(window, id));
    ASSERT_TRUE(w.tray.SetActive(true));
  }
  EXPECT_FALSE(ShellHas(window, id));
}

TEST(TrayIconTest, AnActiveIconComesBackWhenTheTaskbarIsCreatedAgain) {
  for (bool active : {true, false}) {
    TrayWindow w;
    HWND window = w.tray.MessageWindow();
    ASSERT_TRUE(w.tray.SetActive(true));
    w.tray.SetActive(active);
    // Explorer ended and took the icons with it.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = w.tray.IconId();
    Shell_NotifyIconW(NIM_DELETE, &data);
    ASSERT_FALSE(ShellHas(window, w.tray.IconId()));
    SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(ShellHas(window, w.tray.IconId()), active);
  }
}

TEST(TrayIconTest, ClicksReportThePointerAndARightClickOpensTheMenu) {
  struct Case {
    UINT mouse;
    int clicks, doubleClicks, rightClicks;
  };
  const Case cases[] = {
      {WM_LBUTTONUP, 1, 0, 0},
      {WM_LBUTTONDBLCLK, 0, 1, 0},
      {WM_RBUTTONUP, 0, 0, 1},
      {WM_MOUSEMOVE, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TrayWindow w;
    ASSERT_TRUE(w.tray.SetActive(true));
    std::vector<POINT> clicks, doubleClicks, rightClicks;
    w.tray.onClick = [&](POINT p) { clicks.push_back(p); };
    w.tray.onDoubleClick = [&](POINT p) { doubleClicks.push_back(p); };
    w.tray.onRightClick = [&](POINT p) { rightClicks.push_back(p); };
    SetCursorPos(210, 160);
    SendMessageW(w.tray.MessageWindow(), gui::TrayIcon::kCallbackMessage, w.tray.IconId(), c.mouse);
    EXPECT_EQ(clicks.size(), size_t(c.clicks)) << c.mouse;
    EXPECT_EQ(doubleClicks.size(), size_t(c.doubleClicks)) << c.mouse;
    ASSERT_EQ(rightClicks.size(), size_t(c.rightClicks)) << c.mouse;
    for (const auto* points : {&clicks, &doubleClicks, &rightClicks})
      for (POINT p : *points) {
        EXPECT_EQ(p.x, 210);
        EXPECT_EQ(p.y, 160);
      }
  }

  TrayWindow w;
  ASSERT_TRUE(w.tray.SetActive(true));
  w.tray.SetMenu(&w.traymenu);
  int quits = 0;
  w.traymenu.Item(L"Quit2")->onClick = [&] { ++quits; };
  SetCursorPos(210, 160);
  test_support::MenuKeys keys({VK_DOWN, VK_DOWN, VK_RETURN});
  SendMessageW(w.tray.MessageWindow(), gui::TrayIcon::kCallbackMessage, w.tray.IconId(), WM_RBUTTONUP);
  ASSERT_TRUE(keys.MenuSeen());
  EXPECT_EQ(keys.MenuRect().left, 210);
  EXPECT_EQ(keys.MenuRect().top, 160);
  EXPECT_EQ(quits, 1);
}

TEST(TrayIconTest, TheProgramIconIsDrawnAtTheSizeAsked) {
  for (int size : {16, 24, 32, 48}) {
    gui::ProgramIcon icon(size);
    ASSERT_NE(icon.Handle(), nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.Handle(), &info));
    BITMAP color{};
    GetObjectW(info.hbmColor, sizeof color, &color);
    EXPECT_EQ(color.bmWidth, size);
    EXPECT_EQ(color.bmHeight, size);
    EXPECT_EQ(color.bmBitsPixel, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
}

}  // namespace
