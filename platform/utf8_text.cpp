// UTF-8 and the wide texts of both platforms (UTF-16 on Windows, whole code
// points on Linux), written once.
#include "platform/text_codec.h"
#include "platform/utf8.h"

namespace platform {

// The system's UTF-8 conversion turns an unpaired surrogate into U+FFFD; this
// keeps it (WTF-8), so that a name that is not valid UTF-16 is still shown.
std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      c &= 0xFFFF;
      const uint32_t next = i + 1 < n ? uint32_t(uint16_t(text[i + 1])) : 0;
      if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      }
    }
    AppendUtf8(c, out);
  }
  return out;
}

// Bytes that are not well-formed UTF-8 (an overlong form, a surrogate, a stray
// byte) each become U+FFFD: never a character they could be mistaken for.
std::wstring FromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    uint32_t c = 0xFFFD;
    const size_t size = DecodeUtf8(text.data() + i, n - i, c);
    i += size ? size : 1;
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
      c -= 0x10000;
      out += wchar_t(0xD800 + (c >> 10));
      out += wchar_t(0xDC00 + (c & 0x3FF));
    } else {
      out += wchar_t(c);
    }
  }
  return out;
}

}  // namespace platform
