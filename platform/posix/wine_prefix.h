// The Windows tree on a Linux disk, laid out as a Wine prefix: which prefix and
// user the posix platform works on, and how a Windows path maps to a Linux one.
#pragma once

#include <sys/stat.h>

#include <string>

namespace platform {

struct WinePrefix {
  std::string root;  // the prefix folder, holding drive_c
  std::string user;  // the user's folder name under drive_c/users
};

// Defaults: $WINEPREFIX (else ~/.wine) and $USER (else the login name).
const WinePrefix& CurrentWinePrefix();
void SetWinePrefix(const WinePrefix& prefix);

// Maps a Windows path to a Linux path. Drive X is <prefix>/dosdevices/x: when
// that exists, else drive C is <prefix>/drive_c and drive Z is "/" (which of
// these a letter maps to is looked up once per prefix: call SetWinePrefix again
// after changing the drive links). Each component resolves as on Windows: the
// exact name first, else the first entry, in NTFS order, whose name is equal
// without regard to case (Unicode case folding, as NTFS compares names). "."
// and ".." components are resolved by name. Missing components are kept as
// given, except that a path through one of the links Windows keeps in a user
// profile (platform/posix/profile_links.h) reaches its target. Names map as
// platform/posix/linux_names.h says. Returns false for paths that name no
// drive (relative, UNC, unknown drive) and for a component that is no Linux
// name's Windows name. An optional "\\?\" prefix is ignored.
bool ToNativePath(const std::wstring& windowsPath, std::string& nativePath);

// ToNativePath that also tells whether the entry is there, with its lstat
// status when it is, for no more reading of the disk than the mapping needs.
enum class NativeEntry { NoDrive, Missing, Present };
NativeEntry ToNativePathWithStatus(const std::wstring& windowsPath, std::string& nativePath, struct stat& status);

// The same mapping without looking at the disk: every component as given.
// Right whenever the path's letter case matches the disk, at no cost; callers
// that get "not found" from it retry with ToNativePath. False where
// ToNativePath is, and for paths with "." or ".." components.
bool LiteralNativePath(const std::wstring& windowsPath, std::string& nativePath);

// The reverse, for paths below "/" (Z:) used by tests and tools: "/tmp/x" gives
// "Z:\tmp\x"; each Linux name maps one to one, so ToNativePath gives the
// same bytes back.
std::wstring FromNativePath(const std::string& nativePath);

}  // namespace platform
