// Menus: the menu bar of a window and popup menus, built from a typed
// description. Every item is a named component owned by the window (not by
// the menu), so that language files address it as "MainDlg.Quit1" and set its
// Caption and Hint. The system menu is rebuilt from the items whenever one
// changes (menus are short), which is also how hidden items leave it.
//
// An item's shortcut is shown after its caption and works through the menu
// bar's accelerator table, which the program's message loop translates
// (TranslateMenuShortcuts). A disabled item's shortcut does nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/component.h"

namespace gui {

class WindowBase;
class Menu;

struct MenuItemSpec {
  MenuItemSpec(std::wstring name, std::wstring caption, std::wstring shortcut = std::wstring(),
               std::vector<MenuItemSpec> items = {})
      : name(std::move(name)), caption(std::move(caption)), shortcut(std::move(shortcut)), items(std::move(items)) {}
  MenuItemSpec Disabled() const { return With([](MenuItemSpec& s) { s.enabled = false; }); }
  MenuItemSpec Checked() const { return With([](MenuItemSpec& s) { s.checked = true; }); }
  // Shown in bold: what a double click on the menu's owner does.
  MenuItemSpec Default() const { return With([](MenuItemSpec& s) { s.isDefault = true; }); }
  MenuItemSpec OnClick(std::function<void()> f) const {
    return With([&f](MenuItemSpec& s) { s.onClick = std::move(f); });
  }

  std::wstring name;
  std::wstring caption;             // "-": a separator; "&&" shows one "&"
  std::wstring shortcut;            // "Ctrl+Q"; empty: none
  std::vector<MenuItemSpec> items;  // a submenu
  bool enabled = true;
  bool checked = false;
  bool isDefault = false;
  std::function<void()> onClick;

 private:
  template <class F>
  MenuItemSpec With(F change) const {
    MenuItemSpec copy = *this;
    change(copy);
    return copy;
  }
};

// The key of a shortcut text ("Ctrl+Shift+F5"): modifiers Ctrl, Shift, Alt
// (any letter case) and one key: a letter, a digit, F1 to F24, Del, Ins,
// Enter, Esc, Space, Tab, Home, End, PgUp, PgDn. Empty for anything else.
std::optional<ACCEL> ParseShortcut(const std::wstring& text);

class MenuItem : public Component {
 public:
  MenuItem(Menu& menu, WindowBase& window, const MenuItemSpec& spec);
  ~MenuItem() override;

  int Id() const { return id_; }
  bool IsSeparator() const { return caption_ == L"-"; }
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  const std::wstring& Hint() const { return hint_; }
  void SetHint(const std::wstring& hint) { hint_ = hint; }
  const std::wstring& Shortcut() const { return shortcut_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool IsDefault() const { return isDefault_; }
  const std::vector<MenuItem*>& Items() const { return items_; }

  // What choosing the item does: onClick, when the item is enabled.
  void Click();
  std::function<void()> onClick;

 private:
  friend class Menu;
  Menu& menu_;
  WindowBase& window_;
  int id_;
  std::wstring caption_, hint_, shortcut_;
  bool enabled_, checked_, visible_ = true, isDefault_;
  std::vector<MenuItem*> items_;
  HMENU submenu_ = nullptr;
};

class Menu : public Component {
 public:
  ~Menu() override;

  HMENU Handle() const { return handle_; }
  WindowBase& Window() const { return window_; }
  // The item of that name (letter case ignored) anywhere in the menu, or nullptr.
  MenuItem* Item(const std::wstring& name) const;
  MenuItem* ItemById(int id) const;
  const std::vector<MenuItem*>& Items() const { return top_; }

  // Makes the system menu show the items as they are now.
  void Rebuild();

  // The items' shortcuts, which the message loop translates while the
  // window or one of its children has the message; null when none has one.
  HACCEL Accelerators() const { return accelerators_; }

 protected:
  Menu(WindowBase& window, std::wstring name, HMENU handle, const std::vector<MenuItemSpec>& items);
  virtual void OnRebuilt() {}
  // Builds the shortcut table from the items and registers it.
  void EnableShortcuts();

 private:
  void Add(const std::vector<MenuItemSpec>& specs, std::vector<MenuItem*>& into);
  void Fill(HMENU handle, const std::vector<MenuItem*>& items);

  WindowBase& window_;
  HMENU handle_;
  std::vector<std::unique_ptr<MenuItem>> all_;  // in creation order
  std::vector<MenuItem*> top_;
  HACCEL accelerators_ = nullptr;
};

// The menu bar of a window, attached at creation (lay the window out
// afterwards: the bar takes room from the client area).
class MainMenu : public Menu {
 public:
  MainMenu(WindowBase& window, std::wstring name, const std::vector<MenuItemSpec>& items);
  ~MainMenu() override;

 protected:
  void OnRebuilt() override;
};

// A menu shown at a point; onPopup runs first (to enable, hide or retitle
// items), then the chosen item's onClick.
class PopupMenu : public Menu {
 public:
  PopupMenu(WindowBase& window, std::wstring name, const std::vector<MenuItemSpec>& items);

  // Shows the menu with its top left corner at the point (screen
  // coordinates) until the user chooses or leaves; returns the chosen item.
  MenuItem* ShowAt(POINT screen);

  std::function<void()> onPopup;
};

// The shortcuts of the menus (bar and popups) of the window that msg is for;
// true when msg was a shortcut (and its item's command was sent). A popup
// item's command comes whatever the item showed when last opened: its handler
// checks what the command needs.
bool TranslateMenuShortcuts(MSG& msg);

}  // namespace gui
