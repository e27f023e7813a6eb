// Conversions at the edges: the ANSI code page of text files (log, language
// files) and UTF-8 for the Linux console and file names.
#pragma once

#include <string>

namespace platform {

// Windows: the system ANSI code page. posix: UTF-8.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

// UTF-16 (or UTF-32 wchar_t on Linux) to UTF-8 and back, for texts. An
// unpaired surrogate is written as its own three bytes (WTF-8); decoding is
// strict and gives U+FFFD for each byte that is not well-formed UTF-8. Linux
// file names are not texts: see platform/posix/linux_names.h.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace platform
