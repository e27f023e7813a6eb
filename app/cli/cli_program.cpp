#include "app/cli/cli_program.h"

#include <memory>

#include "analysis/analyse_thread.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_report.h"
#include "app/cli/cli_system.h"
#include "app/cli/row_outcomes.h"
#include "app/cleaning_session.h"
#include "cleaning/amnesia.h"
#include "cleaning/clean_thread.h"
#include "model/review_csv.h"
#include "model/review_list.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "system/dispatcher.h"
#include "system/log.h"

namespace {

constexpr int kExitClean = 0;
constexpr int kExitSomeLeft = 1;
constexpr int kExitUsage = 2;
constexpr size_t kLogLines = 10000;

struct Streams {
  ConsoleStream out{ConsoleStream::Out};
  ConsoleStream err{ConsoleStream::Err};
  bool incomplete = false;  // a folder could not be read, or the log not written
};

// One line on standard error; the run goes on, and ends with exit status 1.
void ReportIncomplete(Streams& streams, const std::wstring& problem) {
  streams.err.Write(L"purgello-cli: " + problem + L"\n");
  streams.incomplete = true;
}

// The log reaches its file by the end, or the user is told.
std::wstring LogNotWritten(const CliOptions& options) {
  return L"cannot write the log file '" + EscapedField(options.logFile) + L"'";
}

void CheckLogWritten(const CliOptions& options, TKLog* log, Streams& streams) {
  if (!log) return;
  log->Flush();
  if (log->LastSaveFailed()) ReportIncomplete(streams, LogNotWritten(options));
}

int UsageError(Streams& streams, const std::wstring& problem) {
  streams.err.Write(L"purgello-cli: " + problem + L"\n");
  return kExitUsage;
}

int RunList(const CliOptions& options, Streams& streams) {
  for (size_t i = 0; i < kCategoryCount; ++i) streams.out.Write(ListLine(kCatalogue[i], options.selected[i]));
  return kExitClean;
}

// The console program has no window to keep responsive, so the workers' runs
// go on its one thread (InlineDispatcher): nothing waits on another thread for
// each row. Its priority is the caller's (nice).
// One analysis of the selected categories into list; each row is passed to
// rowAdded, with the bytes its size text was made from, as it arrives.
void Analyse(const CliOptions& options, TKLog* log, Streams& streams, ReviewList& list, StatusLine& status,
             const std::function<void(const FoundItem& row, bool checked, uint64_t bytes)>& rowAdded) {
  InlineDispatcher dispatcher;
  AnalysisHost host;
  host.dispatcher = &dispatcher;
  host.log = log;
  host.list = &list;
  host.isEnabled = [&options](const std::wstring& key) {
    for (size_t i = 0; i < kCategoryCount; ++i)
      if (key == kCatalogue[i].key) return options.selected[i];
    return false;
  };
  host.showStatus = [&status](const std::wstring& caption) { status.Show(L"Analyzing : " + caption); };
  host.itemAdded = [&](size_t index, int64_t bytes) { rowAdded(list.At(index), list.Checked(index), uint64_t(bytes)); };
  host.folderUnreadable = [&](const std::wstring& folder) {
    status.Clear();
    ReportIncomplete(streams, L"cannot read the folder " + EscapedField(folder));
  };
  LogAdd(log, L"Start of analysis", kLogInfo);
  TAnalyseThd::Execute(host);
  LogAdd(log, L"End of analysis", kLogInfo);
  status.Clear();
}

std::wstring RowLabel(const FoundItem& row) { return row.path.empty() ? row.caption : row.path; }

bool StillThere(const std::wstring& path) {
  return !path.empty() && (platform::WideFileExists(path) || platform::WideFolderExists(path));
}

int RunPreview(const CliOptions& options, TKLog* log, Streams& streams) {
  ReviewList list;
  uint64_t total = 0;
  StatusLine status(streams.err);
  if (options.csv) streams.out.Write(std::wstring(1, kCsvByteOrderMark));
  Analyse(options, log, streams, list, status, [&](const FoundItem& row, bool checked, uint64_t bytes) {
    total += bytes;
    streams.out.Write(options.csv ? CsvRecord(row.caption, row.path, bytes, checked)
                                  : PreviewLine(row.caption, row.path, bytes));
  });
  streams.out.Flush();
  streams.err.Write(FoundSummary(list.Count(), total));
  CheckLogWritten(options, log, streams);
  return streams.incomplete ? kExitSomeLeft : kExitClean;
}

int RunClean(const CliOptions& options, TKLog* log, Streams& streams) {
  ReviewList list;
  uint64_t total = 0;
  {
    StatusLine status(streams.err);
    Analyse(options, log, streams, list, status, [&](const FoundItem&, bool, uint64_t bytes) { total += bytes; });
  }
  streams.err.Write(FoundSummary(list.Count(), total));
  OutcomeCounts counts;
  if (list.Count() == 0) {
    streams.err.Write(CleanSummary(counts, 0));
    CheckLogWritten(options, log, streams);
    return streams.incomplete ? kExitSomeLeft : kExitClean;
  }

  TAmnesia amnesia;
  amnesia.scrambleNames = options.scramble;
  CleanOptions cleanOptions;
  cleanOptions.automaticRun = options.automatic;
  std::vector<std::wstring> titles;
  platform::TopLevelWindowTitles(titles);
  const RunningBrowsers browsers = RunningBrowsersIn(titles);
  cleanOptions.firefoxRunning = browsers.firefox;
  cleanOptions.songbirdRunning = browsers.songbird;
  cleanOptions.logDeletions = log != nullptr;
  cleanOptions.method = options.method;
  cleanOptions.trim = options.trim;

  // The original rows, for those the run never reached.
  std::vector<FoundItem> rows;
  rows.reserve(list.Count());
  for (size_t i = 0; i < list.Count(); ++i) rows.push_back(list.At(i));

  InlineDispatcher dispatcher;
  RowOutcomes outcomes(list.Count());
  CleanHost host;
  host.dispatcher = &dispatcher;
  host.log = log;
  host.list = &list;
  host.amnesia = &amnesia;
  host.passStarted = [&](int pass, size_t checkedRows) {
    streams.err.Write(L"Pass " + std::to_wstring(pass) + L" : " + std::to_wstring(checkedRows) +
                      L" items to be deleted\n");
  };
  // A deleted row is final and shown at once; the others may still go in a
  // later pass and are shown when the cleaning ends.
  host.rowHandled = [&](size_t row, const std::wstring& label, RowOutcome outcome) {
    outcomes.Handled(row, label, outcome);
    if (outcome == RowOutcome::Deleted || outcome == RowOutcome::Recycled) streams.out.Write(OutcomeLine(outcome, label));
  };
  host.rowsRemoved = [&](const std::vector<size_t>& removed) { outcomes.Removed(removed); };
  LogStartOfCleaning(log, options.method);
  const uint64_t freed = TCleanThd::Execute(host, cleanOptions);
  LogEndOfCleaning(log);

  for (const RowOutcomes::Row& row : outcomes.Rows()) {
    if (!row.handled) continue;
    switch (row.outcome) {
      case RowOutcome::Deleted:
        ++counts.deleted;
        continue;
      case RowOutcome::Recycled:
        ++counts.recycled;
        continue;
      case RowOutcome::Failed:
        ++counts.failed;
        break;
      case RowOutcome::Skipped:
        ++counts.skipped;
        break;
      case RowOutcome::Scheduled:
        ++counts.scheduled;
        break;
    }
    streams.out.Write(OutcomeLine(row.outcome, row.label));
  }
  // A run that an error ended leaves rows it never reached; those whose file
  // is still there were not cleaned.
  for (size_t original : outcomes.Remaining()) {
    if (outcomes.Rows()[original].handled || !StillThere(rows[original].path)) continue;
    ++counts.failed;
    streams.out.Write(OutcomeLine(RowOutcome::Failed, RowLabel(rows[original])));
  }
  streams.out.Flush();
  streams.err.Write(CleanSummary(counts, freed));
  CheckLogWritten(options, log, streams);
  return counts.failed + counts.skipped > 0 || streams.incomplete ? kExitSomeLeft : kExitClean;
}

}  // namespace

int RunCli(const std::vector<std::wstring>& args) {
  Streams streams;
  const CliParse parse = ParseCliArguments(args);
  if (!parse.Ok()) return UsageError(streams, parse.error);
  const CliOptions& options = parse.options;
  switch (options.command) {
    case CliCommand::Help:
      streams.out.Write(CliUsage());
      return kExitClean;
    case CliCommand::List:
      return RunList(options, streams);
    case CliCommand::Preview:
    case CliCommand::Clean:
      break;
  }

  std::wstring problem;
  if (!PrepareWindowsTree(options, problem)) return UsageError(streams, problem);
  std::unique_ptr<TKLog> log;
  if (!options.logFile.empty()) {
    std::wstring logPath;
    if (!LogFileWindowsPath(options.logFile, logPath, problem)) return UsageError(streams, problem);
    log.reset(new TKLog(logPath, kLogLines, true));
    // Found out before anything is deleted: a log asked for and not kept.
    log->Save();
    if (log->LastSaveFailed()) {
      ReportIncomplete(streams, LogNotWritten(options));
      return kExitSomeLeft;
    }
  }
  return options.command == CliCommand::Preview ? RunPreview(options, log.get(), streams)
                                                : RunClean(options, log.get(), streams);
}
