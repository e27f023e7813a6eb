#include "gui/win32/link_label.h"

namespace gui {

LinkLabel::LinkLabel(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds)
    : Label(window, std::move(name), ControlSpec{WC_STATICW, SS_LEFT | SS_NOTIFY, 0, bounds, caption}, LabelStyle{}) {
  SetFontStyle(FontStyle{false, true});
  FitText();
}

HBRUSH LinkLabel::OnColor(HDC dc) {
  HBRUSH brush = Label::OnColor(dc);
  if (!brush) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    brush = GetSysColorBrush(COLOR_BTNFACE);
  }
  SetTextColor(dc, kLinkColor);
  return brush;
}

bool LinkLabel::OnSetCursor() {
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

void LinkLabel::OnCommand(WORD code) {
  if (code == STN_CLICKED && onClick) onClick();
}

}  // namespace gui
