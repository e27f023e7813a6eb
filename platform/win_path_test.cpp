#include "platform/win_path.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(WinPath, FolderAndName) {
  EXPECT_EQ(FolderOf(L"C:\\a\\b.txt"), L"C:\\a\\");
  EXPECT_EQ(FileNameOf(L"C:\\a\\b.txt"), L"b.txt");
  EXPECT_EQ(FileNameOf(L"C:b.txt"), L"b.txt");
  EXPECT_EQ(FolderOf(L"b.txt"), L"");
}

TEST(WinPath, CaseFoldsOnlyAscii) {
  EXPECT_TRUE(EqualsNoCase(L"Desktop.INI", L"desktop.ini"));
  EXPECT_FALSE(EqualsNoCase(L"\u00C9", L"\u00E9"));
  EXPECT_TRUE(StartsWithNoCase(L"JRE1.8", L"jre"));
  EXPECT_TRUE(EndsWithNoCase(L"C:\\Users\\LOCAL\\", L"\\local\\"));
  EXPECT_FALSE(EndsWithNoCase(L"al", L"local"));
}

TEST(WinPath, TrailingBackslashAndDrives) {
  EXPECT_EQ(WithTrailingBackslash(L""), L"\\");
  EXPECT_EQ(WithTrailingBackslashUnlessEmpty(L""), L"");
  EXPECT_EQ(WithTrailingBackslash(L"C:\\x\\"), L"C:\\x\\");
  EXPECT_TRUE(IsBareDrive(L"C:"));
  EXPECT_TRUE(IsBareDrive(L"c:\\"));
  EXPECT_FALSE(IsBareDrive(L"C:\\Windows"));
  EXPECT_FALSE(IsBareDrive(L"1:"));
}

}  // namespace
}  // namespace platform
