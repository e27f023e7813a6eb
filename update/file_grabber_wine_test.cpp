// The download through WinHTTP under Wine against the loopback installer
// servers of tests/servers/update_servers.py: sizes around the smallest
// installer, a body without a length, a connection cut mid-body.
#include "tests/support/update_servers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui/window_dispatcher.h"
#include "platform/file_system.h"
#include "system/log.h"
#include "update/file_grabber.h"
#include "update/installer_start.h"
#include "update/update_network.h"

namespace {

using testsupport::ServerPort;

std::wstring TargetPath() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"update.exe";
}

struct Download {
  bool done = false;
  int64_t lengthSeen = 0, receivedSeen = 0;
  std::wstring lastLine;
};

Download Grab(const std::string& server) {
  WindowDispatcher dispatcher;
  std::unique_ptr<UpdateNetwork> network = CreateSystemNetwork(dispatcher);
  TKLog log(L"", 100, true);
  TFileGrabber grabber(log, *network);
  Download result;
  DeleteFileW(TargetPath().c_str());
  grabber.Download(L"http://127.0.0.1:" + std::to_wstring(ServerPort(server)) + L"/files/purgello_lite.exe",
                   TargetPath(), [&](void*, TFileGrabber& g) {
                     result.done = true;
                     result.lengthSeen = g.ContentLength();
                     result.receivedSeen = g.ReceivedCount();
                   },
                   nullptr);
  const ULONGLONG deadline = GetTickCount64() + 20000;
  dispatcher.ServeUntil([&] { return result.done || GetTickCount64() > deadline; });
  const std::wstring line = log.Lines().empty() ? L"" : log.Lines().front();
  result.lastLine = line.substr(0, line.find(L'\t')) + L": " + line.substr(line.rfind(L'\t') + 1);
  return result;
}

TEST(FileGrabberWine, DownloadsWithAndWithoutALengthAndReportsACutConnection) {
  const struct {
    const char* server;
    int64_t length, received;
    uint64_t fileSize;
    const wchar_t* line;  // the ms count stripped
  } cases[] = {
      {"size102399", 102399, 102399, 102399, L"Info: File downloaded in "},
      {"size102400", 102400, 102400, 102400, L"Info: File downloaded in "},
      {"nolength", -1, 300000, 300000, L"Info: File downloaded in "},
      {"cut", 300000, 120000, 0, L"Error: File download : Server error (12030 Cause : OK)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    const Download d = Grab(c.server);
    ASSERT_TRUE(d.done);
    EXPECT_EQ(d.lengthSeen, c.length);
    EXPECT_EQ(d.receivedSeen, c.received);
    EXPECT_EQ(platform::FileSize64(TargetPath()), c.fileSize);
    EXPECT_EQ(d.lastLine.substr(0, wcslen(c.line)), c.line);
  }
}

TEST(FileGrabberWine, TheSmallestInstallerIs102400BytesAndAnUnsignedOneIsDeleted) {
  TKLog log(L"", 100, true);
  ASSERT_TRUE(Grab("size102399").done);
  EXPECT_EQ(StartVerifiedInstaller(log, TargetPath(), L"C:\\update.log", std::wstring(64, L'a'), nullptr),
            InstallerOutcome::TooSmall);
  ASSERT_TRUE(Grab("size102400").done);
  EXPECT_EQ(StartVerifiedInstaller(log, TargetPath(), L"C:\\update.log", std::wstring(64, L'a'), nullptr),
            InstallerOutcome::Refused);
  EXPECT_EQ(GetFileAttributesW(TargetPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
