// The real Purgello.exe under test: a copy in a folder of its own, started
// there as a portable program, and read back through what it leaves (its log,
// its settings file, the registry) or driven through its main window the way
// a user would: buttons clicked, the review list read and its boxes ticked,
// message boxes answered. A run that waits for an answer nobody gives would
// never end, so every wait has a time limit.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/main_dlg.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "platform/win32/handle.h"
#include "platform/win_path.h"
#include "settings/ini_file.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

namespace exetest {

using platform::RegRoot;
using testsupport::TempTree;
using Entries = std::map<std::wstring, std::wstring>;
using LogLine = std::pair<std::wstring, std::wstring>;  // level name, message

// The build gives the Linux paths of its programs; Wine shows "/" as drive Z:.
inline std::wstring BuiltPath(const char* linuxPath) {
  std::wstring path = L"Z:" + platform::FromUtf8(linuxPath);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}
inline std::wstring BuiltProgramPath() { return BuiltPath(PURGELLO_EXE); }

// Waits until done() holds, serving nothing; false after timeoutMs.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

inline std::wstring WindowText(HWND window) {
  wchar_t text[1024] = L"";
  DWORD_PTR copied = 0;
  // WM_GETTEXT is carried across processes by the system.
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  return text;
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[128] = L"";
  GetClassNameW(window, name, 128);
  return name;
}

// tools/screenshot-session.sh photographs a window of the program at the
// moment it names: it names a file for the window's caption and removes it
// once the picture is taken.
inline void HoldForScreenshot(HWND window, const char* moment) {
  const char* ready = std::getenv("PURGELLO_SESSION_SHOT");
  const char* wanted = std::getenv("PURGELLO_SESSION_SHOT_AT");
  if (!ready || !*ready || !wanted || std::string(wanted) != moment) return;
  const std::wstring path = platform::FromUtf8(ready);
  ASSERT_TRUE(platform::WriteWholeFile(path, platform::ToUtf8(WindowText(window))));
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }, 120000))
      << "no picture taken";
}

// A started copy of the program and its windows, seen from this process.
class RunningProgram {
 public:
  bool Start(const std::wstring& exe, const std::wstring& folder, const std::wstring& parameters) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!parameters.empty()) commandLine += L" " + parameters;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
      return false;
    process_.Reset(process.hProcess);
    CloseHandle(process.hThread);
    id_ = process.dwProcessId;
    return true;
  }
  ~RunningProgram() {
    if (process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 1);
  }

  DWORD Id() const { return id_; }
  bool Ended() const { return WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }
  // Waits for the end; the exit code, or -1 (and the process ended by force) after timeoutMs.
  DWORD WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) {
      TerminateProcess(process_.Get(), 1);
      WaitForSingleObject(process_.Get(), 5000);
      return DWORD(-1);
    }
    DWORD exitCode = DWORD(-1);
    GetExitCodeProcess(process_.Get(), &exitCode);
    return exitCode;
  }

  // The top-level windows of the program of this class (any when null) and caption (any when null).
  std::vector<HWND> TopWindows(const wchar_t* className, const wchar_t* caption = nullptr) const {
    std::vector<HWND> found;
    for (HWND window = FindWindowExW(nullptr, nullptr, className, caption); window;
         window = FindWindowExW(nullptr, window, className, caption)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == id_) found.push_back(window);
    }
    return found;
  }
  HWND MainWindow() const {
    const std::vector<HWND> windows = TopWindows(kMainDlgClass);
    return windows.empty() ? nullptr : windows.front();
  }

  // Waits for the main window and its first activation (the caption then
  // carries the version), then until the window has handled what came before.
  HWND WaitForMainWindow(DWORD timeoutMs = 60000) {
    HWND window = nullptr;
    WaitUntil([&] {
      window = MainWindow();
      return window && WindowText(window).rfind(L"Purgello v", 0) == 0;
    }, timeoutMs);
    if (window) Sync(window);
    return window;
  }
  static void Sync(HWND window) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer);
  }

  struct ChildSearch {
    const wchar_t* className;
    const std::function<bool(const std::wstring&)>* textFits;
    HWND found;
  };
  // A named callback, not a lambda: the i686 build needs it to be stdcall.
  static BOOL CALLBACK FindChild(HWND child, LPARAM param) {
    auto& s = *reinterpret_cast<ChildSearch*>(param);
    if (ClassOf(child) == s.className && (*s.textFits)(WindowText(child))) {
      s.found = child;
      return FALSE;
    }
    return TRUE;
  }

  // The child of the main window of this class whose text is exactly text,
  // or begins with it.
  HWND Control(const wchar_t* className, const std::wstring& text) const {
    return Child(className, [&text](const std::wstring& t) { return t == text; });
  }
  HWND ControlStartingWith(const wchar_t* className, const std::wstring& start) const {
    return Child(className, [&start](const std::wstring& t) { return t.rfind(start, 0) == 0; });
  }
  HWND Child(const wchar_t* className, const std::function<bool(const std::wstring&)>& textFits) const {
    return ChildOf(MainWindow(), className, textFits);
  }
  // The same in another window of the program (a dialog).
  static HWND ChildOf(HWND parent, const wchar_t* className, const std::function<bool(const std::wstring&)>& textFits) {
    ChildSearch search{className, &textFits, nullptr};
    if (parent) EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND Button(const std::wstring& caption) const { return Control(WC_BUTTONW, caption); }
  HWND List() const { return FindWindowExW(MainWindow(), nullptr, WC_LISTVIEWW, nullptr); }

  // A press of the button with the mouse: only an enabled, visible button
  // takes it. Press returns once the window has handled it; PressAndLeave
  // does not wait, for a press that opens a message box.
  static bool Press(HWND button) {
    if (!Pressable(button)) return false;
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, &answer) != 0;
  }
  static bool PressAndLeave(HWND button) {
    return Pressable(button) && PostMessageW(button, BM_CLICK, 0, 0);
  }
  static bool Pressable(HWND button) { return button && IsWindowEnabled(button) && IsWindowVisible(button); }

  // A command of the main window's menu bar chosen with the keys a user presses:
  // Alt, Right to the menu'th menu, Down to open it, Down to its item'th command
  // (separators are passed over), Enter. The menu loop takes the keys from the
  // window's queue in order; this returns at once, as a posted press does.
  bool ChooseMenuCommand(int menu, int item) const {
    const HWND window = MainWindow();
    if (!window || !PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 0)) return false;
    std::vector<WPARAM> keys(size_t(menu), VK_RIGHT);
    keys.insert(keys.end(), size_t(item) + 1, VK_DOWN);
    keys.push_back(VK_RETURN);
    for (WPARAM key : keys) {
      PostMessageW(window, WM_KEYDOWN, key, 1);
      PostMessageW(window, WM_KEYUP, key, 0xC0000001);
    }
    return true;
  }

  // The message box titled title, once it shows; null after timeoutMs.
  HWND WaitForBox(const wchar_t* title, DWORD timeoutMs = 20000) const {
    HWND box = nullptr;
    const bool shown = WaitUntil([&] {
      box = nullptr;
      for (HWND window : TopWindows(L"#32770", title))
        if (IsWindowVisible(window)) box = window;
      return box != nullptr;
    }, timeoutMs);
    return shown ? box : nullptr;
  }
  static std::wstring BoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }
  static void Answer(HWND box, int buttonId) { PostMessageW(GetDlgItem(box, buttonId), BM_CLICK, 0, 0); }

  // The review list as it shows: type, path and size of each row, and its box.
  struct Row {
    std::wstring type, path, size;
    bool checked;
    bool operator<(const Row& o) const { return path < o.path; }
    bool operator==(const Row& o) const {
      return type == o.type && path == o.path && size == o.size && checked == o.checked;
    }
  };
  std::vector<Row> Rows() const {
    const HWND list = List();
    const int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<Row> rows;
    // The list lives in the other process: its answer goes through memory there.
    constexpr size_t kTextChars = 1024;
    void* remote = VirtualAllocEx(process_.Get(), nullptr, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return rows;
    wchar_t* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    auto cell = [&](int row, int column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = remoteText;
      item.cchTextMax = int(kTextChars);
      WriteProcessMemory(process_.Get(), remote, &item, sizeof item, nullptr);
      const size_t length = size_t(SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(remote)));
      std::wstring text(std::min(length, kTextChars), L'\0');
      ReadProcessMemory(process_.Get(), remoteText, text.data(), text.size() * sizeof(wchar_t), nullptr);
      return text;
    };
    for (int i = 0; i < count; ++i) {
      const UINT state = UINT(SendMessageW(list, LVM_GETITEMSTATE, WPARAM(i), LVIS_STATEIMAGEMASK));
      rows.push_back({cell(i, 0), cell(i, 1), cell(i, 2), (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2)});
    }
    VirtualFreeEx(process_.Get(), remote, 0, MEM_RELEASE);
    return rows;
  }
  // The keys a user presses to tick or untick a row's box: to the top, down
  // to the row, space.
  void ToggleRow(int row) const {
    const HWND list = List();
    auto press = [list](WPARAM key) {
      SendMessageW(list, WM_KEYDOWN, key, 1);
      SendMessageW(list, WM_KEYUP, key, 0xC0000001);
    };
    press(VK_HOME);
    for (int i = 0; i < row; ++i) press(VK_DOWN);
    press(VK_SPACE);
  }

 private:
  platform::Handle process_;
  DWORD id_ = 0;
};

class PurgelloExeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Forget();
    appData_ = platform::KnownFolderPath(platform::kCsidlAppData);
    ASSERT_FALSE(appData_.empty());
    exe_ = tree_.Path(L"Purgello.exe");
    ASSERT_TRUE(CopyFileW(BuiltProgramPath().c_str(), exe_.c_str(), FALSE)) << "cannot copy " << PURGELLO_EXE;
  }
  void TearDown() override { Forget(); }

  void Forget() {
    platform::DeleteKeyTree(RegRoot::CurrentUser, kMakerBranch);
    const std::wstring appData = platform::KnownFolderPath(platform::kCsidlAppData);
    if (!appData.empty()) testsupport::RemoveTree(appData + L"\\Halvoris");
  }

  std::wstring MakerFolder() const { return appData_ + L"\\Halvoris"; }
  std::wstring DataFolder() const { return MakerFolder() + L"\\Purgello\\"; }
  void MakeDataFolder() const {
    platform::WideCreateFolder(MakerFolder());
    platform::WideCreateFolder(MakerFolder() + L"\\Purgello");
  }

  bool Start(RunningProgram& program, const std::wstring& parameters) {
    if (program.Start(exe_, tree_.Root(), parameters)) return true;
    ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
    return false;
  }

  // Starts the copy with the given parameter text and waits for its end; the exit code.
  // closeWindow: false for a run that ends by itself.
  DWORD Run(const std::wstring& parameters, bool closeWindow = true) {
    RunningProgram program;
    if (!Start(program, parameters)) return DWORD(-1);
    // The program runs until its window is closed: closed as soon as its
    // start-up has begun (the caption then carries the version).
    const bool ended = WaitUntil([&] {
      if (program.Ended()) return true;
      HWND window = closeWindow ? program.MainWindow() : nullptr;
      if (window && WindowText(window).rfind(L"Purgello v", 0) == 0) PostMessageW(window, WM_CLOSE, 0, 0);
      return false;
    }, 120000);
    if (!ended) ADD_FAILURE() << "Purgello.exe did not end (waiting for a message box?)";
    return program.WaitForExit(0);
  }

  // A language file the build made, copied beside the program.
  void ShipLanguage(const std::wstring& name) {
    const std::wstring built = platform::FolderOf(BuiltProgramPath()) + name;
    ASSERT_TRUE(CopyFileW(built.c_str(), tree_.Path(name).c_str(), FALSE)) << "cannot copy " << platform::ToUtf8(built);
  }
  bool LogHas(const LogLine& wanted) const {
    for (const LogLine& line : LogLines())
      if (line == wanted) return true;
    return false;
  }

  Entries IniSection(const std::wstring& section) const {
    Entries out;
    for (const IniEntry& e : IniFile(tree_.ReadFile(L"settings.ini")).ReadSection(section)) out[e.name] = e.value;
    return out;
  }

  // The log file's lines, oldest first.
  std::vector<LogLine> LogLines() const {
    std::string bytes;
    EXPECT_EQ(platform::ReadWholeFile(DataFolder() + L"Purgello.log", 1 << 22, bytes), platform::WholeFileRead::Ok);
    std::vector<LogLine> lines;
    for (size_t from = 0; from < bytes.size();) {
      size_t end = bytes.find("\r\n", from);
      if (end == std::string::npos) end = bytes.size();
      const std::wstring line = platform::FromAnsi(bytes.substr(from, end - from));
      const size_t tab1 = line.find(L'\t');
      const size_t tab2 = tab1 == std::wstring::npos ? tab1 : line.find(L'\t', tab1 + 1);
      EXPECT_NE(tab2, std::wstring::npos) << platform::ToUtf8(line);
      if (tab2 != std::wstring::npos) lines.insert(lines.begin(), {line.substr(0, tab1), line.substr(tab2 + 1)});
      from = end + 2;
    }
    return lines;
  }
  // The messages of the log lines that begin with one of these, oldest first.
  std::vector<std::wstring> LogMessagesStartingWith(const std::vector<std::wstring>& starts) const {
    std::vector<std::wstring> out;
    for (const LogLine& line : LogLines())
      for (const std::wstring& start : starts)
        if (line.second.rfind(start, 0) == 0) {
          out.push_back(line.second);
          break;
        }
    return out;
  }

  static bool BranchExists(const std::wstring& path) { return platform::KeyExists(RegRoot::CurrentUser, path); }

  TempTree tree_;
  std::wstring appData_;
  std::wstring exe_;
};

}  // namespace exetest
