// The program's start-up work that needs no window: the portable import, the
// maker value, the install id, the log with its start-up lines, the removal of
// a previous update's leftovers and the known folders. The main window calls
// these at its creation and first activation; they are portable so that tests
// run them over a temporary Windows tree.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "system/log.h"

extern const wchar_t kApplicationTitle[];  // "Purgello"
constexpr size_t kLogMaxLines = 10000;

// Setting DebugMode is exactly "1": the log keeps verbose lines, is written
// after every line, and survives the close.
bool IsDebugMode();

// When the program is not installed, copies "settings.ini" from the folder of
// programPath into the settings branch. Runs before any setting is read.
void ImportPortableSettings(const std::wstring& programPath);

// What the start-up lines say about the program and the system.
struct StartupFacts {
  std::wstring programPath;
  std::wstring caption;         // title + " v" + the executable's file version
  std::wstring reactOSVersion;  // empty unless the system is ReactOS
  std::wstring windowsVersion;
  bool wow64 = false;
  bool administrator = false;
  bool portable = false;
  std::optional<std::wstring> firstParameter;  // only when the command line has one
  // Filled by the language switcher and the update client; a line whose
  // provider is absent is left out.
  std::optional<std::wstring> languageName;
  std::wstring uid;
  std::optional<std::wstring> openSslVersion;
};

// The window caption: "Purgello v" + the file version of the executable.
std::wstring ProgramCaption(const std::wstring& programPath);

// The facts of the running system (the install id as it is stored now).
StartupFacts ReadStartupFacts(const std::wstring& programPath, const std::optional<std::wstring>& firstParameter);

// "Starting", "Debug mode" (verbose), the path, the caption, the system, the
// 64-bit, administrator and portable answers, the first parameter, the
// language, and at verbose level the install id and the TLS library.
void WriteStartupLines(TKLog& log, const StartupFacts& facts);

// Logs the eleven known folders, each as its CSIDL name + " = " + the path with
// a trailing backslash (a lone backslash for a folder the system lacks).
void LogKnownFolders(TKLog& log, const std::function<std::wstring(int csidl)>& knownFolderPath);

// Deletes "update.exe", then "update.log", from dataFolder (which ends with a
// backslash), each only when it exists and is not empty.
void DeleteUpdateLeftovers(const std::wstring& dataFolder);

// The install id for a moment: the whole part of the time of day as a fraction
// of a day times 3600, followed by the whole days since 30 December 1899.
std::wstring InstallIdFor(const platform::LocalTime& time);
// Stores InstallIdFor(now) as setting "uid" unless that setting has a value.
void EnsureInstallId(const platform::Clock& clock);

// What the start-up leaves for the rest of the run and for the close.
struct ProgramRun {
  std::wstring programPath;
  std::wstring dataFolder;  // with a trailing backslash
  std::unique_ptr<TKLog> log;
};

// The first activation's steps that need no window, in order: the maker value,
// the install id, the log (DataFolder + "Purgello.log", verbose when DebugMode
// is "1") with the start-up lines, the update leftovers, the known folders.
// The clock stamps the log's lines and must outlive the log.
// completeFacts, when set, adds what the language switcher and the update
// client know before the lines are written.
ProgramRun StartProgramRun(const std::wstring& programPath, const std::optional<std::wstring>& firstParameter,
                           const platform::Clock& clock = platform::SystemClock(),
                           const std::function<void(StartupFacts&)>& completeFacts = nullptr);
