// The one form of every path handed to the Windows file calls: absolute,
// cleaned, with the long-path prefix, so that paths beyond 260 characters work
// and a name is taken exactly as it was found. The rules themselves are
// portable (platform/system_path_rules.h); this is where they meet the
// process's current folders.
#pragma once

#include <string>

#include "platform/system_path_rules.h"

namespace platform {

// PreparedSystemPath against the process's current folders.
//
// Test builds check every result and end the program with a message when it
// holds what Windows refuses after the prefix (Wine folds it silently).
std::wstring SystemPath(const std::wstring& path);

// The native form ("\??\C:\dir\name") that the rename information takes;
// empty, which the call refuses, for what has no cleaned form.
std::wstring NtSystemPath(const std::wstring& path);

}  // namespace platform
