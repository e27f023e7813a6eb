// What the console program needs from the system it runs on: its standard
// streams, the Windows tree it works on (Linux: a Wine prefix; Windows: the
// running system) and where a log file named on the command line goes.
#pragma once

#include <memory>
#include <string>

#include "app/cli/cli_options.h"

// Standard output or standard error. Linux, and Windows when redirected: UTF-8
// bytes. A Windows console: UTF-16 through the console itself, so any name
// shows whatever the console's code page.
class ConsoleStream {
 public:
  enum Which { Out, Err };
  explicit ConsoleStream(Which which);
  ~ConsoleStream();  // flushes
  ConsoleStream(const ConsoleStream&) = delete;
  ConsoleStream& operator=(const ConsoleStream&) = delete;

  // Standard output is buffered (many lines); standard error is written at once.
  void Write(const std::wstring& text);
  void Flush();
  bool IsTerminal() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Points the platform at the Windows tree the options name. Linux: the Wine
// prefix (it must hold drive_c) and its user (drive_c/users/<user> must
// exist). Windows: nothing to do. False with one line naming the problem.
bool PrepareWindowsTree(const CliOptions& options, std::wstring& error);

// The log file as a Windows path the engine can write (a relative name is
// taken from the current folder). False when its folder does not exist.
bool LogFileWindowsPath(const std::wstring& given, std::wstring& windowsPath, std::wstring& error);
