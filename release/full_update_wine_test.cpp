// The whole update of an installed copy under Wine, as a user behind a proxy
// meets it: this build's version installed by its installer and running, the
// vendor's site copied on loopback (tests/servers/update_servers.py, reached
// only through the program's proxy settings, over HTTPS), and the user's choices
// "Check for update..." and "Automatic Update". An installer of the next
// version signed by the vendor's signer replaces the program, which quits for
// it, and the settings stay; one signed by another (trusted) signer is refused
// and the program runs on unchanged.
#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/purgello_exe_fixture.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "release/installed_copy.h"
#include "release/version_block.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "tests/support/temp_tree.h"

namespace {

using exetest::RunningProgram;
using exetest::WaitUntil;
using platform::RegKey;
using platform::RegRoot;
using releasetest::DataFolder;
using releasetest::InstallFolder;
using releasetest::Registration;
using releasetest::RunAndWait;
using releasetest::Setting;

const std::wstring kVersion = platform::FromUtf8(PURGELLO_VERSION_TEXT);
const std::wstring kNextVersion = platform::FromUtf8(PURGELLO_NEXT_VERSION_TEXT);

std::wstring FromBuild(const char* linuxPath) { return releasetest::WinePath(platform::FromUtf8(linuxPath)); }
std::wstring InstalledProgram() { return InstallFolder() + L"\\Purgello.exe"; }
std::wstring InstalledVersion() {
  return releasetest::ReadVersionBlock(InstalledProgram()).Text(L"FileVersion");
}

int ProxyPort() {
  const char* list = std::getenv("PURGELLO_TEST_SERVERS");
  const std::string all = list ? list : "";
  const size_t at = all.find("proxy=");
  return at == std::string::npos ? 0 : std::atoi(all.c_str() + at + 6);
}

// A request of the test's own to the proxy itself (not through it): the reply, or "" when none came.
std::string AskProxy(const std::string& path) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return "";
  std::string reply;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(u_short(ProxyPort()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const DWORD timeoutMs = 10000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
    send(s, request.data(), int(request.size()), 0);
    char buffer[4096];
    for (int got; (got = recv(s, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, size_t(got));
  }
  closesocket(s);
  WSACleanup();
  return reply;
}

// The prefix trusts a certificate authority, as a user's Windows trusts the vendor's.
void TrustRoot(const std::wstring& derFile) {
  std::string der;
  ASSERT_EQ(platform::ReadWholeFile(derFile, 1 << 16, der), platform::WholeFileRead::Ok) << platform::ToUtf8(derFile);
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                               DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
  CertCloseStore(root, 0);  // the store keeps the certificate once closed
}

// The program's log lines as "level: message".
std::vector<std::wstring> ProgramLog() {
  std::string bytes;
  platform::ReadWholeFile(DataFolder() + L"\\Purgello.log", 1 << 22, bytes);
  std::vector<std::wstring> lines;
  for (size_t from = 0; from < bytes.size();) {
    size_t end = bytes.find("\r\n", from);
    if (end == std::string::npos) end = bytes.size();
    const std::wstring line = platform::FromAnsi(bytes.substr(from, end - from));
    lines.push_back(line.substr(0, line.find(L'\t')) + L": " + line.substr(line.rfind(L'\t') + 1));
    from = end + 2;
  }
  return lines;
}
bool Logged(const std::wstring& wanted) {
  for (const std::wstring& line : ProgramLog())
    if (line == wanted) return true;
  return false;
}

// What the program logged and the requests the proxy took, for a failure's message.
std::string Traces() {
  std::string text = "\nThe program's log:\n";
  for (const std::wstring& line : ProgramLog()) text += platform::ToUtf8(line) + "\n";
  return text + "The requests:\n" + AskProxy("/seen");
}

// From now on the vendor's site (behind the proxy's tunnel) names the next
// version and serves this installer.
bool ServeNextVersion(const std::string& installer) {
  return AskProxy("/route?tunnel=https&check=reply:" PURGELLO_NEXT_VERSION_TEXT "&files=" + installer).find(" 200 ") !=
         std::string::npos;
}

// The update dialog while it shows (the window outlives its showing).
HWND UpdateDialog(const RunningProgram& program) {
  for (HWND window : program.TopWindows(nullptr, L"Update"))
    if (IsWindowVisible(window)) return window;
  return nullptr;
}

// In the running program: "Check for update..." (the third command of the third
// menu), and in the update dialog that the answer opens, "Automatic Update".
// False, with the reason, when a step does not come within its time.
testing::AssertionResult ChooseAutomaticUpdate(const RunningProgram& program) {
  if (!program.ChooseMenuCommand(2, 2)) return testing::AssertionFailure() << "no main window to choose from";
  HWND automatic = nullptr;
  const bool shown = WaitUntil([&] {
    automatic = RunningProgram::ChildOf(UpdateDialog(program), L"Button",
                                        [](const std::wstring& t) { return t == L"Automatic Update"; });
    return automatic != nullptr;
  }, 60000);
  if (!shown)
    return testing::AssertionFailure() << "no update dialog within 60 s of \"Check for update...\"" << Traces();
  // Offered to an installed copy only.
  if (!RunningProgram::Pressable(automatic)) return testing::AssertionFailure() << "\"Automatic Update\" is not enabled";
  RunningProgram::PressAndLeave(automatic);
  return testing::AssertionSuccess();
}

TEST(FullUpdateTest, AutomaticUpdateInstallsOnlyTheVendorSignedNextVersionAndKeepsTheSettings) {
  ASSERT_NE(ProxyPort(), 0) << "run under tests/servers/update_servers.py";
  const char* siteFolder = std::getenv("PURGELLO_TEST_TLS");
  ASSERT_NE(siteFolder, nullptr);
  TrustRoot(releasetest::WinePath(platform::FromUtf8(siteFolder) + L"/tls_root.der"));
  TrustRoot(FromBuild(PURGELLO_TEST_ROOT_DER));
  // The foreign signer's authority is trusted too: only the pinned signer tells them apart.
  TrustRoot(FromBuild(PURGELLO_FOREIGN_ROOT_DER));

  testsupport::TempTree tree;
  ASSERT_EQ(RunAndWait(L"\"" + FromBuild(PURGELLO_SETUP) + L"\" /VERYSILENT /LOG=\"" + tree.Path(L"setup.log") + L"\""),
            0u);
  ASSERT_EQ(InstalledVersion(), kVersion);
  // A run that keeps its log and asks nothing at start-up (no update check, no
  // first-run notice), behind the test's proxy; expert mode stands for the
  // user's own choices.
  RegKey settings = RegKey::Create(RegRoot::CurrentUser, kSettingsBranch);
  const std::vector<std::pair<std::wstring, std::wstring>> planted = {
      {kDebugModeSetting, L"1"},           {kAutoUpdateSetting, L"0"},
      {L"Recycle_Bin", L"0"},              {L"ExpertMode", L"1"},
      {kUseHttpProxySetting, L"1"},        {kHttpProxyHostSetting, L"127.0.0.1"},
      {kHttpProxyPortSetting, std::to_wstring(ProxyPort())}};
  for (const auto& [name, value] : planted) ASSERT_TRUE(settings.WriteString(name, value));

  RunningProgram program;
  ASSERT_TRUE(program.Start(InstalledProgram(), InstallFolder(), L""));
  ASSERT_NE(program.WaitForMainWindow(), nullptr) << "the installed program shows no main window";
  const std::wstring downloaded = DataFolder() + L"\\update.exe", installerLog = DataFolder() + L"\\update.log";

  // Signed by another signer: downloaded, refused, deleted; the program runs on.
  ASSERT_TRUE(ServeNextVersion("foreign"));
  ASSERT_TRUE(ChooseAutomaticUpdate(program));
  const HWND failed = program.WaitForBox(L"Purgello", 60000);
  ASSERT_NE(failed, nullptr) << "no message within 60 s of \"Automatic Update\"";
  EXPECT_EQ(RunningProgram::BoxText(failed), L"Failed");
  RunningProgram::Answer(failed, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return UpdateDialog(program) == nullptr; }, 10000))
      << "the update dialog stays after the failure";
  EXPECT_FALSE(WaitUntil([&] { return program.Ended(); }, 2000)) << "the program quit for a refused installer";
  EXPECT_TRUE(Logged(L"Error: Update installer refused : signer check failed"));
  EXPECT_FALSE(platform::WideFileExists(downloaded));
  EXPECT_FALSE(platform::WideFileExists(installerLog)) << "the refused installer ran";
  EXPECT_EQ(InstalledVersion(), kVersion);
  EXPECT_EQ(Registration(L"DisplayVersion"), kVersion);

  // Signed by the vendor's signer: started, and the program quits for it.
  ASSERT_TRUE(ServeNextVersion("signed"));
  ASSERT_TRUE(ChooseAutomaticUpdate(program));
  ASSERT_NE(program.WaitForExit(60000), DWORD(-1)) << "the program did not quit within 60 s of \"Automatic Update\"";
  std::string installed;
  const bool finished = WaitUntil([&] {
    installed.clear();
    platform::ReadWholeFile(installerLog, 1 << 20, installed);
    return installed.find("Installation f") != std::string::npos;
  }, 120000);
  ASSERT_TRUE(finished) << "the installer did not finish within 120 s; its log:\n" << installed;
  EXPECT_NE(installed.find("Installation finished"), std::string::npos) << installed;
  EXPECT_NE(installed.find("parameters: /FORCECLOSEAPPLICATIONS /VERYSILENT /NOICONS /LOG="), std::string::npos)
      << installed;
  EXPECT_EQ(InstalledVersion(), kNextVersion);
  EXPECT_EQ(Registration(L"DisplayName"), L"Halvoris Purgello " + kNextVersion);
  EXPECT_EQ(Registration(L"DisplayVersion"), kNextVersion);
  for (const auto& [name, value] : planted) EXPECT_EQ(Setting(name), value) << platform::ToUtf8(name);
}

}  // namespace
