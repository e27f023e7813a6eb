// 64-bit Windows: the WOW64 test and the per-thread file-system redirection switch.
#pragma once

namespace platform {

// True for a 32-bit program on 64-bit Windows. False where the system lacks
// the query, and when the query itself fails (no error crosses this seam).
// posix: always false.
bool IsWow64();
// Switches redirection off (true) or back on (false) for the calling thread;
// not counted: one call with false ends any number with true. Does nothing
// where the system lacks the two functions. Returns true.
bool SetFsRedirectionOff(bool off);

// Keeps redirection off for a scope. Scopes nest on a thread: only the
// outermost one switches, so an inner scope (a file test inside a listing)
// does not switch redirection back on under the outer one.
class FsRedirectionOff {
 public:
  FsRedirectionOff() {
    if (Depth()++ == 0) SetFsRedirectionOff(true);
  }
  ~FsRedirectionOff() {
    if (--Depth() == 0) SetFsRedirectionOff(false);
  }
  FsRedirectionOff(const FsRedirectionOff&) = delete;
  FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;

 private:
  static int& Depth() {
    static thread_local int depth = 0;
    return depth;
  }
};

}  // namespace platform
