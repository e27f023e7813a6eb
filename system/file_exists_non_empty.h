// A file that exists and holds at least one byte, as the program's own files
// (log, downloaded installer) are tested before they are removed.
#pragma once

#include <string>

// With 32-bit file-system redirection off for the call: an existing non-folder
// entry whose size is above zero. An empty file counts as absent.
bool FileExistsNonEmpty(const std::wstring& path);
