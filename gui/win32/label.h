// A text label. Without a design width it takes the size of its one-line
// text (and follows caption changes); with one it wraps its words inside it.
// Alignment: 0 left, 1 right, 2 centred.
#pragma once

#include "gui/win32/control.h"

namespace gui {

struct LabelStyle {
  bool bold = false;
  COLORREF background = CLR_INVALID;  // CLR_INVALID: the window's own
};

class Label : public Control {
 public:
  Label(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
        LabelStyle style = {});
  ~Label() override;

  std::wstring Caption() const { return WindowText(); }
  void SetCaption(const std::wstring& text);
  int Alignment() const;
  void SetAlignment(int alignment);
  // The colour behind the text (a white panel's white).
  void SetBackground(COLORREF color);

  void ApplyDpi(int dpi) override;
  HBRUSH OnColor(HDC dc) override;
  int ContentHeight() const override;

 protected:
  Label(WindowBase& window, std::wstring name, const ControlSpec& spec, LabelStyle style);
  void FitText();

 private:
  LabelStyle style_;
  HBRUSH background_ = nullptr;
};

}  // namespace gui
