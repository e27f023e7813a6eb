#include "gui/win32/image_button.h"

#include "gui/win32/window_base.h"

namespace gui {

ImageButton::ImageButton(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
                         Painter picture, int pictureSize)
    : Button(window, std::move(name), ControlSpec{WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, bounds, caption}),
      picture_(std::move(picture)),
      pictureSize_(pictureSize) {
  ApplyDpi(window.Dpi());
}

void ImageButton::ApplyDpi(int dpi) {
  Button::ApplyDpi(dpi);
  const int size = Scale(pictureSize_, dpi);
  if (icon_ && icon_->Size() == size) return;
  auto icon = std::make_unique<DrawnIcon>(size, picture_);
  SendMessageW(Hwnd(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon->Handle()));
  icon_ = std::move(icon);  // the old one only after the button let go of it
}

int ImageButton::ContentWidth() const {
  return Button::ContentWidth() + Scale(pictureSize_ + 4, Window().Dpi());
}

}  // namespace gui
