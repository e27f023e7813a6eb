// The progress shown on the program's taskbar button (ITaskbarList3, Windows
// 7 and later). Where the interface cannot be had, every operation does
// nothing, so callers never ask whether it is there.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <functional>

namespace gui {

// Gives a taskbar list with one reference for the caller, or nullptr.
using TaskbarListFactory = std::function<ITaskbarList3*()>;
// The system's taskbar list, in-process; nullptr before Windows 7 (major
// version 5 or lower) or when it cannot be created. The calling thread must
// have entered COM.
ITaskbarList3* CreateSystemTaskbarList();

// The progress states as the taskbar takes them.
enum class TaskbarProgressState { None = 0, Indeterminate = 1, Normal = 2, Error = 4, Paused = 8 };

class TTaskProgressBar {
 public:
  // Without a window there is no button to show progress on: no interface.
  explicit TTaskProgressBar(HWND window, const TaskbarListFactory& factory = CreateSystemTaskbarList);
  ~TTaskProgressBar();
  TTaskProgressBar(const TTaskProgressBar&) = delete;
  TTaskProgressBar& operator=(const TTaskProgressBar&) = delete;

  // Sends the current position again against the new maximum.
  void SetMax(int maximum);
  void SetPosition(int position);
  void SetState(TaskbarProgressState state);
  // Hidden is the state None; shown is Normal (left alone when it already is).
  void SetShown(bool shown);

  bool HasInterface() const { return taskbar_ != nullptr; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  TaskbarProgressState State() const { return state_; }
  bool Shown() const { return shown_; }

 private:
  HWND window_;
  ITaskbarList3* taskbar_ = nullptr;
  int max_ = 100;
  int position_ = 10;
  TaskbarProgressState state_ = TaskbarProgressState::None;
  bool shown_ = false;
};

}  // namespace gui
