#include "app/cli/cli_report.h"

#include "model/format_size.h"

namespace {

const wchar_t* OutcomeName(RowOutcome outcome) {
  switch (outcome) {
    case RowOutcome::Deleted:
      return L"deleted";
    case RowOutcome::Failed:
      return L"failed";
    case RowOutcome::Skipped:
      return L"skipped";
    case RowOutcome::Scheduled:
      return L"scheduled";
  }
  return L"failed";
}

std::wstring SizeWithBytes(uint64_t bytes) {
  return FormatSize(static_cast<int64_t>(bytes)) + L" (" + std::to_wstring(bytes) + L" bytes)";
}

}  // namespace

std::wstring ListLine(const Category& category, bool on) {
  return std::wstring(category.key) + L"\t" + category.itemCaption + L"\t" + (on ? L"on" : L"off") + L"\n";
}

std::wstring PreviewLine(const std::wstring& caption, const std::wstring& path, uint64_t bytes) {
  return caption + L"\t" + path + L"\t" + std::to_wstring(bytes) + L"\n";
}

std::wstring OutcomeLine(RowOutcome outcome, const std::wstring& label) {
  return std::wstring(OutcomeName(outcome)) + L"\t" + label + L"\n";
}

std::wstring FoundSummary(size_t rows, uint64_t bytes) {
  return L"Found: " + std::to_wstring(rows) + (rows == 1 ? L" item, " : L" items, ") + SizeWithBytes(bytes) + L"\n";
}

std::wstring CleanSummary(const OutcomeCounts& counts, uint64_t freedBytes) {
  return L"Deleted: " + std::to_wstring(counts.deleted) + L", failed: " + std::to_wstring(counts.failed) +
         L", skipped: " + std::to_wstring(counts.skipped) + L", scheduled: " + std::to_wstring(counts.scheduled) +
         L"\nFreed: " + SizeWithBytes(freedBytes) + L"\n";
}

void StatusLine::Show(const std::wstring& text) {
  if (!active_) return;
  std::wstring line = L"\r" + text;
  // Blank out the rest of a longer line shown before.
  if (text.size() < shown_) line += std::wstring(shown_ - text.size(), L' ') + L"\r" + text;
  shown_ = text.size();
  err_.Write(line);
}

void StatusLine::Clear() {
  if (!active_ || shown_ == 0) return;
  err_.Write(L"\r" + std::wstring(shown_, L' ') + L"\r");
  shown_ = 0;
}
