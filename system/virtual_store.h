// The copies of the program's language files that Windows redirected into the
// user's VirtualStore when the program wrote into its protected folder.
#pragma once

#include <string>

// programFolder ends with a backslash ("C:\Program Files\Purgello\"). Deletes
// the language files (*.SPK) from the matching folder of the user's
// VirtualStore, which goes too when nothing else is left in it. Returns that
// folder (with a trailing backslash), or an empty text when it does not exist.
std::wstring CleanVirtualStore(const std::wstring& programFolder);
