#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "update/installer_start.h"

namespace {

using platform::SignatureVerdict;

const std::wstring kStamp = L"\t[26-03-14 09:05:07]\t";
std::wstring Line(const wchar_t* level, const std::wstring& text) { return level + kStamp + text; }

TEST(StartVerifiedInstaller, StartsOnlyABigEnoughFileSignedByThePinnedSigner) {
  const std::wstring exe = L"C:\\Data\\update.exe", logPath = L"C:\\Data\\update.log";
  const struct {
    uint64_t size;
    SignatureVerdict verdict;
    InstallerOutcome outcome;
    std::wstring line;
  } cases[] = {
      {102400, SignatureVerdict::Trusted, InstallerOutcome::Started, Line(L"Info", L"Starting update process")},
      {102399, SignatureVerdict::Trusted, InstallerOutcome::TooSmall,
       Line(L"Info", L"Failed download. File Size : 102399 Bytes")},
      {0, SignatureVerdict::Trusted, InstallerOutcome::TooSmall, Line(L"Info", L"Failed download. File Size : 0 Bytes")},
      {500000, SignatureVerdict::NotTrusted, InstallerOutcome::Refused,
       Line(L"Error", L"Update installer refused : signature check failed")},
      {500000, SignatureVerdict::ChainError, InstallerOutcome::Refused,
       Line(L"Error", L"Update installer refused : certificate chain check failed")},
      {500000, SignatureVerdict::ForeignSigner, InstallerOutcome::Refused,
       Line(L"Error", L"Update installer refused : signer check failed")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    testsupport::FakeClock clock;
    TKLog log(L"", 100, true, clock);
    std::vector<std::wstring> deleted, started;
    std::wstring pinAsked;
    InstallerSystem system;
    system.fileSize = [&](const std::wstring&) { return c.size; };
    system.verify = [&](const std::wstring&, const std::wstring& pin) {
      pinAsked = pin;
      return c.verdict;
    };
    system.deleteFile = [&](const std::wstring& path) {
      deleted.push_back(path);
      return true;
    };
    system.open = [&](platform::WindowHandle owner, const std::wstring& target, const std::wstring& parameters) {
      EXPECT_EQ(owner, reinterpret_cast<platform::WindowHandle>(0x42));
      started.push_back(target + L" " + parameters);
      return false;  // a refusing shell changes nothing
    };
    EXPECT_EQ(StartVerifiedInstaller(log, exe, logPath, L"ab12", reinterpret_cast<platform::WindowHandle>(0x42), system),
              c.outcome);
    EXPECT_EQ(log.Lines(), std::vector<std::wstring>{c.line});
    const bool refused = c.outcome == InstallerOutcome::Refused;
    EXPECT_EQ(deleted, refused ? std::vector<std::wstring>{exe} : std::vector<std::wstring>{});
    EXPECT_EQ(started,
              c.outcome == InstallerOutcome::Started
                  ? std::vector<std::wstring>{exe + L" /FORCECLOSEAPPLICATIONS /VERYSILENT /NOICONS /LOG=\"C:\\Data\\update.log\""}
                  : std::vector<std::wstring>{});
    if (c.size >= kMinimumInstallerSize) {
      EXPECT_EQ(pinAsked, L"ab12");
    }
  }
}

}  // namespace
