// A push button. The default button is the one Enter presses (its id is
// IDOK), the cancel button the one Escape presses (IDCANCEL).
#pragma once

#include <functional>

#include "gui/win32/control.h"

namespace gui {

enum class ButtonRole { Normal, Default, Cancel };

class Button : public Control {
 public:
  Button(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
         ButtonRole role = ButtonRole::Normal);

  // Presses the button as the user would (onClick runs).
  void Click() { SendMessageW(Hwnd(), BM_CLICK, 0, 0); }

  int ContentWidth() const override;

  std::function<void()> onClick;

 protected:
  Button(WindowBase& window, std::wstring name, const ControlSpec& spec);
  void OnCommand(WORD code) override;
};

}  // namespace gui
