#include "gui/win32/group_box.h"

#include "gui/win32/window_base.h"

namespace gui {

GroupBox::GroupBox(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds)
    : Control(window, std::move(name), ControlSpec{WC_BUTTONW, BS_GROUPBOX, 0, bounds, caption}) {
  ExposeCaption();
}

int GroupBox::ContentWidth() const { return TextExtent(WindowText()).cx + Scale(2 * 8, Window().Dpi()); }

}  // namespace gui
