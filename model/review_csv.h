// The review list as CSV, for a spreadsheet or for keeping what was found:
// one record per row (item caption, path, size in bytes, checked "1" or "0"),
// fields quoted as RFC 4180 says, records ended by CRLF. Files are UTF-8
// with a byte-order mark, so that spreadsheet programs read them as UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class ReviewList;
struct FoundItem;

// The byte-order mark the text starts with (UTF-8: EF BB BF).
constexpr wchar_t kCsvByteOrderMark = 0xFEFF;

// A field as it stands in a record: quoted, with its quotes doubled, when it
// holds a quote, a comma or a line break.
std::wstring CsvField(const std::wstring& text);
// One record, with its CRLF.
std::wstring CsvRecord(const std::wstring& caption, const std::wstring& path, uint64_t bytes, bool checked);

// The byte-order mark, then every row with its current size (as the totals
// read it: the Recycle Bin's for its row, 0 for a file that is gone). Asks
// the file system once per row.
std::wstring ReviewListCsv(const ReviewList& list);
// The same with each row's size read by rowSize, for a helper thread: empty
// (not even the byte-order mark) once stop answers true, which it is asked
// before each row.
std::wstring ReviewListCsv(const ReviewList& list, const std::function<uint64_t(const FoundItem&)>& rowSize,
                           const std::function<bool()>& stop);

// Writes a CSV text as UTF-8 the way SaveReviewListCsv does.
bool WriteCsvFile(const std::wstring& path, const std::wstring& text);

// Writes ReviewListCsv as UTF-8 to a temporary file beside path, which then
// replaces path: a full disk or a failed write leaves whatever was there, and
// never half a file. False when nothing was written.
bool SaveReviewListCsv(const std::wstring& path, const ReviewList& list);
