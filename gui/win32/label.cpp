#include "gui/win32/label.h"

#include "gui/win32/window_base.h"

namespace gui {

Label::Label(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
             LabelStyle style)
    : Label(window, std::move(name), ControlSpec{WC_STATICW, SS_LEFT, 0, bounds, caption}, style) {}

Label::Label(WindowBase& window, std::wstring name, const ControlSpec& spec, LabelStyle style)
    : Control(window, std::move(name), spec), style_(style) {
  if (style_.background != CLR_INVALID) background_ = CreateSolidBrush(style_.background);
  if (style_.bold) SetFontStyle(FontStyle{true, false});
  ExposeText(Property::Caption, [this] { return Caption(); }, [this](const std::wstring& t) { SetCaption(t); });
  ExposeInt(Property::Alignment, [this] { return Alignment(); }, [this](int a) { SetAlignment(a); });
  FitText();
}

Label::~Label() {
  if (background_) DeleteObject(background_);
}

void Label::SetBackground(COLORREF color) {
  style_.background = color;
  if (background_) DeleteObject(background_);
  background_ = CreateSolidBrush(color);
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

void Label::SetCaption(const std::wstring& text) {
  ChangeWindowText(text);
  FitText();
}

int Label::Alignment() const {
  switch (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & SS_TYPEMASK) {
    case SS_RIGHT: return 1;
    case SS_CENTER: return 2;
    default: return 0;
  }
}

void Label::SetAlignment(int alignment) {
  const DWORD kinds[] = {SS_LEFT, SS_RIGHT, SS_CENTER};
  if (alignment >= 0 && alignment <= 2) ChangeStyle(SS_TYPEMASK, kinds[alignment]);
}

void Label::ApplyDpi(int dpi) {
  Control::ApplyDpi(dpi);
  FitText();
}

void Label::FitText() {
  if (Bounds().width != 0) return;
  const SIZE size = TextExtent(WindowText());
  SetWindowPos(Hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Label::ContentHeight() const {
  // A label sized to its text fits it; one of a designed width wraps its
  // words as the static control does and needs the lines it makes.
  if (Bounds().width == 0) return 0;
  RECT r{};
  GetClientRect(Hwnd(), &r);
  r.bottom = 0;
  const std::wstring text = WindowText();
  HDC dc = GetDC(Hwnd());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
  const UINT prefix = (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & SS_NOPREFIX) ? DT_NOPREFIX : 0;
  DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | prefix);
  SelectObject(dc, old);
  ReleaseDC(Hwnd(), dc);
  return text.empty() ? 0 : int(r.bottom);
}

HBRUSH Label::OnColor(HDC dc) {
  if (!background_) return nullptr;
  SetBkColor(dc, style_.background);
  return background_;
}

}  // namespace gui
