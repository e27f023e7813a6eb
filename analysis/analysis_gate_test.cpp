// The gate gives each row the identity of the file it found, which the
// cleaning later checks before it touches anything.
#include <gtest/gtest.h>

#include "analysis/analysis_run.h"
#include "model/review_list.h"
#include "platform/file_identity.h"
#include "system/dispatcher.h"
#include "tests/support/temp_tree.h"

namespace {

TEST(AnalysisGate, EachRowCarriesTheIdentityOfItsFile) {
  testsupport::TempTree tree;
  const std::wstring a = tree.WriteFile(L"a.tmp", "a");
  const std::wstring b = tree.WriteFile(L"sub\\b.tmp", "b");
  ReviewList list;
  InlineDispatcher dispatcher;
  AnalysisHost host;
  host.dispatcher = &dispatcher;
  host.list = &list;
  AnalysisRun run(host, KnownFolders{});
  run.AddFoundItem(L"Temporary File", a);
  run.AddFoundItem(L"Temporary File", b);
  ASSERT_EQ(list.Count(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    platform::FileIdentity now;
    ASSERT_TRUE(platform::QueryFileIdentity(list.At(i).path, now));
    const platform::FileIdentity& row = list.At(i).identity;
    EXPECT_TRUE(row.Known());
    EXPECT_EQ(row.volume, now.volume);
    EXPECT_EQ(row.index, now.index);
    EXPECT_EQ(row.resolvedPath, now.resolvedPath);
  }
  EXPECT_NE(list.At(0).identity.index, list.At(1).identity.index);
}

}  // namespace
