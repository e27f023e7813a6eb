#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_network.h"
#include "update/http_setup.h"
#include "update/pylo_lite.h"
#include "update/url_encode.h"

namespace {

const std::wstring kStamp = L"\t[26-03-14 09:05:07]\t";

std::wstring Line(const wchar_t* level, const std::wstring& text) { return level + kStamp + text; }

TEST(UrlEncode, CopiesOnlyUnreservedAsciiAndEscapesEveryOtherByte) {
  const struct {
    std::string bytes;
    const wchar_t* encoded;
  } cases[] = {
      {"Purgello", L"Purgello"},
      {"AZaz09-._", L"AZaz09-._"},
      {"Hal voris", L"Hal%20voris"},  // never "+"
      {"a~b", L"a%7Eb"},
      {"+&=/?%", L"%2B%26%3D%2F%3F%25"},
      {"\xE9t\xFF", L"%E9t%FF"},  // one byte of a single-byte code page each
      {std::string("\0\x0A", 2), L"%00%0A"},
      {"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlEncodeBytes(c.bytes), c.encoded) << c.bytes;
}

TEST(UpdateCheckUrl, NamesTheProgramAndItsPackedVersion) {
  EXPECT_EQ(UpdateCheckUrl(L"www.vendor.test", kCheckProductName, kCheckCompanyName, TPyloVersion::Create(L"3.8.6.116")),
            L"https://www.vendor.test/pylo/check.php?uid=0&ProductName=Purgello&Company=Halvoris&VH=196616&VL=393332");
  EXPECT_EQ(UpdateCheckUrl(L"s", L"My App", L"A~Z", TPyloVersion::Create(L"")),
            L"https://s/pylo/check.php?uid=0&ProductName=My%20App&Company=A%7EZ&VH=0&VL=0");
}

TEST(ToHttpIfNoSsl, FallsBackOnlyForHttpsAndOnlyWithoutTls) {
  const struct {
    const wchar_t* url;
    bool ssl;
    const wchar_t* sent;
  } cases[] = {
      {L"https://s/a?b", false, L"http://s/a?b"},   {L"HTTPS://s/", false, L"http://s/"},
      {L"https://s/a", true, L"https://s/a"},       {L"http://s/a", false, L"http://s/a"},
      {L"https", false, L"http"},                   {L"http", false, L"http"},
      {L"ftp://https/", false, L"ftp://https/"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHttpIfNoSsl(c.url, c.ssl), c.sent) << c.url << " " << c.ssl;
}

TEST(ProxyPortFromSetting, AWholeNumberOr80) {
  const struct {
    const wchar_t* text;
    int port;
  } cases[] = {{L"8080", 8080}, {L"+3128", 3128}, {L"-1", -1}, {L"", 80}, {L"80a", 80}, {L" 81", 80},
               {L"99999999999", 80}, {L"-", 80}};
  for (const auto& c : cases) EXPECT_EQ(ProxyPortFromSetting(c.text), c.port) << c.text;
}

class UpdateCheck : public ::testing::Test {
 protected:
  UpdateCheck()
      : log(L"", 100, true, clock),
        client(log, L"Purgello", L"www.vendor.test", network, clock, [this](const std::wstring& path) {
          versionAskedFor = path;
          return localVersion;
        }) {}

  // Runs one check to its reply; returns the lines it logged, oldest first.
  std::vector<std::wstring> CheckWith(const platform::HttpResponse& response) {
    const size_t before = log.Lines().size();
    client.Check(L"C:\\Program Files\\Purgello\\Purgello.exe", [this](void* context, TPyloLite& c) {
      ++callbacks;
      callbackContext = context;
      busyInCallback = c.Busy();
    }, this);
    EXPECT_TRUE(client.Busy());
    clock.ticks += 250;
    EXPECT_TRUE(network.Complete(response));
    return NewLines(before);
  }
  std::vector<std::wstring> NewLines(size_t before) {
    std::vector<std::wstring> lines = log.Lines();
    lines.resize(lines.size() - before);
    return std::vector<std::wstring>(lines.rbegin(), lines.rend());
  }

  testsupport::FakeClock clock;
  TKLog log;
  FakeNetwork network;
  std::wstring localVersion = L"3.8.6.116";
  std::wstring versionAskedFor;
  TPyloLite client;
  int callbacks = 0;
  void* callbackContext = nullptr;
  bool busyInCallback = true;
};

TEST_F(UpdateCheck, ComparesTheRepliedVersionWithTheProgramsOwnAndLogsIt) {
  const std::wstring init = L"Purgello Update self check : Initialization";
  const struct {
    uint32_t error;
    int status;
    const wchar_t* reason;
    std::string body;
    bool newer, valid;
    std::vector<std::wstring> lines;
  } cases[] = {
      {0, 200, L"OK", "3.8.7", true, true, {Line(L"Info", L"Purgello Update self check : Server replied 3.8.7.0 in 250ms")}},
      {0, 200, L"OK", "3.8.7.120\r\n", true, true,
       {Line(L"Info", L"Purgello Update self check : Server replied 3.8.7.0 in 250ms")}},
      {0, 200, L"OK", "3.8.6.116", false, true,
       {Line(L"Info", L"Purgello Update self check : Server replied 3.8.6.116 in 250ms")}},
      {0, 200, L"OK", "3.8.70000.0", false, true,
       {Line(L"Info", L"Purgello Update self check : Server replied 3.8.0.0 in 250ms")}},
      {0, 200, L"OK", "<html>moved</html>", false, false,
       {Line(L"Info", L"Purgello Update self check : Server replied 0.0.0.0 in 250ms"),
        Line(L"Verbose", L"Purgello Update self check : Server error (0 Cause : OK)")}},
      {0, 404, L"Not Found", "", false, false,
       {Line(L"Info", L"Purgello Update self check : Server replied 0.0.0.0 in 250ms"),
        Line(L"Verbose", L"Purgello Update self check : Server error (0 Cause : Not Found)")}},
      // The status is not looked at: a body naming a greater version counts.
      {0, 500, L"Internal Server Error", "3.9", true, true,
       {Line(L"Info", L"Purgello Update self check : Server replied 3.9.0.0 in 250ms")}},
      {12029, 0, L"", "", false, false, {Line(L"Error", L"Purgello Update self check : Server error (12029)")}},
      // A transport error spoils even a body that came before it.
      {12002, 200, L"OK", "9.9.9.9", false, false, {Line(L"Error", L"Purgello Update self check : Server error (12002)")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    callbacks = 0;
    platform::HttpResponse response;
    response.transportError = c.error;
    response.status = c.status;
    response.reason = c.reason;
    response.body = c.body;
    std::vector<std::wstring> expected{Line(L"Info", init)};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(CheckWith(response), expected);
    EXPECT_EQ(client.Newer(), c.newer);
    EXPECT_EQ(client.ReplyValid(), c.valid);
    EXPECT_EQ(callbacks, 1);
    EXPECT_EQ(callbackContext, this);
    EXPECT_FALSE(busyInCallback);
    EXPECT_FALSE(client.Busy());
  }
  EXPECT_EQ(versionAskedFor, L"C:\\Program Files\\Purgello\\Purgello.exe");
}

TEST_F(UpdateCheck, SendsTheCheckAddressWithTheCommonHeadersAndTheUsersProxy) {
  const struct {
    bool ssl;
    bool useProxy;
    const wchar_t* url;
    const wchar_t* proxyHost;
    const wchar_t* proxyPort;
    const wchar_t* user;
    bool noSslLine;
  } cases[] = {
      {true, true, L"https://www.vendor.test/pylo/check.php?uid=0&ProductName=Purgello&Company=Halvoris&VH=196616&VL=393332",
       L"proxy.test", L"3128", L"ann", false},
      // A host is set, but the proxy is not switched on: direct.
      {false, false, L"http://www.vendor.test/pylo/check.php?uid=0&ProductName=Purgello&Company=Halvoris&VH=196616&VL=393332",
       L"", L"", L"", true},
  };
  for (const auto& c : cases) {
    network.sslAvailable = c.ssl;
    client.SetProxy(c.useProxy, L"proxy.test", 3128, L"ann", L"s3cret");
    const size_t before = log.Lines().size();
    client.Check(L"p.exe", nullptr, nullptr);
    const platform::HttpOptions& sent = network.requests.back()->options;
    EXPECT_EQ(network.requests.back()->url, c.url);
    EXPECT_EQ(sent.proxyHost, c.proxyHost);
    EXPECT_EQ(sent.proxyPort, c.proxyPort);
    EXPECT_EQ(sent.proxyUserName, c.user);
    EXPECT_EQ(sent.proxyPassword, c.useProxy ? L"s3cret" : L"");
    EXPECT_EQ(sent.userAgent, L"Mozilla/5.0");
    EXPECT_EQ(sent.protocolVersion, L"1.1");
    EXPECT_EQ(sent.accept, L"text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8");
    EXPECT_EQ(sent.acceptLanguage, L"fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3");
    EXPECT_TRUE(sent.proxyBasicAuth);
    EXPECT_TRUE(sent.followRedirects);
    std::vector<std::wstring> expected{Line(L"Info", L"Purgello Update self check : Initialization")};
    if (c.noSslLine) expected.push_back(Line(L"Verbose", L"PyloLite : No SSL / Back to HTTP"));
    EXPECT_EQ(NewLines(before), expected);
  }
}

TEST_F(UpdateCheck, ANewCheckAndTheClientsEndDropTheRequestInFlight) {
  client.Check(L"p.exe", [this](void*, TPyloLite&) { ++callbacks; }, nullptr);
  client.Check(L"p.exe", [this](void*, TPyloLite&) { ++callbacks; }, nullptr);
  EXPECT_EQ(network.clientsMade, 2);  // a new client for every check
  ASSERT_EQ(network.requests.size(), 2u);
  EXPECT_FALSE(network.requests[0]->clientAlive);
  EXPECT_TRUE(network.requests[1]->clientAlive);
  {
    TPyloLite doomed(log, L"Purgello", L"s", network, clock, [](const std::wstring&) { return L"1.0"; });
    doomed.Check(L"p.exe", [this](void*, TPyloLite&) { ++callbacks; }, nullptr);
  }
  EXPECT_FALSE(network.requests.back()->clientAlive);
  EXPECT_FALSE(network.Complete(platform::HttpResponse{}));
  EXPECT_EQ(callbacks, 0);
}

TEST_F(UpdateCheck, ARequestThatCannotStartEndsTheCheckAtOnce) {
  network.startError = 12005;
  const size_t before = log.Lines().size();
  client.Check(L"p.exe", [this](void*, TPyloLite& c) {
    ++callbacks;
    busyInCallback = c.Busy();
  }, nullptr);
  EXPECT_EQ(callbacks, 1);
  EXPECT_FALSE(busyInCallback);
  EXPECT_FALSE(client.Newer() || client.ReplyValid());
  EXPECT_EQ(NewLines(before), (std::vector<std::wstring>{Line(L"Info", L"Purgello Update self check : Initialization"),
                                                          Line(L"Error", L"Purgello Update self check : Server error (12005)")}));
}

TEST_F(UpdateCheck, TheElapsedTimeIsRightPastTwoToThe32Milliseconds) {
  clock.ticks = 0x100000005ull;  // the start tick is kept in 32 bits
  platform::HttpResponse response;
  response.body = "1.0";
  const std::vector<std::wstring> lines = CheckWith(response);  // 250 ms later
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], Line(L"Info", L"Purgello Update self check : Server replied 1.0.0.0 in 250ms"));
}

}  // namespace
