// The About dialog's banner, drawn by the program at the size it is shown:
// the program's sign on a teal band with its name beside it.
#pragma once

#include "gui/win32/painted_control.h"

gui::Painter AboutBannerPainter();
