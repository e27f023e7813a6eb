#include "gui/win32/status_bar.h"

#include "gui/win32/window_base.h"

namespace gui {

StatusBar::StatusBar(WindowBase& window, std::wstring name, std::vector<int> panelWidths, bool sizeGrip)
    : Control(window, std::move(name), ControlSpec{STATUSCLASSNAMEW, DWORD(sizeGrip ? SBARS_SIZEGRIP : 0), 0, DesignRect{}, L""}),
      panelWidths_(std::move(panelWidths)) {
  if (panelWidths_.empty()) panelWidths_.push_back(0);
  ApplyDpi(window.Dpi());
}

std::wstring StatusBar::PanelText(int panel) const {
  const LRESULT info = SendMessageW(Hwnd(), SB_GETTEXTLENGTHW, WPARAM(panel), 0);
  std::wstring text(size_t(LOWORD(info)) + 1, L'\0');
  SendMessageW(Hwnd(), SB_GETTEXTW, WPARAM(panel), reinterpret_cast<LPARAM>(text.data()));
  text.resize(LOWORD(info));
  return text;
}

void StatusBar::SetPanelText(int panel, const std::wstring& text) {
  if (panel >= 0 && panel < PanelCount())
    SendMessageW(Hwnd(), SB_SETTEXTW, WPARAM(panel), reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<int> StatusBar::PanelRightEdges() const {
  std::vector<int> edges(panelWidths_.size());
  SendMessageW(Hwnd(), SB_GETPARTS, WPARAM(edges.size()), reinterpret_cast<LPARAM>(edges.data()));
  return edges;
}

void StatusBar::ApplyDpi(int dpi) {
  Control::ApplyDpi(dpi);
  std::vector<int> edges;
  int right = 0;
  for (size_t i = 0; i < panelWidths_.size(); ++i) {
    right += panelWidths_[i];
    edges.push_back(i + 1 == panelWidths_.size() ? -1 : Scale(right, dpi));
  }
  SendMessageW(Hwnd(), SB_SETPARTS, WPARAM(edges.size()), reinterpret_cast<LPARAM>(edges.data()));
  OnParentResized();
}

// The control sizes itself to the bottom of its parent on WM_SIZE.
void StatusBar::OnParentResized() { SendMessageW(Hwnd(), WM_SIZE, 0, 0); }

}  // namespace gui
