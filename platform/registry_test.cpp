// The registry seam, run against the posix registry file and, under Wine, the
// real registry: types, order, letter case and deletions behave alike.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/win_path.h"
#include "tests/support/own_prefix.h"
#include "tests/support/temp_tree.h"

namespace platform {
namespace {

const std::wstring kBase = L"SOFTWARE\\PurgelloRegistryTest";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteKeyTree(RegRoot::CurrentUser, kBase); }
  void TearDown() override { DeleteKeyTree(RegRoot::CurrentUser, kBase); }

  testsupport::TempTree tree_;
  testsupport::OwnPrefix prefix_{tree_.Root()};
};

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += char(v);
  return out;
}

TEST_F(RegistryTest, ValuesKeepTypeDataAndPlace) {
  // Texts with characters the posix file must escape, one outside the BMP.
  const std::wstring text = L"quote\" percent% tab\t line\r\nend \u00E9\u4E2D\U0001F600";
  const std::vector<RegValue> written = {
      {L"A text", RegType::String, RegDataFromText(text)},
      {L"B dword", RegType::Dword, RegDataFromDword(0xFFFFFFFBu)},
      {L"C expand", RegType::ExpandString, RegDataFromText(L"%TEMP%\\x")},
      {L"D binary", RegType::Binary, Bytes({0, 1, 0xFF, 0})},
      {L"E qword", RegType::Qword, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {L"F multi", RegType::MultiString, std::string("a\0\0\0b\0\0\0\0\0", 10)},
      {L"G other", RegType::Other, Bytes({9})},
      {L"H empty binary", RegType::Binary, ""},
  };
  {
    RegKey key = RegKey::Create(RegRoot::CurrentUser, kBase + L"\\Deep\\Below");
    ASSERT_TRUE(key.IsOpen());
    for (const RegValue& v : written) ASSERT_TRUE(key.WriteValue(v));
  }
  RegKey key = RegKey::Open(RegRoot::CurrentUser, kBase + L"\\deep\\BELOW", RegAccess::Read);
  ASSERT_TRUE(key.IsOpen());
  std::vector<RegValue> read = key.ReadValues();
  ASSERT_EQ(read.size(), written.size());
  for (size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].name, written[i].name);
    EXPECT_EQ(read[i].type, written[i].type) << i;
    EXPECT_EQ(read[i].data, written[i].data) << i;
    EXPECT_EQ(key.ValueType(written[i].name), written[i].type) << i;
  }

  std::wstring s;
  uint32_t d = 0;
  EXPECT_TRUE(key.ReadString(L"a TEXT", s));
  EXPECT_EQ(s, text);
  EXPECT_TRUE(key.ReadString(L"C expand", s));
  EXPECT_EQ(s, L"%TEMP%\\x");
  EXPECT_TRUE(key.ReadDword(L"b dword", d));
  EXPECT_EQ(d, 0xFFFFFFFBu);
  // The wrong type is a plain failure, never a crash or a throw.
  for (const wchar_t* name : {L"B dword", L"D binary", L"E qword", L"F multi", L"G other", L"missing"})
    EXPECT_FALSE(key.ReadString(name, s)) << name;
  EXPECT_FALSE(key.ReadDword(L"A text", d));
  EXPECT_FALSE(key.ReadDword(L"E qword", d));
  EXPECT_EQ(key.ValueType(L"missing"), RegType::None);
  EXPECT_TRUE(key.HasValue(L"g OTHER"));
  EXPECT_FALSE(key.HasValue(L"missing"));
  // Opened for reading only.
  EXPECT_FALSE(key.WriteString(L"A text", L"changed"));
  EXPECT_TRUE(key.ReadString(L"A text", s));
  EXPECT_EQ(s, text);
}

TEST_F(RegistryTest, RewritingAValueKeepsItsNameListAndChangesItsType) {
  RegKey key = RegKey::Create(RegRoot::CurrentUser, kBase);
  ASSERT_TRUE(key.WriteString(L"Alpha", L"1"));
  ASSERT_TRUE(key.WriteString(L"Beta", L"2"));
  ASSERT_TRUE(key.WriteDword(L"ALPHA", 7));  // the same value, in other letters
  std::vector<RegValueInfo> values = key.Values();
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].type, RegType::Dword);
  EXPECT_TRUE(EqualsNoCase(values[0].name, L"alpha"));
  EXPECT_EQ(values[1].name, L"Beta");
  uint32_t d = 0;
  EXPECT_TRUE(key.ReadDword(L"alpha", d));
  EXPECT_EQ(d, 7u);
  EXPECT_TRUE(key.WriteValues({{L"Gamma", RegType::String, RegDataFromText(L"g")},
                               {L"beta", RegType::String, RegDataFromText(L"two")}}));
  std::wstring s;
  EXPECT_TRUE(key.ReadString(L"Beta", s));
  EXPECT_EQ(s, L"two");
  EXPECT_EQ(key.Values().size(), 3u);
}

TEST_F(RegistryTest, SubKeysAreListedSortedWithoutRegardToCase) {
  for (const wchar_t* name : {L"delta", L"Bravo", L"alpha", L"Charlie"})
    ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kBase + L"\\" + name).IsOpen());
  ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kBase + L"\\ALPHA\\inner").IsOpen());
  RegKey key = RegKey::Open(RegRoot::CurrentUser, kBase, RegAccess::Read);
  // (Names with "_" are left out: Windows folds to upper case, so "_" sorts
  // after the letters, while Wine folds to lower case.)
  EXPECT_EQ(key.SubKeyNames(), (std::vector<std::wstring>{L"alpha", L"Bravo", L"Charlie", L"delta"}));
  EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, kBase + L"\\alpha\\INNER"));
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kBase + L"\\echo"));
  EXPECT_FALSE(RegKey::Open(RegRoot::CurrentUser, kBase + L"\\echo", RegAccess::Read).IsOpen());
  // The roots are apart.
  EXPECT_FALSE(KeyExists(RegRoot::LocalMachine, kBase + L"\\alpha"));
}

TEST_F(RegistryTest, Deletions) {
  const std::wstring a = kBase + L"\\A";
  {
    RegKey key = RegKey::Create(RegRoot::CurrentUser, a + L"\\Sub\\Deeper");
    ASSERT_TRUE(key.WriteString(L"x", L"1"));
  }
  RegKey sub = RegKey::Open(RegRoot::CurrentUser, a + L"\\Sub", RegAccess::ReadWrite);
  ASSERT_TRUE(sub.WriteString(L"v", L"1"));
  EXPECT_TRUE(sub.DeleteValue(L"V"));
  EXPECT_FALSE(sub.HasValue(L"v"));
  EXPECT_FALSE(sub.DeleteValue(L"v"));

  // Not empty: a sub-key, then a value, keeps the key.
  EXPECT_FALSE(DeleteKeyIfEmpty(RegRoot::CurrentUser, a));
  EXPECT_TRUE(DeleteKeyTree(RegRoot::CurrentUser, a + L"\\sub"));
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, a + L"\\Sub\\Deeper"));
  EXPECT_FALSE(DeleteKeyTree(RegRoot::CurrentUser, a + L"\\Sub"));
  ASSERT_TRUE(RegKey::Open(RegRoot::CurrentUser, a, RegAccess::ReadWrite).WriteString(L"keep", L"1"));
  EXPECT_FALSE(DeleteKeyIfEmpty(RegRoot::CurrentUser, a));
  EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, a));
  ASSERT_TRUE(RegKey::Open(RegRoot::CurrentUser, a, RegAccess::ReadWrite).DeleteValue(L"keep"));
  EXPECT_TRUE(DeleteKeyIfEmpty(RegRoot::CurrentUser, a));
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, a));
  EXPECT_FALSE(DeleteKeyIfEmpty(RegRoot::CurrentUser, a));
  // A failed open says why.
  EXPECT_EQ(sub.OpenError(), 0u);
  const RegKey gone = RegKey::Open(RegRoot::CurrentUser, a, RegAccess::Read);
  EXPECT_FALSE(gone.IsOpen());
  EXPECT_EQ(gone.OpenError(), kErrorFileNotFound);

  // A key deleted while it is open neither reads nor takes writes.
  EXPECT_FALSE(sub.WriteString(L"late", L"1"));
  EXPECT_TRUE(sub.ReadValues().empty());
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, a + L"\\Sub"));
}

}  // namespace
}  // namespace platform
