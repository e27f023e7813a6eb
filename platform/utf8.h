// The UTF-8 byte form of one code point, shared by both platforms' converters.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A lone surrogate is written as its own three bytes (WTF-8), so that a file
// name that is not valid UTF-16 survives the trip; past U+10FFFF gives U+FFFD.
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

}  // namespace platform
