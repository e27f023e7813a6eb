// What every top-level window of the toolkit shares: the HWND it owns, its
// DPI, its design client size, the routing of the messages its controls and
// menus raise back to them (commands, notifications, colours, cursor, timers),
// the hints of its controls, the program's icon in its caption, and the new
// layout on a DPI change. Windows with
// a class of their own derive from Window, dialogs from Dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "gui/component.h"
#include "gui/win32/dpi.h"
#include "gui/win32/program_icon.h"

namespace gui {

class Control;

class WindowBase : public Component {
 public:
  HWND Hwnd() const { return hwnd_; }
  int Dpi() const { return dpi_; }

  std::wstring Caption() const;
  void SetCaption(const std::wstring& text);
  // The font controls take when they are created; a language file sets it.
  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font) { font_ = font; }
  const std::wstring& Hint() const { return hint_; }
  bool ShowHint() const { return showHint_; }

  // The client area at design size; LayOut gives it the window's DPI.
  void SetDesignClientSize(int width, int height);
  Extent DesignClientSize() const { return Extent{designWidth_, designHeight_}; }
  // Sizes the window and places every control for the current DPI.
  void LayOut();
  // Centres the window on the owner window, or on the work area of the
  // screen when there is none (or it is hidden or minimised).
  void CenterOnOwner();
  bool IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }
  // Shows the program's icon in the caption and the task switcher, drawn at
  // the sizes the window's DPI asks for (drawn again after a DPI change).
  void ShowProgramIcon();

  // Ids for controls and menu commands, unique within the window.
  int NewId() { return nextId_++; }
  // A command without a control (menu item, accelerator).
  void OnCommandId(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }
  void ForgetCommandId(int id) { commands_.erase(id); }
  void OnTimerId(UINT_PTR id, std::function<void()> handler) { timers_[id] = std::move(handler); }
  void ForgetTimerId(UINT_PTR id) { timers_.erase(id); }

  // Shows the control's hint while the pointer rests on it, when it has one
  // and ShowHint is on; the hint a control shows now (empty when none).
  void UpdateHint(Control& control);
  std::wstring ShownHint(const Control& control) const;

 protected:
  WindowBase(std::wstring name, Component* owner);
  ~WindowBase() override;

  void Attach(HWND hwnd);
  void Detach() { hwnd_ = nullptr; }
  // The toolkit's own routing; true when it handled the message.
  bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The window's own messages; true when handled (result set).
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A command id nobody registered (IDOK, IDCANCEL of a dialog).
  virtual void OnUnhandledCommand(int /*id*/) {}
  // Called after LayOut placed the controls (windows lay out extra parts).
  virtual void OnLayOut() {}
  // The window now has a new DPI (it moved to another monitor) and the system
  // suggests a rectangle for it, its placement scaled. By default the window
  // moves there and is laid out at its design size for the new DPI; a window
  // the user sizes takes the whole rectangle instead.
  virtual void OnDpiChanged(int oldDpi, const RECT& suggested);
  // Places every control and realises its font for the window's DPI,
  // leaving the window's own size alone.
  void PlaceControls();

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
  DWORD ExStyle() const { return DWORD(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)); }

 private:
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  int dpi_ = kDesignDpi;
  int designWidth_ = 0, designHeight_ = 0;
  FontSpec font_ = DesignFont();
  std::wstring hint_;
  bool showHint_ = false;
  int nextId_ = 1000;
  std::map<int, std::function<void()>> commands_;
  std::map<UINT_PTR, std::function<void()>> timers_;
  std::unique_ptr<ProgramIcon> bigIcon_, smallIcon_;
};

}  // namespace gui
