// The program's icon, drawn here at any size (a white waste bin on a teal
// disc) rather than loaded from a file, so that it is sharp at every DPI.
#pragma once

#include <windows.h>

namespace gui {

class ProgramIcon {
 public:
  // size x size pixels, 32-bit with alpha.
  explicit ProgramIcon(int size);
  ~ProgramIcon();
  ProgramIcon(const ProgramIcon&) = delete;
  ProgramIcon& operator=(const ProgramIcon&) = delete;
  HICON Handle() const { return icon_; }

 private:
  HICON icon_ = nullptr;
};

}  // namespace gui
