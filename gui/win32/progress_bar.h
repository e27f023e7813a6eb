// A progress bar: a range and a position in it (int, as the control counts),
// or a 64-bit amount done out of a 64-bit total (bytes of a cleaning), shown
// as the same fraction of the range.
#pragma once

#include <cstdint>

#include "gui/win32/control.h"

namespace gui {

class ProgressBar : public Control {
 public:
  ProgressBar(WindowBase& window, std::wstring name, const DesignRect& bounds);

  int Minimum() const { return int(SendMessageW(Hwnd(), PBM_GETRANGE, TRUE, 0)); }
  int Maximum() const { return int(SendMessageW(Hwnd(), PBM_GETRANGE, FALSE, 0)); }
  void SetRange(int minimum, int maximum) { SendMessageW(Hwnd(), PBM_SETRANGE32, WPARAM(minimum), LPARAM(maximum)); }
  int Position() const { return int(SendMessageW(Hwnd(), PBM_GETPOS, 0, 0)); }
  void SetPosition(int position) { SendMessageW(Hwnd(), PBM_SETPOS, WPARAM(position), 0); }
  void SetProgress(std::int64_t done, std::int64_t total);
};

}  // namespace gui
