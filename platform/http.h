// The HTTP seam of the update check and the download: one GET at a time per
// client, asynchronous, its completion handed to the GUI thread.
//
// Windows: WinHTTP in asynchronous mode. Its callbacks run on WinHTTP's own
// threads, which only gather the response; the one completion is posted to the
// GUI thread (never sent, so no WinHTTP thread waits on the GUI), where the
// client's owner handles it. TLS is the system's (WinHTTP's); no TLS library is
// loaded by name. Every wait is bounded: kConnectTimeoutMs to look the name
// up and to connect, kIdleTimeoutMs without data; either ends as a transport
// error (the bounds are options, so that tests need not wait them out).
// posix: no client (the console program never updates); tests use fakes.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

constexpr uint32_t kConnectTimeoutMs = 30000;
constexpr uint32_t kIdleTimeoutMs = 60000;

struct HttpResponse {
  uint32_t transportError = 0;  // 0 when a whole response arrived, whatever its status
  int status = 0;
  std::wstring reason;          // the status line's reason phrase
  std::string body;             // the bytes as received, whatever the status
  int64_t contentLength = -1;   // as announced; negative when none was
};

// The request's headers and route, set before Get (SetupHttpClient fills the
// fixed part). An empty proxy host goes direct.
struct HttpOptions {
  std::wstring userAgent;
  std::wstring protocolVersion = L"1.1";
  std::wstring accept;
  std::wstring acceptLanguage;
  bool followRedirects = true;
  bool proxyBasicAuth = true;  // the one proxy scheme offered
  std::wstring proxyHost;
  std::wstring proxyPort;      // decimal text
  std::wstring proxyUserName;
  std::wstring proxyPassword;
  uint32_t connectTimeoutMs = kConnectTimeoutMs;
  uint32_t idleTimeoutMs = kIdleTimeoutMs;
};

class HttpClient {
 public:
  using Completion = std::function<void(const HttpResponse&)>;

  // Dropping a client drops its request in flight: no completion follows.
  virtual ~HttpClient() = default;

  HttpOptions& Options() { return options_; }
  const HttpOptions& Options() const { return options_; }

  // Starts one GET and returns 0 at once; a request still in flight is
  // dropped. The completion runs later on the GUI thread, exactly once. When
  // the request cannot be started: the system's error code, and no completion.
  virtual uint32_t Get(const std::wstring& url, Completion done) = 0;

  // Of the current request: the announced length (negative while unknown or
  // when none was announced) and the body bytes received so far.
  int64_t ContentLength() const { return contentLength_.load(); }
  int64_t ReceivedCount() const { return receivedCount_.load(); }

 protected:
  HttpOptions options_;
  std::atomic<int64_t> contentLength_{-1};
  std::atomic<int64_t> receivedCount_{0};
};

// Hands a function to the GUI thread to run there later; never waits for it.
using GuiPoster = std::function<void(std::function<void()>)>;

#ifdef _WIN32
// Must be made on the GUI thread; completions go through post.
std::unique_ptr<HttpClient> CreateHttpClient(GuiPoster post);
// The system is version 6 or later (workstation information; a failed query
// counts as older) and WinHTTP offers TLS. Asked anew every time.
bool IsSslAvailable();
// The name of the TLS in use (kSystemTlsName), or "Not Available".
std::wstring OpenSslVersionText();
extern const wchar_t kSystemTlsName[];  // "Schannel (WinHTTP)"
#endif

}  // namespace platform
