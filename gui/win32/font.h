// Fonts of the controls: a FontSpec (face, character set, points) with a
// style, realised at a DPI. Controls with the same font share one HFONT.
#pragma once

#include <windows.h>

#include <memory>

#include "gui/component.h"

namespace gui {

struct FontStyle {
  bool bold = false;
  bool underline = false;
};

// Owns an HFONT; deletes it with the last control that uses it.
class Font {
 public:
  explicit Font(HFONT handle) : handle_(handle) {}
  ~Font() {
    if (handle_) DeleteObject(handle_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT Handle() const { return handle_; }

 private:
  HFONT handle_;
};

std::shared_ptr<Font> MakeFont(const FontSpec& spec, FontStyle style, int dpi);

}  // namespace gui
