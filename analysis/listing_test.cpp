#include "analysis/listing.h"

#include <gtest/gtest.h>

#include "analysis/same_content.h"
#include "system/file_exists_non_empty.h"
#include "tests/support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/known_folders.h"
#include "platform/win32/handle.h"
#include "platform/win_path.h"
#include "platform/wow64.h"
#endif

namespace {

class ListingTest : public ::testing::Test {
 protected:
  // Paths relative to the tree, for readable expectations.
  std::vector<std::wstring> Relative(const PathList& list) {
    std::vector<std::wstring> out;
    for (const std::wstring& p : list) out.push_back(p.substr(tree.Root().size() + 1));
    return out;
  }
  testsupport::TempTree tree;
};

using Names = std::vector<std::wstring>;

TEST_F(ListingTest, RecursiveListingsAreDepthFirstInNameOrder) {
  tree.WriteFile(L"a\\b\\c\\deep.txt", "1");
  tree.WriteFile(L"a\\b\\B.LOG", "1");
  tree.WriteFile(L"a\\z.log", "1");
  tree.WriteFile(L"a\\Y.txt", "1");
  tree.MakeFolder(L"a\\empty");
  const std::wstring root = tree.Path(L"a");

  PathList files;
  ListFiles(root, files);
  EXPECT_EQ(Relative(files), (Names{L"a\\b\\B.LOG", L"a\\b\\c\\deep.txt", L"a\\Y.txt", L"a\\z.log"}));

  PathList folders;
  ListFolders(root + L"\\", folders);  // a root with its separator gives the same paths
  EXPECT_EQ(Relative(folders), (Names{L"a\\b", L"a\\b\\c", L"a\\empty"}));

  PathList logs;
  ListFilesByExtDeep(root, L".log", logs);
  EXPECT_EQ(Relative(logs), (Names{L"a\\b\\B.LOG", L"a\\z.log"}));

  PathList flat;
  ListFilesFlat(root, flat);
  EXPECT_EQ(Relative(flat), (Names{L"a\\Y.txt", L"a\\z.log"}));
  PathList flatFolders;
  ListFoldersFlat(root, flatFolders);
  EXPECT_EQ(Relative(flatFolders), (Names{L"a\\b", L"a\\empty"}));
  PathList flatLogs;
  ListFilesByExt(root, L".LOG", flatLogs);
  EXPECT_EQ(Relative(flatLogs), (Names{L"a\\z.log"}));
}

TEST_F(ListingTest, NamedSearchesFindNestedMatches) {
  tree.WriteFile(L"p\\Cache\\x\\cache\\f.bin", "1");
  tree.WriteFile(L"p\\other\\CACHE.dat", "1");
  tree.WriteFile(L"p\\other\\cache.dat.old", "1");
  PathList folders;
  FindFoldersNamed(tree.Path(L"p"), L"cache", folders);
  EXPECT_EQ(Relative(folders), (Names{L"p\\Cache", L"p\\Cache\\x\\cache"}));
  PathList files;
  FindFilesNamed(tree.Path(L"p"), L"cache.dat", files);
  EXPECT_EQ(Relative(files), (Names{L"p\\other\\CACHE.dat"}));
}

TEST_F(ListingTest, ListingsAppendAndOverSeveralRoots) {
  tree.WriteFile(L"r1\\one.log", "1");
  tree.WriteFile(L"r2\\two.log", "1");
  PathList list{L"kept"};
  ListFilesByExt(PathList{tree.Path(L"r2"), tree.Path(L"r1")}, L".log", list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], L"kept");
  EXPECT_EQ(Relative(PathList(list.begin() + 1, list.end())), (Names{L"r2\\two.log", L"r1\\one.log"}));
}

TEST_F(ListingTest, MissingEmptyAndFileRootsYieldNothing) {
  tree.WriteFile(L"file.txt", "1");
  PathList list;
  ListFiles(L"", list);
  ListFolders(tree.Path(L"missing"), list);
  ListFiles(tree.Path(L"file.txt"), list);
  ListFilesFlat(tree.Path(L"file.txt"), list);
  EXPECT_TRUE(list.empty());
}

TEST_F(ListingTest, VeryDeepTreeDoesNotExhaustTheStack) {
  std::wstring relative = L"d";
  for (int i = 0; i < 400; ++i) relative += L"\\d";  // far beyond MAX_PATH too
  tree.WriteFile(relative + L"\\leaf.txt", "x");
  PathList files, folders;
  ListFiles(tree.Path(L"d"), files);
  ListFolders(tree.Path(L"d"), folders);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], tree.Path(relative + L"\\leaf.txt"));
  EXPECT_EQ(folders.size(), 400u);
}

TEST_F(ListingTest, NamesOutsideTheAnsiCodePage) {
  const std::wstring name = L"\u65E5\u672C\u0416\u00E9.log";
  tree.WriteFile(L"u\\" + name, "x");
  PathList list;
  ListFilesByExtDeep(tree.Path(L"u"), L".log", list);
  EXPECT_EQ(list, PathList{tree.Path(L"u\\" + name)});
}

TEST_F(ListingTest, SameContentCodes) {
  const std::wstring ten = tree.WriteFile(L"ten", "0123456789");
  const std::wstring five = tree.WriteFile(L"five", "01234");
  const std::wstring other = tree.WriteFile(L"other", "01X34");
  const std::wstring emptyA = tree.WriteFile(L"ea");
  const std::wstring emptyB = tree.WriteFile(L"eb");
  std::string big(100000, 'q');
  const std::wstring bigA = tree.WriteFile(L"bigA", big);
  big[70000] = 'r';
  const std::wstring bigB = tree.WriteFile(L"bigB", big);
  EXPECT_EQ(SameContent(ten, ten), 0);
  EXPECT_EQ(SameContent(emptyA, emptyB), 0);
  EXPECT_EQ(SameContent(ten, five), 2);
  EXPECT_EQ(SameContent(five, ten), 1);
  EXPECT_EQ(SameContent(five, other), 3);
  EXPECT_EQ(SameContent(bigA, bigB), 3);  // differs in the third block
  EXPECT_EQ(SameContent(bigA, bigA), 0);
  std::wstring unreadable = L"stale";
  EXPECT_EQ(SameContent(ten, tree.Path(L"missing"), &unreadable), 3);
  EXPECT_EQ(unreadable, L"");
  EXPECT_EQ(SameContent(tree.Root(), ten), 3);  // a folder is not a regular file
}

#ifdef _WIN32
// A 32-bit program on 64-bit Windows is shown SysWOW64 where it names System32
// unless the redirection is off; listings and the non-empty test switch it off.
TEST(Wow64Listing, SeesTheRealSystem32) {
  if (!platform::IsWow64()) GTEST_SKIP() << "only a 32-bit build on 64-bit Windows is redirected";
  const std::wstring windows = platform::WithTrailingBackslash(platform::KnownFolderPath(platform::kCsidlWindows));
  const std::wstring real = windows + L"System32\\purgello-probe", redirected = windows + L"SysWOW64\\purgello-probe";
  auto plant = [](const std::wstring& folder, const std::wstring& name) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const platform::Handle file(
        CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.Valid());
    DWORD written = 0;
    WriteFile(file.Get(), "x", 1, &written, nullptr);
  };
  auto remove = [](const std::wstring& folder, const std::wstring& name) {
    DeleteFileW((folder + L"\\" + name).c_str());
    RemoveDirectoryW(folder.c_str());
  };
  // Planted through the system's own switch, so that the code under test plays no part.
  PVOID state = nullptr;
  ASSERT_TRUE(Wow64DisableWow64FsRedirection(&state));
  plant(real, L"only64.txt");
  Wow64RevertWow64FsRedirection(state);
  plant(redirected, L"only32.txt");

  PathList files;
  ListFiles(real, files);
  EXPECT_EQ(files, PathList{real + L"\\only64.txt"});
  EXPECT_TRUE(FileExistsNonEmpty(real + L"\\only64.txt"));
  EXPECT_FALSE(FileExistsNonEmpty(real + L"\\only32.txt"));

  remove(redirected, L"only32.txt");
  ASSERT_TRUE(Wow64DisableWow64FsRedirection(&state));
  remove(real, L"only64.txt");
  Wow64RevertWow64FsRedirection(state);
}
#endif

}  // namespace
