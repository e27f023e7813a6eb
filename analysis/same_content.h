// Byte comparison of two files, for the installer-duplicate rule.
#pragma once

#include <string>

// 0: same size and bytes; 1: the first is shorter and equals the start of the
// second; 2: the second is shorter and equals the start of the first; 3: they
// differ within their common length, or one is not an existing regular file.
// A file that exists but cannot be opened or read sets *failed (the caller
// ends its run) and gives 3.
int SameContent(const std::wstring& first, const std::wstring& second, bool* failed = nullptr);
