#include "update/url_encode.h"

#include "platform/text_codec.h"

std::wstring UrlEncodeBytes(const std::string& bytes) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring out;
  for (const char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_') {
      out += wchar_t(b);
    } else if (b == ' ') {
      out += L"%20";
    } else {
      out += L'%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::wstring UrlEncode(const std::wstring& text) { return UrlEncodeBytes(platform::ToAnsi(text)); }
