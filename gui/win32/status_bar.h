// A status bar along the bottom of its window, in panels. Panel widths are
// design pixels, scaled by the window's DPI; the last panel reaches the right
// edge. The bar places itself when its window changes size.
#pragma once

#include <vector>

#include "gui/win32/control.h"

namespace gui {

class StatusBar : public Control {
 public:
  StatusBar(WindowBase& window, std::wstring name, std::vector<int> panelWidths, bool sizeGrip = false);

  int PanelCount() const { return int(panelWidths_.size()); }
  std::wstring PanelText(int panel) const;
  void SetPanelText(int panel, const std::wstring& text);
  // The panels' right edges in pixels as the control has them (-1: the edge).
  std::vector<int> PanelRightEdges() const;

  void ApplyDpi(int dpi) override;
  void OnParentResized() override;

 private:
  std::vector<int> panelWidths_;
};

}  // namespace gui
