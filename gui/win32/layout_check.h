// Faults a user would see in a window's layout at its current DPI: a text
// cut off by its control, two controls on top of each other, a control
// outside the client area. Window tests run it at every DPI they cover.
#pragma once

#include <string>
#include <vector>

#include "gui/win32/window_base.h"

namespace gui {

// One line per fault, naming the controls; empty when the layout is sound.
// Group boxes frame other controls and so may lie under them; a white panel
// holds its own.
std::vector<std::wstring> LayoutFaults(const WindowBase& window);

// The width in pixels of the window's own icon of that kind (ICON_SMALL in
// the caption, ICON_BIG in the task switcher); 0 when it has none.
int WindowIconWidth(HWND window, WPARAM kind);

}  // namespace gui
