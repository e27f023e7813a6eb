#include "app/cli/cli_report.h"

#include "model/format_size.h"
#include "platform/utf8.h"

namespace {

void AppendHexByte(unsigned byte, std::wstring& out) {
  const wchar_t* const digits = L"0123456789ABCDEF";
  out += L'%';
  out += digits[byte >> 4];
  out += digits[byte & 0xF];
}

bool NeedsEscape(uint32_t c) {
  return c < 0x20 || c == 0x7F || c == L'%' || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
         (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xF000 && c <= 0xF0FF);
}

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
    case RowOutcome::Recycled:
      return L"recycled";
  }
  return L"failed";
}

std::wstring SizeWithBytes(uint64_t bytes) {
  return FormatSize(static_cast<int64_t>(bytes)) + L" (" + std::to_wstring(bytes) + L" bytes)";
}

}  // namespace

std::wstring EscapedField(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t c = uint32_t(text[i]);
    if (!NeedsEscape(c)) {
      out += text[i];
      continue;
    }
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && uint32_t(text[i + 1]) >= 0xDC00 &&
        uint32_t(text[i + 1]) <= 0xDFFF) {
      out += text[i];  // a surrogate pair is a character like any other
      out += text[++i];
      continue;
    }
    if (c >= 0xF000 && c <= 0xF0FF) {
      AppendHexByte(c - 0xF000, out);
      continue;
    }
    std::string bytes;
    platform::AppendUtf8(c, bytes);
    for (unsigned char b : bytes) AppendHexByte(b, out);
  }
  return out;
}

std::wstring ListLine(const Category& category, bool on) {
  return std::wstring(category.key) + L"\t" + category.itemCaption + L"\t" + (on ? L"on" : L"off") + L"\n";
}

std::wstring PreviewLine(const std::wstring& caption, const std::wstring& path, uint64_t bytes) {
  return EscapedField(caption) + L"\t" + EscapedField(path) + L"\t" + std::to_wstring(bytes) + L"\n";
}

std::wstring OutcomeLine(RowOutcome outcome, const std::wstring& label) {
  return std::wstring(OutcomeName(outcome)) + L"\t" + EscapedField(label) + L"\n";
}

std::wstring FoundSummary(size_t rows, uint64_t bytes) {
  return L"Found: " + std::to_wstring(rows) + (rows == 1 ? L" item, " : L" items, ") + SizeWithBytes(bytes) + L"\n";
}

std::wstring CleanSummary(const OutcomeCounts& counts, uint64_t freedBytes) {
  return L"Deleted: " + std::to_wstring(counts.deleted) + L", failed: " + std::to_wstring(counts.failed) +
         L", skipped: " + std::to_wstring(counts.skipped) + L", scheduled: " + std::to_wstring(counts.scheduled) +
         (counts.recycled > 0 ? L", recycled: " + std::to_wstring(counts.recycled) : std::wstring()) + L"\nFreed: " + SizeWithBytes(freedBytes) + L"\n";
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
