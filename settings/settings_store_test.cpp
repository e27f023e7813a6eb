// The settings store over the registry seam (posix: the registry file of a
// temporary prefix; Wine: its real registry), and the portable cycle through
// "settings.ini".
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <map>

#include "platform/registry.h"
#include "tests/support/own_prefix.h"
#include "tests/support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

using namespace std::string_literals;
using platform::KeyExists;
using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kUninstall32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kShredixBranch = L"SOFTWARE\\Halvoris\\Shredix";

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::DeleteKeyTree(RegRoot::CurrentUser, kMakerBranch); }
  void TearDown() override {
    platform::DeleteKeyTree(RegRoot::CurrentUser, kMakerBranch);
    for (const auto& [root, path] : planted_) platform::DeleteKeyTree(root, path, platform::RegView::Force64);
  }

  // An uninstall registration; displayName null for none.
  void Register(RegRoot root, const std::wstring& parent, const std::wstring& name, const RegValue* displayName) {
    std::wstring path = parent + L"\\" + name;
    // Written where the 64-bit registry has it: a 32-bit program that read
    // the default view would be shown Wow6432Node instead.
    RegKey key = RegKey::Create(root, path, platform::RegView::Force64);
    ASSERT_TRUE(key.IsOpen());
    planted_.emplace_back(root, path);
    if (displayName) {
      ASSERT_TRUE(key.WriteValue(*displayName));
    }
  }
  void Unregister() {
    for (const auto& [root, path] : planted_) platform::DeleteKeyTree(root, path, platform::RegView::Force64);
    planted_.clear();
  }

  static std::map<std::wstring, std::pair<RegType, std::string>> Branch(const std::wstring& path = kSettingsBranch) {
    std::map<std::wstring, std::pair<RegType, std::string>> out;
    for (RegValue& v : RegKey::Open(RegRoot::CurrentUser, path, RegAccess::Read).ReadValues())
      out[v.name] = {v.type, v.data};
    return out;
  }
  static std::pair<RegType, std::string> Text(const std::wstring& text) {
    return {RegType::String, platform::RegDataFromText(text)};
  }
  static std::pair<RegType, std::string> Dword(uint32_t value) {
    return {RegType::Dword, platform::RegDataFromDword(value)};
  }

  void MakeReadOnly(const std::wstring& relative) {
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(testsupport::NativePath(tree_.Path(relative)).c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(testsupport::NativePath(tree_.Path(relative)).c_str(), 0444), 0);
#endif
  }

  testsupport::TempTree tree_;
  testsupport::OwnPrefix prefix_{tree_.Path(L"prefix")};
  std::vector<std::pair<RegRoot, std::wstring>> planted_;
};

TEST_F(SettingsStoreTest, SettingsAreTextValues) {
  EXPECT_EQ(GetSetting(L"NeverWritten"), L"");
  EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, kSettingsBranch));

  EXPECT_TRUE(SetSettingBool(L"ExpertMode", true));
  EXPECT_TRUE(SetSettingBool(L"MinSysTray", false));
  EXPECT_TRUE(SetSettingInt(L"Top", -5));
  EXPECT_TRUE(SetSettingInt(L"Left", INT_MIN));
  EXPECT_TRUE(SetSetting(L"ProxyUser", L"J\u00FCrgen=admin"));
  EXPECT_TRUE(SetSetting(L"Empty", L""));
  EXPECT_EQ(Branch(), (std::map<std::wstring, std::pair<RegType, std::string>>{
                          {L"ExpertMode", Text(L"1")},
                          {L"MinSysTray", Text(L"0")},
                          {L"Top", Text(L"-5")},
                          {L"Left", Text(L"-2147483648")},
                          {L"ProxyUser", Text(L"J\u00FCrgen=admin")},
                          {L"Empty", Text(L"")},
                      }));
  EXPECT_EQ(GetSetting(L"expertmode"), L"1");
  EXPECT_EQ(GetSetting(L"ProxyUser"), L"J\u00FCrgen=admin");
}

TEST_F(SettingsStoreTest, ValuesOfOtherTypesReadAsEmpty) {
  RegKey key = RegKey::Create(RegRoot::CurrentUser, kSettingsBranch);
  ASSERT_TRUE(key.WriteDword(L"ExpertMode", 1));  // as "Settings_DWORD" would import it
  ASSERT_TRUE(key.WriteValue({L"Binary", RegType::Binary, "1"}));
  ASSERT_TRUE(key.WriteValue({L"Qword", RegType::Qword, "\1\0\0\0\0\0\0\0"s}));
  ASSERT_TRUE(key.WriteValue({L"Multi", RegType::MultiString, platform::RegDataFromText(L"a") + "\0\0"s}));
  ASSERT_TRUE(key.WriteValue({L"Expand", RegType::ExpandString, platform::RegDataFromText(L"%TEMP%")}));
  for (const wchar_t* name : {L"ExpertMode", L"Binary", L"Qword", L"Multi"}) EXPECT_EQ(GetSetting(name), L"") << name;
  EXPECT_EQ(GetSetting(L"Expand"), L"%TEMP%");
}

TEST_F(SettingsStoreTest, MakerBranch) {
  EXPECT_FALSE(MakerValueExists(L"Purgello"));
  EXPECT_EQ(ReadMakerValue(L"Purgello"), L"");
  WriteMakerValue(L"Purgello", L"C:\\Tools\\Purgello.exe");
  EXPECT_TRUE(MakerValueExists(L"PURGELLO"));
  EXPECT_EQ(ReadMakerValue(L"Purgello"), L"C:\\Tools\\Purgello.exe");
  DeleteMakerValue(L"Purgello");
  DeleteMakerValue(L"Purgello");
  EXPECT_FALSE(MakerValueExists(L"Purgello"));

  // The maker branch goes only when nothing at all is left in it.
  WriteMakerValue(L"Shredix", L"C:\\Shredix.exe");
  DeleteMakerBranchIfEmpty();
  EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, kMakerBranch));
  DeleteMakerValue(L"Shredix");
  ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kShredixBranch + L"\\Inner").WriteString(L"a", L"1"));
  ASSERT_TRUE(SetSetting(L"ExpertMode", L"1"));
  RegKey::Create(RegRoot::CurrentUser, kSettingsBranch + L"\\Nested"s).WriteString(L"x", L"1");
  DeleteSettingsBranch(L"");  // names no product: nothing goes
  EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, kSettingsBranch));
  DeleteSettingsBranch(L"purgello");
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kSettingsBranch));
  DeleteMakerBranchIfEmpty();
  EXPECT_TRUE(KeyExists(RegRoot::CurrentUser, kShredixBranch + L"\\Inner"));
  DeleteSettingsBranch(L"Shredix");
  DeleteMakerBranchIfEmpty();
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kMakerBranch));
}

TEST_F(SettingsStoreTest, InstalledWhenARegistrationBeginsWithThePrefix) {
  const RegValue none{};
  struct Case {
    RegRoot root;
    const std::wstring& parent;
    const wchar_t* subKey;
    RegValue displayName;  // type None: no such value
    bool installed;
  } cases[] = {
      {RegRoot::CurrentUser, kUninstall, L"{0A1B}", {L"DisplayName", RegType::String, platform::RegDataFromText(L"HALVORIS purgello 1.2.3")}, true},
      {RegRoot::LocalMachine, kUninstall, L"{0A1C}", {L"DisplayName", RegType::String, platform::RegDataFromText(L"halvoris PURGELLO")}, true},
      {RegRoot::LocalMachine, kUninstall32, L"{0A1D}", {L"DisplayName", RegType::String, platform::RegDataFromText(L"Halvoris Purgello v2")}, true},
      {RegRoot::LocalMachine, kUninstall, L"Halvoris Purgello_is1", none, true},
      {RegRoot::LocalMachine, kUninstall32, L"Halvoris Purgello_is1", {L"DisplayName", RegType::Dword, platform::RegDataFromDword(1)}, true},
      {RegRoot::LocalMachine, kUninstall, L"Halvoris Purgello_is1", {L"DisplayName", RegType::String, platform::RegDataFromText(L"Other tool")}, false},
      {RegRoot::CurrentUser, kUninstall, L"{0A1E}", {L"DisplayName", RegType::String, platform::RegDataFromText(L"Purgello")}, false},
      {RegRoot::CurrentUser, kUninstall, L"Halvoris Purgell", none, false},
      {RegRoot::LocalMachine, kUninstall, L"{0A1F}", {L"DisplayName", RegType::String, platform::RegDataFromText(L"Halvoris  Purgello")}, false},
  };
  EXPECT_FALSE(IsInstalled(kInstalledPrefix));
  for (const Case& c : cases) {
    Register(c.root, c.parent, c.subKey, c.displayName.type == RegType::None ? nullptr : &c.displayName);
    EXPECT_EQ(IsInstalled(kInstalledPrefix), c.installed) << std::string(c.subKey, c.subKey + wcslen(c.subKey));
    Unregister();
  }
}

TEST_F(SettingsStoreTest, ImportCopiesBothSectionsOverTheBranch) {
  ASSERT_TRUE(SetSetting(L"Kept", L"registry"));
  ASSERT_TRUE(SetSetting(L"ExpertMode", L"0"));
  tree_.WriteFile(L"app\\settings.ini",
                  "[Settings]\r\nExpertMode=1\r\nProxyHost=h=1\r\n"
                  "[Settings_DWORD]\r\nLangue=1033\r\nHex=0x1F\r\nBad=abc\r\nNeg=-5\r\n"
                  "[Other]\r\nX=1\r\n");
  ImportSettingsIni(L"Purgello", tree_.Path(L"app\\settings.ini"));
  const auto expected = std::map<std::wstring, std::pair<RegType, std::string>>{
      {L"Kept", Text(L"registry")}, {L"ExpertMode", Text(L"1")}, {L"ProxyHost", Text(L"h=1")},
      {L"Langue", Dword(1033)},     {L"Hex", Dword(31)},         {L"Bad", Dword(0)},
      {L"Neg", Dword(0xFFFFFFFBu)},
  };
  EXPECT_EQ(Branch(), expected);
  // A missing file imports nothing and takes nothing away.
  ImportSettingsIni(L"Purgello", tree_.Path(L"app\\missing.ini"));
  EXPECT_EQ(Branch(), expected);
}

TEST_F(SettingsStoreTest, ImportTakesWhatParsesFromDamagedFiles) {
  struct Case {
    const char* what;
    std::string bytes;
    std::map<std::wstring, std::pair<RegType, std::string>> expected;
  } cases[] = {
      {"empty", "", {}},
      {"no sections", "ExpertMode=1\r\n", {}},
      {"binary junk around a section", "\x89PNG\0\xFF\r\n[Settings]\r\nA=1\r\n\0\0\xFE"s, {{L"A", Text(L"1")}}},
      // A line cut by the reading limit is not imported at all.
      {"huge", "[Settings]\nFirst=1\nHuge=" + std::string(3 << 20, 'v') + "\nLast=1\n", {{L"First", Text(L"1")}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::DeleteKeyTree(RegRoot::CurrentUser, kSettingsBranch);
    tree_.WriteFile(L"app\\settings.ini", c.bytes);
    ImportSettingsIni(L"Purgello", tree_.Path(L"app\\settings.ini"));
    EXPECT_EQ(Branch(), c.expected);
  }
  // A folder where the file should be.
  platform::DeleteKeyTree(RegRoot::CurrentUser, kSettingsBranch);
  ImportSettingsIni(L"Purgello", tree_.MakeFolder(L"app\\folder.ini"));
  EXPECT_TRUE(Branch().empty());
}

TEST_F(SettingsStoreTest, ExportWritesTextAndNumberValuesInPlace) {
  // Created in name order, which is also the order Wine lists values in.
  RegKey key = RegKey::Create(RegRoot::CurrentUser, kSettingsBranch);
  ASSERT_TRUE(key.WriteString(L"A=B", L"no line can hold this name"));
  ASSERT_TRUE(key.WriteValue({L"Binary", RegType::Binary, "\1\2"s}));
  ASSERT_TRUE(key.WriteValue({L"Expand", RegType::ExpandString, platform::RegDataFromText(L"%TEMP%")}));
  ASSERT_TRUE(key.WriteString(L"ExpertMode", L"1"));
  ASSERT_TRUE(key.WriteDword(L"Langue", 1033));
  ASSERT_TRUE(key.WriteValue({L"Multi", RegType::MultiString, platform::RegDataFromText(L"a") + "\0\0"s}));
  ASSERT_TRUE(key.WriteDword(L"Neg", 0xFFFFFFFBu));
  ASSERT_TRUE(key.WriteString(L"Newline", L"two\r\nlines"));
  ASSERT_TRUE(key.WriteString(L"ProxyHost", L"a=b"));
  ASSERT_TRUE(key.WriteValue({L"Qword", RegType::Qword, "\1\0\0\0\0\0\0\0"s}));

  tree_.WriteFile(L"app\\settings.ini",
                  "; portable settings\r\n[Settings]\r\nExpertMode=0\r\nStale=stays\r\n\r\n"
                  "[Settings_DWORD]\r\nLangue=1\r\n");
  EXPECT_TRUE(ExportSettingsIni(L"Purgello", tree_.Path(L"app\\settings.ini")));
  EXPECT_EQ(tree_.ReadFile(L"app\\settings.ini"),
            "; portable settings\r\n[Settings]\r\nExpertMode=1\r\nStale=stays\r\nProxyHost=a=b\r\n\r\n"
            "[Settings_DWORD]\r\nLangue=1033\r\nNeg=-5\r\n");
  EXPECT_TRUE(ExportSettingsIni(L"Purgello", tree_.Path(L"app\\new.ini")));
  EXPECT_EQ(tree_.ReadFile(L"app\\new.ini"),
            "[Settings]\r\nExpertMode=1\r\nProxyHost=a=b\r\n[Settings_DWORD]\r\nLangue=1033\r\nNeg=-5\r\n");
  // Exporting leaves the registry as it was.
  EXPECT_EQ(Branch().size(), 10u);
}

TEST_F(SettingsStoreTest, PortableCycle) {
  const std::wstring ini = tree_.WriteFile(L"app\\settings.ini", "[Settings]\r\nExpertMode=1\r\n[Settings_DWORD]\r\nLangue=1033\r\n");
  // Start: not installed, so the file is imported before any setting is read.
  ASSERT_FALSE(IsInstalled(kInstalledPrefix));
  ImportSettingsIni(L"Purgello", ini);
  EXPECT_EQ(GetSetting(L"ExpertMode"), L"1");
  EXPECT_EQ(Branch()[L"Langue"], Dword(1033));
  WriteMakerValue(L"Purgello", tree_.Path(L"app\\Purgello.exe"));
  ASSERT_TRUE(SetSetting(L"Maximized", L"0"));

  // Close: the file takes everything back and the registry is left clean.
  EXPECT_TRUE(SavePortableSettings(L"Purgello", ini));
  EXPECT_EQ(tree_.ReadFile(L"app\\settings.ini"),
            "[Settings]\r\nExpertMode=1\r\nMaximized=0\r\n[Settings_DWORD]\r\nLangue=1033\r\n");
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kSettingsBranch));
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kMakerBranch));

  // The next start finds it all again.
  ImportSettingsIni(L"Purgello", ini);
  EXPECT_EQ(GetSetting(L"Maximized"), L"0");
  EXPECT_EQ(Branch()[L"Langue"], Dword(1033));
}

TEST_F(SettingsStoreTest, PortableCloseKeepsASiblingProductsMakerBranch) {
  ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kShredixBranch).WriteString(L"Lang", L"1"));
  WriteMakerValue(L"Shredix", L"C:\\Shredix\\Shredix.exe");
  WriteMakerValue(L"Purgello", L"C:\\Purgello\\Purgello.exe");
  ASSERT_TRUE(SetSetting(L"ExpertMode", L"1"));
  EXPECT_TRUE(SavePortableSettings(L"Purgello", tree_.Path(L"settings.ini")));
  EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, kSettingsBranch));
  EXPECT_FALSE(MakerValueExists(L"Purgello"));
  EXPECT_EQ(ReadMakerValue(L"Shredix"), L"C:\\Shredix\\Shredix.exe");
  EXPECT_EQ(Branch(kShredixBranch), (std::map<std::wstring, std::pair<RegType, std::string>>{{L"Lang", Text(L"1")}}));
}

TEST_F(SettingsStoreTest, FailedPortableCloseKeepsFileAndRegistry) {
  const std::string original = "[Settings]\r\nExpertMode=0\r\n";
  struct Case {
    const char* what;
    const wchar_t* file;
  } cases[] = {
      {"read-only file", L"ro\\settings.ini"},
      {"missing folder", L"gone\\settings.ini"},
      {"a folder in the file's place", L"dir\\settings.ini"},
      {"a file too large to read whole", L"big\\settings.ini"},
  };
  tree_.WriteFile(L"ro\\settings.ini", original);
  MakeReadOnly(L"ro\\settings.ini");
  tree_.MakeFolder(L"dir\\settings.ini");
  tree_.WriteFile(L"big\\settings.ini", original + "; " + std::string(3 << 20, 'x') + "\r\n");
  const std::string big = tree_.ReadFile(L"big\\settings.ini");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(SetSetting(L"ExpertMode", L"1"));
    WriteMakerValue(L"Purgello", L"C:\\Purgello\\Purgello.exe");
    EXPECT_FALSE(SavePortableSettings(L"Purgello", tree_.Path(c.file)));
    EXPECT_EQ(GetSetting(L"ExpertMode"), L"1");
    EXPECT_TRUE(MakerValueExists(L"Purgello"));
  }
  EXPECT_EQ(tree_.ReadFile(L"ro\\settings.ini"), original);
  EXPECT_FALSE(tree_.Exists(L"gone"));
  EXPECT_EQ(tree_.ReadFile(L"big\\settings.ini"), big);
}

}  // namespace
