// Name tests the category rules filter with. Letter case is folded for ASCII
// letters only.
#pragma once

#include <string>

// Both lower-cased (ASCII), then a plain substring search. Prefix and suffix
// tests are platform::StartsWithNoCase and EndsWithNoCase.
bool ContainsText(const std::wstring& text, const std::wstring& part);
std::wstring StripPrefix(const std::wstring& text, const std::wstring& prefix);
std::wstring StripSuffix(const std::wstring& text, const std::wstring& suffix);

// The last component (after the last "\" or ":") cut before its last dot.
std::wstring NameWithoutExt(const std::wstring& path);
// From the last dot of the last component to the end, dot included.
std::wstring ExtensionOf(const std::wstring& path);

// Latin-1 accented letters to their plain capitals, ASCII to upper case.
std::wstring FoldAccents(const std::wstring& text);
// The masks of the rules: "JRE*", "DYNDNS*.LOG"; masks are written in capitals.
bool MatchesMask(const std::wstring& name, const std::wstring& mask);
