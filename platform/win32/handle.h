// A Win32 kernel handle (file, process, thread, token, pipe) that closes
// itself. Calls differ in how they fail (CreateFileW gives
// INVALID_HANDLE_VALUE, OpenProcessToken leaves null): both count as none.
#pragma once

#include <windows.h>

namespace platform {

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : h_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // For calls that hand a handle back through a pointer.
  HANDLE* Receive() {
    Reset();
    return &h_;
  }
  void Reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (Valid()) CloseHandle(h_);
    h_ = h;
  }
  HANDLE Release() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  // Closes now; false when closing reported an error (written data may be lost).
  bool Close() {
    const bool ok = !Valid() || CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

}  // namespace platform
