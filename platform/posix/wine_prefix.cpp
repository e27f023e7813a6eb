#include "platform/posix/wine_prefix.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/posix/folder_name_index.h"
#include "platform/posix/linux_names.h"
#include "platform/posix/long_path.h"
#include "platform/posix/ntfs_names.h"
#include "platform/posix/profile_links.h"
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

// Where each drive letter leads in the current prefix; looked up on first use.
struct DriveBases {
  std::array<std::string, 26> base;
  std::array<bool, 26> known{};
};

DriveBases& Drives() {
  static DriveBases drives;
  return drives;
}

bool Exists(const std::string& path) {
  struct stat st;
  return LstatAnyLength(path, st) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The Linux folder of drive letter (a..z), or empty when the drive is unknown.
std::string DriveBase(wchar_t letter) {
  size_t index = size_t(letter - L'a');
  std::lock_guard<std::mutex> lock(prefixMutex);
  DriveBases& drives = Drives();
  if (!drives.known[index]) {
    const std::string& root = Prefix().root;
    std::string base = root + "/dosdevices/" + char(letter) + ":";
    if (!Exists(base)) {
      if (letter == L'c') base = root + "/drive_c";
      else if (letter == L'z') base = "/";
      else base.clear();
    }
    drives.base[index] = base;
    drives.known[index] = true;
  }
  return drives.base[index];
}

// The path without "\\?\" and its drive letter, lower-cased; false when the
// path does not start with a drive.
bool SplitDrive(const std::wstring& windowsPath, size_t& rest, wchar_t& letter) {
  size_t start = windowsPath.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
  if (windowsPath.size() < start + 2 || windowsPath[start + 1] != L':') return false;
  letter = AsciiLower(windowsPath[start]);
  if (letter < L'a' || letter > L'z') return false;
  rest = start + 2;
  return true;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Calls visit(component, last) for each non-empty component after position
// pos; stops early when visit returns false.
template <typename Visit>
bool ForEachComponent(const std::wstring& path, size_t pos, Visit visit) {
  const size_t tail = path.find_last_not_of(L"\\/");
  while (pos < path.size()) {
    while (pos < path.size() && IsSeparator(path[pos])) ++pos;
    size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > pos && !visit(path.substr(pos, end - pos), end > tail)) return false;
    pos = end;
  }
  return true;
}

// The entry of folder named component. Windows compares names without regard
// to letter case; a Linux folder can hold names that differ only by case, so
// the exact name wins, then the first match in NTFS order. Empty when nothing
// matches; false when no Linux name is spelt so.
bool Step(const std::string& folder, const std::wstring& component, std::string& entry) {
  std::string name;
  if (!LinuxNameOf(component, name)) return false;
  entry = Join(folder, name);
  if (Exists(entry)) return true;
  std::string found = FindNameNoCase(folder, component);
  entry = found.empty() ? std::string() : Join(folder, found);
  return true;
}

// A profile link's target below the profile, when it is there.
std::string FollowProfileLink(const std::string& profile, const std::wstring& target) {
  std::string current = profile;
  const bool named = ForEachComponent(target, 0, [&](const std::wstring& component, bool) {
    std::string entry;
    if (!Step(current, component, entry) || entry.empty()) return false;
    current = std::move(entry);
    return true;
  });
  return named ? current : std::string();
}


}  // namespace

const WinePrefix& CurrentWinePrefix() {
  std::lock_guard<std::mutex> lock(prefixMutex);
  return Prefix();
}

void SetWinePrefix(const WinePrefix& prefix) {
  std::lock_guard<std::mutex> lock(prefixMutex);
  Prefix() = prefix;
  Drives() = DriveBases();
}

bool LiteralNativePath(const std::wstring& windowsPath, std::string& nativePath) {
  size_t rest;
  wchar_t letter;
  if (!SplitDrive(windowsPath, rest, letter)) return false;
  std::string current = DriveBase(letter);
  if (current.empty()) return false;
  if (current == "/") current.clear();  // "/" + name, not "//" + name
  // One pass, no copy of a component: every lookup of the cleaning maps a path.
  current.reserve(current.size() + windowsPath.size() - rest + 8);
  for (size_t pos = rest; pos < windowsPath.size();) {
    while (pos < windowsPath.size() && IsSeparator(windowsPath[pos])) ++pos;
    size_t end = pos;
    while (end < windowsPath.size() && !IsSeparator(windowsPath[end])) ++end;
    if (end == pos) break;
    if (windowsPath[pos] == L'.' && (end - pos == 1 || (end - pos == 2 && windowsPath[pos + 1] == L'.'))) return false;
    current += '/';
    bool plain = true;
    for (size_t i = pos; i < end && plain; ++i) plain = windowsPath[i] < 0x80 && IsPlainNameByte(uint8_t(windowsPath[i]));
    if (plain) {
      for (size_t i = pos; i < end; ++i) current += char(windowsPath[i]);
    } else if (!AppendLinuxName(windowsPath.data() + pos, end - pos, current)) {
      return false;  // no Linux name is spelt so
    }
    pos = end;
  }
  if (current.empty()) current = "/";
  nativePath = std::move(current);
  return true;
}

namespace {

// The mapping of ToNativePath. With status set, *present tells whether the
// entry is there and *status holds its lstat when it is.
bool Resolve(const std::wstring& windowsPath, std::string& nativePath, struct stat* status, bool* present) {
  struct stat scratch;
  if (!status) status = &scratch;
  // Most paths name what is on disk with its own letter case: one lstat.
  std::string literal;
  const bool plain = LiteralNativePath(windowsPath, literal);
  if (plain && LstatAnyLength(literal, *status) == 0) {
    nativePath = std::move(literal);
    if (present) *present = true;
    return true;
  }
  size_t rest;
  wchar_t letter;
  if (!SplitDrive(windowsPath, rest, letter)) return false;
  const std::string base = DriveBase(letter);
  if (base.empty()) return false;

  // Mostly only the last name is not on disk as written (a file gone, or in
  // another case): when its folder is, every component before it resolves to
  // itself, so one lookup in that folder decides.
  const size_t end = windowsPath.find_last_not_of(L"\\/");
  const size_t cut = end == std::wstring::npos ? std::wstring::npos : windowsPath.find_last_of(L"\\/", end);
  const size_t slash = literal.find_last_of('/');
  if (plain && cut != std::wstring::npos && cut >= rest && slash != std::string::npos) {
    const std::string folder = slash == 0 ? std::string("/") : literal.substr(0, slash);
    bool isFolder = false;
    const std::string found = FindNameNoCase(folder, windowsPath.substr(cut + 1, end - cut), &isFolder);
    if (isFolder) {
      nativePath = found.empty() ? std::move(literal) : Join(folder, found);
      if (present) {
        errno = ENOENT;  // what the lstat of a name missing from its folder gives
        *present = !found.empty() && LstatAnyLength(nativePath, *status) == 0;
      }
      return true;
    }
  }

  std::string current = base;
  std::string users;     // C:\users, once the path has gone through it
  bool missing = false;  // once a component is missing, the rest are kept as given
  bool first = true;
  const bool named = ForEachComponent(windowsPath, rest, [&](const std::wstring& component, bool last) {
    const bool atTop = first;
    first = false;
    if (component == L".") return true;
    if (component == L"..") {
      size_t slash = current.find_last_of('/');
      if (current.size() > base.size() && slash != std::string::npos) current.resize(slash ? slash : 1);
      return true;
    }
    std::string name;
    if (!LinuxNameOf(component, name)) return false;
    if (missing) {
      current = Join(current, name);
      return true;
    }
    std::string entry;
    Step(current, component, entry);
    std::string profile;
    std::wstring target;
    if (entry.empty() && !last && !users.empty() && LegacyProfileLink(users, current, component, profile, target))
      entry = FollowProfileLink(profile, target);
    if (entry.empty()) {
      missing = true;
      entry = Join(current, name);
    }
    current = std::move(entry);
    if (atTop && letter == L'c' && EqualsNoCase(component, L"users")) users = current;
    return true;
  });
  if (!named) return false;
  nativePath = std::move(current);
  if (present) *present = LstatAnyLength(nativePath, *status) == 0;  // also sets errno when missing
  return true;
}

}  // namespace

bool ToNativePath(const std::wstring& windowsPath, std::string& nativePath) {
  return Resolve(windowsPath, nativePath, nullptr, nullptr);
}

NativeEntry ToNativePathWithStatus(const std::wstring& windowsPath, std::string& nativePath, struct stat& status) {
  bool present = false;
  if (!Resolve(windowsPath, nativePath, &status, &present)) return NativeEntry::NoDrive;
  return present ? NativeEntry::Present : NativeEntry::Missing;
}

std::wstring FromNativePath(const std::string& nativePath) {
  std::wstring result = L"Z:";
  // Name by name: a backslash inside a Linux name stays inside its component.
  for (size_t pos = 0;;) {
    const size_t end = std::min(nativePath.find('/', pos), nativePath.size());
    AppendWindowsName(nativePath.data() + pos, end - pos, result);
    if (end == nativePath.size()) break;
    result += L'\\';
    pos = end + 1;
  }
  if (result == L"Z:") result += L'\\';
  return result;
}

}  // namespace platform
