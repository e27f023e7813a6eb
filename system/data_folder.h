// The program's per-user data folder (the log, the downloaded installer and its
// log live there) and the maker's folder that holds it.
#pragma once

#include <string>

// The user's application-data folder + "Halvoris\" + title + "\", created when
// missing; the folder of programPath (with a trailing backslash) when there is
// no application-data folder or the own folder cannot be made.
std::wstring DataFolder(const std::wstring& programPath, const std::wstring& title);

// Removes the maker's folder under the application-data folder when it holds
// no sub-folder; one that still holds files stays (its removal fails).
void RemoveMakerFolderIfEmpty();
