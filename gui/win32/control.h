// The base of every control: a child window of one toolkit window, owned (as
// a component) by it, placed by its design rectangle at the window's DPI.
// Messages the control raises come back to it through its window (OnCommand,
// OnNotify, OnColor, OnSetCursor). Every control has Hint, ShowHint and Font;
// kinds add what they have (Caption, Items, ...).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "gui/component.h"
#include "gui/win32/dpi.h"
#include "gui/win32/font.h"

namespace gui {

class WindowBase;

struct ControlSpec {
  const wchar_t* className;
  DWORD style = 0;
  DWORD exStyle = 0;
  DesignRect bounds;
  std::wstring text;
  int id = 0;  // 0: a fresh id of the window
};

class Control : public Component {
 public:
  Control(WindowBase& window, std::wstring name, const ControlSpec& spec);
  ~Control() override;

  HWND Hwnd() const { return hwnd_; }
  int Id() const { return id_; }
  WindowBase& Window() const { return window_; }
  static Control* FromHwnd(HWND hwnd);

  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
  bool Visible() const { return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
  void SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
  void Focus() { SetFocus(hwnd_); }

  std::wstring WindowText() const;
  void ChangeWindowText(const std::wstring& text);

  const std::wstring& Hint() const { return hint_; }
  void SetHint(const std::wstring& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);

  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font);

  const DesignRect& Bounds() const { return bounds_; }
  void SetBounds(const DesignRect& bounds);
  // Where the control really is, in pixels of its window's client area.
  RECT PixelRect() const;

  // A number for the program's own use (the category boxes keep their
  // default there).
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // The edges of its parent the control keeps its distances to when the
  // parent changes size (left and top unless set).
  const Anchors& GetAnchors() const { return anchors_; }
  void SetAnchors(const Anchors& anchors);
  // The control whose window holds this one (a white panel), or nullptr when
  // it lies on its window; its bounds are within that container.
  Control* Container() const { return container_; }
  // Moves the control into container, which hands its messages on to the window.
  void SetContainer(Control& container);

  // Places the control (its bounds, anchored in its parent's client area) and
  // realises its font for dpi.
  virtual void ApplyDpi(int dpi);
  // The parent's client area changed size: anchored controls follow.
  virtual void OnParentResized();
  // The width in pixels the control needs to show its text uncut at the
  // current font; 0 when it makes no claim (wrapping texts, lists).
  virtual int ContentWidth() const { return 0; }
  // The height in pixels the control needs to show its text uncut at its
  // current width (wrapping texts); 0 when it makes no claim.
  virtual int ContentHeight() const { return 0; }
  // The size the control's text needs at the current font (one line; "&&"
  // counts as one "&").
  SIZE TextExtent(const std::wstring& text) const;

  virtual void OnCommand(WORD /*code*/) {}
  virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
  // A brush for WM_CTLCOLOR*, or nullptr for the default colours.
  virtual HBRUSH OnColor(HDC /*dc*/) { return nullptr; }
  virtual bool OnSetCursor() { return false; }
  // WM_DRAWITEM for an owner-drawn control; true when it drew itself.
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // WM_CONTEXTMENU: the point in screen coordinates, none when it came from
  // the keyboard. True when the control showed a menu.
  virtual bool OnContextMenu(std::optional<POINT> /*screen*/) { return false; }

 protected:
  void ExposeCaption();
  void SetFontStyle(FontStyle style);
  void ChangeStyle(DWORD remove, DWORD add);

 private:
  WindowBase& window_;
  HWND hwnd_ = nullptr;
  int id_ = 0;
  DesignRect bounds_;
  Anchors anchors_;
  Control* container_ = nullptr;
  std::wstring hint_;
  bool showHint_ = false;
  FontSpec font_;
  FontStyle fontStyle_;
  std::shared_ptr<gui::Font> realised_;
  int tag_ = 0;
};

}  // namespace gui
