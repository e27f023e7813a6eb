#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "app/cli/cli_system.h"
#include "platform/file_system.h"
#include "platform/posix/linux_names.h"
#include "platform/posix/wine_prefix.h"
#include "platform/text_codec.h"

struct ConsoleStream::Impl {
  int fd;
  std::string buffer;
  bool closed = false;  // the reader has gone: the rest is dropped
};

namespace {

constexpr size_t kOutBuffer = 1 << 16;

// False once the stream cannot take more (a pipe whose reader has gone, a
// full disk): nothing more is written to it. main ignores SIGPIPE, so a
// closed pipe comes back here as EPIPE instead of ending the program.
bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

// Arguments came in through WideFromLinuxText: their bytes back, exactly.
std::string LinuxText(const std::wstring& text) {
  std::string bytes;
  return platform::LinuxTextOf(text, bytes) ? bytes : platform::ToUtf8(text);
}

}  // namespace

ConsoleStream::ConsoleStream(Which which) : impl_(new Impl{which == Out ? 1 : 2, std::string()}) {}

ConsoleStream::~ConsoleStream() { Flush(); }

void ConsoleStream::Write(const std::wstring& text) {
  if (impl_->closed) return;
  impl_->buffer += platform::ToUtf8(text);
  if (impl_->fd == 2 || impl_->buffer.size() >= kOutBuffer) Flush();
}

void ConsoleStream::Flush() {
  if (!impl_->closed && !WriteAll(impl_->fd, impl_->buffer)) impl_->closed = true;
  impl_->buffer.clear();
}

bool ConsoleStream::IsTerminal() const { return isatty(impl_->fd) == 1; }

bool PrepareWindowsTree(const CliOptions& options, std::wstring& error) {
  platform::WinePrefix prefix = platform::CurrentWinePrefix();
  if (!options.prefix.empty()) prefix.root = LinuxText(options.prefix);
  if (!options.user.empty()) prefix.user = LinuxText(options.user);
  const std::wstring root = platform::WideFromLinuxText(prefix.root);
  if (prefix.root.empty() || !IsFolder(prefix.root + "/drive_c")) {
    error = L"'" + root + L"' is not a Wine prefix (it has no drive_c)";
    return false;
  }
  const std::wstring shown = platform::WideFromLinuxText(prefix.user);
  if (prefix.user.empty()) {
    error = L"no user name: pass --user NAME or set $USER";
    return false;
  }
  // One folder, named as it is: a wildcard would match folders the engine
  // then never finds, since every path it builds takes the name as it stands.
  if (prefix.user == "." || prefix.user == ".." || prefix.user.find_first_of("/\\*?") != std::string::npos) {
    error = L"'" + shown + L"' is not a user folder name";
    return false;
  }
  platform::SetWinePrefix(prefix);
  // Looked up as the engine will look it up: without regard to letter case.
  const std::wstring user = platform::WindowsNameOf(prefix.user);
  if (!platform::WideFolderExists(L"C:\\users\\" + user)) {
    error = L"no user folder '" + shown + L"' in " + root + L"/drive_c/users";
    return false;
  }
  return true;
}

bool LogFileWindowsPath(const std::wstring& given, std::wstring& windowsPath, std::wstring& error) {
  const std::string path = Absolute(LinuxText(given));
  const size_t slash = path.find_last_of('/');
  const std::string name = path.substr(slash + 1);
  char folder[PATH_MAX];
  if (name.empty() || name == "." || name == ".." || !realpath(path.substr(0, slash + 1).c_str(), folder)) {
    error = L"cannot write the log file '" + given + L"': no such folder";
    return false;
  }
  const std::string native = std::string(folder) + (folder[1] ? "/" : "") + name;
  windowsPath = platform::FromNativePath(native);
  // Drive Z: is "/" in every usual prefix; a prefix that maps it elsewhere
  // would send the log somewhere else.
  std::string back;
  if (!platform::LiteralNativePath(windowsPath, back) || back != native) {
    error = L"cannot write the log file '" + given + L"': drive Z: of this prefix is not \"/\"";
    return false;
  }
  return true;
}
