// The console program's command line: the command, the category selection and
// the cleaning options. Parsing touches nothing on disk; checking the Wine
// prefix and the user folder is the program's job.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "settings/settings_vocabulary.h"

enum class CliCommand { Help, List, Preview, Clean };

struct CliOptions {
  CliCommand command = CliCommand::Help;
  // One flag per catalogue entry, in visiting order; starts at the defaults.
  std::array<bool, kCategoryCount> selected{};
  DeletionMethod method = DeletionMethod::Standard;
  bool trim = false;
  bool scramble = false;
  bool automatic = false;
  bool csv = false;  // preview: the found items as CSV
  std::wstring logFile;  // as given; empty: no log
#ifndef _WIN32
  // Empty when not given: the platform's defaults ($WINEPREFIX or ~/.wine, $USER).
  std::wstring prefix;
  std::wstring user;
#endif
};

struct CliParse {
  CliOptions options;
  std::wstring error;  // one line naming the problem; empty when the line was understood
  bool Ok() const { return error.empty(); }
};

// args excludes the program name. Selection options apply in the order given,
// each to the result of the ones before: --all, --only (everything else off),
// --enable, --disable. Keys are matched without regard to ASCII case.
CliParse ParseCliArguments(const std::vector<std::wstring>& args);

// "Recycle_Bin, Windows_VirtualStore, ..." in visiting order.
std::wstring ValidCategoryKeys();

// The --help text.
std::wstring CliUsage();
