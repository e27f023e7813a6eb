#include "app/main_pictures.h"

#include <algorithm>

namespace {

constexpr COLORREF kTeal = RGB(30, 140, 126);
constexpr COLORREF kDark = RGB(40, 60, 70);
constexpr COLORREF kRed = RGB(200, 50, 40);

// Coordinates in 24ths of the picture's side.
struct Canvas {
  HDC dc;
  RECT r;
  int X(int u) const { return r.left + (r.right - r.left) * u / 24; }
  int Y(int u) const { return r.top + (r.bottom - r.top) * u / 24; }
  int W(int u) const { return std::max(1, int((r.right - r.left) * u / 24)); }

  void Box(int l, int t, int rr, int b, COLORREF fill) const {
    HBRUSH brush = CreateSolidBrush(fill);
    RECT box{X(l), Y(t), X(rr), Y(b)};
    FillRect(dc, &box, brush);
    DeleteObject(brush);
  }
  void Disc(int l, int t, int rr, int b, COLORREF fill) const {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, fill);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    Ellipse(dc, X(l), Y(t), X(rr), Y(b));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
  void Ring(int l, int t, int rr, int b, int width, COLORREF color, int fromX, int fromY, int toX, int toY) const {
    HPEN pen = CreatePen(PS_SOLID, W(width), color);
    HGDIOBJ old = SelectObject(dc, pen);
    Arc(dc, X(l), Y(t), X(rr), Y(b), X(fromX), Y(fromY), X(toX), Y(toY));
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  void Line(int x1, int y1, int x2, int y2, int width, COLORREF color) const {
    HPEN pen = CreatePen(PS_SOLID, W(width), color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, X(x1), Y(y1), nullptr);
    LineTo(dc, X(x2), Y(y2));
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  void Triangle(POINT a, POINT b, POINT c, COLORREF fill) const {
    POINT points[] = {{X(a.x), Y(a.y)}, {X(b.x), Y(b.y)}, {X(c.x), Y(c.y)}};
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, fill);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    Polygon(dc, points, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
};

// A waste bin: the program's own sign.
void Bin(const Canvas& c, COLORREF color) {
  c.Box(10, 2, 14, 4, color);
  c.Box(4, 4, 20, 7, color);
  c.Triangle({6, 8}, {18, 8}, {16, 22}, color);
  c.Triangle({6, 8}, {16, 22}, {8, 22}, color);
  c.Line(10, 11, 10, 19, 1, RGB(255, 255, 255));
  c.Line(14, 11, 14, 19, 1, RGB(255, 255, 255));
}

void Paint(MainPicture picture, HDC dc, const RECT& rect) {
  const Canvas c{dc, rect};
  switch (picture) {
    case MainPicture::Clean:
      Bin(c, kTeal);
      break;
    case MainPicture::Shutdown:
      c.Ring(3, 3, 21, 21, 3, kRed, 16, 3, 8, 3);
      c.Line(12, 1, 12, 11, 3, kRed);
      break;
    case MainPicture::Reboot:
      c.Ring(3, 3, 21, 21, 3, kTeal, 21, 9, 12, 3);
      c.Triangle({10, 0}, {16, 3}, {10, 7}, kTeal);
      break;
    case MainPicture::Close:
      c.Box(5, 2, 17, 22, kDark);
      c.Box(7, 4, 15, 20, RGB(250, 250, 250));
      c.Line(12, 12, 22, 12, 3, kTeal);
      c.Triangle({18, 7}, {24, 12}, {18, 17}, kTeal);
      break;
    case MainPicture::AutoStart:
      c.Disc(1, 1, 23, 23, kTeal);
      c.Triangle({9, 6}, {18, 12}, {9, 18}, RGB(255, 255, 255));
      break;
    case MainPicture::AutoStop:
      c.Disc(1, 1, 23, 23, kRed);
      c.Box(8, 8, 16, 16, RGB(255, 255, 255));
      break;
    case MainPicture::Expert:
      for (int row = 0; row < 4; ++row) {
        c.Box(2, 3 + row * 5, 6, 6 + row * 5, kTeal);
        c.Box(8, 4 + row * 5, 22, 5 + row * 5 + 1, kDark);
      }
      break;
    case MainPicture::Basic:
      c.Box(2, 2, 11, 11, kTeal);
      c.Box(13, 2, 22, 11, kTeal);
      c.Box(2, 13, 11, 22, kTeal);
      c.Box(13, 13, 22, 22, kDark);
      break;
    case MainPicture::Shred:
      c.Box(6, 1, 18, 9, RGB(250, 250, 250));
      c.Box(2, 9, 22, 14, kDark);
      for (int x = 5; x <= 19; x += 3) c.Box(x, 14, x + 1, 23, kTeal);
      break;
    case MainPicture::Health:
      c.Disc(2, 2, 22, 22, kDark);
      c.Disc(9, 9, 15, 15, RGB(250, 250, 250));
      c.Box(14, 15, 23, 18, kTeal);
      c.Box(17, 12, 20, 21, kTeal);
      break;
    case MainPicture::Simulate:
      c.Ring(2, 2, 16, 16, 3, kTeal, 2, 9, 2, 9);
      c.Line(14, 14, 22, 22, 4, kDark);
      break;
  }
}

}  // namespace

gui::Painter MainPicturePainter(MainPicture picture) {
  return [picture](HDC dc, const RECT& rect) { Paint(picture, dc, rect); };
}
