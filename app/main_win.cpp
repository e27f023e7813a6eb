// Purgello.exe: the program's entry point. Until the main window exists it
// runs the start-up and the close around an empty session: the portable
// import, the maker value, the log with its start-up lines, the removal of a
// previous update's leftovers, then the close with the portable export.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>

#include "app/close_sequence.h"
#include "app/startup.h"
#include "platform/windows_identity.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"

namespace {

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: the path is longer than the buffer
  }
}

// The first parameter after the program's own name, with the usual quoting rules.
std::optional<std::wstring> FirstParameter() {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return std::nullopt;
  std::optional<std::wstring> first;
  if (count > 1) first = args[1];
  LocalFree(args);
  return first;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Only the program itself may ask the system to power off or restart.
  platform::ArmSessionExit();

  const std::wstring programPath = ProgramPath();
  ImportPortableSettings(programPath);
  // The state the window takes from the settings at its creation, which the
  // close stores again.
  WindowCloseState window;
  window.expertMode = IsSettingOn(kExpertModeSetting);
  window.maximized = IsSettingOn(kMaximizedSetting);

  ProgramRun run = StartProgramRun(programPath, FirstParameter());
  RunCloseSequence(run, window);
  return 0;
}
