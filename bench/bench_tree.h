// The planted tree the listing benchmarks walk, and the bare system walk they
// compare against (Linux: opendir/readdir; Windows: FindFirstFileExW with the
// basic level and large fetch), in the platform's own path type.
#pragma once

#include <algorithm>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/handle.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/descriptor.h"
#include "platform/posix/wine_prefix.h"
#endif

namespace benchtree {

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 10;

inline bool IsDots(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

#ifdef _WIN32
using NativeString = std::wstring;
#define NS(text) L##text

inline double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
}
inline bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS; }
inline void MakeFile(const std::wstring& path) {
  const platform::Handle created(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}
inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline std::wstring Join(const std::wstring& a, const std::wstring& b) { return a + L"\\" + b; }
inline std::wstring Num(const wchar_t* prefix, int n) { return prefix + std::to_wstring(n); }
inline NativeString FromArg(const char* arg) {
  std::string s(arg);
  return std::wstring(s.begin(), s.end());
}
inline std::wstring WindowsPath(const std::wstring& native) { return native; }

inline size_t BareWalk(const std::wstring& folder) {
  size_t files = 0;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (IsDots(fd.cFileName)) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) files += BareWalk(folder + L"\\" + fd.cFileName);
    else ++files;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return files;
}
#else
using NativeString = std::string;
#define NS(text) text

inline double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}
inline bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }
inline void MakeFile(const std::string& path) {
  const platform::Descriptor created(open(path.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0644));
}
inline bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}
inline std::string Join(const std::string& a, const std::string& b) { return a + "/" + b; }
inline std::string Num(const char* prefix, int n) { return prefix + std::to_string(n); }
inline NativeString FromArg(const char* arg) { return arg; }
inline std::wstring WindowsPath(const std::string& native) { return platform::FromNativePath(native); }

inline size_t BareWalk(const std::string& folder) {
  size_t files = 0;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2]))) continue;
    if (e->d_type == DT_DIR) files += BareWalk(folder + "/" + e->d_name);
    else ++files;
  }
  closedir(dir);
  return files;
}
#endif

// Plants files in kTopFolders x kSubFolders folders below root.
inline void Plant(const NativeString& root, int files) {
  MakeFolder(root);
  const int perFolder = std::max(1, files / (kTopFolders * kSubFolders));
  for (int t = 0; t < kTopFolders; ++t) {
    NativeString top = Join(root, Num(NS("t"), t));
    MakeFolder(top);
    for (int s = 0; s < kSubFolders; ++s) {
      NativeString sub = Join(top, Num(NS("s"), s));
      MakeFolder(sub);
      for (int f = 0; f < perFolder; ++f)
        MakeFile(Join(sub, Num(NS("file-with-a-longer-name-"), f) + NativeString(NS(".tmp"))));
    }
  }
}

}  // namespace benchtree
