// The data folder, the clean-up services and the two formatters, natively on a
// planted Wine prefix and under Wine on its own fresh prefix.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/whole_file.h"
#include "platform/win_path.h"
#include "system/data_folder.h"
#include "system/delete_by_extension.h"
#include "system/file_exists_non_empty.h"
#include "system/formatters.h"
#include "system/virtual_store.h"
#include "tests/support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <filesystem>

#include "tests/support/planted_prefix.h"
#endif

namespace {

// Creates the file and its missing folders.
void Plant(const std::wstring& path, const std::string& bytes = "x") {
  const std::wstring folder = platform::FolderOf(path);
  for (size_t pos = 3; pos < folder.size(); ++pos)
    if (folder[pos] == L'\\') platform::WideCreateFolder(folder.substr(0, pos));
  ASSERT_TRUE(platform::WriteWholeFile(path, bytes)) << path;
}

bool Exists(const std::wstring& path) { return platform::FileAttributes(path) != platform::kInvalidAttributes; }

// The user's folders: Wine's own under Wine, a planted prefix natively.
class SystemServices : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!maker_.empty()) DeleteByExtension(maker_, L"*");
  }

  std::wstring AppData() const { return platform::KnownFolderPath(platform::kCsidlAppData); }
  std::wstring LocalAppData() const { return platform::KnownFolderPath(platform::kCsidlLocalAppData); }

#ifndef _WIN32
  testsupport::PlantedPrefix prefix_;
#endif
  std::wstring maker_ = AppData() + L"\\Halvoris";
};

TEST_F(SystemServices, DataFolderIsMadeUnderTheApplicationData) {
  ASSERT_FALSE(AppData().empty());
  EXPECT_EQ(DataFolder(L"C:\\Program Files\\Purgello\\Purgello.exe", L"Purgello"), maker_ + L"\\Purgello\\");
  EXPECT_TRUE(platform::WideFolderExists(maker_ + L"\\Purgello"));
  // A second call finds the folders there.
  EXPECT_EQ(DataFolder(L"C:\\Program Files\\Purgello\\Purgello.exe", L"Purgello"), maker_ + L"\\Purgello\\");
}

TEST_F(SystemServices, DataFolderFallsBackToTheProgramFolder) {
  // A file where the maker's folder belongs: neither folder can be made.
  Plant(maker_);
  EXPECT_EQ(DataFolder(L"D:\\Apps\\Purgello.exe", L"Purgello"), L"D:\\Apps\\");
  platform::DeleteFileAt(maker_);
#ifndef _WIN32
  std::filesystem::remove_all(prefix_.Root() + "/drive_c/users/tester/AppData/Roaming");
  EXPECT_EQ(DataFolder(L"D:\\Apps\\Purgello.exe", L"Purgello"), L"D:\\Apps\\");
#endif
}

TEST_F(SystemServices, MakerFolderGoesOnlyWithoutSubFolders) {
  enum class Content { SubFolder, File, Nothing };
  const struct {
    Content content;
    bool stays;
  } cases[] = {
      {Content::SubFolder, true},
      {Content::File, true},  // its removal fails, and that is fine
      {Content::Nothing, false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(platform::WideCreateFolder(maker_));
    if (c.content == Content::SubFolder) platform::WideCreateFolder(maker_ + L"\\Purgello");
    if (c.content == Content::File) Plant(maker_ + L"\\notes.txt");
    RemoveMakerFolderIfEmpty();
    EXPECT_EQ(Exists(maker_), c.stays) << int(c.content);
    DeleteByExtension(maker_, L"*");
  }
  RemoveMakerFolderIfEmpty();  // no maker folder at all
  EXPECT_FALSE(Exists(maker_));
}

TEST(DeleteByExtension, StarEmptiesAndRemovesTheWholeTree) {
  testsupport::TempTree tree;
  const std::wstring root = tree.MakeFolder(L"data");
  for (const wchar_t* file : {L"data\\a.txt", L"data\\noext", L"data\\ro.log", L"data\\.hidden", L"data\\sub\\b.log",
                              L"data\\sub\\deeper\\c"})
    tree.WriteFile(file, "x");
  tree.MakeFolder(L"data\\empty");
  ASSERT_TRUE(platform::SetFileAttributesTo(tree.Path(L"data\\ro.log"), platform::kAttrReadOnly));
  ASSERT_TRUE(platform::SetFileAttributesTo(tree.Path(L"data\\sub\\b.log"), platform::kAttrReadOnly | platform::kAttrHidden));

  EXPECT_TRUE(DeleteByExtension(root + L"\\", L"*"));
  EXPECT_FALSE(tree.Exists(L"data"));
}

TEST(DeleteByExtension, OtherExtensionsEnterOnlyMatchingFolders) {
  testsupport::TempTree tree;
  const std::wstring root = tree.MakeFolder(L"lang");
  for (const wchar_t* file : {L"fr.spk", L"de.SPK", L"keep.txt", L"x.spkbak", L"pack.SPK\\inner.spk",
                              L"pack.SPK\\other.txt", L"only.spk\\a.spk", L"plain\\y.spk"})
    tree.WriteFile(std::wstring(L"lang\\") + file, "x");

  EXPECT_TRUE(DeleteByExtension(root, L"SPK"));
  for (const wchar_t* gone : {L"fr.spk", L"de.SPK", L"pack.SPK\\inner.spk", L"only.spk"})
    EXPECT_FALSE(tree.Exists(std::wstring(L"lang\\") + gone)) << gone;
  for (const wchar_t* kept : {L"keep.txt", L"x.spkbak", L"pack.SPK\\other.txt", L"plain\\y.spk"})
    EXPECT_TRUE(tree.Exists(std::wstring(L"lang\\") + kept)) << kept;
}

// Links the test can plant (Wine cannot make them).
bool MakeLink(const std::wstring& link, const std::wstring& target, bool folder) {
#ifdef _WIN32
  if (!CreateSymbolicLinkW(link.c_str(), target.c_str(), folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0)) return false;
  return (platform::FileAttributes(link) & platform::kAttrReparsePoint) != 0;
#else
  (void)folder;
  return symlink(testsupport::NativePath(target).c_str(), testsupport::NativePath(link).c_str()) == 0;
#endif
}

TEST(DeleteByExtension, RemovesLinksWithoutTouchingWhatTheyLeadTo) {
  testsupport::TempTree tree;
  tree.WriteFile(L"outside\\precious.txt", "keep");
  tree.WriteFile(L"outside\\single.txt", "keep");
  tree.WriteFile(L"victim\\junk.tmp", "x");
  if (!MakeLink(tree.Path(L"victim\\folderlink"), tree.Path(L"outside"), true) ||
      !MakeLink(tree.Path(L"victim\\filelink"), tree.Path(L"outside\\single.txt"), false))
    GTEST_SKIP() << "the system made no links";

  EXPECT_TRUE(DeleteByExtension(tree.Path(L"victim"), L"*"));
  EXPECT_FALSE(tree.Exists(L"victim"));
  EXPECT_EQ(tree.ReadFile(L"outside\\precious.txt"), "keep");
  EXPECT_EQ(tree.ReadFile(L"outside\\single.txt"), "keep");
}

class VirtualStore : public SystemServices {
 protected:
  void TearDown() override { DeleteByExtension(LocalAppData() + L"\\VirtualStore\\Tools", L"*"); }
  std::wstring store_ = LocalAppData() + L"\\VirtualStore\\Tools\\";
};

TEST_F(VirtualStore, RemovesOnlyLanguageFilesFromTheProgramsStore) {
  ASSERT_FALSE(LocalAppData().empty());
  for (const wchar_t* file : {L"HV_0000040C.SPK", L"hv_00000407.spk", L"notes.txt"}) Plant(store_ + file);
  EXPECT_EQ(CleanVirtualStore(L"C:\\Tools\\"), store_);
  EXPECT_FALSE(Exists(store_ + L"HV_0000040C.SPK"));
  EXPECT_FALSE(Exists(store_ + L"hv_00000407.spk"));
  EXPECT_TRUE(Exists(store_ + L"notes.txt"));
}

TEST_F(VirtualStore, AStoreLeftEmptyGoesAndIsStillReported) {
  Plant(store_ + L"HV_0000040C.SPK");
  EXPECT_EQ(CleanVirtualStore(L"C:\\Tools\\"), store_);
  EXPECT_FALSE(Exists(platform::WithoutTrailingBackslash(store_)));
  EXPECT_EQ(CleanVirtualStore(L"C:\\Tools\\"), L"");
}

TEST(FileExistsNonEmpty, OnlyFilesWithContentCount) {
  testsupport::TempTree tree;
  tree.WriteFile(L"full.log", "x");
  tree.WriteFile(L"empty.log");
  tree.MakeFolder(L"folder");
  EXPECT_TRUE(FileExistsNonEmpty(tree.Path(L"full.log")));
  EXPECT_FALSE(FileExistsNonEmpty(tree.Path(L"empty.log")));
  EXPECT_FALSE(FileExistsNonEmpty(tree.Path(L"folder")));
  EXPECT_FALSE(FileExistsNonEmpty(tree.Path(L"missing.log")));
}

TEST(FormatCountdown, MinutesBelowAnHourHoursFromThereOn) {
  const struct {
    int64_t seconds;
    const wchar_t* text;
  } cases[] = {
      {0, L"0:00"},       {5, L"0:05"},          {59, L"0:59"},          {425, L"7:05"},
      {3599, L"59:59"},   {3600, L"1:00:00"},    {4025, L"1:07:05"},     {360000, L"100:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatCountdown(c.seconds), c.text) << c.seconds;
}

}  // namespace
