// The program's log: kept in memory newest line first, bounded, and written as
// a whole to one file (ANSI code page, CR LF) when saved. Safe to call from the
// GUI thread and the workers at once: every operation runs under the log's own
// lock, so a line is stored, the bound applied and the file written as one step.
//
// A verbose log keeps its file current without rewriting it for every line: a
// line is saved at once when the last save is at least kVerboseSaveInterval
// old, else a small flusher thread of the log saves it when that interval has
// passed. Flush (the workers call it at the end of each pass) and destruction
// save what is waiting at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"

// The levels the log file names; unscoped so that callers write kLogInfo.
enum LogLevel : int {
  kLogVerbose = 0,  // kept only when the log is verbose
  kLogInfo = 1,
  kLogError = 2,
};

class TKLog {
 public:
  // Opens a file with its associated program; true when the shell accepted it.
  using FileOpener = std::function<bool(const std::wstring& path)>;

  // The most a verbose log lets lines wait in memory, in clock ticks (ms).
  static constexpr uint64_t kVerboseSaveInterval = 100;

  // Starts empty; nothing is read from an existing file, which the first save
  // replaces. A verbose log keeps level-0 lines and saves them as they come
  // (see above). The clock stamps the lines, times the saves and must outlive
  // the log; the opener serves OpenInViewer (default: the shell).
  TKLog(std::wstring filePath, size_t maxLines, bool verbose, const platform::Clock& clock = platform::SystemClock(),
        FileOpener opener = FileOpener());
  // Saves once more.
  ~TKLog();
  TKLog(const TKLog&) = delete;
  TKLog& operator=(const TKLog&) = delete;

  // "Verbose", "Info" or "Error" (levels above 2 count as 2), a TAB, the local
  // time as [yy-mm-dd hh:mm:ss] with the locale's time separator, a TAB, text.
  void Add(const std::wstring& text, LogLevel level);
  // Rewrites the whole file when its folder exists (a missing folder is never
  // created). Failures are swallowed; the lines stay in memory.
  void Save();
  // A verbose log saves the lines that wait for their save, now; a log that is
  // not verbose is written only by Save, Clear and destruction.
  void Flush();
  // Drops every line, then saves (an empty file when the folder exists).
  void Clear();
  // Saves, then asks the opener to show the file even when the save wrote
  // nothing. Returns the opener's answer.
  bool OpenInViewer();

  const std::wstring& FilePath() const { return filePath_; }
  bool Verbose() const { return verbose_; }
  // The last attempt to write the file failed (a folder in its place, a full
  // disk, no access); a missing folder is no attempt. Cleared by a good save.
  bool LastSaveFailed() const;
  // A copy of the lines, newest first.
  std::vector<std::wstring> Lines() const;

 private:
  struct Line {
    std::wstring text;
    std::string fileBytes;  // text in the ANSI code page followed by CR LF, encoded once
  };

  void SaveLocked();
  void FlushWhenDue();

  const std::wstring filePath_;
  const size_t maxLines_;
  const bool verbose_;
  const platform::Clock& clock_;
  FileOpener opener_;
  mutable std::mutex mutex_;
  std::deque<Line> lines_;  // index 0 is the newest
  bool saveFailed_ = false;
  // Verbose saving: when the file was last written, whether lines wait, and
  // the flusher thread (started by the first line that has to wait).
  uint64_t lastSave_ = 0;
  bool saved_ = false;
  bool waiting_ = false;
  bool stopping_ = false;
  std::condition_variable wake_;
  std::thread flusher_;
};

// Logging through a log that is not set does nothing, so callers need no guard.
inline void LogAdd(TKLog* log, const std::wstring& text, LogLevel level) {
  if (log) log->Add(text, level);
}
inline void LogFlush(TKLog* log) {
  if (log) log->Flush();
}
