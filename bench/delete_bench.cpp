// The cleaning worker deleting many small files: TCleanThd (method 0, no trim,
// no random names) on a worker thread, handing over to a QueueDispatcher that
// this thread serves, over rows prepared in a ReviewList, against `find DIR
// -type f -delete` on an identical tree. Only the cleaning is timed; runs
// alternate. With --log, the cleaning with every deletion logged to a verbose
// log file (as purgello-cli --log and debug mode do) is compared with the same
// cleaning without a log instead; the log's closing save is timed with it.
//
//   delete_bench [--log] [--files N] [--folders N] [--runs N] [--dir FOLDER] [--lowest-priority]
//
// The files go to a real disk by default (/var/tmp), where a deletion costs
// what it costs users; --dir /dev/shm shows the cost per file above the bare
// unlink instead. Both sides run at normal priority (the product's worker runs
// at the lowest, which only measures the machine's other load); with
// --lowest-priority both run at the lowest. The last line gives both rates in
// files per second.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cleaning/amnesia.h"
#include "cleaning/clean_thread.h"
#include "model/review_list.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/wine_prefix.h"
#include "platform/thread_priority.h"
#include "system/dispatcher.h"
#include "system/log.h"

extern char** environ;

namespace {

struct Tree {
  std::string root;
  std::vector<std::string> files;
};

// folders sub-folders holding files files between them, 64 bytes each.
bool Plant(const std::string& root, size_t files, size_t folders, Tree& tree) {
  tree.root = root;
  tree.files.clear();
  if (mkdir(root.c_str(), 0755) != 0) return false;
  const std::string content(64, 'x');
  std::vector<std::string> folderNames;
  for (size_t f = 0; f < folders; ++f) folderNames.push_back("cache" + std::to_string(f));
  std::sort(folderNames.begin(), folderNames.end());
  for (size_t f = 0; f < folders; ++f) {
    const std::string folder = root + "/" + folderNames[f];
    if (mkdir(folder.c_str(), 0755) != 0) return false;
    std::vector<std::string> names;
    for (size_t i = f; i < files; i += folders) {
      names.push_back("f" + std::to_string(i) + ".tmp");
      const std::string path = folder + "/" + names.back();
      const platform::Descriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
      if (!fd.Valid() || write(fd.Get(), content.data(), content.size()) != ssize_t(content.size())) return false;
    }
    // Rows come in the order an analysis lists them: names sorted as NTFS
    // sorts them (for these names, plain byte order), not creation order.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) tree.files.push_back(folder + "/" + name);
  }
  return true;
}

size_t FilesLeft(const Tree& tree) {
  size_t left = 0;
  for (const std::string& path : tree.files) left += access(path.c_str(), F_OK) == 0;
  return left;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Seconds, or a negative value when files were left. With a log path, every
// deletion is logged there.
double RunOurs(const Tree& tree, bool lowest, const std::string& logPath = std::string()) {
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<TKLog> log;
  if (!logPath.empty()) log.reset(new TKLog(platform::FromNativePath(logPath), 10000, true));
  ReviewList list;
  for (const std::string& path : tree.files) list.Add(L"Temporary File", platform::FromNativePath(path), L"64   b.");
  TAmnesia amnesia;
  QueueDispatcher dispatcher;
  CleanHost host;
  host.dispatcher = &dispatcher;
  host.list = &list;
  host.amnesia = &amnesia;
  host.log = log.get();
  // What a front end that reports per row is handed: the passes, every row's
  // outcome, each sweep's removals and the end.
  size_t handled = 0, removed = 0;
  int passes = 0;
  host.passStarted = [&](int, size_t) { ++passes; };
  host.rowHandled = [&](size_t, const std::wstring&, RowOutcome) { ++handled; };
  host.rowsRemoved = [&](const std::vector<size_t>& rows) { removed += rows.size(); };
  host.done = [&](uint64_t) { dispatcher.Stop(); };
  CleanOptions options;  // method 0, no trim, manual run
  options.logDeletions = log != nullptr;

  // The worker's thread as TCleanThd::Start makes it, but joined.
  std::thread worker([&] {
    if (lowest) platform::SetCurrentThreadLowestPriority();
    const uint64_t freed = TCleanThd::Execute(host, options);
    dispatcher.Invoke([&] { host.done(freed); });
  });
  dispatcher.Serve();
  worker.join();
  log.reset();  // its last save
  const double seconds = Seconds(start);
  if (!logPath.empty() && access(logPath.c_str(), F_OK) != 0) return -1;
  if (handled != tree.files.size() || removed != tree.files.size() || list.Count() != 0) return -1;
  return FilesLeft(tree) == 0 ? seconds : -1;
}

double RunFind(const Tree& tree, bool lowest) {
  std::vector<std::string> args = {"find", tree.root, "-type", "f", "-delete"};
  if (lowest) args.insert(args.begin(), {"nice", "-n", "19"});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  const double seconds = Seconds(start);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && FilesLeft(tree) == 0 ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  size_t files = 100000, folders = 100;
  int runs = 3;
  bool lowest = false, againstLog = false;
  std::string base = "/var/tmp";
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--lowest-priority")) lowest = true;
    else if (!std::strcmp(argv[i], "--log")) againstLog = true;
    else if (!std::strcmp(argv[i], "--files") && hasValue) files = std::strtoull(argv[++i], nullptr, 10);
    else if (!std::strcmp(argv[i], "--folders") && hasValue) folders = std::strtoull(argv[++i], nullptr, 10);
    else if (!std::strcmp(argv[i], "--runs") && hasValue) runs = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--dir") && hasValue) base = argv[++i];
    else {
      std::fprintf(stderr, "delete_bench: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (folders == 0) folders = 1;
  std::string folderTemplate = base + "/pgbench-delete-XXXXXX";
  if (!mkdtemp(folderTemplate.data())) {
    std::perror("delete_bench: mkdtemp");
    return 1;
  }
  const std::string folder = folderTemplate;
  // Drive Z: is "/" in a prefix without drive links: the rows name the files by Z: paths.
  platform::SetWinePrefix({folder, "bench"});
  std::printf("delete_bench: %zu files of 64 bytes in %zu folders, %d runs each, in %s\n", files, folders, runs,
              folder.c_str());

  // The measured side and its baseline: the cleaning against find, or the
  // logged cleaning against the cleaning without a log.
  const char* const names[2] = {againstLog ? "log" : "ours", againstLog ? "bare" : "find"};
  double oursTotal = 0, findTotal = 0;
  bool failed = false;
  for (int run = 0; run < runs && !failed; ++run) {
    for (int turn = 0; turn < 2 && !failed; ++turn) {
      const bool ours = (run + turn) % 2 == 0;
      Tree tree;
      const std::string root = folder + (ours ? "/ours" : "/find");
      if (!Plant(root, files, folders, tree)) {
        std::fprintf(stderr, "delete_bench: cannot plant %s\n", root.c_str());
        failed = true;
        break;
      }
      sync();
      const double seconds = !ours          ? (againstLog ? RunOurs(tree, lowest) : RunFind(tree, lowest))
                             : againstLog ? RunOurs(tree, lowest, folder + "/bench.log")
                                          : RunOurs(tree, lowest);
      std::error_code ec;
      std::filesystem::remove_all(root, ec);
      if (seconds < 0) {
        std::fprintf(stderr, "delete_bench: %s left files behind\n", names[ours ? 0 : 1]);
        failed = true;
        break;
      }
      (ours ? oursTotal : findTotal) += seconds;
      std::printf("run %d: %-4s %9.0f files/s (%.2f s)\n", run + 1, names[ours ? 0 : 1], double(files) / seconds,
                  seconds);
      std::fflush(stdout);
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  if (failed) return 1;

  const double oursRate = double(files) * runs / oursTotal;
  const double findRate = double(files) * runs / findTotal;
  if (againstLog)
    std::printf("log: %.2f s with the log, %.2f s without, ratio %.2f (files/s %.0f and %.0f)\n", oursTotal / runs,
                findTotal / runs, oursTotal / findTotal, oursRate, findRate);
  else
    std::printf("delete: ours %.0f, find %.0f, ratio %.2f\n", oursRate, findRate, oursRate / findRate);
  return 0;
}
