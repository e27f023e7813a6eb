// Links met during a walk: never entered, never taken for a folder, never
// offered as the file they point at. (Linux: symbolic links; Wine cannot make
// links that Windows calls see as such.)
#include <gtest/gtest.h>
#include <unistd.h>

#include "analysis/listing.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/run_category.h"
#include "tests/support/temp_tree.h"

namespace {

TEST(ListingLinks, WalksNeverEnterOrReportFolderLinks) {
  testsupport::TempTree outside;
  outside.WriteFile(L"precious\\document.docx", "keep me");
  testsupport::TempTree tree;
  tree.WriteFile(L"root\\real\\a.tmp", "x");
  ASSERT_EQ(symlink(testsupport::NativePath(outside.Path(L"precious")).c_str(),
                    testsupport::NativePath(tree.Path(L"root\\junction")).c_str()),
            0);
  const std::wstring root = tree.Path(L"root");

  PathList files, folders, named, flatFolders;
  ListFiles(root, files);
  ListFolders(root, folders);
  FindFilesNamed(root, L"document.docx", named);
  ListFoldersFlat(root, flatFolders);
  EXPECT_EQ(files, PathList{tree.Path(L"root\\real\\a.tmp")});
  EXPECT_EQ(folders, PathList{tree.Path(L"root\\real")});
  EXPECT_TRUE(named.empty());
  EXPECT_EQ(flatFolders, PathList{tree.Path(L"root\\real")});

  // A root that itself reaches through a link is resolved as any path is.
  PathList throughRoot;
  ListFiles(tree.Path(L"root\\junction"), throughRoot);
  EXPECT_EQ(throughRoot, PathList{tree.Path(L"root\\junction\\document.docx")});
}

TEST(ListingLinks, AFileLinkIsNeverOffered) {
  testsupport::PlantedPrefix prefix;
  testsupport::TempTree outside;
  const std::wstring target = outside.WriteFile(L"secret.txt", "keep me");
  const std::wstring temp = L"C:\\windows\\Temp\\";
  prefix.Plant(temp + L"real.tmp");
  ASSERT_EQ(symlink(testsupport::NativePath(target).c_str(), testsupport::NativePath(temp + L"link.tmp").c_str()), 0);
  EXPECT_EQ(testsupport::RunCategory(L"Temporary_Files"), (testsupport::Found{{L"Temporary File", temp + L"real.tmp"}}));
}

}  // namespace
