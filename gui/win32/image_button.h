// A push button showing a picture the program draws, left of its caption.
// The button draws itself, so that picture and caption share its width the
// same way on every system.
// The picture is drawn again at the window's DPI whenever it changes. A
// wrapped caption breaks between words onto as many lines as it needs.
#pragma once

#include <memory>

#include "gui/win32/button.h"
#include "gui/win32/drawn_icon.h"

namespace gui {

class ImageButton : public Button {
 public:
  ImageButton(WindowBase& window, std::wstring name, const std::wstring& caption, const DesignRect& bounds,
              Painter picture, int pictureSize = 24, bool wrapCaption = false);

  HICON Picture() const { return icon_ ? icon_->Handle() : nullptr; }
  // Draws the button's picture anew with another painter (a button whose
  // picture tells a state).
  void SetPicture(Painter picture);

  void ApplyDpi(int dpi) override;
  int ContentWidth() const override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  static constexpr int kMargin = 4, kGap = 4;  // design pixels
  void Redraw();
  RECT CaptionRect(const RECT& client) const;
  Painter picture_;
  int pictureSize_;
  bool wrapCaption_;
  std::unique_ptr<DrawnIcon> icon_;
};

}  // namespace gui
