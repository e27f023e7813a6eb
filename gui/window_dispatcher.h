// The Windows hand-over to the GUI thread (see system/dispatcher.h): a
// message-only window created on the GUI thread; Invoke is a SendMessage to it,
// which returns once the GUI thread's message loop has run the function.
#pragma once

#include <windows.h>

#include "system/dispatcher.h"

class TKLog;

class WindowDispatcher : public Dispatcher {
 public:
  // Must be created on the GUI thread. A hand-over that throws is stopped at
  // the window procedure and logged in log (when set).
  explicit WindowDispatcher(TKLog* log = nullptr);
  ~WindowDispatcher() override;
  WindowDispatcher(const WindowDispatcher&) = delete;
  WindowDispatcher& operator=(const WindowDispatcher&) = delete;

  void Invoke(const std::function<void()>& fn) override;
  // A nested message loop: sent hand-overs and the window messages go on.
  void ServeUntil(const std::function<bool()>& finished) override;
  // A posted message; what is still queued when the dispatcher goes is dropped.
  void Post(std::function<void()> fn) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  TKLog* log_ = nullptr;
  HWND window_ = nullptr;
  DWORD guiThread_ = 0;
};
