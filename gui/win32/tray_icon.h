// The program's icon in the notification area. It is there while active and
// is removed when the object goes. The shell's messages about it arrive at a
// hidden window of its own, which also hears "TaskbarCreated": when Explorer
// restarts, an active icon is added again. Clicks are reported with the
// pointer's position in screen coordinates; a right click opens the menu.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "gui/component.h"

namespace gui {

class PopupMenu;
class WindowBase;

class TrayIcon : public Component {
 public:
  // The message the shell sends to MessageWindow() about the icon.
  static constexpr UINT kCallbackMessage = WM_APP + 1;

  TrayIcon(WindowBase& window, std::wstring name, HICON icon);
  ~TrayIcon() override;

  bool Active() const { return active_; }
  // Adds or removes the icon; false when the shell refused.
  bool SetActive(bool active);
  // The tooltip; the shell shows at most 127 characters of it.
  const std::wstring& Hint() const { return hint_; }
  void SetHint(const std::wstring& hint);
  void SetIcon(HICON icon);
  // Shown at the pointer on a right click, after onRightClick.
  void SetMenu(PopupMenu* menu) { menu_ = menu; }

  HWND MessageWindow() const;
  UINT IconId() const { return 1; }

  std::function<void(POINT screen)> onClick;
  std::function<void(POINT screen)> onDoubleClick;
  std::function<void(POINT screen)> onRightClick;

 private:
  class Listener;
  bool Notify(DWORD action) const;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  std::unique_ptr<Listener> listener_;
  HICON icon_;
  std::wstring hint_;
  bool active_ = false;
  PopupMenu* menu_ = nullptr;
};

}  // namespace gui
