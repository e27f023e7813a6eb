#include "platform/text_codec.h"

#include <windows.h>

#include "platform/utf8.h"

namespace platform {

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  // Characters outside the code page become the system's default character.
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &out[0], n);
  return out;
}

// The system's UTF-8 conversion turns an unpaired surrogate into U+FFFD, which
// would lose a file name that is not valid UTF-16; these loops keep it (WTF-8).
std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = uint16_t(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && uint16_t(text[i + 1]) >= 0xDC00 && uint16_t(text[i + 1]) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (uint16_t(text[i + 1]) - 0xDC00);
      ++i;
    }
    AppendUtf8(c, out);
  }
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  auto byte = [&](size_t k) { return uint32_t(static_cast<unsigned char>(text[k])); };
  auto cont = [&](size_t k) { return k < n && (byte(k) & 0xC0) == 0x80; };
  while (i < n) {
    uint32_t b = byte(i);
    if (b < 0x80) {
      out += wchar_t(b);
      i += 1;
    } else if ((b & 0xE0) == 0xC0 && cont(i + 1)) {
      out += wchar_t(((b & 0x1F) << 6) | (byte(i + 1) & 0x3F));
      i += 2;
    } else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
      out += wchar_t(((b & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F));
      i += 3;
    } else if ((b & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      uint32_t c = ((b & 0x07) << 18) | ((byte(i + 1) & 0x3F) << 12) | ((byte(i + 2) & 0x3F) << 6) | (byte(i + 3) & 0x3F);
      if (c < 0x10000) {
        out += wchar_t(c);
      } else if (c <= 0x10FFFF) {
        c -= 0x10000;
        out += wchar_t(0xD800 + (c >> 10));
        out += wchar_t(0xDC00 + (c & 0x3FF));
      } else {
        out += wchar_t(0xFFFD);
      }
      i += 4;
    } else {
      // Not UTF-8: keep the byte as the Latin-1 character of the same value,
      // as the Linux build does.
      out += wchar_t(b);
      i += 1;
    }
  }
  return out;
}

}  // namespace platform
