#include "app/cli/cli_options.h"

#include <functional>

#include "platform/win_path.h"

namespace {

enum class Selection { All, Only, Enable, Disable };

struct SelectionStep {
  Selection kind;
  std::vector<size_t> categories;
};

// The catalogue index of a key, or kCategoryCount.
size_t CategoryIndex(const std::wstring& key) {
  for (size_t i = 0; i < kCategoryCount; ++i)
    if (platform::EqualsNoCase(key, kCatalogue[i].key)) return i;
  return kCategoryCount;
}

// "A,B,C" into catalogue indices; false with an error naming the bad key.
bool ParseKeys(const std::wstring& option, const std::wstring& list, std::vector<size_t>& out, std::wstring& error) {
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(L',', start);
    const std::wstring key = list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    if (key.empty()) {
      error = L"empty category key in " + option + L" '" + list + L"'";
      return false;
    }
    const size_t index = CategoryIndex(key);
    if (index == kCategoryCount) {
      error = L"unknown category key '" + key + L"'; valid keys: " + ValidCategoryKeys();
      return false;
    }
    out.push_back(index);
    if (comma == std::wstring::npos) return true;
    start = comma + 1;
  }
}

bool ParseMethod(const std::wstring& value, DeletionMethod& method) {
  // In the order of the methods' values.
  const wchar_t* const names[] = {L"standard", L"1pass", L"3pass", L"recycle"};
  for (int i = 0; i < 4; ++i)
    if (platform::EqualsNoCase(value, names[i])) {
      method = DeletionMethod(i);
      return true;
    }
  return false;
}

void ApplySelection(const std::vector<SelectionStep>& steps, std::array<bool, kCategoryCount>& selected) {
  for (size_t i = 0; i < kCategoryCount; ++i) selected[i] = kCatalogue[i].enabledByDefault;
  for (const SelectionStep& step : steps) {
    if (step.kind == Selection::All || step.kind == Selection::Only) selected.fill(step.kind == Selection::All);
    for (size_t index : step.categories) selected[index] = step.kind != Selection::Disable;
  }
}

}  // namespace

std::wstring ValidCategoryKeys() {
  std::wstring keys;
  for (const Category& category : kCatalogue) {
    if (!keys.empty()) keys += L", ";
    keys += category.key;
  }
  return keys;
}

CliParse ParseCliArguments(const std::vector<std::wstring>& args) {
  CliParse parse;
  CliOptions& options = parse.options;
  std::vector<SelectionStep> steps;
  std::wstring firstCleanOption;  // to reject cleaning options on other commands
  bool commandGiven = false;

  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
      options.command = CliCommand::Help;
      return parse;
    }
    if (arg.size() < 2 || arg[0] != L'-') {
      if (commandGiven) {
        parse.error = L"unexpected argument '" + arg + L"'";
        return parse;
      }
      if (arg == L"list") options.command = CliCommand::List;
      else if (arg == L"preview") options.command = CliCommand::Preview;
      else if (arg == L"clean") options.command = CliCommand::Clean;
      else {
        parse.error = L"unknown command '" + arg + L"' (list, preview or clean)";
        return parse;
      }
      commandGiven = true;
      continue;
    }

    // "--name value" or "--name=value".
    const size_t equals = arg.find(L'=');
    const std::wstring name = arg.substr(0, equals);
    const bool inlineValue = equals != std::wstring::npos;
    std::wstring value;
    bool valueTaken = false;
    auto takeValue = [&]() -> bool {
      valueTaken = true;
      if (inlineValue) {
        value = arg.substr(equals + 1);
        return true;
      }
      // "--only --all" lacks its value; a value that starts with "--" can be given as --name=value.
      if (i + 1 >= args.size() || args[i + 1].compare(0, 2, L"--") == 0) {
        parse.error = L"option " + name + L" needs a value";
        return false;
      }
      value = args[++i];
      return true;
    };

    if (name == L"--all") {
      steps.push_back({Selection::All, {}});
    } else if (name == L"--only" || name == L"--enable" || name == L"--disable") {
      if (!takeValue()) return parse;
      const Selection kind = name == L"--only" ? Selection::Only
                             : name == L"--enable" ? Selection::Enable
                                                   : Selection::Disable;
      SelectionStep step{kind, {}};
      if (!ParseKeys(name, value, step.categories, parse.error)) return parse;
      steps.push_back(step);
    } else if (name == L"--method") {
      if (!takeValue()) return parse;
      if (!ParseMethod(value, options.method)) {
        parse.error = L"unknown method '" + value + L"' (standard, 1pass, 3pass or recycle)";
        return parse;
      }
    } else if (name == L"--trim") {
      options.trim = true;
    } else if (name == L"--scramble") {
      options.scramble = true;
    } else if (name == L"--automatic") {
      options.automatic = true;
    } else if (name == L"--csv") {
      options.csv = true;
    } else if (name == L"--log") {
      if (!takeValue()) return parse;
      if (value.empty()) {
        parse.error = L"option --log needs a file name";
        return parse;
      }
      options.logFile = value;
#ifndef _WIN32
    } else if (name == L"--prefix" || name == L"--user") {
      if (!takeValue()) return parse;
      if (value.empty()) {
        parse.error = L"option " + name + L" needs a value";
        return parse;
      }
      (name == L"--prefix" ? options.prefix : options.user) = value;
#endif
    } else {
      parse.error = L"unknown option '" + name + L"'";
      return parse;
    }
    if (inlineValue && !valueTaken) {
      parse.error = L"option " + name + L" takes no value";
      return parse;
    }
    const bool cleaningOption =
        name == L"--method" || name == L"--trim" || name == L"--scramble" || name == L"--automatic" || name == L"--log";
    if (cleaningOption && firstCleanOption.empty()) firstCleanOption = name;
  }

  if (!commandGiven) {
    parse.error = L"no command given (list, preview or clean); see --help";
    return parse;
  }
  if (options.command != CliCommand::Clean && !firstCleanOption.empty()) {
    parse.error = L"option " + firstCleanOption + L" applies to clean only";
    return parse;
  }
  if (options.command != CliCommand::Preview && options.csv) {
    parse.error = L"option --csv applies to preview only";
    return parse;
  }
  ApplySelection(steps, options.selected);
  return parse;
}

std::wstring CliUsage() {
  std::wstring text =
      L"Usage: purgello-cli <command> [selection] [options]\n"
      L"\n"
      L"Commands:\n"
      L"  list      one line per category in visiting order: key, TAB, item caption,\n"
      L"            TAB, on or off (the default, or as the selection makes it)\n"
      L"  preview   analyse and write one line per found item: item caption, TAB,\n"
      L"            path, TAB, size in bytes (the Recycle Bin row: its total); the\n"
      L"            summary goes to standard error; with --csv the items as CSV\n"
      L"            instead (UTF-8 with a byte-order mark; item caption, path, size\n"
      L"            in bytes, checked 1; quoted as RFC 4180 says, CRLF line ends)\n"
      L"  clean     analyse, then delete every found item; one line per handled\n"
      L"            item: deleted, recycled, failed, skipped or scheduled, TAB,\n"
      L"            path; the passes and the freed total go to standard error\n"
      L"\n"
      L"Selection (the category defaults unless changed; applied in the order given):\n"
      L"  --all                   every category\n"
      L"  --only KEY[,KEY...]     just these categories\n"
      L"  --enable KEY[,KEY...]   add these categories\n"
      L"  --disable KEY[,KEY...]  leave these categories out\n"
      L"\n"
      L"Cleaning options (clean only):\n"
      L"  --method standard|1pass|3pass  overwrite passes before deletion (default: standard)\n"
      L"  --method recycle  move each file into the Recycle Bin instead, where it can be\n"
      L"                 restored from (no new name, no overwrite, no trim; a file\n"
      L"                 that cannot go there is left and fails)\n"
      L"  --trim         cut each file to zero length before deleting it\n"
      L"  --scramble     give each file a random name before deleting it\n"
      L"  --automatic    an automatic run: files with \"Temp\" in their category\n"
      L"                 caption that changed within the last hour are kept\n"
      L"  --log FILE     write the program log to FILE (verbose, every deletion logged)\n";
#ifndef _WIN32
  text +=
      L"\n"
      L"Windows tree (a Wine prefix):\n"
      L"  --prefix DIR   the Wine prefix (default: $WINEPREFIX, else ~/.wine)\n"
      L"  --user NAME    the user folder under drive_c/users (default: $USER)\n"
      L"  The Recycle Bin is the trash of $XDG_DATA_HOME, as Wine's is; a file on\n"
      L"  another device than that trash cannot be recycled.\n";
#endif
  text +=
      L"\n"
      L"  --help         this text\n"
      L"\n"
      L"Output: captions and paths are escaped so that each item stays one line of\n"
      L"TAB-separated fields: \"%\" and two hex digits stand for a control character\n"
      L"(tab, line end), for each UTF-8 byte of U+0080..U+009F, U+2028, U+2029 or a\n"
      L"lone surrogate, for a byte a Windows name cannot hold as it is (U+F000 + the\n"
      L"byte: a \"\\\" or \"*\" in a Linux name, a byte that is not UTF-8), and for\n"
      L"\"%\" itself (%25). When standard output is closed early (a reader such as\n"
      L"head stops), nothing more is written there and the run goes on to its end;\n"
      L"the summaries still go to standard error.\n"
      L"\n"
      L"Exit status: 0 when everything handled was deleted, 1 when some items failed\n"
      L"or were skipped, when a folder could not be read, or when the log file could\n"
      L"not be written; 2 for a usage error (nothing is deleted then).\n"
      L"\n"
      L"Category keys: " +
      ValidCategoryKeys() + L"\n";
  return text;
}
