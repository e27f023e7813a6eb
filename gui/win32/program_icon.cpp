#include "gui/win32/program_icon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

namespace gui {

namespace {

struct Box {
  double left, top, right, bottom;  // in parts of the icon's size
  bool Holds(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
};

constexpr Box kHandle{0.42, 0.20, 0.58, 0.26};
constexpr Box kLid{0.26, 0.26, 0.74, 0.33};
constexpr double kBodyTop = 0.37, kBodyBottom = 0.80, kBodyHalfTop = 0.19, kBodyHalfBottom = 0.15;
constexpr double kGrooves[] = {0.42, 0.50, 0.58};
constexpr double kGrooveHalf = 0.02;

bool InBin(double x, double y) {
  if (kHandle.Holds(x, y) || kLid.Holds(x, y)) return true;
  if (y < kBodyTop || y >= kBodyBottom) return false;
  // The body narrows towards the bottom; grooves run down it.
  const double half = kBodyHalfTop + (kBodyHalfBottom - kBodyHalfTop) * (y - kBodyTop) / (kBodyBottom - kBodyTop);
  if (std::abs(x - 0.5) >= half) return false;
  const bool inGroove = y > kBodyTop + 0.06 && y < kBodyBottom - 0.06 &&
                        std::any_of(std::begin(kGrooves), std::end(kGrooves),
                                    [x](double g) { return std::abs(x - g) < kGrooveHalf; });
  return !inGroove;
}

// Premultiplied BGRA of one pixel, sampled 4 x 4 for smooth edges.
uint32_t Pixel(int px, int py, int size) {
  constexpr int kSamples = 4;
  double alpha = 0, white = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      const double x = (px + (sx + 0.5) / kSamples) / size, y = (py + (sy + 0.5) / kSamples) / size;
      if (std::hypot(x - 0.5, y - 0.5) > 0.48) continue;
      alpha += 1;
      if (InBin(x, y)) white += 1;
    }
  }
  const double n = kSamples * kSamples;
  const double a = alpha / n, w = white / n;
  // Teal (30, 140, 126) under white.
  const double r = 30 * (a - w) + 255 * w, g = 140 * (a - w) + 255 * w, b = 126 * (a - w) + 255 * w;
  return uint32_t(std::lround(a * 255)) << 24 | uint32_t(std::lround(r)) << 16 | uint32_t(std::lround(g)) << 8 |
         uint32_t(std::lround(b));
}

}  // namespace

ProgramIcon::ProgramIcon(int size) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = size;
  header.bV5Height = -size;  // top-down
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!color) return;
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) pixels[y * size + x] = Pixel(x, y, size);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);  // unused with an alpha channel, but required
  ICONINFO info{TRUE, 0, 0, mask, color};
  icon_ = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
}

ProgramIcon::~ProgramIcon() {
  if (icon_) DestroyIcon(icon_);
}

}  // namespace gui
