#include "app/about_banner.h"

#include <algorithm>

#include "app/startup.h"
#include "gui/win32/program_icon.h"

namespace {

// From the program's teal at the top to a deeper one at the bottom.
constexpr COLORREF kTop = RGB(38, 158, 142), kBottom = RGB(16, 92, 84);

COLORREF Blend(COLORREF from, COLORREF to, int step, int steps) {
  auto mix = [&](int a, int b) { return a + (b - a) * step / std::max(1, steps); };
  return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
             mix(GetBValue(from), GetBValue(to)));
}

void FillBand(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Paint(HDC dc, const RECT& rect) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  for (int y = 0; y < height; ++y)
    FillBand(dc, RECT{rect.left, rect.top + y, rect.right, rect.top + y + 1}, Blend(kTop, kBottom, y, height - 1));
  // A pale rule along the bottom edge sets the banner off from the dialog.
  const int rule = std::max(1, height / 48);
  FillBand(dc, RECT{rect.left, rect.bottom - rule, rect.right, rect.bottom}, RGB(196, 232, 226));

  // The sign: the program's icon, white-rimmed by a slightly larger disc.
  const int iconSize = height * 2 / 3, margin = (height - iconSize) / 2;
  const int rim = std::max(1, height / 32);
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  HPEN none = CreatePen(PS_NULL, 0, 0);
  HGDIOBJ oldBrush = SelectObject(dc, white), oldPen = SelectObject(dc, none);
  const int discLeft = rect.left + margin - rim, discTop = rect.top + margin - rim;
  Ellipse(dc, discLeft, discTop, discLeft + iconSize + 2 * rim + 1, discTop + iconSize + 2 * rim + 1);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(white);
  DeleteObject(none);
  const gui::ProgramIcon icon(iconSize);
  DrawIconEx(dc, rect.left + margin, rect.top + margin, icon.Handle(), iconSize, iconSize, 0, nullptr, DI_NORMAL);

  // The name, large and bold, with a soft shadow.
  const int textLeft = rect.left + margin + iconSize + margin;
  HFONT font = CreateFontW(-height * 2 / 5, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const int shadow = std::max(1, height / 48);
  RECT text{textLeft + shadow, rect.top + shadow, rect.right, rect.bottom + shadow};
  SetTextColor(dc, kBottom);
  DrawTextW(dc, kApplicationTitle, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  text = RECT{textLeft, rect.top, rect.right, rect.bottom};
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, kApplicationTitle, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  DeleteObject(font);

  // Three rising bars at the right: space won back.
  const int bar = std::max(2, width / 40), gap = bar / 2 + 1;
  const int base = rect.bottom - margin;
  for (int i = 0; i < 3; ++i) {
    const int right = rect.right - margin - (2 - i) * (bar + gap);
    const int top = base - height * (2 + i) / 10;
    FillBand(dc, RECT{right - bar, top, right, base}, Blend(RGB(120, 210, 196), RGB(255, 255, 255), i, 2));
  }
}

}  // namespace

gui::Painter AboutBannerPainter() { return Paint; }
