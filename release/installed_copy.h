// Where an installed Purgello lives and what it registers, as the release tests
// read them, and the run of an installer or uninstaller they wait on.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/known_folders.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/win32/handle.h"
#include "settings/settings_store.h"

namespace releasetest {

inline const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Purgello";

inline std::wstring InstallFolder() {
  return platform::KnownFolderPath(platform::kCsidlProgramFiles) + L"\\Halvoris\\Purgello";
}
inline std::wstring DataFolder() {
  return platform::KnownFolderPath(platform::kCsidlAppData) + L"\\Halvoris\\Purgello";
}

inline std::optional<std::wstring> ReadString(platform::RegRoot root, const std::wstring& key,
                                              const std::wstring& name) {
  const platform::RegKey k = platform::RegKey::Open(root, key, platform::RegAccess::Read);
  std::wstring text;
  if (!k.IsOpen() || !k.ReadString(name, text)) return std::nullopt;
  return text;
}
// A value of the installer's entry in "Programs and Features".
inline std::optional<std::wstring> Registration(const std::wstring& name) {
  return ReadString(platform::RegRoot::LocalMachine, kUninstallKey, name);
}
// A value of the program's settings in the registry.
inline std::optional<std::wstring> Setting(const std::wstring& name) {
  return ReadString(platform::RegRoot::CurrentUser, kSettingsBranch, name);
}

// Runs a command line and waits until it has ended; with children, also until
// every process it started has (the uninstaller runs on from a copy of itself),
// for at most the same time: Wine may keep helpers of its own running in the
// job, and what the copy did is checked by the caller. The exit code.
inline DWORD RunAndWait(std::wstring commandLine, bool children = false, DWORD timeoutMs = 120000) {
  const platform::Handle job(CreateJobObjectW(nullptr, nullptr));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start " << platform::ToUtf8(commandLine) << ": " << GetLastError();
    return DWORD(-1);
  }
  const platform::Handle running(process.hProcess), thread(process.hThread);
  const bool inJob = AssignProcessToJobObject(job.Get(), running.Get());
  ResumeThread(thread.Get());
  const DWORD deadline = GetTickCount() + timeoutMs;
  if (WaitForSingleObject(running.Get(), timeoutMs) != WAIT_OBJECT_0) {
    ADD_FAILURE() << platform::ToUtf8(commandLine) << " did not end within " << timeoutMs / 1000 << " s";
    TerminateProcess(running.Get(), 1);
    return DWORD(-1);
  }
  DWORD exitCode = DWORD(-1);
  GetExitCodeProcess(running.Get(), &exitCode);
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
  while (children && inJob && GetTickCount() < deadline &&
         QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr) &&
         accounting.ActiveProcesses > 0)
    Sleep(100);
  return exitCode;
}

}  // namespace releasetest
