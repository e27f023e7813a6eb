// What every request of the updater shares: the fixed headers, the user's
// proxy, and the plain-HTTP fall-back when the system offers no TLS.
#pragma once

#include <string>

#include "platform/http.h"

// The user's proxy as the settings give it, read once at start.
struct ProxySettings {
  bool useProxy = false;  // UseHTTPProxy is exactly "1"
  std::wstring host;
  int port = 80;          // HTTPProxyPort, 80 when that is not a whole number
  std::wstring userName;
  std::wstring password;
};

// From the settings store.
ProxySettings ReadProxySettings();
// A whole decimal number (optional sign) that fits in an int, else 80.
int ProxyPortFromSetting(const std::wstring& text);

// User agent "Mozilla/5.0", HTTP 1.1, the Accept and Accept-Language headers,
// Basic proxy authentication, redirects followed.
void SetupHttpClient(platform::HttpClient& client);
// With useProxy: host, port as decimal text, user name and password; else no
// proxy at all, whatever the other fields hold.
void ApplyProxy(platform::HttpClient& client, const ProxySettings& proxy);

// "https..." (any case) becomes "http..." when TLS cannot be used; any other
// address stays as it is.
std::wstring ToHttpIfNoSsl(const std::wstring& url, bool sslAvailable);
#ifdef _WIN32
// The same with the system asked (platform::IsSslAvailable, anew each time).
std::wstring ToHttpIfNoSsl(const std::wstring& url);
#endif
// Case-insensitive ASCII equality, how the fall-back is noticed.
bool SameUrlIgnoringCase(const std::wstring& a, const std::wstring& b);
