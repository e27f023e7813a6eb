// Design sizes are pixels at 96 DPI; every window scales them by its own DPI.
// The per-monitor functions exist only on newer Windows (and in part in Wine),
// so they are looked up at run time with the system DPI as the fall-back.
#pragma once

#include <windows.h>

#include "gui/anchoring.h"

namespace gui {

// A design length at dpi, rounded to the nearest pixel.
inline int Scale(int designPixels, int dpi) { return ScaleLength(designPixels, dpi); }
RECT ScaleRect(const DesignRect& r, int dpi);

// The DPI of the monitor the window is on (the system DPI where the system
// cannot say).
int WindowDpi(HWND window);
int SystemDpi();

// The outer size of a window whose client area is clientWidth x clientHeight.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, int dpi);

// Dialogs are laid out by their own code: stop the system from rescaling
// their fonts and controls on a DPI change (Windows 10 1703 and later).
void KeepDialogScalingOurs(HWND dialog);

}  // namespace gui
