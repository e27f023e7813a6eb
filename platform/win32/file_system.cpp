// Files and folders through the wide-character calls, every path in its
// long-path form.
#include "platform/file_system.h"

#include <windows.h>

#include <atomic>
#include <utility>

#include "platform/win32/handle.h"
#include "platform/win32/system_path.h"
#include "platform/win_path.h"

namespace platform {
namespace {

// Set once the system has refused the basic information level or the large
// fetch (Windows before 7): later listings go straight to the plain call.
std::atomic<bool> basicFindRefused{false};

HANDLE FindFirst(const std::wstring& systemPattern, WIN32_FIND_DATAW& data) {
  if (!basicFindRefused.load(std::memory_order_relaxed)) {
    // The basic level skips the 8.3 name; the large fetch asks for more
    // entries per system call. Both only make the walk faster.
    HANDLE find = FindFirstFileExW(systemPattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return find;
    find = FindFirstFileExW(systemPattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    if (find != INVALID_HANDLE_VALUE) basicFindRefused.store(true, std::memory_order_relaxed);
    return find;
  }
  return FindFirstFileExW(systemPattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
}

uint64_t Combine(DWORD high, DWORD low) { return (uint64_t(high) << 32) | low; }

// The find call's answers for a pattern that names nothing that exists (a
// missing folder or drive, a name no folder can have, a drive not ready).
bool NothingThere(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_NO_MORE_FILES: case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY: case ERROR_INVALID_DRIVE: case ERROR_NOT_READY: case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: case ERROR_INVALID_PARAMETER:
      return true;
    default:
      return false;
  }
}

}  // namespace

struct DirectoryReader::Impl {
  FindHandle find;
  bool started = false;
  bool unreadable = false;
  WIN32_FIND_DATAW data;
  std::wstring name;
};

DirectoryReader::DirectoryReader(const std::wstring& pattern) : impl_(new Impl) {
  // The find call finds nothing for "dir\"; the long-path form would drop the
  // backslash and find the folder itself.
  if (pattern.empty() || IsPathSeparator(pattern.back()) || pattern.back() == L'/') {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return;
  }
  impl_->find.Reset(FindFirst(SystemPath(pattern), impl_->data));
  if (!impl_->find.Valid()) impl_->unreadable = !NothingThere(GetLastError());
}

DirectoryReader::~DirectoryReader() = default;

bool DirectoryReader::Next() {
  Impl& d = *impl_;
  if (!d.find.Valid()) return false;
  if (d.started) {
    if (!FindNextFileW(d.find.Get(), &d.data)) {
      d.unreadable = GetLastError() != ERROR_NO_MORE_FILES;
      d.find.Reset();
      return false;
    }
  }
  d.started = true;
  d.name.assign(d.data.cFileName);
  return true;
}

const std::wstring& DirectoryReader::Name() const { return impl_->name; }

uint32_t DirectoryReader::Attributes() const {
  return impl_->started ? impl_->data.dwFileAttributes : kInvalidAttributes;
}

uint64_t DirectoryReader::Size() const {
  return impl_->started ? Combine(impl_->data.nFileSizeHigh, impl_->data.nFileSizeLow) : 0;
}

bool DirectoryReader::IsFolder() const { return impl_->started && (impl_->data.dwFileAttributes & kAttrDirectory); }

bool DirectoryReader::IsReparsePoint() const {
  return impl_->started && (impl_->data.dwFileAttributes & kAttrReparsePoint);
}

bool DirectoryReader::Unreadable() const { return impl_->unreadable; }

bool WideFileExists(const std::wstring& path) {
  if (IsFindPattern(path)) return false;
  DirectoryReader reader(path);
  return reader.Next() && !reader.IsFolder();
}

bool WideFolderExists(const std::wstring& path) {
  if (IsBareDrive(path)) {
    // DRIVE_NO_ROOT_DIR is what the system answers for a letter no drive
    // uses: that drive does not exist either.
    UINT type = GetDriveTypeW((path.substr(0, 2) + L"\\").c_str());
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
  }
  DirectoryReader reader(path);
  return reader.Next() && reader.IsFolder();
}

bool WideCreateFolder(const std::wstring& path) { return CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0; }

uint64_t FileSize64(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data))
    return Combine(data.nFileSizeHigh, data.nFileSizeLow);
  DirectoryReader reader(path);
  return reader.Next() ? reader.Size() : 0;
}

uint32_t FileAttributes(const std::wstring& path) { return GetFileAttributesW(SystemPath(path).c_str()); }

bool QueryFileStatus(const std::wstring& path, FileStatus& status) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  status.attributes = data.dwFileAttributes;
  status.size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : Combine(data.nFileSizeHigh, data.nFileSizeLow);
  return true;
}

bool SetFileAttributesTo(const std::wstring& path, uint32_t attributes) {
  return SetFileAttributesW(SystemPath(path).c_str(), attributes) != 0;
}

bool DeleteFileAt(const std::wstring& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

bool RemoveFileName(const std::wstring& path) {
  const std::wstring native = SystemPath(path);
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  constexpr DWORD kFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
  Handle h(CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
                       OPEN_EXISTING, kFlags, nullptr));
  // Wine refuses attribute-write access to a file its Unix user may not write,
  // yet changes attributes through any handle.
  if (!h.Valid())
    h.Reset(CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING, kFlags,
                        nullptr));
  if (!h.Valid()) return false;
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(h.Get(), FileBasicInfo, &basic, sizeof basic)) return false;
  if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  const DWORD attributes = basic.FileAttributes;
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  // 0 leaves a time as it is.
  basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = basic.LastWriteTime.QuadPart = 0;
  basic.ChangeTime.QuadPart = 0;
  auto setAttributes = [&](DWORD value) {
    basic.FileAttributes = value == 0 ? FILE_ATTRIBUTE_NORMAL : value;
    SetFileInformationByHandle(h.Get(), FileBasicInfo, &basic, sizeof basic);
  };
  // Windows refuses to remove a read-only file's name; the attribute goes
  // back through the handle, which still reaches the file by its other names.
  if (readOnly) setAttributes(attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  const bool removed = DeleteFileW(native.c_str()) != 0;
  const DWORD error = GetLastError();
  if (readOnly) setAttributes(attributes);
  SetLastError(removed ? 0 : error);
  return removed;
}

bool RemoveEmptyFolder(const std::wstring& path) { return RemoveDirectoryW(SystemPath(path).c_str()) != 0; }

bool MoveFileTo(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0) != 0;
}

bool CreateHardLinkAt(const std::wstring& newPath, const std::wstring& existing) {
  return CreateHardLinkW(SystemPath(newPath).c_str(), SystemPath(existing).c_str(), nullptr) != 0;
}

uint32_t LastErrorCode() { return GetLastError(); }

struct FileReader::Impl {
  Handle file;
  uint64_t size = 0;
};

FileReader::FileReader(const std::wstring& path) : impl_(new Impl) {
  Handle file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size)) return;
  impl_->file = std::move(file);
  impl_->size = uint64_t(size.QuadPart);
}

FileReader::~FileReader() = default;

bool FileReader::IsOpen() const { return impl_->file.Valid(); }

uint64_t FileReader::Size() const { return impl_->size; }

int64_t FileReader::Read(void* buffer, size_t count) {
  if (!impl_->file.Valid()) return -1;
  DWORD wanted = count > 0x40000000 ? 0x40000000 : DWORD(count);
  DWORD got = 0;
  if (!ReadFile(impl_->file.Get(), buffer, wanted, &got, nullptr)) return -1;
  return got;
}

}  // namespace platform
