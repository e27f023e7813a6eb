#include "gui/win32/button.h"

#include "gui/win32/dialog.h"

namespace gui {

namespace {

ControlSpec ButtonSpec(const std::wstring& caption, const DesignRect& bounds, ButtonRole role) {
  ControlSpec spec{WC_BUTTONW, DWORD(WS_TABSTOP | (role == ButtonRole::Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)), 0,
                   bounds, caption};
  if (role == ButtonRole::Default) spec.id = IDOK;
  if (role == ButtonRole::Cancel) spec.id = IDCANCEL;
  return spec;
}

}  // namespace

Button::Button(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
               ButtonRole role)
    : Button(window, std::move(name), ButtonSpec(caption, bounds, role)) {
  if (role == ButtonRole::Default)
    if (auto* dialog = dynamic_cast<Dialog*>(&window)) dialog->SetDefaultId(Id());
}

Button::Button(WindowBase& window, std::wstring name, const ControlSpec& spec)
    : Control(window, std::move(name), spec) {
  ExposeCaption();
}

int Button::ContentWidth() const {
  // The frame and the focus rectangle's margin on either side.
  return TextExtent(WindowText()).cx + Scale(2 * 4, Window().Dpi());
}

void Button::OnCommand(WORD code) {
  if (code == BN_CLICKED && onClick) onClick();
}

}  // namespace gui
