#include "platform/posix/wine_prefix.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace platform {
namespace {

std::mutex prefixMutex;

WinePrefix DefaultPrefix() {
  WinePrefix p;
  if (const char* env = std::getenv("WINEPREFIX"); env && *env) {
    p.root = env;
  } else {
    const char* home = std::getenv("HOME");
    p.root = std::string(home ? home : "") + "/.wine";
  }
  if (const char* user = std::getenv("USER"); user && *user) {
    p.user = user;
  } else if (const passwd* pw = getpwuid(getuid())) {
    p.user = pw->pw_name;
  }
  return p;
}

WinePrefix& Prefix() {
  static WinePrefix prefix = DefaultPrefix();
  return prefix;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Windows compares names without regard to letter case; a Linux folder can hold
// names that differ only by case, so the exact name wins, then the first match
// in sorted order.
std::string ResolveComponent(const std::string& folder, const std::string& name) {
  std::string exact = folder == "/" ? "/" + name : folder + "/" + name;
  if (Exists(exact)) return exact;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return exact;
  std::wstring wanted = FromUtf8(name);
  std::string best;
  while (dirent* e = readdir(dir)) {
    std::string candidate = e->d_name;
    if (EqualsNoCase(FromUtf8(candidate), wanted) && (best.empty() || candidate < best)) best = candidate;
  }
  closedir(dir);
  if (best.empty()) return exact;
  return folder == "/" ? "/" + best : folder + "/" + best;
}

}  // namespace

const WinePrefix& CurrentWinePrefix() {
  std::lock_guard<std::mutex> lock(prefixMutex);
  return Prefix();
}

void SetWinePrefix(const WinePrefix& prefix) {
  std::lock_guard<std::mutex> lock(prefixMutex);
  Prefix() = prefix;
}

bool ToNativePath(const std::wstring& windowsPath, std::string& nativePath) {
  std::wstring path = windowsPath;
  if (path.compare(0, 4, L"\\\\?\\") == 0) path = path.substr(4);
  if (path.size() < 2 || path[1] != L':') return false;
  wchar_t letter = AsciiLower(path[0]);
  if (letter < L'a' || letter > L'z') return false;

  std::string root;
  {
    std::lock_guard<std::mutex> lock(prefixMutex);
    root = Prefix().root;
  }
  std::string base = root + "/dosdevices/" + char(letter) + ":";
  if (!Exists(base)) {
    if (letter == L'c') base = root + "/drive_c";
    else if (letter == L'z') base = "/";
    else return false;
  }

  std::string current = base;
  size_t pos = 2;
  while (pos < path.size()) {
    while (pos < path.size() && path[pos] == L'\\') ++pos;
    size_t end = path.find(L'\\', pos);
    if (end == std::wstring::npos) end = path.size();
    if (end > pos) {
      std::wstring component = path.substr(pos, end - pos);
      if (component == L".") {
      } else if (component == L"..") {
        size_t slash = current.find_last_of('/');
        if (current.size() > base.size() && slash != std::string::npos) current.resize(slash ? slash : 1);
      } else {
        current = ResolveComponent(current, ToUtf8(component));
      }
    }
    pos = end;
  }
  nativePath = current;
  return true;
}

std::wstring FromNativePath(const std::string& nativePath) {
  std::wstring result = L"Z:";
  std::wstring wide = FromUtf8(nativePath);
  for (wchar_t c : wide) result += (c == L'/') ? L'\\' : c;
  if (result == L"Z:") result += L'\\';
  return result;
}

}  // namespace platform
