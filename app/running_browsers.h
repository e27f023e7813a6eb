// Whether Firefox or Songbird is running, told by the titles of the top-level
// windows as the window program tells it: their rows are then left alone.
#pragma once

#include <string>
#include <vector>

// Some title holds "Mozilla Firefox" after at least two characters, and not
// right after a backslash (an explorer window showing a Firefox folder).
bool TitlesShowFirefox(const std::vector<std::wstring>& titles);
// Some title is "Songbird", in any letter case.
bool TitlesShowSongbird(const std::vector<std::wstring>& titles);
