#include "gui/win32/drawn_icon.h"

#include <cstdint>
#include <vector>

namespace gui {

namespace {

// A colour no painter is asked to use: the pixels still holding it are the
// ones the painter left alone.
constexpr std::uint32_t kUntouched = 0x00FE01FD;

}  // namespace

DrawnIcon::DrawnIcon(int size, const Painter& painter) : size_(size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!color || !bits) {
    if (color) DeleteObject(color);
    return;
  }
  auto* pixels = static_cast<std::uint32_t*>(bits);
  const size_t count = size_t(size) * size_t(size);
  for (size_t i = 0; i < count; ++i) pixels[i] = kUntouched;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, color);
  painter(dc, RECT{0, 0, size, size});
  GdiFlush();
  SelectObject(dc, old);
  DeleteDC(dc);
  // GDI leaves the alpha byte alone: every drawn pixel becomes opaque. The
  // mask says the same (a set bit is transparent), for the drawing that
  // reads only the mask: the embossed picture of a disabled button.
  const size_t maskStride = (size_t(size) + 15) / 16 * 2;  // rows of whole words
  std::vector<std::uint8_t> maskBits(maskStride * size_t(size), 0);
  for (size_t i = 0; i < count; ++i) {
    const bool untouched = (pixels[i] & 0x00FFFFFF) == kUntouched;
    pixels[i] = untouched ? 0 : (pixels[i] | 0xFF000000u);
    if (untouched) maskBits[i / size_t(size) * maskStride + i % size_t(size) / 8] |= std::uint8_t(0x80 >> (i % size_t(size) % 8));
  }
  HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
  if (!mask) {
    DeleteObject(color);
    return;
  }
  ICONINFO icon{TRUE, 0, 0, mask, color};
  icon_ = CreateIconIndirect(&icon);
  DeleteObject(color);
  DeleteObject(mask);
}

DrawnIcon::~DrawnIcon() {
  if (icon_) DestroyIcon(icon_);
}

}  // namespace gui
