#include "system/log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/text_codec.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_tree.h"

namespace {

using testsupport::FakeClock;
using testsupport::TempTree;

struct OpenerSpy {
  std::vector<std::wstring> opened;
  TKLog::FileOpener Opener() {
    return [this](const std::wstring& path) {
      opened.push_back(path);
      return true;
    };
  }
};

const wchar_t kStamp[] = L"[26-03-14 09:05:07]";

TEST(LogTest, LineFormat) {
  struct Case {
    int level;
    std::wstring text;
    platform::LocalTime time;
    std::wstring separator;
    std::wstring expected;
  };
  const Case cases[] = {
      {1, L"Starting", {2026, 3, 14, 9, 5, 7}, L":", L"Info\t[26-03-14 09:05:07]\tStarting"},
      {0, L"Debug mode", {2000, 1, 2, 0, 0, 0}, L":", L"Verbose\t[00-01-02 00:00:00]\tDebug mode"},
      {2, L"[FAILED] - Error 5", {2009, 12, 31, 23, 59, 58}, L".", L"Error\t[09-12-31 23.59.58]\t[FAILED] - Error 5"},
      {5, L"clamped", {2026, 3, 14, 9, 5, 7}, L":", L"Error\t[26-03-14 09:05:07]\tclamped"},
      {-3, L"below range", {2026, 3, 14, 9, 5, 7}, L":", L"Verbose\t[26-03-14 09:05:07]\tbelow range"},
      {1, L"", {2026, 3, 14, 9, 5, 7}, L":", L"Info\t[26-03-14 09:05:07]\t"},
      {1, L"  tab\there %s \u00e9\u4e2d ", {2026, 3, 14, 9, 5, 7}, L":", L"Info\t[26-03-14 09:05:07]\t  tab\there %s \u00e9\u4e2d "},
  };
  TempTree tree;
  for (const Case& c : cases) {
    FakeClock clock;
    clock.now = c.time;
    clock.separator = c.separator;
    TKLog log(tree.Path(L"format.log"), 10000, true, clock);
    log.Add(c.text, LogLevel(c.level));
    EXPECT_EQ(log.Lines(), std::vector<std::wstring>{c.expected});
  }
}

TEST(LogTest, Level0IsKeptOnlyWhenVerbose) {
  TempTree tree;
  FakeClock clock;
  {
    TKLog quiet(tree.Path(L"quiet.log"), 10000, false, clock);
    quiet.Add(L"Debug mode", kLogVerbose);
    quiet.Add(L"Starting", kLogInfo);
    quiet.Add(L"hidden", kLogVerbose);
    EXPECT_EQ(quiet.Lines(), std::vector<std::wstring>{L"Info\t" + std::wstring(kStamp) + L"\tStarting"});
    // Not verbose: nothing is written until a save.
    EXPECT_FALSE(tree.Exists(L"quiet.log"));
    quiet.Save();
  }
  EXPECT_EQ(tree.ReadFile(L"quiet.log"), "Info\t[26-03-14 09:05:07]\tStarting\r\n");

  TKLog verbose(tree.Path(L"verbose.log"), 10000, true, clock);
  verbose.Add(L"Starting", kLogInfo);
  EXPECT_EQ(tree.ReadFile(L"verbose.log"), "Info\t[26-03-14 09:05:07]\tStarting\r\n");
  clock.ticks += TKLog::kVerboseSaveInterval;
  verbose.Add(L"Debug mode", kLogVerbose);
  // Verbose: the whole file is rewritten, newest first.
  EXPECT_EQ(tree.ReadFile(L"verbose.log"),
            "Verbose\t[26-03-14 09:05:07]\tDebug mode\r\n"
            "Info\t[26-03-14 09:05:07]\tStarting\r\n");
}

// Lines that come faster than the interval wait in memory (no rewrite per
// line), and reach the file once the interval has passed, at a flush, or at
// destruction.
TEST(LogTest, VerboseSavesAtMostOncePerIntervalYetNothingWaitsLong) {
  TempTree tree;
  FakeClock clock;
  const std::string one = "Info\t[26-03-14 09:05:07]\tone\r\n";
  const std::string two = "Info\t[26-03-14 09:05:07]\ttwo\r\n" + one;
  const std::string three = "Info\t[26-03-14 09:05:07]\tthree\r\n" + two;
  const std::string four = "Info\t[26-03-14 09:05:07]\tfour\r\n" + three;
  {
    TKLog log(tree.Path(L"v.log"), 10000, true, clock);
    log.Add(L"one", kLogInfo);
    EXPECT_EQ(tree.ReadFile(L"v.log"), one);  // the first line at once
    clock.ticks += TKLog::kVerboseSaveInterval - 1;
    log.Add(L"two", kLogInfo);
    EXPECT_EQ(tree.ReadFile(L"v.log"), one);
    log.Flush();
    EXPECT_EQ(tree.ReadFile(L"v.log"), two);
    log.Add(L"three", kLogInfo);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(tree.ReadFile(L"v.log"), two) << "saved before the log's clock moved on";
    clock.ticks += TKLog::kVerboseSaveInterval;
    // No further line comes: the log saves by itself.
    for (int i = 0; i < 100 && tree.ReadFile(L"v.log") != three; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(tree.ReadFile(L"v.log"), three);
    log.Add(L"four", kLogInfo);
    EXPECT_EQ(tree.ReadFile(L"v.log"), three);
  }
  EXPECT_EQ(tree.ReadFile(L"v.log"), four);
}

TEST(LogTest, AFileThatCannotBeWrittenIsTold) {
  TempTree tree;
  FakeClock clock;
  tree.MakeFolder(L"taken.log");  // a folder where the file should be
  TKLog taken(tree.Path(L"taken.log"), 10000, false, clock);
  taken.Add(L"Starting", kLogInfo);
  EXPECT_FALSE(taken.LastSaveFailed());
  taken.Save();
  EXPECT_TRUE(taken.LastSaveFailed());
  // A missing folder is left alone on purpose: no failure.
  TKLog homeless(tree.Path(L"gone\\x.log"), 10000, false, clock);
  homeless.Save();
  EXPECT_FALSE(homeless.LastSaveFailed());
  TKLog fine(tree.Path(L"fine.log"), 10000, false, clock);
  fine.Save();
  EXPECT_FALSE(fine.LastSaveFailed());
}

TEST(LogTest, FileIsNewestFirstCrLfInAnsiAndReplacesOldContent) {
  TempTree tree;
  std::wstring path = tree.WriteFile(L"Purgello.log", std::string(5000, 'x'));
  FakeClock clock;
  TKLog log(path, 10000, false, clock);
  log.Add(L"first", kLogInfo);
  clock.now.second = 8;
  log.Add(L"second", kLogError);
  const std::wstring accented = L"Analyzing : Caf\u00e9";
  log.Add(accented, kLogInfo);
  log.Save();

  std::string expected = platform::ToAnsi(L"Info\t[26-03-14 09:05:08]\t" + accented) + "\r\n" +
                         "Error\t[26-03-14 09:05:08]\tsecond\r\n"
                         "Info\t[26-03-14 09:05:07]\tfirst\r\n";
  EXPECT_EQ(tree.ReadFile(L"Purgello.log"), expected);
  // A single byte per character in the ANSI code page: no UTF-16, no byte-order mark.
  EXPECT_EQ(tree.ReadFile(L"Purgello.log").compare(0, 4, "Info"), 0);
}

TEST(LogTest, The10001stLineDropsTheOldest) {
  TempTree tree;
  FakeClock clock;
  TKLog log(tree.Path(L"bound.log"), 10000, false, clock);
  for (int i = 1; i <= 10001; ++i) log.Add(L"line " + std::to_wstring(i), kLogInfo);
  std::vector<std::wstring> lines = log.Lines();
  ASSERT_EQ(lines.size(), 10000u);
  EXPECT_EQ(lines.front(), L"Info\t" + std::wstring(kStamp) + L"\tline 10001");
  EXPECT_EQ(lines.back(), L"Info\t" + std::wstring(kStamp) + L"\tline 2");

  log.Save();
  std::string file = tree.ReadFile(L"bound.log");
  const std::string newest = "Info\t[26-03-14 09:05:07]\tline 10001\r\n";
  const std::string oldest = "Info\t[26-03-14 09:05:07]\tline 2\r\n";
  EXPECT_EQ(file.compare(0, newest.size(), newest), 0);
  ASSERT_GE(file.size(), oldest.size());
  EXPECT_EQ(file.substr(file.size() - oldest.size()), oldest);
  size_t lineEnds = 0;
  for (size_t pos = file.find("\r\n"); pos != std::string::npos; pos = file.find("\r\n", pos + 2)) ++lineEnds;
  EXPECT_EQ(lineEnds, 10000u);
}

TEST(LogTest, ClearThenDestructionLeavesAnEmptyFile) {
  TempTree tree;
  FakeClock clock;
  {
    TKLog log(tree.Path(L"clear.log"), 10000, false, clock);
    log.Add(L"Starting", kLogInfo);
    log.Save();
    ASSERT_FALSE(tree.ReadFile(L"clear.log").empty());
    log.Clear();
    EXPECT_TRUE(log.Lines().empty());
  }
  EXPECT_TRUE(tree.Exists(L"clear.log"));
  EXPECT_EQ(tree.ReadFile(L"clear.log"), "");
}

TEST(LogTest, DestructionSaves) {
  TempTree tree;
  FakeClock clock;
  {
    TKLog log(tree.Path(L"end.log"), 10000, false, clock);
    log.Add(L"End of cleaning", kLogInfo);
    EXPECT_FALSE(tree.Exists(L"end.log"));
  }
  EXPECT_EQ(tree.ReadFile(L"end.log"), "Info\t[26-03-14 09:05:07]\tEnd of cleaning\r\n");
}

// The data folder deleted while the program runs: the log keeps working in
// memory, writes nothing, recreates nothing, and the viewer is still asked.
TEST(LogTest, MissingFolderIsNeverCreatedAndTheViewerIsStillAsked) {
  TempTree tree;
  FakeClock clock;
  OpenerSpy spy;
  const std::wstring path = tree.Path(L"gone\\Purgello.log");
  {
    TKLog log(path, 10000, true, clock, spy.Opener());
    log.Add(L"Starting", kLogInfo);
    log.Save();
    log.Clear();
    log.Add(L"again", kLogError);
    EXPECT_TRUE(log.OpenInViewer());
    EXPECT_EQ(log.Lines().size(), 1u);
  }
  EXPECT_EQ(spy.opened, std::vector<std::wstring>{path});
  EXPECT_FALSE(tree.Exists(L"gone"));
}

TEST(LogTest, OpenInViewerSavesFirst) {
  TempTree tree;
  FakeClock clock;
  std::string seenByViewer;
  TKLog log(tree.Path(L"open.log"), 10000, false, clock, [&](const std::wstring& path) {
    EXPECT_EQ(path, tree.Path(L"open.log"));
    seenByViewer = tree.ReadFile(L"open.log");
    return false;
  });
  log.Add(L"Starting", kLogInfo);
  EXPECT_FALSE(log.OpenInViewer());
  EXPECT_EQ(seenByViewer, "Info\t[26-03-14 09:05:07]\tStarting\r\n");
}

TEST(LogTest, LoggingThroughANullLogDoesNothing) {
  TempTree tree;
  FakeClock clock;
  LogAdd(nullptr, L"lost", kLogError);
  TKLog log(tree.Path(L"null.log"), 10000, false, clock);
  LogAdd(&log, L"kept", kLogError);
  EXPECT_EQ(log.Lines(), std::vector<std::wstring>{L"Error\t" + std::wstring(kStamp) + L"\tkept"});
}

}  // namespace
