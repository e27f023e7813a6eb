#include "gui/win32/image_button.h"

#include <algorithm>

#include "gui/win32/window_base.h"

namespace gui {

ImageButton::ImageButton(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
                         Painter picture, int pictureSize, bool wrapCaption)
    : Button(window, std::move(name),
             ControlSpec{WC_BUTTONW, DWORD(WS_TABSTOP | BS_OWNERDRAW), 0, bounds, caption}),
      picture_(std::move(picture)),
      pictureSize_(pictureSize),
      wrapCaption_(wrapCaption) {
  ApplyDpi(window.Dpi());
}

void ImageButton::ApplyDpi(int dpi) {
  Button::ApplyDpi(dpi);
  if (icon_ && icon_->Size() == Scale(pictureSize_, dpi)) return;
  Redraw();
}

void ImageButton::Redraw() {
  const int size = Scale(pictureSize_, Window().Dpi());
  auto icon = std::make_unique<DrawnIcon>(size, picture_);
  SendMessageW(Hwnd(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon->Handle()));
  icon_ = std::move(icon);  // the old one only after the button let go of it
}

void ImageButton::SetPicture(Painter picture) {
  picture_ = std::move(picture);
  Redraw();
}

RECT ImageButton::CaptionRect(const RECT& client) const {
  const int dpi = Window().Dpi();
  RECT text = client;
  text.left += Scale(kMargin, dpi) + Scale(pictureSize_ + kGap, dpi);
  text.right -= Scale(kMargin, dpi);
  return text;
}

bool ImageButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT frame = item.rcItem;
  const bool pushed = item.itemState & ODS_SELECTED, disabled = item.itemState & ODS_DISABLED;
  DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
  const int dpi = Window().Dpi();
  const int shift = pushed ? 1 : 0;
  const int size = Scale(pictureSize_, dpi);
  // The picture and the caption side by side, the caption wrapped between
  // words when it is allowed to; the pair centred in the button.
  RECT text = CaptionRect(item.rcItem);
  std::wstring caption = WindowText();
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
  const UINT format = (wrapCaption_ ? DT_WORDBREAK : DT_SINGLELINE) | DT_CENTER;
  RECT measured = text;
  DrawTextW(dc, caption.c_str(), int(caption.size()), &measured, format | DT_CALCRECT);
  const int textWidth = std::min(measured.right - measured.left, text.right - text.left);
  const int textHeight = measured.bottom - measured.top;
  const int pairWidth = size + Scale(kGap, dpi) + textWidth;
  const int left = item.rcItem.left + std::max(Scale(kMargin, dpi), int(item.rcItem.right - item.rcItem.left - pairWidth) / 2);
  const int middle = (item.rcItem.top + item.rcItem.bottom) / 2;
  if (icon_)
    DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon_->Handle()), 0, left + shift, middle - size / 2 + shift,
              size, size, DST_ICON | (disabled ? DSS_DISABLED : 0));
  // Drawn in a box as wide as the one measured, so that the lines break
  // where they did when measured; centred on the caption's place.
  const int centre = left + size + Scale(kGap, dpi) + textWidth / 2 + shift;
  const int room = text.right - text.left;
  RECT place{centre - room / 2, middle - textHeight / 2 + shift, 0, 0};
  place.right = place.left + room;
  place.bottom = place.top + textHeight;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextW(dc, caption.c_str(), int(caption.size()), &place, format);
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -Scale(3, dpi), -Scale(3, dpi));
    DrawFocusRect(dc, &focus);
  }
  return true;
}

int ImageButton::ContentWidth() const {
  const int dpi = Window().Dpi();
  const int room = Scale(2 * kMargin + pictureSize_ + kGap, dpi);
  if (!wrapCaption_) return Button::ContentWidth() + Scale(pictureSize_ + kGap, dpi);
  // Wrapped: every word must fit on a line, and the lines in the button.
  RECT client{};
  GetClientRect(Hwnd(), &client);
  RECT text = CaptionRect(client);
  const std::wstring caption = WindowText();
  HDC dc = GetDC(Hwnd());
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
  RECT measured = text;
  DrawTextW(dc, caption.c_str(), int(caption.size()), &measured, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
  SelectObject(dc, oldFont);
  ReleaseDC(Hwnd(), dc);
  if (measured.bottom - measured.top > client.bottom - client.top - Scale(2 * 3, dpi)) return client.right + 1;
  return measured.right - measured.left + room;
}

}  // namespace gui
