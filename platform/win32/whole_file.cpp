#include "platform/whole_file.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/handle.h"
#include "platform/win32/system_path.h"

namespace platform {

WholeFileRead ReadWholeFile(const std::wstring& path, size_t maxBytes, std::string& bytes) {
  bytes.clear();
  Handle file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? WholeFileRead::Missing
                                                                            : WholeFileRead::Failed;
  }
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return WholeFileRead::Failed;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) return WholeFileRead::Failed;
  // One byte more than allowed tells a file of exactly maxBytes from a longer
  // one; the size is only a hint, since the file may grow while it is read.
  const size_t limit = maxBytes + 1;
  uint64_t hint = size.QuadPart > 0 ? uint64_t(size.QuadPart) + 1 : 4096;
  bytes.resize(hint < limit ? size_t(hint) : limit);
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (bytes.size() >= limit) break;
      bytes.resize(bytes.size() * 2 < limit ? bytes.size() * 2 : limit);
    }
    DWORD chunk = bytes.size() - got > 0x1000000 ? 0x1000000 : DWORD(bytes.size() - got);
    DWORD n = 0;
    if (!ReadFile(file.Get(), &bytes[got], chunk, &n, nullptr)) {
      bytes.clear();
      return WholeFileRead::Failed;
    }
    if (n == 0) break;
    got += n;
  }
  if (got > maxBytes) {
    bytes.resize(maxBytes);
    return WholeFileRead::TooLarge;
  }
  bytes.resize(got);
  return WholeFileRead::Ok;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  const std::wstring target = SystemPath(path);
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  static std::atomic<unsigned> counter{0};
  const std::wstring temp =
      SystemPath(path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L".tmp");
  bool ok;
  {
    Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
      DWORD chunk = bytes.size() - done > 0x1000000 ? 0x1000000 : DWORD(bytes.size() - done);
      DWORD n = 0;
      ok = WriteFile(file.Get(), bytes.data() + done, chunk, &n, nullptr) && n == chunk;
      done += n;
    }
    ok = ok && FlushFileBuffers(file.Get());
    ok = file.Close() && ok;
  }
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    SetLastError(error);
  }
  return ok;
}

}  // namespace platform
