// The sibling products' buttons: the recorded executable when it is still
// there, the product's page otherwise; the shell call is recorded, not made.
#include "app/sibling_products.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/vendor.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "settings/settings_store.h"
#include "tests/support/own_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

using testsupport::TempTree;

class SiblingProductsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kMakerBranch); }
  void TearDown() override { platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kMakerBranch); }
  // What the button hands to the shell.
  std::vector<std::wstring> Click(SiblingProduct product) {
    std::vector<std::wstring> opened;
    OpenSiblingProduct(product, [&](const std::wstring& target) { opened.push_back(target); });
    return opened;
  }

  TempTree tree_;
  testsupport::OwnPrefix prefix_{tree_.Path(L"prefix")};
};

using Opened = std::vector<std::wstring>;

TEST_F(SiblingProductsTest, RecordedExecutableStartsUntilItIsGone) {
  const std::wstring shredder = tree_.WriteFile(L"Shredix\\Shredix.exe", "MZ");
  const std::wstring health = tree_.WriteFile(L"Disk Health\\Diskwise.exe", "MZ");
  WriteMakerValue(L"Shredix", shredder);
  WriteMakerValue(L"Diskwise", health);
  EXPECT_EQ(Click(SiblingProduct::Shredder), (Opened{shredder}));
  EXPECT_EQ(Click(SiblingProduct::DiskHealth), (Opened{health}));

  ASSERT_TRUE(platform::DeleteFileAt(health));
  EXPECT_EQ(Click(SiblingProduct::DiskHealth), (Opened{L"https://" + VendorServer() + L"/?dskw"}));
  EXPECT_EQ(Click(SiblingProduct::Shredder), (Opened{shredder})) << "the other product is still there";
}

TEST_F(SiblingProductsTest, ValuesThatNameNoFileOpenThePage) {
  tree_.WriteFile(L"tool.exe", "MZ");
  const std::wstring page = L"https://" + VendorServer() + L"/?shredix";
  struct Case {
    const char* what;
    std::wstring value;  // empty: no value at all
  } cases[] = {
      {"never recorded", L""},
      {"a folder", tree_.Root()},
      {"a file that was never there", tree_.Path(L"absent.exe")},
      {"a pattern matching a file", tree_.Path(L"*.exe")},
      {"a single-character pattern", tree_.Path(L"tool.ex?")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kMakerBranch);
    if (!c.value.empty()) WriteMakerValue(L"Shredix", c.value);
    EXPECT_EQ(Click(SiblingProduct::Shredder), (Opened{page}));
  }
}

TEST(VendorTest, AddressesAreBuiltOnTheOneServer) {
  EXPECT_FALSE(VendorServer().empty());
  EXPECT_EQ(VendorServer().find(L"://"), std::wstring::npos) << "a host name, without a scheme";
  EXPECT_EQ(VendorAddress(L""), L"https://" + VendorServer());
  EXPECT_EQ(VendorAddress(L"/forum"), L"https://" + VendorServer() + L"/forum");
  EXPECT_NE(VendorEmail().find(L'@'), std::wstring::npos);
  EXPECT_NE(VendorEmail().rfind(L"mailto:", 0), 0u) << "the address alone";
}

}  // namespace
