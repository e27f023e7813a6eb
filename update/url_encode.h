// One query value of a request address, encoded byte by byte.
#pragma once

#include <string>

// Letters A-Z and a-z, digits and "-", "." and "_" stay; a space becomes
// "%20" (never "+"); every other byte, "~" included, becomes "%" and two
// upper-case hexadecimal digits.
std::wstring UrlEncodeBytes(const std::string& bytes);
// The text in the system's ANSI code page, then encoded: a non-ASCII character
// of a single-byte code page is one escaped byte.
std::wstring UrlEncode(const std::wstring& text);
