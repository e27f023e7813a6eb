// The Recycle Bins of all drives, through the shell.
#include "platform/recycle_bin.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {
namespace {

// The shell's published layout: packed (20 bytes) for 32-bit programs,
// naturally aligned for 64-bit ones.
static_assert(sizeof(SHQUERYRBINFO) == (sizeof(void*) == 4 ? 20 : 24), "SHQUERYRBINFO layout");

bool Query(SHQUERYRBINFO& info) {
  info = SHQUERYRBINFO{};
  info.cbSize = sizeof info;
  return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info));
}

}  // namespace

uint64_t RecycleBinItemCount() {
  SHQUERYRBINFO info;
  return Query(info) ? uint64_t(info.i64NumItems) : 0;
}

uint64_t RecycleBinSize() {
  SHQUERYRBINFO info;
  return Query(info) ? uint64_t(info.i64Size) : 0;
}

bool EmptyRecycleBin() {
  // No root path: every drive's bin. Only the confirmation is suppressed.
  const HRESULT result = SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION);
  if (SUCCEEDED(result)) return true;
  SetLastError(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : DWORD(result));
  return false;
}

bool MoveToRecycleBin(const std::wstring& path) {
  // The shell's own path form: no long-path prefix (it refuses one), and a
  // list that ends with a second NUL. Its buffers hold MAX_PATH characters: a
  // longer path is refused here rather than left to the shell, which might
  // act on the path cut short, another file.
  if (path.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  std::wstring from = path;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  const int result = SHFileOperationW(&op);
  if (result == 0 && !op.fAnyOperationsAborted) return true;
  SetLastError(result != 0 ? DWORD(result) : ERROR_CANCELLED);
  return false;
}

}  // namespace platform
