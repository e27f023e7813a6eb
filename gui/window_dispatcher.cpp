#include "gui/window_dispatcher.h"

#include <memory>

#include "system/exception_barrier.h"

namespace {

constexpr UINT kInvokeMessage = WM_APP + 1;
constexpr UINT kPostMessage = WM_APP + 2;  // lParam: a std::function<void()> on the heap, owned by the message
const wchar_t kClassName[] = L"PurgelloDispatcher";

}  // namespace

WindowDispatcher::WindowDispatcher(TKLog* log) : log_(log), guiThread_(GetCurrentThreadId()) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when already registered
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WindowDispatcher::~WindowDispatcher() {
  if (!window_) return;
  MSG message;
  while (PeekMessageW(&message, window_, kPostMessage, kPostMessage, PM_REMOVE))
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  DestroyWindow(window_);
}

void WindowDispatcher::Post(std::function<void()> fn) {
  auto* owned = new std::function<void()>(std::move(fn));
  if (!window_ || !PostMessageW(window_, kPostMessage, 0, reinterpret_cast<LPARAM>(owned))) delete owned;
}

void WindowDispatcher::Invoke(const std::function<void()>& fn) {
  if (GetCurrentThreadId() == guiThread_) {
    fn();
    return;
  }
  SendMessageW(window_, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&fn));
}

void WindowDispatcher::ServeUntil(const std::function<bool()>& finished) {
  // GetMessage would serve the sent hand-over and then keep waiting for a
  // posted message; waiting on the queue and peeking returns after each one.
  while (!finished()) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

LRESULT CALLBACK WindowDispatcher::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kInvokeMessage) {
    auto* self = reinterpret_cast<WindowDispatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    RunGuarded(self ? self->log_ : nullptr, L"a hand-over to the window thread",
               [&] { (*reinterpret_cast<const std::function<void()>*>(lParam))(); });
    return 0;
  }
  if (message == kPostMessage) {
    std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lParam));
    auto* self = reinterpret_cast<WindowDispatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    RunGuarded(self ? self->log_ : nullptr, L"a hand-over to the window thread", [&] { (*fn)(); });
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
