// The console program: list the categories, preview what an analysis finds,
// or analyse and clean. The analysis and cleaning workers' runs go on the
// program's one thread, their hand-overs made as plain calls.
#pragma once

#include <string>
#include <vector>

// args excludes the program name. Returns the exit code: 0 when everything
// handled was deleted, 1 when some rows failed or were skipped, 2 for a usage
// error (nothing is analysed or deleted then).
int RunCli(const std::vector<std::wstring>& args);
