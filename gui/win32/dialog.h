// A dialog window (the system's dialog class, so Tab, Enter, Escape and the
// default button behave as users expect), created once from an empty
// template and shown modally as often as needed: ShowModal disables the
// owner, runs a message loop until EndModal, hides the dialog and gives the
// owner back its input.
#pragma once

#include "gui/win32/window_base.h"

namespace gui {

struct DialogSpec {
  std::wstring caption;
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  HWND ownerWindow = nullptr;
};

class Dialog : public WindowBase {
 public:
  Dialog(std::wstring name, const DialogSpec& spec, Component* owner = &ApplicationComponent());
  ~Dialog() override;

  // The result given to EndModal; IDCANCEL when the dialog is closed with
  // its close button or Escape, or when WM_QUIT ends the loop.
  int ShowModal();
  void EndModal(int result) { modalResult_ = result; }
  bool InModal() const { return inModal_; }

  // The button Enter presses.
  void SetDefaultId(int id);

 protected:
  void OnUnhandledCommand(int id) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  int modalResult_ = 0;
  bool inModal_ = false;
};

}  // namespace gui
