// Recursive listing throughput: ListFiles over a planted tree against a bare
// enumeration loop over the same tree in the same run (Linux: opendir/readdir;
// Windows: FindFirstFileExW). Runs alternate so both see the same cache state.
//
//   listing_bench <folder> [files]
// plants <files> files (default 200000) below <folder> when it is empty.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/listing.h"
#include "bench/bench_tree.h"
#include "platform/process_memory.h"

namespace {

using namespace benchtree;

#ifdef _WIN32
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
#else
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
#endif

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
  if (!Exists(Join(root, NS("t0")))) Plant(root, wanted);

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
