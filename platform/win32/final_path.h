// The path the system gives an open handle, links and junctions resolved.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// GetFinalPathNameByHandleW with drive letters ("\\?\C:\..."); empty when the
// system cannot name the handle.
std::wstring FinalPathOf(HANDLE handle);

// Whether the handle is the file an identity was taken of: the same volume
// and file index, and the same final path (letter case aside).
struct FileIdentity;
bool HandleHasIdentity(HANDLE handle, const FileIdentity& identity);

}  // namespace platform
