// Windows path rules, shared by both platforms: separators, folder and name,
// drives, and letter-case rules that fold only ASCII letters, as the engine's
// name tests do.
#pragma once

#include <string>

namespace platform {

inline bool IsPathSeparator(wchar_t c) { return c == L'\\'; }

wchar_t AsciiUpper(wchar_t c);
wchar_t AsciiLower(wchar_t c);
std::wstring AsciiLowerCase(std::wstring text);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix);
bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix);

// Appends a backslash unless the path already ends with one. An empty path
// becomes a lone backslash, as callers of the known folders expect.
std::wstring WithTrailingBackslash(const std::wstring& path);
// Appends a backslash unless the path is empty or already ends with one.
std::wstring WithTrailingBackslashUnlessEmpty(const std::wstring& path);
std::wstring WithoutTrailingBackslash(const std::wstring& path);

// The folder part including its final "\" or ":" (empty when there is none).
std::wstring FolderOf(const std::wstring& path);
// The text after the last "\" or ":".
std::wstring FileNameOf(const std::wstring& path);

// True for "C:" and "C:\" (any drive letter).
bool IsBareDrive(const std::wstring& path);

// The final name holds "*" or "?": the find call would match it as a pattern
// (no Windows name holds either) rather than look for that name.
bool IsFindPattern(const std::wstring& path);

}  // namespace platform
