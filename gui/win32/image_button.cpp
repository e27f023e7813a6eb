#include "gui/win32/image_button.h"

#include <algorithm>

#include "gui/win32/window_base.h"

namespace gui {

ImageButton::ImageButton(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
                         Painter picture, int pictureSize, bool wrapCaption)
    : Button(window, std::move(name),
             ControlSpec{WC_BUTTONW, DWORD(WS_TABSTOP | BS_PUSHBUTTON | (wrapCaption ? BS_MULTILINE : 0)), 0, bounds,
                         caption}),
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

int ImageButton::ContentWidth() const {
  const int dpi = Window().Dpi();
  const int room = Scale(pictureSize_ + 4, dpi) + Scale(2 * 4, dpi);
  if (!wrapCaption_) return Button::ContentWidth() + Scale(pictureSize_ + 4, dpi);
  // Wrapped: the widest word must fit, and the lines the height.
  std::wstring text = WindowText(), word;
  int widest = 0, lines = 1, line = 0;
  const RECT r = PixelRect();
  const int available = r.right - r.left - room;
  const int space = TextExtent(L" ").cx;
  text += L' ';
  for (wchar_t ch : text) {
    if (ch != L' ') {
      word += ch;
      continue;
    }
    if (word.empty()) continue;
    const int width = TextExtent(word).cx;
    widest = std::max(widest, width);
    if (line > 0 && line + space + width > available) {
      ++lines;
      line = width;
    } else {
      line += (line > 0 ? space : 0) + width;
    }
    word.clear();
  }
  // A caption that needs more lines than the button holds is cut off too.
  const int lineHeight = TextExtent(L"Ag").cy;
  if (lines * lineHeight > r.bottom - r.top - Scale(2 * 3, dpi)) return r.right - r.left + 1;
  return widest + room;
}

}  // namespace gui
