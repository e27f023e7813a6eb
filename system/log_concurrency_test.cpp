// Several threads logging while another saves: every line arrives whole, none
// is lost, and each save writes one consistent picture of the log.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "platform/whole_file.h"
#include "system/log.h"
#include "tests/support/temp_tree.h"

namespace {

constexpr int kWriters = 4;

struct Parsed {
  int writer;
  int sequence;
};

// "Info|Error <TAB> [yy-mm-dd hh:mm:ss] <TAB> w<writer> <sequence>"; false for a torn line.
bool ParseLine(const std::string& line, Parsed& out) {
  size_t tab1 = line.find('\t');
  if (tab1 == std::string::npos) return false;
  std::string level = line.substr(0, tab1);
  if (level != "Info" && level != "Error") return false;
  size_t tab2 = line.find('\t', tab1 + 1);
  if (tab2 != tab1 + 20) return false;
  const std::string stamp = line.substr(tab1 + 1, 19);
  if (stamp.size() != 19 || stamp[0] != '[' || stamp[18] != ']' || stamp[3] != '-' || stamp[9] != ' ') return false;
  std::string message = line.substr(tab2 + 1);
  if (message.size() < 4 || message[0] != 'w' || message[2] != ' ') return false;
  out.writer = message[1] - '0';
  size_t used = 0;
  out.sequence = std::stoi(message.substr(3), &used);
  return used == message.size() - 3 && out.writer >= 0 && out.writer < kWriters;
}

// Newest first, so each writer's lines must read n-1, n-2, ..., 0 from the top:
// any gap is a lost line. Returns the number of lines, or -1 when broken.
int CheckSnapshot(const std::string& file) {
  std::map<int, int> expectNext;  // writer -> next sequence expected further down
  int count = 0;
  size_t start = 0;
  while (start < file.size()) {
    size_t end = file.find("\r\n", start);
    if (end == std::string::npos) return -1;
    Parsed p{};
    if (!ParseLine(file.substr(start, end - start), p)) return -1;
    auto it = expectNext.find(p.writer);
    if (it != expectNext.end() && p.sequence != it->second) return -1;
    expectNext[p.writer] = p.sequence - 1;
    ++count;
    start = end + 2;
  }
  for (const auto& entry : expectNext)
    if (entry.second != -1) return -1;
  return count;
}

std::string Joined(const std::vector<std::wstring>& lines) {
  std::string out;
  for (const std::wstring& line : lines) out += std::string(line.begin(), line.end()) + "\r\n";
  return out;
}

bool ReadBack(const std::wstring& path, std::string& bytes) {
  return platform::ReadWholeFile(path, 64u << 20, bytes) == platform::WholeFileRead::Ok;
}

void RunWriters(TKLog& log, int linesEach) {
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&log, w, linesEach] {
      for (int i = 0; i < linesEach; ++i)
        log.Add(L"w" + std::to_wstring(w) + L" " + std::to_wstring(i), i % 2 ? kLogError : kLogInfo);
    });
  }
  for (std::thread& t : writers) t.join();
}

TEST(LogConcurrencyTest, SavesDuringAddsWriteWholeConsistentSnapshots) {
  testsupport::TempTree tree;
  const std::wstring path = tree.Path(L"Purgello.log");
  const int linesEach = 400;
  TKLog log(path, 100000, false);

  std::atomic<bool> done{false};
  int saves = 0;
  int badSnapshots = 0;
  std::thread saver([&] {
    while (!done.load()) {
      log.Save();
      std::string file;
      if (!ReadBack(path, file) || CheckSnapshot(file) < 0) ++badSnapshots;
      ++saves;
    }
  });
  RunWriters(log, linesEach);
  done = true;
  saver.join();

  EXPECT_EQ(badSnapshots, 0) << "of " << saves << " saves";
  log.Save();
  std::string file;
  ASSERT_TRUE(ReadBack(path, file));
  EXPECT_EQ(CheckSnapshot(file), kWriters * linesEach);
  EXPECT_EQ(file, Joined(log.Lines()));
}

TEST(LogConcurrencyTest, VerboseAddsFromSeveralThreadsLoseNothing) {
  testsupport::TempTree tree;
  const std::wstring path = tree.Path(L"Purgello.log");
  const int linesEach = 150;
  TKLog log(path, 10000, true);
  std::atomic<bool> done{false};
  std::thread viewer([&] {
    // Explicit saves interleaved with the writers' own saves after each line.
    while (!done.load()) log.Save();
  });
  RunWriters(log, linesEach);
  done = true;
  viewer.join();
  log.Flush();  // the last lines may still wait for their save

  std::string file;
  ASSERT_TRUE(ReadBack(path, file));
  EXPECT_EQ(CheckSnapshot(file), kWriters * linesEach);
  EXPECT_EQ(file, Joined(log.Lines()));
}

}  // namespace
