#include "platform/text_codec.h"

#include "platform/utf8.h"

namespace platform {

// On Linux wchar_t holds whole code points; a lone surrogate (a Windows name
// that is not valid UTF-16) is encoded as its own three bytes so that it
// survives the trip to a file name and back.
std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) AppendUtf8(static_cast<uint32_t>(wc), out);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80; };
  while (i < n) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += wchar_t(b);
      i += 1;
    } else if ((b & 0xE0) == 0xC0 && cont(i + 1)) {
      out += wchar_t(((b & 0x1F) << 6) | (text[i + 1] & 0x3F));
      i += 2;
    } else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
      out += wchar_t(((b & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F));
      i += 3;
    } else if ((b & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      out += wchar_t(((b & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) | ((text[i + 2] & 0x3F) << 6) |
                     (text[i + 3] & 0x3F));
      i += 4;
    } else {
      // A byte that is not UTF-8: keep it as the Latin-1 character of the same
      // value rather than drop it.
      out += wchar_t(b);
      i += 1;
    }
  }
  return out;
}

std::string ToAnsi(const std::wstring& text) { return ToUtf8(text); }
std::wstring FromAnsi(const std::string& text) { return FromUtf8(text); }

}  // namespace platform
