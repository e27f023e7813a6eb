#include "gui/window_dispatcher.h"

namespace {

constexpr UINT kInvokeMessage = WM_APP + 1;
const wchar_t kClassName[] = L"PurgelloDispatcher";

}  // namespace

WindowDispatcher::WindowDispatcher() : guiThread_(GetCurrentThreadId()) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when already registered
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

WindowDispatcher::~WindowDispatcher() {
  if (window_) DestroyWindow(window_);
}

void WindowDispatcher::Invoke(const std::function<void()>& fn) {
  if (GetCurrentThreadId() == guiThread_) {
    fn();
    return;
  }
  SendMessageW(window_, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&fn));
}

LRESULT CALLBACK WindowDispatcher::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kInvokeMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
