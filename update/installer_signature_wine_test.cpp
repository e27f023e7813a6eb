// The installer's signature check and start under Wine, over installers that
// tests/installer/sign_installers.py signs around this program.
#include "tests/support/update_servers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/signature.h"
#include "system/log.h"
#include "update/installer_start.h"

namespace {

using platform::SignatureVerdict;
using testsupport::ReadAll;
using testsupport::TrustRoot;

std::wstring Folder() { return testsupport::InstallersFolder(); }

std::wstring Pin() {
  const std::string hex = ReadAll(Folder() + L"pin.txt");
  return std::wstring(hex.begin(), hex.end());
}

// The test prefix trusts the vendor's test root and the foreign one, never the
// "unknown" root.
class InstallerSignature : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TrustRoot(Folder() + L"test_root.der");
    TrustRoot(Folder() + L"foreign_root.der");
  }
};

TEST_F(InstallerSignature, OnlyTheVendorsSignatureOverAnUntouchedFilePasses) {
  std::wstring upperPin = Pin();
  for (wchar_t& c : upperPin) c = wchar_t(towupper(c));
  const struct {
    const wchar_t* file;
    std::wstring pin;
    SignatureVerdict verdict;
  } cases[] = {
      {L"signed.exe", Pin(), SignatureVerdict::Trusted},
      {L"signed.exe", upperPin, SignatureVerdict::Trusted},
      {L"unsigned.exe", Pin(), SignatureVerdict::NotTrusted},
      {L"tampered.exe", Pin(), SignatureVerdict::NotTrusted},
      {L"unknown.exe", Pin(), SignatureVerdict::ChainError},     // its root is trusted nowhere
      {L"foreign.exe", Pin(), SignatureVerdict::ForeignSigner},  // a trusted chain, but not ours
      {L"signed.exe", std::wstring(64, L'0'), SignatureVerdict::ForeignSigner},
      {L"missing.exe", Pin(), SignatureVerdict::NotTrusted},
  };
  ASSERT_EQ(Pin().size(), 64u);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
    EXPECT_EQ(platform::VerifyFileSignature(Folder() + c.file, c.pin), c.verdict);
  }
}

TEST_F(InstallerSignature, StartsTheSignedInstallerWithItsSwitchesAndDeletesTheOthers) {
  const std::wstring logPath = L"C:\\users\\x\\update.log";
  TKLog log(L"", 100, true);
  const std::wstring signedExe = Folder() + L"signed.exe";
  ASSERT_EQ(StartVerifiedInstaller(log, signedExe, logPath, Pin(), nullptr), InstallerOutcome::Started);
  // The stand-in records its command line and exits.
  std::string args;
  for (int i = 0; i < 200 && args.empty(); ++i) {
    Sleep(50);
    args = ReadAll(signedExe + L".args");
  }
  const std::wstring line(reinterpret_cast<const wchar_t*>(args.data()), args.size() / sizeof(wchar_t));
  EXPECT_NE(line.find(L"signed.exe"), std::wstring::npos);
  const std::wstring switches = L"/FORCECLOSEAPPLICATIONS /VERYSILENT /NOICONS /LOG=\"C:\\users\\x\\update.log\"";
  ASSERT_GE(line.size(), switches.size());
  EXPECT_EQ(line.substr(line.size() - switches.size()), switches);

  const struct {
    const wchar_t* file;
    const wchar_t* check;
  } refused[] = {{L"unsigned.exe", L"signature"}, {L"tampered.exe", L"signature"},
                 {L"unknown.exe", L"certificate chain"}, {L"foreign.exe", L"signer"}};
  for (const auto& c : refused) {
    const std::wstring path = Folder() + c.file;
    EXPECT_EQ(StartVerifiedInstaller(log, path, logPath, Pin(), nullptr), InstallerOutcome::Refused);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "not deleted";
    const std::wstring last = log.Lines().front();
    EXPECT_EQ(last.substr(0, 6), L"Error\t");
    EXPECT_EQ(last.substr(last.rfind(L'\t') + 1), std::wstring(L"Update installer refused : ") + c.check + L" check failed");
    Sleep(300);
    EXPECT_EQ(GetFileAttributesW((path + L".args").c_str()), INVALID_FILE_ATTRIBUTES) << "started";
  }
}

}  // namespace
