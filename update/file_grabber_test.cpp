#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_network.h"
#include "update/file_grabber.h"

namespace {

const std::wstring kStamp = L"\t[26-03-14 09:05:07]\t";
std::wstring Line(const wchar_t* level, const std::wstring& text) { return level + kStamp + text; }

class FileGrabber : public ::testing::Test {
 protected:
  FileGrabber()
      : log(L"", 100, true, clock),
        grabber(log, network, clock, [this](const std::wstring& path, const std::string& bytes) {
          if (!writable) return false;
          files[path] = bytes;
          return true;
        }) {}

  std::vector<std::wstring> NewLines(size_t before) {
    std::vector<std::wstring> lines = log.Lines();
    lines.resize(lines.size() - before);
    return std::vector<std::wstring>(lines.rbegin(), lines.rend());
  }

  testsupport::FakeClock clock;
  TKLog log;
  FakeNetwork network;
  bool writable = true;
  std::map<std::wstring, std::string> files;
  TFileGrabber grabber;
  int callbacks = 0;
};

TEST_F(FileGrabber, WritesTheBodyWhateverTheStatusAndCallsBackAfterErrorsToo) {
  const struct {
    uint32_t error;
    int status;
    const wchar_t* reason;
    std::string body;
    bool written;
    std::wstring line;
  } cases[] = {
      {0, 200, L"OK", "MZ installer", true, Line(L"Info", L"File downloaded in 40ms")},
      // An error page lands in the file too: the caller's size and signature tests reject it.
      {0, 404, L"Not Found", "<html>gone</html>", true, Line(L"Info", L"File downloaded in 40ms")},
      {12002, 0, L"", "", false, Line(L"Error", L"File download : Server error (12002 Cause : )")},
      {12030, 200, L"OK", "MZ half", false, Line(L"Error", L"File download : Server error (12030 Cause : OK)")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    files.clear();
    callbacks = 0;
    const size_t before = log.Lines().size();
    void* seenContext = nullptr;
    grabber.Download(L"https://www.vendor.test/files/purgello_lite.exe", L"C:\\data\\update.exe",
                     [&](void* context, TFileGrabber&) {
                       ++callbacks;
                       seenContext = context;
                     },
                     this);
    clock.ticks += 40;
    platform::HttpResponse response;
    response.transportError = c.error;
    response.status = c.status;
    response.reason = c.reason;
    response.body = c.body;
    ASSERT_TRUE(network.Complete(response));
    EXPECT_EQ(callbacks, 1);
    EXPECT_EQ(seenContext, this);
    EXPECT_EQ(NewLines(before), std::vector<std::wstring>{c.line});
    if (c.written) {
      EXPECT_EQ(files, (std::map<std::wstring, std::string>{{L"C:\\data\\update.exe", c.body}}));
    } else {
      EXPECT_TRUE(files.empty());
    }
  }
  EXPECT_EQ(network.clientsMade, 1);  // one client, reused
}

TEST_F(FileGrabber, KeepsTheBodyInMemoryWithoutAFileAndSaysWhenTheFileCannotBeWritten) {
  grabber.Download(L"http://s/a", L"", nullptr, nullptr);
  platform::HttpResponse response;
  response.body = "page";
  ASSERT_TRUE(network.Complete(response));
  EXPECT_EQ(grabber.Body(), "page");
  EXPECT_TRUE(files.empty());

  writable = false;
  const size_t before = log.Lines().size();
  grabber.Download(L"http://s/a", L"C:\\ro\\update.exe", nullptr, nullptr);
  ASSERT_TRUE(network.Complete(response));
  EXPECT_EQ(NewLines(before), (std::vector<std::wstring>{Line(L"Info", L"File downloaded in 0ms"),
                                                          Line(L"Error", L"File download : cannot write C:\\ro\\update.exe")}));
}

TEST_F(FileGrabber, SendsThroughTheUsersProxyAndFallsBackToHttpWithoutTls) {
  network.sslAvailable = false;
  grabber.SetProxy(true, L"proxy.test", 3128, L"ann", L"s3cret");
  const size_t before = log.Lines().size();
  grabber.Download(L"https://www.vendor.test/files/purgello_lite.exe", L"f", nullptr, nullptr);
  const FakeRequest& sent = *network.requests.back();
  EXPECT_EQ(sent.url, L"http://www.vendor.test/files/purgello_lite.exe");
  EXPECT_EQ(sent.options.proxyHost, L"proxy.test");
  EXPECT_EQ(sent.options.proxyPort, L"3128");
  EXPECT_EQ(sent.options.proxyUserName, L"ann");
  EXPECT_EQ(sent.options.proxyPassword, L"s3cret");
  EXPECT_EQ(sent.options.userAgent, L"Mozilla/5.0");
  EXPECT_EQ(NewLines(before), std::vector<std::wstring>{Line(L"Verbose", L"FileGrabber : No SSL / Back to HTTP")});

  network.sslAvailable = true;
  grabber.SetProxy(false, L"proxy.test", 3128, L"ann", L"s3cret");
  grabber.Download(L"https://www.vendor.test/x", L"f", nullptr, nullptr);
  EXPECT_EQ(network.requests.back()->url, L"https://www.vendor.test/x");
  EXPECT_EQ(network.requests.back()->options.proxyHost, L"");
  EXPECT_EQ(network.requests.back()->options.proxyUserName, L"");
}

TEST_F(FileGrabber, ItsEndDropsTheDownloadInFlight) {
  {
    TFileGrabber doomed(log, network, clock);
    doomed.Download(L"http://s/a", L"f", [this](void*, TFileGrabber&) { ++callbacks; }, nullptr);
  }
  EXPECT_FALSE(network.Complete(platform::HttpResponse{}));
  EXPECT_EQ(callbacks, 0);
}

}  // namespace
