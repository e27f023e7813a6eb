// A timer owned by a window: SetTimer while it is enabled, KillTimer when it
// is disabled or destroyed, onTimer at every tick on the window's thread.
// It is a named component of its window (posTracker_tmr) with no properties.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "gui/component.h"

namespace gui {

class WindowBase;

class Timer : public Component {
 public:
  Timer(WindowBase& window, std::wstring name, UINT intervalMs, bool enabled = true);
  ~Timer() override;

  UINT Interval() const { return interval_; }
  // Restarts the count when the timer is running.
  void SetInterval(UINT intervalMs);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  UINT_PTR Id() const { return id_; }

  std::function<void()> onTimer;

 private:
  WindowBase& window_;
  UINT_PTR id_;
  UINT interval_;
  bool enabled_ = false;
};

}  // namespace gui
