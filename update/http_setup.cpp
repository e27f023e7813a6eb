#include "update/http_setup.h"

#include <climits>

#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"

namespace {

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

}  // namespace

int ProxyPortFromSetting(const std::wstring& text) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == L'-';
  if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) i = 1;
  if (i == text.size()) return 80;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return 80;
    value = value * 10 + (text[i] - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return 80;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return 80;
  return static_cast<int>(value);
}

ProxySettings ReadProxySettings() {
  ProxySettings proxy;
  proxy.useProxy = GetSetting(kUseHttpProxySetting) == L"1";
  proxy.host = GetSetting(kHttpProxyHostSetting);
  proxy.port = ProxyPortFromSetting(GetSetting(kHttpProxyPortSetting));
  proxy.userName = GetSetting(kHttpProxyUserNameSetting);
  proxy.password = GetSetting(kHttpProxyPasswordSetting);
  return proxy;
}

void SetupHttpClient(platform::HttpClient& client) {
  platform::HttpOptions& options = client.Options();
  options.userAgent = L"Mozilla/5.0";
  options.protocolVersion = L"1.1";
  options.accept = L"text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8";
  options.acceptLanguage = L"fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3";
  options.proxyBasicAuth = true;
  options.followRedirects = true;
}

void ApplyProxy(platform::HttpClient& client, const ProxySettings& proxy) {
  platform::HttpOptions& options = client.Options();
  options.proxyHost = proxy.useProxy ? proxy.host : L"";
  options.proxyPort = proxy.useProxy ? std::to_wstring(proxy.port) : L"";
  options.proxyUserName = proxy.useProxy ? proxy.userName : L"";
  options.proxyPassword = proxy.useProxy ? proxy.password : L"";
}

bool SameUrlIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::wstring ToHttpIfNoSsl(const std::wstring& url, bool sslAvailable) {
  if (sslAvailable || url.size() < 5 || !SameUrlIgnoringCase(url.substr(0, 5), L"https")) return url;
  return L"http" + url.substr(5);
}

#ifdef _WIN32
std::wstring ToHttpIfNoSsl(const std::wstring& url) { return ToHttpIfNoSsl(url, platform::IsSslAvailable()); }
#endif
