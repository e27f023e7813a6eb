// A top-level window of its own window class (the main window, a tray icon's
// message window). The creation thunk binds the HWND to the object at
// WM_NCCREATE; every message then goes to that object's HandleMessage, inside
// the exception barrier.
#pragma once

#include "gui/win32/window_base.h"

namespace gui {

struct WindowSpec {
  const wchar_t* className;  // registered on first use
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  std::wstring caption;
  HWND ownerWindow = nullptr;
  HICON icon = nullptr;
};

class Window : public WindowBase {
 public:
  Window(std::wstring name, const WindowSpec& spec, Component* owner = &ApplicationComponent());
  ~Window() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The program's message loop: the shortcuts of menu bars, keyboard navigation
// of the active window's controls, until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace gui
