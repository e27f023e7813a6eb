// How NTFS and the Windows find calls treat names, for the posix platform:
// the upper-case folding NTFS uses for case-insensitive names, the order of a
// folder listing, and the wildcard rules of the find-first call.
#pragma once

#include <string>

namespace platform {

// The simple upper-case mapping of one character, as an NTFS upcase table
// folds it (characters outside the Basic Multilingual Plane stay as they are).
wchar_t NtfsUpper(wchar_t c);

// Compares two names the way NTFS orders a folder: upper-cased UTF-16 code
// units (a character above U+FFFF counts as its surrogate pair). Names that
// fold to the same text are ordered by their own code units, so the order is
// total. Returns <0, 0 or >0.
int CompareNtfsOrder(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength);

// Appends a sort key for a Linux name: the upper-cased UTF-16 units of its
// Windows name (platform/posix/linux_names.h) in an encoding whose byte order
// is their order, so that memcmp of two keys (then the shorter first) orders
// names as CompareNtfsOrder does, short of its tie-break. A plain ASCII name's
// key is the name upper-cased, byte for byte.
void AppendNtfsSortKey(const char* utf8Name, size_t length, std::string& key);

// Names equal without regard to case, as NTFS resolves them.
bool EqualsNtfsNoCase(const std::wstring& a, const std::wstring& b);

// A find pattern's last component, compiled the way the Windows find call
// rewrites it for the file system ("*.*" matches every name, "*." names
// without an extension, "?" at the end of a base may match nothing).
class FindMask {
 public:
  explicit FindMask(const std::wstring& mask);
  bool MatchesAll() const { return matchesAll_; }
  bool Matches(const wchar_t* name, size_t length) const;
  bool Matches(const std::wstring& name) const { return Matches(name.data(), name.size()); }

 private:
  std::wstring expression_;
  bool matchesAll_ = false;
};

// True when the text holds a character the find call treats as a wildcard.
bool HasWildcard(const std::wstring& text);

}  // namespace platform
