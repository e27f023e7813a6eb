#include "gui/win32/control.h"

#include "gui/win32/window_base.h"

namespace gui {

namespace {

const wchar_t kControlProperty[] = L"PurgelloControl";

}  // namespace

Control::Control(WindowBase& window, std::wstring name, const ControlSpec& spec)
    : Component(std::move(name), &window), window_(window), bounds_(spec.bounds), font_(window.Font()) {
  id_ = spec.id ? spec.id : window.NewId();
  const RECT r = ScaleRect(bounds_, window.Dpi());
  hwnd_ = CreateWindowExW(spec.exStyle, spec.className, spec.text.c_str(), WS_CHILD | WS_VISIBLE | spec.style, r.left,
                          r.top, r.right - r.left, r.bottom - r.top, window.Hwnd(),
                          reinterpret_cast<HMENU>(INT_PTR(id_)), GetModuleHandleW(nullptr), nullptr);
  SetPropW(hwnd_, kControlProperty, this);
  SetFontStyle(FontStyle{});
  ExposeText(Property::Hint, [this] { return hint_; }, [this](const std::wstring& t) { SetHint(t); });
  ExposeBool(Property::ShowHint, [this] { return showHint_; }, [this](bool b) { SetShowHint(b); });
  ExposeFont([this] { return font_; }, [this](const FontSpec& f) { SetFont(f); });
}

Control::~Control() {
  if (hwnd_ && IsWindow(hwnd_)) {
    RemovePropW(hwnd_, kControlProperty);
    DestroyWindow(hwnd_);
  }
}

Control* Control::FromHwnd(HWND hwnd) {
  return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProperty)) : nullptr;
}

std::wstring Control::WindowText() const {
  std::wstring text(size_t(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(hwnd_, text.data(), int(text.size()))));
  return text;
}

void Control::ChangeWindowText(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }

void Control::SetHint(const std::wstring& hint) {
  hint_ = hint;
  window_.UpdateHint(*this);
}

void Control::SetShowHint(bool show) {
  showHint_ = show;
  window_.UpdateHint(*this);
}

void Control::SetFont(const FontSpec& font) {
  font_ = font;
  SetFontStyle(fontStyle_);
}

void Control::SetFontStyle(FontStyle style) {
  fontStyle_ = style;
  realised_ = MakeFont(font_, fontStyle_, window_.Dpi());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(realised_->Handle()), TRUE);
}

void Control::SetBounds(const DesignRect& bounds) {
  bounds_ = bounds;
  ApplyDpi(window_.Dpi());
}

RECT Control::PixelRect() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, window_.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Control::SetAnchors(const Anchors& anchors) {
  anchors_ = anchors;
  ApplyDpi(window_.Dpi());
}

void Control::SetContainer(Control& container) {
  container_ = &container;
  SetParent(hwnd_, container.Hwnd());
  ApplyDpi(window_.Dpi());
}

void Control::ApplyDpi(int dpi) {
  RECT parent{};
  GetClientRect(GetParent(hwnd_), &parent);
  const Extent design = container_ ? Extent{container_->bounds_.width, container_->bounds_.height}
                                      : window_.DesignClientSize();
  const PixelBox r = AnchoredRect(bounds_, design, anchors_, Extent{parent.right, parent.bottom}, dpi);
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!realised_ || realised_ != MakeFont(font_, fontStyle_, dpi)) SetFontStyle(fontStyle_);
}

void Control::OnParentResized() {
  if (anchors_.right || anchors_.bottom) ApplyDpi(window_.Dpi());
}

void Control::ExposeCaption() {
  ExposeText(Property::Caption, [this] { return WindowText(); }, [this](const std::wstring& t) { ChangeWindowText(t); });
}

SIZE Control::TextExtent(const std::wstring& text) const {
  SIZE size{};
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, realised_->Handle());
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  size.cx = r.right - r.left;
  size.cy = r.bottom - r.top;
  return size;
}

void Control::ChangeStyle(DWORD remove, DWORD add) {
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~LONG_PTR(remove)) | LONG_PTR(add));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace gui
