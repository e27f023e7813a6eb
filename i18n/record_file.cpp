#include "i18n/record_file.h"

#include <cstring>

#include "platform/file_system.h"
#include "platform/whole_file.h"
#include "platform/win_path.h"

const char kReadOnlyWriteError[] = "Attempt to write a data while in ReadOnly mode";

namespace {

// Far more than any language file; a bigger file is not one.
constexpr size_t kMaxFileBytes = 64u << 20;

int32_t Int32At(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return static_cast<int32_t>(v);
}

void PutInt32(std::string& bytes, size_t offset, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void AppendInt32(std::string& bytes, int32_t value) {
  bytes.append(4, '\0');
  PutInt32(bytes, bytes.size() - 4, value);
}

void CreateFolders(const std::wstring& folder) {
  const std::wstring bare = platform::WithoutTrailingBackslash(folder);
  if (bare.empty() || platform::IsBareDrive(bare) || platform::WideFolderExists(bare)) return;
  CreateFolders(platform::FolderOf(bare));
  platform::WideCreateFolder(bare);
}

}  // namespace

void TStorefile::Reset() {
  open_ = openedReadOnly_ = dirty_ = false;
  bytes_.clear();
  pos_ = first_ = 0;
  count_ = storedCount_ = 0;
}

bool TStorefile::Open() {
  if (open_) return true;
  if (Filename.empty()) return false;
  std::string bytes;
  switch (platform::ReadWholeFile(Filename, kMaxFileBytes, bytes)) {
    case platform::WholeFileRead::Ok: {
      const uint32_t attributes = platform::FileAttributes(Filename);
      const bool writable = attributes != platform::kInvalidAttributes && !(attributes & platform::kAttrReadOnly);
      if (bytes.size() < Signature.size() + 4 || bytes.compare(0, Signature.size(), Signature) != 0) return false;
      bytes_ = std::move(bytes);
      openedReadOnly_ = !ReadOnly && !writable;
      first_ = pos_ = Signature.size() + 4;
      count_ = storedCount_ = Int32At(bytes_, Signature.size());
      open_ = true;
      return true;
    }
    case platform::WholeFileRead::Missing: {
      if (ReadOnly) return false;  // a read-only caller never creates anything
      std::string fresh = Signature;
      AppendInt32(fresh, 0);
      CreateFolders(platform::FolderOf(Filename));
      if (!platform::WriteWholeFile(Filename, fresh)) return false;
      bytes_ = std::move(fresh);
      first_ = pos_ = bytes_.size();
      open_ = true;
      return true;
    }
    default:
      return false;
  }
}

void TStorefile::Close() {
  if (open_ && !IsReadOnly() && (dirty_ || count_ != storedCount_)) {
    PutInt32(bytes_, Signature.size(), count_);
    platform::WriteWholeFile(Filename, bytes_);
  }
  Reset();
}

void TStorefile::Erase() {
  if (IsReadOnly()) throw StorefileError(kReadOnlyWriteError);
  if (open_) {
    Reset();
    platform::DeleteFileAt(Filename);
    Open();
  } else {
    platform::DeleteFileAt(Filename);
  }
}

bool TStorefile::RecordAt(size_t offset, size_t& payload, int32_t& tag) const {
  if (!open_ || offset < first_ || offset > bytes_.size() || bytes_.size() - offset < 12) return false;
  const int32_t length = Int32At(bytes_, offset);
  if (length < 8 || static_cast<size_t>(length) - 8 > bytes_.size() - offset - 12) return false;
  payload = static_cast<size_t>(length) - 8;
  if (Int32At(bytes_, offset + 8 + payload) != length + 4) return false;
  tag = Int32At(bytes_, offset + 4);
  return true;
}

bool TStorefile::Consistent() const {
  if (!open_ || count_ < 0) return false;
  size_t offset = first_;
  int records = 0;
  size_t payload;
  int32_t tag;
  while (offset < bytes_.size()) {
    if (!RecordAt(offset, payload, tag)) return false;
    offset += payload + 12;
    ++records;
  }
  return records == count_;
}

bool TStorefile::First() {
  if (!open_) return false;
  pos_ = first_;
  return true;
}

bool TStorefile::Next() {
  size_t payload;
  int32_t tag;
  if (AtEnd()) return false;
  // A damaged record ends the walk: nothing after it can be trusted.
  pos_ = RecordAt(pos_, payload, tag) ? pos_ + payload + 12 : bytes_.size();
  return true;
}

bool TStorefile::Prior() {
  if (!open_ || pos_ <= first_ || pos_ - first_ < 12) return false;
  const int32_t whole = Int32At(bytes_, pos_ - 4);
  if (whole < 12 || static_cast<size_t>(whole) > pos_ - first_) return false;
  size_t payload;
  int32_t tag;
  const size_t start = pos_ - static_cast<size_t>(whole);
  if (!RecordAt(start, payload, tag) || payload + 12 != static_cast<size_t>(whole)) return false;
  pos_ = start;
  return true;
}

bool TStorefile::Last() {
  if (!open_) return false;
  pos_ = bytes_.size();
  if (!Prior()) pos_ = first_;
  return true;
}

bool TStorefile::GoTo(int index) {
  if (!open_ || index < 0 || index >= count_) return false;
  pos_ = first_;
  for (int i = 0; i < index && !AtEnd(); ++i) Next();
  return true;
}

int TStorefile::PeekSize() const {
  size_t payload;
  int32_t tag;
  if (AtEnd() || !RecordAt(pos_, payload, tag)) return 0;
  return static_cast<int>(payload);
}

int TStorefile::ReadData(std::string& data, int& size, bool advance) {
  size_t payload;
  int32_t tag;
  data.clear();
  if (AtEnd() || !RecordAt(pos_, payload, tag)) {
    // As in Next: a damaged record is the end, so a reading loop always ends.
    if (advance && open_) pos_ = bytes_.size();
    size = 0;
    return 0;
  }
  if (size < 0 || static_cast<size_t>(size) > payload) size = static_cast<int>(payload);
  data.assign(bytes_, pos_ + 8, static_cast<size_t>(size));
  if (advance) pos_ += payload + 12;
  return tag;
}

int TStorefile::ReadString(std::string& text, bool advance) {
  int size = -1;
  return ReadData(text, size, advance);
}

int TStorefile::ReadInteger(int32_t& value, bool advance) {
  std::string data;
  int size = 4;
  const int tag = ReadData(data, size, advance);
  data.resize(4, '\0');
  value = Int32At(data, 0);
  return tag;
}

int TStorefile::AppendData(int32_t tag, const std::string& payload) {
  if (IsReadOnly()) throw StorefileError(kReadOnlyWriteError);
  if (!open_ || pos_ != bytes_.size() || payload.size() > kMaxFileBytes) return 0;
  const int32_t n = static_cast<int32_t>(payload.size());
  AppendInt32(bytes_, n + 8);
  AppendInt32(bytes_, tag);
  bytes_ += payload;
  AppendInt32(bytes_, n + 12);
  pos_ = bytes_.size();
  dirty_ = true;
  return ++count_;
}

int TStorefile::AppendInteger(int32_t tag, int32_t value) {
  std::string data(4, '\0');
  PutInt32(data, 0, value);
  return AppendData(tag, data);
}
