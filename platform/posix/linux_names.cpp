#include "platform/posix/linux_names.h"

#include <cstdint>

#include "platform/utf8.h"

namespace platform {
namespace {

constexpr uint32_t kPrivateBase = 0xF000;

bool IsPrivate(uint32_t c) { return c >= kPrivateBase && c <= kPrivateBase + 0xFF; }

// ASCII that a name moves into the private range ("/" and NUL are never in a
// Linux name; "/" is mapped anyway so that no output ever splits).
bool IsMappedInName(uint32_t b) { return b < 0x80 && b != 0 && !IsPlainNameByte(static_cast<unsigned char>(b)); }

void AppendWide(const char* text, size_t length, bool isName, std::wstring& out) {
  for (size_t i = 0; i < length;) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += wchar_t(isName && IsMappedInName(b) ? kPrivateBase + b : b);
      ++i;
      continue;
    }
    uint32_t c = 0;
    const size_t size = DecodeUtf8(text + i, length - i, c);
    if (size != 0 && !IsPrivate(c)) {
      out += wchar_t(c);
      i += size;
    } else {
      out += wchar_t(kPrivateBase + b);
      ++i;
    }
  }
}

bool AppendNative(const wchar_t* text, size_t length, bool isName, std::string& out) {
  const size_t start = out.size();
  bool rawBytes = false;
  for (size_t i = 0; i < length; ++i) {
    const uint32_t c = static_cast<uint32_t>(text[i]);
    if (IsPrivate(c)) {
      const uint32_t b = c - kPrivateBase;
      if (b >= 0x80) rawBytes = true;
      else if (!isName || !IsMappedInName(b) || b == '/') return false;
      out += char(b);
    } else if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      return false;
    } else if (isName && IsMappedInName(c)) {
      return false;  // "a*" names nothing: only "a\uF02A" names the Linux "a*"
    } else {
      AppendUtf8(c, out);
    }
  }
  if (!rawBytes) return true;
  // Raw bytes that join into UTF-8 ("\uF0C3\uF0A9" would be "é") read back
  // otherwise: that spelling belongs to no Linux name.
  std::wstring back;
  AppendWide(out.data() + start, out.size() - start, isName, back);
  return back.size() == length && back.compare(0, length, text, length) == 0;
}

}  // namespace

void AppendWindowsName(const char* name, size_t length, std::wstring& out) { AppendWide(name, length, true, out); }

std::wstring WindowsNameOf(const char* name, size_t length) {
  std::wstring out;
  out.reserve(length);
  AppendWide(name, length, true, out);
  return out;
}

bool AppendLinuxName(const wchar_t* name, size_t length, std::string& out) {
  return AppendNative(name, length, true, out);
}

bool LinuxNameOf(const std::wstring& name, std::string& out) {
  out.clear();
  return AppendNative(name.data(), name.size(), true, out);
}

std::wstring WideFromLinuxText(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  AppendWide(text.data(), text.size(), false, out);
  return out;
}

bool LinuxTextOf(const std::wstring& text, std::string& out) {
  out.clear();
  return AppendNative(text.data(), text.size(), false, out);
}

}  // namespace platform
