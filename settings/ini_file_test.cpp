#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "platform/text_codec.h"

namespace {

using namespace std::string_literals;

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

Entries Read(const std::string& bytes, const std::wstring& section) {
  Entries out;
  for (const IniEntry& e : IniFile(bytes).ReadSection(section)) out.emplace_back(e.name, e.value);
  return out;
}

TEST(IniFile, ReadsKeysOfOneSection) {
  struct Case {
    const char* what;
    std::string bytes;
    Entries expected;
  } cases[] = {
      {"plain", "[Settings]\r\nA=1\r\nB=two words\r\n[Settings_DWORD]\r\nA=5\r\n", {{L"A", L"1"}, {L"B", L"two words"}}},
      {"'=' inside the value, blanks around", "[Settings]\n  Proxy = user=x;pw==  \n", {{L"Proxy", L"user=x;pw=="}}},
      {"letter case of section and names; first line of a name wins",
       "[SETTINGS]\nA=1\na=2\n[settings]\nB=3\nA=4\n", {{L"A", L"1"}, {L"B", L"3"}}},
      {"no key lines: comments, no '=', empty name, NUL byte, keys before any section",
       "Top=0\n[Settings]\n;C=1\nNoEquals\n=v\nN\0ul=1\nOk=1\n[Other]\nX=1\n"s,
       {{L"Ok", L"1"}}},
      {"UTF-8 byte-order mark, section header with trailing text, empty value",
       "\xEF\xBB\xBF[ Settings ] ; note\nE=\n", {{L"E", L""}}},
      {"non-ASCII names and texts, in the ANSI code page",
       platform::ToAnsi(L"[Settings]\n\u00C4rger=\u00E9t\u00E9\n"), {{L"\u00C4rger", L"\u00E9t\u00E9"}}},
      {"no sections", "A=1\nB=2\n", {}},
      {"empty", "", {}},
      {"unclosed header is not a section", "[Settings\nA=1\n", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.bytes, L"Settings"), c.expected) << c.what;
}

TEST(IniFile, WritesInPlaceAndKeepsOtherLines) {
  struct Set {
    std::wstring section, name, value;
  };
  struct Case {
    const char* what;
    std::string before;
    std::vector<Set> sets;
    std::string after;
  } cases[] = {
      {"new file", "", {{L"Settings", L"A", L"1"}, {L"Settings_DWORD", L"L", L"1033"}, {L"Settings", L"B", L"x=y"}},
       "[Settings]\r\nA=1\r\nB=x=y\r\n[Settings_DWORD]\r\nL=1033\r\n"},
      {"replace in place, keep comments, blank lines, stale keys and line ends",
       "; mine\n[Settings]\nOld=keep\n  a = 0 \n\n[Settings_DWORD]\nL=1\n",
       {{L"Settings", L"A", L"1"}, {L"Settings_DWORD", L"L", L"2"}},
       "; mine\n[Settings]\nOld=keep\nA=1\n\n[Settings_DWORD]\nL=2\n"},
      {"new keys go after the section's last key, before the next section",
       "[Settings]\r\nA=1\r\n\r\n[Other]\r\nZ=9\r\n", {{L"Settings", L"B", L"2"}, {L"Settings", L"C", L"3"}},
       "[Settings]\r\nA=1\r\nB=2\r\nC=3\r\n\r\n[Other]\r\nZ=9\r\n"},
      {"last line without a line end", "[Settings]\nA=1", {{L"Settings", L"B", L"2"}, {L"New", L"N", L"1"}},
       "[Settings]\nA=1\nB=2\n[New]\nN=1\n"},
      {"only the first line of a repeated name is replaced", "[Settings]\nA=1\nA=2\n", {{L"Settings", L"a", L"3"}},
       "[Settings]\na=3\nA=2\n"},
      {"setting a name twice keeps the last text", "", {{L"S", L"A", L"1"}, {L"s", L"A", L"2"}}, "[S]\r\nA=2\r\n"},
      {"garbage lines stay byte for byte", "\xFF\xFE\0junk\r\n[Settings]\nA=1\n"s, {{L"Settings", L"A", L"2"}},
       "\xFF\xFE\0junk\r\n[Settings]\nA=2\n"s},
  };
  for (const Case& c : cases) {
    IniFile ini(c.before);
    for (const Set& s : c.sets) ASSERT_TRUE(ini.Set(s.section, s.name, s.value)) << c.what;
    EXPECT_EQ(ini.Bytes(), c.after) << c.what;
  }
}

TEST(IniFile, RefusesPairsThatWouldReadBackAsSomethingElse) {
  IniFile ini("[Settings]\nA=1\n");
  for (const std::wstring& name : {std::wstring(L""), std::wstring(L"a=b"), std::wstring(L" a"), std::wstring(L"a "),
                                   std::wstring(L"[a]"), std::wstring(L";a"), std::wstring(L"a\nb")})
    EXPECT_FALSE(ini.Set(L"Settings", name, L"1")) << name.size();
  EXPECT_FALSE(ini.Set(L"Settings", L"A", L"line\r\n[Settings]\r\nInjected=1"));
  EXPECT_FALSE(ini.Set(L"Settings", L"A", std::wstring(L"a\0b", 3)));
  EXPECT_EQ(ini.Bytes(), "[Settings]\nA=1\n");
}

TEST(IniFile, DwordNumbers) {
  struct Case {
    const wchar_t* text;
    uint32_t value;
  } cases[] = {
      {L"1033", 1033},     {L" 42 ", 42},          {L"-5", 0xFFFFFFFBu},        {L"+7", 7},
      {L"0x1F", 31},       {L"0X1f", 31},          {L"$ff", 255},               {L"-$10", 0xFFFFFFF0u},
      {L"4294967295", 0xFFFFFFFFu}, {L"-2147483648", 0x80000000u}, {L"$FFFFFFFF", 0xFFFFFFFFu},
      {L"4294967296", 0},  {L"-2147483649", 0},    {L"$100000000", 0},          {L"", 0},
      {L"abc", 0},         {L"12abc", 0},          {L"0x", 0},                  {L"$", 0},
      {L"1.5", 0},         {L"--1", 0},            {L"0xG", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(IniDwordValue(c.text), c.value) << std::string(c.text, c.text + wcslen(c.text));
}

TEST(IniFile, ManyKeysInAndOut) {
  // Every existing line replaced where it stands, as many new ones added after.
  constexpr int kCount = 20000;
  std::string bytes = "[Settings]\n";
  for (int i = 0; i < kCount; ++i) bytes += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  IniFile ini(bytes);
  ASSERT_EQ(ini.ReadSection(L"Settings").size(), size_t(kCount));
  for (int i = 0; i < kCount; ++i) ini.Set(L"Settings", L"k" + std::to_wstring(i), L"x");
  for (int i = 0; i < kCount; ++i) ini.Set(L"Settings", L"n" + std::to_wstring(i), L"y");
  std::vector<IniEntry> after = IniFile(ini.Bytes()).ReadSection(L"Settings");
  ASSERT_EQ(after.size(), size_t(2 * kCount));
  EXPECT_EQ(after[kCount - 1].name, L"k" + std::to_wstring(kCount - 1));
  EXPECT_EQ(after[kCount - 1].value, L"x");
  EXPECT_EQ(after[kCount].name, L"n0");
}

}  // namespace
