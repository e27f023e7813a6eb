#include "analysis/name_tests.h"

#include <gtest/gtest.h>

#include "platform/win_path.h"

namespace {

TEST(MatchesMask, Table) {
  struct Case {
    const wchar_t *name, *mask;
    bool matches;
  };
  const Case cases[] = {
      {L"jre1.8", L"JRE*", true},
      {L"jdk1.8", L"JRE*", false},
      {L"DynDNS-Updater.log", L"DYNDNS*.LOG", true},
      {L"dyndns.log", L"DYNDNS*.LOG", true},
      {L"DynDNS.txt", L"DYNDNS*.LOG", false},
      {L"anything", L"", true},
      {L"anything", L".", true},
      {L"", L"*", false},
      {L"ab.c", L"A?.C", true},
      {L"abc.c", L"A?.C", false},  // without "*" the lengths must agree
      {L"a.c", L"A?.C", false},
      {L"x.tmp", L"*.TMP", true},
      {L"x.tmpl", L"*.TMP", false},
      {L"x.tmpl", L"*.TMP*", true},
      {L"noext", L"NOEXT", true},
      {L"noext", L"NOEXT.*", true},
      {L"\u00C9TAT.LOG", L"ETAT.LOG", true},  // accented capital folds to its plain letter
      {L"\u00E9tat.log", L"ETAT.LOG", true},
      {L"etat.log", L"etat.log", false},  // names fold to capitals; a lower-case mask matches nothing
      {L"\u00DFx", L"SSX", false},         // sharp s is not in the folding table
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << "name=" << c.name << " mask=" << c.mask;
}

TEST(FoldAccents, FoldsLatin1AndAscii) {
  EXPECT_EQ(FoldAccents(L"\u00C0\u00E6\u00E7\u00F1\u00FF\u00D8x"), L"AAECNYOX");
  EXPECT_EQ(FoldAccents(L"\u00D7\u00F7\u00DF\u00D0\u00F0\u00DE\u00FE"), L"\u00D7\u00F7\u00DF\u00D0\u00F0\u00DE\u00FE");
  EXPECT_EQ(FoldAccents(L"\u0153"), L"\u0153");
}

TEST(NameTests, NamesAndExtensions) {
  EXPECT_EQ(NameWithoutExt(L"C:\\Windows\\inf\\setupapi.dev.log"), L"setupapi.dev");
  EXPECT_EQ(NameWithoutExt(L"C:\\x\\thumbcache_96.db"), L"thumbcache_96");
  // Cut at the last dot, folder names too.
  EXPECT_EQ(NameWithoutExt(L"C:\\Program Files\\Java\\jre1.8.0_45"), L"jre1.8");
  EXPECT_EQ(NameWithoutExt(L"C:noext"), L"noext");
  EXPECT_EQ(ExtensionOf(L"C:\\a.b\\APP.LOG"), L".LOG");
  EXPECT_EQ(ExtensionOf(L"C:\\a.b\\app"), L"");
  EXPECT_EQ(ExtensionOf(L"C:\\x\\app.log.old"), L".old");
}

TEST(NameTests, TextTests) {
  EXPECT_TRUE(platform::StartsWithNoCase(L"ThumbCache_32", L"thumbcache"));
  EXPECT_FALSE(platform::StartsWithNoCase(L"thumb", L"thumbcache"));
  EXPECT_TRUE(platform::EndsWithNoCase(L"file.LOG", L".log"));
  EXPECT_TRUE(ContainsText(L"my cache folder", L"CACHE"));
  EXPECT_FALSE(ContainsText(L"\u00E9", L"\u00C9"));
  EXPECT_FALSE(ContainsText(L"cache", L"my cache folder"));  // the text comes first
  EXPECT_EQ(StripPrefix(L"C:\\STORE\\x\\y", L"c:\\store\\"), L"x\\y");
  EXPECT_EQ(StripPrefix(L"D:\\other", L"c:\\store\\"), L"D:\\other");
  EXPECT_EQ(StripSuffix(L"name.TMP", L".tmp"), L"name");
}

}  // namespace
