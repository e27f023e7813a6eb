// WinHTTP in asynchronous mode behind the HTTP seam (see platform/http.h).
//
// One transfer object per GET, shared by the client and WinHTTP's callbacks.
// The callbacks only gather status, reason, length and body under the
// transfer's lock and post the one completion; the client, on the GUI thread,
// marks a transfer it drops as abandoned, and a posted completion of an
// abandoned transfer does nothing. The transfer lives until WinHTTP says its
// request handle is closing, after which no callback of it can come.
//
// Wine's WinHTTP bounds the name lookup, the connection and a read of the
// body, but not the wait for a response: a server that takes the request and
// says nothing would hold it for ever. So a watchdog of the transfer's own
// ends it once no callback has come for the idle bound.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <mutex>  // recursive: WinHTTP may call back inside a call made under the lock
#include <thread>
#include <vector>

#include "platform/http.h"
#include "platform/windows_identity.h"

namespace platform {

const wchar_t kSystemTlsName[] = L"Schannel (WinHTTP)";

namespace {

constexpr DWORD kTlsProtocols =
    WINHTTP_FLAG_SECURE_PROTOCOL_TLS1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;

std::wstring Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::wstring out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const uint32_t n = uint8_t(bytes[i]) << 16 | uint8_t(bytes[i + 1]) << 8 | uint8_t(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out += wchar_t(kDigits[(n >> shift) & 63]);
  }
  if (i + 1 == bytes.size()) {
    const uint32_t n = uint8_t(bytes[i]) << 16;
    out += wchar_t(kDigits[n >> 18]);
    out += wchar_t(kDigits[(n >> 12) & 63]);
    out += L"==";
  } else if (i + 2 == bytes.size()) {
    const uint32_t n = uint8_t(bytes[i]) << 16 | uint8_t(bytes[i + 1]) << 8;
    out += wchar_t(kDigits[n >> 18]);
    out += wchar_t(kDigits[(n >> 12) & 63]);
    out += wchar_t(kDigits[(n >> 6) & 63]);
    out += L'=';
  }
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

struct Transfer {
  std::recursive_mutex lock;
  HINTERNET session = nullptr, connection = nullptr, request = nullptr;
  HttpResponse response;
  std::vector<char> chunk;
  bool finished = false;
  bool credentialsSent = false;  // answered a 407 once already
  bool abandoned = false;        // GUI thread only
  std::wstring proxyUser, proxyPassword;
  HttpClient::Completion done;
  GuiPoster post;
  std::atomic<int64_t>* contentLength = nullptr;
  std::atomic<int64_t>* receivedCount = nullptr;
  std::atomic<ULONGLONG> lastCallback{0};
  uint32_t idleTimeoutMs = 0;
  HANDLE watchdog = nullptr;       // a timer-queue timer, deleted before the handles close
  std::shared_ptr<Transfer> self;  // keeps the transfer alive until its request handle closes
};

void Finish(Transfer& t, uint32_t error) {
  // Under t.lock.
  if (t.finished) return;
  t.finished = true;
  // Wine ends a read that timed out with the socket's code; Windows, and the
  // rest of this client, say ERROR_WINHTTP_TIMEOUT.
  t.response.transportError = error == WSAETIMEDOUT ? ERROR_WINHTTP_TIMEOUT : error;
  std::shared_ptr<Transfer> keep = t.self;
  HttpResponse response = std::move(t.response);
  t.post([keep, response]() {
    if (!keep->abandoned && keep->done) {
      HttpClient::Completion done = std::move(keep->done);
      done(response);
    }
  });
}

// The end of the body. Shorter than announced means the connection was cut
// (Wine, and some proxies, just end the data): a transport error, never a
// whole response.
void FinishBody(Transfer& t) {
  const int64_t announced = t.response.contentLength;
  Finish(t, announced >= 0 && int64_t(t.response.body.size()) < announced ? ERROR_WINHTTP_CONNECTION_ERROR : 0);
}

// The thread's last error, never 0 for a call that failed.
uint32_t FailureCode() {
  const DWORD error = GetLastError();
  return error ? error : ERROR_WINHTTP_INTERNAL_ERROR;
}

// Starts the next step of a transfer; a call WinHTTP refuses at once ends it.
void Step(Transfer& t, BOOL started) {
  if (!started) Finish(t, FailureCode());
}

std::wstring QueryText(HINTERNET request, DWORD what) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, &text[0], &size, WINHTTP_NO_HEADER_INDEX))
    return {};
  text.resize(size / sizeof(wchar_t));
  return text;
}

void OnHeaders(Transfer& t) {
  DWORD status = 0, size = sizeof status;
  WinHttpQueryHeaders(t.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                      &status, &size, WINHTTP_NO_HEADER_INDEX);
  if (status == HTTP_STATUS_PROXY_AUTH_REQ && !t.credentialsSent && !t.proxyUser.empty()) {
    // A tunnel (https) carries no header of ours to the proxy: answer its
    // challenge with the credentials, once.
    t.credentialsSent = true;
    if (WinHttpSetCredentials(t.request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC, t.proxyUser.c_str(),
                              t.proxyPassword.c_str(), nullptr)) {
      Step(t, WinHttpSendRequest(t.request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                                 reinterpret_cast<DWORD_PTR>(&t)));
      return;
    }
  }
  t.response.status = int(status);
  t.response.reason = QueryText(t.request, WINHTTP_QUERY_STATUS_TEXT);
  t.response.body.clear();
  const std::wstring length = QueryText(t.request, WINHTTP_QUERY_CONTENT_LENGTH);
  int64_t announced = -1;
  if (!length.empty()) {
    announced = 0;
    for (wchar_t c : length) {
      if (c < L'0' || c > L'9' || announced > (INT64_MAX - 9) / 10) {
        announced = -1;
        break;
      }
      announced = announced * 10 + (c - L'0');
    }
  }
  t.response.contentLength = announced;
  t.contentLength->store(announced);
  t.receivedCount->store(0);
  Step(t, WinHttpQueryDataAvailable(t.request, nullptr));
}

void CALLBACK OnWatchdog(PVOID context, BOOLEAN) {
  auto* t = static_cast<Transfer*>(context);
  std::lock_guard<std::recursive_mutex> guard(t->lock);
  if (GetTickCount64() - t->lastCallback.load() >= t->idleTimeoutMs) Finish(*t, ERROR_WINHTTP_TIMEOUT);
}

void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength) {
  auto* t = reinterpret_cast<Transfer*>(context);
  if (!t) return;
  t->lastCallback.store(GetTickCount64());
  if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    if (handle != t->request) return;
    std::shared_ptr<Transfer> last;
    {
      std::lock_guard<std::recursive_mutex> guard(t->lock);
      last.swap(t->self);  // the transfer may go once this function returns
    }
    return;
  }
  std::lock_guard<std::recursive_mutex> guard(t->lock);
  if (t->finished || handle != t->request) return;
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      Step(*t, WinHttpReceiveResponse(t->request, nullptr));
      break;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      OnHeaders(*t);
      break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE: {
      const DWORD available = *static_cast<DWORD*>(info);
      if (available == 0) {
        FinishBody(*t);
        break;
      }
      t->chunk.resize(available);
      Step(*t, WinHttpReadData(t->request, t->chunk.data(), available, nullptr));
      break;
    }
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      if (infoLength == 0) {
        FinishBody(*t);
        break;
      }
      t->response.body.append(static_cast<const char*>(info), infoLength);
      t->receivedCount->store(int64_t(t->response.body.size()));
      Step(*t, WinHttpQueryDataAvailable(t->request, nullptr));
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
      const auto* result = static_cast<WINHTTP_ASYNC_RESULT*>(info);
      Finish(*t, result && result->dwError ? result->dwError : ERROR_WINHTTP_INTERNAL_ERROR);
      break;
    }
    default:
      break;
  }
}

class WinHttpClient final : public HttpClient {
 public:
  explicit WinHttpClient(GuiPoster post) : post_(std::move(post)) {}
  // A request still waiting on the network (a name lookup, a silent server)
  // is let go on a thread of its own: Wine's WinHttpCloseHandle can wait for
  // it, and the program must not hang on its way out.
  ~WinHttpClient() override {
    std::shared_ptr<Transfer> t = std::move(current_);
    if (!t) return;
    t->abandoned = true;
    {
      std::lock_guard<std::recursive_mutex> guard(t->lock);
      t->finished = true;
    }
    std::thread([t] { CloseHandles(*t); }).detach();
  }

  uint32_t Get(const std::wstring& url, Completion done) override {
    Drop();
    contentLength_.store(-1);
    receivedCount_.store(0);

    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = parts.dwSchemeLength = DWORD(-1);
    if (!WinHttpCrackUrl(url.c_str(), DWORD(url.size()), 0, &parts)) return FailureCode();
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    auto t = std::make_shared<Transfer>();
    t->done = std::move(done);
    t->post = post_;
    t->contentLength = &contentLength_;
    t->receivedCount = &receivedCount_;
    t->proxyUser = options_.proxyUserName;
    t->proxyPassword = options_.proxyPassword;
    t->self = t;

    const bool proxied = !options_.proxyHost.empty();
    const std::wstring proxy = options_.proxyHost + L":" + (options_.proxyPort.empty() ? L"80" : options_.proxyPort);
    t->session = WinHttpOpen(options_.userAgent.c_str(),
                             proxied ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                             // "<-loopback>": the user's proxy carries loopback names too.
                             proxied ? proxy.c_str() : WINHTTP_NO_PROXY_NAME,
                             proxied ? L"<-loopback>" : WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!t->session) return FailureCode();
    // A name lookup is bounded too: a silent name server would hold the check forever.
    WinHttpSetTimeouts(t->session, int(options_.connectTimeoutMs), int(options_.connectTimeoutMs),
                       int(options_.idleTimeoutMs), int(options_.idleTimeoutMs));
    DWORD protocols = kTlsProtocols;
    WinHttpSetOption(t->session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
    if (WinHttpSetStatusCallback(t->session, OnStatus, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0) ==
        WINHTTP_INVALID_STATUS_CALLBACK) {
      const uint32_t error = FailureCode();
      CloseHandles(*t);
      return error;
    }
    t->connection = WinHttpConnect(t->session, host.c_str(), parts.nPort, 0);
    if (t->connection)
      t->request = WinHttpOpenRequest(t->connection, L"GET", path.c_str(),
                                      (L"HTTP/" + options_.protocolVersion).c_str(), WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0);
    if (!t->request) {
      const uint32_t error = FailureCode();
      CloseHandles(*t);
      return error;
    }
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(t.get());
    WinHttpSetOption(t->request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    DWORD redirects = options_.followRedirects ? WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP
                                               : WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(t->request, WINHTTP_OPTION_REDIRECT_POLICY, &redirects, sizeof redirects);

    std::wstring headers;
    if (!options_.accept.empty()) headers += L"Accept: " + options_.accept + L"\r\n";
    if (!options_.acceptLanguage.empty()) headers += L"Accept-Language: " + options_.acceptLanguage + L"\r\n";
    if (proxied && !secure && options_.proxyBasicAuth && !options_.proxyUserName.empty())
      // Sent with the first request, so a proxy that wants Basic never has to ask.
      headers += L"Proxy-Authorization: Basic " +
                 Base64(Utf8(options_.proxyUserName) + ":" + Utf8(options_.proxyPassword)) + L"\r\n";
    if (!headers.empty())
      WinHttpAddRequestHeaders(t->request, headers.c_str(), DWORD(headers.size()),
                               WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);

    t->idleTimeoutMs = options_.idleTimeoutMs;
    t->lastCallback.store(GetTickCount64());
    const DWORD period = std::max<DWORD>(100, options_.idleTimeoutMs / 8);
    CreateTimerQueueTimer(&t->watchdog, nullptr, OnWatchdog, t.get(), period, period, WT_EXECUTEDEFAULT);
    current_ = t;
    uint32_t error = 0;
    {
      std::lock_guard<std::recursive_mutex> guard(t->lock);
      if (!WinHttpSendRequest(t->request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, context)) {
        error = FailureCode();
        t->finished = true;  // no completion for a request that never started
      }
    }
    if (error) Drop();
    return error;
  }

 private:
  static void CloseHandles(Transfer& t) {
    // Not under t.lock: the deletion waits for a watchdog call that may be waiting for the lock.
    if (t.watchdog) DeleteTimerQueueTimer(nullptr, t.watchdog, INVALID_HANDLE_VALUE);
    t.watchdog = nullptr;
    // The request's HANDLE_CLOSING callback lets go of the transfer; without a
    // request handle nothing will, so the client does.
    const bool hadRequest = t.request != nullptr;
    if (t.request) WinHttpCloseHandle(t.request);
    if (t.connection) WinHttpCloseHandle(t.connection);
    if (t.session) WinHttpCloseHandle(t.session);
    if (!hadRequest) {
      std::lock_guard<std::recursive_mutex> guard(t.lock);
      t.self.reset();
    }
  }

  void Drop() {
    std::shared_ptr<Transfer> t = std::move(current_);
    if (!t) return;
    t->abandoned = true;
    {
      std::lock_guard<std::recursive_mutex> guard(t->lock);
      t->finished = true;
    }
    CloseHandles(*t);
  }

  GuiPoster post_;
  std::shared_ptr<Transfer> current_;
};

}  // namespace

std::unique_ptr<HttpClient> CreateHttpClient(GuiPoster post) {
  return std::make_unique<WinHttpClient>(std::move(post));
}

bool IsSslAvailable() {
  uint32_t major = 0, minor = 0;
  if (!QueryWorkstationVersion(major, minor) || major < 6) return false;
  HINTERNET session = WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) return false;
  DWORD protocols = kTlsProtocols;
  const bool tls = WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
  WinHttpCloseHandle(session);
  return tls;
}

std::wstring OpenSslVersionText() { return IsSslAvailable() ? kSystemTlsName : L"Not Available"; }

}  // namespace platform
