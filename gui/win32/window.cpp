#include "gui/win32/window.h"

#include "gui/win32/guard.h"
#include "gui/win32/menu.h"

namespace gui {

Window::Window(std::wstring name, const WindowSpec& spec, Component* owner) : WindowBase(std::move(name), owner) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, spec.className, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = spec.icon;
    wc.lpszClassName = spec.className;
    RegisterClassExW(&wc);
  }
  CreateWindowExW(spec.exStyle, spec.className, spec.caption.c_str(), spec.style, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, spec.ownerWindow, nullptr, instance, this);
}

Window::~Window() = default;

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->Attach(hwnd);
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return Guarded([&]() -> LRESULT {
    LRESULT result = 0;
    if (self->HandleMessage(message, wParam, lParam, result)) return result;
    if (self->Route(message, wParam, lParam, result)) return result;
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->Detach();
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  });
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (TranslateMenuShortcuts(msg)) continue;
    HWND active = GetActiveWindow();
    if (active && IsDialogMessageW(active, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

}  // namespace gui
