#include "gui/win32/timer.h"

#include "gui/win32/window_base.h"

namespace gui {

Timer::Timer(WindowBase& window, std::wstring name, UINT intervalMs, bool enabled)
    : Component(std::move(name), &window), window_(window), id_(UINT_PTR(window.NewId())), interval_(intervalMs) {
  window_.OnTimerId(id_, [this] {
    if (onTimer) onTimer();
  });
  SetEnabled(enabled);
}

Timer::~Timer() {
  SetEnabled(false);
  window_.ForgetTimerId(id_);
}

void Timer::SetInterval(UINT intervalMs) {
  interval_ = intervalMs;
  if (enabled_) SetTimer(window_.Hwnd(), id_, interval_, nullptr);
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled_)
    SetTimer(window_.Hwnd(), id_, interval_, nullptr);
  else
    KillTimer(window_.Hwnd(), id_);
}

}  // namespace gui
