#include "update/installer_start.h"

#include "platform/file_system.h"
#include "system/log.h"

std::wstring InstallerParameters(const std::wstring& logPath) {
  return L"/FORCECLOSEAPPLICATIONS /VERYSILENT /NOICONS /LOG=\"" + logPath + L"\"";
}

InstallerSystem SystemInstallerSystem() {
  InstallerSystem system;
  system.fileSize = [](const std::wstring& path) { return platform::FileSize64(path); };
  system.verify = platform::VerifyFileSignature;
  system.deleteFile = platform::DeleteFileAt;
  system.open = [](platform::WindowHandle owner, const std::wstring& target, const std::wstring& parameters) {
    return platform::ShellOpen(owner, target, parameters);
  };
  return system;
}

InstallerOutcome StartVerifiedInstaller(TKLog& log, const std::wstring& installerPath, const std::wstring& logPath,
                                        const std::wstring& signerSha256, platform::WindowHandle owner,
                                        const InstallerSystem& system) {
  const uint64_t size = system.fileSize(installerPath);
  if (size < kMinimumInstallerSize) {
    log.Add(L"Failed download. File Size : " + std::to_wstring(size) + L" Bytes", kLogInfo);
    return InstallerOutcome::TooSmall;
  }
  const platform::SignatureVerdict verdict = system.verify(installerPath, signerSha256);
  if (verdict != platform::SignatureVerdict::Trusted) {
    system.deleteFile(installerPath);
    log.Add(std::wstring(L"Update installer refused : ") + platform::FailedSignatureCheckName(verdict) +
                L" check failed",
            kLogError);
    return InstallerOutcome::Refused;
  }
  log.Add(L"Starting update process", kLogInfo);
  system.open(owner, installerPath, InstallerParameters(logPath));
  return InstallerOutcome::Started;
}
