// A group box: a framed caption drawn behind the controls placed over it
// (they are the window's own children, so their messages reach the window).
#pragma once

#include "gui/win32/control.h"

namespace gui {

class GroupBox : public Control {
 public:
  GroupBox(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds);

  // The caption sits in the top edge, indented from either corner.
  int ContentWidth() const override;
};

}  // namespace gui
