// The pictures of the main window's buttons, drawn by the program at the
// size the button needs (no picture files), in the program's teal.
#pragma once

#include "gui/win32/painted_control.h"

enum class MainPicture { Clean, Shutdown, Reboot, Close, AutoStart, AutoStop, Expert, Basic, Shred, Health, Simulate };

gui::Painter MainPicturePainter(MainPicture picture);
