#include "gui/win32/drawn_icon.h"

#include <cstdint>

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
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  if (!color || !mask || !bits) {
    if (color) DeleteObject(color);
    if (mask) DeleteObject(mask);
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
  // GDI leaves the alpha byte alone: every drawn pixel becomes opaque.
  for (size_t i = 0; i < count; ++i)
    pixels[i] = (pixels[i] & 0x00FFFFFF) == kUntouched ? 0 : (pixels[i] | 0xFF000000u);
  ICONINFO icon{TRUE, 0, 0, mask, color};
  icon_ = CreateIconIndirect(&icon);
  DeleteObject(color);
  DeleteObject(mask);
}

DrawnIcon::~DrawnIcon() {
  if (icon_) DestroyIcon(icon_);
}

}  // namespace gui
