// WOW64: functions that older systems lack, looked up by name at run time.
#include "platform/wow64.h"

#include <windows.h>

namespace platform {
namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

template <typename Fn>
Fn Kernel32Function(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

struct RedirectionFunctions {
  DisableRedirectionFn disable = Kernel32Function<DisableRedirectionFn>("Wow64DisableWow64FsRedirection");
  RevertRedirectionFn revert = Kernel32Function<RevertRedirectionFn>("Wow64RevertWow64FsRedirection");
};

}  // namespace

bool IsWow64() {
  static const IsWow64ProcessFn isWow64Process = Kernel32Function<IsWow64ProcessFn>("IsWow64Process");
  if (!isWow64Process) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(GetCurrentProcess(), &wow64)) return false;
  return wow64 != FALSE;
}

bool SetFsRedirectionOff(bool off) {
  static const RedirectionFunctions functions;
  if (!functions.disable || !functions.revert) return true;
  if (off) {
    PVOID previous = nullptr;  // not kept: switching back on does not restore it
    functions.disable(&previous);
  } else {
    // The value a thread starts with, redirection on.
    functions.revert(nullptr);
  }
  return true;
}

}  // namespace platform
