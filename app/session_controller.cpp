#include "app/session_controller.h"

#include "analysis/analyse_thread.h"
#include "app/cleaning_session.h"
#include "app/close_sequence.h"
#include "app/running_browsers.h"
#include "cleaning/amnesia.h"
#include "i18n/text_storage.h"
#include "model/format_size.h"
#include "model/review_list.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "system/dispatcher.h"
#include "system/formatters.h"
#include "system/log.h"
#include "system/worker_thread.h"

namespace {

const wchar_t kMinimizedParameter[] = L"/minimized";
constexpr uint32_t kFirstRunDelayMs = 5000;
constexpr uint32_t kMsPerHour = 3600u * 1000u;

// The controls a session turns off and its end turns back on.
constexpr MainControl kSessionControls[] = {
    MainControl::SimulateBtn,   MainControl::CleanBtn,    MainControl::Settings1, MainControl::CheckAllBtn,
    MainControl::UncheckAllBtn, MainControl::ShutdownBtn, MainControl::RebootBtn, MainControl::CloseBtn};
constexpr MainControl kAutomaticCommands[] = {MainControl::CleanAndShutdown1, MainControl::CleanAndClose1,
                                              MainControl::CleanAndReboot1, MainControl::Quit1, MainControl::Quit2};

bool ContainsText(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

// Milliseconds to whole seconds, halves to even.
int64_t RoundedSeconds(uint32_t ms) {
  uint32_t seconds = ms / 1000, rest = ms % 1000;
  if (rest > 500 || (rest == 500 && seconds % 2 == 1)) ++seconds;
  return seconds;
}

}  // namespace

struct SessionController::State {
  State(MainView& v, Dispatcher& d, const platform::Clock& c, SessionSystem s, std::wstring path,
        std::optional<std::wstring> parameter)
      : view(v), dispatcher(d), clock(c), system(std::move(s)), programPath(std::move(path)),
        firstParameter(std::move(parameter)), mainTs(system.mainTs ? *system.mainTs : ownTs) {}

  MainView& view;
  Dispatcher& dispatcher;
  const platform::Clock& clock;
  SessionSystem system;
  std::wstring programPath;
  std::optional<std::wstring> firstParameter;

  ReviewList list;
  TTextStorage ownTs = MakeMainTs();
  TTextStorage& mainTs;
  ProgramRun run;
  std::unique_ptr<TAmnesia> amnesia;
  std::vector<std::wstring> titles;
  std::wstring caption;
  std::wstring totalText;  // total_lbl as the last tick left it

  bool activated = false;
  bool automaticMode = false;
  bool automaticRun = false;
  bool busy = false;
  bool simulate = false;
  bool closeAfter = false;
  bool shutdownAfter = false;
  bool restartAfter = false;
  // The list is as a "Simulate" analysis left it: "Clean" cleans it as it is.
  bool reviewing = false;
  bool ending = false;        // inside a worker's end notification
  bool warning = false;       // a running-browser warning is shown
  bool closeWaiting = false;  // the window asked to close while a worker ran
  bool closed = false;        // the close sequence has run
  uint32_t due = 0;
  uint64_t totalSaved = 0;

  // Last, so that they are joined before anything they use is freed.
  WorkerThread analysisWorker;
  WorkerThread cleaningWorker;

  std::wstring T(const wchar_t* english) const { return mainTs.Translate(english); }
  uint32_t Tick() const { return uint32_t(clock.TickCount64()); }
  TKLog* Log() const { return run.log.get(); }
  bool MinimizedStart() const { return firstParameter && *firstParameter == kMinimizedParameter; }

  void SetSessionControls(bool enabled) {
    for (MainControl control : kSessionControls) view.SetEnabled(control, enabled);
  }
};

SessionController::SessionController(MainView& view, Dispatcher& dispatcher, const platform::Clock& clock,
                                     SessionSystem system, std::wstring programPath,
                                     std::optional<std::wstring> firstParameter)
    : state_(std::make_unique<State>(view, dispatcher, clock, std::move(system), std::move(programPath),
                                     std::move(firstParameter))) {}

SessionController::~SessionController() {
  // A worker may be waiting in a hand-over: serve until it has ended.
  State& s = *state_;
  s.analysisWorker.RequestStop();
  s.cleaningWorker.RequestStop();
  s.dispatcher.ServeUntil([&s] { return !s.busy; });
}

ReviewList& SessionController::List() { return state_->list; }
TTextStorage& SessionController::MainTs() { return state_->mainTs; }
TKLog* SessionController::Log() { return state_->Log(); }
bool SessionController::AutomaticMode() const { return state_->automaticMode; }
bool SessionController::Busy() const { return state_->busy; }
uint64_t SessionController::TotalSaved() const { return state_->totalSaved; }

void SessionController::ApplyScrambleSetting() {
  if (state_->amnesia) state_->amnesia->scrambleNames = IsSettingOn(kScrambleSetting);
}

void SessionController::AppEvtActivate() {
  State& s = *state_;
  if (s.activated) return;
  s.activated = true;
  s.caption = ProgramCaption(s.programPath);
  s.view.SetCaption(s.caption);
  s.simulate = s.automaticMode = s.automaticRun = s.shutdownAfter = s.restartAfter = false;
  s.totalSaved = 0;
  if (s.MinimizedStart()) {
    s.closeAfter = IsSettingOn(kCleanOnceSetting);
    auto_btnClick();
    if (s.view.TrayActive())
      s.view.HideToTray();
    else
      s.view.ShowMinimized();
  }
  EnsureInstallId(s.clock);
  s.titles.clear();
  TimerTimer();
  // The maker value, the log with its start-up lines, the update leftovers and
  // the known folders.
  s.run = StartProgramRun(s.programPath, s.firstParameter, s.clock, s.system.completeStartupFacts);
  s.amnesia = std::make_unique<TAmnesia>();
  ApplyScrambleSetting();
  if (GetSetting(L"Recycle_Bin").empty()) {
    s.view.ShowInfo(s.T(L"Purgello is a powerful and secured file cleaner. Use with care."));
    // The window may have been closed under the notice: the close sequence
    // has stored the settings, nothing may write them again.
    if (s.closed) return;
    Settings1Click();
  }
  if (s.closed) return;
  if (s.system.startUpdateClient) s.system.startUpdateClient(*s.run.log);
}

// Sessions.

void SessionController::Launch() {
  State& s = *state_;
  if (s.busy || s.closeWaiting || s.closed) return;
  if (s.reviewing && !s.simulate) {
    // The user reviewed this list; a new analysis would check again what
    // they unchecked.
    s.reviewing = false;
    if (!s.automaticMode && !WarnOfRunningBrowsers()) return;
    StartCleaning();
    return;
  }
  s.reviewing = false;
  s.list.Clear();
  s.view.ReviewListChanged();
  s.view.SetStatusText(0, L"...");
  LogAdd(s.Log(), L"Start of analysis", kLogInfo);
  s.SetSessionControls(false);
  s.view.SetEnabled(MainControl::AutoBtn, false);
  s.view.SetEnabled(MainControl::Lst, false);
  AnalysisHost host;
  host.dispatcher = &s.dispatcher;
  host.log = s.Log();
  host.list = &s.list;
  host.showStatus = [&s](const std::wstring& caption) { s.view.SetStatusText(1, caption); };
  host.itemAdded = [&s](size_t, int64_t) { s.view.ReviewListChanged(); };
  host.done = [this] { AnalysisDone(); };
  s.busy = true;
  TAnalyseThd::Start(s.analysisWorker, host);
}

void SessionController::simulate_btnClick() {
  state_->simulate = true;
  Launch();
}

void SessionController::StartAutomaticCommand(bool close, bool shutdown, bool restart) {
  State& s = *state_;
  if (s.busy || s.automaticMode) return;
  s.closeAfter = close;
  s.shutdownAfter = shutdown;
  s.restartAfter = restart;
  s.automaticMode = true;
  s.due = s.Tick();
  TimerTimer();
}

void SessionController::AnalyseCleanandshutdown1Click() { StartAutomaticCommand(false, true, false); }
void SessionController::AnalyseCleanandclose1Click() { StartAutomaticCommand(true, false, false); }
void SessionController::AnalyseCleanandReboot1Click() { StartAutomaticCommand(false, false, true); }

void SessionController::AnalysisDone() {
  State& s = *state_;
  s.ending = true;
  s.view.UpdateTotals();
  s.view.SetStatusText(1, s.T(L"Analysis : Complete"));
  LogAdd(s.Log(), L"End of analysis", kLogInfo);
  if (s.list.Count() > 0) s.view.SizeColumnsToContents();
  s.SetSessionControls(!s.automaticMode);
  s.view.SetEnabled(MainControl::AutoBtn, !s.automaticRun);
  s.view.SetEnabled(MainControl::Lst, true);
  s.busy = false;
  s.ending = false;
  if (s.closeWaiting) {
    s.simulate = false;
    CloseAfterWorker();
    return;
  }
  if (s.simulate) {
    s.reviewing = true;
  } else if (s.automaticMode || WarnOfRunningBrowsers()) {
    StartCleaning();
  }
  s.simulate = false;
}

void SessionController::StartCleaning() {
  State& s = *state_;
  if (s.closed) return;
  if (s.list.Count() == 0) {
    RunAfterAction();
    s.automaticRun = false;
    s.view.SetEnabled(MainControl::AutoBtn, true);
    return;
  }
  s.SetSessionControls(false);
  s.view.SetEnabled(MainControl::Lst, false);
  // A manual cleaning leaves auto_btn usable; an automatic run cannot be
  // disarmed half-way.
  s.view.SetEnabled(MainControl::AutoBtn, !s.automaticRun);
  s.view.SetStatusText(0, L"...");
  s.view.SetStatusText(1, s.T(L"Cleaning..."));
  const CleanOptions options = CleanOptionsFromSettings(s.automaticRun, RunningBrowsersIn(RefreshTitles()));
  s.view.SetProgressMax(0);
  s.view.SetProgressMax(int(s.list.Count() - 1));
  LogStartOfCleaning(s.Log(), options.method);
  CleanHost host;
  host.dispatcher = &s.dispatcher;
  host.log = s.Log();
  host.list = &s.list;
  host.amnesia = s.amnesia.get();
  host.cleaningText = s.T(L"Cleaning...");
  host.progress = [&s](size_t row, const std::wstring& status) {
    s.view.SetProgressPosition(int(row));
    s.view.SetStatusText(1, status);
  };
  host.rowsRemoved = [&s](const std::vector<size_t>&) { s.view.ReviewListChanged(); };
  host.done = [this](uint64_t freed) { CleaningDone(freed); };
  s.busy = true;
  TCleanThd::Start(s.cleaningWorker, host, options);
}

void SessionController::CleaningDone(uint64_t freedBytes) {
  State& s = *state_;
  s.ending = true;
  s.totalSaved += freedBytes;
  s.view.SetProgressPosition(0);
  s.view.SetStatusText(0, L"");
  s.view.SetStatusText(1, s.T(L"Done !"));
  s.SetSessionControls(!s.automaticMode);
  s.view.SetEnabled(MainControl::AutoBtn, true);
  s.view.SetEnabled(MainControl::Lst, true);
  LogEndOfCleaning(s.Log());
  if (!s.closeWaiting) RunAfterAction();
  s.automaticRun = false;
  s.busy = false;
  s.ending = false;
  if (s.closeWaiting) CloseAfterWorker();
}

void SessionController::RunAfterAction() {
  State& s = *state_;
  if (!s.automaticMode) return;
  if (s.shutdownAfter && s.system.powerOff) s.system.powerOff();
  if (s.restartAfter && s.system.reboot) s.system.reboot();
  if (s.closeAfter || s.shutdownAfter || s.restartAfter) s.view.CloseWindow();
}

// The running-browser guard.

const std::vector<std::wstring>& SessionController::RefreshTitles() {
  State& s = *state_;
  s.titles.clear();
  if (s.system.topLevelWindowTitles) s.system.topLevelWindowTitles(s.titles);
  return s.titles;
}

bool SessionController::HasCheckedItem(const wchar_t* part) const {
  const ReviewList& list = state_->list;
  for (size_t i = 0; i < list.Count(); ++i)
    if (list.Checked(i) && ContainsText(list.At(i).caption, part)) return true;
  return false;
}

void SessionController::RunBrowserWarnings() {
  State& s = *state_;
  if (TitlesShowFirefox(RefreshTitles()) && HasCheckedItem(L"Firefox"))
    s.view.ShowInfo(s.T(L"Firefox is running. Its associated file will not be cleanned. Please close Firefox and retry"));
  if (!s.closeWaiting && TitlesShowSongbird(RefreshTitles()) && HasCheckedItem(L"Songbird"))
    s.view.ShowInfo(
        s.T(L"Songbird is running. Its associated file will not be cleanned. Please close Songbird and retry"));
}

bool SessionController::WarnOfRunningBrowsers() {
  State& s = *state_;
  // The boxes are modal and the window can be closed under them: that close
  // waits until they are gone and then takes the cleaning's place.
  s.warning = true;
  RunBrowserWarnings();
  s.warning = false;
  if (!s.closeWaiting) return true;
  CloseAfterWorker();
  return false;
}

// Automatic mode.

int SessionController::AutoFrequencyHours() {
  const int low = SettingInteger(kAutoFrequencySetting, 1) & 0xFF;
  return low <= 24 ? low : 24;
}

void SessionController::TimerTimer() {
  State& s = *state_;
  s.view.SetSubtitle(s.T(L"Cleans your system of temporary and unwanted files.") + L"\n\r" +
                     s.T(L"Purgello is a powerful and secured file cleaner. Use with care."));
  s.view.SetTrayHint(s.caption + L"\n\r" + s.totalText);
  if (s.automaticMode)
    s.view.SetAutoButton(L"     " + s.T(L"Stop"), 1);
  else
    s.view.SetAutoButton(L"     " + s.T(L"Start"), 0);
  if (s.automaticMode) {
    const uint32_t tick = s.Tick();
    if (tick > s.due || s.automaticRun) {
      s.view.SetNextLabel(s.T(L"In Progress..."), true);
      // A cleaning of a manual session may still run: the next analysis
      // waits for its end.
      if (!s.automaticRun && !s.busy && !s.closeWaiting && !s.closed) {
        s.automaticRun = true;
        s.due = tick + uint32_t(AutoFrequencyHours()) * kMsPerHour;
        Launch();
      }
    } else {
      s.view.SetNextLabel(s.T(L"Next :") + L" " + FormatCountdown(RoundedSeconds(s.due - tick)), true);
    }
  } else {
    s.view.SetNextLabel(L"", false);
  }
  s.view.SetNowVisible(s.automaticMode && !s.automaticRun);
  const bool commandsEnabled = !s.automaticMode && !s.busy;
  for (MainControl control : kAutomaticCommands) s.view.SetEnabled(control, commandsEnabled);
  s.totalText = s.T(L"Total :") + FormatSize(int64_t(s.totalSaved));
  s.view.SetTotalText(s.totalText);
}

void SessionController::auto_btnClick() {
  State& s = *state_;
  if (!s.automaticMode && !s.MinimizedStart() &&
      !s.view.AskYesNo(s.T(L"Purgello will automatically analyze and delete files. Continue ?"), L"Question"))
    return;
  s.automaticMode = !s.automaticMode;
  if (s.automaticMode) {
    s.due = s.Tick() + kFirstRunDelayMs;
    s.reviewing = false;
  }
  // auto_btn stays usable during a manual cleaning: disarming then must not
  // hand the list and the session commands back while the worker reads them.
  if (!s.busy) s.SetSessionControls(!s.automaticMode);
  LogAdd(s.Log(), s.automaticMode ? L"Automatic mode : ON" : L"Automatic mode : OFF", kLogInfo);
  TimerTimer();
}

void SessionController::now_lblClick() {
  State& s = *state_;
  s.view.SetNowVisible(false);
  s.due = s.Tick();
  LogAdd(s.Log(), L"Automatic mode : Forced", kLogInfo);
  TimerTimer();
}

// Menu commands.

void SessionController::Settings1Click() {
  State& s = *state_;
  if (s.closed) return;
  s.view.RunSettingsDialog();
  s.view.SetTrayActive(IsSettingOn(kMinSysTraySetting));
  ApplyScrambleSetting();
}

void SessionController::OpenLogFile1Click() {
  if (TKLog* log = state_->Log()) log->OpenInViewer();
}

void SessionController::CleanLogFile1Click() {
  if (TKLog* log = state_->Log()) CleanLogFile(*log);
}

// The close.

bool SessionController::FormClose() {
  State& s = *state_;
  if (s.closed) return true;
  if ((s.busy && !s.ending) || s.warning) {
    if (!s.closeWaiting) {
      s.closeWaiting = true;
      s.analysisWorker.RequestStop();
      s.cleaningWorker.RequestStop();
      if (s.busy) LogAdd(s.Log(), L"Closing : the running task stops after the current file", kLogInfo);
    }
    return false;
  }
  RunClose();
  return true;
}

void SessionController::EndSession() {
  State& s = *state_;
  if (FormClose()) return;
  // No worker runs under a running-browser box, and the box cannot go while
  // this call is nested in it: waiting would never end.
  if (!s.busy) {
    RunClose();
    return;
  }
  s.dispatcher.ServeUntil([&s] { return s.closed; });
}

void SessionController::RunClose() {
  State& s = *state_;
  if (s.closed) return;
  s.closed = true;
  if (s.system.stopUpdateClient) s.system.stopUpdateClient();
  RunCloseSequence(s.run, WindowCloseState{s.view.IsMaximized(), s.view.IsExpertMode()});
}

void SessionController::CloseAfterWorker() {
  RunClose();
  state_->view.CloseWindow();
}
