// The posix registry file: its documented form, damaged files, and writers in
// several threads and processes at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/posix/registry_file.h"
#include "platform/posix/wine_prefix.h"
#include "platform/registry.h"
#include "tests/support/temp_tree.h"

namespace platform {
namespace {

const std::wstring kKey = L"SOFTWARE\\Halvoris\\Purgello";

class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CurrentWinePrefix();
    SetWinePrefix({testsupport::NativePath(tree_.Root()) + "/prefix", "tester"});
  }
  void TearDown() override { SetWinePrefix(saved_); }

  static std::string FileText() {
    std::ifstream in(RegistryFilePath(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void PlantFile(const std::string& bytes) {
    mkdir(CurrentWinePrefix().root.c_str(), 0755);
    std::ofstream(RegistryFilePath(), std::ios::binary | std::ios::trunc) << bytes;
  }

  testsupport::TempTree tree_;
  WinePrefix saved_;
};

TEST_F(RegistryFileTest, FileHasTheDocumentedForm) {
  RegKey key = RegKey::Create(RegRoot::CurrentUser, kKey);
  ASSERT_TRUE(key.IsOpen());
  ASSERT_TRUE(key.WriteString(L"Zeta \"q\"", L"50% \u00E9\n"));
  ASSERT_TRUE(key.WriteDword(L"Langue", 0x409));
  ASSERT_TRUE(key.WriteValue({L"Raw", RegType::ExpandString, std::string("%\0\0\0", 4)}));
  ASSERT_TRUE(RegKey::Create(RegRoot::LocalMachine, L"SOFTWARE\\x").IsOpen());
  EXPECT_EQ(FileText(),
            "PURGELLO REGISTRY 1\n"
            "[HKEY_CURRENT_USER]\n"
            "[HKEY_CURRENT_USER\\SOFTWARE]\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Halvoris]\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Halvoris\\Purgello]\n"
            "\"Zeta %22q%22\"=\"50%25 \xC3\xA9%0a\"\n"
            "\"Langue\"=dword:00000409\n"
            "\"Raw\"=hex(2):25,00,00,00\n"
            "[HKEY_LOCAL_MACHINE]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\x]\n");
  // Sub-keys are sorted by upper-cased name, as Windows sorts them.
  ASSERT_TRUE(RegKey::Create(RegRoot::LocalMachine, L"SOFTWARE\\b_y").IsOpen());
  ASSERT_TRUE(RegKey::Create(RegRoot::LocalMachine, L"SOFTWARE\\Bravo").IsOpen());
  EXPECT_EQ(RegKey::Open(RegRoot::LocalMachine, L"SOFTWARE", RegAccess::Read).SubKeyNames(),
            (std::vector<std::wstring>{L"Bravo", L"b_y", L"x"}));
  // Values keep the order they were created in, not the order of their names.
  std::vector<RegValueInfo> values = key.Values();
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].name, L"Zeta \"q\"");
  EXPECT_EQ(values[1].name, L"Langue");
}

TEST_F(RegistryFileTest, DamagedFilesReadAsEmptyAndKeepWhatParses) {
  const std::string good = "[HKEY_CURRENT_USER\\SOFTWARE\\Halvoris\\Purgello]\n\"Ok\"=\"1\"\n";
  struct Case {
    const char* what;
    std::string bytes;
    bool okSurvives;
  } cases[] = {
      {"empty", "", false},
      {"no signature", good, false},
      {"binary", std::string("\0\xFF\xFE[\"\n\0", 7) + good, false},
      {"bad lines among good ones",
       "PURGELLO REGISTRY 1\n[HKEY_NOWHERE\\x]\n\"Lost\"=\"1\"\n" + good +
           "\"Broken\"=dword:12\n\"Bad\"=hex(zz):00\n\"Esc\"=\"%g0\"\n[\n\"Half\"=\"tr",
       true},
      {"CRLF line ends", "PURGELLO REGISTRY 1\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Halvoris\\Purgello]\r\n\"Ok\"=\"1\"\r\n",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlantFile(c.bytes);
    RegKey key = RegKey::Open(RegRoot::CurrentUser, kKey, RegAccess::ReadWrite);
    ASSERT_EQ(key.IsOpen(), c.okSurvives);
    if (c.okSurvives) {
      std::vector<RegValueInfo> values = key.Values();
      ASSERT_EQ(values.size(), 1u);
      EXPECT_EQ(values[0].name, L"Ok");
    }
    EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, L"x"));
    // The next write leaves a sound file.
    ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kKey).WriteString(L"New", L"2"));
    std::wstring text;
    EXPECT_TRUE(RegKey::Open(RegRoot::CurrentUser, kKey, RegAccess::Read).ReadString(L"new", text));
    EXPECT_EQ(text, L"2");
    EXPECT_EQ(FileText().compare(0, 20, "PURGELLO REGISTRY 1\n"), 0);
  }
}

TEST_F(RegistryFileTest, AFileThatCannotBeReadIsNeverWrittenOver) {
  // A folder where the file should be: nothing can be read, so nothing is written.
  mkdir(CurrentWinePrefix().root.c_str(), 0755);
  ASSERT_EQ(mkdir(RegistryFilePath().c_str(), 0755), 0);
  EXPECT_FALSE(RegKey::Create(RegRoot::CurrentUser, kKey).IsOpen());
  struct stat st;
  ASSERT_EQ(stat(RegistryFilePath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

constexpr int kWriters = 6;
constexpr int kValuesEach = 25;

void WriteMany(int writer) {
  for (int i = 0; i < kValuesEach; ++i) {
    std::wstring name = L"w" + std::to_wstring(writer) + L"_" + std::to_wstring(i);
    // A fresh key per write, as the settings store opens one per call.
    RegKey key = RegKey::Create(RegRoot::CurrentUser, kKey);
    ASSERT_TRUE(key.WriteString(name, name + L"=value"));
    // Some writers also add keys of their own.
    if (i % 5 == 0) {
      ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kKey + L"\\" + name).IsOpen());
    }
  }
}

void ExpectEverythingWritten(int writers) {
  RegKey key = RegKey::Open(RegRoot::CurrentUser, kKey, RegAccess::Read);
  ASSERT_TRUE(key.IsOpen());
  EXPECT_EQ(key.Values().size(), size_t(writers * kValuesEach));
  EXPECT_EQ(key.SubKeyNames().size(), size_t(writers * kValuesEach / 5));
  for (int w = 0; w < writers; ++w) {
    for (int i = 0; i < kValuesEach; ++i) {
      std::wstring name = L"w" + std::to_wstring(w) + L"_" + std::to_wstring(i);
      std::wstring text;
      EXPECT_TRUE(key.ReadString(name, text)) << w << " " << i;
      EXPECT_EQ(text, name + L"=value");
    }
  }
}

TEST_F(RegistryFileTest, WritersInSeveralThreadsLoseNothing) {
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) threads.emplace_back(WriteMany, w);
  // A reader meanwhile always finds a whole file: once the key is there, a
  // torn or empty file would make it vanish.
  bool seen = false;
  for (int i = 0; i < 200; ++i) {
    bool open = RegKey::Open(RegRoot::CurrentUser, kKey, RegAccess::Read).IsOpen();
    if (seen) {
      EXPECT_TRUE(open) << i;
    }
    seen = seen || open;
  }
  for (auto& t : threads) t.join();
  ExpectEverythingWritten(kWriters);
}

TEST_F(RegistryFileTest, WritersInSeveralProcessesLoseNothing) {
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      WriteMany(w);
      _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ExpectEverythingWritten(kWriters);
}

}  // namespace
}  // namespace platform
