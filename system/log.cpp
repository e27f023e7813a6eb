#include "system/log.h"

#include <chrono>
#include <cwchar>
#include <new>

#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "platform/win_path.h"

namespace {

const wchar_t* const kLevelNames[] = {L"Verbose", L"Info", L"Error"};

std::wstring TwoDigits(int value) {
  wchar_t buffer[8];
  swprintf(buffer, 8, L"%02d", value % 100);
  return buffer;
}

std::wstring TimeStamp(const platform::LocalTime& t, const std::wstring& separator) {
  return L"[" + TwoDigits(t.year) + L"-" + TwoDigits(t.month) + L"-" + TwoDigits(t.day) + L" " + TwoDigits(t.hour) +
         separator + TwoDigits(t.minute) + separator + TwoDigits(t.second) + L"]";
}

}  // namespace

TKLog::TKLog(std::wstring filePath, size_t maxLines, bool verbose, const platform::Clock& clock, FileOpener opener)
    : filePath_(std::move(filePath)), maxLines_(maxLines), verbose_(verbose), clock_(clock), opener_(std::move(opener)) {
  if (!opener_) opener_ = [](const std::wstring& path) { return platform::ShellOpen(path); };
}

TKLog::~TKLog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (flusher_.joinable()) flusher_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  SaveLocked();
}

void TKLog::Add(const std::wstring& text, LogLevel level) {
  // A level made from a number outside 0 to 2 counts as verbose below, as an error above.
  if (level <= kLogVerbose && !verbose_) return;
  if (level < kLogVerbose) level = kLogVerbose;
  if (level > kLogError) level = kLogError;

  // Stamped under the lock so that lines from several threads stay in time order.
  std::lock_guard<std::mutex> lock(mutex_);
  std::wstring line = kLevelNames[level];
  line += L'\t';
  line += TimeStamp(clock_.Now(), clock_.TimeSeparator());
  line += L'\t';
  line += text;
  std::string bytes = platform::ToAnsi(line) + "\r\n";
  lines_.push_front(Line{std::move(line), std::move(bytes)});
  if (lines_.size() > maxLines_) lines_.pop_back();
  if (!verbose_) return;
  if (!saved_ || clock_.TickCount64() - lastSave_ >= kVerboseSaveInterval) {
    SaveLocked();
    return;
  }
  if (waiting_) return;  // the flusher knows already
  waiting_ = true;
  if (!flusher_.joinable()) flusher_ = std::thread([this] { FlushWhenDue(); });
  wake_.notify_one();
}

// The flusher: sleeps until lines wait, then saves them once the interval
// since the last save has passed on the log's clock.
void TKLog::FlushWhenDue() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return waiting_ || stopping_; });
    if (stopping_) return;
    const uint64_t since = clock_.TickCount64() - lastSave_;
    if (since >= kVerboseSaveInterval) {
      SaveLocked();
      continue;
    }
    // Woken early only to stop; otherwise the clock is asked again.
    wake_.wait_for(lock, std::chrono::milliseconds(kVerboseSaveInterval - since), [this] { return stopping_; });
  }
}

void TKLog::Flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (waiting_) SaveLocked();
}

bool TKLog::LastSaveFailed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return saveFailed_;
}

void TKLog::Save() {
  std::lock_guard<std::mutex> lock(mutex_);
  SaveLocked();
}

void TKLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
  SaveLocked();
}

bool TKLog::OpenInViewer() {
  Save();
  // The viewer may take a while to start; other threads keep logging meanwhile.
  return opener_(filePath_);
}

std::vector<std::wstring> TKLog::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::wstring> copy;
  copy.reserve(lines_.size());
  for (const Line& line : lines_) copy.push_back(line.text);
  return copy;
}

// A missing folder is never created and nothing is written. Errors are kept
// only as LastSaveFailed: the next save retries.
void TKLog::SaveLocked() {
  waiting_ = false;
  saved_ = true;
  lastSave_ = clock_.TickCount64();
  try {
    std::string content;
    size_t total = 0;
    for (const Line& line : lines_) total += line.fileBytes.size();
    content.reserve(total);
    for (const Line& line : lines_) content += line.fileBytes;
    saveFailed_ = !platform::WriteWholeFile(filePath_, content) &&
                  platform::WideFolderExists(platform::WithoutTrailingBackslash(platform::FolderOf(filePath_)));
  } catch (const std::bad_alloc&) {
    // No memory for the file image: skip this save, the lines are still here.
    saveFailed_ = true;
  }
}
