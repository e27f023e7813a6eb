#include "gui/win32/window_base.h"

#include <commctrl.h>
#include <windowsx.h>

#include "gui/win32/control.h"

namespace gui {

namespace {

void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                             ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS | ICC_LINK_CLASS};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

TTTOOLINFOW ToolFor(HWND window, const Control& control) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(control.Hwnd());
  return tool;
}

}  // namespace

WindowBase::WindowBase(std::wstring name, Component* owner) : Component(std::move(name), owner) {
  InitCommonControlsOnce();
  ExposeText(Property::Caption, [this] { return Caption(); }, [this](const std::wstring& t) { SetCaption(t); });
  ExposeText(Property::Hint, [this] { return hint_; }, [this](const std::wstring& t) { hint_ = t; });
  ExposeBool(Property::ShowHint, [this] { return showHint_; }, [this](bool b) { showHint_ = b; });
  ExposeFont([this] { return font_; }, [this](const FontSpec& f) { SetFont(f); });
}

WindowBase::~WindowBase() {
  if (tooltip_) DestroyWindow(tooltip_);
  if (hwnd_) DestroyWindow(hwnd_);
}

void WindowBase::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  dpi_ = WindowDpi(hwnd);
}

std::wstring WindowBase::Caption() const {
  std::wstring text(size_t(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(hwnd_, text.data(), int(text.size()))));
  return text;
}

void WindowBase::SetCaption(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }

void WindowBase::SetDesignClientSize(int width, int height) {
  designWidth_ = width;
  designHeight_ = height;
}

void WindowBase::LayOut() {
  const SIZE outer = OuterSizeForClient(Scale(designWidth_, dpi_), Scale(designHeight_, dpi_), Style(), ExStyle(),
                                        GetMenu(hwnd_) != nullptr, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
  OnLayOut();
}

void WindowBase::PlaceControls() {
  for (Component* c : Components())
    if (auto* control = dynamic_cast<Control*>(c)) control->ApplyDpi(dpi_);
}

void WindowBase::OnDpiChanged(int /*oldDpi*/, const RECT& suggested) {
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut();
}

void WindowBase::CenterOnOwner() {
  RECT window{};
  GetWindowRect(hwnd_, &window);
  RECT area{};
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
    area = info.rcWork;
  }
  const int width = window.right - window.left, height = window.bottom - window.top;
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowBase::ShowProgramIcon() {
  // The window keeps using the old icons until it has the new ones.
  auto forTaskSwitcher = std::make_unique<ProgramIcon>(Scale(32, dpi_));
  auto forCaption = std::make_unique<ProgramIcon>(Scale(16, dpi_));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(forTaskSwitcher->Handle()));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(forCaption->Handle()));
  bigIcon_ = std::move(forTaskSwitcher);
  smallIcon_ = std::move(forCaption);
}

void WindowBase::UpdateHint(Control& control) {
  if (!tooltip_) {
    if (control.Hint().empty() || !control.ShowHint()) return;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(400, dpi_));
  }
  TTTOOLINFOW tool = ToolFor(hwnd_, control);
  SendMessageW(tooltip_, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&tool));
  if (control.Hint().empty() || !control.ShowHint()) return;
  std::wstring text = control.Hint();
  tool.lpszText = text.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring WindowBase::ShownHint(const Control& control) const {
  if (!tooltip_) return std::wstring();
  TTTOOLINFOW tool = ToolFor(hwnd_, control);
  if (!SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return std::wstring();
  wchar_t text[1024] = L"";
  tool.lpszText = text;
  SendMessageW(tooltip_, TTM_GETTEXTW, WPARAM(std::size(text)), reinterpret_cast<LPARAM>(&tool));
  return text;
}

bool WindowBase::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      if (Control* control = Control::FromHwnd(reinterpret_cast<HWND>(lParam))) {
        control->OnCommand(HIWORD(wParam));
        return true;
      }
      const int id = LOWORD(wParam);
      auto it = commands_.find(id);
      if (it != commands_.end()) {
        std::function<void()> handler = it->second;  // the handler may replace itself
        handler();
      } else {
        OnUnhandledCommand(id);
      }
      return true;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      Control* control = Control::FromHwnd(header->hwndFrom);
      return control && control->OnNotify(*header, result);
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
      Control* control = Control::FromHwnd(reinterpret_cast<HWND>(lParam));
      HBRUSH brush = control ? control->OnColor(reinterpret_cast<HDC>(wParam)) : nullptr;
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      Control* control = item ? Control::FromHwnd(item->hwndItem) : nullptr;
      if (!control || !control->OnDrawItem(*item)) return false;
      result = TRUE;
      return true;
    }
    case WM_SETCURSOR: {
      Control* control = Control::FromHwnd(reinterpret_cast<HWND>(wParam));
      if (!control || !control->OnSetCursor()) return false;
      result = TRUE;
      return true;
    }
    case WM_CONTEXTMENU: {
      Control* control = Control::FromHwnd(reinterpret_cast<HWND>(wParam));
      std::optional<POINT> screen;
      if (lParam != -1) screen = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      return control && control->OnContextMenu(screen);
    }
    case WM_TIMER: {
      auto it = timers_.find(wParam);
      if (it == timers_.end()) return false;
      std::function<void()> handler = it->second;
      handler();
      return true;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED)
        for (Component* c : Components())
          if (auto* control = dynamic_cast<Control*>(c)) control->OnParentResized();
      return false;
    case WM_DPICHANGED: {
      const int oldDpi = dpi_;
      dpi_ = LOWORD(wParam);
      OnDpiChanged(oldDpi, *reinterpret_cast<const RECT*>(lParam));
      if (bigIcon_) ShowProgramIcon();
      return true;
    }
  }
  return false;
}

bool WindowBase::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

}  // namespace gui
