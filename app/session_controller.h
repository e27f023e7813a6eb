// The program's controller: the start-up, the cleaning sessions, automatic
// mode and the close, over the main window's view. Portable: the window
// program runs it on its GUI thread, native tests over a fake view, a fake
// clock and a QueueDispatcher served by the test thread.
//
// Every public call is made on the GUI thread (the thread that serves the
// dispatcher). The controller owns the review list, the log, the
// secure-deletion object and the running worker; a worker is never detached
// and is joined before anything it uses is freed.
//
// Contract between the window and the controller (the window's handlers are
// thin calls of these): the names are the window's published event names.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "app/startup.h"
#include "platform/clock.h"

class Dispatcher;
class ReviewList;
class TKLog;
class TTextStorage;

// What the controller asks of the system, injected so that tests never power
// the machine off.
struct SessionSystem {
  std::function<void()> powerOff;  // the after-actions; real: PowerOff() and Reboot()
  std::function<void()> reboot;
  std::function<void(std::vector<std::wstring>& titles)> topLevelWindowTitles;
  // Optional hooks of the language switcher and the update client, at their
  // places in the start-up: the facts for the "Language : " and TLS lines, and
  // the client's creation and start-up check after the first-run notice.
  std::function<void(StartupFacts& facts)> completeStartupFacts;
  std::function<void(TKLog& log)> startUpdateClient;
  // At the close, before the log goes: ends the update client and a check in
  // flight, whose reply would otherwise still arrive (its completion is
  // queued behind the close) and write to the gone log.
  std::function<void()> stopUpdateClient;
  // The main window's text table, so that both translate through one table;
  // none: the controller keeps its own.
  TTextStorage* mainTs = nullptr;
};

class SessionController {
 public:
  // programPath: the running executable; firstParameter: the first
  // command-line parameter when there is one.
  SessionController(MainView& view, Dispatcher& dispatcher, const platform::Clock& clock, SessionSystem system,
                    std::wstring programPath, std::optional<std::wstring> firstParameter);
  ~SessionController();
  SessionController(const SessionController&) = delete;
  SessionController& operator=(const SessionController&) = delete;

  // The first activation: every start-up step in order (the log, the
  // start-up lines, the first-run notice, ...). Runs once; later calls do
  // nothing.
  void AppEvtActivate();

  // Sessions.
  void Launch();              // clean_btn
  void simulate_btnClick();
  void AnalyseCleanandshutdown1Click();
  void AnalyseCleanandclose1Click();
  void AnalyseCleanandReboot1Click();

  // Automatic mode: the one-second tick, the arming button, the "Now" link.
  void TimerTimer();
  void auto_btnClick();
  void now_lblClick();

  // Menu commands.
  void Settings1Click();
  void OpenLogFile1Click();
  void CleanLogFile1Click();

  // The window is asked to close (close box, "Quit", shut-down of Windows).
  // True: the close sequence has run and the window may be destroyed. False:
  // a worker is still running (it has been asked to stop after the file in
  // hand) or a running-browser warning is shown; the controller calls the
  // view's CloseWindow once the worker has ended or the warnings are gone.
  // CloseWindow may be called from inside a worker's end notification: the
  // window must not destroy the controller before that call has returned.
  bool FormClose();
  // The shut-down of Windows: as FormClose, but waits (serving the
  // dispatcher's hand-overs) until the worker has ended and the close
  // sequence has run, since the process may end as soon as this returns.
  // Under a running-browser box no worker runs: the close sequence runs at once.
  void EndSession();

  // What the window shows and reads.
  ReviewList& List();
  TTextStorage& MainTs();
  TKLog* Log();  // null until the first activation has created it
  bool AutomaticMode() const;
  bool Busy() const;
  uint64_t TotalSaved() const;

  // The period of automatic mode: AutoFrequency's lowest 8 bits (1 when it is
  // not an integer), at most 24.
  static int AutoFrequencyHours();
  // The secure deletion scrambles names exactly when Scramble is "1".
  void ApplyScrambleSetting();

 private:
  void StartAutomaticCommand(bool close, bool shutdown, bool restart);
  void AnalysisDone();
  void StartCleaning();
  void CleaningDone(uint64_t freedBytes);
  void RunAfterAction();
  const std::vector<std::wstring>& RefreshTitles();
  bool HasCheckedItem(const wchar_t* part) const;
  void RunBrowserWarnings();
  // The warnings of a manual session; false when the window was closed
  // meanwhile (the close sequence has run instead).
  bool WarnOfRunningBrowsers();
  void RunClose();
  void CloseAfterWorker();

  struct State;
  std::unique_ptr<State> state_;
};
