// A stand-in installer for the update tests: records the command line it was
// started with in "<its own path>.args" and exits. Padded past the smallest
// size an installer may have.
#include <windows.h>

static volatile const char kPadding[150000] = {1};

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || kPadding[0] != 1) return 1;
  lstrcatW(path, L".args");
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const wchar_t* line = GetCommandLineW();
  DWORD written = 0;
  WriteFile(file, line, DWORD(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
