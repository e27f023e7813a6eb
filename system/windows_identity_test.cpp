// Version captions, the administrator test and the shut-down requests. The
// shut-down tests run only over a recording fake: nothing here may end a session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/privileges.h"
#include "tests/support/temp_tree.h"
#include "system/windows_version.h"

#ifndef _WIN32
#include "platform/posix/wine_prefix.h"
#endif

namespace {

WindowsFacts NtFacts(uint32_t major, uint32_t minor, const std::wstring& build) {
  WindowsFacts f;
  f.versionKnown = true;
  f.version.platformId = platform::kPlatformWindowsNt;
  // The shimmed numbers of the version query must not leak into the caption.
  f.version.major = 6;
  f.version.minor = 2;
  f.workstationKnown = true;
  f.workstationMajor = major;
  f.workstationMinor = minor;
  f.buildNumber = build;
  return f;
}

WindowsFacts OlderFacts(uint32_t major, uint32_t minor, const std::wstring& servicePack) {
  WindowsFacts f;
  f.versionKnown = true;
  f.version.platformId = platform::kPlatformWindows9x;
  f.version.major = major;
  f.version.minor = minor;
  f.version.servicePack = servicePack;
  return f;
}

TEST(WindowsVersionCaption, NamesEveryRelease) {
  WindowsFacts noWorkstation = NtFacts(10, 0, L"19045");
  noWorkstation.workstationKnown = false;
  WindowsFacts noVersion = NtFacts(10, 0, L"19045");
  noVersion.versionKnown = false;
  WindowsFacts otherPlatform = NtFacts(10, 0, L"19045");
  otherPlatform.version.platformId = 0;

  struct Case {
    WindowsFacts facts;
    const wchar_t* caption;
  } cases[] = {
      {NtFacts(5, 0, L"2195"), L"5.0 (Windows 2000)"},
      {NtFacts(5, 1, L"2600"), L"5.1 (Windows XP)"},
      {NtFacts(5, 2, L"3790"), L"5.2 (Windows 2003)"},
      {NtFacts(6, 0, L"6002"), L"6.0 (Vista)"},
      {NtFacts(6, 1, L"7601"), L"6.1 (Seven)"},
      {NtFacts(6, 2, L"9200"), L"6.2 (Windows8)"},
      {NtFacts(6, 3, L"9600"), L"6.3 (Windows8.1)"},
      {NtFacts(6, 4, L"9841"), L"6.4"},
      {NtFacts(4, 0, L"1381"), L"4.0"},
      {NtFacts(10, 1, L"30000"), L"10.1"},
      {NtFacts(10, 0, L"19045"), L"10.0.19045 (Windows10)"},
      {NtFacts(10, 0, L"19999"), L"10.0.19999 (Windows10)"},
      {NtFacts(10, 0, L"20000"), L"11.0.20000 (Windows11)"},
      {NtFacts(10, 0, L"22631"), L"11.0.22631 (Windows11)"},
      // An unreadable or odd build number reads as 0.
      {NtFacts(10, 0, L""), L"10.0.0 (Windows10)"},
      {NtFacts(10, 0, L"22631a"), L"10.0.0 (Windows10)"},
      {NtFacts(10, 0, L"99999999999"), L"10.0.0 (Windows10)"},
      {noWorkstation, L"Unknown"},
      {noVersion, L"Unknown"},
      {otherPlatform, L"Unknown"},
      {OlderFacts(4, 0, L""), L"4.0 (95)"},
      {OlderFacts(4, 10, L" A "), L"4.10 (98SE)"},
      {OlderFacts(4, 10, L"A"), L"4.10 (98)"},
      {OlderFacts(4, 10, L" B "), L"4.10 (98)"},
      {OlderFacts(4, 10, L""), L"4.10 (98)"},
      {OlderFacts(4, 90, L" "), L"4.90 (ME)"},
      {OlderFacts(4, 3, L""), L"4.3 (Unknown)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "expected " << std::string(c.caption, c.caption + wcslen(c.caption)));
    EXPECT_EQ(WindowsVersionCaption(c.facts), c.caption);
  }
}

TEST(WindowsVersionCaption, BuildNumberValue) {
  EXPECT_EQ(BuildNumberValue(L"19045"), 19045);
  EXPECT_EQ(BuildNumberValue(L"-5"), -5);
  EXPECT_EQ(BuildNumberValue(L"2147483647"), 2147483647);
  EXPECT_EQ(BuildNumberValue(L"2147483648"), 0);
  EXPECT_EQ(BuildNumberValue(L"-"), 0);
  EXPECT_EQ(BuildNumberValue(L" 1"), 0);
}

TEST(ReactOSVersionCaption, OnlyForReactOSWithABuild) {
  std::vector<std::wstring> versionAsked;
  auto fileVersion = [&](const std::wstring& path) {
    versionAsked.push_back(path);
    return std::wstring(L"0.4.14.0");
  };
  struct Case {
    ReactOSFacts facts;
    const wchar_t* caption;
  } cases[] = {
      {{L"reactos", L"20220101-0.4.14-release", L"C:\\ReactOS"}, L"20220101-0.4.14-release"},
      {{L"ReactOS", L"20220101-UNKNOWN", L"C:\\ReactOS"}, L"0.4.14.0 (20220101-UNKNOWN)"},
      {{L"ReactOS", L"unknown", std::nullopt}, L"unknown"},
      {{L"ReactOS", std::nullopt, L"C:\\ReactOS"}, L""},
      {{L"Microsoft Windows 7", L"7601.win7sp1", L"C:\\windows"}, L""},
      {{std::nullopt, L"x", L"C:\\windows"}, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReactOSVersionCaption(c.facts, fileVersion), c.caption);
  ASSERT_EQ(versionAsked.size(), 1u);
  EXPECT_EQ(versionAsked[0], L"C:\\ReactOS\\explorer.exe");
}

// A token and a session that exist only in memory; records every request.
class FakeIdentity : public IdentityCalls {
 public:
  uint32_t platformId = platform::kPlatformWindowsNt;
  platform::TokenGroupsResult tokenResult = platform::TokenGroupsResult::Read;
  std::vector<platform::TokenGroup> groups;
  uint32_t privilegeError = 0;
  std::vector<std::string> calls;

  bool QueryOsVersion(platform::OsVersion& version) override {
    version.platformId = platformId;
    return true;
  }
  platform::TokenGroupsResult QueryTokenGroups(std::vector<platform::TokenGroup>& out, uint32_t& error) override {
    out = groups;
    error = tokenResult == platform::TokenGroupsResult::Failed ? 5 : 0;
    return tokenResult;
  }
  uint32_t AdjustProcessPrivilege(const std::wstring& name, bool enable) override {
    calls.push_back("privilege " + std::string(name.begin(), name.end()) + (enable ? " on" : " off"));
    return privilegeError;
  }
  bool RequestSessionExit(uint32_t flags, uint32_t reason) override {
    calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
    return true;
  }
};

platform::TokenGroup Group(std::vector<uint8_t> sid, uint32_t attributes) { return {std::move(sid), attributes}; }

const std::vector<uint8_t> kAdmins = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};  // S-1-5-32-544
const std::vector<uint8_t> kUsers = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 0x02, 0, 0};   // S-1-5-32-545
const std::vector<uint8_t> kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};                   // S-1-1-0

TEST(IsAdministrator, ReadsTheAdministratorsGroupOfTheToken) {
  const uint32_t kEnabled = 0x7;  // mandatory, enabled by default, enabled
  struct Case {
    const char* name;
    std::vector<platform::TokenGroup> groups;
    bool admin;
  } cases[] = {
      {"elevated", {Group(kEveryone, kEnabled), Group(kAdmins, kEnabled), Group(kUsers, kEnabled)}, true},
      {"filtered by user account control",
       {Group(kEveryone, kEnabled), Group(kAdmins, platform::kGroupUseForDenyOnly), Group(kUsers, kEnabled)},
       false},
      // Only the first matching group decides.
      {"deny-only first", {Group(kAdmins, platform::kGroupUseForDenyOnly), Group(kAdmins, kEnabled)}, false},
      {"not a member", {Group(kEveryone, kEnabled), Group(kUsers, kEnabled)}, false},
      {"no groups", {}, false},
  };
  for (const Case& c : cases) {
    FakeIdentity fake;
    fake.groups = c.groups;
    EXPECT_EQ(IsAdministrator(fake), c.admin) << c.name;
  }
}

TEST(IsAdministrator, TokenTroubleAndTheOlderFamily) {
  FakeIdentity noToken;
  noToken.groups = {Group(kAdmins, 0x7)};
  noToken.tokenResult = platform::TokenGroupsResult::NoToken;
  EXPECT_FALSE(IsAdministrator(noToken));

  FakeIdentity unreadable = noToken;
  unreadable.tokenResult = platform::TokenGroupsResult::Failed;
  EXPECT_FALSE(IsAdministrator(unreadable));

  FakeIdentity older;
  older.platformId = platform::kPlatformWindows9x;
  older.tokenResult = platform::TokenGroupsResult::NoToken;
  EXPECT_TRUE(IsAdministrator(older));
}

TEST(PowerOffAndReboot, EnableTheShutdownPrivilegeThenAskTheSystem) {
  FakeIdentity off;
  EXPECT_TRUE(PowerOff(off));
  EXPECT_EQ(off.calls, (std::vector<std::string>{"privilege SeShutdownPrivilege on", "exit 8 0"}));

  FakeIdentity restart;
  EXPECT_TRUE(Reboot(restart));
  EXPECT_EQ(restart.calls, (std::vector<std::string>{"privilege SeShutdownPrivilege on", "exit 2 0"}));

  for (uint32_t error : {platform::kErrorNotAllAssigned, 5u}) {
    FakeIdentity lacking;
    lacking.privilegeError = error;
    EXPECT_FALSE(PowerOff(lacking));
    EXPECT_FALSE(Reboot(lacking));
    EXPECT_EQ(lacking.calls,
              (std::vector<std::string>{"privilege SeShutdownPrivilege on", "privilege SeShutdownPrivilege on"}));
  }
}

TEST(EnablePrivilege, TrueOnlyWhenTheTokenHoldsIt) {
  FakeIdentity fake;
  EXPECT_TRUE(EnablePrivilege(L"SeBackupPrivilege", false, fake));
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"privilege SeBackupPrivilege off"}));
  fake.privilegeError = platform::kErrorNotAllAssigned;
  EXPECT_FALSE(EnablePrivilege(L"SeBackupPrivilege", true, fake));
}

#ifdef _WIN32
// The running system: Wine's fresh prefix claims Windows 7 SP1 (build 7601),
// and its user is an administrator who holds every privilege.
TEST(RunningSystem, WineAnswersAsWindows7) {
  EXPECT_EQ(WindowsBuildNumber(), L"7601");
  EXPECT_EQ(WindowsVersionText(), L"6.1 (Seven)");
  EXPECT_EQ(NtVersionText(7601), L"6.1 (Seven)");
  EXPECT_EQ(ReactOSVersionText(), L"");
  EXPECT_TRUE(IsAdministrator());
  EXPECT_TRUE(EnablePrivilege(L"SeShutdownPrivilege", true));
  EXPECT_TRUE(EnablePrivilege(L"SeShutdownPrivilege", false));
  EXPECT_FALSE(EnablePrivilege(L"SeNoSuchPrivilege", true));
}
#else
// posix reads the version the Wine prefix claims in its machine registry file.
class PlantedPrefix : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = platform::CurrentWinePrefix();
    platform::SetWinePrefix({testsupport::NativePath(tree_.Root()), saved_.user});
  }
  void TearDown() override { platform::SetWinePrefix(saved_); }
  // The key sits between two of its sub-keys, as in a real system.reg.
  void WriteSystemReg(const std::string& key) {
    tree_.WriteFile(L"system.reg", R"(WINE REGISTRY Version 2
#arch=win64

[Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug] 1
"CurrentBuildNumber"="1"

)" + key + R"(
[Software\\Microsoft\\Windows NT\\CurrentVersion\\Console] 1
)");
  }

  testsupport::TempTree tree_;
  platform::WinePrefix saved_;
};

TEST_F(PlantedPrefix, Windows10Prefix) {
  WriteSystemReg(R"([Software\\Microsoft\\Windows NT\\CurrentVersion] 1796856134
#time=1dd882e89993576
"CurrentBuildNumber"="19043"
"CurrentMajorVersionNumber"=dword:0000000a
"CurrentMinorVersionNumber"=dword:00000000
"CurrentVersion"="6.3"
"ProductName"="Microsoft Windows 10 \"Pro\""
"SystemRoot"="C:\\windows"
)");
  EXPECT_EQ(WindowsBuildNumber(), L"19043");
  EXPECT_EQ(WindowsVersionText(), L"10.0.19043 (Windows10)");
  std::wstring text;
  ASSERT_TRUE(platform::ReadNtCurrentVersionString(L"productname", text));
  EXPECT_EQ(text, L"Microsoft Windows 10 \"Pro\"");
  ASSERT_TRUE(platform::ReadNtCurrentVersionString(L"SystemRoot", text));
  EXPECT_EQ(text, L"C:\\windows");
  EXPECT_FALSE(platform::ReadNtCurrentVersionString(L"CurrentMajorVersionNumber", text));
  EXPECT_EQ(ReactOSVersionText(), L"");
}

TEST_F(PlantedPrefix, ReactOSPrefix) {
  WriteSystemReg(R"([Software\\Microsoft\\Windows NT\\CurrentVersion] 1
"BuildLab"="20220101-unknown"
"CurrentBuildNumber"="3790"
"CurrentVersion"="5.2"
"ProductName"="ReactOS"
"SystemRoot"="C:\\ReactOS"
)");
  EXPECT_EQ(WindowsVersionText(), L"5.2 (Windows 2003)");
  // No explorer.exe was planted in the prefix.
  EXPECT_EQ(ReactOSVersionText(), L"File not found (20220101-unknown)");
}

TEST_F(PlantedPrefix, Windows7PrefixAndNoPrefix) {
  WriteSystemReg(R"([Software\\Microsoft\\Windows NT\\CurrentVersion] 1796856134
"CSDVersion"="Service Pack 1"
"CurrentBuildNumber"="7601"
"CurrentVersion"="6.1"
)");
  EXPECT_EQ(WindowsVersionText(), L"6.1 (Seven)");
  platform::OsVersion version;
  ASSERT_TRUE(platform::QueryOsVersion(version));
  EXPECT_EQ(version.servicePack, L"Service Pack 1");
  EXPECT_EQ(version.build, 7601u);

  platform::SetWinePrefix({testsupport::NativePath(tree_.Path(L"missing")), saved_.user});
  EXPECT_EQ(WindowsBuildNumber(), L"");
  EXPECT_EQ(WindowsVersionText(), L"Unknown");
}

TEST(RunningSystem, PosixHoldsNoTokenAndNeverShutsDown) {
  EXPECT_FALSE(IsAdministrator());
  EXPECT_FALSE(EnablePrivilege(L"SeShutdownPrivilege", true));
  // Safe only here: posix never ends a session.
  EXPECT_FALSE(PowerOff());
  EXPECT_FALSE(Reboot());
}
#endif

}  // namespace
