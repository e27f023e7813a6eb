// Windows: one handle without sharing, opened on the entry itself
// (FILE_FLAG_OPEN_REPARSE_POINT), carries every step: checks, writes, flush,
// cut, rename and the deletion on close.
#include "platform/secure_file.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/final_path.h"
#include "platform/win32/handle.h"
#include "platform/win32/system_path.h"

namespace platform {
namespace {

// Opens the entry, not a link's target; a junction or directory link needs
// backup semantics to be opened at all.
constexpr DWORD kOpenFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
// Read access lets the handle ask where a sparse file holds data.
constexpr DWORD kWriteAccess = GENERIC_WRITE | FILE_READ_DATA | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kNameAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
// Attribute access takes no part in sharing checks, so it neither blocks nor is
// blocked by our own exclusive open.
constexpr DWORD kAttributeAccess = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!GetFileInformationByHandle(a, &ia) || !GetFileInformationByHandle(b, &ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

// Clears the read-only attribute on an open handle, keeping the others; true
// when the attribute was set.
bool ClearReadOnly(HANDLE h) {
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return false;
  if (!(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) return false;
  basic.FileAttributes &= ~DWORD(FILE_ATTRIBUTE_READONLY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;  // 0 leaves a time as it is
  basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
  SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
  return true;
}

}  // namespace

struct SecureFile::Impl {
  Handle handle;
  bool writable = false;
};

SecureFile::SecureFile() : impl_(std::make_unique<Impl>()) {}

SecureFile::~SecureFile() { SecureFile::Close(); }

bool SecureFile::IsOpen() const { return impl_->handle.Valid(); }

bool SecureFile::CanWrite() const { return impl_->handle.Valid() && impl_->writable; }

void SecureFile::Close() {
  impl_->handle.Reset();
  impl_->writable = false;
}

bool SecureFile::Open(const std::wstring& path, SecureAccess access, const FileIdentity* expected) {
  Close();
  path_ = path;
  changed_ = false;
  // Nothing, not even the read-only attribute, is changed on a file that is
  // not the one found: a junction swapped in on the way leads elsewhere.
  auto isExpected = [expected](HANDLE handle) {
    return !expected || !expected->Known() || HandleHasIdentity(handle, *expected);
  };
  const std::wstring native = SystemPath(path);
  Handle h(CreateFileW(native.c_str(), kWriteAccess, 0, nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
  bool writable = h.Valid();
  if (!h.Valid()) {
    DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED) return Fail(error);
    // Write access is refused to a read-only file: clear the attribute on the
    // entry itself, then open again and make sure it is still the same file.
    Handle probe(CreateFileW(native.c_str(), kAttributeAccess, kShareAll, nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
    if (!probe.Valid()) {
      // Wine refuses attribute-write access to a file its Unix user may not
      // write, yet changes attributes through any handle (as its own
      // SetFileAttributesW does).
      probe.Reset(CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                              kOpenFlags, nullptr));
    }
    if (!probe.Valid()) return Fail(GetLastError());
    if (!isExpected(probe.Get())) return FailChanged(ERROR_FILE_INVALID);
    if (ClearReadOnly(probe.Get())) {
      h.Reset(CreateFileW(native.c_str(), kWriteAccess, 0, nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
      writable = h.Valid();
    }
    if (!h.Valid()) {
      // Content we may not write can still lose its name.
      h.Reset(CreateFileW(native.c_str(), kNameAccess, 0, nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
      if (!h.Valid()) return Fail(GetLastError());
    }
    if (!SameFile(h.Get(), probe.Get())) return Fail(ERROR_ACCESS_DENIED);
  } else {
    if (!isExpected(h.Get())) return FailChanged(ERROR_FILE_INVALID);
    // Where write access was granted anyway (Wine run as root), the attribute
    // would still stop the deletion.
    ClearReadOnly(h.Get());
  }

  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h.Get(), &info)) return Fail(GetLastError());
  const bool isLink = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  const bool isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A real folder is not a file to delete (a folder link is: it goes as a link).
  if (isFolder && !isLink) return Fail(ERROR_ACCESS_DENIED);
  impl_->handle.Reset(h.Release());
  // A name-only open still takes the exclusive write handle: without sharing,
  // it is what keeps a file in use by another program from being deleted.
  impl_->writable = access == SecureAccess::Content && writable && !isLink && !isFolder;
  return true;
}

bool SecureFile::Info(SecureFileInfo& out) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!impl_->handle.Valid() || !GetFileInformationByHandle(impl_->handle.Get(), &info)) return false;
  out = SecureFileInfo();
  out.attributes = info.dwFileAttributes;
  out.isLink = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  out.isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  out.linkCount = info.nNumberOfLinks;
  out.size = out.isFolder ? 0 : (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

bool SecureFile::DataRanges(std::vector<DataRange>& ranges) const {
  ranges.clear();
  SecureFileInfo info;
  if (!Info(info)) return false;
  const uint64_t size = info.size;
  uint64_t at = 0;
  bool told = true;
  while (at < size) {
    FILE_ALLOCATED_RANGE_BUFFER query;
    query.FileOffset.QuadPart = LONGLONG(at);
    query.Length.QuadPart = LONGLONG(size - at);
    FILE_ALLOCATED_RANGE_BUFFER found[64];
    DWORD bytes = 0;
    const BOOL ok = DeviceIoControl(impl_->handle.Get(), FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, found,
                                    sizeof found, &bytes, nullptr);
    const bool more = !ok && GetLastError() == ERROR_MORE_DATA;
    if (!ok && !more) {
      told = false;  // not a file system that keeps holes
      break;
    }
    const size_t count = bytes / sizeof found[0];
    for (size_t i = 0; i < count; ++i) {
      const uint64_t offset = uint64_t(found[i].FileOffset.QuadPart);
      const uint64_t end = std::min(size, offset + uint64_t(found[i].Length.QuadPart));
      if (end > offset) ranges.push_back({offset, end - offset});
      at = std::max(at, end);
    }
    if (!more || count == 0) break;
  }
  if (!told) {
    ranges.clear();
    if (size > 0) ranges.push_back({0, size});
  }
  return true;
}

bool SecureFile::WriteAt(uint64_t offset, const void* data, size_t count) {
  if (!CanWrite()) return Fail(ERROR_ACCESS_DENIED);
  const char* bytes = static_cast<const char*>(data);
  while (count > 0) {
    DWORD chunk = count > 0x40000000 ? 0x40000000 : DWORD(count);
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD written = 0;
    if (!WriteFile(impl_->handle.Get(), bytes, chunk, &written, &at)) return Fail(GetLastError());
    if (written == 0) return Fail(ERROR_WRITE_FAULT);
    bytes += written;
    offset += written;
    count -= written;
  }
  return true;
}

bool SecureFile::Flush() {
  if (!CanWrite()) return Fail(ERROR_ACCESS_DENIED);
  if (!FlushFileBuffers(impl_->handle.Get())) return Fail(GetLastError());
  return true;
}

bool SecureFile::Truncate(uint64_t size) {
  if (!CanWrite()) return Fail(ERROR_ACCESS_DENIED);
  FILE_END_OF_FILE_INFO end;
  end.EndOfFile.QuadPart = LONGLONG(size);
  if (!SetFileInformationByHandle(impl_->handle.Get(), FileEndOfFileInfo, &end, sizeof end)) return Fail(GetLastError());
  return true;
}

bool SecureFile::Rename(const std::wstring& newPath) {
  if (!impl_->handle.Valid()) return Fail(ERROR_INVALID_HANDLE);
  // The rename information takes the native form on every Windows version.
  const std::wstring target = NtSystemPath(newPath);
  if (target.empty()) return Fail(ERROR_INVALID_NAME);
  const size_t nameBytes = target.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t), 0);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = DWORD(nameBytes);
  std::memcpy(rename->FileName, target.c_str(), nameBytes);
  if (!SetFileInformationByHandle(impl_->handle.Get(), FileRenameInfo, rename, DWORD(buffer.size())))
    return Fail(GetLastError());
  path_ = newPath;
  return true;
}

bool SecureFile::Delete() {
  if (!impl_->handle.Valid()) return Fail(ERROR_INVALID_HANDLE);
  FILE_DISPOSITION_INFO disposition;
  disposition.DeleteFile = TRUE;
  if (!SetFileInformationByHandle(impl_->handle.Get(), FileDispositionInfo, &disposition, sizeof disposition))
    return Fail(GetLastError());
  Close();  // ours is the only handle, so the name goes now
  return true;
}

}  // namespace platform
