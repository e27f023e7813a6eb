// What only the posix platform does: map Windows paths into a Wine prefix,
// resolve names without regard to case, order and match names as NTFS and the
// find call do, report links as reparse points, and read the freedesktop trash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/posix/ntfs_names.h"
#include "platform/posix/wine_prefix.h"
#include "platform/recycle_bin.h"
#include "platform/text_codec.h"
#include "tests/support/known_folder_table.h"
#include "tests/support/planted_prefix.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

void WriteNative(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Native(const std::wstring& windowsPath) {
  std::string native;
  EXPECT_TRUE(ToNativePath(windowsPath, native)) << windowsPath;
  return native;
}

std::vector<std::wstring> Names(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  DirectoryReader reader(pattern);
  while (reader.Next()) names.push_back(reader.Name());
  return names;
}

class PosixFiles : public ::testing::Test {
 protected:
  testsupport::PlantedPrefix prefix_;
  std::string driveC_ = prefix_.Root() + "/drive_c";
};

TEST_F(PosixFiles, MapsDrivesIntoThePrefix) {
  const std::string driveD = prefix_.Root() + "/elsewhere";
  fs::create_directories(driveD);
  fs::create_directories(prefix_.Root() + "/dosdevices");
  fs::create_directory_symlink(driveD, prefix_.Root() + "/dosdevices/d:");
  SetWinePrefix(CurrentWinePrefix());  // the drive links changed

  EXPECT_EQ(Native(L"C:\\new\\file.txt"), driveC_ + "/new/file.txt");
  EXPECT_EQ(Native(L"\\\\?\\c:\\new"), driveC_ + "/new");
  EXPECT_EQ(Native(L"C:\\a\\..\\..\\..\\up"), driveC_ + "/up");  // never above the drive
  EXPECT_EQ(Native(L"D:\\x"), prefix_.Root() + "/dosdevices/d:/x");
  EXPECT_EQ(Native(L"Z:\\tmp"), "/tmp");
  std::string native;
  for (const wchar_t* path : {L"E:\\x", L"relative\\x", L"\\\\server\\share\\x", L""})
    EXPECT_FALSE(ToNativePath(path, native)) << path;
  EXPECT_FALSE(LiteralNativePath(L"C:\\a\\.\\b", native));
}

TEST_F(PosixFiles, ResolvesNamesWithoutRegardToCase) {
  WriteNative(driveC_ + "/windows/System32/Drivers/etc.TXT", "x");
  WriteNative(driveC_ + "/caf\xC3\xA9/menu", "x");  // café
  WriteNative(driveC_ + "/Dup/a", "x");
  WriteNative(driveC_ + "/dup/b", "x");

  EXPECT_EQ(Native(L"C:\\WINDOWS\\system32\\DRIVERS\\ETC.txt"), driveC_ + "/windows/System32/Drivers/etc.TXT");
  EXPECT_EQ(Native(L"C:\\CAF\u00C9\\MENU"), driveC_ + "/caf\xC3\xA9/menu");
  EXPECT_EQ(Native(L"C:\\dup"), driveC_ + "/dup");   // the exact name wins
  EXPECT_EQ(Native(L"C:\\DUP"), driveC_ + "/Dup");   // else the first in NTFS order
  EXPECT_EQ(Native(L"C:\\WINDOWS\\Missing\\File"), driveC_ + "/windows/Missing/File");
  // A plain path finds the entry under its own name.
  EXPECT_EQ(Names(L"C:\\Windows\\SYSTEM32"), std::vector<std::wstring>{L"System32"});
  EXPECT_TRUE(WideFileExists(L"C:\\WINDOWS\\system32\\drivers\\Etc.Txt"));
}

TEST_F(PosixFiles, ListsInNtfsOrderWhateverTheLinuxOrder) {
  // Upper-cased UTF-16 units: U+1F600 is D83D DE00, so it sorts before U+FF21
  // although its code point is larger.
  const std::vector<std::wstring> expected = {L".",  L"..", L"0",          L"a",      L"B",     L"Dup",
                                              L"dup", L"Z", L"_",          L"~",      L"\u00E9", L"\U0001F600",
                                              L"\uFF41"};
  for (size_t i = expected.size(); i-- > 2;) WriteNative(driveC_ + "/order/" + ToUtf8(expected[i]), "x");
  EXPECT_EQ(Names(L"C:\\order\\*"), expected);
  // NTFS has no "." and ".." at a drive root.
  for (const std::wstring& name : Names(L"C:\\*")) EXPECT_NE(name.substr(0, 1), L".");
}

TEST(FindMask, FollowsTheMsDosRulesOfTheFindCall) {
  const struct {
    const wchar_t* mask;
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"*.*", L"noext", true},       {L"*.", L"noext", true},     {L"*.", L"a.b", false},
      {L"*.", L"..", true},           {L"*.log", L"a.log.old", false}, {L"*.log", L"a.b.LOG", true},
      {L"a?", L"a", true},            {L"a?c", L"ac", false},      {L"a??.txt", L"ab.txt", true},
      {L"a*b", L"aXXb", true},        {L"a*b", L"aXXc", false},    {L"\u00C9*", L"\u00E9t\u00E9", true},
      {L"*.SPK", L"x.spkbak", false}, {L"x", L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(FindMask(c.mask).Matches(c.name), c.matches) << c.mask << " / " << c.name;
}

TEST_F(PosixFiles, ReportsLinksAsThemselves) {
  const std::string folder = driveC_ + "/links";
  WriteNative(folder + "/target/keep.txt", "abc");
  WriteNative(folder + "/target.txt", "12345");
  fs::create_directory_symlink(folder + "/target", folder + "/dirlink");
  fs::create_symlink(folder + "/target.txt", folder + "/filelink");
  fs::create_symlink(folder + "/nowhere", folder + "/dangling");

  const struct {
    const wchar_t* name;
    uint32_t attributes;
  } cases[] = {
      {L"dangling", kAttrArchive | kAttrReparsePoint},
      {L"dirlink", kAttrDirectory | kAttrReparsePoint},
      {L"filelink", kAttrArchive | kAttrReparsePoint},
  };
  for (const auto& c : cases) {
    const std::wstring path = std::wstring(L"C:\\links\\") + c.name;
    DirectoryReader reader(path);
    ASSERT_TRUE(reader.Next()) << c.name;
    EXPECT_EQ(reader.Attributes(), c.attributes) << c.name;
    EXPECT_EQ(reader.IsReparsePoint(), true) << c.name;
    EXPECT_EQ(reader.Size(), 0u) << c.name;  // not the target's size
    EXPECT_EQ(FileAttributes(path), c.attributes) << c.name;
    EXPECT_EQ(FileSize64(path), 0u) << c.name;
  }
  EXPECT_TRUE(WideFolderExists(L"C:\\links\\dirlink"));
  EXPECT_TRUE(WideFileExists(L"C:\\links\\filelink"));

  // Changing or removing a link never reaches its target.
  EXPECT_TRUE(SetFileAttributesTo(L"C:\\links\\filelink", kAttrReadOnly));
  EXPECT_EQ(FileAttributes(L"C:\\links\\target.txt") & kAttrReadOnly, 0u);
  EXPECT_FALSE(DeleteFileAt(L"C:\\links\\dirlink"));
  EXPECT_EQ(LastErrorCode(), kErrorAccessDenied);
  EXPECT_TRUE(RemoveEmptyFolder(L"C:\\links\\dirlink"));
  EXPECT_TRUE(DeleteFileAt(L"C:\\links\\filelink"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder + "/dirlink")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder + "/filelink")));
  EXPECT_TRUE(fs::exists(folder + "/target/keep.txt"));
  EXPECT_TRUE(fs::exists(folder + "/target.txt"));
}

TEST_F(PosixFiles, HiddenAndReadOnlyComeFromTheLinuxEntry) {
  WriteNative(driveC_ + "/attrs/.hidden", "x");
  WriteNative(driveC_ + "/attrs/locked", "x");
  chmod((driveC_ + "/attrs/locked").c_str(), 0444);
  EXPECT_EQ(FileAttributes(L"C:\\attrs\\.hidden"), kAttrArchive | kAttrHidden);
  EXPECT_EQ(FileAttributes(L"C:\\attrs\\locked"), kAttrArchive | kAttrReadOnly);
  DirectoryReader reader(L"C:\\attrs\\*");
  std::vector<uint32_t> attributes;
  while (reader.Next()) attributes.push_back(reader.Attributes());
  EXPECT_EQ(attributes, (std::vector<uint32_t>{kAttrDirectory, kAttrDirectory, kAttrArchive | kAttrHidden,
                                               kAttrArchive | kAttrReadOnly}));
}

TEST_F(PosixFiles, RecycleBinIsTheTrashOfTheDataFolder) {
  EXPECT_EQ(RecycleBinItemCount(), 0u);
  EXPECT_EQ(RecycleBinSize(), 0u);
  prefix_.PutInRecycleBin("a.txt", 10);
  prefix_.PutInRecycleBin("b.txt", 20);
  // A trashed folder counts as one item of its files' size; a link in it is
  // not followed.
  const std::string trashed = prefix_.Root() + "/xdg/Trash/files/folder";
  WriteNative(trashed + "/x", std::string(5, 'x'));
  WriteNative(trashed + "/deep/y", std::string(7, 'y'));
  WriteNative(prefix_.Root() + "/big", std::string(1000, 'b'));
  fs::create_symlink(prefix_.Root() + "/big", trashed + "/link");
  EXPECT_EQ(RecycleBinItemCount(), 3u);
  EXPECT_EQ(RecycleBinSize(), 42u);

  fs::remove_all(prefix_.Root() + "/xdg/Trash");
  EXPECT_EQ(RecycleBinItemCount(), 0u);
  EXPECT_EQ(RecycleBinSize(), 0u);
}

TEST_F(PosixFiles, KnownFoldersFollowWinesLayout) {
  const std::wstring profile = L"C:\\users\\tester";
  for (const auto& row : testsupport::kKnownFolderRows)
    EXPECT_EQ(KnownFolderPath(row.csidl), testsupport::WineFolderOf(row, profile)) << row.name;
  // A folder the prefix lacks is reported missing, as the shell reports it.
  fs::remove_all(driveC_ + "/Program Files (x86)");
  EXPECT_EQ(KnownFolderPath(kCsidlProgramFilesX86), L"");
}

// Wine prefixes lack the links Windows keeps in a profile for older paths;
// a path through one reaches its target, as on Windows, and nothing else.
TEST_F(PosixFiles, PathsThroughTheLegacyProfileLinksReachTheirTargets) {
  const std::string profile = driveC_ + "/users/tester";
  WriteNative(profile + "/AppData/Local/Temp/t.tmp", "t");
  WriteNative(profile + "/AppData/Roaming/r.dat", "r");
  WriteNative(profile + "/Documents/My Music/real.mp3", "m");  // a real entry wins
  WriteNative(driveC_ + "/users/Public/AppData/Local/Temp/t.tmp", "p");
  struct Case {
    std::wstring path;
    std::string native;  // empty: nothing there
  };
  const Case cases[] = {
      {L"C:\\users\\tester\\Local Settings\\Temp\\t.tmp", profile + "/AppData/Local/Temp/t.tmp"},
      {L"C:\\USERS\\TESTER\\local settings\\temp\\T.TMP", profile + "/AppData/Local/Temp/t.tmp"},
      {L"C:\\users\\tester\\Local Settings\\Application Data\\Temp\\t.tmp", profile + "/AppData/Local/Temp/t.tmp"},
      {L"C:\\users\\tester\\Application Data\\r.dat", profile + "/AppData/Roaming/r.dat"},
      {L"C:\\users\\tester\\Documents\\My Music\\real.mp3", profile + "/Documents/My Music/real.mp3"},
      {L"C:\\users\\tester\\Local Settings", ""},  // the link itself names nothing
      {L"C:\\users\\Public\\Local Settings\\Temp\\t.tmp", ""},
      {L"C:\\users\\tester\\AppData\\Local Settings\\Temp\\t.tmp", ""},
      {L"C:\\windows\\Local Settings\\Temp\\t.tmp", ""},
  };
  for (const Case& c : cases) {
    std::string native;
    struct stat st;
    const bool there = ToNativePathWithStatus(c.path, native, st) == NativeEntry::Present;
    EXPECT_EQ(there ? native : std::string(), c.native) << ToUtf8(c.path);
    EXPECT_EQ(FileAttributes(c.path) != kInvalidAttributes, !c.native.empty()) << ToUtf8(c.path);
  }
  EXPECT_EQ(Names(L"C:\\users\\tester\\Local Settings\\Temp\\*"), (std::vector<std::wstring>{L".", L"..", L"t.tmp"}));
  EXPECT_TRUE(Names(L"C:\\users\\tester\\Local Settings\\*").empty());  // Windows refuses to list it too
  EXPECT_FALSE(RemoveEmptyFolder(L"C:\\users\\tester\\Local Settings"));
  EXPECT_TRUE(fs::exists(profile + "/AppData/Local"));
  EXPECT_TRUE(DeleteFileAt(L"C:\\users\\tester\\Local Settings\\Temp\\t.tmp"));
  EXPECT_FALSE(fs::exists(profile + "/AppData/Local/Temp/t.tmp"));
}

}  // namespace
}  // namespace platform
