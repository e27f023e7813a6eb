// Controls the toolkit draws itself (white panel, picture): a child window
// of a class of our own whose messages go to the object, inside the
// exception barrier. Pictures are painters, so that every picture is drawn
// by the program at the control's real size, crisp at any DPI.
#pragma once

#include <functional>

#include "gui/win32/control.h"

namespace gui {

// Draws into rect of dc.
using Painter = std::function<void(HDC dc, const RECT& rect)>;

class PaintedControl : public Control {
 public:
  COLORREF Background() const { return background_; }
  void SetBackground(COLORREF color);

 protected:
  PaintedControl(WindowBase& window, std::wstring name, const DesignRect& bounds, DWORD style, COLORREF background);
  ~PaintedControl() override;

  // After the background is filled.
  virtual void Paint(HDC /*dc*/, const RECT& /*client*/) {}
  // The control's own messages; true when handled (result set).
  virtual bool HandleMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  COLORREF background_;
  HBRUSH brush_ = nullptr;
};

// A picture drawn by its painter, filling the control.
class Picture : public PaintedControl {
 public:
  Picture(WindowBase& window, std::wstring name, const DesignRect& bounds, Painter painter);

 protected:
  void Paint(HDC dc, const RECT& client) override;

 private:
  Painter painter_;
};

}  // namespace gui
