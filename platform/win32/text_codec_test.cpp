#include "platform/text_codec.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(Win32TextCodecTest, Utf8EncodingKeepsEveryUtf16Sequence) {
  struct Case {
    std::wstring text;
    std::string utf8;
    bool wellFormed;  // decodes back; the WTF-8 of a lone surrogate does not
  };
  const Case cases[] = {
      {L"", "", true},
      {L"plain.log", "plain.log", true},
      {L"caf\u00e9 \u20ac", "caf\xc3\xa9 \xe2\x82\xac", true},
      {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "\xf0\x9f\x98\x80", true},  // a pair: one code point
      {std::wstring{L'a', wchar_t(0xD800), L'b'}, "a\xed\xa0\x80" "b", false},     // unpaired high surrogate
      {std::wstring{wchar_t(0xDC00)}, "\xed\xb0\x80", false},                      // unpaired low surrogate
      {std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}, "\xed\xb8\x80\xed\xa0\xbd", false},  // reversed pair
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::ToUtf8(c.text), c.utf8);
    if (c.wellFormed) {
      EXPECT_EQ(platform::FromUtf8(c.utf8), c.text);
    }
  }
}

TEST(Win32TextCodecTest, AnsiUsesTheSystemCodePage) {
  const std::wstring inside = L"Caf\u00e9 \u00fc";
  const std::wstring outside = L"\u4e2d\u2603";
  const std::string ansi = platform::ToAnsi(inside + outside);

  // Whatever the code page, this must agree with the system's own conversion.
  char expected[64] = {};
  int n = WideCharToMultiByte(CP_ACP, 0, (inside + outside).c_str(), -1, expected, sizeof expected, nullptr, nullptr);
  ASSERT_GT(n, 1);
  EXPECT_EQ(ansi, std::string(expected, size_t(n - 1)));

  if (GetACP() == 1252) {
    EXPECT_EQ(ansi, "Caf\xe9 \xfc??");
    EXPECT_EQ(platform::FromAnsi("Caf\xe9 \xfc\x80"), L"Caf\u00e9 \u00fc\u20ac");
  }
  EXPECT_EQ(platform::FromAnsi(platform::ToAnsi(L"Purgello.log")), L"Purgello.log");
  EXPECT_EQ(platform::ToAnsi(L""), "");
  EXPECT_EQ(platform::FromAnsi(""), L"");
}

}  // namespace
