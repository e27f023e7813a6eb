// A white panel: a child window painted white that holds labels, links and
// pictures of its own (the banner at the top of the main window). What it
// holds is placed within it and named as a component of the window
// ("MainDlg.top_lbl"), as language files address it; the panel hands their
// messages on to the window, so their callbacks work as anywhere else.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "gui/win32/label.h"
#include "gui/win32/painted_control.h"

namespace gui {

class WhitePanel : public PaintedControl {
 public:
  WhitePanel(WindowBase& window, std::wstring name, const DesignRect& bounds);
  ~WhitePanel() override;

  // A control of kind T made with the window and args (its bounds are within
  // the panel), owned by the panel.
  template <class T, class... Args>
  T& Add(Args&&... args) {
    auto control = std::make_unique<T>(Window(), std::forward<Args>(args)...);
    T& added = *control;
    Adopt(std::move(control));
    if constexpr (std::is_base_of_v<Label, T> || std::is_base_of_v<PaintedControl, T>) added.SetBackground(Background());
    return added;
  }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Adopt(std::unique_ptr<Control> control);
  std::vector<std::unique_ptr<Control>> held_;
};

}  // namespace gui
