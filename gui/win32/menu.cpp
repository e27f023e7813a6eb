#include "gui/win32/menu.h"

#include <algorithm>
#include <cwctype>

#include "gui/win32/window_base.h"
#include "platform/win_path.h"

namespace gui {

namespace {

struct NamedKey {
  const wchar_t* name;
  WORD key;
};

constexpr NamedKey kNamedKeys[] = {
    {L"Del", VK_DELETE}, {L"Ins", VK_INSERT}, {L"Enter", VK_RETURN}, {L"Esc", VK_ESCAPE},
    {L"Space", VK_SPACE}, {L"Tab", VK_TAB},   {L"Home", VK_HOME},    {L"End", VK_END},
    {L"PgUp", VK_PRIOR},  {L"PgDn", VK_NEXT},
};

std::optional<WORD> KeyByName(const std::wstring& name) {
  if (name.size() == 1 && std::iswalnum(name[0]) && name[0] < 128) return WORD(std::towupper(name[0]));
  if (name.size() >= 2 && (name[0] == L'F' || name[0] == L'f') &&
      std::all_of(name.begin() + 1, name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }) && name.size() <= 3) {
    const int number = std::stoi(name.substr(1));
    if (number >= 1 && number <= 24) return WORD(VK_F1 + number - 1);
  }
  for (const NamedKey& k : kNamedKeys)
    if (platform::EqualsNoCase(name, k.name)) return k.key;
  return std::nullopt;
}

// The menus whose shortcuts the message loop translates (GUI thread only).
std::vector<Menu*>& ShortcutMenus() {
  static std::vector<Menu*> menus;
  return menus;
}

}  // namespace

std::optional<ACCEL> ParseShortcut(const std::wstring& text) {
  ACCEL accel{};
  accel.fVirt = FVIRTKEY;
  size_t start = 0;
  for (;;) {
    const size_t plus = text.find(L'+', start);
    const std::wstring part = text.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start);
    if (plus == std::wstring::npos) {
      const std::optional<WORD> key = KeyByName(part);
      if (!key) return std::nullopt;
      accel.key = *key;
      return accel;
    }
    if (platform::EqualsNoCase(part, L"Ctrl")) accel.fVirt |= FCONTROL;
    else if (platform::EqualsNoCase(part, L"Shift")) accel.fVirt |= FSHIFT;
    else if (platform::EqualsNoCase(part, L"Alt")) accel.fVirt |= FALT;
    else return std::nullopt;
    start = plus + 1;
  }
}

MenuItem::MenuItem(Menu& menu, WindowBase& window, const MenuItemSpec& spec)
    : Component(spec.name, &window),
      onClick(spec.onClick),
      menu_(menu),
      window_(window),
      id_(window.NewId()),
      caption_(spec.caption),
      shortcut_(spec.shortcut),
      enabled_(spec.enabled),
      checked_(spec.checked),
      isDefault_(spec.isDefault) {
  window.OnCommandId(id_, [this] { Click(); });
  ExposeText(Property::Caption, [this] { return caption_; }, [this](const std::wstring& t) { SetCaption(t); });
  ExposeText(Property::Hint, [this] { return hint_; }, [this](const std::wstring& t) { SetHint(t); });
}

MenuItem::~MenuItem() { window_.ForgetCommandId(id_); }

void MenuItem::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  menu_.Rebuild();
}

void MenuItem::SetEnabled(bool enabled) {
  enabled_ = enabled;
  menu_.Rebuild();
}

void MenuItem::SetChecked(bool checked) {
  checked_ = checked;
  menu_.Rebuild();
}

void MenuItem::SetVisible(bool visible) {
  visible_ = visible;
  menu_.Rebuild();
}

void MenuItem::Click() {
  if (!enabled_ || !onClick) return;
  std::function<void()> handler = onClick;  // the handler may replace itself
  handler();
}

Menu::Menu(WindowBase& window, std::wstring name, HMENU handle, const std::vector<MenuItemSpec>& items)
    : Component(std::move(name), &window), window_(window), handle_(handle) {
  Add(items, top_);
  Rebuild();
}

Menu::~Menu() {
  if (accelerators_) {
    auto& menus = ShortcutMenus();
    menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
    DestroyAcceleratorTable(accelerators_);
  }
  // Take the submenus out first: destroying a menu destroys the submenus
  // still in it, and each is destroyed on its own here.
  for (const auto& item : all_)
    if (item->submenu_) Fill(item->submenu_, {});
  Fill(handle_, {});
  for (const auto& item : all_)
    if (item->submenu_) DestroyMenu(item->submenu_);
  DestroyMenu(handle_);
}

void Menu::Add(const std::vector<MenuItemSpec>& specs, std::vector<MenuItem*>& into) {
  for (const MenuItemSpec& spec : specs) {
    all_.push_back(std::make_unique<MenuItem>(*this, window_, spec));
    MenuItem* item = all_.back().get();
    into.push_back(item);
    if (!spec.items.empty()) {
      item->submenu_ = CreatePopupMenu();
      Add(spec.items, item->items_);
    }
  }
}

MenuItem* Menu::Item(const std::wstring& name) const {
  for (const auto& item : all_)
    if (platform::EqualsNoCase(item->Name(), name)) return item.get();
  return nullptr;
}

MenuItem* Menu::ItemById(int id) const {
  for (const auto& item : all_)
    if (item->Id() == id) return item.get();
  return nullptr;
}

void Menu::Rebuild() {
  Fill(handle_, top_);
  OnRebuilt();
}

void Menu::Fill(HMENU handle, const std::vector<MenuItem*>& items) {
  while (GetMenuItemCount(handle) > 0) RemoveMenu(handle, 0, MF_BYPOSITION);
  UINT position = 0;
  for (MenuItem* item : items) {
    if (!item->visible_) continue;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.wID = UINT(item->id_);
    std::wstring text = item->caption_;
    if (!item->shortcut_.empty()) text += L"\t" + item->shortcut_;
    if (item->IsSeparator()) {
      info.fMask = MIIM_FTYPE | MIIM_ID;
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | (item->submenu_ ? MIIM_SUBMENU : 0);
      info.dwTypeData = text.data();
      info.fState = (item->enabled_ ? MFS_ENABLED : MFS_DISABLED) | (item->checked_ ? MFS_CHECKED : 0) |
                    (item->isDefault_ ? MFS_DEFAULT : 0);
      info.hSubMenu = item->submenu_;
    }
    InsertMenuItemW(handle, position++, TRUE, &info);
    if (item->submenu_) Fill(item->submenu_, item->items_);
  }
}

void Menu::EnableShortcuts() {
  std::vector<ACCEL> keys;
  std::vector<MenuItem*> pending = Items();
  while (!pending.empty()) {
    MenuItem* item = pending.back();
    pending.pop_back();
    pending.insert(pending.end(), item->Items().begin(), item->Items().end());
    if (std::optional<ACCEL> key = ParseShortcut(item->Shortcut())) {
      key->cmd = WORD(item->Id());
      keys.push_back(*key);
    }
  }
  if (keys.empty()) return;
  accelerators_ = CreateAcceleratorTableW(keys.data(), int(keys.size()));
  ShortcutMenus().push_back(this);
}

MainMenu::MainMenu(WindowBase& window, std::wstring name, const std::vector<MenuItemSpec>& items)
    : Menu(window, std::move(name), CreateMenu(), items) {
  EnableShortcuts();
  SetMenu(window.Hwnd(), Handle());
}

MainMenu::~MainMenu() {
  if (Window().Hwnd() && GetMenu(Window().Hwnd()) == Handle()) SetMenu(Window().Hwnd(), nullptr);
}

void MainMenu::OnRebuilt() {
  if (Window().Hwnd() && GetMenu(Window().Hwnd()) == Handle()) DrawMenuBar(Window().Hwnd());
}

PopupMenu::PopupMenu(WindowBase& window, std::wstring name, const std::vector<MenuItemSpec>& items)
    : Menu(window, std::move(name), CreatePopupMenu(), items) {
  EnableShortcuts();
}

MenuItem* PopupMenu::ShowAt(POINT screen) {
  if (onPopup) onPopup();
  HWND owner = Window().Hwnd();
  // Without the owner in front, a menu opened from the notification area
  // stays open when the user clicks elsewhere; the posted message lets it
  // close at once (a documented quirk of the system's menus).
  SetForegroundWindow(owner);
  const int id = int(TrackPopupMenuEx(Handle(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                                      screen.x, screen.y, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  MenuItem* chosen = id ? ItemById(id) : nullptr;
  if (chosen) chosen->Click();
  return chosen;
}

bool TranslateMenuShortcuts(MSG& msg) {
  if (!msg.hwnd) return false;
  for (Menu* menu : ShortcutMenus()) {
    HWND window = menu->Window().Hwnd();
    if (!window || (msg.hwnd != window && !IsChild(window, msg.hwnd))) continue;
    if (TranslateAcceleratorW(window, menu->Accelerators(), &msg)) return true;
  }
  return false;
}

}  // namespace gui
