// The release installer, the installed program, the uninstaller and the portable
// package under Wine: what each leaves in Program Files, the Start menu, the
// registry and the program's own log. Every test starts from a machine without
// Purgello and leaves it so.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/vendor.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/registry.h"
#include "platform/signature.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "platform/win32/handle.h"
#include "platform/win_path.h"
#include "release/installed_copy.h"
#include "release/version_block.h"
#include "settings/settings_store.h"
#include "system/log.h"
#include "tests/support/temp_tree.h"
#include "update/installer_start.h"

namespace {

using platform::RegKey;
using platform::RegRoot;
using releasetest::DataFolder;
using releasetest::InstallFolder;
using releasetest::kUninstallKey;
using releasetest::ReadString;
using releasetest::Registration;
using releasetest::RunAndWait;
using releasetest::Setting;
using testsupport::TempTree;

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kMainWindowClass[] = L"PurgelloMainDlg";
const std::vector<std::wstring> kShippedFiles = {L"Purgello.exe", L"purgello-cli.exe", L"HV_00000407.SPK",
                                                 L"HV_0000040C.SPK", L"HV_00000C0A.SPK", L"uninstall.exe"};

std::wstring FromBuild(const char* linuxPath) { return releasetest::WinePath(platform::FromUtf8(linuxPath)); }
const std::wstring kVersion = platform::FromUtf8(PURGELLO_VERSION_TEXT);

std::wstring Shortcut() {
  return platform::KnownFolderPath(0x17 /* CSIDL_COMMON_PROGRAMS */) + L"\\Purgello.lnk";
}

// The main window of a process; null until it exists.
HWND MainWindowOf(DWORD processId) {
  for (HWND window = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr); window;
       window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

// A started Purgello.exe, ended by its window's close box (or, failing that, killed).
class RunningProgram {
 public:
  explicit RunningProgram(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        platform::FolderOf(exe).c_str(), &startup, &process)) {
      ADD_FAILURE() << "cannot start " << platform::ToUtf8(exe) << ": " << GetLastError();
      return;
    }
    process_ = platform::Handle(process.hProcess);
    CloseHandle(process.hThread);
    id_ = process.dwProcessId;
  }
  ~RunningProgram() {
    if (process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 1);
  }
  // Waits for the main window and its start-up: the caption carries the version and
  // the log (these runs keep it) has the start-up's "Portable : " line. False when
  // the program ended or did not get there in time.
  bool WaitForWindow() const {
    for (DWORD deadline = GetTickCount() + 60000; GetTickCount() < deadline; Sleep(200)) {
      if (!process_.Valid() || WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0) return false;
      wchar_t caption[64] = L"";
      if (HWND window = MainWindowOf(id_)) GetWindowTextW(window, caption, 64);
      if (std::wstring(caption).rfind(L"Purgello v", 0) != 0) continue;
      std::string log;
      platform::ReadWholeFile(DataFolder() + L"\\Purgello.log", 1 << 22, log);
      if (log.find("Portable : ") != std::string::npos) return true;
    }
    return false;
  }
  bool Ended(DWORD waitMs = 0) const {
    return process_.Valid() && WaitForSingleObject(process_.Get(), waitMs) == WAIT_OBJECT_0;
  }
  // Closes the window as the close box does and waits for the process to end.
  bool Close() const {
    if (HWND window = MainWindowOf(id_)) PostMessageW(window, WM_CLOSE, 0, 0);
    return Ended(60000);
  }

 private:
  platform::Handle process_;
  DWORD id_ = 0;
};

// The program's log (kept in debug mode): its lines without level and time.
std::vector<std::wstring> LogMessages() {
  std::string bytes;
  EXPECT_EQ(platform::ReadWholeFile(DataFolder() + L"\\Purgello.log", 1 << 22, bytes), platform::WholeFileRead::Ok);
  std::vector<std::wstring> messages;
  for (size_t from = 0; from < bytes.size();) {
    size_t end = bytes.find("\r\n", from);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(from, end - from);
    const size_t tab = line.rfind('\t');
    messages.push_back(platform::FromUtf8(tab == std::string::npos ? line : line.substr(tab + 1)));
    from = end + 2;
  }
  return messages;
}
bool Contains(const std::vector<std::wstring>& lines, const std::wstring& wanted) {
  for (const std::wstring& line : lines)
    if (line == wanted) return true;
  return false;
}

#ifdef PURGELLO_TEST_ROOT_DER
// The prefix trusts the build's throw-away root, as a user's Windows trusts the
// vendor's certificate authority.
void TrustRoot(const char* derFile) {
  std::string der;
  ASSERT_EQ(platform::ReadWholeFile(FromBuild(derFile), 1 << 16, der), platform::WholeFileRead::Ok);
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                               DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
  CertCloseStore(root, 0);
}
void TrustBuildRoot() { TrustRoot(PURGELLO_TEST_ROOT_DER); }
#endif

// Settings of a run that keeps its log, asks no network and shows no first-run notice.
const std::vector<std::pair<std::wstring, std::wstring>> kQuietSettings = {
    {L"DebugMode", L"1"}, {L"AutoUpdate", L"0"}, {L"Temporary_Files", L"1"}};

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override { Forget(); }
  void TearDown() override { Forget(); }

  // Purgello gone from the machine, whatever a test left.
  static void Forget() {
    testsupport::RemoveTree(InstallFolder());
    RemoveDirectoryW(platform::FolderOf(InstallFolder()).c_str());
    DeleteFileW(Shortcut().c_str());
    platform::DeleteKeyTree(RegRoot::LocalMachine, kUninstallKey);
    platform::DeleteKeyTree(RegRoot::CurrentUser, kMakerBranch);
    RegKey::Create(RegRoot::CurrentUser, kRunKey).DeleteValue(L"Purgello");
    testsupport::RemoveTree(platform::FolderOf(DataFolder()));
  }

  std::wstring LogPath() const { return tree_.Path(L"setup log.txt"); }
  DWORD Install(const std::wstring& switches, const char* setup = PURGELLO_SETUP) const {
    return RunAndWait(L"\"" + FromBuild(setup) + L"\" " + switches);
  }
  DWORD InstallSilently(const char* setup = PURGELLO_SETUP) const {
    return Install(L"/VERYSILENT /LOG=\"" + LogPath() + L"\"", setup);
  }
  std::vector<std::wstring> SetupLog() const {
    std::vector<std::wstring> lines;
    const std::string bytes = tree_.ReadFile(L"setup log.txt");
    for (size_t from = 0; from < bytes.size();) {
      size_t end = bytes.find("\r\n", from);
      if (end == std::string::npos) end = bytes.size();
      lines.push_back(platform::FromUtf8(bytes.substr(from, end - from)));
      from = end + 2;
    }
    return lines;
  }
  static void WriteSettings(const std::vector<std::pair<std::wstring, std::wstring>>& settings) {
    RegKey branch = RegKey::Create(RegRoot::CurrentUser, kSettingsBranch);
    for (const auto& [name, value] : settings) ASSERT_TRUE(branch.WriteString(name, value));
  }

  TempTree tree_;
};

TEST_F(InstallerTest, SilentInstallRunsInstalledAndSilentUninstallLeavesNothing) {
  ASSERT_EQ(InstallSilently(), 0u);
  for (const std::wstring& file : kShippedFiles)
    EXPECT_TRUE(platform::WideFileExists(InstallFolder() + L"\\" + file)) << platform::ToUtf8(file);
  EXPECT_TRUE(platform::WideFileExists(Shortcut()));
  EXPECT_EQ(Registration(L"DisplayName"), L"Halvoris Purgello " + kVersion);
  EXPECT_EQ(Registration(L"DisplayVersion"), kVersion);
  EXPECT_EQ(Registration(L"Publisher"), L"Halvoris");
  EXPECT_EQ(Registration(L"DisplayIcon"), InstallFolder() + L"\\Purgello.exe,0");
  EXPECT_EQ(Registration(L"UninstallString"), L"\"" + InstallFolder() + L"\\uninstall.exe\"");
  uint32_t size = 0;
  EXPECT_TRUE(RegKey::Open(RegRoot::LocalMachine, kUninstallKey, platform::RegAccess::Read).ReadDword(L"EstimatedSize", size));
  EXPECT_GT(size, 1000u);  // KB: the program alone is more
  EXPECT_TRUE(Contains(SetupLog(), L"Installation finished"));
  EXPECT_TRUE(IsInstalled(kInstalledPrefix));
  // The uninstaller carries the version block as the installer does.
  const releasetest::VersionBlock uninstaller = releasetest::ReadVersionBlock(InstallFolder() + L"\\uninstall.exe");
  EXPECT_EQ(uninstaller.Text(L"FileVersion"), kVersion);
  EXPECT_EQ(uninstaller.Text(L"ProductName"), L"Purgello");
  EXPECT_EQ(uninstaller.Text(L"CompanyName"), L"Halvoris");
#ifdef PURGELLO_TEST_ROOT_DER
  // Signed by the signer the build pins, under the check a downloaded installer must pass.
  TrustBuildRoot();
  ASSERT_EQ(VendorSignerSha256().size(), 64u);
  for (const std::wstring& signedFile : {FromBuild(PURGELLO_SETUP), InstallFolder() + L"\\Purgello.exe",
                                         InstallFolder() + L"\\purgello-cli.exe", InstallFolder() + L"\\uninstall.exe"})
    EXPECT_EQ(platform::VerifyFileSignature(signedFile, VendorSignerSha256()), platform::SignatureVerdict::Trusted)
        << platform::ToUtf8(signedFile);
#endif

  // The installed program keeps its settings in the registry, never in a file.
  WriteSettings(kQuietSettings);
  {
    RunningProgram program(InstallFolder() + L"\\Purgello.exe");
    ASSERT_TRUE(program.WaitForWindow());
    ASSERT_TRUE(program.Close());
  }
  const std::vector<std::wstring> log = LogMessages();
  EXPECT_TRUE(Contains(log, L"Portable : No"));
  EXPECT_FALSE(Contains(log, L"Portable : Yes"));
  EXPECT_FALSE(platform::WideFileExists(InstallFolder() + L"\\settings.ini"));
  EXPECT_EQ(Setting(L"DebugMode"), L"1");
  EXPECT_EQ(ReadString(RegRoot::CurrentUser, kMakerBranch, L"Purgello"), InstallFolder() + L"\\Purgello.exe");

  // A previous update's files, and a file of the user's beside them.
  ASSERT_TRUE(platform::WriteWholeFile(DataFolder() + L"\\update.exe", "MZ"));
  ASSERT_TRUE(platform::WriteWholeFile(DataFolder() + L"\\update.log", "done"));
  ASSERT_TRUE(platform::WriteWholeFile(DataFolder() + L"\\notes.txt", "mine"));
  // Started with Windows, as the settings dialog's "Load at startup" writes it.
  ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kRunKey)
                  .WriteString(L"Purgello", L"\"" + InstallFolder() + L"\\Purgello.exe\" /minimized"));
  ASSERT_EQ(RunAndWait(L"\"" + InstallFolder() + L"\\uninstall.exe\" /S", true), 0u);
  EXPECT_FALSE(platform::WideFolderExists(InstallFolder()));
  EXPECT_FALSE(platform::WideFolderExists(platform::FolderOf(InstallFolder())));
  EXPECT_FALSE(platform::WideFileExists(Shortcut()));
  EXPECT_FALSE(platform::KeyExists(RegRoot::LocalMachine, kUninstallKey));
  EXPECT_EQ(ReadString(RegRoot::CurrentUser, kRunKey, L"Purgello"), std::nullopt);
  EXPECT_EQ(ReadString(RegRoot::CurrentUser, kMakerBranch, L"Purgello"), std::nullopt);
  // Of the data folder only the user's file is left.
  EXPECT_FALSE(platform::WideFileExists(DataFolder() + L"\\Purgello.log"));
  EXPECT_FALSE(platform::WideFileExists(DataFolder() + L"\\update.exe"));
  EXPECT_FALSE(platform::WideFileExists(DataFolder() + L"\\update.log"));
  EXPECT_TRUE(platform::WideFileExists(DataFolder() + L"\\notes.txt"));
  EXPECT_FALSE(IsInstalled(kInstalledPrefix));
  // A silent uninstall does not ask, and keeps the settings.
  EXPECT_EQ(Setting(L"DebugMode"), L"1");
}

TEST_F(InstallerTest, PlainSilentSwitchAndNoIcons) {
  ASSERT_EQ(Install(L"/S /NOICONS"), 0u);
  EXPECT_TRUE(platform::WideFileExists(InstallFolder() + L"\\Purgello.exe"));
  EXPECT_EQ(Registration(L"DisplayVersion"), kVersion);
  EXPECT_FALSE(platform::WideFileExists(Shortcut()));
}

TEST_F(InstallerTest, InstallOverAnOlderVersionKeepsTheSettings) {
  ASSERT_EQ(InstallSilently(PURGELLO_OLDER_SETUP), 0u);
  ASSERT_EQ(Registration(L"DisplayVersion"), platform::FromUtf8(PURGELLO_OLDER_VERSION_TEXT));
  WriteSettings({{L"ExpertMode", L"1"}, {L"Method", L"2"}});
  ASSERT_TRUE(RegKey::Create(RegRoot::CurrentUser, kSettingsBranch).WriteDword(L"Langue", 1036));

  ASSERT_EQ(InstallSilently(), 0u);
  EXPECT_EQ(Registration(L"DisplayName"), L"Halvoris Purgello " + kVersion);
  EXPECT_EQ(Registration(L"DisplayVersion"), kVersion);
  EXPECT_EQ(Setting(L"ExpertMode"), L"1");
  EXPECT_EQ(Setting(L"Method"), L"2");
  uint32_t language = 0;
  EXPECT_TRUE(RegKey::Open(RegRoot::CurrentUser, kSettingsBranch, platform::RegAccess::Read).ReadDword(L"Langue", language));
  EXPECT_EQ(language, 1036u);
}

// A file in use must fail the installation, not be skipped with the old one left in place.
TEST_F(InstallerTest, FileInUseFailsTheInstallationAndChangesNothing) {
  ASSERT_EQ(InstallSilently(PURGELLO_OLDER_SETUP), 0u);
  const std::wstring held = InstallFolder() + L"\\HV_0000040C.SPK";
  {
    const platform::Handle lock(
        CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock.Valid());
    EXPECT_EQ(InstallSilently(), 2u);
  }
  EXPECT_TRUE(Contains(SetupLog(), L"Cannot replace " + held + L" (in use or not writable)"));
  EXPECT_TRUE(Contains(SetupLog(), L"Installation failed"));
  EXPECT_FALSE(Contains(SetupLog(), L"Installation finished"));
  EXPECT_EQ(Registration(L"DisplayVersion"), platform::FromUtf8(PURGELLO_OLDER_VERSION_TEXT));
}

TEST_F(InstallerTest, ForceCloseEndsTheRunningProgramThroughItsCloseSequence) {
  ASSERT_EQ(InstallSilently(), 0u);
  WriteSettings(kQuietSettings);
  RunningProgram program(InstallFolder() + L"\\Purgello.exe");
  ASSERT_TRUE(program.WaitForWindow());

  // The running executable is in use: without the switch the installation fails.
  EXPECT_EQ(InstallSilently(), 2u);
  EXPECT_FALSE(program.Ended());

  ASSERT_EQ(Install(L"/FORCECLOSEAPPLICATIONS /VERYSILENT /NOICONS /LOG=\"" + LogPath() + L"\""), 0u);
  EXPECT_TRUE(program.Ended());
  EXPECT_TRUE(Contains(SetupLog(), L"Closing the running Purgello"));
  EXPECT_TRUE(Contains(SetupLog(), L"Installation finished"));
  // The close sequence ran: it stores the window's mode.
  EXPECT_EQ(Setting(L"Maximized"), L"0");
  EXPECT_TRUE(Contains(LogMessages(), L"Portable : No"));
}

TEST_F(InstallerTest, PortablePackageRunsPortableAndLeavesNothingInTheRegistry) {
  const std::wstring unpacked = FromBuild(PURGELLO_UNPACKED);
  for (const wchar_t* file : {L"Purgello.exe", L"purgello-cli.exe", L"HV_00000407.SPK", L"HV_0000040C.SPK",
                                   L"HV_00000C0A.SPK", L"Portable.txt"})
    ASSERT_TRUE(CopyFileW((unpacked + L"\\" + file).c_str(), tree_.Path(file).c_str(), FALSE)) << platform::ToUtf8(file);
  std::string ini = "[Settings]\r\n";
  for (const auto& [name, value] : kQuietSettings) ini += platform::ToUtf8(name + L"=" + value) + "\r\n";
  tree_.WriteFile(L"settings.ini", ini);
  {
    RunningProgram program(tree_.Path(L"Purgello.exe"));
    ASSERT_TRUE(program.WaitForWindow());
    ASSERT_TRUE(program.Close());
  }
  EXPECT_TRUE(Contains(LogMessages(), L"Portable : Yes"));
  EXPECT_FALSE(platform::KeyExists(RegRoot::CurrentUser, kSettingsBranch));
  EXPECT_FALSE(platform::KeyExists(RegRoot::CurrentUser, kMakerBranch));
  const std::string kept = tree_.ReadFile(L"settings.ini");
  EXPECT_NE(kept.find("DebugMode=1"), std::string::npos) << kept;
  EXPECT_NE(kept.find("Maximized=0"), std::string::npos) << kept;
}

#ifdef PURGELLO_TEST_ROOT_DER
// The last step of an automatic update, as the download dialog takes it: the
// downloaded installer of this version, over an older installation while that
// one runs. Signed by the pinned signer it is started and replaces the program,
// keeping its settings; signed by another (trusted) certificate it is deleted and
// nothing changes.
TEST_F(InstallerTest, UpdateStartsOnlyThePinnedSignersInstallerWhichReplacesTheRunningProgram) {
  TrustBuildRoot();
  TrustRoot(PURGELLO_FOREIGN_ROOT_DER);
  ASSERT_EQ(InstallSilently(PURGELLO_OLDER_SETUP), 0u);
  const std::wstring older = platform::FromUtf8(PURGELLO_OLDER_VERSION_TEXT);
  WriteSettings(kQuietSettings);
  WriteSettings({{L"ExpertMode", L"1"}});
  RunningProgram program(InstallFolder() + L"\\Purgello.exe");
  ASSERT_TRUE(program.WaitForWindow());
  const std::wstring downloaded = DataFolder() + L"\\update.exe", updateLog = DataFolder() + L"\\update.log";
  TKLog log{L"", 100, true};

  ASSERT_TRUE(CopyFileW(FromBuild(PURGELLO_FOREIGN_SETUP).c_str(), downloaded.c_str(), FALSE));
  EXPECT_EQ(StartVerifiedInstaller(log, downloaded, updateLog, VendorSignerSha256(), nullptr),
            InstallerOutcome::Refused);
  EXPECT_FALSE(platform::WideFileExists(downloaded));
  Sleep(2000);
  EXPECT_FALSE(program.Ended());
  EXPECT_EQ(Registration(L"DisplayVersion"), older);

  ASSERT_TRUE(CopyFileW(FromBuild(PURGELLO_SETUP).c_str(), downloaded.c_str(), FALSE));
  ASSERT_EQ(StartVerifiedInstaller(log, downloaded, updateLog, VendorSignerSha256(), nullptr),
            InstallerOutcome::Started);
  // The shell starts the installer and returns; its log tells when it is done.
  std::string installerLog;
  for (DWORD deadline = GetTickCount() + 120000; GetTickCount() < deadline; Sleep(250)) {
    installerLog.clear();
    platform::ReadWholeFile(updateLog, 1 << 20, installerLog);
    if (installerLog.find("Installation f") != std::string::npos) break;
  }
  EXPECT_NE(installerLog.find("Installation finished"), std::string::npos) << installerLog;
  EXPECT_TRUE(program.Ended(10000));
  EXPECT_EQ(Registration(L"DisplayVersion"), kVersion);
  EXPECT_EQ(releasetest::ReadVersionBlock(InstallFolder() + L"\\Purgello.exe").Text(L"FileVersion"), kVersion);
  EXPECT_EQ(Setting(L"ExpertMode"), L"1");
}
#endif

}  // namespace
