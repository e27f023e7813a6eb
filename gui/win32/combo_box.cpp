#include "gui/win32/combo_box.h"

#include "gui/win32/window_base.h"

namespace gui {

namespace {

// The height of the open list below the box, at design size.
constexpr int kDropDownHeight = 150;

}  // namespace

ComboBox::ComboBox(WindowBase& window, std::wstring name, const StringList& items, const DesignRect& bounds)
    : Control(window, std::move(name),
              ControlSpec{WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, bounds, std::wstring()}) {
  SetItems(items);
  ApplyDpi(window.Dpi());
  ExposeList(Property::Items, [this] { return Items(); }, [this](const StringList& l) { SetItems(l); });
  ExposeInt(Property::ItemIndex, [this] { return ItemIndex(); }, [this](int i) { SetItemIndex(i); });
  ExposeText(Property::Text, [this] { return Text(); }, [this](const std::wstring& t) { SetText(t); });
}

StringList ComboBox::Items() const {
  StringList items;
  const int count = int(SendMessageW(Hwnd(), CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text(size_t(SendMessageW(Hwnd(), CB_GETLBTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
    text.resize(size_t(SendMessageW(Hwnd(), CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()))));
    items.push_back(text);
  }
  return items;
}

void ComboBox::SetItems(const StringList& items) {
  SendMessageW(Hwnd(), CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) SendMessageW(Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

std::wstring ComboBox::Text() const {
  const int index = ItemIndex();
  if (index < 0) return std::wstring();
  return Items()[size_t(index)];
}

void ComboBox::SetText(const std::wstring& text) {
  const StringList items = Items();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return SetItemIndex(int(i));
  SetItemIndex(-1);
}

void ComboBox::ApplyDpi(int dpi) {
  Control::ApplyDpi(dpi);
  // A drop-down list's window height is that of its open list; the closed box
  // takes its height from the font.
  const RECT r = ScaleRect(Bounds(), dpi);
  SetWindowPos(Hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top + Scale(kDropDownHeight, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ComboBox::OnCommand(WORD code) {
  if (code == CBN_SELCHANGE && onChange) onChange();
}

}  // namespace gui
