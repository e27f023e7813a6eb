// The controller over a recording view, a fake clock and the real workers on a
// planted prefix: whole sessions with their log lines and files, the enabled
// controls, the after-actions, automatic mode on the 32-bit tick, the
// running-browser warnings, and closing while a worker runs.
#include "app/session_controller.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "model/catalogue.h"
#include "model/format_size.h"
#include "model/review_list.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "settings/settings_store.h"
#include "system/dispatcher.h"
#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/planted_prefix.h"

namespace {

using testsupport::FakeClock;
using testsupport::PlantedPrefix;

const std::wstring kWinTemp = L"C:\\windows\\Temp\\";
const std::wstring kProgramFolder = L"C:\\Program Files\\Purgello\\";
const std::wstring kFirefoxFile =
    L"C:\\users\\tester\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\formhistory.sqlite";
const std::wstring kSongbirdFile = L"C:\\users\\tester\\AppData\\Local\\Songbird2\\Cache\\c.bin";
constexpr uint64_t kWrap = uint64_t(1) << 32;
constexpr uint64_t kGiB = uint64_t(1) << 30;

// The messages of the log, oldest first, without their level and stamp.
std::vector<std::wstring> Messages(const TKLog* log) {
  std::vector<std::wstring> messages;
  if (!log) return messages;
  const std::vector<std::wstring> lines = log->Lines();
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    const size_t tab = it->find(L'\t', it->find(L'\t') + 1);
    messages.push_back(tab == std::wstring::npos ? *it : it->substr(tab + 1));
  }
  return messages;
}

std::string Native(const std::wstring& windowsPath) {
  std::string native;
  platform::ToNativePath(windowsPath, native);
  return native;
}

bool Exists(const std::wstring& windowsPath) {
  struct stat st;
  return lstat(Native(windowsPath).c_str(), &st) == 0;
}

std::string Content(const std::wstring& windowsPath) {
  std::ifstream in(Native(windowsPath), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Old enough for an automatic run, which keeps temporary files of the last hour.
void MakeOld(const std::wstring& windowsPath) {
  timespec times[2];
  clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= 7200;
  times[1] = times[0];
  ASSERT_EQ(utimensat(AT_FDCWD, Native(windowsPath).c_str(), times, 0), 0);
}

// The main window as the controller sees it: remembers what it was last told
// and lets a test act on the GUI thread at chosen moments of a session.
class RecordingView : public MainView {
 public:
  SessionController* controller = nullptr;
  std::map<MainControl, bool> enabled;
  std::wstring caption, subtitle, trayHint, autoCaption, nextText, totalText, status[2];
  int autoImage = -1;
  bool nextVisible = false, nowVisible = false;
  // The texts of the message boxes, and "<settings>" for the settings dialog, in order.
  std::vector<std::wstring> boxes;
  bool answer = true;               // to every question
  int progressMax = -1;
  bool trayActive = false;
  int hidden = 0, minimized = 0, settingsRuns = 0, closeCalls = 0;
  bool destroyed = false;  // the close sequence let the window go
  std::vector<std::wstring> logAtClose;
  // Run on the GUI thread: rows were added or removed, a row was cleaned, a
  // message box is shown.
  std::function<void()> onListChanged, onProgress, onBox;

  void SetEnabled(MainControl control, bool on) override { enabled[control] = on; }
  void SetCaption(const std::wstring& text) override { caption = text; }
  void SetStatusText(int panel, const std::wstring& text) override { status[panel] = text; }
  void SetSubtitle(const std::wstring& text) override { subtitle = text; }
  void SetTrayHint(const std::wstring& text) override { trayHint = text; }
  void SetAutoButton(const std::wstring& text, int image) override {
    autoCaption = text;
    autoImage = image;
  }
  void SetNextLabel(const std::wstring& text, bool visible) override {
    nextText = text;
    nextVisible = visible;
  }
  void SetNowVisible(bool visible) override { nowVisible = visible; }
  void SetTotalText(const std::wstring& text) override { totalText = text; }
  void ReviewListChanged() override {
    if (onListChanged) onListChanged();
  }
  void SizeColumnsToContents() override {}
  void UpdateTotals() override {}
  void SetProgressMax(int max) override { progressMax = max; }
  void SetProgressPosition(int position) override {
    if (position > 0 && onProgress) onProgress();
  }
  void ShowInfo(const std::wstring& text) override {
    boxes.push_back(text);
    if (onBox) onBox();
  }
  bool AskYesNo(const std::wstring& text, const std::wstring& title) override {
    boxes.push_back(title + L": " + text);
    return answer;
  }
  void RunSettingsDialog() override {
    ++settingsRuns;
    boxes.push_back(L"<settings>");
  }
  void SetTrayActive(bool active) override { trayActive = active; }
  bool TrayActive() const override { return trayActive; }
  void HideToTray() override { ++hidden; }
  void ShowMinimized() override { ++minimized; }
  bool IsMaximized() const override { return false; }
  bool IsExpertMode() const override { return true; }
  // The window closes: the close sequence empties the log, so keep what it held.
  void CloseWindow() override {
    ++closeCalls;
    logAtClose = Messages(controller->Log());
    if (controller->FormClose()) destroyed = true;
  }
};

// One program run in a fresh prefix of its own (files and registry).
struct Rig {
  explicit Rig(std::vector<std::wstring> categories = {L"Temporary_Files", L"Windows_Log_files"},
               std::optional<std::wstring> parameter = std::nullopt,
               std::vector<std::pair<std::wstring, std::wstring>> settings = {},
               std::function<void(Rig&)> beforeActivation = nullptr,
               std::function<void(SessionSystem&)> withSystem = nullptr) {
    prefix.Plant(kProgramFolder + L"Purgello.exe", "MZ");
    for (const Category& category : kCatalogue) SetSetting(category.key, L"0");
    for (const std::wstring& key : categories) SetSetting(key, L"1");
    for (const auto& [name, value] : settings) SetSetting(name, value);
    clock.ticks = 1000000;
    SessionSystem system;
    system.powerOff = [this] { ++powerOffs; };
    system.reboot = [this] { ++reboots; };
    system.topLevelWindowTitles = [this](std::vector<std::wstring>& out) { out = titles; };
    if (withSystem) withSystem(system);
    controller = std::make_unique<SessionController>(view, dispatcher, clock, system, kProgramFolder + L"Purgello.exe",
                                                     parameter);
    view.controller = controller.get();
    if (beforeActivation) beforeActivation(*this);
    controller->AppEvtActivate();
    mark = Messages(controller->Log()).size();
    logPath = controller->Log()->FilePath();
  }

  // The log file's messages, oldest first (the file has the newest first).
  std::vector<std::wstring> LogFileMessages() const {
    std::vector<std::wstring> messages;
    std::istringstream in(Content(logPath));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const size_t tab = line.find('\t', line.find('\t') + 1);
      messages.insert(messages.begin(), platform::FromUtf8(tab == std::string::npos ? line : line.substr(tab + 1)));
    }
    return messages;
  }

  // Serves the workers' hand-overs until no worker runs.
  void Serve() {
    dispatcher.ServeUntil([this] { return !controller->Busy(); });
  }
  void Tick(uint32_t ms) {
    clock.ticks += ms;
    controller->TimerTimer();
  }
  // What the log got since the start-up (as it was at the close, when the
  // window closed).
  std::vector<std::wstring> NewLines() const {
    std::vector<std::wstring> all = view.closeCalls ? view.logAtClose : Messages(controller->Log());
    return std::vector<std::wstring>(all.begin() + std::min(mark, all.size()), all.end());
  }
  size_t RowOf(const std::wstring& path) const {
    for (size_t i = 0; i < controller->List().Count(); ++i)
      if (controller->List().At(i).path == path) return i;
    return SIZE_MAX;
  }

  PlantedPrefix prefix;
  FakeClock clock;
  QueueDispatcher dispatcher;
  RecordingView view;
  std::vector<std::wstring> titles;
  int powerOffs = 0, reboots = 0;
  size_t mark = 0;
  std::wstring logPath;
  std::unique_ptr<SessionController> controller;  // last: goes first
};

const std::vector<std::wstring> kAnalysis = {L"Start of analysis", L"Analyzing : Temporary Files",
                                             L"Analyzing : Windows Log files", L"End of analysis"};
// The cleaning's lines: its method line when there is one, then a pass for the
// checked rows and, when it deleted something, one more for what it left
// checked (nothing in a manual session, the young temporary file in an
// automatic one); left -1: no second pass.
std::vector<std::wstring> Cleaning(int checked, int left, const wchar_t* method = nullptr) {
  std::vector<std::wstring> lines = {L"Start of cleaning"};
  if (method) lines.push_back(method);
  lines.push_back(L"Pass 1 : " + std::to_wstring(checked) + L" items to be deleted");
  if (left >= 0) lines.push_back(L"Pass 2 : " + std::to_wstring(left) + L" items to be deleted");
  lines.push_back(L"End of cleaning");
  return lines;
}
const std::vector<std::wstring> kManual = Cleaning(3, 0), kAutomatic = Cleaning(3, 1);

std::vector<std::wstring> Join(std::initializer_list<std::vector<std::wstring>> parts) {
  std::vector<std::wstring> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(SessionControllerTest, SessionsLogTheirLinesAndCleanWhatTheyShould) {
  const std::wstring old = kWinTemp + L"old.tmp", young = kWinTemp + L"young.tmp", logFile = L"C:\\windows\\setupact.log";
  struct Case {
    const char* what;
    bool plant;
    std::optional<std::wstring> parameter;
    std::vector<std::pair<std::wstring, std::wstring>> settings;
    std::function<void(Rig&)> run;
    std::vector<std::wstring> log;
    std::vector<std::wstring> kept;
    int powerOffs, reboots;
    bool closed;
  };
  const auto armWithYes = [](Rig& r) { r.controller->auto_btnClick(); };
  const Case cases[] = {
      {"Clean", true, {}, {}, [](Rig& r) {
         r.controller->Launch();
         r.Serve();
       }, Join({kAnalysis, kManual}), {}, 0, 0, false},
      {"Clean with one overwrite pass", true, {}, {{L"DeletionMethod", L"1Pass"}},
       [](Rig& r) {
         r.controller->Launch();
         r.Serve();
       },
       Join({kAnalysis, Cleaning(3, 0, L"Method : 1 pass random")}), {}, 0, 0, false},
      {"Clean with three passes", true, {}, {{L"DeletionMethod", L"3Pass"}}, [](Rig& r) {
         r.controller->Launch();
         r.Serve();
       },
       Join({kAnalysis, Cleaning(3, 0, L"Method : 3 pass random (DoD)")}), {}, 0, 0, false},
      {"Clean into the Recycle Bin", true, {}, {{L"DeletionMethod", L"Recycle"}}, [](Rig& r) {
         r.controller->Launch();
         r.Serve();
       },
       Join({kAnalysis, Cleaning(3, 0, L"Method : Recycle Bin")}), {}, 0, 0, false},
      {"a method in another letter case is the standard one", true, {}, {{L"DeletionMethod", L"3pass"}},
       [](Rig& r) {
         r.controller->Launch();
         r.Serve();
       }, Join({kAnalysis, kManual}), {}, 0, 0, false},
      {"Simulate, uncheck, Clean: the reviewed list is cleaned as checked", true, {}, {},
       [young](Rig& r) {
         r.controller->simulate_btnClick();
         r.Serve();
         ASSERT_EQ(r.controller->List().Count(), 3u);
         r.controller->List().SetChecked(r.RowOf(young), false);
         r.controller->Launch();
         r.Serve();
       },
       Join({kAnalysis, Cleaning(2, 0)}), {young}, 0, 0, false},
      {"Simulate alone deletes nothing", true, {}, {},
       [](Rig& r) {
         r.controller->simulate_btnClick();
         r.Serve();
       },
       kAnalysis, {old, young, logFile}, 0, 0, false},
      {"Clean && Shutdown: an automatic run (young temporary files stay), then power off", true, {}, {},
       [](Rig& r) {
         r.controller->AnalyseCleanandshutdown1Click();
         r.Tick(1000);
         r.Serve();
       },
       Join({kAnalysis, kAutomatic}), {young}, 1, 0, true},
      {"Clean && Reboot", true, {}, {},
       [](Rig& r) {
         r.controller->AnalyseCleanandReboot1Click();
         r.Tick(1000);
         r.Serve();
       },
       Join({kAnalysis, kAutomatic}), {young}, 0, 1, true},
      {"Clean && Close", true, {}, {},
       [](Rig& r) {
         r.controller->AnalyseCleanandclose1Click();
         r.Tick(1000);
         r.Serve();
       },
       Join({kAnalysis, kAutomatic}), {young}, 0, 0, true},
      {"Clean && Close with nothing found closes without cleaning lines", false, {}, {},
       [](Rig& r) {
         r.controller->AnalyseCleanandclose1Click();
         r.Tick(1000);
         r.Serve();
       },
       kAnalysis, {}, 0, 0, true},
      {"Clean && Shutdown with nothing found still powers off", false, {}, {},
       [](Rig& r) {
         r.controller->AnalyseCleanandshutdown1Click();
         r.Tick(1000);
         r.Serve();
       },
       kAnalysis, {}, 1, 0, true},
      {"Clean && Reboot with nothing found still restarts", false, {}, {},
       [](Rig& r) {
         r.controller->AnalyseCleanandReboot1Click();
         r.Tick(1000);
         r.Serve();
       },
       kAnalysis, {}, 0, 1, true},
      {"Simulate, uncheck, Clean && Close: the reviewed list, then the close", true, {}, {},
       [old](Rig& r) {
         r.controller->simulate_btnClick();
         r.Serve();
         r.controller->List().SetChecked(r.RowOf(old), false);
         r.controller->AnalyseCleanandclose1Click();
         r.Tick(1000);
         r.Serve();
       },
       Join({kAnalysis, Cleaning(2, 1)}), {old, young}, 0, 0, true},
      {"the automatic trigger cleans and keeps automatic mode", true, {}, {},
       [armWithYes](Rig& r) {
         armWithYes(r);
         r.Tick(5001);
         r.Serve();
       },
       Join({{L"Automatic mode : ON"}, kAnalysis, kAutomatic}), {young}, 0, 0, false},
      {"/minimized with CleanOnce: armed unasked, the first run after 5 s, then the close", true, L"/minimized",
       {{L"CleanOnce", L"1"}},
       [](Rig& r) {
         r.Tick(5000);
         EXPECT_FALSE(r.controller->Busy()) << "due at 5 s, started only once passed";
         r.Tick(1000);
         r.Serve();
       },
       Join({kAnalysis, kAutomatic}), {young}, 0, 0, true},
      {"/minimized without CleanOnce keeps running", true, L"/minimized", {{L"CleanOnce", L"true"}},
       [](Rig& r) {
         r.Tick(6000);
         r.Serve();
       },
       Join({kAnalysis, kAutomatic}), {young}, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r({L"Temporary_Files", L"Windows_Log_files"}, c.parameter, c.settings);
    if (c.plant) {
      r.prefix.Plant(old, "old");
      MakeOld(old);
      r.prefix.Plant(young, "young");
      r.prefix.Plant(logFile, "log");
      MakeOld(logFile);
    }
    c.run(r);
    EXPECT_EQ(r.NewLines(), c.log);
    for (const std::wstring& file : {old, young, logFile}) {
      const bool shouldStay =
          c.plant && std::find(c.kept.begin(), c.kept.end(), file) != c.kept.end();
      EXPECT_EQ(Exists(file), shouldStay) << platform::ToUtf8(file);
    }
    EXPECT_EQ(r.powerOffs, c.powerOffs);
    EXPECT_EQ(r.reboots, c.reboots);
    EXPECT_EQ(r.view.destroyed, c.closed);
    EXPECT_EQ(r.view.closeCalls, c.closed ? 1 : 0);
    if (c.parameter) {
      EXPECT_TRUE(r.controller->AutomaticMode());
      EXPECT_EQ(r.view.minimized, 1);
      EXPECT_TRUE(r.view.boxes.empty()) << "no question after /minimized";
    }
  }
}


// The first activation: the first-run notice and then the settings dialog
// while no category is stored yet, and the "/minimized" start into the tray
// or the taskbar, armed without a question.
TEST(SessionControllerTest, FirstActivationShowsTheNoticeAndTheMinimizedStart) {
  const std::wstring notice = L"Purgello is a powerful and secured file cleaner. Use with care.";
  const struct {
    const char* what;
    bool stored, tray;
    std::optional<std::wstring> parameter;
    std::vector<std::wstring> boxes;
    int hidden, minimized;
  } cases[] = {
      {"first start: the notice, then the settings dialog", false, false, {}, {notice, L"<settings>"}, 0, 0},
      {"later start: neither", true, false, {}, {}, 0, 0},
      {"/minimized with the tray icon: hidden into the tray", true, true, L"/minimized", {}, 1, 0},
      {"/minimized without it: minimised on the taskbar", true, false, L"/minimized", {}, 0, 1},
      {"another parameter is no automatic start", true, true, L"/MINIMIZED", {}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r({L"Temporary_Files"}, c.parameter, {}, [&c](Rig& rig) {
      if (!c.stored) DeleteSettingsBranch(L"Purgello");
      rig.view.trayActive = c.tray;
    });
    EXPECT_EQ(r.view.boxes, c.boxes);
    EXPECT_EQ(r.view.hidden, c.hidden);
    EXPECT_EQ(r.view.minimized, c.minimized);
    const bool automatic = c.hidden + c.minimized > 0;
    EXPECT_EQ(r.controller->AutomaticMode(), automatic);
    EXPECT_EQ(r.view.nextText, automatic ? L"Next : 0:05" : L"");
    EXPECT_EQ(r.view.caption, ProgramCaption(kProgramFolder + L"Purgello.exe"));
    r.controller->AppEvtActivate();
    EXPECT_EQ(r.view.boxes, c.boxes) << "once only";
  }
}

// The update client writes to the log, and its reply may still be on its way
// when the window closes: whichever way the program ends, the close ends the
// client while the log is still there, once.
TEST(SessionControllerTest, TheCloseEndsTheUpdateClientBeforeItsLogGoes) {
  for (const bool endSession : {false, true}) {
    SCOPED_TRACE(endSession ? "the shut-down of Windows" : "a close");
    Rig* rig = nullptr;
    TKLog* clientLog = nullptr;
    std::vector<std::wstring> events;
    Rig r({L"Temporary_Files"}, std::nullopt, {}, nullptr, [&](SessionSystem& system) {
      system.startUpdateClient = [&](TKLog& log) {
        clientLog = &log;
        events.push_back(L"started");
      };
      system.stopUpdateClient = [&] {
        events.push_back(rig->controller->Log() == clientLog ? L"stopped, its log there" : L"stopped, its log gone");
        if (clientLog) clientLog->Add(L"the client's last line", kLogInfo);
      };
    });
    rig = &r;
    ASSERT_EQ(events, (std::vector<std::wstring>{L"started"}));
    if (endSession)
      r.controller->EndSession();
    else
      EXPECT_TRUE(r.controller->FormClose());
    EXPECT_FALSE(r.controller->Log()) << "the close lets the log go";
    EXPECT_TRUE(r.controller->FormClose());
    EXPECT_EQ(events, (std::vector<std::wstring>{L"started", L"stopped, its log there"}));
  }
}

// The enabled controls at each state of a session, as the window's table has them.
TEST(SessionControllerTest, ControlsFollowTheSessionState) {
  using C = MainControl;
  const C sessionControls[] = {C::SimulateBtn, C::CleanBtn,      C::Settings1, C::CheckAllBtn,
                               C::UncheckAllBtn, C::ShutdownBtn, C::RebootBtn, C::CloseBtn};
  const C commands[] = {C::CleanAndShutdown1, C::CleanAndClose1, C::CleanAndReboot1, C::Quit1, C::Quit2};
  struct Expected {
    bool session, autoBtn, lst, commands;
  };
  std::map<std::string, std::map<C, bool>> seen;
  const auto snapshot = [&](Rig& r, const std::string& state) {
    if (seen.count(state)) return;
    r.controller->TimerTimer();  // the tick refreshes the menu commands
    seen[state] = r.view.enabled;
  };
  {
    Rig r;
    for (int i = 0; i < 3; ++i) r.prefix.Plant(kWinTemp + L"f" + std::to_wstring(i) + L".tmp", "f");
    r.view.onListChanged = [&] {
      if (r.controller->Busy() && r.controller->List().Count() > 0) snapshot(r, "analysing");
    };
    r.view.onProgress = [&] { snapshot(r, "cleaning (manual)"); };
    r.controller->Launch();
    r.Serve();
    snapshot(r, "idle after a manual session");

    // Arming and disarming while a manual cleaning runs must not hand the list
    // back to the user under the worker.
    for (int i = 0; i < 3; ++i) MakeOld(r.prefix.Plant(kWinTemp + L"f" + std::to_wstring(i) + L".tmp", "f"));
    r.view.onListChanged = nullptr;
    r.view.onProgress = [&] {
      if (seen.count("cleaning (manual), armed and disarmed")) return;
      r.controller->auto_btnClick();
      r.controller->auto_btnClick();
      snapshot(r, "cleaning (manual), armed and disarmed");
    };
    r.controller->Launch();
    r.Serve();

    for (int i = 0; i < 3; ++i) MakeOld(r.prefix.Plant(kWinTemp + L"f" + std::to_wstring(i) + L".tmp", "f"));
    r.view.onProgress = [&] { snapshot(r, "cleaning (automatic)"); };
    r.controller->auto_btnClick();
    r.Tick(5001);
    r.Serve();
    snapshot(r, "idle in automatic mode");
  }
  const std::pair<std::string, Expected> table[] = {
      {"analysing", {false, false, false, false}},
      {"cleaning (manual)", {false, true, false, false}},
      {"cleaning (manual), armed and disarmed", {false, true, false, false}},
      {"cleaning (automatic)", {false, false, false, false}},
      {"idle after a manual session", {true, true, true, true}},
      {"idle in automatic mode", {false, true, true, false}},
  };
  for (const auto& [state, expected] : table) {
    SCOPED_TRACE(state);
    ASSERT_TRUE(seen.count(state));
    std::map<C, bool>& on = seen[state];
    for (C control : sessionControls) EXPECT_EQ(on[control], expected.session) << int(control);
    EXPECT_EQ(on[C::AutoBtn], expected.autoBtn);
    EXPECT_EQ(on[C::Lst], expected.lst);
    for (C control : commands) EXPECT_EQ(on[control], expected.commands) << int(control);
  }
}

TEST(SessionControllerTest, ArmingCountsDownAndStartsTheRun) {
  Rig r;
  r.prefix.Plant(kWinTemp + L"young.tmp", "y");
  const std::wstring question = L"Question: Purgello will automatically analyze and delete files. Continue ?";

  r.view.answer = false;
  r.controller->auto_btnClick();
  EXPECT_FALSE(r.controller->AutomaticMode());
  EXPECT_EQ(r.view.boxes, std::vector<std::wstring>{question});
  EXPECT_TRUE(r.NewLines().empty()) << "No changes nothing";
  EXPECT_FALSE(r.view.nextVisible);
  EXPECT_EQ(r.view.autoCaption, L"     Start");

  r.view.answer = true;
  r.controller->auto_btnClick();
  EXPECT_EQ(r.NewLines(), std::vector<std::wstring>{L"Automatic mode : ON"});
  EXPECT_EQ(r.view.autoCaption, L"     Stop");
  EXPECT_EQ(r.view.autoImage, 1);
  // Seconds to the due moment, rounded with halves to even.
  const std::pair<uint32_t, const wchar_t*> countdown[] = {
      {0, L"Next : 0:05"}, {1500, L"Next : 0:04"}, {1000, L"Next : 0:02"}, {2500, L"Next : 0:00"}};
  for (const auto& [step, text] : countdown) {
    r.Tick(step);
    EXPECT_EQ(r.view.nextText, text);
    EXPECT_TRUE(r.view.nextVisible && r.view.nowVisible);
    EXPECT_FALSE(r.controller->Busy());
  }

  // Disarming while waiting hides both at once; arming again asks again and
  // counts 5 seconds again.
  r.controller->auto_btnClick();
  EXPECT_FALSE(r.view.nextVisible || r.view.nowVisible);
  EXPECT_EQ(r.view.autoImage, 0);
  r.Tick(10000);
  EXPECT_FALSE(r.controller->Busy());
  r.controller->auto_btnClick();
  EXPECT_EQ(r.view.boxes, (std::vector<std::wstring>{question, question, question}));
  EXPECT_EQ(r.view.nextText, L"Next : 0:05");

  r.Tick(5001);
  EXPECT_EQ(r.view.nextText, L"In Progress...");
  EXPECT_FALSE(r.view.nowVisible);
  EXPECT_TRUE(r.controller->Busy());
  r.Serve();
  r.Tick(1000);  // the next run is due an hour after this one started
  EXPECT_EQ(r.view.nextText, L"Next : 59:59");
  EXPECT_TRUE(r.view.nowVisible);

  // "Now" makes the run due; it starts at the first tick the counter has moved.
  r.controller->now_lblClick();
  EXPECT_FALSE(r.controller->Busy());
  r.Tick(1000);
  EXPECT_TRUE(r.controller->Busy());
  r.Serve();
  EXPECT_EQ(r.NewLines(), Join({{L"Automatic mode : ON", L"Automatic mode : OFF", L"Automatic mode : ON"},
                                kAnalysis,
                                Cleaning(1, -1),
                                {L"Automatic mode : Forced"},
                                kAnalysis,
                                Cleaning(1, -1)}));
}

// Armed during a manual cleaning, the due run waits for that cleaning's end
// instead of being dropped.
TEST(SessionControllerTest, ADueRunWaitsForAManualCleaning) {
  Rig r({L"Temporary_Files"});
  for (int i = 0; i < 5; ++i) MakeOld(r.prefix.Plant(kWinTemp + L"f" + std::to_wstring(i) + L".tmp", "f"));
  bool armed = false;
  r.view.onProgress = [&] {
    if (armed) return;
    armed = true;
    r.controller->auto_btnClick();
    r.Tick(6000);
    EXPECT_EQ(r.view.nextText, L"In Progress...");
  };
  r.controller->Launch();
  r.Serve();
  ASSERT_TRUE(armed);
  const std::vector<std::wstring> first = r.NewLines();
  EXPECT_EQ(std::count(first.begin(), first.end(), L"Start of analysis"), 1);
  r.prefix.Plant(kWinTemp + L"later.tmp", "l");
  r.Tick(1000);
  EXPECT_TRUE(r.controller->Busy()) << "the run starts at the first tick after the cleaning";
  r.Serve();
  const std::vector<std::wstring> lines = r.NewLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), L"Start of analysis"), 2);
  EXPECT_EQ(lines.back(), L"End of cleaning");
}

TEST(SessionControllerTest, AutoFrequencyIsItsLowByteAtMost24Hours) {
  PlantedPrefix prefix;
  const std::pair<const wchar_t*, int> cases[] = {{L"3", 3},   {L"24", 24}, {L"30", 24}, {L"256", 0},
                                                  {L"281", 24}, {L"257", 1}, {L"", 1},    {L"often", 1}};
  for (const auto& [text, hours] : cases) {
    SetSetting(L"AutoFrequency", text);
    EXPECT_EQ(SessionController::AutoFrequencyHours(), hours) << platform::ToUtf8(text);
  }
  // The next run is due that long after the start of the last.
  const std::pair<const wchar_t*, const wchar_t*> runs[] = {
      {L"30", L"Next : 23:59:59"}, {L"1", L"Next : 59:59"}, {L"256", L"In Progress..."}};
  for (const auto& [text, label] : runs) {
    SCOPED_TRACE(platform::ToUtf8(text));
    Rig r({L"Temporary_Files"}, std::nullopt, {{L"AutoFrequency", text}});
    r.controller->auto_btnClick();
    r.Tick(5001);
    r.Serve();
    r.Tick(1000);
    EXPECT_EQ(r.view.nextText, label);
    // A period of 0 hours cleans again at the first tick after each cleaning.
    EXPECT_EQ(r.controller->Busy(), std::wstring(text) == L"256");
    r.Serve();
  }
}

// The tick is the system's 32-bit millisecond counter.
TEST(SessionControllerTest, DueMomentsFollowTheTickAcrossItsWrap) {
  {
    SCOPED_TRACE("a due moment reached just before the wrap");
    Rig r({L"Temporary_Files"});
    r.clock.ticks = kWrap - 8000;
    r.controller->auto_btnClick();
    EXPECT_EQ(r.view.nextText, L"Next : 0:05");
    r.Tick(5000);
    EXPECT_FALSE(r.controller->Busy());
    r.Tick(1);
    EXPECT_TRUE(r.controller->Busy());
    r.Serve();
    // The next due moment wrapped past zero: already passed by the unsigned
    // comparison, so the next run starts at the first tick after this one.
    r.Tick(1000);
    EXPECT_EQ(r.view.nextText, L"In Progress...");
    EXPECT_TRUE(r.controller->Busy());
    r.Serve();
    // That run started 1999 ms before the wrap: the counter, past zero now,
    // counts down to an hour after that start.
    r.Tick(3000);
    EXPECT_EQ(r.view.nextText, L"Next : 59:57");
  }
  {
    SCOPED_TRACE("arming just below the wrap");
    Rig r({L"Temporary_Files"});
    r.clock.ticks = kWrap - 3000;
    r.controller->auto_btnClick();
    EXPECT_EQ(r.view.nextText, L"In Progress...");
    EXPECT_TRUE(r.controller->Busy());
    r.Serve();
  }
}

TEST(SessionControllerTest, TotalSavedCountsPast4GiBAndTheTrayHintFollowsATickLate) {
  Rig r({L"Temporary_Files"});
  const std::wstring empty = r.view.totalText;
  EXPECT_EQ(empty, L"Total :" + FormatSize(0));
  for (int session = 1; session <= 2; ++session) {
    // Sparse: 3 GiB of size, no room taken.
    const std::wstring big = r.prefix.Plant(kWinTemp + L"big" + std::to_wstring(session) + L".tmp", "");
    std::filesystem::resize_file(Native(big), 3 * kGiB);
    r.controller->Launch();
    r.Serve();
    EXPECT_FALSE(Exists(big));
  }
  EXPECT_EQ(r.controller->TotalSaved(), 6 * kGiB);
  const std::wstring total = L"Total :" + FormatSize(int64_t(6 * kGiB));
  const std::wstring previous = r.view.totalText;
  r.controller->TimerTimer();
  EXPECT_EQ(r.view.totalText, total);
  EXPECT_EQ(r.view.trayHint, r.view.caption + L"\n\r" + previous) << "a tick late";
  r.controller->TimerTimer();
  EXPECT_EQ(r.view.trayHint, r.view.caption + L"\n\r" + total);
}

TEST(SessionControllerTest, RunningBrowsersWarnInManualSessionsAndKeepTheirRows) {
  const std::wstring firefox = L"Firefox is running. Its associated file will not be cleanned. Please close Firefox and retry";
  const std::wstring songbird =
      L"Songbird is running. Its associated file will not be cleanned. Please close Songbird and retry";
  struct Case {
    const char* what;
    std::vector<std::wstring> titles;
    bool automatic;
    std::vector<std::wstring> boxes;
    bool firefoxKept, songbirdKept;
  } cases[] = {
      {"both run: both warnings in order, both rows stay", {L"songBIRD", L"Start Page - Mozilla Firefox"}, false,
       {firefox, songbird}, true, true},
      {"a title that is only the program's name, or a folder of that name, is not Firefox running",
       {L"Mozilla Firefox", L"C:\\Program Files\\Mozilla Firefox"}, false, {}, false, false},
      {"an automatic session warns of nothing and still keeps the rows",
       {L"Songbird", L"x - Mozilla Firefox"}, true, {}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r({L"Temporary_Files", L"Firefox_Cache", L"Songbird_Cache"});
    r.titles = c.titles;
    r.prefix.Plant(kFirefoxFile, "ff");
    r.prefix.Plant(kSongbirdFile, "sb");
    const std::wstring temp = r.prefix.Plant(kWinTemp + L"a.tmp", "a");
    MakeOld(temp);
    if (c.automatic) {
      r.controller->AnalyseCleanandclose1Click();
      r.Tick(1000);
    } else {
      r.controller->Launch();
    }
    r.Serve();
    EXPECT_EQ(r.view.boxes, c.boxes);
    EXPECT_EQ(Exists(kFirefoxFile), c.firefoxKept);
    EXPECT_EQ(Exists(kSongbirdFile), c.songbirdKept);
    EXPECT_FALSE(Exists(temp));
  }
}

// Closing while a worker runs: the worker stops at a row or category
// boundary, its end notification runs, then the whole close sequence.
TEST(SessionControllerTest, ClosingWhileAWorkerRunsWaitsForItsEnd) {
  const std::wstring closing = L"Closing : the running task stops after the current file";
  enum class When { Analysing, Cleaning, CleaningEndSession, WarningBox, WarningBoxEndSession, Idle };
  const struct {
    const char* what;
    When when;
  } cases[] = {{"during an analysis", When::Analysing},
               {"during a cleaning", When::Cleaning},
               {"at the shut-down of Windows during a cleaning", When::CleaningEndSession},
               {"while a running-browser warning is shown", When::WarningBox},
               {"at the shut-down of Windows while a running-browser warning is shown", When::WarningBoxEndSession},
               {"at the shut-down of Windows when idle", When::Idle}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // In debug mode the close keeps the log's lines.
    Rig r({L"Temporary_Files", L"Windows_Log_files", L"Firefox_Cache"}, std::nullopt, {{L"DebugMode", L"1"}});
    std::vector<std::wstring> files;
    for (int i = 0; i < 20; ++i)
      files.push_back(r.prefix.Plant(kWinTemp + L"f" + std::to_wstring(i) + L".tmp", "content " + std::to_string(i)));
    files.push_back(r.prefix.Plant(L"C:\\windows\\setupact.log", "log"));
    files.push_back(r.prefix.Plant(kFirefoxFile, "ff"));
    const bool box = c.when == When::WarningBox || c.when == When::WarningBoxEndSession;
    if (box) r.titles = {L"Page - Mozilla Firefox"};
    bool reached = false;
    r.view.onListChanged = [&] { reached = reached || (c.when == When::Analysing && r.controller->Busy()); };
    r.view.onProgress = [&] { reached = true; };
    r.view.onBox = [&] {
      if (c.when != When::WarningBoxEndSession) {
        EXPECT_FALSE(r.controller->FormClose()) << "the box is shown by the controller";
        return;
      }
      // The process may end once this returns, the box still open.
      r.controller->EndSession();
      EXPECT_TRUE(Exists(kProgramFolder + L"settings.ini"));
    };
    if (c.when != When::Idle) {
      r.controller->Launch();
      r.dispatcher.ServeUntil([&] { return reached || !r.controller->Busy(); });
    }
    switch (c.when) {
      case When::Analysing:
      case When::Cleaning:
        ASSERT_TRUE(reached);
        EXPECT_FALSE(r.controller->FormClose());
        EXPECT_FALSE(r.controller->FormClose()) << "asked twice, told once";
        r.dispatcher.ServeUntil([&] { return r.view.destroyed; });
        break;
      case When::CleaningEndSession:
        ASSERT_TRUE(reached);
        r.controller->EndSession();
        break;
      case When::WarningBox:
      case When::WarningBoxEndSession:
        r.Serve();
        break;
      case When::Idle:
        r.controller->EndSession();
        break;
    }
    EXPECT_FALSE(r.controller->Busy());
    // The close sequence ran whole: the portable copy took its settings back.
    EXPECT_TRUE(Exists(kProgramFolder + L"settings.ini"));
    EXPECT_FALSE(platform::RegKey::Open(platform::RegRoot::CurrentUser, kSettingsBranch, platform::RegAccess::Read)
                     .IsOpen());
    size_t left = 0;
    for (size_t i = 0; i < files.size(); ++i) {
      if (!Exists(files[i])) continue;
      ++left;
      if (i < 20) {
        EXPECT_EQ(Content(files[i]), "content " + std::to_string(i)) << "a file is handled whole or not at all";
      }
    }
    const std::vector<std::wstring> log = r.LogFileMessages();
    ASSERT_FALSE(log.empty());
    const size_t told = std::count(log.begin(), log.end(), closing);
    switch (c.when) {
      case When::Analysing:
        EXPECT_EQ(left, files.size());
        EXPECT_EQ(told, 1u);
        EXPECT_EQ(std::count(log.begin(), log.end(), L"Analyzing : Windows Log files"), 0)
            << "no category after the stop";
        EXPECT_EQ(log.back(), L"End of analysis");
        break;
      case When::Cleaning:
      case When::CleaningEndSession:
        EXPECT_GT(left, 0u);
        EXPECT_LT(left, files.size());
        EXPECT_EQ(told, 1u);
        EXPECT_EQ(log.back(), L"End of cleaning");
        break;
      case When::WarningBox:
      case When::WarningBoxEndSession:
        EXPECT_EQ(left, files.size()) << "no cleaning after the close";
        break;
      case When::Idle:
        EXPECT_EQ(left, files.size());
        break;
    }
  }
}

// A close asked while the worker is inside a file's overwrite passes, not at
// a row boundary: the file is finished, then the close sequence runs.
TEST(SessionControllerTest, ClosingDuringAThreePassDeletionFinishesTheFile) {
  Rig r({L"Temporary_Files"}, std::nullopt, {{L"DebugMode", L"1"}, {L"DeletionMethod", L"3Pass"}});
  const std::wstring big = r.prefix.Plant(kWinTemp + L"big.tmp", std::string(32u << 20, 'A'));
  r.controller->Launch();
  r.dispatcher.ServeUntil([&] { return r.view.status[1] == L"Cleaning..." || !r.controller->Busy(); });
  ASSERT_TRUE(r.controller->Busy());
  // The overwrite has begun once the file's first bytes are no longer the planted ones.
  const auto started = [&] {
    std::ifstream in(Native(big), std::ios::binary);
    char head[64] = {};
    return !in || !in.read(head, sizeof head) || std::string(head, sizeof head) != std::string(sizeof head, 'A');
  };
  for (int i = 0; i < 10000 && !started(); ++i) usleep(1000);
  ASSERT_TRUE(started());
  EXPECT_FALSE(r.controller->FormClose());
  r.dispatcher.ServeUntil([&] { return r.view.destroyed; });
  EXPECT_FALSE(Exists(big)) << "the file in hand is finished";
  EXPECT_TRUE(Exists(kProgramFolder + L"settings.ini"));
  const std::vector<std::wstring> log = r.LogFileMessages();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), L"End of cleaning");
}

}  // namespace
