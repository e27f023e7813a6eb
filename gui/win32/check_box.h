// A check box. Alignment follows the language files' convention: 1 (the
// default) puts the text right of the box, 0 left of it.
#pragma once

#include "gui/win32/button.h"

namespace gui {

class CheckBox : public Button {
 public:
  CheckBox(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds);

  bool Checked() const { return SendMessageW(Hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // Changes the mark only: onClick does not run.
  void SetChecked(bool checked) { SendMessageW(Hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

  int Alignment() const;
  void SetAlignment(int alignment);

  int ContentWidth() const override;
};

}  // namespace gui
