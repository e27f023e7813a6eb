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

#include "bench/bench_tree.h"
#include "platform/file_system.h"

namespace {

using namespace benchtree;


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
