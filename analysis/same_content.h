// Byte comparison of two files, for the installer-duplicate rule.
#pragma once

#include <string>

// 0: same size and bytes; 1: the first is shorter and equals the start of the
// second; 2: the second is shorter and equals the start of the first; 3: they
// differ within their common length, or one is not an existing regular file.
// When an existing entry cannot be opened or read (a link, a FIFO, a locked
// file, a read error), *unreadable names it (the first or the second path)
// and the answer is 3; otherwise *unreadable is left empty.
int SameContent(const std::wstring& first, const std::wstring& second, std::wstring* unreadable = nullptr);
