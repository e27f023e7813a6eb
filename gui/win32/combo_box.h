// A drop-down list (the user picks one of its items, types nothing). Text is
// the chosen item's text; setting it chooses the item with that text.
#pragma once

#include <functional>

#include "gui/win32/control.h"

namespace gui {

class ComboBox : public Control {
 public:
  ComboBox(WindowBase& window, std::wstring name, const StringList& items, const DesignRect& bounds);

  StringList Items() const;
  // Replaces the items; nothing is chosen afterwards.
  void SetItems(const StringList& items);
  int ItemIndex() const { return int(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0)); }
  void SetItemIndex(int index) { SendMessageW(Hwnd(), CB_SETCURSEL, WPARAM(index), 0); }
  std::wstring Text() const;
  void SetText(const std::wstring& text);

  void ApplyDpi(int dpi) override;
  void OnCommand(WORD code) override;

  // The user chose another item.
  std::function<void()> onChange;
};

}  // namespace gui
