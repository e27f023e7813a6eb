// The last step of an automatic update: the downloaded installer is started
// only when it is big enough to be one and carries the vendor's signature;
// anything else is deleted. A downloaded program runs with the user's rights,
// so the signature is what stands between a hijacked server (or anyone on the
// network path) and the user's computer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/shell.h"
#include "platform/signature.h"

class TKLog;

constexpr uint64_t kMinimumInstallerSize = 102400;

// The installer's switches: silent, no icons, the running program closed, its
// log to logPath (in double quotes).
std::wstring InstallerParameters(const std::wstring& logPath);

enum class InstallerOutcome { Started, TooSmall, Refused };

struct InstallerSystem {
  std::function<uint64_t(const std::wstring& path)> fileSize;  // 0 for a missing file
  std::function<platform::SignatureVerdict(const std::wstring& path, const std::wstring& pin)> verify;
  std::function<bool(const std::wstring& path)> deleteFile;
  std::function<bool(platform::WindowHandle owner, const std::wstring& target, const std::wstring& parameters)> open;
};
// The real file system, Authenticode and shell.
InstallerSystem SystemInstallerSystem();

// Size first ("Failed download. File Size : n Bytes"), then the signature
// against signerSha256 (refused: a level-2 line naming the failed check and
// the file deleted), then "Starting update process" and the shell start.
// Started whatever the shell answers.
InstallerOutcome StartVerifiedInstaller(TKLog& log, const std::wstring& installerPath, const std::wstring& logPath,
                                        const std::wstring& signerSha256, platform::WindowHandle owner,
                                        const InstallerSystem& system = SystemInstallerSystem());
