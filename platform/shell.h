// Opening documents, folders and addresses with the shell, and window titles.
#pragma once

#include <string>
#include <vector>

namespace platform {

using WindowHandle = void*;

// Default action, normal window, environment variables expanded, no error UI.
bool ShellOpen(const std::wstring& target);
// The simple execute call; true when the shell's result is greater than 32.
bool ShellOpen(WindowHandle owner, const std::wstring& target, const std::wstring& parameters);

// Titles of all top-level windows, at most 256 characters each.
void TopLevelWindowTitles(std::vector<std::wstring>& titles);

}  // namespace platform
