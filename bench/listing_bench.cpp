// Recursive listing throughput: ListFiles over a planted tree against a bare
// enumeration loop over the same tree in the same run (Linux: opendir/readdir;
// Windows: FindFirstFileExW). Runs alternate so both see the same cache state.
//
//   listing_bench <folder> [files]
// plants <files> files (default 200000) below <folder> when it is empty.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/listing.h"
#include "platform/process_memory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/wine_prefix.h"
#endif

namespace {

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 10;

#ifdef _WIN32
using NativeString = std::wstring;

bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS; }
void MakeFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}
bool HasEntries(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\t0").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}
std::wstring Join(const std::wstring& a, const std::wstring& b) { return a + L"\\" + b; }
std::wstring Num(const wchar_t* prefix, int n) { return prefix + std::to_wstring(n); }

// The baseline: the least a program must do to walk the tree.
size_t BareWalk(const std::wstring& folder) {
  size_t files = 0;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (fd.cFileName[0] == L'.' && (!fd.cFileName[1] || (fd.cFileName[1] == L'.' && !fd.cFileName[2]))) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      files += BareWalk(folder + L"\\" + fd.cFileName);
    else
      ++files;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return files;
}
// The baseline that also keeps every file's full path, as a listing must.
void CollectingWalk(const std::wstring& folder, std::vector<std::wstring>& paths) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.cFileName[0] == L'.' && (!fd.cFileName[1] || (fd.cFileName[1] == L'.' && !fd.cFileName[2]))) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectingWalk(folder + L"\\" + fd.cFileName, paths);
    else
      paths.push_back(folder + L"\\" + fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}
std::wstring WindowsPath(const std::wstring& native) { return native; }
NativeString FromArg(const char* arg) {
  std::string s(arg);
  return std::wstring(s.begin(), s.end());
}
#else
using NativeString = std::string;

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }
void MakeFile(const std::string& path) {
  int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0644);
  if (fd >= 0) close(fd);
}
bool HasEntries(const std::string& path) {
  struct stat st;
  return stat((path + "/t0").c_str(), &st) == 0;
}
std::string Join(const std::string& a, const std::string& b) { return a + "/" + b; }
std::string Num(const char* prefix, int n) { return prefix + std::to_string(n); }

size_t BareWalk(const std::string& folder) {
  size_t files = 0;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2]))) continue;
    if (e->d_type == DT_DIR)
      files += BareWalk(folder + "/" + e->d_name);
    else
      ++files;
  }
  closedir(dir);
  return files;
}
// The baseline that also keeps every file's full path, as a listing must.
void CollectingWalk(const std::string& folder, std::vector<std::string>& paths) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2]))) continue;
    if (e->d_type == DT_DIR)
      CollectingWalk(folder + "/" + e->d_name, paths);
    else
      paths.push_back(folder + "/" + e->d_name);
  }
  closedir(dir);
}
std::wstring WindowsPath(const std::string& native) { return platform::FromNativePath(native); }
NativeString FromArg(const char* arg) { return arg; }
#endif

// A literal in the native string type.
#ifdef _WIN32
#define NS(text) L##text
#else
#define NS(text) text
#endif

void Plant(const NativeString& root, int files) {
  MakeFolder(root);
  const int perFolder = std::max(1, files / (kTopFolders * kSubFolders));
  for (int t = 0; t < kTopFolders; ++t) {
    NativeString top = Join(root, Num(NS("t"), t));
    MakeFolder(top);
    for (int s = 0; s < kSubFolders; ++s) {
      NativeString sub = Join(top, Num(NS("s"), s));
      MakeFolder(sub);
      for (int f = 0; f < perFolder; ++f) MakeFile(Join(sub, Num(NS("file-with-a-longer-name-"), f) + NativeString(NS(".tmp"))));
    }
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: listing_bench <folder> [files]\n");
    return 2;
  }
  // As the programs do; it serves the baseline in this process just the same.
  platform::KeepFreedMemoryForReuse();
  const NativeString root = FromArg(argv[1]);
  const int wanted = argc > 2 ? std::atoi(argv[2]) : 200000;
  if (!HasEntries(root)) Plant(root, wanted);

  const std::wstring windowsRoot = WindowsPath(root);
  double oursBest = 1e9, bareBest = 1e9, collectingBest = 1e9;
  size_t oursCount = 0, bareCount = 0;
  for (int round = 0; round < 5; ++round) {
    auto start = std::chrono::steady_clock::now();
    bareCount = BareWalk(root);
    bareBest = std::min(bareBest, Seconds(start));

    start = std::chrono::steady_clock::now();
    {
      std::vector<NativeString> paths;
      CollectingWalk(root, paths);
      collectingBest = std::min(collectingBest, Seconds(start));
    }

    start = std::chrono::steady_clock::now();
    PathList list;
    ListFiles(windowsRoot, list);
    oursBest = std::min(oursBest, Seconds(start));
    oursCount = list.size();
  }
  if (oursCount != bareCount) {
    std::printf("listing: counts differ: ours %zu, baseline %zu\n", oursCount, bareCount);
    return 1;
  }
  const double ours = oursCount / oursBest, bare = bareCount / bareBest, collecting = bareCount / collectingBest;
  std::printf("tree: %zu files in %d folders\n", oursCount, kTopFolders * (kSubFolders + 1));
  // Ours also sorts each folder into NTFS order and keeps UTF-16/32 paths.
  std::printf("listing against a walk that keeps the paths too: %.0f files/s, ratio %.2f\n", collecting,
              ours / collecting);
  std::printf("listing: %.0f files/s, baseline %.0f files/s, ratio %.2f\n", ours, bare, ours / bare);
  return 0;
}
