#include "gui/win32/dpi.h"

namespace gui {

namespace {

template <class F>
F UserFunction(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

RECT ScaleRect(const DesignRect& r, int dpi) {
  // Edges, not sizes, are scaled: controls that touch at design size still
  // touch, and never overlap by a rounded pixel, at any DPI.
  return RECT{Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.left + r.width, dpi), Scale(r.top + r.height, dpi)};
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const Fn getDpiForWindow = UserFunction<Fn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return int(dpi);
  }
  return SystemDpi();
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, int dpi) {
  using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const Fn adjustForDpi = UserFunction<Fn>("AdjustWindowRectExForDpi");
  RECT r{0, 0, clientWidth, clientHeight};
  if (!adjustForDpi || !adjustForDpi(&r, style, hasMenu, exStyle, UINT(dpi))) AdjustWindowRectEx(&r, style, hasMenu, exStyle);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void KeepDialogScalingOurs(HWND dialog) {
  using Fn = BOOL(WINAPI*)(HWND, int, int);
  static const Fn setBehavior = UserFunction<Fn>("SetDialogDpiChangeBehavior");
  constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
  if (setBehavior) setBehavior(dialog, kDisableAll, kDisableAll);
}

}  // namespace gui
