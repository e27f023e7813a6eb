// Case-insensitive lookups stay true to the disk while folders change under
// them, whoever changes them: names deleted, created, renamed, folders
// replaced, and more changes than the kernel queues between two lookups.
#include "platform/posix/folder_name_index.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/wine_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

class FolderNameIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = tree.MakeFolder(L"big");
    native = testsupport::NativePath(folder);
    // Enough entries that a lookup is worth an index.
    for (int i = 0; i < 300; ++i) Touch("entry" + std::to_string(i) + ".dat");
  }

  void Touch(const std::string& name) { std::ofstream(native + "/" + name) << "x"; }
  std::wstring Win(const std::wstring& name) const { return folder + L"\\" + name; }
  std::string Mapped(const std::wstring& name) const {
    std::string out;
    platform::ToNativePath(Win(name), out);
    return out;
  }

  testsupport::TempTree tree;
  std::wstring folder;
  std::string native;
};

TEST_F(FolderNameIndex, SeesNamesComeAndGoInAnyCase) {
  Touch("Report.TXT");
  EXPECT_TRUE(platform::WideFileExists(Win(L"report.txt")));
  EXPECT_EQ(Mapped(L"REPORT.txt"), native + "/Report.TXT");

  ASSERT_EQ(unlink((native + "/Report.TXT").c_str()), 0);
  EXPECT_FALSE(platform::WideFileExists(Win(L"report.txt")));
  EXPECT_EQ(Mapped(L"REPORT.txt"), native + "/REPORT.txt");  // missing: kept as given

  Touch("rEPORT.txt");
  EXPECT_TRUE(platform::WideFileExists(Win(L"report.txt")));
  ASSERT_EQ(rename((native + "/rEPORT.txt").c_str(), (native + "/Moved.txt").c_str()), 0);
  EXPECT_FALSE(platform::WideFileExists(Win(L"REPORT.TXT")));
  EXPECT_TRUE(platform::WideFileExists(Win(L"moved.TXT")));
  ASSERT_EQ(mkdir((native + "/Sub").c_str(), 0755), 0);
  EXPECT_TRUE(platform::WideFolderExists(Win(L"SUB")));
  EXPECT_FALSE(platform::WideFileExists(Win(L"sub")));
}

TEST_F(FolderNameIndex, OfSeveralCaseVariantsTheFirstInNtfsOrderWins) {
  Touch("b.txt");
  Touch("B.TXT");
  EXPECT_EQ(Mapped(L"b.Txt"), native + "/B.TXT");
  ASSERT_EQ(unlink((native + "/B.TXT").c_str()), 0);
  EXPECT_EQ(Mapped(L"b.Txt"), native + "/b.txt");
  EXPECT_EQ(platform::FindNameNoCase(native, L"B.txt"), "b.txt");
  EXPECT_EQ(platform::FindNameNoCase(native, L"c.txt"), "");
  EXPECT_EQ(platform::FindNameNoCase(native + "/missing", L"b.txt"), "");
}

TEST_F(FolderNameIndex, AFolderReplacedUnderTheSamePathIsReadAfresh) {
  EXPECT_FALSE(platform::WideFileExists(Win(L"late.txt")));
  ASSERT_EQ(rename(native.c_str(), (native + ".old").c_str()), 0);
  ASSERT_EQ(mkdir(native.c_str(), 0755), 0);
  Touch("Late.txt");
  EXPECT_TRUE(platform::WideFileExists(Win(L"late.txt")));
  EXPECT_FALSE(platform::WideFileExists(Win(L"ENTRY1.dat")));
  std::filesystem::remove_all(native + ".old");
}

TEST_F(FolderNameIndex, MoreChangesThanTheKernelQueuesAreNotMissed) {
  int queued = 0;
  std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queued;
  if (queued <= 0 || queued > 100000) GTEST_SKIP() << "event queue limit " << queued;
  EXPECT_FALSE(platform::WideFileExists(Win(L"last.txt")));
  for (int i = 0; i <= queued; ++i) Touch("flood" + std::to_string(i));
  Touch("LAST.txt");
  EXPECT_TRUE(platform::WideFileExists(Win(L"last.txt")));
  EXPECT_TRUE(platform::WideFileExists(Win(L"FLOOD7")));
}

}  // namespace
