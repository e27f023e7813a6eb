#include "tests/support/temp_tree.h"

#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#endif

#include "platform/win_path.h"
#ifdef _WIN32
#include "platform/win32/handle.h"
#include "platform/win32/system_path.h"
#else
#include "platform/posix/wine_prefix.h"
#include "platform/text_codec.h"
#endif

namespace testsupport {

#ifdef _WIN32

std::wstring NativePath(const std::wstring& windowsPath) { return platform::SystemPath(windowsPath); }

static void MakeFolders(const std::wstring& path) {
  for (size_t pos = 3; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == L'\\') CreateDirectoryW(NativePath(path.substr(0, pos)).c_str(), nullptr);
  }
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  const platform::FindHandle h(FindFirstFileW(NativePath(path + L"\\*").c_str(), &fd));
  if (h.Valid()) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      SetFileAttributesW(NativePath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(child);
      else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(NativePath(child).c_str());
      else
        DeleteFileW(NativePath(child).c_str());
    } while (FindNextFileW(h.Get(), &fd));
  }
  RemoveDirectoryW(NativePath(path).c_str());
}

TempTree::TempTree() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring base = platform::WithoutTrailingBackslash(std::wstring(buffer, n));
  std::random_device rd;
  root_ = base + L"\\pgtest-" + std::to_wstring(rd()) + std::to_wstring(GetCurrentProcessId());
  MakeFolders(root_);
}

TempTree::~TempTree() { RemoveTree(root_); }

std::wstring TempTree::WriteFile(const std::wstring& relative, const std::string& bytes) {
  std::wstring path = Path(relative);
  WriteFileAt(path, bytes);
  return path;
}

void WriteFileAt(const std::wstring& path, const std::string& bytes) {
  MakeFolders(platform::WithoutTrailingBackslash(platform::FolderOf(path)));
  platform::Handle h(
      CreateFileW(NativePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (h.Valid() && !bytes.empty()) ::WriteFile(h.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::wstring TempTree::MakeFolder(const std::wstring& relative) {
  std::wstring path = Path(relative);
  MakeFolders(path);
  return path;
}

std::string TempTree::ReadFile(const std::wstring& relative) const {
  std::string out;
  platform::Handle h(CreateFileW(NativePath(Path(relative)).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
  char buffer[65536];
  DWORD got = 0;
  while (h.Valid() && ::ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  return out;
}

bool TempTree::WriteSparseFile(const std::wstring& relative, uint64_t size) {
  platform::Handle h(
      CreateFileW(NativePath(WriteFile(relative)).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h.Valid()) return false;
  DWORD ignored = 0;
  DeviceIoControl(h.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = LONGLONG(size);
  return SetFilePointerEx(h.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(h.Get());
}

bool TempTree::Exists(const std::wstring& relative) const {
  return GetFileAttributesW(NativePath(Path(relative)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

#else

std::string NativePath(const std::wstring& windowsPath) {
  std::string native;
  platform::ToNativePath(windowsPath, native);
  return native;
}

TempTree::TempTree() {
  std::string tmpl = "/tmp/pgtest-XXXXXX";
  char* made = mkdtemp(tmpl.data());
  root_ = platform::FromNativePath(made ? made : "/tmp");
}

void RemoveTree(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::remove_all(NativePath(path), ec);  // does not follow links
}

TempTree::~TempTree() { RemoveTree(root_); }

std::wstring TempTree::WriteFile(const std::wstring& relative, const std::string& bytes) {
  std::wstring path = Path(relative);
  WriteFileAt(path, bytes);
  return path;
}

void WriteFileAt(const std::wstring& path, const std::string& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(NativePath(platform::WithoutTrailingBackslash(platform::FolderOf(path))), ec);
  std::ofstream(NativePath(path), std::ios::binary | std::ios::trunc) << bytes;
}

std::wstring TempTree::MakeFolder(const std::wstring& relative) {
  std::wstring path = Path(relative);
  std::error_code ec;
  std::filesystem::create_directories(NativePath(path), ec);
  return path;
}

std::string TempTree::ReadFile(const std::wstring& relative) const {
  std::ifstream in(NativePath(Path(relative)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempTree::WriteSparseFile(const std::wstring& relative, uint64_t size) {
  return truncate(NativePath(WriteFile(relative)).c_str(), off_t(size)) == 0;
}

bool TempTree::Exists(const std::wstring& relative) const {
  struct stat st;
  return lstat(NativePath(Path(relative)).c_str(), &st) == 0;
}

#endif

std::wstring TempTree::Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }

}  // namespace testsupport
