#include "platform/posix/linux_names.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using platform::LinuxNameOf;
using platform::WindowsNameOf;

std::string Bytes(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w) out += "U+" + std::to_string(unsigned(c)) + " ";
  return out;
}

TEST(LinuxNamesTest, NamesMapOneToOneAndBack) {
  struct Case {
    std::string linux;
    std::wstring windows;
  };
  const Case cases[] = {
      {"plain.tmp", L"plain.tmp"},
      {"caf\xc3\xa9 \xe2\x82\xac", L"caf\u00e9 \u20ac"},
      {"\xf0\x9f\x98\x80", L"\U0001F600"},
      {"linkdir\\keep1.tmp", L"linkdir\uF05Ckeep1.tmp"},
      {"..\\..", L"..\uF05C.."},
      {"a*b?c<d>e|f:g\"h", L"a\uF02Ab\uF03Fc\uF03Cd\uF03Ee\uF07Cf\uF03Ag\uF022h"},
      {"tab\tnew\nline\x01\x7f", L"tab\uF009new\uF00Aline\uF001\x7f"},
      {"twin\xe9.tmp", L"twin\uF0E9.tmp"},   // not UTF-8: not the "twiné.tmp" beside it
      {"twin\xc3\xa9.tmp", L"twin\u00e9.tmp"},
      {"\xff", L"\uF0FF"},                    // not the "ÿ" below
      {"\xc3\xbf", L"\u00ff"},
      {"\xc0\xaf", L"\uF0C0\uF0AF"},          // overlong "/"
      {"\xc1\x9c", L"\uF0C1\uF09C"},          // overlong "\"
      {"\xe0\x80\xaf", L"\uF0E0\uF080\uF0AF"},
      {"\xf0\x80\x80\xaf", L"\uF0F0\uF080\uF080\uF0AF"},
      {"\xed\xa0\x80", L"\uF0ED\uF0A0\uF080"},  // a surrogate
      {"\xf4\x90\x80\x80", L"\uF0F4\uF090\uF080\uF080"},  // past U+10FFFF
      {"\xf5\x80", L"\uF0F5\uF080"},
      {"\xe2\x82", L"\uF0E2\uF082"},          // cut short
      {"\xef\x81\x9c", L"\uF0EF\uF081\uF09C"},  // a real U+F05C, taken byte by byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsNameOf(c.linux), c.windows) << c.linux;
    std::string back;
    EXPECT_TRUE(LinuxNameOf(c.windows, back)) << c.linux;
    EXPECT_EQ(back, c.linux);
  }
}

TEST(LinuxNamesTest, OnlyTheMappedSpellingNamesALinuxEntry) {
  const std::wstring noLinuxName[] = {
      L"a*", L"a\\b", L"a/b", L"c:d", L"x\ty",
      L"\uF041",                        // "A" is itself, never mapped
      L"\uF02F",                        // would be "/"
      std::wstring(1, wchar_t(0xF000)),  // would be NUL
      L"\uF0C3\uF0A9",                  // those bytes read back as "é"
      std::wstring(1, wchar_t(0xD800)), std::wstring(1, wchar_t(0x110000)),
  };
  for (const std::wstring& name : noLinuxName) {
    std::string out;
    EXPECT_FALSE(LinuxNameOf(name, out)) << Bytes(name);
  }
}

// Every name of up to two bytes, and many longer ones: the way back gives the
// same bytes, and no Windows name holds a separator or a forbidden character.
TEST(LinuxNamesTest, EveryNameSurvivesTheRoundTrip) {
  auto check = [](const std::string& name) {
    const std::wstring windows = WindowsNameOf(name);
    for (wchar_t c : windows) {
      ASSERT_TRUE(c >= 0x20 && std::wstring(L"\\/:*?\"<>|").find(c) == std::wstring::npos) << Bytes(windows);
      ASSERT_FALSE(c >= 0xD800 && c <= 0xDFFF);
    }
    std::string back;
    ASSERT_TRUE(LinuxNameOf(windows, back)) << Bytes(windows);
    ASSERT_EQ(back, name);
  };
  for (int a = 1; a < 256; ++a) {
    if (a == '/') continue;
    for (int b = 0; b < 256; ++b) {
      if (b == '/') continue;
      std::string name(1, char(a));
      if (b) name += char(b);
      check(name);
    }
  }
  std::mt19937 random(17);
  const char pool[] = "a\\./*\x01\x7f\x80\xbf\xc0\xc2\xdf\xe0\xed\xef\xf0\xf4\xf5\xff\x81\x9c\xa0\x9f\x90\x8f";
  for (int i = 0; i < 100000; ++i) {
    std::string name;
    for (size_t n = 1 + random() % 7; n > 0; --n) {
      char c = pool[random() % (sizeof pool - 1)];
      name += c == '/' ? 'x' : c;
    }
    check(name);
  }
}

TEST(LinuxNamesTest, TextsKeepTheirBytesAndTheirSeparators) {
  const std::string texts[] = {"/tmp/pr\xe9" "fix/drive_c", "a\\b/c", "caf\xc3\xa9", "\xef\x82\x80\xff", ""};
  for (const std::string& text : texts) {
    std::string back;
    ASSERT_TRUE(platform::LinuxTextOf(platform::WideFromLinuxText(text), back)) << text;
    EXPECT_EQ(back, text);
  }
  EXPECT_EQ(platform::WideFromLinuxText("/a\\b/caf\xe9"), L"/a\\b/caf\uF0E9");
}

}  // namespace
