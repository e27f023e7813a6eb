// The vendor's pages the updater and the help menu open, built on the
// vendor's host name (VendorServer in the programs).
#pragma once

#include <string>

// The download page: its query begins "?&" as the server has always been sent it.
std::wstring UpdateViewPageUrl(const std::wstring& server);
std::wstring UpdateDownloadUrl(const std::wstring& server);
std::wstring ChangeLogUrl(const std::wstring& server);
std::wstring BugTrackerUrl(const std::wstring& server);
