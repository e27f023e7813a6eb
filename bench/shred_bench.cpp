// Three-pass secure deletion of a large file: TAmnesia::ShredFile (method 2,
// random name, trim) against GNU shred -n 3 -u on an identical file, runs
// alternating. Both flush every pass to the device: ours always, shred by
// default (fdatasync after each pass; -u also renames and syncs before the
// unlink, as our random name and trim stand against).
//
//   shred_bench [--size-mib N] [--runs N] [--dir FOLDER]
//
// The files go to a folder on a real disk (not tmpfs), where flushes cost
// what they cost for users. The last line gives both rates in MB/s.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cleaning/amnesia.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/wine_prefix.h"

extern char** environ;

namespace {

constexpr long kTmpfsMagic = 0x01021994;
constexpr long kRamfsMagic = 0x858458f6;

bool OnRealDisk(const std::string& folder) {
  struct statfs fs;
  return statfs(folder.c_str(), &fs) == 0 && long(fs.f_type) != kTmpfsMagic && long(fs.f_type) != kRamfsMagic;
}

// The same pseudo-random content for every file, so both sides get identical work.
bool MakeFile(const std::string& path, uint64_t size) {
  const platform::Descriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.Valid()) return false;
  std::vector<uint64_t> block(1 << 17);  // 1 MiB
  uint64_t state = 0x9E3779B97F4A7C15ull;
  bool ok = true;
  for (uint64_t done = 0; ok && done < size;) {
    for (uint64_t& word : block) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      word = state;
    }
    size_t count = size_t(std::min<uint64_t>(size - done, block.size() * sizeof(uint64_t)));
    ok = write(fd.Get(), block.data(), count) == ssize_t(count);
    done += count;
  }
  return ok && fsync(fd.Get()) == 0;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Seconds taken, or a negative value when the file was not deleted.
double RunOurs(const std::string& path) {
  TAmnesia amnesia;
  amnesia.scrambleNames = true;
  auto start = std::chrono::steady_clock::now();
  ShredResult result = amnesia.ShredFile(platform::FromNativePath(path), DeletionMethod::ThreePassDoD, true);
  double seconds = Seconds(start);
  return result.Deleted() && !Exists(path) ? seconds : -1;
}

double RunShred(const std::string& path) {
  std::vector<std::string> args = {"shred", "-n", "3", "-u", path};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, "shred", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  double seconds = Seconds(start);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && !Exists(path) ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t sizeMiB = 256;
  int runs = 3;
  std::string base;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--size-mib")) sizeMiB = std::strtoull(argv[i + 1], nullptr, 10);
    else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--dir")) base = argv[i + 1];
  }
  if (base.empty()) {
    for (const char* candidate : {"/var/tmp", "/tmp", "."}) {
      if (OnRealDisk(candidate)) {
        base = candidate;
        break;
      }
    }
  }
  if (base.empty() || !OnRealDisk(base)) {
    std::fprintf(stderr, "shred_bench: no folder on a real disk (give --dir)\n");
    return 1;
  }
  std::string folderTemplate = base + "/pgbench-shred-XXXXXX";
  if (!mkdtemp(folderTemplate.data())) {
    std::perror("shred_bench: mkdtemp");
    return 1;
  }
  const std::string folder = folderTemplate;
  const uint64_t size = sizeMiB << 20;
  const double megabytes = double(size) / 1e6;
  std::printf("shred_bench: %llu MiB file, %d runs each, in %s\n", (unsigned long long)sizeMiB, runs, folder.c_str());

  double oursTotal = 0, shredTotal = 0;
  bool failed = false;
  for (int run = 0; run < runs && !failed; ++run) {
    // Who goes first alternates, so neither side always meets a warmer disk.
    for (int turn = 0; turn < 2 && !failed; ++turn) {
      const bool ours = (run + turn) % 2 == 0;
      const std::string path = folder + (ours ? "/ours.bin" : "/theirs.bin");
      if (!MakeFile(path, size)) {
        std::fprintf(stderr, "shred_bench: cannot write %s\n", path.c_str());
        failed = true;
        break;
      }
      sync();
      double seconds = ours ? RunOurs(path) : RunShred(path);
      if (seconds < 0) {
        std::fprintf(stderr, "shred_bench: %s did not delete %s\n", ours ? "ShredFile" : "shred", path.c_str());
        failed = true;
        break;
      }
      (ours ? oursTotal : shredTotal) += seconds;
      std::printf("run %d: %-5s %8.1f MB/s (%.2f s)\n", run + 1, ours ? "ours" : "shred", megabytes / seconds, seconds);
      std::fflush(stdout);
    }
  }
  unlink((folder + "/ours.bin").c_str());
  unlink((folder + "/theirs.bin").c_str());
  rmdir(folder.c_str());
  if (failed) return 1;

  const double oursRate = megabytes * runs / oursTotal;
  const double shredRate = megabytes * runs / shredTotal;
  std::printf("shred: ours %.1f, shred %.1f, ratio %.2f\n", oursRate, shredRate, oursRate / shredRate);
  return 0;
}
