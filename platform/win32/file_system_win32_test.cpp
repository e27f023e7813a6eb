// What only the Windows platform does: the long-path form of every path,
// attributes the posix side cannot keep, the shell's Recycle Bin, and WOW64.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "platform/win32/system_path.h"
#include "platform/wow64.h"
#include "tests/support/temp_tree.h"

namespace platform {
namespace {

std::wstring CurrentFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, n);
}

TEST(SystemPath, CleansWhatThePrefixWouldKeepLiterally) {
  const std::wstring here = CurrentFolder();
  const std::wstring drive = here.substr(0, 2);
  const struct {
    std::wstring path;
    std::wstring expected;
  } cases[] = {
      {L"C:\\a\\b.txt", L"\\\\?\\C:\\a\\b.txt"},
      {L"C:\\a\\\\*.SPK", L"\\\\?\\C:\\a\\*.SPK"},
      {L"C:/a/b", L"\\\\?\\C:\\a\\b"},
      {L"C:\\a\\.\\b\\..\\c", L"\\\\?\\C:\\a\\c"},
      {L"C:\\a\\..\\..\\b", L"\\\\?\\C:\\b"},
      {L"C:\\Windows\\", L"\\\\?\\C:\\Windows"},
      {L"C:\\", L"\\\\?\\C:\\"},
      {L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
      {L"\\\\server\\share\\x\\\\y", L"\\\\?\\UNC\\server\\share\\x\\y"},
      {L"\\\\server\\\\share", L"\\\\?\\UNC\\server\\share\\"},
      {L"\\\\server", L""},
      // Already prefixed: cleaned all the same, since Windows would not.
      {L"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
      {L"\\\\?\\C:\\as\\\\is\\", L"\\\\?\\C:\\as\\is"},
      {L"\\\\?\\UNC\\server\\share\\\\x", L"\\\\?\\UNC\\server\\share\\x"},
      {L"\\\\.\\pipe\\name", L"\\\\.\\pipe\\name"},
      // A found name may end with a dot or a space; the prefix keeps it.
      {L"C:\\a\\b.", L"\\\\?\\C:\\a\\b."},
      {L"C:\\a \\b ", L"\\\\?\\C:\\a \\b "},
      // Relative to the current folder, its drive's root, or a drive's own
      // current folder; the names keep their trailing dots.
      {L"rel\\x.txt", L"\\\\?\\" + here + L"\\rel\\x.txt"},
      {L"rel\\x.", L"\\\\?\\" + here + L"\\rel\\x."},
      {L"\\rel\\\\x", L"\\\\?\\" + drive + L"\\rel\\x"},
      {drive + L"rel\\x", L"\\\\?\\" + here + L"\\rel\\x"},
      // A prefixed drive alone is its root; a volume named by its GUID is
      // cleaned below its root like a drive.
      {L"\\\\?\\C:", L"\\\\?\\C:\\"},
      {L"\\\\?\\Volume{d1}\\a\\\\b\\.\\c\\..\\", L"\\\\?\\Volume{d1}\\a\\b"},
      {L"\\\\?\\Volume{d1}", L"\\\\?\\Volume{d1}\\"},
      // Nothing sound can be made of these: no call may get them.
      {L"\\\\?\\C:C:", L""},
      {L"\\\\?\\C:a", L""},
      {L"\\\\?\\", L""},
      {L"\\\\?\\UNC", L""},
      {L"\\\\?\\UNC\\server", L""},
      {L"\\\\?\\UNC\\server\\..\\x", L""},
      {L"\\\\?\\elsewhere\\x", L""},
      {L"\\\\..\\share\\x", L""},
      {L"\\\\server\\.\\x", L""},
      {L"\\\\.", L""},
      {std::wstring(L"C:\\a\0b", 6), L""},
  };
  for (const auto& c : cases) EXPECT_EQ(SystemPath(c.path), c.expected) << c.path;
}

TEST(SystemPath, TheNativeFormIsTakenOnlyFromTheCleanedForm) {
  EXPECT_EQ(NtSystemPath(L"C:\\a\\\\b\\"), L"\\??\\C:\\a\\b");
  EXPECT_EQ(NtSystemPath(L"\\\\server\\share\\x"), L"\\??\\UNC\\server\\share\\x");
  // A device is no rename target, and its own path was never cleaned.
  EXPECT_EQ(NtSystemPath(L"\\\\.\\x"), L"");
  EXPECT_EQ(NtSystemPath(L"\\\\.\\a\\..\\b"), L"");
  EXPECT_EQ(NtSystemPath(L"\\\\?\\"), L"");
}

// What Windows refuses after the prefix, which test builds stop at.
TEST(SystemPath, TheCheckRefusesWhatWindowsWouldNotFind) {
  for (const wchar_t* good : {L"\\\\?\\C:\\", L"\\\\?\\C:\\a\\b.", L"\\\\?\\UNC\\s\\sh\\", L"\\\\?\\UNC\\s\\sh\\x",
                              L"\\\\?\\Volume{1}\\a"})
    EXPECT_TRUE(IsSystemForm(good)) << good;
  for (const wchar_t* bad : {L"C:\\a", L"\\\\?\\C:\\a\\\\b", L"\\\\?\\C:\\a\\", L"\\\\?\\C:\\a\\.\\b", L"\\\\?\\C:\\a\\..",
                             L"\\\\?\\C:/a", L"\\\\?\\UNC\\s\\", L"\\\\?\\", L"\\\\?\\C:C:", L"\\\\?\\C:",
                             L"\\\\?\\UNC\\..\\sh\\x", L"\\\\?\\elsewhere\\x", L"\\\\?\\Volume{1}\\a\\"})
    EXPECT_FALSE(IsSystemForm(bad)) << bad;
}

TEST(LongPaths, EveryCallWorksBeyond260Characters) {
  testsupport::TempTree tree;
  std::wstring folder = tree.Root();
  for (int level = 0; level < 6; ++level) {
    folder += L"\\" + std::wstring(50, wchar_t(L'a' + level));
    ASSERT_TRUE(WideCreateFolder(folder)) << LastErrorCode();
  }
  ASSERT_GT(folder.size(), 300u);
  const std::wstring file = folder + L"\\file.txt";
  tree.WriteFile(file.substr(tree.Root().size() + 1), "123456");

  EXPECT_TRUE(WideFolderExists(folder));
  EXPECT_TRUE(WideFileExists(file));
  EXPECT_EQ(FileSize64(file), 6u);
  EXPECT_EQ(FileSize64(folder + L"\\*.txt"), 6u);
  {
    DirectoryReader reader(folder + L"\\*.txt");
    ASSERT_TRUE(reader.Next());
    EXPECT_EQ(reader.Name(), L"file.txt");
    FileReader content(file);
    ASSERT_TRUE(content.IsOpen());
    EXPECT_EQ(content.Size(), 6u);
  }
  ASSERT_TRUE(SetFileAttributesTo(file, kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(FileAttributes(file) & ~kAttrArchive, kAttrReadOnly | kAttrHidden);
  ASSERT_TRUE(SetFileAttributesTo(file, kAttrArchive));
  const std::wstring moved = folder + L"\\moved.txt";
  EXPECT_TRUE(MoveFileTo(file, moved));
  EXPECT_TRUE(DeleteFileAt(moved));
  for (int level = 0; level < 6; ++level) {
    EXPECT_TRUE(RemoveEmptyFolder(folder)) << LastErrorCode() << " " << folder;
    folder = folder.substr(0, folder.find_last_of(L'\\'));
  }
}

TEST(Attributes, HiddenSystemAndReadOnlyAreListedAsSet) {
  testsupport::TempTree tree;
  const std::wstring file = tree.WriteFile(L"flags.dat", "x");
  ASSERT_TRUE(SetFileAttributesTo(file, kAttrReadOnly | kAttrHidden | kAttrSystem));
  DirectoryReader reader(file);
  ASSERT_TRUE(reader.Next());
  // Wine keeps the archive attribute whatever is set.
  EXPECT_EQ(reader.Attributes() & ~kAttrArchive, kAttrReadOnly | kAttrHidden | kAttrSystem);
  EXPECT_FALSE(DeleteFileAt(file));
  ASSERT_TRUE(SetFileAttributesTo(file, kAttrArchive));
  EXPECT_TRUE(DeleteFileAt(file));
}

TEST(Paths, RelativeAndDoubledSeparatorsReachTheSameFile) {
  testsupport::TempTree tree;
  tree.WriteFile(L"sub\\here.txt", "abc");
  const std::wstring previous = CurrentFolder();
  ASSERT_TRUE(SetCurrentDirectoryW(tree.Root().c_str()));
  EXPECT_TRUE(WideFileExists(L"sub\\here.txt"));
  EXPECT_EQ(FileSize64(L"sub\\..\\sub\\here.txt"), 3u);
  SetCurrentDirectoryW(previous.c_str());
  EXPECT_TRUE(WideFileExists(tree.Root() + L"\\sub\\\\here.txt"));
  EXPECT_TRUE(WideFolderExists(tree.Root() + L"/sub"));
}

// Deletes with undo, as Explorer does, so the file lands in the Recycle Bin.
bool Recycle(const std::wstring& path) {
  std::wstring from = path + L'\0';  // the list ends with two NULs
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

TEST(RecycleBin, CountsAndSizesWhatTheShellRecycled) {
  testsupport::TempTree tree;
  const uint64_t items = RecycleBinItemCount(), bytes = RecycleBinSize();
  ASSERT_TRUE(Recycle(tree.WriteFile(L"ten.txt", std::string(10, 't'))));
  ASSERT_TRUE(Recycle(tree.WriteFile(L"twenty.txt", std::string(20, 'w'))));
  EXPECT_FALSE(tree.Exists(L"ten.txt"));
  EXPECT_EQ(RecycleBinItemCount(), items + 2);
  EXPECT_EQ(RecycleBinSize(), bytes + 30);
}

// The Windows tests run in a 64-bit Wine prefix: the i686 build runs through
// its 32-bit layer, as on 64-bit Windows.
TEST(Wow64, OnlyThe32BitBuildRunsUnderWow64) {
  EXPECT_EQ(IsWow64(), sizeof(void*) == 4);
}

}  // namespace
}  // namespace platform
