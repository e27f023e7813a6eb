// Linux file names as Windows names, one to one.
//
// A Linux name is any bytes but "/" and NUL; a Windows name may hold neither a
// separator nor \ : * ? " < > | nor a control character, and is UTF-16. So a
// Linux name holding "\" must never be read as two components, nor "*" as a
// wildcard, nor a byte that is not UTF-8 as some character that another name
// really holds. As Wine does, such characters are moved into the private-use
// range U+F000..U+F0FF: a forbidden ASCII character c becomes U+F000 + c, and
// each byte b that is not part of well-formed UTF-8 becomes U+F000 + b. A name
// that really holds a character of that range (written in UTF-8) is taken
// byte by byte, so the way back is never in doubt.
//
// Contract (the fuzz harnesses check it):
// - for every byte string n without "/" and NUL, LinuxNameOf(WindowsNameOf(n))
//   gives n exactly; so two Linux names never share a Windows name;
// - WindowsNameOf never gives "\", "/", a forbidden character or a surrogate,
//   for any input;
// - LinuxNameOf(w) succeeds only for a w that WindowsNameOf gives for some
//   name, so no Windows name but one reaches a Linux entry, and what it gives
//   never holds "/" or NUL.
// The text forms do the same for whole Linux paths and command-line
// arguments, mapping only the bytes that are not UTF-8 ("/" and "\" stay).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A byte that stands for itself in a Windows name: ASCII that Windows allows
// in a name. Lets callers copy plain names without the mapping.
inline bool IsPlainNameByte(unsigned char b) {
  if (b < 0x20 || b >= 0x80) return false;
  switch (b) {
    case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
      return false;
    default:
      return true;
  }
}

void AppendWindowsName(const char* name, size_t length, std::wstring& out);
std::wstring WindowsNameOf(const char* name, size_t length);
inline std::wstring WindowsNameOf(const std::string& name) { return WindowsNameOf(name.data(), name.size()); }

// Appends the Linux name; false (out then holds part of it) when no Linux
// name maps to this Windows name.
bool AppendLinuxName(const wchar_t* name, size_t length, std::string& out);
bool LinuxNameOf(const std::wstring& name, std::string& out);

// Texts: bytes that are not UTF-8 (and UTF-8 of U+F000..U+F0FF) map as in a
// name; every other character is itself. LinuxTextOf(WideFromLinuxText(t))
// gives t exactly, for any bytes but NUL (which no argument or path holds).
std::wstring WideFromLinuxText(const std::string& text);
bool LinuxTextOf(const std::wstring& text, std::string& out);

}  // namespace platform
