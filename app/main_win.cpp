// Purgello.exe: the program's entry point. One instance per user session: a
// second start brings the first one's main window forward, hands it its
// command line and ends before any start-up work. The first one imports a
// portable copy's settings, opens the main window over the session controller
// and, once the window is first activated, runs the start-up work (the
// language, then the controller's steps); it runs until the window closes.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "app/session_controller.h"
#include "gui/window_dispatcher.h"
#include "model/review_list.h"
#include "platform/http.h"
#include "platform/shell.h"
#include "system/privileges.h"
#include "app/program_languages.h"
#include "app/startup.h"
#include "i18n/text_storage.h"
#include "platform/win32/program_path.h"
#include "platform/windows_identity.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"

namespace {

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

// The running instance's main window, brought to the front and handed this
// command line (it takes it and does nothing with it). False when no other
// instance runs.
bool HandOverToRunningInstance(HANDLE& instanceMutex) {
  instanceMutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  HWND running = FindWindowW(kMainDlgClass, nullptr);
  if (running) {
    // The window brings itself forward on the hand-over; a process that is
    // not in front may do that only with the leave of one that is.
    DWORD runningProcess = 0;
    GetWindowThreadProcessId(running, &runningProcess);
    AllowSetForegroundWindow(runningProcess);
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    const std::wstring commandLine = GetCommandLineW();
    COPYDATASTRUCT data{};
    data.dwData = kCommandLineHandOver;
    data.cbData = DWORD((commandLine.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(commandLine.c_str());
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &answer);
  }
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The mutex is held until the process ends; the system lets it go then.
  HANDLE instanceMutex = nullptr;
  if (HandOverToRunningInstance(instanceMutex)) return 0;
  // Only the program itself may ask the system to power off or restart.
  platform::ArmSessionExit();

  const std::wstring programPath = platform::ProgramPath();
  ImportPortableSettings(programPath);
  const bool expertMode = IsSettingOn(kExpertModeSetting);

  // The controller's rows exist only once the controller has the window as
  // its view: the window starts on an empty list and switches to them.
  ReviewList placeholder;
  // The window carries the text table and the language switcher, and
  // creates the About and settings dialogs.
  auto window = std::make_unique<TMainDlg>(placeholder);
  WindowDispatcher dispatcher;
  SessionSystem system;
  system.powerOff = [] { PowerOff(); };
  system.reboot = [] { Reboot(); };
  system.topLevelWindowTitles = [](std::vector<std::wstring>& titles) { platform::TopLevelWindowTitles(titles); };
  system.mainTs = &window->main_ts;
  system.completeStartupFacts = [&window](StartupFacts& facts) {
    facts.languageName = window->Langue.CurrentLanguageName();
    facts.openSslVersion = platform::OpenSslVersionText();
  };
  // The first activation's last steps: the check client, then the silent check.
  system.startUpdateClient = [&window, programPath](TKLog& log) {
    window->StartUpdateClient(log, programPath);
    window->StartupUpdateCheck();
  };
  system.stopUpdateClient = [&window] { window->DropUpdateClient(); };
  auto controller = std::make_unique<SessionController>(*window, dispatcher, platform::SystemClock(), std::move(system),
                                                        programPath, FirstParameter());
  window->AttachList(controller->List());
  window->SetController(controller.get());
  window->SetExpertMode(!expertMode);
  window->SetTrayActive(IsSettingOn(kMinSysTraySetting));
  window->RestorePlacement();
  // The first activation: the language before the window's own work.
  window->onFirstActivation = [&] {
    window->LanguageFirstActivation(CommandLineParameters());
    controller->AppEvtActivate();
  };
  window->Show();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The close has run (the window posts its quit only after it), and has
  // ended the update client. Whatever ended the loop, the client goes before
  // the log it writes to, which goes with the controller; the controller goes
  // before the window, it still talks to the window while a worker ends.
  window->DropUpdateClient();
  controller.reset();
  window.reset();
  return 0;
}
