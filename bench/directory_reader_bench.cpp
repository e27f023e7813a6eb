// Folder reader throughput: a recursive walk with platform::DirectoryReader
// (what every listing builds on) against the bare system enumeration over the
// same tree in the same run (Linux: opendir/readdir; Windows: FindFirstFileExW
// with the basic level and large fetch). Rounds alternate so both see the same
// cache state; the best round of each counts. Wall time and the process's CPU
// time are reported, since a shared machine disturbs the first.
//
//   directory_reader_bench <folder> [files]
// plants <files> files (default 200000) below <folder> when it is empty.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/posix/wine_prefix.h"
#endif

namespace {

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 10;

bool IsDots(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

#ifdef _WIN32
using NativeString = std::wstring;
#define NS(text) L##text

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
}
bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS; }
void MakeFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::wstring Join(const std::wstring& a, const std::wstring& b) { return a + L"\\" + b; }
std::wstring Num(const wchar_t* prefix, int n) { return prefix + std::to_wstring(n); }
NativeString FromArg(const char* arg) {
  std::string s(arg);
  return std::wstring(s.begin(), s.end());
}
std::wstring WindowsPath(const std::wstring& native) { return native; }

size_t BareWalk(const std::wstring& folder) {
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

double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}
bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }
void MakeFile(const std::string& path) {
  int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0644);
  if (fd >= 0) close(fd);
}
bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}
std::string Join(const std::string& a, const std::string& b) { return a + "/" + b; }
std::string Num(const char* prefix, int n) { return prefix + std::to_string(n); }
NativeString FromArg(const char* arg) { return arg; }
std::wstring WindowsPath(const std::string& native) { return platform::FromNativePath(native); }

size_t BareWalk(const std::string& folder) {
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

// The same walk through the reader, by Windows path.
size_t ReaderWalk(const std::wstring& folder) {
  size_t files = 0;
  platform::DirectoryReader reader(folder + L"\\*");
  while (reader.Next()) {
    const std::wstring& name = reader.Name();
    if (IsDots(name.c_str())) continue;
    if (reader.IsFolder()) files += ReaderWalk(folder + L"\\" + name);
    else ++files;
  }
  return files;
}

void Plant(const NativeString& root, int files) {
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

struct Best {
  double wall = 1e9, cpu = 1e9;
  size_t files = 0;
};

template <typename Walk>
void Measure(Best& best, Walk walk) {
  auto start = std::chrono::steady_clock::now();
  double cpuStart = CpuSeconds();
  best.files = walk();
  best.cpu = std::min(best.cpu, CpuSeconds() - cpuStart);
  best.wall = std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: directory_reader_bench <folder> [files]\n");
    return 2;
  }
  const NativeString root = FromArg(argv[1]);
  const int wanted = argc > 2 ? std::atoi(argv[2]) : 200000;
  if (!Exists(Join(root, NS("t0")))) Plant(root, wanted);
  const std::wstring windowsRoot = WindowsPath(root);

  Best bare, ours;
  for (int round = 0; round < 7; ++round) {
    Measure(bare, [&] { return BareWalk(root); });
    Measure(ours, [&] { return ReaderWalk(windowsRoot); });
  }
  if (ours.files != bare.files) {
    std::printf("reader: counts differ: ours %zu, baseline %zu\n", ours.files, bare.files);
    return 1;
  }
  std::printf("tree: %zu files in %d folders\n", ours.files, kTopFolders * (kSubFolders + 1));
  std::printf("reader (wall): %.0f files/s, baseline %.0f files/s, ratio %.2f\n", ours.files / ours.wall,
              bare.files / bare.wall, bare.wall / ours.wall);
  std::printf("reader (cpu):  %.0f files/s, baseline %.0f files/s, ratio %.2f\n", ours.files / ours.cpu,
              bare.files / bare.cpu, bare.cpu / ours.cpu);
  return 0;
}
