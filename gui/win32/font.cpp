#include "gui/win32/font.h"

#include <map>
#include <tuple>

namespace gui {

std::shared_ptr<Font> MakeFont(const FontSpec& spec, FontStyle style, int dpi) {
  using Key = std::tuple<std::wstring, int, int, bool, bool, int>;
  // GUI thread only, like every other part of the toolkit.
  static std::map<Key, std::weak_ptr<Font>> cache;
  const Key key{spec.face, spec.charset, spec.size, style.bold, style.underline, dpi};
  if (std::shared_ptr<Font> font = cache[key].lock()) return font;
  HFONT handle = CreateFontW(-MulDiv(spec.size, dpi, 72), 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, FALSE,
                             style.underline, FALSE, BYTE(spec.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, spec.face.c_str());
  auto font = std::make_shared<Font>(handle);
  cache[key] = font;
  return font;
}

}  // namespace gui
