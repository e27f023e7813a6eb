// UTF-8 one code point at a time, shared by both platforms' converters and by
// the posix mapping of Linux file names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A lone surrogate is written as its own three bytes (WTF-8), so that a file
// name that is not valid UTF-16 can still be shown; past U+10FFFF gives U+FFFD.
inline void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else if (c <= 0x10FFFF) {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += "\xEF\xBF\xBD";
  }
}

// Decodes the code point that starts text[0], strictly: the shortest form
// only, no surrogates, nothing above U+10FFFF. Returns the bytes it takes
// (1 to 4), or 0 when text[0] does not start a well-formed sequence; length
// is how many bytes may be read.
inline size_t DecodeUtf8(const char* text, size_t length, uint32_t& c) {
  if (length == 0) return 0;
  auto byte = [text](size_t k) { return uint32_t(static_cast<unsigned char>(text[k])); };
  const uint32_t b = byte(0);
  if (b < 0x80) {
    c = b;
    return 1;
  }
  size_t size;
  uint32_t low = 0x80, high = 0xBF;  // the range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    size = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    size = 3;
    if (b == 0xE0) low = 0xA0;   // below: an overlong form
    if (b == 0xED) high = 0x9F;  // above: a surrogate
  } else if (b >= 0xF0 && b <= 0xF4) {
    size = 4;
    if (b == 0xF0) low = 0x90;   // below: an overlong form
    if (b == 0xF4) high = 0x8F;  // above: past U+10FFFF
  } else {
    return 0;  // a continuation byte, C0, C1 (overlong) or F5 to FF
  }
  if (length < size || byte(1) < low || byte(1) > high) return 0;
  uint32_t value = b & (0xFF >> (size + 1));
  for (size_t k = 1; k < size; ++k) {
    if (k > 1 && (byte(k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(k) & 0x3F);
  }
  c = value;
  return size;
}

}  // namespace platform
