// The installer and update leftover categories on a planted tree: what must be
// found, in order, and the near-misses that must not; the Java rule's verbose
// log lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/run_category.h"

namespace {

using namespace testsupport::planted;

using testsupport::Found;
using testsupport::RunCategory;


// A log that keeps level-0 lines, stamped with a fixed time, saved nowhere.
class VerboseLog {
 public:
  TKLog& log() { return log_; }
  // The lines oldest first, each expected at level 0.
  std::vector<std::wstring> Lines() const {
    std::vector<std::wstring> lines = log_.Lines();
    std::reverse(lines.begin(), lines.end());
    return lines;
  }
  static std::vector<std::wstring> AtLevel0(const std::vector<std::wstring>& messages) {
    std::vector<std::wstring> lines;
    for (const std::wstring& message : messages) lines.push_back(L"Verbose\t[26-03-14 09:05:07]\t" + message);
    return lines;
  }

 private:
  testsupport::FakeClock clock_;
  TKLog log_{L"C:\\no such folder\\test.log", 1000, true, clock_};
};

class InstallerRules : public ::testing::Test {
 protected:
  testsupport::PlantedPrefix prefix;
};

TEST_F(InstallerRules, OneFolderCategories) {
  testsupport::ExpectCategoryCases(prefix, {
      {L"Apple_Installer_Cache",
       {kCommon + L"Apple\\Installer Cache\\iTunes 10\\iTunes.msi",
        kCommon + L"Apple Computer\\Installer Cache\\QuickTime 7\\QuickTime.msi"},
       {kCommon + L"Apple\\Installer\\x.msi", kCommon + L"Apple Computer\\iTunes\\SC Info\\a.sidb"}},
      {L"AdAware_Update_Cache",
       {kCommon + L"Lavasoft\\Ad-Aware\\Update\\defs\\x.def", kCommon + L"Lavasoft\\Ad-Aware\\Update\\y.zip"},
       {kCommon + L"Lavasoft\\Ad-Aware\\Quarantine\\q.dat"}},
      {L"Skype_Installer_Cache",
       {kCommon + L"Skype\\Apps\\skype.msi", kCommon + L"Skype\\Skype.msi"},
       {kCommon + L"Skype\\SkypeSetup.msi", kCommon + L"Skype\\Apps\\Skype.msi.bak"}},
      {L"Google_Updater_Cache",
       {kCommon + L"Google Updater\\cache\\{id}\\setup.exe"},
       {kCommon + L"Google Updater\\Reports\\r.txt"}},
  });
}

TEST_F(InstallerRules, SpybotKeepsTheUpdateStateFiles) {
  const std::wstring kCaption = L"Spybot Update Cache";
  const std::wstring updates = kProgramFiles + L"Spybot - Search & Destroy\\Updates\\";
  for (const wchar_t* name : {L"online.ini", L"online.ini.bak", L"Downloaded.INI", L"advcheck.zip", L"sub\\nested.zip"})
    prefix.Plant(updates + name);
  EXPECT_EQ(RunCategory(L"Spybot_Update_Cache"), (Found{{kCaption, updates + L"advcheck.zip"}}));

  // The online.ini test is case-sensitive.
  prefix.Remove(updates + L"online.ini");
  prefix.Plant(updates + L"Online.ini");
  EXPECT_EQ(RunCategory(L"Spybot_Update_Cache"),
            (Found{{kCaption, updates + L"advcheck.zip"}, {kCaption, updates + L"Online.ini"}}));
}

TEST_F(InstallerRules, AdobeSetupFilesAndUpdaterPackages) {
  const std::wstring kCaption = L"Adobe Reader Installer Cache";
  const std::wstring adobe = kProgramFiles + L"Adobe\\";
  prefix.Plant(adobe + L"Acrobat 9.0\\Setup Files\\{AC76BA86}\\AcroRead.msi");
  prefix.Plant(adobe + L"Acrobat 9.0\\Setup Files\\{AC76BA86}\\Data1.cab");
  prefix.Plant(adobe + L"Reader 9.0\\Reader\\AcroRd32.exe");
  prefix.Plant(adobe + L"Reader 9.0\\Setup\\setup.exe");
  prefix.Plant(kCommon + L"Adobe\\ARM\\Reader_9.5\\AdbeRdrUpd.msp");
  prefix.Plant(kCommon + L"Adobe\\Setup\\x.msi");
  EXPECT_EQ(RunCategory(L"Adobe_Reader_Installer_Cache"),
            (Found{{kCaption, adobe + L"Acrobat 9.0\\Setup Files\\{AC76BA86}\\AcroRead.msi"},
                   {kCaption, adobe + L"Acrobat 9.0\\Setup Files\\{AC76BA86}\\Data1.cab"},
                   {kCaption, kCommon + L"Adobe\\ARM\\Reader_9.5\\AdbeRdrUpd.msp"}}));
}

TEST_F(InstallerRules, JavaInstallerFoldersDeploymentCachesAndLogLines) {
  const std::wstring kCaption = L"Sun / Java Installer Cache";
  const std::wstring lowSun = kLocalLow + L"Sun\\Java\\";
  prefix.Plant(lowSun + L"jre1.8.0_45\\jre1.8.0_45.msi");
  prefix.Plant(lowSun + L"jre1.8.0_45\\Data1.cab");
  prefix.Plant(lowSun + L"jre1.8.0_45\\jre1.8.0_46\\inner.cab");  // nested: found once per JRE folder
  prefix.Plant(lowSun + L"jdk1.8.0\\jdk.msi");
  prefix.Plant(lowSun + L"Deployment\\deployment.properties");
  prefix.Plant(lowSun + L"Deployment\\cache\\6.0\\1\\a.idx");
  prefix.Plant(lowSun + L"Deployment\\SystemCache\\s.jar");
  prefix.Plant(kLocalLow + L"Oracle\\Java\\JRE7\\x.msi");
  prefix.Plant(kLocal + L"Sun\\Java\\jre6\\s.msi");
  prefix.Plant(kLocal + L"Oracle\\Java\\jre1.7.0_80\\o.msi");
  prefix.Plant(kLocal + L"Oracle\\Java\\Deployment\\cache\\c.idx");

  const Found local{{kCaption, kLocal + L"Sun\\Java\\jre6\\s.msi"},
                    {kCaption, kLocal + L"Oracle\\Java\\jre1.7.0_80\\o.msi"}};
  Found all{{kCaption, lowSun + L"jre1.8.0_45\\Data1.cab"},
            {kCaption, lowSun + L"jre1.8.0_45\\jre1.8.0_45.msi"},
            {kCaption, lowSun + L"jre1.8.0_45\\jre1.8.0_46\\inner.cab"},
            {kCaption, lowSun + L"jre1.8.0_45\\jre1.8.0_46\\inner.cab"},
            {kCaption, kLocalLow + L"Oracle\\Java\\JRE7\\x.msi"}};
  all.insert(all.end(), local.begin(), local.end());
  // The deployment roots start with a separator, which the items keep doubled.
  all.emplace_back(kCaption, kLocalLow + L"\\Sun\\Java\\Deployment\\cache\\6.0\\1\\a.idx");
  all.emplace_back(kCaption, kLocalLow + L"\\Sun\\Java\\Deployment\\SystemCache\\s.jar");

  VerboseLog log;
  EXPECT_EQ(RunCategory(L"Sun__Java_Installer_Cache", nullptr, &log.log()), all);
  EXPECT_EQ(log.Lines(), VerboseLog::AtLevel0({L"Recursively listing folders in " + kLocalLow, L"Analysing list (1/2)",
                                               L"Analysing list (2/2)", L"Recursively listing folders in " + kLocal,
                                               L"Analysing list (1/2)", L"Analysing list (2/2)",
                                               L"Recursively listing folders in " + kLocalLow, L"Done"}));

  // Without a LocalLow folder on disk only the local application data is examined.
  prefix.Remove(L"C:\\users\\tester\\AppData\\LocalLow");
  log.log().Clear();
  EXPECT_EQ(RunCategory(L"Sun__Java_Installer_Cache", nullptr, &log.log()), local);
  EXPECT_EQ(log.Lines(), VerboseLog::AtLevel0({L"Recursively listing folders in " + kLocal, L"Analysing list (1/2)",
                                               L"Analysing list (2/2)", L"Done"}));
}

TEST_F(InstallerRules, JavaWithoutAnyLocalFolders) {
  prefix.Plant(kLocal + L"Sun\\Java\\jre6\\s.msi");
  KnownFolders none = ResolveKnownFolders();
  none.localAppData.clear();
  none.localLow.clear();
  VerboseLog log;
  EXPECT_EQ(testsupport::RunCategoryWith(L"Sun__Java_Installer_Cache", none, &log.log()), Found{});
  EXPECT_EQ(log.Lines(), VerboseLog::AtLevel0({L"Done"}));
}

TEST_F(InstallerRules, ATIFixedFolderOnDriveC) {
  prefix.Plant(L"C:\\ATI\\Support\\10-2_vista32\\Setup.exe");
  prefix.Plant(L"C:\\ATI\\readme.txt");
  prefix.Plant(kProgramFiles + L"ATI\\Support\\x.exe");
  // The fixed folder keeps its literal spelling in the items.
  EXPECT_EQ(RunCategory(L"ATI_Drivers_Installer_Cache"),
            (Found{{L"ATI Drivers Installer Cache", L"c:\\ATI\\Support\\10-2_vista32\\Setup.exe"}}));
}

TEST_F(InstallerRules, NVIDIARootsByProgramFilesLayout) {
  const std::wstring kCaption = L"NVIDIA Drivers Cache";
  prefix.Plant(L"C:\\NVIDIA\\DisplayDriver\\355.82\\setup.exe");
  prefix.Plant(L"C:\\NVIDIA\\readme.txt");
  prefix.Plant(kProgramFilesX86 + L"NVIDIA Corporation\\Installer2\\a\\x86.dll");
  prefix.Plant(kProgramFiles + L"NVIDIA Corporation\\Installer2\\b\\pf.dll");
  prefix.Plant(kProgramFiles + L"NVIDIA Corporation\\Display\\nv.exe");
  const std::pair<std::wstring, std::wstring> driver{kCaption, L"c:\\NVIDIA\\DisplayDriver\\355.82\\setup.exe"};
  const std::pair<std::wstring, std::wstring> x86{kCaption,
                                                  kProgramFilesX86 + L"\\NVIDIA Corporation\\Installer2\\a\\x86.dll"};
  const std::pair<std::wstring, std::wstring> known{kCaption,
                                                    kProgramFiles + L"\\NVIDIA Corporation\\Installer2\\b\\pf.dll"};
  const std::pair<std::wstring, std::wstring> fixed{kCaption,
                                                    L"c:\\Program files\\NVIDIA Corporation\\Installer2\\b\\pf.dll"};
  struct Case {
    const wchar_t* layout;
    std::wstring programFiles, programFilesX86;
    Found expected;
  };
  const Case cases[] = {
      // Both known folders present and different: the program-files folder is
      // reached through its known folder and through the fixed path.
      {L"64-bit program", kProgramFiles, kProgramFilesX86, {driver, x86, known, fixed}},
      // A 32-bit program on 64-bit Windows gets the x86 folder twice.
      {L"32-bit program on 64-bit Windows", kProgramFilesX86, kProgramFilesX86, {driver, x86, fixed}},
      // The comparison of the two is case-sensitive.
      {L"same folder, other case",
       L"C:\\PROGRAM FILES (X86)\\",
       kProgramFilesX86,
       {driver, x86, {kCaption, L"C:\\PROGRAM FILES (X86)\\\\NVIDIA Corporation\\Installer2\\a\\x86.dll"}, fixed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    KnownFolders folders = ResolveKnownFolders();
    folders.programFiles = c.programFiles;
    folders.programFilesX86 = c.programFilesX86;
    EXPECT_EQ(testsupport::RunCategoryWith(L"NVIDIA_Drivers_Cache", folders), c.expected);
  }

  // 32-bit Windows has no x86 folder, so the one program-files folder comes twice.
  prefix.Remove(L"C:\\Program Files (x86)");
  ASSERT_EQ(ResolveKnownFolders().programFilesX86, L"");
  EXPECT_EQ(RunCategory(L"NVIDIA_Drivers_Cache"), (Found{driver, known, fixed}));
}

}  // namespace
