// A spin box: a number field with up and down arrows beside it, kept within
// a range. Text is the field's text as shown.
#pragma once

#include "gui/win32/control.h"

namespace gui {

class SpinEdit : public Control {
 public:
  SpinEdit(WindowBase& window, std::wstring name, int minimum, int maximum, int value, const DesignRect& bounds);
  ~SpinEdit() override;

  // The number shown, kept within the range (the minimum when the text is not
  // a number).
  int Value() const;
  void SetValue(int value);
  std::wstring Text() const { return WindowText(); }
  void SetText(const std::wstring& text) { ChangeWindowText(text); }
  HWND UpDown() const { return upDown_; }

  void ApplyDpi(int dpi) override;

 private:
  HWND upDown_ = nullptr;
  int minimum_, maximum_;
};

}  // namespace gui
