// 64-bit Windows: the WOW64 test and the per-thread file-system redirection switch.
#pragma once

namespace platform {

// False where the system lacks the query (posix: always false).
bool IsWow64();
// Switches redirection off (true) or back on (false) for the calling thread;
// not counted. Does nothing where the system lacks the two functions.
bool SetFsRedirectionOff(bool off);

// Keeps redirection off for a scope.
class FsRedirectionOff {
 public:
  FsRedirectionOff() { SetFsRedirectionOff(true); }
  ~FsRedirectionOff() { SetFsRedirectionOff(false); }
  FsRedirectionOff(const FsRedirectionOff&) = delete;
  FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;
};

}  // namespace platform
