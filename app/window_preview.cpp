// Opens one of the program's windows by its component name ("SettingsDlg")
// and keeps it open until it is closed, so that it can be looked at or
// photographed (tools/screenshot.sh). Nothing is stored outside the prefix.
//
//   window_preview WINDOW [READY_FILE [LANGUAGE]]
//
// The windows are shown with the language files beside Purgello.exe (the
// folder above the preview's); LANGUAGE, a language code in hex (40C), is
// switched to before the window shows.
//
// With READY_FILE the preview runs unattended: once the window is shown and
// painted it writes the window's caption (UTF-8) into that file, and it closes
// the window as soon as the file is removed again. An unknown name is then
// written to standard error instead of a message box.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <string>

#include "app/about_dlg.h"
#include "app/auto_update_dlg.h"
#include "app/main_dlg.h"
#include "app/program_languages.h"
#include "app/settings_dialog.h"
#include "app/update_dlg.h"
#include "i18n/text_storage.h"
#include "model/format_size.h"
#include "platform/win32/handle.h"
#include "system/log.h"
#include "update/update_network.h"

namespace {

struct Preview {
  std::wstring readyFile;
  std::wstring language;
  gui::WindowBase* window = nullptr;
  std::function<void()> close;
  bool announced = false;
};

Preview preview;

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

// A thread timer: its message comes after the window's paint messages, so the
// window is drawn when it is announced.
void CALLBACK PreviewTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!preview.window || !preview.window->IsVisible()) return;
  if (!preview.announced) {
    platform::Handle file(CreateFileW(preview.readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return;
    const std::string caption = Utf8(preview.window->Caption());
    DWORD written = 0;
    WriteFile(file.Get(), caption.data(), DWORD(caption.size()), &written, nullptr);
    file.Close();
    preview.announced = true;
  } else if (GetFileAttributesW(preview.readyFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
    preview.close();
  }
}

// The folder of Purgello.exe in the build: the one above the preview's.
std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = L"";
  std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  folder.resize(folder.find_last_of(L'\\'));
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

int ShowSettingsDlg() {
  // The main window's part in languages, as the program has it.
  Component mainDlg(L"MainDlg", &ApplicationComponent());
  TTextStorage main_ts = MakeMainTs(&mainDlg);
  TLangList Langue(&mainDlg, ApplicationComponent(), ProgramFolder());
  ConfigureProgramLanguageList(Langue);
  Langue.RegKey.clear();  // nothing kept in the prefix
  // A Run key that cannot be opened and a cancelled dialog: the preview
  // leaves the prefix's start-up list alone.
  SettingsDlgEnvironment environment = DefaultSettingsDlgEnvironment();
  environment.openRunKey = [] { return platform::RegKey(); };
  environment.languageList = &Langue;
  TSettingsDlg dialog(environment);
  if (!preview.language.empty()) Langue.SelectByCode(uint32_t(std::wcstoul(preview.language.c_str(), nullptr, 16)));
  preview.window = &dialog;
  preview.close = [&dialog] { dialog.EndModal(IDCANCEL); };
  dialog.Execute();
  preview.window = nullptr;
  return 0;
}

// The About dialog as the main window's "About" shows it, with the
// program's version as the build made it.
int ShowAboutDlg() {
  Component mainDlg(L"MainDlg", &ApplicationComponent());
  TLangList Langue(&mainDlg, ApplicationComponent(), ProgramFolder());
  ConfigureProgramLanguageList(Langue);
  Langue.RegKey.clear();
  AboutDlgEnvironment environment = DefaultAboutDlgEnvironment();
  environment.programPath = ProgramFolder() + L"Purgello.exe";
  environment.shellOpen = [](HWND, const std::wstring&) {};
  TAboutDlg dialog(environment);
  Langue.ScanLanguages();
  if (!preview.language.empty()) Langue.SelectByCode(uint32_t(std::wcstoul(preview.language.c_str(), nullptr, 16)));
  preview.window = &dialog;
  preview.close = [&dialog] { dialog.EndModal(IDCANCEL); };
  dialog.Execute();
  preview.window = nullptr;
  return 0;
}

// The main window with no controller behind it; the expert view shows a
// review list as an analysis leaves it.
int ShowMainDlg(bool expert) {
  ReviewList list;
  MainDlgEnvironment environment = DefaultMainDlgEnvironment();
  environment.programPath = ProgramFolder() + L"Purgello.exe";
  environment.shellOpen = [](const std::wstring&) {};
  TMainDlg window(list, environment);
  window.Langue.RegKey.clear();  // nothing kept in the prefix
  window.Langue.ScanLanguages();
  if (!preview.language.empty())
    window.Langue.SelectByCode(uint32_t(std::wcstoul(preview.language.c_str(), nullptr, 16)));
  // The texts the controller would show, in the window's language.
  auto T = [&window](const wchar_t* english) { return window.main_ts.Translate(english); };
  window.SetSubtitle(T(L"Cleans your system of temporary and unwanted files.") + L"\n\r" +
                     T(L"Purgello is a powerful and secured file cleaner. Use with care."));
  window.SetAutoButton(L"     " + T(L"Start"), 0);
  window.SetNextLabel(L"", false);
  window.SetNowVisible(false);
  if (expert) {
    const struct {
      const wchar_t *caption, *path;
      int64_t size;
    } rows[] = {
        {L"Recycle Bin", L"", 48213504},
        {L"Temporary Files", L"C:\\users\\demo\\AppData\\Local\\Temp\\setup_log_2291.txt", 18432},
        {L"Temporary Files", L"C:\\users\\demo\\AppData\\Local\\Temp\\~DF3A7C.tmp", 65536},
        {L"Windows Log files", L"C:\\windows\\Logs\\CBS\\CbsPersist_20261201.log", 5242880},
        {L"Firefox Cache", L"C:\\users\\demo\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\x1.default\\cache2\\entries\\0A1B2C", 30720},
        {L"Windows Thumbnails", L"C:\\users\\demo\\AppData\\Local\\Microsoft\\Windows\\Explorer\\thumbcache_96.db", 1048576},
    };
    for (const auto& row : rows) list.Add(row.caption, row.path, FormatSize(row.size));
    window.ReviewListChanged();
    window.SetExpertMode(false);
    window.SizeColumnsToContents();
    window.SetStatusText(0, FormatSize(54411264) + L" / 6 " + T(L"items"));
    window.SetStatusText(1, T(L"Analysis : Complete"));
    window.SetTotalText(T(L"Total :") + FormatSize(54411264));
  }
  window.Show();
  preview.window = &window;
  preview.close = [&window] { PostMessageW(window.Hwnd(), WM_CLOSE, 0, 0); };
  const int code = gui::RunMessageLoop();
  preview.window = nullptr;
  return code;
}

// The update dialogs as a newer version shows them; nothing is downloaded or
// opened: the preview's network makes no client, and its countdown stands still.
class NoNetwork : public UpdateNetwork {
 public:
  std::unique_ptr<platform::HttpClient> NewClient() override { return nullptr; }
  bool IsSslAvailable() override { return true; }
};

int ShowUpdateDlg() {
  NoNetwork network;
  TAutoUpdateDlg autoUpdate(DefaultAutoUpdateDlgEnvironment(network, [] { return std::wstring(L"C:\\no-preview-folder\\"); }));
  UpdateDlgEnvironment environment;
  environment.shellOpen = [](const std::wstring&) {};
  TUpdateDlg dialog(autoUpdate, environment);
  dialog.changeLog = [] {};
  preview.window = &dialog;
  preview.close = [&dialog] { dialog.EndModal(IDCANCEL); };
  // The countdown's first second shown at once, then held there.
  dialog.TimerClose.SetInterval(1);
  dialog.TimerClose.onTimer = [&dialog] {
    dialog.TimerCloseTimer();
    dialog.TimerClose.SetEnabled(false);
  };
  dialog.Execute();
  preview.window = nullptr;
  return 0;
}

int ShowAutoUpdateDlg() {
  NoNetwork network;
  TAutoUpdateDlg dialog(DefaultAutoUpdateDlgEnvironment(network, [] { return std::wstring(L"C:\\no-preview-folder\\"); }));
  // A download a third of the way through, shown at once.
  dialog.Tmr.SetInterval(1);
  dialog.Tmr.onTimer = [&dialog] {
    dialog.pb.SetRange(0, 300000);
    dialog.pb.SetPosition(100000);
  };
  TKLog log(L"", 10, false);
  dialog.log = &log;
  preview.window = &dialog;
  preview.close = [&dialog] { dialog.EndModal(IDCANCEL); };
  dialog.Execute();
  preview.window = nullptr;
  return 0;
}

int ShowMainDlgBasic() { return ShowMainDlg(false); }
int ShowMainDlgExpert() { return ShowMainDlg(true); }

struct PreviewWindow {
  const wchar_t* name;
  int (*show)();
};

constexpr PreviewWindow kWindows[] = {
    {L"SettingsDlg", ShowSettingsDlg},
    {L"AboutDlg", ShowAboutDlg},
    {L"MainDlg", ShowMainDlgBasic},
    {L"MainDlg.expert", ShowMainDlgExpert},
    {L"UpdateDlg", ShowUpdateDlg},
    {L"AutoUpdateDlg", ShowAutoUpdateDlg},
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring window = argc > 1 ? argv[1] : L"";
  if (argc > 2) preview.readyFile = argv[2];
  if (argc > 3) preview.language = argv[3];
  LocalFree(argv);
  for (const PreviewWindow& w : kWindows) {
    if (window != w.name) continue;
    if (!preview.readyFile.empty()) SetTimer(nullptr, 0, 200, PreviewTick);
    return w.show();
  }
  const std::wstring message = L"No window named \"" + window + L"\"";
  if (preview.readyFile.empty())
    MessageBoxW(nullptr, message.c_str(), L"window_preview", MB_OK);
  else
    std::fprintf(stderr, "window_preview: %s\n", Utf8(message).c_str());
  return 1;
}
