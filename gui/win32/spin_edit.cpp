#include "gui/win32/spin_edit.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/win32/window_base.h"

namespace gui {

SpinEdit::SpinEdit(WindowBase& window, std::wstring name, int minimum, int maximum, int value,
                   const DesignRect& bounds)
    : Control(window, std::move(name),
              ControlSpec{WC_EDITW, WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, bounds, std::wstring()}),
      minimum_(minimum),
      maximum_(maximum) {
  upDown_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                            WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                            0, 0, 0, 0, window.Hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Hwnd()), 0);
  SendMessageW(upDown_, UDM_SETRANGE32, WPARAM(minimum), LPARAM(maximum));
  SetValue(value);
  ExposeText(Property::Text, [this] { return Text(); }, [this](const std::wstring& t) { SetText(t); });
}

SpinEdit::~SpinEdit() {
  if (upDown_ && IsWindow(upDown_)) DestroyWindow(upDown_);
}

int SpinEdit::Value() const {
  const std::wstring text = Text();
  wchar_t* end = nullptr;
  const long value = wcstol(text.c_str(), &end, 10);
  if (text.empty() || *end != L'\0') return minimum_;
  return int(std::clamp<long>(value, minimum_, maximum_));
}

void SpinEdit::SetValue(int value) {
  SendMessageW(upDown_, UDM_SETPOS32, 0, LPARAM(std::clamp(value, minimum_, maximum_)));
}

void SpinEdit::ApplyDpi(int dpi) {
  Control::ApplyDpi(dpi);
  // Attaching again shrinks the field to make room for the arrows and puts
  // them at its right edge, at the new size.
  if (upDown_) SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Hwnd()), 0);
}

}  // namespace gui
