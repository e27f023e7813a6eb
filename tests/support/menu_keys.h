// Keys pressed in a popup menu while it is open, for window tests under Wine.
// A thread timer (its messages still flow in the menu's own loop) notes where
// the menu window is and posts the keys to it; a later one closes a menu the
// keys left open, so that a test never hangs.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

namespace test_support {

class MenuKeys {
 public:
  explicit MenuKeys(std::vector<WPARAM> keys) : keys_(std::move(keys)) {
    Current() = this;
    press_ = SetTimer(nullptr, 0, 200, Press);
    giveUp_ = SetTimer(nullptr, 0, 5000, GiveUp);
  }
  ~MenuKeys() {
    KillTimer(nullptr, press_);
    KillTimer(nullptr, giveUp_);
    Current() = nullptr;
  }
  MenuKeys(const MenuKeys&) = delete;
  MenuKeys& operator=(const MenuKeys&) = delete;

  bool MenuSeen() const { return seen_; }
  // The open menu's window, in screen coordinates.
  const RECT& MenuRect() const { return rect_; }

 private:
  static MenuKeys*& Current() {
    static MenuKeys* current = nullptr;
    return current;
  }
  static void CALLBACK Press(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    MenuKeys* self = Current();
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!self || !menu || !IsWindowVisible(menu)) return;
    self->seen_ = true;
    GetWindowRect(menu, &self->rect_);
    for (WPARAM key : self->keys_) {
      PostMessageW(menu, WM_KEYDOWN, key, 1);
      PostMessageW(menu, WM_KEYUP, key, 1);
    }
  }
  static void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
  }

  std::vector<WPARAM> keys_;
  UINT_PTR press_ = 0, giveUp_ = 0;
  bool seen_ = false;
  RECT rect_{};
};

}  // namespace test_support
