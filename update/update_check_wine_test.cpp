// The update check through WinHTTP against the loopback servers that
// tests/servers/update_servers.py starts around this program.
#include "tests/support/update_servers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "gui/window_dispatcher.h"
#include "system/log.h"
#include "tests/support/loopback_network.h"
#include "update/pylo_lite.h"
#include "update/update_network.h"
#include "update/url_encode.h"

namespace {

using testsupport::ServerPort;

std::wstring Loopback(const std::string& name) { return L"127.0.0.1:" + std::to_wstring(ServerPort(name)); }

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// The check's waits here, in place of the program's minutes.
constexpr uint32_t kBoundMs = 3000;

class UpdateCheckWine : public ::testing::Test {
 protected:
  // Serves the GUI thread's messages until done() or 20 seconds.
  void ServeUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    dispatcher.ServeUntil([&] { return done() || GetTickCount64() > deadline; });
    ASSERT_TRUE(done()) << "no completion within 20 s";
  }

  // One check; the lines it logged, oldest first, as "Level: text" with the
  // milliseconds replaced by N.
  std::vector<std::string> Check(const std::wstring& server, const ProxySettings& proxy = ProxySettings()) {
    return Check(server, proxy, network);
  }
  std::vector<std::string> Check(const std::wstring& server, const ProxySettings& proxy, UpdateNetwork& over) {
    TKLog log(L"", 100, true);
    TPyloLite client(log, L"Purgello", server, over);
    client.SetProxy(proxy.useProxy, proxy.host, proxy.port, proxy.userName, proxy.password);
    int calls = 0;
    const ULONGLONG start = GetTickCount64();
    client.Check(OwnPath(), [&](void*, TPyloLite&) { ++calls; }, nullptr);
    ServeUntil([&] { return calls > 0; });
    elapsedMs = GetTickCount64() - start;
    EXPECT_EQ(calls, 1);
    newer = client.Newer();
    valid = client.ReplyValid();
    std::vector<std::string> lines;
    const std::vector<std::wstring> logged = log.Lines();
    for (auto it = logged.rbegin(); it != logged.rend(); ++it) {
      const std::wstring level = it->substr(0, it->find(L'\t'));
      const std::wstring text = it->substr(it->rfind(L'\t') + 1);
      lines.push_back(std::regex_replace(std::string(level.begin(), level.end()) + ": " +
                                             std::string(text.begin(), text.end()),
                                         std::regex(" in [0-9]+ms$"), " in Nms"));
    }
    return lines;
  }

  // What a server has received so far (its /seen page), one request a line.
  std::string Seen(const std::string& name) {
    std::unique_ptr<platform::HttpClient> client = CreateSystemNetwork(dispatcher)->NewClient();
    std::string body;
    bool done = false;
    EXPECT_EQ(client->Get(L"http://" + Loopback(name) + L"/seen", [&](const platform::HttpResponse& r) {
      body = r.body;
      done = true;
    }), 0u);
    ServeUntil([&] { return done; });
    return body;
  }

  WindowDispatcher dispatcher;
  // TLS reported unusable: the check falls back to plain HTTP, which the loopback servers speak.
  testsupport::LoopbackNetwork network{dispatcher, false, kBoundMs};
  std::unique_ptr<UpdateNetwork> tlsNetwork = CreateSystemNetwork(dispatcher);
  bool newer = false, valid = false;
  ULONGLONG elapsedMs = 0;
};

const char kInit[] = "Info: Purgello Update self check : Initialization";
const char kNoSsl[] = "Verbose: PyloLite : No SSL / Back to HTTP";
const char kQuery[] = "/pylo/check.php?uid=0&ProductName=Purgello&Company=Halvoris&VH=196616&VL=393332";

TEST_F(UpdateCheckWine, LogsAndFlagsTheServersReply) {
  const struct {
    const char* server;
    bool newer, valid;
    std::vector<std::string> lines;
    bool givesUp = false;  // waits for its bound, and no longer
  } cases[] = {
      {"newer", true, true, {"Info: Purgello Update self check : Server replied 3.8.7.0 in Nms"}},
      {"equal", false, true, {"Info: Purgello Update self check : Server replied 3.8.6.116 in Nms"}},
      {"older", false, true, {"Info: Purgello Update self check : Server replied 3.8.5.200 in Nms"}},
      {"garbage", false, false,
       {"Info: Purgello Update self check : Server replied 0.0.0.0 in Nms",
        "Verbose: Purgello Update self check : Server error (0 Cause : OK)"}},
      {"error500", true, true, {"Info: Purgello Update self check : Server replied 3.9.0.0 in Nms"}},
      {"redirect", true, true, {"Info: Purgello Update self check : Server replied 3.8.7.0 in Nms"}},
      {"refused", false, false, {"Error: Purgello Update self check : Server error (12029)"}},
      // Takes the request and says nothing; one that never takes the connection.
      {"stalled", false, false, {"Error: Purgello Update self check : Server error (12002)"}, true},
      {"unanswered", false, false, {"Error: Purgello Update self check : Server error (12002)"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    std::vector<std::string> expected{kInit, kNoSsl};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(Check(Loopback(c.server)), expected);
    EXPECT_EQ(newer, c.newer);
    EXPECT_EQ(valid, c.valid);
    if (c.givesUp) {
      EXPECT_GE(elapsedMs, kBoundMs - 200);
      EXPECT_LT(elapsedMs, kBoundMs + 3000);
    }
  }
  // The program named itself and its own version; the redirect was followed to its target.
  const std::string seen = Seen("newer");
  EXPECT_NE(seen.find(std::string("GET ") + kQuery + " HTTP/1.1 | -\n"), std::string::npos) << seen;
  EXPECT_NE(seen.find("GET /pylo/check.php?moved=1 HTTP/1.1 | -\n"), std::string::npos) << seen;
}

TEST_F(UpdateCheckWine, GoesThroughTheProxyWithItsCredentialsOnlyWhenSwitchedOn) {
  const std::wstring vendor = L"www.vendor.test";  // only the proxy knows this name
  const int proxyPort = ServerPort("proxy");
  const struct {
    bool useProxy;
    const wchar_t* password;
    std::string lastLine;
    std::string proxySaw;  // the proxy's log after the check
  } cases[] = {
      {false, L"s3cret", "Error: Purgello Update self check : Server error (12007)", ""},
      {true, L"s3cret", "Info: Purgello Update self check : Server replied 3.8.7.0 in Nms",
       std::string("GET http://www.vendor.test") + kQuery + " HTTP/1.1 | Basic YW5uOnMzY3JldA==\n"},
      {true, L"wrong", "Verbose: Purgello Update self check : Server error (0 Cause : Proxy Authentication Required)",
       ""},
  };
  std::string sawBefore;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lastLine);
    const std::vector<std::string> lines =
        Check(vendor, ProxySettings{c.useProxy, L"127.0.0.1", proxyPort, L"ann", c.password});
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), c.lastLine);
    const std::string saw = Seen("proxy");
    if (!c.proxySaw.empty()) {
      // Wine names the default port in the absolute address, Windows does not.
      EXPECT_EQ(std::regex_replace(saw.substr(sawBefore.size()), std::regex("vendor\\.test:80/"), "vendor.test/"),
                c.proxySaw);
    }
    if (!c.useProxy) {
      EXPECT_EQ(saw, sawBefore);  // the proxy never heard of it
    }
    sawBefore = saw;
  }
}

// Over TLS through the proxy's tunnel, as the program asks: the vendor's
// server is trusted only for a certificate that chains to a root this prefix
// trusts.
TEST_F(UpdateCheckWine, TrustsTheServerOnlyThroughARootTheSystemTrusts) {
  testsupport::TrustRoot(testsupport::TlsFolder() + L"tls_root.der");
  const int proxyPort = ServerPort("proxy");
  const struct {
    const char* tunnel;
    std::string lastLine;
    bool newer;
  } cases[] = {
      {"https", "Info: Purgello Update self check : Server replied 3.8.7.0 in Nms", true},
      // ERROR_WINHTTP_SECURE_CHANNEL_ERROR: Wine's word for a chain to an unknown root.
      {"https_unknown", "Error: Purgello Update self check : Server error (12157)", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tunnel);
    testsupport::LoopbackGet(proxyPort, std::string("/route?check=newer&tunnel=") + c.tunnel);
    const std::vector<std::string> lines =
        Check(testsupport::TlsHost(), ProxySettings{true, L"127.0.0.1", proxyPort, L"", L""}, *tlsNetwork);
    EXPECT_EQ(lines, (std::vector<std::string>{kInit, c.lastLine}));
    EXPECT_EQ(newer, c.newer);
  }
}

TEST_F(UpdateCheckWine, EncodesTextInTheAnsiCodePageAndKnowsTheSystemTls) {
  if (GetACP() == 1252) {
    EXPECT_EQ(UrlEncode(L"Caf\u00e9 ~"), L"Caf%E9%20%7E");
  }
  EXPECT_EQ(UrlEncode(L"Purgello"), L"Purgello");
  EXPECT_EQ(platform::OpenSslVersionText(), platform::IsSslAvailable() ? L"Schannel (WinHTTP)" : L"Not Available");
  EXPECT_TRUE(platform::IsSslAvailable());
}

}  // namespace
