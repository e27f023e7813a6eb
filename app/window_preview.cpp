// Opens one of the program's windows by its component name ("SettingsDlg")
// and keeps it open until it is closed, so that it can be looked at or
// photographed (tools/screenshot.sh). Nothing is stored.
#include <windows.h>

#include <string>

#include "app/settings_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  const std::wstring window = commandLine;
  if (window == L"SettingsDlg") {
    // A Run key that cannot be opened and a cancelled dialog: the preview
    // leaves the prefix's start-up list alone.
    SettingsDlgEnvironment environment = DefaultSettingsDlgEnvironment();
    environment.openRunKey = [] { return platform::RegKey(); };
    TSettingsDlg dialog(environment);
    dialog.Execute();
    return 0;
  }
  MessageBoxW(nullptr, (L"No window named " + window).c_str(), L"window_preview", MB_OK);
  return 1;
}
