#include <gtest/gtest.h>

#include <cstdint>

#include "platform/text_codec.h"

namespace {

std::wstring ToWide(uint32_t c) {
  if (sizeof(wchar_t) == 4) return std::wstring(1, wchar_t(c));
  c -= 0x10000;
  return {wchar_t(0xD800 + (c >> 10)), wchar_t(0xDC00 + (c & 0x3FF))};
}

// Only well-formed UTF-8 decodes; every byte of anything else is U+FFFD, so
// no overlong form or stray byte can pass for a character it is not.
TEST(Utf8TextTest, DecodesStrictly) {
  const std::wstring bad(1, wchar_t(0xFFFD));
  struct Case {
    std::string utf8;
    std::wstring text;
  };
  const Case cases[] = {
      {"caf\xc3\xa9 \xe2\x82\xac", L"caf\u00e9 \u20ac"},
      {"\xf0\x9f\x98\x80", ToWide(0x1F600)},
      {"\xf4\x8f\xbf\xbf", ToWide(0x10FFFF)},
      {"\xed\x9f\xbf", L"\ud7ff"},
      {"a\xe9z", L"a" + bad + L"z"},
      {"\xc0\xaf", bad + bad},                // overlong "/"
      {"\xc1\x9c", bad + bad},                // overlong "\"
      {"\xe0\x80\xaf", bad + bad + bad},      // overlong, three bytes
      {"\xf0\x80\x80\xaf", bad + bad + bad + bad},
      {"\xed\xa0\x80", bad + bad + bad},      // a surrogate
      {"\xf4\x90\x80\x80", bad + bad + bad + bad},  // past U+10FFFF
      {"\xf5\x80\x80\x80", bad + bad + bad + bad},
      {"\xff\xfe", bad + bad},
      {"\xe2\x82" "a", bad + bad + L"a"},     // cut short
      {"\x80", bad},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::FromUtf8(c.utf8), c.text) << c.utf8;
}

}  // namespace
