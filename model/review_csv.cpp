#include "model/review_csv.h"

#include "model/review_list.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"

std::wstring CsvField(const std::wstring& text) {
  if (text.find_first_of(L"\",\r\n") == std::wstring::npos) return text;
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    if (c == L'"') quoted += L'"';
    quoted += c;
  }
  return quoted + L"\"";
}

std::wstring CsvRecord(const std::wstring& caption, const std::wstring& path, uint64_t bytes, bool checked) {
  return CsvField(caption) + L"," + CsvField(path) + L"," + std::to_wstring(bytes) + (checked ? L",1\r\n" : L",0\r\n");
}

std::wstring ReviewListCsv(const ReviewList& list) { return ReviewListCsv(list, CurrentRowSize, nullptr); }

std::wstring ReviewListCsv(const ReviewList& list, const std::function<uint64_t(const FoundItem&)>& rowSize,
                           const std::function<bool()>& stop) {
  std::wstring text(1, kCsvByteOrderMark);
  for (size_t i = 0; i < list.Count(); ++i) {
    if (stop && stop()) return std::wstring();
    const FoundItem& row = list.At(i);
    text += CsvRecord(row.caption, row.path, rowSize(row), list.Checked(i));
  }
  return text;
}

bool WriteCsvFile(const std::wstring& path, const std::wstring& text) {
  return platform::WriteWholeFile(path, platform::ToUtf8(text));
}

bool SaveReviewListCsv(const std::wstring& path, const ReviewList& list) {
  return WriteCsvFile(path, ReviewListCsv(list));
}
