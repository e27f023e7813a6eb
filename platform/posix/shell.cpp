#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/descriptor.h"
#include "platform/posix/wine_prefix.h"
#include "platform/text_codec.h"

namespace platform {

namespace {

std::string FindOnPath(const std::string& program) {
  const char* path = getenv("PATH");
  if (!path) return std::string();
  std::string list = path;
  size_t start = 0;
  for (;;) {
    size_t end = list.find(':', start);
    std::string folder = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) return std::string();
    start = end + 1;
  }
}

// Starts program with one argument, detached (a grandchild, so no zombie is
// left and the caller does not wait for the viewer). No shell is involved, so
// nothing in the argument is interpreted. True when the exec itself succeeded.
bool SpawnDetached(const std::string& program, const std::string& argument) {
  // Everything the children need is prepared here: after fork in a threaded
  // process only async-signal-safe calls are allowed.
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  Descriptor reportRead(report[0]), reportWrite(report[1]);
  Descriptor devNull(open("/dev/null", O_RDWR | O_CLOEXEC));

  // The children leave by _exit: no destructor runs there.
  pid_t child = fork();
  if (child == 0) {
    reportRead.Reset();
    pid_t grandchild = fork();
    if (grandchild != 0) {
      if (grandchild < 0) {
        int error = errno;
        (void)!write(reportWrite.Get(), &error, sizeof error);
      }
      _exit(0);
    }
    setsid();
    if (devNull.Valid()) {
      dup2(devNull.Get(), 0);
      dup2(devNull.Get(), 1);
      dup2(devNull.Get(), 2);
    }
    execv(program.c_str(), argv);
    int error = errno;
    (void)!write(reportWrite.Get(), &error, sizeof error);
    _exit(127);
  }

  reportWrite.Reset();
  devNull.Reset();
  bool started = false;
  if (child > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    while ((n = read(reportRead.Get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    started = n == 0;  // the pipe closed on exec without a report
  }
  return started;
}

}  // namespace

// A Windows path is opened as the Linux file it maps to; anything else (a web
// address) is passed as given.
bool ShellOpen(const std::wstring& target) {
  std::string argument;
  if (!ToNativePath(target, argument)) argument = ToUtf8(target);
  // An argument starting with "-" would be read as an option of the opener.
  if (argument.empty() || argument[0] == '-') return false;
  std::string opener = FindOnPath("xdg-open");
  if (opener.empty()) return false;
  return SpawnDetached(opener, argument);
}

// The opener takes no parameters to pass on; only the plain form is possible.
bool ShellOpen(WindowHandle, const std::wstring& target, const std::wstring& parameters) {
  return parameters.empty() && ShellOpen(target);
}

void TopLevelWindowTitles(std::vector<std::wstring>& titles) { titles.clear(); }

}  // namespace platform
