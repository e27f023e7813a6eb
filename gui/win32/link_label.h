// A label that acts as a link: blue, underlined, the hand cursor over it,
// onClick when it is clicked.
#pragma once

#include <functional>

#include "gui/win32/label.h"

namespace gui {

constexpr COLORREF kLinkColor = RGB(0, 0, 255);

class LinkLabel : public Label {
 public:
  LinkLabel(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds);

  HBRUSH OnColor(HDC dc) override;
  bool OnSetCursor() override;
  void OnCommand(WORD code) override;

  std::function<void()> onClick;
};

}  // namespace gui
