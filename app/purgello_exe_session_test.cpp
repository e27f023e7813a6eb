// Cleaning sessions of the real Purgello.exe, driven through its main window
// as a user would: "Simulate", review, "Clean", automatic mode, a close while
// a cleaning runs. Checked through the files left on disk, the window and the
// log.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/purgello_exe_fixture.h"
#include "model/catalogue.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "platform/win32/handle.h"

namespace {

using namespace exetest;
using Row = RunningProgram::Row;
using Texts = std::vector<std::wstring>;

const Texts kSessionLines = {L"Start of", L"End of", L"Analyzing : ", L"Automatic mode", L"Method : ", L"Closing : "};

// The temporary-files category is the one it reads under Wine: the Windows
// folder's Temp (Wine's profile has no Local Settings link to the user's Temp).
std::wstring WindowsTemp() { return platform::KnownFolderPath(platform::kCsidlWindows) + L"\\Temp\\"; }

// The files of a folder, by name.
Texts FilesIn(const std::wstring& folder) {
  Texts names;
  for (platform::DirectoryReader reader(folder + L"*"); reader.Next();)
    if (!reader.IsFolder()) names.push_back(reader.Name());
  std::sort(names.begin(), names.end());
  return names;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class PurgelloSessionTest : public PurgelloExeTest {
 protected:
  void SetUp() override {
    PurgelloExeTest::SetUp();
    ASSERT_EQ(FilesIn(WindowsTemp()), Texts{}) << "the prefix's Temp holds files of an earlier test";
  }
  void TearDown() override {
    for (const std::wstring& name : FilesIn(WindowsTemp())) platform::DeleteFileAt(WindowsTemp() + name);
    PurgelloExeTest::TearDown();
  }

  // A portable copy in expert mode that analyses only the temporary files
  // (the Recycle Bin's value also keeps the first-run notice away), with no
  // update check at start-up.
  void WriteSettings(const std::string& more = std::string()) {
    std::string ini = "[Settings]\r\nAutoUpdate=0\r\nDebugMode=1\r\nExpertMode=1\r\n" + more;
    for (const Category& category : kCatalogue)
      ini += platform::ToUtf8(category.key) + (category.key == std::wstring(L"Temporary_Files") ? "=1\r\n" : "=0\r\n");
    tree_.WriteFile(L"settings.ini", ini);
  }

  // A file in the Windows folder's Temp, last written ageHours ago.
  static std::wstring PlantTemp(const std::wstring& name, const std::string& bytes, int ageHours = 0) {
    const std::wstring path = WindowsTemp() + name;
    EXPECT_TRUE(platform::WriteWholeFile(path, bytes));
    if (ageHours > 0) {
      const platform::Handle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      FILETIME now;
      GetSystemTimeAsFileTime(&now);
      ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
      t.QuadPart -= uint64_t(ageHours) * 3600 * 10000000;
      const FILETIME then{t.LowPart, t.HighPart};
      EXPECT_TRUE(SetFileTime(file.Get(), &then, &then, &then));
    }
    return path;
  }

  // Closes the main window as its close box does; the exit code.
  static DWORD Close(RunningProgram& program) {
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    return program.WaitForExit(60000);
  }
};

// A session of the expert user: "Simulate" lists what would go and deletes
// nothing; a row unticked there stays on disk when "Clean" then cleans the
// reviewed list, without a second analysis; the other goes, young as it is,
// since this is no automatic run.
TEST_F(PurgelloSessionTest, SimulateListsTheFilesAndCleanKeepsTheOneUnticked) {
  WriteSettings();
  const std::wstring keep = PlantTemp(L"keep.tmp", std::string(2048, 'k'));
  const std::wstring gone = PlantTemp(L"gone.tmp", std::string(5120, 'g'));

  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  ASSERT_TRUE(program.WaitForMainWindow());
  const HWND simulate = program.Button(L"Simulate"), clean = program.Button(L"Clean");
  ASSERT_TRUE(program.Press(simulate));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(simulate); }, 30000)) << "the analysis did not end";

  std::vector<Row> rows = program.Rows();
  std::sort(rows.begin(), rows.end());
  ASSERT_EQ(rows, (std::vector<Row>{{L"Temporary File", gone, L"5 Kb.", true}, {L"Temporary File", keep, L"2 Kb.", true}}));
  EXPECT_TRUE(Exists(keep) && Exists(gone)) << "Simulate deletes nothing";
  HoldForScreenshot(program.MainWindow(), "simulate");

  const int keepRow = program.Rows()[0].path == keep ? 0 : 1;
  program.ToggleRow(keepRow);
  ASSERT_FALSE(program.Rows()[keepRow].checked);

  ASSERT_TRUE(program.Press(clean));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(clean); }, 30000)) << "the cleaning did not end";
  EXPECT_FALSE(Exists(gone));
  EXPECT_TRUE(Exists(keep));
  EXPECT_EQ(program.Rows(), (std::vector<Row>{{L"Temporary File", keep, L"2 Kb.", false}}));

  EXPECT_EQ(Close(program), 0u);
  EXPECT_EQ(LogMessagesStartingWith(kSessionLines),
            (Texts{L"Start of analysis", L"Analyzing : Temporary Files", L"End of analysis", L"Start of cleaning",
                   L"End of cleaning"}));
}

// Arming from the button: the question first (No changes nothing), then the
// countdown from five seconds, and the due run cleans as an automatic run
// does (the last hour's temporary files stay) and leaves the program running,
// waiting for the next period.
TEST_F(PurgelloSessionTest, AutoButtonAsksArmsAndItsDueRunCleans) {
  WriteSettings("AutoFrequency=1\r\n");
  const std::wstring old = PlantTemp(L"old.tmp", "old", 2);
  const std::wstring young = PlantTemp(L"young.tmp", "young");

  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  ASSERT_TRUE(program.WaitForMainWindow());
  const HWND autoBtn = program.Button(L"     Start"), now = program.Control(WC_STATICW, L"Now");
  ASSERT_TRUE(autoBtn && now);
  auto nextLabel = [&] { return program.ControlStartingWith(WC_STATICW, L"Next :"); };
  auto countdownShown = [&] { return nextLabel() && IsWindowVisible(nextLabel()); };
  const std::wstring question = L"Purgello will automatically analyze and delete files. Continue ?";

  ASSERT_TRUE(program.PressAndLeave(autoBtn));
  HWND box = program.WaitForBox(L"Question");
  ASSERT_TRUE(box) << "no question";
  EXPECT_EQ(RunningProgram::BoxText(box), question);
  RunningProgram::Answer(box, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
  RunningProgram::Sync(program.MainWindow());
  EXPECT_EQ(WindowText(autoBtn), L"     Start");
  EXPECT_FALSE(countdownShown());
  EXPECT_FALSE(IsWindowVisible(now));

  ASSERT_TRUE(program.PressAndLeave(autoBtn));
  box = program.WaitForBox(L"Question");
  ASSERT_TRUE(box) << "no question the second time";
  RunningProgram::Answer(box, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
  RunningProgram::Sync(program.MainWindow());
  EXPECT_EQ(WindowText(autoBtn), L"     Stop");
  ASSERT_TRUE(countdownShown());
  EXPECT_TRUE(IsWindowVisible(now));
  // A timer tick may come between the arming and this look.
  const HWND next = nextLabel();
  const std::wstring countdown = WindowText(next);
  EXPECT_TRUE(countdown == L"Next : 0:05" || countdown == L"Next : 0:04") << platform::ToUtf8(countdown);
  HoldForScreenshot(program.MainWindow(), "automatic");

  ASSERT_TRUE(WaitUntil([&] { return !Exists(old); }, 60000)) << "the due run did not clean";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(now); }, 30000)) << "the run did not end";
  EXPECT_TRUE(Exists(young));
  EXPECT_EQ(WindowText(next).rfind(L"Next : 59:5", 0), 0u) << platform::ToUtf8(WindowText(next));
  EXPECT_FALSE(program.Ended()) << "armed from the button, automatic mode never closes the program";

  EXPECT_EQ(Close(program), 0u);
  EXPECT_EQ(LogMessagesStartingWith(kSessionLines),
            (Texts{L"Automatic mode : ON", L"Start of analysis", L"Analyzing : Temporary Files", L"End of analysis",
                   L"Start of cleaning", L"End of cleaning"}));
}

// Closed during the analysis of a "Clean": the analysis stops, no cleaning
// follows, every file stays, and the program ends through its close.
TEST_F(PurgelloSessionTest, CloseDuringAnAnalysisEndsWithoutCleaning) {
  WriteSettings();
  constexpr int kFiles = 4000;
  for (int i = 0; i < kFiles; ++i) PlantTemp(L"f" + std::to_wstring(i) + L".tmp", "x");

  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  ASSERT_TRUE(program.WaitForMainWindow());
  const HWND clean = program.Button(L"Clean");
  ASSERT_TRUE(program.Press(clean));
  // Rows arrive while the analysis runs.
  ASSERT_TRUE(WaitUntil([&] { return !program.Rows().empty() || IsWindowEnabled(clean); }, 30000));
  ASSERT_FALSE(IsWindowEnabled(clean)) << "the analysis ended before the close";
  HoldForScreenshot(program.MainWindow(), "analysis");
  EXPECT_EQ(Close(program), 0u);

  EXPECT_EQ(FilesIn(WindowsTemp()).size(), size_t(kFiles));
  EXPECT_EQ(LogMessagesStartingWith(kSessionLines),
            (Texts{L"Start of analysis", L"Analyzing : Temporary Files",
                   L"Closing : the running task stops after the current file", L"End of analysis"}));
}

// Closed while the three-pass deletion of a large file runs: the program
// finishes that file (never stops between its passes), leaves the next found
// file as it was, runs its close and ends; its log says why it waited.
TEST_F(PurgelloSessionTest, CloseDuringASecureCleaningEndsAfterTheFileInHand) {
  WriteSettings("DeletionMethod=3Pass\r\nScramble=1\r\n");
  const std::string content(96 << 20, 'c');
  const Texts planted = {L"big1.tmp", L"big2.tmp"};
  for (const std::wstring& name : planted) PlantTemp(name, content);

  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  ASSERT_TRUE(program.WaitForMainWindow());
  ASSERT_TRUE(program.Press(program.Button(L"Clean")));
  // The first thing done to a file in hand is its new random name.
  ASSERT_TRUE(WaitUntil([&] { return FilesIn(WindowsTemp()).size() == 2 && FilesIn(WindowsTemp()) != planted; }, 30000))
      << "no file seen in hand";
  const DWORD closed = GetTickCount();
  EXPECT_EQ(Close(program), 0u);
  const DWORD took = GetTickCount() - closed;
  EXPECT_LT(took, 30000u);

  // The file in hand is gone, the other is as it was: no file cut short, no
  // renamed leftover.
  const Texts left = FilesIn(WindowsTemp());
  ASSERT_EQ(left.size(), 1u) << "files left: " << left.size();
  EXPECT_TRUE(left[0] == planted[0] || left[0] == planted[1]) << platform::ToUtf8(left[0]);
  std::string bytes;
  ASSERT_EQ(platform::ReadWholeFile(WindowsTemp() + left[0], 1 << 28, bytes), platform::WholeFileRead::Ok);
  EXPECT_TRUE(bytes == content) << "the file not yet handled was changed";

  EXPECT_EQ(LogMessagesStartingWith(kSessionLines),
            (Texts{L"Start of analysis", L"Analyzing : Temporary Files", L"End of analysis",
                   L"Start of cleaning", L"Method : 3 pass random (DoD)",
                   L"Closing : the running task stops after the current file", L"End of cleaning"}));
}

}  // namespace
