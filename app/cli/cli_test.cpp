// The built purgello-cli run end to end over a planted Wine prefix: what it
// writes on each stream, its exit code, and the files it leaves on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/wine_prefix.h"
#include "platform/text_codec.h"
#include "tests/support/held_file.h"
#include "tests/support/planted_prefix.h"

namespace {

const std::wstring kWinTemp = L"C:\\windows\\Temp\\";
const std::wstring kWin = L"C:\\windows\\";

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string U8(const std::wstring& text) { return platform::ToUtf8(text); }

class Cli : public ::testing::Test {
 protected:
  // Runs the program with args; the prefix and user are added unless told not to.
  Outcome Start(std::vector<std::string> args, bool addPrefix = true) {
    if (addPrefix) {
      args.push_back("--prefix");
      args.push_back(prefix.Root());
      args.push_back("--user");
      args.push_back("tester");
    }
    const std::string outPath = prefix.Root() + "/stdout", errPath = prefix.Root() + "/stderr";
    std::vector<char*> argv;
    std::string program = PURGELLO_CLI;
    argv.push_back(program.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int closedOut[2] = {-1, -1};
    if (outClosed && pipe(closedOut) != 0) return Outcome{};
    const pid_t pid = fork();
    if (pid == 0) {
      if (openFiles) {
        const rlimit limit{openFiles, openFiles};
        setrlimit(RLIMIT_NOFILE, &limit);
      }
      if (withoutDacOverride) DropDacOverride();
      int out = outClosed ? closedOut[1] : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (outClosed) close(closedOut[0]);  // the reader is gone before the first line
      dup2(out, 1);
      dup2(err, 2);
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (outClosed) {
      close(closedOut[0]);
      close(closedOut[1]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    return run;
  }

  bool Exists(const std::wstring& windowsPath) {
    std::string native;
    platform::ToNativePath(windowsPath, native);
    struct stat st;
    return lstat(native.c_str(), &st) == 0;
  }

  void SetAge(const std::wstring& windowsPath, int seconds) {
    std::string native;
    platform::ToNativePath(windowsPath, native);
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, native.c_str(), times, 0), 0);
  }

  size_t TrashItems() {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(prefix.Root() + "/xdg/Trash/files")) {
      (void)entry;
      ++n;
    }
    return n;
  }

  // Root reads every folder whatever its mode; without these two capabilities
  // (dropped for the program it starts) the mode holds for it too.
  static void DropDacOverride() {
    prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
  }

  // Whether a folder of mode 000 keeps the program out here.
  static bool ModeKeepsOut(const std::string& folder) {
    const pid_t pid = fork();
    if (pid == 0) {
      DropDacOverride();
      const char* shell[] = {"/bin/ls", folder.c_str(), nullptr};
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execv(shell[0], const_cast<char**>(shell));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 127;
  }

  testsupport::PlantedPrefix prefix;
  rlim_t openFiles = 0;             // the program's descriptor limit, when set
  bool outClosed = false;           // standard output: a pipe nobody reads
  bool withoutDacOverride = false;  // the program runs without root's free reading
};

TEST_F(Cli, ListShowsEveryCategoryInVisitingOrderWithItsDefault) {
  Outcome run = Start({"list"}, false);
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), kCategoryCount);
  EXPECT_EQ(lines[0], "Recycle_Bin\tRecycle Bin\ton");
  EXPECT_EQ(lines[2], "Windows_Installer_Duplicates\tWindows Installer Duplicate\toff");
  EXPECT_EQ(lines[5], "Spybot_Update_Cache\tSpybot Update Cache\ton");
  EXPECT_EQ(lines[17], "Temporary_Files\tTemporary File\ton");
  EXPECT_EQ(lines[41], "Windows_Log_files\tWindows Log files\ton");
  for (size_t i = 0; i < kCategoryCount; ++i)
    EXPECT_EQ(lines[i], U8(kCatalogue[i].key) + "\t" + U8(kCatalogue[i].itemCaption) + "\t" +
                            (kCatalogue[i].enabledByDefault ? "on" : "off"));
  EXPECT_EQ(run.err, "");
}

TEST_F(Cli, SelectionOptionsApplyInOrderFromTheDefaults) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> on;  // empty with allBut: every key but these
    bool allBut;
  };
  const std::vector<Case> cases = {
      {{}, {"Windows_Installer_Duplicates", "Adobe_Reader_Installer_Cache", "Hotfixes_Uninstallers"}, true},
      {{"--all"}, {}, true},
      {{"--only", "Temporary_Files,windows_log_files"}, {"Temporary_Files", "Windows_Log_files"}, false},
      {{"--only=Cookies"}, {"Cookies"}, false},
      {{"--all", "--disable", "Recycle_Bin,Cookies"}, {"Recycle_Bin", "Cookies"}, true},
      {{"--disable", "Recycle_Bin", "--enable", "Hotfixes_Uninstallers"},
       {"Recycle_Bin", "Windows_Installer_Duplicates", "Adobe_Reader_Installer_Cache"}, true},
      {{"--only", "Cookies", "--enable", "Recycle_Bin"}, {"Recycle_Bin", "Cookies"}, false},
      {{"--enable", "Cookies", "--only", "Recycle_Bin"}, {"Recycle_Bin"}, false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"list"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Outcome run = Start(args, false);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> expected;
    for (const Category& category : kCatalogue) {
      const std::string key = U8(category.key);
      const bool named = std::find(c.on.begin(), c.on.end(), key) != c.on.end();
      expected.push_back(key + "\t" + U8(category.itemCaption) + "\t" + (named != c.allBut ? "on" : "off"));
    }
    EXPECT_EQ(Lines(run.out), expected) << (c.args.empty() ? "(defaults)" : c.args[0]);
  }
}

TEST_F(Cli, PreviewListsWhatTheAnalysisFindsAndDeletesNothing) {
  prefix.Plant(kWinTemp + L"a.tmp", "aaaa");
  prefix.Plant(kWinTemp + L"sub\\\u00fc b.tmp", std::string(1536, 'u'));
  prefix.Plant(kWinTemp + L"desktop.ini", "x");
  prefix.Plant(kWin + L"setupact.log", "bb");
  prefix.PutInRecycleBin("binned", 2048);

  Outcome run = Start({"preview"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                "Recycle Bin\t\t2048",
                                "Temporary File\tC:\\windows\\Temp\\a.tmp\t4",
                                "Temporary File\tC:\\windows\\Temp\\sub\\\xc3\xbc b.tmp\t1536",
                                "Windows Log files\tC:\\windows\\setupact.log\t2",
                            }));
  EXPECT_EQ(run.err, "Found: 4 items, 3.51 Kb. (3590 bytes)\n");
  EXPECT_TRUE(Exists(kWinTemp + L"a.tmp"));
  EXPECT_TRUE(Exists(kWinTemp + L"sub\\\u00fc b.tmp"));
  EXPECT_TRUE(Exists(kWin + L"setupact.log"));
  EXPECT_EQ(TrashItems(), 1u);

  run = Start({"preview", "--disable", "Recycle_Bin,Windows_Log_files"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Lines(run.out).size(), 2u);
  EXPECT_EQ(run.err, "Found: 2 items, 1.5 Kb. (1540 bytes)\n");

  run = Start({"preview", "--only", "Cookies"});
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Found: 0 items, 0    b. (0 bytes)\n");

  // The same rows as CSV: a byte-order mark, then caption, path, bytes, checked.
  // A Linux name with quotes: Windows shows them as U+F022.
  std::string temp;
  ASSERT_TRUE(platform::ToNativePath(L"C:\\windows\\Temp", temp));
  std::ofstream(temp + "/a,\"b\".tmp") << "q";
  run = Start({"preview", "--csv", "--disable", "Windows_Log_files"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "\xEF\xBB\xBFRecycle Bin,,2048,1\r\n"
            "Temporary File,\"C:\\windows\\Temp\\a,\xEF\x80\xA2" "b\xEF\x80\xA2.tmp\",1,1\r\n"
            "Temporary File,C:\\windows\\Temp\\a.tmp,4,1\r\n"
            "Temporary File,C:\\windows\\Temp\\sub\\\xc3\xbc b.tmp,1536,1\r\n");
  EXPECT_EQ(run.err, "Found: 4 items, 3.5 Kb. (3589 bytes)\n");
}

TEST_F(Cli, CleanDeletesTheSelectedRowsAndReportsEach) {
  prefix.Plant(kWinTemp + L"a.tmp", "aaaa");
  prefix.Plant(kWinTemp + L"sub\\b.tmp", "bbbbbb");
  prefix.Plant(kWin + L"setupact.log", "kept");
  prefix.PutInRecycleBin("binned", 100);
  const std::string log = prefix.Root() + "/clean.log";

  Outcome run = Start({"clean", "--only", "Recycle_Bin,Temporary_Files", "--method", "3pass", "--trim", "--scramble",
                   "--log", log});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"deleted\tRecycle Bin", "deleted\tC:\\windows\\Temp\\a.tmp",
                                                       "deleted\tC:\\windows\\Temp\\sub\\b.tmp"}));
  EXPECT_EQ(run.err,
            "Found: 3 items, 110  b. (110 bytes)\n"
            "Pass 1 : 3 items to be deleted\n"
            "Pass 2 : 0 items to be deleted\n"
            "Deleted: 3, failed: 0, skipped: 0, scheduled: 0\n"
            "Freed: 110  b. (110 bytes)\n");
  EXPECT_FALSE(Exists(kWinTemp + L"a.tmp"));
  EXPECT_FALSE(Exists(kWinTemp + L"sub\\b.tmp"));
  EXPECT_TRUE(Exists(kWinTemp + L"sub"));  // folders are never found, never removed
  EXPECT_TRUE(Exists(kWin + L"setupact.log"));
  EXPECT_EQ(TrashItems(), 0u);

  // The log: verbose, newest line first, every deletion logged under its found name.
  const std::string text = ReadAll(log);
  for (const char* line :
       {"Start of analysis", "Analyzing : Temporary Files", "Start of cleaning", "Method : 3 pass random (DoD)",
        "Deletion of : C:\\windows\\Temp\\a.tmp [SUCCESS]", "Pass 2 : 0 items to be deleted", "End of cleaning"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_EQ(text.find("Analyzing : Cookies"), std::string::npos);
  EXPECT_EQ(text.rfind("Info\t[", 0), 0u);
  EXPECT_NE(text.find("End of cleaning\r\n"), std::string::npos);
  EXPECT_LT(text.find("End of cleaning"), text.find("Start of analysis"));
}

// Recycled files can be restored from the desktop's trash: each has its
// .trashinfo with the path it came from. The bin is emptied before anything
// goes into it.
TEST_F(Cli, CleanWithRecycleMovesFilesIntoTheTrash) {
  prefix.Plant(kWinTemp + L"a.tmp", "aaaa");
  prefix.Plant(kWinTemp + L"sub\\b c.tmp", "bbbbbb");
  prefix.PutInRecycleBin("binned", 100);
  const std::string log = prefix.Root() + "/clean.log";

  Outcome run = Start({"clean", "--only", "Recycle_Bin,Temporary_Files", "--method", "recycle", "--log", log});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"deleted\tRecycle Bin", "recycled\tC:\\windows\\Temp\\a.tmp",
                                                       "recycled\tC:\\windows\\Temp\\sub\\b c.tmp"}));
  EXPECT_EQ(run.err,
            "Found: 3 items, 110  b. (110 bytes)\n"
            "Pass 1 : 3 items to be deleted\n"
            "Pass 2 : 0 items to be deleted\n"
            "Deleted: 1, failed: 0, skipped: 0, scheduled: 0, recycled: 2\n"
            "Freed: 100  b. (100 bytes)\n");
  const std::string trash = prefix.Root() + "/xdg/Trash/";
  EXPECT_EQ(TrashItems(), 2u);
  EXPECT_EQ(ReadAll(trash + "files/a.tmp"), "aaaa");
  EXPECT_EQ(ReadAll(trash + "files/b c.tmp"), "bbbbbb");
  const std::string drive = std::filesystem::canonical(prefix.Root() + "/drive_c").string();
  const std::string info = "[Trash Info]\nPath=" + drive + "/windows/Temp/sub/b%20c.tmp\nDeletionDate=";
  EXPECT_EQ(ReadAll(trash + "info/b c.tmp.trashinfo").substr(0, info.size()), info);
  EXPECT_FALSE(Exists(kWinTemp + L"a.tmp"));
  const std::string text = ReadAll(log);
  for (const char* line : {"Method : Recycle Bin", "Deletion of : C:\\windows\\Temp\\a.tmp [SUCCESS]"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(Cli, AutomaticRunsKeepYoungTemporaryFiles) {
  const std::wstring young = prefix.Plant(kWinTemp + L"young.tmp", "y");
  const std::wstring old = prefix.Plant(kWinTemp + L"old.tmp", "o");
  const std::wstring youngLog = prefix.Plant(kWin + L"setupact.log", "l");  // no "Temp" in its caption
  SetAge(young, 59 * 60);
  SetAge(old, 61 * 60);
  SetAge(youngLog, 60);

  Outcome run = Start({"clean", "--only", "Temporary_Files,Windows_Log_files", "--automatic"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Lines(run.out),
            (std::vector<std::string>{"deleted\tC:\\windows\\Temp\\old.tmp", "deleted\tC:\\windows\\setupact.log",
                                      "skipped\tC:\\windows\\Temp\\young.tmp"}));
  EXPECT_NE(run.err.find("Deleted: 2, failed: 0, skipped: 1, scheduled: 0\n"), std::string::npos) << run.err;
  EXPECT_TRUE(Exists(young));
  EXPECT_FALSE(Exists(old));

  // A manual run takes it.
  run = Start({"clean", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "deleted\tC:\\windows\\Temp\\young.tmp\n");
  EXPECT_FALSE(Exists(young));
}

#ifdef __linux__
TEST_F(Cli, AFileThatCannotBeDeletedIsReportedOnceAsFailed) {
  prefix.Plant(kWinTemp + L"a.tmp", "a");
  const std::wstring held = prefix.Plant(kWinTemp + L"held.tmp", "h");
  prefix.Plant(kWinTemp + L"z.tmp", "z");
  Outcome run;
  {
    testsupport::HeldFile hold(held);
    if (!hold.Held()) GTEST_SKIP() << "cannot hold a file against deletion here";
    run = Start({"clean", "--only", "Temporary_Files"});
  }
  EXPECT_EQ(run.exitCode, 1);
  // Tried in both passes, reported once, after the rows that went.
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"deleted\tC:\\windows\\Temp\\a.tmp",
                                                       "deleted\tC:\\windows\\Temp\\z.tmp",
                                                       "failed\tC:\\windows\\Temp\\held.tmp"}));
  EXPECT_NE(run.err.find("Pass 2 : 1 items to be deleted\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Deleted: 2, failed: 1, skipped: 0, scheduled: 0\nFreed: 2    b. (2 bytes)\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(Exists(held));
}
#endif

// Linux names Windows cannot hold as they stand: each is one name of its own,
// never a path, and nothing outside what was found is touched.
TEST_F(Cli, OddLinuxNamesAreCleanedAsThemselvesAndNothingElse) {
  const std::string c = prefix.Root() + "/drive_c", temp = c + "/windows/Temp/";
  auto write = [](const std::string& path) { std::ofstream(path, std::ios::binary) << "data"; };
  const std::string outside = prefix.Root() + "/outside";
  mkdir(outside.c_str(), 0700);
  write(outside + "/keep1.tmp");
  write(outside + "/y-target");
  mkdir((c + "/users/tester/Documents").c_str(), 0700);
  write(c + "/users/tester/Documents/thesis.docx");
  mkdir((c + "/Program Files/App").c_str(), 0700);
  write(c + "/Program Files/App/app.exe");

  ASSERT_EQ(symlink(outside.c_str(), (temp + "linkdir").c_str()), 0);
  ASSERT_EQ(symlink((outside + "/y-target").c_str(), (temp + "\xc3\xbf").c_str()), 0);  // "ÿ"
  const std::vector<std::string> junk = {  // paths below Temp, "/" between Linux names
      "linkdir\\keep1.tmp",
      "linkdir\xc1\x9ckeep1.tmp",  // an overlong "\"
      "..\\..\\users\\tester\\Documents\\thesis.docx",
      "twin\xe9.tmp",
      "twin\xc3\xa9.tmp",
      "\xff",
      "star*?.tmp",
      "..\\../inner.tmp",  // inside the folder "..\.."
  };
  mkdir((temp + "..\\..\\Program Files").c_str(), 0700);
  mkdir((temp + "..\\..").c_str(), 0700);
  for (const std::string& name : junk) write(temp + name);

  Outcome run = Start({"preview", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> rows = Lines(run.out);
  EXPECT_EQ(rows.size(), junk.size()) << run.out;  // a link is not a found file
  std::vector<std::string> paths;
  for (const std::string& row : rows) paths.push_back(row.substr(row.find('\t') + 1, row.rfind('\t') - row.find('\t') - 1));
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(std::adjacent_find(paths.begin(), paths.end()), paths.end()) << "two rows with one path";

  run = Start({"clean", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(Lines(run.out).size(), junk.size()) << run.out;
  struct stat st;
  for (const std::string& name : junk)
    EXPECT_NE(lstat((temp + name).c_str(), &st), 0) << name;
  for (const std::string& kept : {outside + "/keep1.tmp", outside + "/y-target", c + "/users/tester/Documents/thesis.docx",
                                  c + "/Program Files/App/app.exe", temp + "..\\..\\Program Files", temp + "..\\..",
                                  temp + "linkdir", temp + "\xc3\xbf"})
    EXPECT_EQ(lstat(kept.c_str(), &st), 0) << kept;
}

// A tree deeper than the descriptor limit, with paths longer than the kernel
// takes in one call: the walk still finds every file.
TEST_F(Cli, DeepTreesAreWalkedToTheBottom) {
  platform::Descriptor folder(open((prefix.Root() + "/drive_c/windows/Temp").c_str(), O_RDONLY | O_DIRECTORY));
  ASSERT_TRUE(folder.Valid());
  const std::string level = "level-0123456789abcdef";
  std::string path = "C:\\windows\\Temp";
  std::vector<std::string> expected;
  for (int depth = 1; depth <= 250; ++depth) {
    ASSERT_EQ(mkdirat(folder.Get(), level.c_str(), 0700), 0);
    folder.Reset(openat(folder.Get(), level.c_str(), O_RDONLY | O_DIRECTORY));
    ASSERT_TRUE(folder.Valid());
    path += "\\" + level;
    if (depth == 100 || depth == 250) {
      close(openat(folder.Get(), "found.tmp", O_WRONLY | O_CREAT, 0600));
      expected.push_back("Temporary File\t" + path + "\\found.tmp\t0");
    }
  }
  folder.Reset();
  ASSERT_GT(path.size(), 5000u);
  openFiles = 64;
  Outcome run = Start({"preview", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out), expected);
}

// A current Wine prefix has no "Local Settings" link: the rule reaches the
// user's temporary folder through it all the same, as on Windows.
TEST_F(Cli, CleansTheUsersTemporaryFolderThroughItsLegacyLink) {
  prefix.Plant(L"C:\\users\\tester\\AppData\\Local\\Temp\\user.tmp", "u");
  Outcome run = Start({"clean", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "deleted\tC:\\users\\tester\\Local Settings\\Temp\\user.tmp\n");
  struct stat st;
  EXPECT_NE(lstat((prefix.Root() + "/drive_c/users/tester/AppData/Local/Temp/user.tmp").c_str(), &st), 0);
  EXPECT_EQ(lstat((prefix.Root() + "/drive_c/users/tester/AppData/Local/Temp").c_str(), &st), 0);
}

// A path that is not UTF-8 is used as given, never as its UTF-8 twin.
TEST_F(Cli, PrefixAndLogPathsKeepTheirBytes) {
  const std::string odd = prefix.Root() + "/pr\xe9" "fix", twin = prefix.Root() + "/pr\xc3\xa9" "fix";
  ASSERT_EQ(symlink(prefix.Root().c_str(), odd.c_str()), 0);
  std::filesystem::create_directories(twin + "/drive_c/users/tester");
  std::filesystem::create_directories(twin + "/drive_c/windows/Temp");
  std::ofstream(twin + "/drive_c/windows/Temp/twin.tmp") << "t";
  prefix.Plant(kWinTemp + L"odd.tmp", "o");
  const std::string log = prefix.Root() + "/log\xe9.txt", twinLog = prefix.Root() + "/log\xc3\xa9.txt";

  Outcome run = Start({"clean", "--only", "Temporary_Files", "--prefix", odd, "--user", "tester", "--log", log}, false);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "deleted\tC:\\windows\\Temp\\odd.tmp\n");
  struct stat st;
  EXPECT_EQ(lstat(log.c_str(), &st), 0);
  EXPECT_NE(lstat(twinLog.c_str(), &st), 0);
  EXPECT_EQ(lstat((twin + "/drive_c/windows/Temp/twin.tmp").c_str(), &st), 0);
}

// Names whose characters would break the one-line-per-item output: every
// item stays one line of three fields, the characters escaped.
TEST_F(Cli, OutputKeepsOneLinePerItemWhateverTheNames) {
  const std::string temp = prefix.Root() + "/drive_c/windows/Temp/";
  struct Case {
    std::string linuxName;
    std::string shown;  // after C:\windows\Temp\ in the output
  };
  const std::vector<Case> cases = {
      {"new\nline.tmp", "new%0Aline.tmp"},
      {"tab\tdeleted\tC:.tmp", "tab%09deleted%09C%3A.tmp"},
      {"cr\rform\ffeed.tmp", "cr%0Dform%0Cfeed.tmp"},
      {"100%.tmp", "100%25.tmp"},
      {"back\\slash.tmp", "back%5Cslash.tmp"},
      {"nel\xc2\x85ls\xe2\x80\xa8.tmp", "nel%C2%85ls%E2%80%A8.tmp"},
      {"byte\xff.tmp", "byte%FF.tmp"},
      {"plain \xc3\xa9.tmp", "plain \xc3\xa9.tmp"},
  };
  std::vector<std::string> previewed, cleaned;
  for (const Case& c : cases) {
    std::ofstream(temp + c.linuxName, std::ios::binary) << "z";
    previewed.push_back("Temporary File\tC:\\windows\\Temp\\" + c.shown + "\t1");
    cleaned.push_back("deleted\tC:\\windows\\Temp\\" + c.shown);
  }
  std::sort(previewed.begin(), previewed.end());
  std::sort(cleaned.begin(), cleaned.end());

  Outcome run = Start({"preview", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, previewed);
  run = Start({"clean", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  lines = Lines(run.out);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, cleaned);
}

// A reader that stops early: the run is not killed halfway, every file goes
// and the summary still comes.
TEST_F(Cli, AClosedStandardOutputLetsTheRunFinish) {
  const int files = 3000;  // more lines than the output buffer holds
  for (int i = 0; i < files; ++i) prefix.Plant(kWinTemp + L"file-" + std::to_wstring(i) + L".tmp", "f");
  outClosed = true;
  Outcome run = Start({"clean", "--only", "Temporary_Files"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("Deleted: 3000, failed: 0, skipped: 0, scheduled: 0\nFreed: "), std::string::npos) << run.err;
  EXPECT_FALSE(Exists(kWinTemp + L"file-0.tmp"));
  EXPECT_FALSE(Exists(kWinTemp + L"file-2999.tmp"));
}

// A folder the walk cannot read: said on standard error, exit status 1, and
// the rest of the run as usual.
TEST_F(Cli, AFolderThatCannotBeReadIsToldAndFailsTheRun) {
  prefix.Plant(kWinTemp + L"a.tmp", "a");
  prefix.Plant(kWinTemp + L"locked\\b.tmp", "b");
  prefix.Plant(kWinTemp + L"z.tmp", "z");
  const std::string locked = prefix.Root() + "/drive_c/windows/Temp/locked";
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  if (!ModeKeepsOut(locked)) {
    chmod(locked.c_str(), 0700);
    GTEST_SKIP() << "a folder of mode 000 cannot be made unreadable here";
  }
  withoutDacOverride = true;
  Outcome preview = Start({"preview", "--only", "Temporary_Files"});
  Outcome clean = Start({"clean", "--only", "Temporary_Files"});
  chmod(locked.c_str(), 0700);
  const std::string told = "purgello-cli: cannot read the folder C:\\windows\\Temp\\locked\n";
  EXPECT_EQ(preview.exitCode, 1);
  EXPECT_EQ(preview.err, told + "Found: 2 items, 2    b. (2 bytes)\n");
  EXPECT_EQ(clean.exitCode, 1);
  EXPECT_EQ(clean.err.rfind(told, 0), 0u) << clean.err;
  EXPECT_EQ(Lines(clean.out), (std::vector<std::string>{"deleted\tC:\\windows\\Temp\\a.tmp",
                                                         "deleted\tC:\\windows\\Temp\\z.tmp"}));
  EXPECT_TRUE(Exists(kWinTemp + L"locked\\b.tmp"));
}

// A log file that cannot be written: told before anything is deleted.
TEST_F(Cli, ALogThatCannotBeWrittenIsToldAndNothingIsDeleted) {
  prefix.Plant(kWinTemp + L"a.tmp", "a");
  const std::string log = prefix.Root() + "/taken.log";
  ASSERT_EQ(mkdir(log.c_str(), 0700), 0);  // a folder in the file's place
  Outcome run = Start({"clean", "--only", "Temporary_Files", "--log", log});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "purgello-cli: cannot write the log file '" + log + "'\n");
  EXPECT_TRUE(Exists(kWinTemp + L"a.tmp"));
}

TEST_F(Cli, UsageErrorsNameTheProblemAndDeleteNothing) {
  prefix.Plant(kWinTemp + L"a.tmp", "a");
  prefix.PutInRecycleBin("binned", 10);
  mkdir((prefix.Root() + "/not-a-prefix").c_str(), 0700);
  struct Case {
    std::vector<std::string> args;
    bool addPrefix;
    std::string error;  // the start of the one line on standard error
  };
  const std::vector<Case> cases = {
      {{"clean", "--only", "Temporary_Files,Nope"}, true, "purgello-cli: unknown category key 'Nope'; valid keys: "
                                                          "Recycle_Bin, Windows_VirtualStore, "},
      {{"clean", "--disable", "Temporary_Files,"}, true, "purgello-cli: empty category key in --disable"},
      {{"clean", "--frobnicate"}, true, "purgello-cli: unknown option '--frobnicate'"},
      {{"clean", "-x"}, true, "purgello-cli: unknown option '-x'"},
      {{"clean", "extra"}, true, "purgello-cli: unexpected argument 'extra'"},
      {{"wipe"}, true, "purgello-cli: unknown command 'wipe'"},
      {{"--all"}, true, "purgello-cli: no command given"},
      {{"clean", "--method", "7pass"}, true, "purgello-cli: unknown method '7pass'"},
      {{"clean", "--trim=yes"}, true, "purgello-cli: option --trim takes no value"},
      {{"preview", "--automatic"}, true, "purgello-cli: option --automatic applies to clean only"},
      {{"clean", "--csv"}, true, "purgello-cli: option --csv applies to preview only"},
      {{"clean", "--only"}, true, "purgello-cli: option --only needs a value"},
      {{"clean", "--prefix", prefix.Root() + "/not-a-prefix"}, false,
       "purgello-cli: '" + prefix.Root() + "/not-a-prefix' is not a Wine prefix (it has no drive_c)"},
      {{"clean", "--prefix", prefix.Root(), "--user", "nobody"}, false,
       "purgello-cli: no user folder 'nobody' in " + prefix.Root() + "/drive_c/users"},
      {{"clean", "--prefix", prefix.Root(), "--user", ".."}, false, "purgello-cli: '..' is not a user folder name"},
      {{"clean", "--prefix", prefix.Root(), "--user", "*"}, false, "purgello-cli: '*' is not a user folder name"},
      {{"clean", "--prefix", prefix.Root(), "--user", "test?r"}, false,
       "purgello-cli: 'test?r' is not a user folder name"},
      {{"clean", "--log", prefix.Root() + "/missing/x.log"}, true, "purgello-cli: cannot write the log file"},
  };
  for (const Case& c : cases) {
    Outcome run = Start(c.args, c.addPrefix);
    EXPECT_EQ(run.exitCode, 2) << c.error;
    EXPECT_EQ(run.out, "") << c.error;
    EXPECT_EQ(run.err.rfind(c.error, 0), 0u) << run.err;
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
  }
  EXPECT_TRUE(Exists(kWinTemp + L"a.tmp"));
  EXPECT_EQ(TrashItems(), 1u);
}

TEST_F(Cli, HelpListsTheCommandsAndOptions) {
  Outcome run = Start({"--help"}, false);
  EXPECT_EQ(run.exitCode, 0);
  for (const char* word : {"list", "preview", "clean", "--all", "--only", "--enable", "--disable", "--method",
                           "--trim", "--scramble", "--automatic", "--log", "--prefix", "--user", "--csv", "recycle",
                           "Temporary_Files"})
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
}

}  // namespace
