#include "gui/win32/tray_icon.h"

#include <shellapi.h>

#include <algorithm>

#include "gui/win32/menu.h"
#include "gui/win32/window.h"

namespace gui {

namespace {

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

// An elevated program does not hear the unelevated Explorer's broadcast
// unless it lets the message in (Windows 7 and later).
void AllowTaskbarCreated(HWND window) {
  using Fn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  static const Fn allow = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  if (allow) allow(window, TaskbarCreatedMessage(), kAllow, nullptr);
}

}  // namespace

// A hidden top-level window: message-only windows do not hear broadcasts.
class TrayIcon::Listener : public Window {
 public:
  explicit Listener(TrayIcon& icon)
      : Window(std::wstring(), WindowSpec{L"PurgelloTrayIcon", WS_POPUP, WS_EX_TOOLWINDOW, std::wstring()}, nullptr),
        icon_(icon) {
    AllowTaskbarCreated(Hwnd());
  }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    result = 0;
    return icon_.OnMessage(message, wParam, lParam);
  }

 private:
  TrayIcon& icon_;
};

TrayIcon::TrayIcon(WindowBase& window, std::wstring name, HICON icon)
    : Component(std::move(name), &window), listener_(std::make_unique<Listener>(*this)), icon_(icon) {
  ExposeText(Property::Hint, [this] { return hint_; }, [this](const std::wstring& t) { SetHint(t); });
}

TrayIcon::~TrayIcon() { SetActive(false); }

HWND TrayIcon::MessageWindow() const { return listener_->Hwnd(); }

bool TrayIcon::Notify(DWORD action) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = MessageWindow();
  data.uID = IconId();
  if (action != NIM_DELETE) {
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    const size_t length = std::min(hint_.size(), std::size(data.szTip) - 1);
    std::copy_n(hint_.c_str(), length, data.szTip);
  }
  return Shell_NotifyIconW(action, &data) != FALSE;
}

bool TrayIcon::SetActive(bool active) {
  if (active == active_) return true;
  const bool done = Notify(active ? NIM_ADD : NIM_DELETE);
  // A removal the shell refuses leaves no icon of ours either (it had none).
  active_ = active && done;
  return done;
}

void TrayIcon::SetHint(const std::wstring& hint) {
  hint_ = hint;
  if (active_) Notify(NIM_MODIFY);
}

void TrayIcon::SetIcon(HICON icon) {
  icon_ = icon;
  if (active_) Notify(NIM_MODIFY);
}

bool TrayIcon::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == TaskbarCreatedMessage()) {
    if (active_) Notify(NIM_ADD);
    return true;
  }
  if (message != kCallbackMessage) return false;
  POINT cursor{};
  GetCursorPos(&cursor);
  switch (UINT(lParam)) {
    case WM_LBUTTONUP:
      if (onClick) onClick(cursor);
      break;
    case WM_LBUTTONDBLCLK:
      if (onDoubleClick) onDoubleClick(cursor);
      break;
    case WM_RBUTTONUP:
      if (onRightClick) onRightClick(cursor);
      if (menu_) menu_->ShowAt(cursor);
      break;
  }
  return true;
}

}  // namespace gui
