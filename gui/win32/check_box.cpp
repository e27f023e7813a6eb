#include "gui/win32/check_box.h"

#include "gui/win32/window_base.h"

namespace gui {

CheckBox::CheckBox(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds)
    : Button(window, std::move(name), ControlSpec{WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX, 0, bounds, caption}) {
  ExposeInt(Property::Alignment, [this] { return Alignment(); }, [this](int a) { SetAlignment(a); });
}

int CheckBox::ContentWidth() const {
  // The box (13 design pixels), the gap before the text and the focus
  // rectangle around the text.
  return TextExtent(WindowText()).cx + Scale(13 + 4 + 2, Window().Dpi());
}

int CheckBox::Alignment() const { return (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & BS_LEFTTEXT) ? 0 : 1; }

void CheckBox::SetAlignment(int alignment) {
  if (alignment == 0) ChangeStyle(0, BS_LEFTTEXT | BS_RIGHT);
  if (alignment == 1) ChangeStyle(BS_LEFTTEXT | BS_RIGHT, 0);
}

}  // namespace gui
