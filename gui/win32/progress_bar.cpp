#include "gui/win32/progress_bar.h"

namespace gui {

ProgressBar::ProgressBar(WindowBase& window, std::wstring name, const DesignRect& bounds)
    : Control(window, std::move(name), ControlSpec{PROGRESS_CLASSW, 0, 0, bounds, L""}) {}

void ProgressBar::SetProgress(std::int64_t done, std::int64_t total) {
  SetPosition(ScaledPosition(done, total, Minimum(), Maximum()));
}

}  // namespace gui
