// A push button showing a picture the program draws, left of its caption.
// The picture is drawn again at the window's DPI whenever it changes.
#pragma once

#include <memory>

#include "gui/win32/button.h"
#include "gui/win32/drawn_icon.h"

namespace gui {

class ImageButton : public Button {
 public:
  ImageButton(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
              Painter picture, int pictureSize = 24);

  HICON Picture() const { return icon_ ? icon_->Handle() : nullptr; }

  void ApplyDpi(int dpi) override;
  int ContentWidth() const override;

 private:
  Painter picture_;
  int pictureSize_;
  std::unique_ptr<DrawnIcon> icon_;
};

}  // namespace gui
