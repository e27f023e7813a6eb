// An icon the program draws itself at the size it is needed (no picture
// files): a painter draws on a 32-bit bitmap, and what it leaves untouched is
// transparent.
#pragma once

#include <windows.h>

#include "gui/win32/painted_control.h"

namespace gui {

class DrawnIcon {
 public:
  DrawnIcon(int size, const Painter& painter);
  ~DrawnIcon();
  DrawnIcon(const DrawnIcon&) = delete;
  DrawnIcon& operator=(const DrawnIcon&) = delete;
  HICON Handle() const { return icon_; }
  int Size() const { return size_; }

 private:
  HICON icon_ = nullptr;
  int size_;
};

}  // namespace gui
