#include "gui/win32/white_panel.h"

#include "gui/win32/window_base.h"

namespace gui {

WhitePanel::WhitePanel(WindowBase& window, std::wstring name, const DesignRect& bounds)
    : PaintedControl(window, std::move(name), bounds, WS_CLIPCHILDREN, RGB(255, 255, 255)) {}

// The held controls go first, while the panel's window still exists.
WhitePanel::~WhitePanel() {
  while (!held_.empty()) held_.pop_back();
}

void WhitePanel::Adopt(std::unique_ptr<Control> control) {
  control->SetContainer(*this);
  held_.push_back(std::move(control));
}

bool WhitePanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      result = SendMessageW(Window().Hwnd(), message, wParam, lParam);
      return true;
  }
  return false;
}

}  // namespace gui
