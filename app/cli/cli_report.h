// What the console program writes: the lines on standard output, the
// summaries on standard error, and the category shown while it is analysed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/cli/cli_system.h"
#include "cleaning/clean_thread.h"
#include "model/catalogue.h"

// A caption or path as one field of a line: what could end the line or the
// field, or be misread, becomes "%" and two hex digits. "%" itself is %25; a
// control character (tabs and line ends included) is its code, and one past
// ASCII (U+0080..U+009F, U+2028, U+2029) or a lone surrogate its UTF-8 bytes;
// U+F000 + b, which stands for a byte b that a Windows name cannot hold as
// it is (a "\", a control character, a byte that is not UTF-8), is %b.
std::wstring EscapedField(const std::wstring& text);

// key TAB item caption TAB on|off
std::wstring ListLine(const Category& category, bool on);
// item caption TAB path TAB bytes, fields escaped
std::wstring PreviewLine(const std::wstring& caption, const std::wstring& path, uint64_t bytes);
// deleted|recycled|failed|skipped|scheduled TAB label (the path, or the caption of a
// row without one), escaped
std::wstring OutcomeLine(RowOutcome outcome, const std::wstring& label);

// "Found: 3 items, 2.51 Kb. (2570 bytes)"
std::wstring FoundSummary(size_t rows, uint64_t bytes);

struct OutcomeCounts {
  size_t deleted = 0, failed = 0, skipped = 0, scheduled = 0, recycled = 0;
};
// "Deleted: 3, failed: 0, skipped: 1, scheduled: 0" (then ", recycled: 2"
// when any were) and "Freed: 2.51 Kb. (2570 bytes)", one line each.
std::wstring CleanSummary(const OutcomeCounts& counts, uint64_t freedBytes);

// One line on a terminal's standard error that is rewritten in place; does
// nothing when standard error is not a terminal.
class StatusLine {
 public:
  explicit StatusLine(ConsoleStream& err) : err_(err), active_(err.IsTerminal()) {}
  ~StatusLine() { Clear(); }
  void Show(const std::wstring& text);
  void Clear();

 private:
  ConsoleStream& err_;
  const bool active_;
  size_t shown_ = 0;  // characters on the line now
};
