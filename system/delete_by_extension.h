// Deleting a folder's files of one extension, with its matching sub-folders.
#pragma once

#include <string>

// Deletes, in folder and in its sub-folders whose names also match, every
// entry whose name matches "*." + extension, clearing read-only, hidden and
// system first; then removes folder when it became empty. The extension "*"
// matches every name, so it empties and removes the whole tree. A link
// (junction, symbolic link) met on the way is removed as itself: nothing it
// points to is entered or touched. Failures are ignored; returns true.
bool DeleteByExtension(const std::wstring& folder, const std::wstring& extension);
