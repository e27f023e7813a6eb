// Record files: a signature, a record count and tagged, length-prefixed
// records that carry their length at both ends, so that the file can be walked
// both ways. Language files are record files.
//
// The file is small and comes from anyone, so it is read whole into memory and
// every length is checked against what is really there before it is used: a
// damaged record reads as the end of the file, and Consistent() tells a caller
// that wants all or nothing whether the file holds exactly what it claims.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Raised by a write (append, erase) to a record file that is read-only.
class StorefileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

extern const char kReadOnlyWriteError[];  // "Attempt to write a data while in ReadOnly mode"

class TStorefile {
 public:
  TStorefile() = default;
  ~TStorefile() { Close(); }
  TStorefile(const TStorefile&) = delete;
  TStorefile& operator=(const TStorefile&) = delete;

  std::string Signature;  // bytes, no terminator
  std::wstring Filename;
  bool ReadOnly = false;

  // Opens an existing file (read-only when ReadOnly is set or the file cannot
  // be written; closed again when the signature differs), or creates it with
  // its folders, the signature and a count of 0. Nothing when already open or
  // without a file name. True when open afterwards.
  bool Open();
  // Writes the record count back (only when something changed) and closes.
  void Close();
  // Deletes the file; when it was open, reopens it (a new, empty file).
  void Erase();

  bool IsOpen() const { return open_; }
  bool IsReadOnly() const { return ReadOnly || openedReadOnly_; }
  bool AtEnd() const { return !open_ || pos_ >= bytes_.size(); }
  int RecordCount() const { return open_ ? count_ : 0; }
  // The header's count equals the records, and every record's two lengths
  // agree and lie within the file, with nothing after the last one.
  bool Consistent() const;

  bool First();
  bool Last();
  bool Next();
  bool Prior();
  bool GoTo(int index);

  // Payload length of the current record; 0 at the end.
  int PeekSize() const;
  // The payload, at most size bytes (a negative size, or one beyond the
  // payload, reads it all); size becomes the number read. Tag 0 and nothing at
  // the end or on a damaged record. With advance the position moves to the
  // next record (to the end from a damaged one).
  int ReadData(std::string& payload, int& size, bool advance);
  int ReadString(std::string& text, bool advance);
  // Fewer than 4 payload bytes give the value they hold (the rest zero).
  int ReadInteger(int32_t& value, bool advance);

  // Appends one record when open and positioned at the end; the new count,
  // else 0. Throws StorefileError when read-only.
  int AppendData(int32_t tag, const std::string& payload);
  int AppendString(int32_t tag, const std::string& text) { return AppendData(tag, text); }
  int AppendInteger(int32_t tag, int32_t value);

 private:
  // The payload length and tag of a well-formed record starting at offset.
  bool RecordAt(size_t offset, size_t& payload, int32_t& tag) const;
  void Reset();

  bool open_ = false;
  bool openedReadOnly_ = false;
  bool dirty_ = false;
  std::string bytes_;
  size_t pos_ = 0;
  size_t first_ = 0;
  int count_ = 0;
  int storedCount_ = 0;
};
