#include "gui/win32/painted_control.h"

#include "gui/win32/guard.h"

namespace gui {

namespace {

const wchar_t kPaintedClass[] = L"PurgelloPainted";

const wchar_t* RegisteredClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPaintedClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  return kPaintedClass;
}

}  // namespace

PaintedControl::PaintedControl(WindowBase& window, std::wstring name, const DesignRect& bounds, DWORD style,
                               COLORREF background)
    : Control(window, std::move(name),
              ControlSpec{RegisteredClass(WindowProc), style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, bounds, L""}),
      background_(background),
      brush_(CreateSolidBrush(background)) {}

PaintedControl::~PaintedControl() { DeleteObject(brush_); }

void PaintedControl::SetBackground(COLORREF color) {
  background_ = color;
  DeleteObject(brush_);
  brush_ = CreateSolidBrush(color);
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT CALLBACK PaintedControl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages before the object is bound (creation) take the defaults.
  auto* self = dynamic_cast<PaintedControl*>(Control::FromHwnd(hwnd));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return Guarded([&]() -> LRESULT {
    LRESULT result = 0;
    if (self->HandleMessage(message, wParam, lParam, result)) return result;
    switch (message) {
      case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, self->brush_);
        return 1;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client{};
        GetClientRect(hwnd, &client);
        self->Paint(dc, client);
        EndPaint(hwnd, &ps);
        return 0;
      }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  });
}

Picture::Picture(WindowBase& window, std::wstring name, const DesignRect& bounds, Painter painter)
    : PaintedControl(window, std::move(name), bounds, 0, GetSysColor(COLOR_BTNFACE)), painter_(std::move(painter)) {}

void Picture::Paint(HDC dc, const RECT& client) {
  if (painter_) painter_(dc, client);
}

}  // namespace gui
