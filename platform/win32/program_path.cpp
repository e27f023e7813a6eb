#include "platform/win32/program_path.h"

#include <windows.h>

namespace platform {

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);  // cut short: the path is longer than the buffer
  }
}

}  // namespace platform
