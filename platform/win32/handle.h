// Win32 handles that close themselves, one type per kind: kernel handles
// (file, process, thread, token, pipe), find handles and registry keys. Calls
// differ in how they fail (CreateFileW gives INVALID_HANDLE_VALUE,
// OpenProcessToken leaves null): both count as none.
#pragma once

#include <windows.h>

namespace platform {

template <typename Kind>
class UniqueHandle {
 public:
  using Type = typename Kind::Type;

  explicit UniqueHandle(Type h = Kind::None()) : h_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Type Get() const { return h_; }
  bool Valid() const { return Kind::Valid(h_); }
  // For calls that hand a handle back through a pointer.
  Type* Receive() {
    Reset();
    return &h_;
  }
  void Reset(Type h = Kind::None()) {
    if (Valid()) Kind::Close(h_);
    h_ = h;
  }
  Type Release() {
    const Type h = h_;
    h_ = Kind::None();
    return h;
  }
  // Closes now; false when closing reported an error (written data may be lost).
  bool Close() {
    const bool ok = !Valid() || Kind::Close(h_);
    h_ = Kind::None();
    return ok;
  }

 private:
  Type h_;
};

struct KernelHandleKind {
  using Type = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static bool Close(HANDLE h) { return CloseHandle(h) != 0; }
};

struct FindHandleKind {
  using Type = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static bool Close(HANDLE h) { return FindClose(h) != 0; }
};

struct KeyHandleKind {
  using Type = HKEY;
  static HKEY None() { return nullptr; }
  static bool Valid(HKEY k) { return k != nullptr; }
  static bool Close(HKEY k) { return RegCloseKey(k) == ERROR_SUCCESS; }
};

using Handle = UniqueHandle<KernelHandleKind>;
using FindHandle = UniqueHandle<FindHandleKind>;  // FindFirstFileW and kin
using KeyHandle = UniqueHandle<KeyHandleKind>;    // RegOpenKeyExW and kin

}  // namespace platform
